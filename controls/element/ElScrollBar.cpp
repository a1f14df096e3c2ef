#include "ElScrollBar.hpp"

#include "ElTmSchema.hpp"
#include "ElTools.hpp"
#include "ElVCLUtils.hpp"
#include "Streaming.hpp"

static_assert(sizeof(SCROLLINFO) == 28, "the scroll-info records the bar accepts");

TCustomElScrollBar::TCustomElScrollBar(TComponent* owner) : TElXPThemedControl(owner) {
  // No csCaptureMouse: the bar takes the capture itself, and only for a
  // press that starts something. No csDoubleClicks: a quick second click is
  // a second press.
  controlStyle_ = TControlStyle{csFramed};
  imgFormChangeLink_ = std::make_unique<TImgFormChangeLink>();
  imgFormChangeLink_->OnChange = TNotifyEvent(this, &TCustomElScrollBar::ImageFormChanged);
  timer_ = new TTimer(this);
  timer_->SetEnabled(false);
  timer_->OnTimer = TNotifyEvent(this, &TCustomElScrollBar::RepeatTimer);
  geometry_.Metrics = TElScrollMetrics::System();
  geometry_.ButtonSize = geometry_.Metrics.HorzArrow;
  SetBounds(Left(), Top(), 121, GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
  SetCtl3D(false);
  SetParentColor(false);
  SetColor(clBtnFace);
  // Every WM_PAINT goes through a memory bitmap.
  doubleBuffered_ = true;
  SyncGeometry();
  CreatePatternIfNone();
}

// The timer is an owned component, gone with the others before this runs;
// its own destruction stopped it.
TCustomElScrollBar::~TCustomElScrollBar() {
  SetImageForm(nullptr);
  ReleasePattern();
}

void TCustomElScrollBar::BeforeDestruction() {
  if (timer_) timer_->SetEnabled(false);
  timer_ = nullptr;
  TElXPThemedControl::BeforeDestruction();
}

bool TCustomElScrollBar::Loading() const { return ComponentState().Contains(csLoading); }

// The geometry follows the client size (on every resize, the window's
// creation and loading) and the system's scroll-bar sizes (on every change
// of the system settings); nothing else has to refresh it.
void TCustomElScrollBar::SyncGeometry() {
  RECT r = ClientRect();
  geometry_.ClientWidth = r.right - r.left;
  geometry_.ClientHeight = r.bottom - r.top;
  geometry_.Metrics = TElScrollMetrics::System();
}

void TCustomElScrollBar::RepaintNow() {
  if (!Loading() && HandleAllocated()) Invalidate();
}

void TCustomElScrollBar::GeometryChanged() {
  if (Loading() || !HandleAllocated()) return;
  geometry_.UpdateThumbOffset();
  Invalidate();
}

void TCustomElScrollBar::InvalidateTrack() {
  if (!HandleAllocated()) return;
  RECT r = geometry_.PartRect(spNone);
  if (r.right > r.left) InvalidateRect(Handle(), &r, FALSE);
}

// ---------------------------------------------------------------- properties

void TCustomElScrollBar::SetKind(TScrollBarKind value) {
  if (geometry_.Kind == value) return;
  geometry_.Kind = value;
  if (geometry_.UseSystemMetrics) ApplySystemMetrics();
  if (!Loading()) SetBounds(Left(), Top(), Width(), Height());
  GeometryChanged();
}

void TCustomElScrollBar::SetPosition(int value) {
  if (value == geometry_.Position) return;
  if (Loading()) {
    geometry_.Position = value;
    return;
  }
  TElPositionChange change = geometry_.SetPosition(value);
  geometry_.UpdateThumbOffset();
  if (HandleAllocated() && change.Changed) {
    if (noDisableButtons_ || !change.ButtonsChanged) {
      InvalidateTrack();
      Update();
    } else {
      Invalidate();
    }
  }
  // Owners hear of every change, with the value that was asked for; this
  // call cannot veto.
  int requested = value;
  bool doChange = true;
  TriggerScrollEvent(scPosition, requested, doChange);
}

void TCustomElScrollBar::SetMax(int value) {
  if (value == geometry_.Max) return;
  if (Loading()) {
    geometry_.Max = value;
    return;
  }
  geometry_.SetMaxRepaired(value);
  GeometryChanged();
  if (geometry_.Position > geometry_.Max) SetPosition(geometry_.Max);
}

void TCustomElScrollBar::SetMin(int value) {
  if (value == geometry_.Min) return;
  if (Loading()) {
    geometry_.Min = value;
    return;
  }
  geometry_.SetMinRepaired(value);
  GeometryChanged();
  if (geometry_.Position < geometry_.Min) SetPosition(geometry_.Min);
}

void TCustomElScrollBar::SetPage(int value) {
  if (value == geometry_.Page || value < 0) return;
  geometry_.Page = value;
  // The thumb's length, and so its place, follow the page.
  GeometryChanged();
}

void TCustomElScrollBar::SetButtonSize(int value) {
  if (value == geometry_.ButtonSize || value <= 0) return;
  if (HandleAllocated() && geometry_.Length() < 2 * value) return;
  geometry_.ButtonSize = value;
  GeometryChanged();
}

void TCustomElScrollBar::SetThumbSize(int value) {
  if (value == geometry_.ThumbSize || value <= 0) return;
  geometry_.ThumbSize = value;
  GeometryChanged();
}

void TCustomElScrollBar::SetMinThumbSize(int value) {
  if (value == geometry_.MinThumbSize || value <= 0) return;
  geometry_.MinThumbSize = value;
  if (geometry_.ThumbMode == etmAuto)
    GeometryChanged();
  else
    RepaintNow();
}

void TCustomElScrollBar::SetThumbMode(TElScrollThumbMode value) {
  if (geometry_.ThumbMode == value) return;
  geometry_.ThumbMode = value;
  if (value == etmFixed && geometry_.UseSystemMetrics) geometry_.ThumbSize = geometry_.SystemThumbLength();
  GeometryChanged();
}

void TCustomElScrollBar::SetUseSystemMetrics(bool value) {
  if (geometry_.UseSystemMetrics == value) return;
  geometry_.UseSystemMetrics = value;
  if (value) ApplySystemMetrics();
  GeometryChanged();
}

// The system's button length and thickness: the theme's arrow button when
// themed, else the system metrics. Not while the bar or its owner loads, so
// that stored sizes apply first.
void TCustomElScrollBar::ApplySystemMetrics() {
  if (Loading() || (Owner() && Owner()->ComponentState().Contains(csLoading))) return;
  const bool vertical = geometry_.Kind == sbVertical;
  if (ThemesAvailable && IsThemeApplied()) {
    SIZE size{};
    HDC dc = GetDC(Handle());
    HRESULT hr = GetThemePartSize(Theme(), dc, SBP_ARROWBTN, ABS_LEFTNORMAL, nullptr, TS_TRUE, &size);
    ReleaseDC(Handle(), dc);
    if (SUCCEEDED(hr) && size.cx > 0 && size.cy > 0) {
      geometry_.ButtonSize = vertical ? size.cy : size.cx;
      if (vertical)
        SetWidth(size.cx);
      else
        SetHeight(size.cy);
      return;
    }
  }
  if (vertical) {
    geometry_.ButtonSize = GetSystemMetrics(SM_CYVSCROLL);
    SetWidth(GetSystemMetrics(SM_CYHSCROLL));
  } else {
    geometry_.ButtonSize = GetSystemMetrics(SM_CXHSCROLL);
    SetHeight(GetSystemMetrics(SM_CXVSCROLL));
  }
}

void TCustomElScrollBar::SetSecondaryButtons(bool value) {
  if (geometry_.SecondaryButtons == value) return;
  geometry_.SecondaryButtons = value;
  GeometryChanged();
}

void TCustomElScrollBar::SetSecondBtnKind(TElSecButtonsKind value) { SetLook(geometry_.SecondBtnKind, value); }

void TCustomElScrollBar::SetShowLeftArrows(bool value) {
  if (geometry_.ShowLeftArrows == value) return;
  geometry_.ShowLeftArrows = value;
  GeometryChanged();
}

void TCustomElScrollBar::SetShowRightArrows(bool value) {
  if (geometry_.ShowRightArrows == value) return;
  geometry_.ShowRightArrows = value;
  GeometryChanged();
}

void TCustomElScrollBar::SetAltDisablingArrows(bool value) { SetLook(geometry_.AltDisablingArrows, value); }

void TCustomElScrollBar::SetImageForm(TElImageForm* value) {
  if (FollowImageForm(this, imageForm_, value, imgFormChangeLink_.get())) RepaintNow();
}

void TCustomElScrollBar::ImageFormChanged(TObject*) { RepaintNow(); }

void TCustomElScrollBar::Notification(TComponent* component, TOperation operation) {
  TElXPThemedControl::Notification(component, operation);
  if (operation == opRemove && component && component == imageForm_) SetImageForm(nullptr);
}

void TCustomElScrollBar::SetHint(const TElFString& value) {
  hint_ = value;
  TControl::SetHint(PackWideHint(value));
}

void TCustomElScrollBar::HintShow(THintInfo& info) { AnswerPackedHint(info, hint_, TControl::Hint()); }

void TCustomElScrollBar::UpdateTrackHint(int position) {
  if (hintWindow_ && position == hintPosition_) return;
  hintPosition_ = position;
  TElFString text;
  TriggerScrollHintNeededEvent(position, text);
  if (text.empty()) {
    // Nothing to say: no empty box.
    FreeTrackHint();
    return;
  }
  if (!hintWindow_) hintWindow_.reset(new TElHintWindow(nullptr));
  TElHintWindow* window = hintWindow_.get();
  window->Font()->Assign(Font());
  window->Font()->SetColor(clInfoText);
  window->SetIsHTML(isHTML_);
  window->SetColor(clInfoBk);
  const TRect desktop{Screen->DesktopLeft(), Screen->DesktopTop(), Screen->DesktopLeft() + Screen->DesktopWidth(),
                      Screen->DesktopTop() + Screen->DesktopHeight()};
  const TRect size = window->CalcHintRectW(desktop.right, text);
  const TRect place = PlaceTrackHint(geometry_.Kind, geometry_.ThumbOffset, ClientOrigin(),
                                     SIZE{size.right - size.left, size.bottom - size.top}, desktop);
  window->ActivateHintW(place, text);
}

void TCustomElScrollBar::FreeTrackHint() { hintWindow_.reset(); }

void TCustomElScrollBar::SetDrawFrames(bool value) {
  if (drawFrames_ == value) return;
  drawFrames_ = value;
  if (!value) drawArrowFrames_ = false;
  RepaintNow();
}

// ---------------------------------------------------------------- events

void TCustomElScrollBar::TriggerChangeEvent() { OnChange(this); }

void TCustomElScrollBar::TriggerScrollEvent(TElScrollCode code, int& scrollPos, bool& doChange) {
  doChange = true;
  OnScroll(this, code, scrollPos, doChange);
}

void TCustomElScrollBar::TriggerScrollHintNeededEvent(int trackPosition, TElFString& hint) {
  OnScrollHintNeeded(this, trackPosition, hint);
}

void TCustomElScrollBar::TriggerHitTestEvent(int x, int y, TElScrollBarPart& part, bool& defaultTest) {
  defaultTest = true;
  OnHitTest(this, x, y, part, defaultTest);
}

TElScrollBarPart TCustomElScrollBar::ScrollHitTest(int x, int y) {
  TElScrollBarPart part = spNone;
  bool defaultTest = true;
  TriggerHitTestEvent(x, y, part, defaultTest);
  return defaultTest ? geometry_.HitTest(x, y) : part;
}

// ---------------------------------------------------------------- life

void TCustomElScrollBar::Loaded() {
  TElXPThemedControl::Loaded();
  SyncGeometry();
  geometry_.RepairLoaded();
  if (geometry_.UseSystemMetrics) ApplySystemMetrics();
  geometry_.UpdateThumbOffset();
  RepaintNow();
}

void TCustomElScrollBar::CreateWnd() {
  TElXPThemedControl::CreateWnd();
  SyncGeometry();
  geometry_.UpdateThumbOffset();
}

void TCustomElScrollBar::Resize() {
  TElXPThemedControl::Resize();
  SyncGeometry();
  if (!HandleAllocated()) return;
  geometry_.UpdateThumbOffset();
  Invalidate();
}

void TCustomElScrollBar::GetThemedClassName(TElFString& name) { name = L"SCROLLBAR"; }

// ---------------------------------------------------------------- messages

void TCustomElScrollBar::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: {
      TElXPThemedControl::Dispatch(m);
      const TWMMouse& mouse = MessageAs<TWMMouse>(m);
      MousePress(mouse.XPos(), mouse.YPos());
      return;
    }
    case WM_LBUTTONUP:
      TElXPThemedControl::Dispatch(m);
      MouseRelease();
      return;
    case WM_MOUSEMOVE: {
      TElXPThemedControl::Dispatch(m);
      const TWMMouse& mouse = MessageAs<TWMMouse>(m);
      MouseMoved(mouse.XPos(), mouse.YPos());
      return;
    }
    case WM_MOUSEWHEEL: Wheel(MessageAs<TWMMouseWheel>(m)); return;
    case WM_CAPTURECHANGED:
      TElXPThemedControl::Dispatch(m);
      CaptureChanged(reinterpret_cast<HWND>(m.LParam));
      return;
    case CM_MOUSEENTER:
      TElXPThemedControl::Dispatch(m);
      MouseEnter();
      return;
    case CM_MOUSELEAVE:
      TElXPThemedControl::Dispatch(m);
      MouseLeave();
      return;
    case CM_ENTER:
    case CM_EXIT:
      TElXPThemedControl::Dispatch(m);
      FocusChanged();
      return;
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_SYSCOLORCHANGE:
      TElXPThemedControl::Dispatch(m);
      RebuildPattern();
      RepaintNow();
      return;
    case WM_SETTINGCHANGE:
      TElXPThemedControl::Dispatch(m);
      SyncGeometry();
      GeometryChanged();
      return;
    case CM_COLORCHANGED:
      TElXPThemedControl::Dispatch(m);
      if (blendBackground_) RebuildPattern();
      RepaintNow();
      return;
    case WM_WINDOWPOSCHANGED:
      TElXPThemedControl::Dispatch(m);
      SyncGeometry();
      Perform(EL_BACKGROUND_MOVED, 0, 0);
      return;
    case EL_BACKGROUND_MOVED:
      RepaintNow();
      Broadcast(m);
      return;
    case SBM_SETSCROLLINFO: SetScrollInfoMessage(m); return;
    case SBM_GETSCROLLINFO: GetScrollInfoMessage(m); return;
    case CM_HINTSHOW:
      TElXPThemedControl::Dispatch(m);
      if (m.LParam) HintShow(*reinterpret_cast<THintInfo*>(m.LParam));
      return;
    case WM_GETDLGCODE:
      TElXPThemedControl::Dispatch(m);
      m.Result = DLGC_WANTARROWS;
      return;
    default: TElXPThemedControl::Dispatch(m);
  }
}

