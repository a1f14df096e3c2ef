// The header under the mouse: presses and clicks, resizing by the grips
// (live or with an inverted line), dragging sections to new places, the
// expand, lookup and filter buttons, hot tracking, hints, popup menus, and
// the ways a mouse mode ends (release, Escape, focus loss, cancel mode,
// leaving the window, the drag messages of the class library).
#include <algorithm>

#include "ControlsDrag.hpp"
#include "ElHeader.hpp"
#include "ElVCLUtils.hpp"
#include "Forms.hpp"
#include "Menus.hpp"

POINT TCustomElHeader::PointerInClient() const {
  POINT p{};
  GetCursorPos(&p);
  return ScreenToClient(p);
}

// ---------------------------------------------------------------- buttons

void TCustomElHeader::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && !controlStyle_.Contains(csNoStdEvents)) {
    if (shift.Contains(ssDouble)) {
      TElHeaderSection* grip = IsOnResizeGrip(x);
      if (grip && grip->Resizable())
        DoSectionAutoSize(grip);
      else
        PressAt(x, y);
    } else {
      PressAt(x, y);
    }
  }
  TElXPThemedControl::MouseDown(button, shift, x, y);
}

void TCustomElHeader::PressAt(int x, int y) {
  if (lookupVisible_) CloseLookup(false);
  TElHeaderSection* grip = IsOnResizeGrip(x);
  if (grip && grip->Resizable()) {
    StartResize(grip, x);
    return;
  }
  pressPoint_ = POINT{x, y};
  TElHeaderSection* s = layout_.SectionAtPoint(x, y);
  if (!s) return;
  switch (layout_.ButtonAt(s, x, y)) {
    case hhkExpandSign:
      s->SetExpanded(!s->Expanded());
      if (s->Expanded())
        DoSectionExpand(s);
      else
        DoSectionCollapse(s);
      return;
    case hhkFilterButton: DoFilterCall(s); return;
    case hhkLookupButton: OpenLookup(s); return;
    default: break;
  }
  pressing_ = true;
  if (!s->AllowClick()) return;
  pressedSection_ = s;
  RepaintSection(s);
}

void TCustomElHeader::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && !controlStyle_.Contains(csNoStdEvents)) ReleaseAt(x, y);
  TElXPThemedControl::MouseUp(button, shift, x, y);
}

// Ends whatever the left button began, as its release at the point.
void TCustomElHeader::ReleaseAt(int x, int y) {
  if (resizing_) {
    EndResize();
    return;
  }
  if (dragSection_) {
    EndDrag(x, y, false);
    return;
  }
  if (!pressing_) return;
  TElHeaderSection* pressed = pressedSection_;
  pressing_ = false;
  pressedSection_ = nullptr;
  if (!pressed) return;
  RepaintSection(pressed);
  if (layout_.SectionAtPoint(x, y) == pressed) DoSectionClick(pressed);
}

void TCustomElHeader::RightButtonUp(TMessage& m) {
  // While resizing the right button does nothing at all.
  if (resizing_) return;
  const auto& mouse = MessageAs<TWMMouse>(m);
  TElHeaderSection* s = layout_.SectionAtPoint(mouse.XPos(), mouse.YPos());
  TPopupMenu* menu = s && s->PopupMenu() ? s->PopupMenu() : PopupMenu();
  MouseUp(mbRight, KeysToShiftState(static_cast<Word>(mouse.Keys())), mouse.XPos(), mouse.YPos());
  if (!menu || !menu->AutoPopup()) return;
  menu->SetPopupComponent(this);
  const POINT at = ClientToScreen(mouse.Pos());
  menu->Popup(at.x, at.y);
}

// ---------------------------------------------------------------- moves

void TCustomElHeader::MouseMove(TShiftState shift, int x, int y) {
  if (pressing_ && allowDrag_ && pressedSection_ && pressedSection_ != layout_.LeftFixedSection() &&
      TElHeaderLayout::DragThresholdReached(pressPoint_, POINT{x, y}))
    StartDrag();
  if (dragSection_)
    DragTo(x, y);
  else if (resizing_)
    ResizeTo(x);
  TrackHotSection(x, y);
  TrackHintSection(x, y);
  TElXPThemedControl::MouseMove(shift, x, y);
}

void TCustomElHeader::TrackHotSection(int x, int y) {
  if (!(tracking_ || IsThemeApplied()) || resizing_ || dragSection_) return;
  TElHeaderSection* hot = layout_.SectionAtPoint(x, y);
  if (hot == hotSection_) return;
  TElHeaderSection* old = hotSection_;
  hotSection_ = hot;
  if (old) RepaintSection(old);
  if (hot) RepaintSection(hot);
}

