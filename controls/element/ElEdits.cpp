#include "ElEdits.hpp"

#include <algorithm>

#include "ElTools.hpp"
#include "SysUtils.hpp"

// ---------------------------------------------------------------- measuring

class TCustomElEdit::FontMeasurer {
 public:
  explicit FontMeasurer(TFont* font)
      : dc_(nullptr), font_(CopyOf(font)), measurer_(std::make_unique<TElEditDCMeasurer>(dc_.Get(), font_.Get())) {}
  ~FontMeasurer() { measurer_.reset(); }  // puts the context's own font back first
  FontMeasurer(const FontMeasurer&) = delete;
  FontMeasurer& operator=(const FontMeasurer&) = delete;

  // The new copy is selected before the old one is deleted; when no copy
  // can be made, the edit keeps measuring with the old one, which stays
  // selected and is not deleted.
  void SetFont(TFont* font) {
    TElGdiObject<HFONT> copy(CopyOf(font));
    if (!copy) return;
    measurer_->SetFont(copy.Get());
    font_ = std::move(copy);
  }
  TElEditDCMeasurer* Get() const { return measurer_.get(); }

 private:
  static HFONT CopyOf(TFont* font) {
    LOGFONTW logFont{};
    if (!ElGetFontInfo(font->Handle(), logFont)) return nullptr;
    return ElCreateFontIndirect(logFont);
  }

  TElMemoryDC dc_;
  TElGdiObject<HFONT> font_;
  std::unique_ptr<TElEditDCMeasurer> measurer_;
};

// ---------------------------------------------------------------- the logic's host

class TCustomElEdit::Host : public TElEditHost {
 public:
  explicit Host(TCustomElEdit& edit) : edit_(edit) {}

  bool HandleAllocated() override { return edit_.TWinControl::HandleAllocated(); }
  bool Focused() override { return edit_.TWinControl::Focused(); }
  bool CanTakeFocus() override { return edit_.Enabled() && edit_.CanFocus() && !edit_.TWinControl::Focused(); }
  void TakeFocus() override { edit_.SetFocus(); }
  void InvalidateText(bool erase) override { edit_.InvalidateText(erase); }
  void SetCaretPoint(TPoint point) override { edit_.PlaceSystemCaret(point); }
  void ScrollRangesChanged(const TElEditScrollRanges& ranges) override { edit_.ApplyScrollRanges(ranges); }
  void Change() override { edit_.Change(); }
  void SelectionChanged() override { edit_.SelectionChanged(); }
  // The edit's own message, so that hooks on the window still see the text
  // go by; only this call's text is taken.
  void SendSetText(const TElFString& text) override {
    const TElFString* outer = edit_.sendingText_;
    edit_.sendingText_ = &text;
    try {
      SendMessageA(edit_.Handle(), EL_EDIT_SET_WIDE_TEXT, 0, reinterpret_cast<LPARAM>(&text));
    } catch (...) {
      edit_.sendingText_ = outer;
      throw;
    }
    edit_.sendingText_ = outer;
  }
  void SendClipboardMessage(unsigned message) override { SendMessageA(edit_.Handle(), message, 0, 0); }
  void SetClipboardText(const TElFString& text) override { ElClipboardSetText(edit_.Handle(), text, !IsWinNT); }
  TElFString GetClipboardText() override { return ElClipboardGetText(edit_.Handle()); }

 private:
  TCustomElEdit& edit_;
};

// ---------------------------------------------------------------- free routines

TElEditInputMethod SystemInputMethod() {
  TElEditInputMethod m;
  m.GetContext = &ImmGetContext;
  m.ReleaseContext = &ImmReleaseContext;
  m.GetCompositionStringA = &ImmGetCompositionStringA;
  m.SetCompositionFontW = &ImmSetCompositionFontW;
  m.SetCompositionFontA = &ImmSetCompositionFontA;
  m.SetCompositionWindow = &ImmSetCompositionWindow;
  return m;
}

// ---------------------------------------------------------------- life