void TCustomElScrollBar::SetScrollInfoMessage(TMessage& m) {
  const auto* info = reinterpret_cast<const SCROLLINFO*>(m.LParam);
  if (info && info->cbSize >= sizeof(SCROLLINFO)) {
    geometry_.ApplyScrollInfo(*info);
    geometry_.UpdateThumbOffset();
    if (m.WParam) RepaintNow();
  }
  m.Result = geometry_.Position;
}

void TCustomElScrollBar::GetScrollInfoMessage(TMessage& m) {
  auto* info = reinterpret_cast<SCROLLINFO*>(m.LParam);
  if (!info || info->cbSize < sizeof(SCROLLINFO)) {
    m.Result = 0;
    return;
  }
  Geometry().FillScrollInfo(*info);
  m.Result = -1;
}

// ---------------------------------------------------------------- mouse

void TCustomElScrollBar::MousePress(int x, int y) {
  pointer_ = POINT{x, y};
  pressedPart_ = ScrollHitTest(x, y);
  if (tracking_) {
    // A press already runs; it goes on with the new part.
    RepaintNow();
    return;
  }
  hotPart_ = pressedPart_;
  TElScrollBarGeometry& g = geometry_;
  const TElPressStep step = g.PressStep(pressedPart_);
  tracking_ = step.Tracks;
  if (pressedPart_ == spThumb && tracking_) {
    dragOrigin_ = g.Along(x, y);
    grabOffset_ = dragOrigin_ - g.ThumbOffset;
    if (showTrackHint_) UpdateTrackHint(g.Position);
  }
  const bool forced = noDisableButtons_ && pressedPart_ != spThumb && pressedPart_ != spNone;
  if (tracking_ || forced) {
    tracking_ = true;
    HWND capture = GetCapture();
    previousCapture_ = capture != Handle() ? capture : nullptr;
    SetCapture(Handle());
    if (pressedPart_ == spThumb) {
      InvalidateTrack();
    } else {
      if (timer_) {
        timer_->SetInterval(static_cast<Cardinal>(GetKeyboardRepeatTime(SPI_GETKEYBOARDDELAY)));
        timer_->SetEnabled(true);
      }
      int proposal = step.Proposal;
      bool doChange = true;
      TriggerScrollEvent(step.Code, proposal, doChange);
      if (doChange) {
        SetPosition(proposal);
        TriggerChangeEvent();
      }
    }
  } else {
    pressedPart_ = spNone;
  }
  RepaintNow();
}

