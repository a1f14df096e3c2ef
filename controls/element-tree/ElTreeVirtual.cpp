// The virtuality level: in virtual mode the items keep no texts, hints or
// styles, and the view fills one shared style for every cell.
#include "ElTree.hpp"
#include "WinApi.hpp"

void TCustomElTree::SetVirtualityLevel(TVirtualityLevel value) {
  if (value == FVirtualityLevel) return;
  const TComponentState state = ComponentState();
  if (FAllItems->Count() > 0 && value != vlNone && state.Contains(csDesigning) && !state.Contains(csLoading) &&
      !state.Contains(csReading)) {
    const int answer = MessageBoxA(nullptr, "Changing Virtuality Level will clear all data of the items. Continue?",
                                   "Warning", MB_OKCANCEL | MB_ICONWARNING);
    if (answer != IDOK) return;
  }
  TElTreeUpdateScope scope(this);
  // The items let go of their data while the level still says that their
  // styles own the controls they carry.
  for (int i = 0; i < FAllItems->Count(); ++i) {
    auto* item = static_cast<TElTreeItem*>(FAllItems->FastGet(i));
    if (value == vlNone) {
      if (!item->FStaticData) item->CreateStaticData();
    } else {
      item->FreeStaticData();
    }
    item->FHeightCache = 0xFFFF;
  }
  FVirtualityLevel = value;
  if (FView) {
    if (value == vlNone)
      FreeVirtualStyle();
    else if (!FView->FScratchStyle)
      FView->FScratchStyle = new TElCellStyle(nullptr);
    FView->FlagRowList();
    FView->FlagFull();
  }
  FlagRemeasure();
}

void TCustomElTree::FreeVirtualStyle() {
  if (!FView || !FView->FScratchStyle) return;
  TElCellStyle* style = FView->FScratchStyle;
  FView->FScratchStyle = nullptr;
  // The shared style only lends its cells to controls, but a control it
  // still holds when it goes has no one else to free it.
  TElCellControl* control = style->Control();
  style->SetControl(nullptr);
  delete style;
  if (control) control->Free();
}