TCustomElEdit::TCustomElEdit(TComponent* owner)
    : TElXPThemedControl(owner),
      measurer_(std::make_unique<FontMeasurer>(Font())),
      host_(std::make_unique<Host>(*this)),
      core_(std::make_unique<TElEditCore>(measurer_->Get(), host_.get())),
      background_(std::make_unique<TBitmap>()),
      imageFormLink_(std::make_unique<TImgFormChangeLink>()),
      inputMethod_(SystemInputMethod()) {
  controlStyle_.Exclude(csCaptureMouse);
  controlStyle_.Exclude(csOpaque);
  controlStyle_.Include(csFixedHeight);
  tabStop_ = true;
  color_ = clWindow;
  parentColor_ = false;
  cursor_ = crIBeam;
  ctl3D_ = true;
  autoSize_ = true;
  width_ = 200;
  height_ = 100;
  background_->OnChange = TNotifyEvent(this, &TCustomElEdit::BackgroundChanged);
  imageFormLink_->OnChange = TNotifyEvent(this, &TCustomElEdit::ImageFormChanged);
  vertBar_ = NewBar(sbVertical);
  horzBar_ = NewBar(sbHorizontal);
  vertStyles_ = std::make_unique<TElScrollBarStyles>(vertBar_, this);
  horzStyles_ = std::make_unique<TElScrollBarStyles>(horzBar_, this);
  vertStyles_->OnChange = TNotifyEvent(this, &TCustomElEdit::StylesChanged);
  horzStyles_->OnChange = TNotifyEvent(this, &TCustomElEdit::StylesChanged);
}

// A bar of the edit: thin, flat, never a tab stop, hidden until the text
// wants it.
TElScrollBar* TCustomElEdit::NewBar(TScrollBarKind kind) {
  auto* bar = new TElScrollBar(this);
  bar->SetKind(kind);
  if (kind == sbVertical)
    bar->SetWidth(GetSystemMetrics(SM_CXHTHUMB));
  else
    bar->SetHeight(GetSystemMetrics(SM_CYVTHUMB));
  bar->SetCtl3D(false);
  bar->SetTabStop(false);
  bar->SetVisible(false);
  bar->SetParent(this);
  bar->OnScroll = TElScrollEvent(this, &TCustomElEdit::CustomBarScroll);
  return bar;
}

TCustomElEdit::~TCustomElEdit() = default;

void TCustomElEdit::BeforeDestruction() {
  background_->OnChange = TNotifyEvent();
  SetImageForm(nullptr);
  TElXPThemedControl::BeforeDestruction();
}

void TCustomElEdit::Notification(TComponent* component, TOperation operation) {
  TElXPThemedControl::Notification(component, operation);
  if (operation == opRemove && component == vertBar_) vertBar_ = nullptr;
  if (operation == opRemove && component == horzBar_) horzBar_ = nullptr;
  if (operation == opRemove && component == imageForm_) {
    // The form unregisters its links as it goes.
    imageForm_ = nullptr;
    Invalidate();
  }
}

void TCustomElEdit::CreateParams(TCreateParams& p) {
  TElXPThemedControl::CreateParams(p);
  // The text lives in the edit's own store, not in the window.
  p.Caption.clear();
  bool single = borderStyle_ == bsSingle;
  if (single) p.Style |= WS_BORDER;
  if (Multiline()) {
    p.Style |= ES_MULTILINE;
    if (!useCustomScrollBars_) {
      if (ScrollBars() == ssVertical || ScrollBars() == ssBoth) p.Style |= WS_VSCROLL;
      if (ScrollBars() == ssHorizontal || ScrollBars() == ssBoth) p.Style |= WS_HSCROLL;
    }
  }
  if (Ctl3D() && single) {
    p.Style &= ~WS_BORDER;
    p.ExStyle |= RTLContent() ? (WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR) : WS_EX_CLIENTEDGE;
  }
  p.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
  if (transparent_) p.ExStyle |= WS_EX_TRANSPARENT;
  // A flat edit draws its border itself in the non-client area.
  if (single && flat_ && !ThemedLook()) {
    p.Style &= ~WS_BORDER;
    p.ExStyle &= ~WS_EX_CLIENTEDGE;
  }
}