void TCustomElScrollBar::RepeatTimer(TObject*) {
  if (!tracking_) {
    timer_->SetEnabled(false);
    return;
  }
  timer_->SetInterval(static_cast<Cardinal>(GetKeyboardRepeatTime(SPI_GETKEYBOARDSPEED)));
  const TElScrollBarPart under = ScrollHitTest(pointer_.x, pointer_.y);
  std::optional<TElScrollStep> step = geometry_.RepeatStep(pressedPart_, under);
  if (!step) return;
  int proposal = step->Proposal;
  bool doChange = true;
  TriggerScrollEvent(step->Code, proposal, doChange);
  if (doChange) SetPosition(proposal);
}

void TCustomElScrollBar::MouseMoved(int x, int y) {
  pointer_ = POINT{x, y};
  if (tracking_ && pressedPart_ == spThumb) {
    DragTo(geometry_.Along(x, y));
    return;
  }
  const TElScrollBarPart part = ScrollHitTest(x, y);
  if (part == hotPart_) return;
  // A held button repeats only while the pointer stays on it.
  if (tracking_ && timer_) timer_->SetEnabled(part == pressedPart_);
  hotPart_ = part;
  RepaintNow();
}

void TCustomElScrollBar::DragTo(int along) {
  TElScrollBarGeometry& g = geometry_;
  const int old = g.ThumbOffset;
  g.ThumbOffset = g.DraggedThumbOffset(along, dragOrigin_, grabOffset_);
  const int position = g.TrackPosition();
  // Snapping back is a move like any other: the parent and OnScroll hear
  // the press position again.
  if (notifyParent_ && Parent() && Parent()->HandleAllocated()) {
    const UINT msg = g.Kind == sbVertical ? WM_VSCROLL : WM_HSCROLL;
    SendMessageA(Parent()->Handle(), msg, MAKEWPARAM(SB_THUMBPOSITION, LOWORD(position)),
                 reinterpret_cast<LPARAM>(Handle()));
  }
  int tracked = position;
  bool doChange = true;
  TriggerScrollEvent(scTrack, tracked, doChange);
  if (geometry_.ThumbOffset != old) InvalidateTrack();
  if (showTrackHint_) UpdateTrackHint(position);
}

