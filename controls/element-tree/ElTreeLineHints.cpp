// Line hints: the hint window that shows a cell's whole text (or the item's
// hint) when the pointer rests on it, and the messages that hide it; the
// wheel and the background picture's size, which go through the same window
// procedure.
#include <algorithm>

#include "ElTree.hpp"
#include "ExtCtrls.hpp"

#include <windowsx.h>

namespace {

// The part of a hint before the first "|".
TElFString ShortHint(const TElFString& hint) {
  const size_t bar = hint.find(L'|');
  return bar == TElFString::npos ? hint : hint.substr(0, bar);
}

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST; }

bool IsKeyMessage(UINT msg) { return msg >= WM_KEYFIRST && msg <= WM_KEYLAST; }

}  // namespace

TElTreeItem* TElTreeView::LineHintItemAt(int x, int y, TElHeaderSection*& section) {
  section = nullptr;
  if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()) return nullptr;
  TElTreeItem* found = nullptr;
  int top = 0;
  for (int i = 0; i < FVisibleRows->Count(); ++i) {
    auto* item = static_cast<TElTreeItem*>(static_cast<TObject*>(FVisibleRows->FastGet(i)));
    const int bottom = top + item->GetHeight();
    if (y >= top && y < bottom) {
      found = item;
      break;
    }
    top = bottom;
  }
  TCustomElTree* t = FOwner;
  if (!found || !t->FShowColumns || !t->FHeader) return found;
  TElHeaderSection* fixed = t->FHeader->LeftFixedSection();
  TElHeaderSections* sections = t->FHeader->Sections();
  for (int p = 0; p < sections->Count(); ++p) {
    TElHeaderSection* s = sections->GetSectionAt(p);
    if (!s->Visible()) continue;
    const int shift = s == fixed ? 0 : t->FLeftPosition;
    if (x >= s->Left() - shift && x < s->Right() - shift) {
      section = s;
      if (s == fixed) break;
    }
  }
  // Beyond the last section there is no cell.
  return section ? found : nullptr;
}

TElFString TElTreeView::GetLineHintText(TElTreeItem* item, TElHeaderSection* section) {
  TCustomElTree* t = FOwner;
  if (t->FHintType != shtMainText) {
    TElFString hint = ShortHint(item->GetHint());
    if (t->FHintType == shtHintOnly || !hint.empty()) return hint;
  }
  const TElFString main = item->GetText();
  TElFString cell = main;
  if (section && section->Index() != t->FMainTreeColumn) {
    cell.clear();
    const int column = section->Index();
    if (t->FVirtualityLevel != vlNone) {
      t->DoVirtualTextNeeded(item, column, cell);
    } else if (TElWideStrings* texts = item->ColumnText()) {
      const int index = column > t->FMainTreeColumn ? column - 1 : column;
      if (index >= 0 && index < texts->GetCount()) cell = texts->Get(index);
    }
    if (section->Password()) cell = L"******";
  }
  switch (t->FLineHintType) {
    case lhtMainTextOnly: return main;
    case lhtCellTextOnly: return cell;
    default: return cell.empty() ? main : cell;
  }
}

int TElTreeView::LineHintTextWidth(TElTreeItem* item, const TElFString& text, bool mainColumn) {
  if (mainColumn && item->IsHTML() && item->HTMLData()) return item->HTMLData()->TextWidth;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FOwner->Font()->Handle());
  TRect r{0, 0, 0, 0};
  DrawWideText(dc, text.c_str(), static_cast<int>(text.size()), DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX, r);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return r.right - r.left;
}

bool TElTreeView::LineHintTextCut(TElTreeItem* item, TElHeaderSection* section, const TElFString& text) {
  TCustomElTree* t = FOwner;
  const int left = t->FLeftPosition;
  const int gap = t->FItemIndent / 3;
  const int width = ClientWidth();
  if (!section || section->Index() == t->FMainTreeColumn) {
    const int textWidth = LineHintTextWidth(item, text, true);
    return item->TextRight() - item->TextLeft() < textWidth || item->TextLeft() - left < 0 ||
           item->TextRight() - left > width;
  }
  const int textWidth = LineHintTextWidth(item, text, false);
  return section->Width() - 2 * gap < textWidth || section->Right() - left - gap > width ||
         section->Left() - left + gap < 0;
}

void TElTreeView::ArmLineHint(int x, int y) {
  FHintX = x;
  FHintY = y;
  if (!FHintTimer) FHintTimer = new TTimer(this);
  FHintTimer->SetEnabled(false);
  FHintTimer->SetInterval(Application && Application->HintShortPause() > 0 ? Application->HintShortPause() : 1000);
  FHintTimer->OnTimer = TNotifyEvent(this, &TElTreeView::LineHintTimer);
  FHintTimer->SetEnabled(true);
}

void TElTreeView::LineHintTimer(TObject* /*sender*/) {
  if (FHintTimer) FHintTimer->SetEnabled(false);
  if (FHintItem) {
    // The timer that hides an open hint.
    HideLineHint();
    return;
  }
  ShowLineHint(FHintX, FHintY);
}