void TCustomElEdit::CreateWnd() {
  TElXPThemedControl::CreateWnd();
  core_->UpdateScrollRanges();
  AdjustSize();
  core_->Resized(TextAreaRect());
  if (flat_ || IsThemeApplied()) DrawBorder();
}

void TCustomElEdit::DestroyWnd() {
  DestroySystemCaret();
  TElXPThemedControl::DestroyWnd();
  // The class library keeps the window text to give it to the next window;
  // the edit's text stays in its store.
  text_.clear();
}

void TCustomElEdit::Loaded() {
  ignoreWindowText_ = true;
  try {
    TElXPThemedControl::Loaded();
  } catch (...) {
    ignoreWindowText_ = false;
    throw;
  }
  ignoreWindowText_ = false;
  core_->UpdateScrollRanges();
  AdjustSize();
  if (HandleAllocated()) core_->Resized(TextAreaRect());
}

// ---------------------------------------------------------------- text

TElFString TCustomElEdit::Text() { return core_->Text(); }

void TCustomElEdit::SetText(const TElFString& value) {
  TComponentState state = ComponentState();
  if (state.Contains(csLoading) || state.Contains(csReading) || state.Contains(csDestroying)) {
    core_->Lines()->SetTextStr(value);
    return;
  }
  core_->SetText(value);
}

std::string TCustomElEdit::GetText() const { return WideToAnsi(core_->Text()); }

void TCustomElEdit::SetText(const std::string& value) { SetText(AnsiToWide(value)); }

void TCustomElEdit::SetLines(TElWideStrings* value) {
  core_->Lines()->SetTextStr(value ? value->GetTextStr() : TElFString());
}

// ---------------------------------------------------------------- properties

// A property that changes the window's styles takes effect through a new
// window; without one the next window has it.
void TCustomElEdit::RecreateOrUpdate() {
  if (HandleAllocated() && !ComponentState().Contains(csLoading))
    RecreateWnd();
  else
    core_->UpdateScrollRanges();
}

void TCustomElEdit::SetMultiline(bool value) {
  if (value == Multiline()) return;
  core_->SetMultiline(value);
  RecreateOrUpdate();
  ResetEditRect();
}

void TCustomElEdit::SetScrollBars(TScrollStyle value) {
  TScrollStyle old = ScrollBars();
  core_->SetScrollBars(value);
  if (ScrollBars() != old) RecreateOrUpdate();
}

void TCustomElEdit::SetUseCustomScrollBars(bool value) {
  if (value == useCustomScrollBars_) return;
  useCustomScrollBars_ = value;
  if (Multiline()) RecreateOrUpdate();
}

void TCustomElEdit::SetFlatFocusedScrollBars(bool value) {
  if (value == flatFocusedScrollBars_) return;
  flatFocusedScrollBars_ = value;
  DrawBorder();
}

void TCustomElEdit::SetMaxLength(int value) { core_->SetMaxLength(value); }

void TCustomElEdit::SetReadOnly(bool value) {
  if (value == ReadOnly()) return;
  core_->SetReadOnly(value);
  // The themed background shows the read-only state.
  if (IsThemeApplied()) Invalidate();
}

void TCustomElEdit::SetRTLContent(bool value) {
  if (value == RTLContent()) return;
  core_->SetRTLContent(value);
  RecreateOrUpdate();
}

void TCustomElEdit::SetAutoSize(bool value) {
  if (value == AutoSize()) return;
  TElXPThemedControl::SetAutoSize(value);
}

void TCustomElEdit::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RecreateOrUpdate();
  AdjustSize();
}

void TCustomElEdit::SetBorderSides(TElBorderSides value) {
  if (value == borderSides_) return;
  borderSides_ = value;
  RecreateOrUpdate();
}

void TCustomElEdit::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  RecreateOrUpdate();
}