void TCustomElScrollBar::MouseRelease() {
  if (tracking_)
    EndPress();
  else
    GiveCaptureBack();
}

void TCustomElScrollBar::StopScrolling() { MouseRelease(); }

void TCustomElScrollBar::GiveCaptureBack() {
  releasingCapture_ = true;
  if (previousCapture_ && IsWindow(previousCapture_))
    SetCapture(previousCapture_);
  else if (HandleAllocated() && GetCapture() == Handle())
    ReleaseCapture();
  previousCapture_ = nullptr;
  releasingCapture_ = false;
}

void TCustomElScrollBar::EndPress() {
  // Also reached while the bar is going (its capture ends), the timer gone.
  if (timer_) timer_->SetEnabled(false);
  GiveCaptureBack();
  tracking_ = false;
  const bool thumb = pressedPart_ == spThumb;
  if (thumb) FreeTrackHint();
  int answer = thumb ? geometry_.TrackPosition() : geometry_.Position;
  bool doChange = true;
  TriggerScrollEvent(thumb ? scPosition : scEndScroll, answer, doChange);
  if (doChange) {
    SetPosition(answer);
    TriggerChangeEvent();
  }
  geometry_.UpdateThumbOffset();
  pressedPart_ = spNone;
  RepaintNow();
}