// A section with a hint of its own shows it, not the hint of the section the
// pointer came from: the application waits for a new hint.
void TCustomElHeader::TrackHintSection(int x, int y) {
  TElHeaderSection* s = layout_.SectionAtPoint(x, y);
  if (s == hintSection_) return;
  hintSection_ = s;
  if (s && !s->Hint().empty() && Application) Application->CancelHint();
}

void TCustomElHeader::SetCursorMessage(TMessage& m) {
  if (LOWORD(m.LParam) == HTCLIENT && Screen) {
    const POINT p = PointerInClient();
    TElHeaderSection* grip = resizing_ ? resizeSection_ : IsOnResizeGrip(p.x);
    if (grip && grip->Resizable() && !dragSection_) {
      ::SetCursor(Screen->Cursors(crHSplit));
      m.Result = 1;
      return;
    }
  }
  TElXPThemedControl::Dispatch(m);
}

// ---------------------------------------------------------------- resizing

void TCustomElHeader::StartResize(TElHeaderSection* section, int x) {
  resizing_ = true;
  resizeSection_ = section;
  if (TElHeaderSection* old = hotSection_) {
    hotSection_ = nullptr;
    RepaintSection(old);
  }
  SetMouseCapture(true);
  const TRect r = layout_.SectionClientRect(section);
  resizeGrabOffset_ = x - r.right;
  resizeWidth_ = section->Width();
  if (!resizeOnDrag_) DrawResizeLine(r.right - 1);
  DoSectionResizing(section, trsBegin, section->Width());
}

void TCustomElHeader::ResizeTo(int x) {
  TElHeaderSection* s = resizeSection_;
  const TRect r = layout_.SectionClientRect(s);
  if (x < r.left) return;
  if (layout_.StickySections()) {
    // Sticky sections cannot push the fixed sections after them out.
    int fixedAfter = 0;
    TElHeaderSections* sections = Sections();
    for (int i = s->Position() + 1; i < sections->Count(); ++i) {
      const TElHeaderSection* next = sections->GetSectionAt(i);
      if (next->Visible() && !next->Resizable()) fixedAfter += next->Width();
    }
    if (x > Width() - fixedAfter) return;
  }
  const int width = x - r.left - resizeGrabOffset_;
  if (width < s->MinWidth() || width > s->MaxWidth()) return;
  resizeWidth_ = width;
  if (resizeOnDrag_) {
    s->SetWidth(width);
    RepaintFrom(s);
    Update();
  } else {
    DrawResizeLine(r.left + width - 1);
  }
  DoSectionResizing(s, trsMove, width);
}

void TCustomElHeader::EndResize() {
  TElHeaderSection* s = resizeSection_;
  RemoveResizeLine();
  resizing_ = false;
  resizeSection_ = nullptr;
  if (!s) return;
  if (!resizeOnDrag_) s->SetWidth(resizeWidth_);
  DoSectionResizing(s, trsEnd, s->Width());
  DoSectionResize(s);
  RepaintHeader();
}

// The line runs over the full height of the parent, children included, in
// the parent's coordinates; drawing it twice at one place removes it.
void TCustomElHeader::DrawResizeLine(int x) {
  RemoveResizeLine();
  if (!HandleAllocated()) return;
  TWinControl* host = Parent();
  resizeWindow_ = host && host->HandleAllocated() ? host->Handle() : Handle();
  POINT at{x, 0};
  MapWindowPoints(Handle(), resizeWindow_, &at, 1);
  RECT area{};
  GetClientRect(resizeWindow_, &area);
  resizeDC_ = GetDCEx(resizeWindow_, nullptr, DCX_CACHE);
  if (!resizeDC_) return;
  resizeLineX_ = at.x;
  PatBlt(resizeDC_, resizeLineX_, 0, 1, area.bottom, DSTINVERT);
  resizeLineShown_ = true;
}

void TCustomElHeader::RemoveResizeLine() {
  if (resizeLineShown_ && resizeDC_) {
    RECT area{};
    GetClientRect(resizeWindow_, &area);
    PatBlt(resizeDC_, resizeLineX_, 0, 1, area.bottom, DSTINVERT);
  }
  resizeLineShown_ = false;
  if (resizeDC_) ReleaseDC(resizeWindow_, resizeDC_);
  resizeDC_ = nullptr;
}

// ---------------------------------------------------------------- dragging