void TCustomElEdit::SetActiveBorderType(TElFlatBorderType value) {
  if (value == activeBorderType_) return;
  activeBorderType_ = value;
  DrawBorder();
}

void TCustomElEdit::SetInactiveBorderType(TElFlatBorderType value) {
  if (value == inactiveBorderType_) return;
  inactiveBorderType_ = value;
  DrawBorder();
}

void TCustomElEdit::SetLineBorderActiveColor(TColor value) {
  if (value == lineBorderActiveColor_) return;
  lineBorderActiveColor_ = value;
  DrawBorder();
}

void TCustomElEdit::SetLineBorderInactiveColor(TColor value) {
  if (value == lineBorderInactiveColor_) return;
  lineBorderInactiveColor_ = value;
  DrawBorder();
}

void TCustomElEdit::SetBackground(TBitmap* value) { background_->Assign(value); }

void TCustomElEdit::BackgroundChanged(TObject*) {
  Invalidate();
  Perform(CM_COLORCHANGED, 0, 0);
}

void TCustomElEdit::SetImageForm(TElImageForm* value) {
  if (!FollowImageForm(this, imageForm_, value, imageFormLink_.get())) return;
  if (ComponentState().Contains(csDestroying)) return;
  RecreateOrUpdate();
  Perform(CM_COLORCHANGED, 0, 0);
}

void TCustomElEdit::ImageFormChanged(TObject*) { Invalidate(); }

bool TCustomElEdit::ShowsImageForm() const {
  return imageForm_ && imageForm_->BackgroundType() != bgtColorFill;
}

void TCustomElEdit::SetUseBackground(bool value) {
  if (value == useBackground_) return;
  useBackground_ = value;
  RecreateOrUpdate();
}

void TCustomElEdit::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  RecreateOrUpdate();
}

void TCustomElEdit::SetChangeDisabledText(bool value) {
  if (value == changeDisabledText_) return;
  changeDisabledText_ = value;
  if (!Enabled()) Invalidate();
}

void TCustomElEdit::SetUseXPThemes(bool value) { TElXPThemedControl::SetUseXPThemes(value); }

void TCustomElEdit::SetHint(const TElFString& value) {
  wideHint_ = value;
  TControl::SetHint(PackWideHint(value));
}

// ---------------------------------------------------------------- selection

int TCustomElEdit::GetSelStart() { return core_->GetSelStart(); }
void TCustomElEdit::SetSelStart(int value) { core_->SetSelStart(value); }
void TCustomElEdit::SetSelLength(int value) { core_->SetSelLength(value); }
void TCustomElEdit::SetSelText(const TElFString& value) { core_->SetSelText(value); }

int TCustomElEdit::SelLength() {
  int start = 0, end = 0;
  core_->GetSel(start, end);
  return end - start;
}

// ---------------------------------------------------------------- events

void TCustomElEdit::Change() { OnChange(this); }
void TCustomElEdit::SelectionChanged() { OnSelectionChange(this); }
void TCustomElEdit::DoResize() { OnResize(this); }
void TCustomElEdit::DoMouseEnter() { OnMouseEnter(this); }
void TCustomElEdit::DoMouseLeave() { OnMouseLeave(this); }

// ---------------------------------------------------------------- layout

// Before the window exists the theme handle is not open yet; the styles
// then follow what the window will get.
bool TCustomElEdit::ThemedLook() {
  if (HandleAllocated()) return IsThemeApplied();
  return UseXPThemes() && ThemesAvailable && IsThemeActive();
}

TRect TCustomElEdit::BarsExcluded(TRect rect) const {
  if (BarShown(vertBar_)) rect.right -= vertBar_->Width();
  if (BarShown(horzBar_)) rect.bottom -= horzBar_->Height();
  return rect;
}

TRect TCustomElEdit::TextAreaRect() {
  RECT r = ClientRect();
  return BarsExcluded(TRect{r.left, r.top, r.right, r.bottom});
}

void TCustomElEdit::SetEditRect(const TRect& rect) { core_->SetEditRect(BarsExcluded(rect)); }