// Another window took the mouse (a dialog, a drag): the press ends as if
// released, so that no repeat runs on unattended.
void TCustomElScrollBar::CaptureChanged(HWND newCapture) {
  if (tracking_ && !releasingCapture_ && (!HandleAllocated() || newCapture != Handle())) EndPress();
}

void TCustomElScrollBar::Wheel(TWMMouseWheel& m) {
  // The class library's wheel handling first: a handler of the bar or its
  // parent that takes the turn leaves the bar where it is, so that an owner
  // never scrolls twice for one turn.
  const TShiftState shift = KeysToShiftState(static_cast<Word>(m.Keys()));
  const POINT at{m.XPos(), m.YPos()};
  bool handled = DoMouseWheel(shift, m.WheelDelta(), at);
  if (!handled) OnMouseWheel(this, shift, m.WheelDelta(), at, handled);
  if (!handled && Parent()) handled = Parent()->Perform(CM_MOUSEWHEEL, m.WParam, m.LParam) != 0;
  m.Result = 1;
  if (handled) return;
  UINT lines = 3;
  if (IsWinNTUp || IsWin98Up) SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  const TElWheelTurn turn = geometry_.WheelTurn(m.WheelDelta(), lines);
  if (turn.Count == 0) return;
  // The turn ends early at a veto, and once a step moved nothing (the
  // position is pinned at an end): a fast wheel's many steps then stop
  // there.
  for (int i = 0; i < turn.Count; ++i) {
    int proposal = geometry_.WheelProposal(turn);
    bool doChange = true;
    TriggerScrollEvent(turn.Code, proposal, doChange);
    if (!doChange) break;
    const int before = geometry_.Position;
    SetPosition(proposal);
    if (geometry_.Position == before) break;
  }
  int answer = geometry_.Position;
  bool doChange = true;
  TriggerScrollEvent(scEndScroll, answer, doChange);
  if (doChange) SetPosition(answer);
}