void TElTreeView::ShowLineHint(int x, int y) {
  if (FActiveEditor || FFrameSelecting) return;
  TElHeaderSection* section = nullptr;
  TElTreeItem* item = LineHintItemAt(x, y, section);
  if (!item) return;
  const TElFString text = GetLineHintText(item, section);
  if (text.empty()) return;
  const bool hintText = FOwner->FHintType == shtHintOnly ||
                        (FOwner->FHintType == shtHintOrText && !ShortHint(item->GetHint()).empty());
  if (FOwner->FLineHintMode == shmLong && !hintText && !LineHintTextCut(item, section, text)) return;
  OpenLineHint(item, section, text);
}

void TElTreeView::OpenLineHint(TElTreeItem* item, TElHeaderSection* section, TElFString text) {
  TCustomElTree* t = FOwner;
  if (!FHintWnd) FHintWnd = new TElHintWindow(this);
  FHintWnd->Font()->Assign(t->Font());
  const bool system = t->FUseSystemHintColors;
  FHintWnd->SetColor(system ? clInfoBk : t->FLineHintColor);
  FHintWnd->Font()->SetColor(system ? clInfoText : t->FTextColor);
  FHintWnd->SetIsHTML(item->IsHTML());

  // At the text's left edge on the item's row.
  int rowTop = 0;
  for (int i = 0; i < FVisibleRows->Count(); ++i) {
    auto* row = static_cast<TElTreeItem*>(static_cast<TObject*>(FVisibleRows->FastGet(i)));
    if (row == item) break;
    rowTop += row->GetHeight();
  }
  int x;
  if (!section || section->Index() == t->FMainTreeColumn)
    x = item->TextLeft() - t->FLeftPosition;
  else
    x = section->Left() - (section == t->FHeader->LeftFixedSection() ? 0 : t->FLeftPosition) + t->FItemIndent / 5;
  POINT origin{x, rowTop};
  if (HandleAllocated()) ::ClientToScreen(Handle(), &origin);
  bool show = true;
  t->DoShowHint(item, section, text, FHintWnd, TPoint{FHintX, FHintY}, show);
  if (!show || text.empty()) return;
  TRect r = FHintWnd->CalcHintRectW(10000, text);
  OffsetRect(&r, origin.x - r.left, origin.y - r.top);
  FHintWnd->ActivateHintW(r, text);
  FHintItem = item;
  if (!t->FHideHintOnTimer) return;
  int timeout = t->FLineHintTimeout;
  if (timeout <= 0) timeout = Application ? Application->HintHidePause() : 0;
  if (timeout <= 0) timeout = 1000;
  if (!FHintTimer) FHintTimer = new TTimer(this);
  FHintTimer->SetEnabled(false);
  FHintTimer->SetInterval(timeout);
  FHintTimer->OnTimer = TNotifyEvent(this, &TElTreeView::LineHintTimer);
  FHintTimer->SetEnabled(true);
}

void TElTreeView::HideLineHint() {
  FHintItem = nullptr;
  if (FHintTimer) {
    FHintTimer->Free();
    FHintTimer = nullptr;
  }
  if (FHintWnd && FHintWnd->HandleAllocated()) ShowWindow(FHintWnd->Handle(), SW_HIDE);
}

bool TElTreeView::LineHintHiddenBy(const TMessage& m) {
  const UINT msg = m.Msg;
  if (!FOwner->FHideHintOnMove) {
    if (msg == WM_NCMOUSEMOVE) return true;
    return FHintItem && (msg == CM_ACTIVATE || msg == CM_DEACTIVATE);
  }
  if (IsMouseMessage(msg) || msg == WM_NCMOUSEMOVE) {
    POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    if (msg == WM_NCMOUSEMOVE && HandleAllocated()) ::ScreenToClient(Handle(), &p);
    TElHeaderSection* section = nullptr;
    return !FHintItem || LineHintItemAt(p.x, p.y, section) != FHintItem;
  }
  return IsKeyMessage(msg) || msg == WM_COMMAND || msg == CM_ACTIVATE || msg == CM_DEACTIVATE ||
         msg == CM_APPKEYDOWN || msg == CM_APPSYSCOMMAND;
}

void TElTreeView::MouseWheelScroll(int wheelDelta) {
  UINT lines = 3;
  if (!SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
  WheelScroll(wheelDelta, lines);
}

void TElTreeView::WndProc(TMessage& m) {
  if ((FHintItem || (FHintTimer && FHintTimer->Enabled())) && LineHintHiddenBy(m)) HideLineHint();
  if (m.Msg == WM_MOUSEWHEEL) {
    POINT p{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    if (HandleAllocated()) ::ScreenToClient(Handle(), &p);
    if (FFrameSelecting)
      FrameWheel(GET_WHEEL_DELTA_WPARAM(m.WParam), p.x, p.y);
    else
      MouseWheelScroll(GET_WHEEL_DELTA_WPARAM(m.WParam));
    // What is under the pointer now: hot item, hints, the frame's corner.
    Perform(WM_MOUSEMOVE, GET_KEYSTATE_WPARAM(m.WParam), MAKELPARAM(p.x, p.y));
    m.Result = 0;
    return;
  }
  TCustomControl::WndProc(m);
  // The prepared background picture has the client's size.
  if (m.Msg == WM_SIZE && FOwner->FBackgroundType != bgtColorFill && FOwner->FBackgroundType != bgtCenterBitmap)
    UpdateBackgroundBitmap();
}