void TCustomElEdit::ResetEditRect() {
  if (HandleAllocated()) core_->SetEditRect(TextAreaRect());
}

// A single-line edit is as tall as its font and its border.
int TCustomElEdit::AutoSizeHeight() {
  int height = measurer_->Get()->CharHeight();
  if (borderStyle_ == bsSingle)
    height += Ctl3D() ? 4 * GetSystemMetrics(SM_CYEDGE) : 6 * GetSystemMetrics(SM_CYBORDER);
  return height;
}

bool TCustomElEdit::CanAutoSize(int& /*newWidth*/, int& newHeight) {
  if (Multiline()) return false;
  newHeight = AutoSizeHeight();
  return true;
}

void TCustomElEdit::SetBounds(int left, int top, int width, int height) {
  TComponentState state = ComponentState();
  if (AutoSize() && !Multiline() && HandleAllocated() && !state.Contains(csLoading) &&
      !state.Contains(csDestroying))
    height = AutoSizeHeight();
  TElXPThemedControl::SetBounds(left, top, width, height);
}

void TCustomElEdit::UpdateFont() {
  measurer_->SetFont(Font());
  core_->FontChanged();
  if (caretCreated_) {
    DestroySystemCaret();
    CreateSystemCaret();
    core_->PlaceCaret();
  }
  AdjustSize();
}

// ---------------------------------------------------------------- scroll bars