void TCustomElScrollBar::MouseEnter() {
  mouseInside_ = true;
  if ((flat_ && !activeFlat_) || IsThemeApplied()) RepaintNow();
}

void TCustomElScrollBar::MouseLeave() {
  mouseInside_ = false;
  const bool buttonHot = hotPart_ != spNone && hotPart_ <= spSecondFirst;
  if ((!flat_ || activeFlat_) && !IsThemeApplied() && !buttonHot) {
    hotPart_ = spNone;
    return;
  }
  RepaintNow();
  hotPart_ = spNone;
}

void TCustomElScrollBar::FocusChanged() {
  if ((flat_ && !activeFlat_) || IsThemeApplied()) RepaintNow();
}

// ---------------------------------------------------------------- keys

void TCustomElScrollBar::KeyDown(Word& key, TShiftState shift) {
  if (shift.Contains(ssShift) || shift.Contains(ssCtrl) || shift.Contains(ssAlt)) {
    TElXPThemedControl::KeyDown(key, shift);
    return;
  }
  std::optional<TElScrollStep> step = geometry_.KeyStep(key);
  if (!step) {
    // Tab, Enter, Escape and the rest go on, so that focus moves as usual.
    TElXPThemedControl::KeyDown(key, shift);
    return;
  }
  int proposal = step->Proposal;
  bool doChange = true;
  TriggerScrollEvent(step->Code, proposal, doChange);
  if (doChange && proposal != geometry_.Position) {
    SetPosition(proposal);
    TriggerChangeEvent();
  }
  key = 0;
}

// ---------------------------------------------------------------- unit

