// The lookup box: an advanced combo box over a lookup section, on the
// header's parent, with the section's history as its list. Typing asks the
// owner (OnHeaderLookup); Enter accepts, Escape or leaving the box gives up;
// either way the box hides and the focus goes back where it was.
#include <algorithm>
#include <cstdlib>

#include "ElACtrls.hpp"
#include "ElHeader.hpp"

void TCustomElHeader::OpenLookup(TElHeaderSection* section) {
  if (!lookupBox_) {
    lookupBox_ = new TElAdvancedComboBox(this);
    lookupBox_->SetVisible(false);
    lookupBox_->SetStyle(csDropDown);
    lookupBox_->SetActiveBorderType(fbtSunkenOuter);
    lookupBox_->OnChange = TNotifyEvent(this, &TCustomElHeader::LookupChange);
    lookupBox_->OnKeyDown = TKeyEvent(this, &TCustomElHeader::LookupKeyDown);
    lookupBox_->OnKeyPress = TKeyPressEvent(this, &TCustomElHeader::LookupKeyPress);
    lookupBox_->OnExit = TNotifyEvent(this, &TCustomElHeader::LookupExit);
  }
  lookupSection_ = section;
  lookupBox_->SetFlat(Flat());
  lookupBox_->Font()->Assign(Font());
  lookupBox_->Font()->SetHeight(std::abs(Font()->Height()) - 3);
  TWinControl* host = Parent() ? Parent() : this;
  const int dx = host == this ? 0 : Left(), dy = host == this ? 0 : Top();
  const TRect r = layout_.SectionClientRect(section);
  lookupBox_->SetParent(host);
  lookupBox_->SetBounds(r.left + dx, r.top + dy, r.right - r.left, std::max(lookupBox_->Height(), ClientHeight() - 2));
  lookupInternalChange_ = true;
  lookupBox_->Items()->Assign(section->LookupHistory());
  lookupBox_->SetText("");
  lookupInternalChange_ = false;
  focusBeforeLookup_ = GetFocus();
  lookupVisible_ = true;
  lookupBox_->SetVisible(true);
  lookupBox_->BringToFront();
  if (lookupBox_->CanFocus()) lookupBox_->SetFocus();
}

void TCustomElHeader::LookupChange(TObject*) {
  if (lookupInternalChange_ || !lookupVisible_ || !lookupSection_) return;
  const AnsiString typed = lookupBox_->Text();
  AnsiString text = typed;
  DoHeaderLookup(lookupSection_, text);
  if (text == typed) return;
  lookupInternalChange_ = true;
  lookupBox_->SetText(text);
  lookupInternalChange_ = false;
}

// Enter and Escape end the lookup and never reach the box.
void TCustomElHeader::LookupKeyDown(TObject*, Word& key, TShiftState) {
  if (key != VK_RETURN && key != VK_ESCAPE) return;
  const bool accepted = key == VK_RETURN;
  key = 0;
  CloseLookup(accepted);
}

void TCustomElHeader::LookupKeyPress(TObject*, char& key) {
  if (key == '\r' || key == '\x1B') key = 0;
}

void TCustomElHeader::LookupExit(TObject*) {
  if (lookupVisible_) CloseLookup(false);
}

void TCustomElHeader::CloseLookup(bool accepted) {
  if (!lookupVisible_ || !lookupBox_) return;
  lookupVisible_ = false;
  TElHeaderSection* section = lookupSection_;
  const AnsiString text = lookupBox_->Text();
  if (section) {
    DoHeaderLookupDone(section, text, accepted);
    if (accepted) {
      TStringList* history = section->LookupHistory();
      for (int i = history->Count() - 1; i >= 0; --i)
        if (history->Strings(i) == text) history->Delete(i);
      history->Insert(0, text);
    }
  }
  const bool hadFocus = lookupBox_->Focused();
  lookupBox_->SetVisible(false);
  HWND previous = focusBeforeLookup_;
  focusBeforeLookup_ = nullptr;
  try {
    TWinControl* control = previous && IsWindow(previous) ? TWinControl::FindControl(previous) : nullptr;
    if (control && control->CanFocus())
      control->SetFocus();
    else if (previous && IsWindow(previous) && IsWindowVisible(previous))
      ::SetFocus(previous);
    else if (hadFocus && HandleAllocated())
      ::SetFocus(GetAncestor(Handle(), GA_ROOT));
  } catch (Exception&) {
    // A form that refuses the focus now keeps the header usable.
  }
}