void TCustomElEdit::ApplyWindowBar(int bar, const TElEditScrollBarState& state) {
  if (!state.Wanted) return;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  // Kept visible while there is nothing to scroll, disabled.
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  if (state.Enabled) {
    info.nMin = state.Min;
    info.nMax = state.Max;
    info.nPage = static_cast<UINT>(std::max(state.Page, 0));
    info.nPos = state.Position;
  }
  HWND wnd = Handle();
  SetScrollInfo(wnd, bar, &info, TRUE);
  EnableScrollBar(wnd, bar, state.Enabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

// A wanted bar is shown also when there is nothing to scroll (disabled, its
// range empty); an unwanted one is hidden.
void TCustomElEdit::ApplyCustomBar(TElScrollBar* bar, const TElEditScrollBarState& state, const TRect& place) {
  if (!bar) return;
  if (!state.Wanted) {
    bar->SetVisible(false);
    return;
  }
  bar->SetBounds(place.left, place.top, place.right - place.left, place.bottom - place.top);
  bar->SetMin(0);
  if (state.Enabled) {
    bar->SetMax(state.Max);
    bar->SetPage(state.Page);
    bar->SetPosition(state.Position);
  } else {
    bar->SetMax(0);
  }
  bar->SetEnabled(state.Enabled);
  bar->SetVisible(true);
}

bool TCustomElEdit::ApplyCustomBars(const TElEditScrollRanges& ranges) {
  bool vertBefore = BarShown(vertBar_), horzBefore = BarShown(horzBar_);
  RECT client = ClientRect();
  int vertWidth = vertBar_ ? vertBar_->Width() : 0, horzHeight = horzBar_ ? horzBar_->Height() : 0;
  applyingRanges_ = true;
  try {
    ApplyCustomBar(vertBar_, ranges.Vert,
                   TRect{client.right - vertWidth, 0, client.right,
                         client.bottom - (ranges.Horz.Wanted ? horzHeight : 0)});
    ApplyCustomBar(horzBar_, ranges.Horz,
                   TRect{0, client.bottom - horzHeight, client.right - (ranges.Vert.Wanted ? vertWidth : 0),
                         client.bottom});
  } catch (...) {
    applyingRanges_ = false;
    throw;
  }
  applyingRanges_ = false;
  return BarShown(vertBar_) != vertBefore || BarShown(horzBar_) != horzBefore;
}

void TCustomElEdit::ApplyScrollRanges(const TElEditScrollRanges& ranges) {
  if (!HandleAllocated()) return;
  if (CustomBars()) {
    // A bar shown or hidden changes the text area: the text is wrapped
    // again for it, which sets the bars once more.
    if (ApplyCustomBars(ranges) && !fittingBars_) {
      fittingBars_ = true;
      try {
        core_->Resized(TextAreaRect());
      } catch (...) {
        fittingBars_ = false;
        throw;
      }
      fittingBars_ = false;
      return;
    }
  } else {
    if (vertBar_) vertBar_->SetVisible(false);
    if (horzBar_) horzBar_->SetVisible(false);
    if (Multiline()) {
      ApplyWindowBar(SB_VERT, ranges.Vert);
      ApplyWindowBar(SB_HORZ, ranges.Horz);
    }
  }
  bool focusedOrHot = Focused() || mouseInside_;
  if ((flat_ && (!focusedOrHot || (flatFocusedScrollBars_ && !useCustomScrollBars_) || !Multiline())) ||
      IsThemeApplied())
    DrawBorder();
}

// The bars' moves scroll the text by the edit's own steps; the bar then
// shows where the text went.
void TCustomElEdit::CustomBarScroll(TObject* sender, TElScrollCode code, int& position, bool& doChange) {
  if (applyingRanges_) return;
  int sb = 0;
  switch (code) {
    case scLineBack: sb = SB_LINEUP; break;
    case scLineForward: sb = SB_LINEDOWN; break;
    case scPageBack: sb = SB_PAGEUP; break;
    case scPageForward: sb = SB_PAGEDOWN; break;
    case scPosition: sb = SB_THUMBPOSITION; break;
    case scTrack: sb = SB_THUMBTRACK; break;
    case scTop: sb = SB_TOP; break;
    case scBottom: sb = SB_BOTTOM; break;
    default: return;
  }
  if (sender == vertBar_) {
    core_->VScroll(sb, position);
    position = FirstLine();
  } else {
    core_->HScroll(sb, position);
    position = FirstColumn();
  }
  doChange = true;
  DrawBorder();
}

// A bar's thickness or metrics changed: the text area follows. The bars'
// visibility says which bars the edit now shows.
void TCustomElEdit::StylesChanged(TObject*) {
  if (!useCustomScrollBars_ || !HandleAllocated() || ComponentState().Contains(csLoading)) return;
  bool vert = BarShown(vertBar_), horz = BarShown(horzBar_);
  core_->SetScrollBars(vert && horz ? ssBoth : vert ? ssVertical : horz ? ssHorizontal : ssNone);
  core_->Resized(TextAreaRect());
  Invalidate();
}

// ---------------------------------------------------------------- caret and repaint

// A transparent edit shows its parent through it: the parent's part is
// repainted first, so that the erase copies a fresh background.
void TCustomElEdit::InvalidateText(bool erase) {
  if (!HandleAllocated()) return;
  RECT r = EditRect();
  if (transparent_ && !IsThemeApplied() && !imageForm_ && parent_ && parent_->HandleAllocated()) {
    RECT onParent = r;
    MapWindowPoints(Handle(), parent_->Handle(), reinterpret_cast<POINT*>(&onParent), 2);
    InvalidateRect(parent_->Handle(), &onParent, TRUE);
    UpdateWindow(parent_->Handle());
  }
  InvalidateRect(Handle(), &r, erase ? TRUE : FALSE);
}

void TCustomElEdit::PlaceSystemCaret(TPoint point) {
  if (transparent_) InvalidateText(true);
  if (caretCreated_) SetCaretPos(point.x, point.y);
}

void TCustomElEdit::CreateSystemCaret() {
  if (!HandleAllocated()) return;
  int width = GetSystemMetrics(SM_CXBORDER) * (Font()->Style().Contains(fsBold) ? 2 : 1);
  caretCreated_ = CreateCaret(Handle(), nullptr, width, measurer_->Get()->CharHeight()) != FALSE;
  if (caretCreated_) ShowCaret(Handle());
}

void TCustomElEdit::DestroySystemCaret() {
  if (!caretCreated_) return;
  DestroyCaret();
  caretCreated_ = false;
}