void TCustomElHeader::StartDrag() {
  dragSection_ = pressedSection_;
  pressing_ = false;
  pressedSection_ = nullptr;
  dragStartPosition_ = dragSection_->Position();
  if (TElHeaderSection* old = hotSection_) {
    hotSection_ = nullptr;
    RepaintSection(old);
  }
  const TRect r = layout_.SectionClientRect(dragSection_);
  dragGrab_ = pressPoint_.x - r.left;
  dragRect_ = r;
  BuildDragImage();
  SetMouseCapture(true);
}

void TCustomElHeader::DragTo(int x, int y) {
  InvalidateClient(dragRect_);
  OffsetRect(&dragRect_, x - dragGrab_ - dragRect_.left, 0);
  InvalidateClient(dragRect_);
  TElHeaderSection* drop = layout_.SectionAtPoint(x, y);
  if (moveOnDrag_) {
    TElHeaderSections* sections = Sections();
    const int from = dragSection_->Position();
    if (drop && drop != dragSection_) {
      // Only past the far edge of the other section less the dragged width,
      // so that a wide section does not swap back and forth.
      const TRect r = layout_.SectionClientRect(drop);
      const int to = drop->Position(), width = dragSection_->Width();
      if (to > from ? x > r.right - width : x < r.left + width) sections->MoveSection(dragSection_, to);
    } else if (!drop && y >= 0 && y <= ClientHeight() && x >= layout_.SectionsWidth() - layout_.LeftOffset() &&
               from != sections->Count() - 1) {
      sections->MoveSection(dragSection_, sections->Count() - 1);
    }
  }
  if (drop != dropSection_) {
    if (dropSection_) RepaintSection(dropSection_);
    dropSection_ = drop;
    if (drop) RepaintSection(drop);
  }
  if (HandleAllocated()) Update();
}

void TCustomElHeader::EndDrag(int x, int y, bool cancelled) {
  TElHeaderSection* s = dragSection_;
  InvalidateClient(dragRect_);
  dragSection_ = nullptr;
  dropSection_ = nullptr;
  dragImage_.reset();
  TElHeaderSections* sections = Sections();
  if (cancelled) {
    if (s->Position() != dragStartPosition_) sections->MoveSection(s, dragStartPosition_);
  } else if (TElHeaderSection* drop = layout_.SectionAtPoint(x, y)) {
    if (drop != s) sections->MoveSection(s, drop->Position());
  } else if (x >= layout_.SectionsWidth() - layout_.LeftOffset()) {
    sections->MoveSection(s, sections->Count() - 1);
  }
  RepaintHeader();
}

bool TCustomElHeader::EscapePressed(Word key) {
  if (key != VK_ESCAPE || !dragSection_) return false;
  const POINT p = PointerInClient();
  EndDrag(p.x, p.y, true);
  // The button is still down: its release must not count as a click.
  controlState_.Exclude(csClicked);
  SetMouseCapture(false);
  return true;
}

void TCustomElHeader::KeyDown(Word& key, TShiftState shift) {
  if (EscapePressed(key)) key = 0;
  TElXPThemedControl::KeyDown(key, shift);
}

// ---------------------------------------------------------------- leaving

void TCustomElHeader::MouseLeft() {
  mouseInside_ = false;
  if (dropSection_) RepaintSection(dropSection_);
  dropSection_ = nullptr;
  pressing_ = false;
  if (TElHeaderSection* old = hotSection_) {
    hotSection_ = nullptr;
    RepaintSection(old);
  }
  hintSection_ = nullptr;
  if (pressedSection_) RepaintSection(pressedSection_);
}

// The class library's drag over the header (the tree's items): leaving,
// dropping and cancelling end the drop mark; cancelling also the drag.
void TCustomElHeader::DragMessage(TMessage& m) {
  const TDragMessage code = MessageAs<TCMDrag>(m).DragMessage();
  if (code != dmDragLeave && code != dmDragDrop && code != dmDragCancel) return;
  if (dropSection_) RepaintSection(dropSection_);
  dropSection_ = nullptr;
  if (code == dmDragCancel) {
    dragSection_ = nullptr;
    dragImage_.reset();
  }
}

// ---------------------------------------------------------------- hints

void TCustomElHeader::HintShow(THintInfo& info) {
  TElHeaderSection* s = layout_.SectionAtPoint(info.CursorPos.x, info.CursorPos.y);
  hintSection_ = s;
  const TElFString& hint = s && !s->Hint().empty() ? s->Hint() : hint_;
  AnswerPackedHint(info, hint, TControl::Hint());
  if (s) info.CursorRect = layout_.SectionClientRect(s);
}