namespace {

void PublishScrollBar() {
  using B = TElScrollBar;
  using C = TCustomElScrollBar;
  Publish<C, TCustomControl>().Property("Hint", &C::Hint, &C::SetHint);
  Publish<B, C>()
      .Property("AltDisablingArrows", &C::AltDisablingArrows, &C::SetAltDisablingArrows, false)
      .Property("ArrowColor", &C::ArrowColor, &C::SetArrowColor, clBtnText).Idents(&ColorIdents)
      .Property("ArrowHotTrackColor", &C::ArrowHotTrackColor, &C::SetArrowHotTrackColor, clHighlight)
      .Idents(&ColorIdents)
      .Property("Kind", &C::Kind, &C::SetKind, sbHorizontal)
      .Property("Position", &C::Position, &C::SetPosition, 0)
      .Property("Max", &C::Max, &C::SetMax, 100)
      .Property("Min", &C::Min, &C::SetMin, 0)
      .Property("Flat", &C::Flat, &C::SetFlat, true)
      // A form never stores True, so a loaded bar keeps the False it starts with.
      .Property("ActiveFlat", &C::ActiveFlat, &C::SetActiveFlat, true)
      .Property("BlendBackground", &C::BlendBackground, &C::SetBlendBackground, true)
      .Property("SystemBkColor", &C::SystemBkColor, &C::SetSystemBkColor, true)
      .Property("ButtonSize", &C::ButtonSize, &C::SetButtonSize)
      .Property("ChangeColorsOnScroll", &C::ChangeColorsOnScroll, &C::SetChangeColorsOnScroll, true)
      .Property("DrawFrames", &C::DrawFrames, &C::SetDrawFrames, true)
      .Property("DrawArrowFrames", &C::DrawArrowFrames, &C::SetDrawArrowFrames, true)
      .Property("DrawBars", &C::DrawBars, &C::SetDrawBars, true)
      .Property("BarOffset", &C::BarOffset, &C::SetBarOffset, Cardinal(2))
      .Property("BarColor", &C::BarColor, &C::SetBarColor, clBtnShadow).Idents(&ColorIdents)
      .Property("ImageForm", &C::ImageForm, &C::SetImageForm)
      .Property("IsHTML", &C::IsHTML, &C::SetIsHTML, false)
      .Property("MinThumbSize", &C::MinThumbSize, &C::SetMinThumbSize, 4)
      .Property("NoDisableButtons", &C::NoDisableButtons, &C::SetNoDisableButtons, false)
      .Property("NoSunkenThumb", &C::NoSunkenThumb, &C::SetNoSunkenThumb, false)
      .Property("Page", &C::Page, &C::SetPage, 14)
      .Property("SecondaryButtons", &C::SecondaryButtons, &C::SetSecondaryButtons, false)
      .Property("SecondBtnKind", &C::SecondBtnKind, &C::SetSecondBtnKind, sbkOpposite)
      .Property("ShowLeftArrows", &C::ShowLeftArrows, &C::SetShowLeftArrows, true)
      .Property("ShowRightArrows", &C::ShowRightArrows, &C::SetShowRightArrows, true)
      .Property("ShowTrackHint", &C::ShowTrackHint, &C::SetShowTrackHint, false)
      .Property("Step", &C::Step, &C::SetStep, 1)
      .Property("ThinFrames", &C::ThinFrames, &C::SetThinFrames, false)
      .Property("ThumbMode", &C::ThumbMode, &C::SetThumbMode, etmAuto)
      .Property("ThumbSize", &C::ThumbSize, &C::SetThumbSize)
      .Property("UseSystemMetrics", &C::UseSystemMetrics, &C::SetUseSystemMetrics, true)
      .Property("UseXPThemes", &C::UseXPThemes, &C::SetUseXPThemes, true)
      .Property("OnHitTest", EventGetter(&C::OnHitTest), EventSetter(&C::OnHitTest))
      .Property("OnChange", EventGetter(&C::OnChange), EventSetter(&C::OnChange))
      .Property("OnScroll", EventGetter(&C::OnScroll), EventSetter(&C::OnScroll))
      .Property("OnScrollHintNeeded", EventGetter(&C::OnScrollHintNeeded), EventSetter(&C::OnScrollHintNeeded))
      .Property("OnDrawPart", EventGetter(&C::OnDrawPart), EventSetter(&C::OnDrawPart));
}

// Sub-objects of the edit and the tree, set in place from their forms.
void PublishStyles() {
  using S = TElScrollBarStyles;
  Publish<S, TPersistent>()
      .Property("ActiveFlat", &S::ActiveFlat, &S::SetActiveFlat, false)
      .Property("BlendBackground", &S::BlendBackground, &S::SetBlendBackground, true)
      .Property("Color", &S::Color, &S::SetColor, clBtnFace).Idents(&ColorIdents)
      .Property("Flat", &S::Flat, &S::SetFlat, true)
      .Property("MinThumbSize", &S::MinThumbSize, &S::SetMinThumbSize, 4)
      .Property("NoDisableButtons", &S::NoDisableButtons, &S::SetNoDisableButtons, false)
      .Property("NoSunkenThumb", &S::NoSunkenThumb, &S::SetNoSunkenThumb, false)
      .Property("OwnerDraw", &S::OwnerDraw, &S::SetOwnerDraw, false)
      .Property("SecondaryButtons", &S::SecondaryButtons, &S::SetSecondaryButtons, false)
      .Property("SecondBtnKind", &S::SecondBtnKind, &S::SetSecondBtnKind, sbkOpposite)
      .Property("ShowLeftArrows", &S::ShowLeftArrows, &S::SetShowLeftArrows, true)
      .Property("ShowRightArrows", &S::ShowRightArrows, &S::SetShowRightArrows, true)
      .Property("ShowTrackHint", &S::ShowTrackHint, &S::SetShowTrackHint)
      .Property("ThumbMode", &S::ThumbMode, &S::SetThumbMode, etmAuto)
      .Property("ThumbSize", &S::ThumbSize, &S::SetThumbSize, 0)
      .Property("Width", &S::Width, &S::SetWidth)
      .Property("ButtonSize", &S::ButtonSize, &S::SetButtonSize)
      .Property("UseSystemMetrics", &S::UseSystemMetrics, &S::SetUseSystemMetrics, true)
      .Property("ArrowColor", &S::ArrowColor, &S::SetArrowColor, clBtnText).Idents(&ColorIdents)
      .Property("ArrowHotTrackColor", &S::ArrowHotTrackColor, &S::SetArrowHotTrackColor, clHighlight)
      .Idents(&ColorIdents)
      .Property("OnChange", EventGetter(&S::OnChange), EventSetter(&S::OnChange))
      .Property("DrawFrames", &S::DrawFrames, &S::SetDrawFrames, true)
      .Property("DrawArrowFrames", &S::DrawArrowFrames, &S::SetDrawArrowFrames, true)
      .Property("DrawBars", &S::DrawBars, &S::SetDrawBars, true)
      .Property("BarOffset", &S::BarOffset, &S::SetBarOffset, Cardinal(2))
      .Property("BarColor", &S::BarColor, &S::SetBarColor, clBtnShadow).Idents(&ColorIdents)
      .Property("ThinFrames", &S::ThinFrames, &S::SetThinFrames, false)
      .Property("HintColor", &S::HintColor, &S::SetHintColor, clInfoBk).Idents(&ColorIdents)
      .Property("HintTextColor", &S::HintTextColor, &S::SetHintTextColor, clInfoText).Idents(&ColorIdents)
      .Property("SystemBkColor", &S::SystemBkColor, &S::SetSystemBkColor, true)
      .Property("ImageForm", &S::ImageForm, &S::SetImageForm)
      .Property("UseXPThemes", &S::UseXPThemes, &S::SetUseXPThemes, true);
}

void InitElScrollBar() {
  RegisterEnumNames<TElSecButtonsKind>({"sbkOpposite", "sbkPage", "sbkCustom"});
  RegisterEnumNames<TElScrollThumbMode>({"etmFixed", "etmAuto"});
  PublishScrollBar();
  // Another class of the same name already registered leaves the styles
  // unregistered; the bars work all the same.
  try {
    PublishStyles();
  } catch (Exception&) {
  }
}

}  // namespace

const TUnitInfo ElScrollBarUnit = {"ElScrollBar", &InitElScrollBar, nullptr};
