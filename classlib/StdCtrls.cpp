// The label and the memo.
#include "StdCtrls.hpp"

#include "Forms.hpp"
#include "GraphicsScoped.hpp"

// ---------------------------------------------------------------------------
// TCustomLabel

// Whether the character is the caption's accelerator: the one after a single
// "&" ("&&" is a literal ampersand), compared without regard to case.
bool IsAccel(char key, const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    char a[2] = {caption[i + 1], 0}, b[2] = {key, 0};
    CharUpperA(a);
    CharUpperA(b);
    return a[0] == b[0];
  }
  return false;
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  controlStyle_ += TControlStyle{csOpaque, csReplicatable};
  width_ = 65;
  height_ = 17;
  autoSize_ = true;
}

void TCustomLabel::SetAlignment(TAlignment v) {
  if (alignment_ == v) return;
  alignment_ = v;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout v) {
  if (layout_ == v) return;
  layout_ = v;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool v) {
  if (wordWrap_ == v) return;
  wordWrap_ = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool v) {
  if (showAccelChar_ == v) return;
  showAccelChar_ = v;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool v) {
  if (Transparent() == v) return;
  if (v) controlStyle_.Exclude(csOpaque);
  else controlStyle_.Include(csOpaque);
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* v) {
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = v;
  if (v) v->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::SetAutoSize(bool value) {
  if (autoSize_ == value) return;
  autoSize_ = value;
  AdjustBounds();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

UINT TCustomLabel::TextFlags() const {
  static const UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  return DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | kAlign[alignment_];
}

void TCustomLabel::DoDrawText(RECT& rect, UINT flags) {
  std::string text = GetLabelText();
  // An empty caption still measures one line.
  if ((flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text += ' ';
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  flags = DrawTextBiDiModeFlags(flags);
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->RequiredState({csHandleValid, csFontValid});
  HDC dc = canvas->Handle();
  int oldMode = SetBkMode(dc, TRANSPARENT);
  if (!Enabled()) {
    // Embossed: a highlight copy one pixel down-right, then the shadow.
    OffsetRect(&rect, 1, 1);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags);
    OffsetRect(&rect, -1, -1);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  } else {
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
  }
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags);
  SetBkMode(dc, oldMode);
}

void TCustomLabel::Paint() {
  TCanvas* canvas = Canvas();
  RECT client = ClientRect();
  if (!Transparent()) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(client);
  }
  canvas->Brush()->SetStyle(bsClear);
  RECT r = client;
  if (layout_ != tlTop) {
    RECT calc = client;
    DoDrawText(calc, TextFlags() | DT_CALCRECT);
    int dy = client.bottom - calc.bottom;
    if (layout_ == tlCenter) dy /= 2;
    OffsetRect(&r, 0, dy);
  }
  DoDrawText(r, TextFlags());
}

void TCustomLabel::AdjustBounds() {
  if (ComponentState().Contains(csReading) || ComponentState().Contains(csLoading) || !autoSize_) return;
  RECT r = ClientRect();
  {
    // Measured on the screen's context: the label may have no window to
    // measure on yet.
    ScopedWindowDC screen(nullptr);
    TCanvasBinding binding(Canvas(), screen.Get());
    DoDrawText(r, TextFlags() | DT_CALCRECT);
  }
  int x = left_;
  // A right-aligned label keeps its right edge, a centred one its centre.
  if (alignment_ == taRightJustify) x += width_ - r.right;
  else if (alignment_ == taCenter) x += (width_ - r.right) / 2;
  SetBounds(x, top_, r.right, r.bottom);
}

void TCustomLabel::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      AdjustBounds();
      return;
    case CM_FONTCHANGED:
      TGraphicControl::Dispatch(m);
      AdjustBounds();
      return;
    case CM_DIALOGCHAR:
      if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(static_cast<char>(m.WParam), GetText()) &&
          focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        m.Result = 1;
      }
      return;
    default: TGraphicControl::Dispatch(m);
  }
}

// ---------------------------------------------------------------------------
// TCustomMemo

TCustomMemo::TCustomMemo(TComponent* owner)
    : TWinControl(owner), lines_(std::make_unique<TStringList>()) {
  width_ = 185;
  height_ = 89;
  tabStop_ = true;
  color_ = clWindow;
  parentColor_ = false;
  lines_->OnChange = TNotifyEvent(this, &TCustomMemo::LinesChanged);
}

TCustomMemo::~TCustomMemo() { lines_->OnChange = nullptr; }

void TCustomMemo::CreateParams(TCreateParams& p) {
  static const DWORD kScroll[] = {0, WS_HSCROLL, WS_VSCROLL, WS_HSCROLL | WS_VSCROLL};
  static const DWORD kAlign[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  TWinControl::CreateParams(p);
  CreateSubClass(p, "EDIT");
  p.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | kScroll[scrollBars_] | kAlign[alignment_];
  if (!wordWrap_) p.Style |= ES_AUTOHSCROLL;
  if (readOnly_) p.Style |= ES_READONLY;
  p.ExStyle |= ctl3D_ ? WS_EX_CLIENTEDGE : 0;
  if (!ctl3D_) p.Style |= WS_BORDER;
  p.Caption = lines_->Text();
  if (p.Caption.size() >= 2) p.Caption.resize(p.Caption.size() - 2);
}

void TCustomMemo::CreateWnd() {
  TWinControl::CreateWnd();
  if (maxLength_ > 0) SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

// The lines joined by CR LF, without a line break after the last.
std::string TCustomMemo::GetText() const {
  std::string t = lines_->Text();
  if (t.size() >= 2) t.resize(t.size() - 2);
  return t;
}

void TCustomMemo::SetText(const std::string& value) {
  if (GetText() == value) return;
  lines_->SetText(value);
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TCustomMemo::LinesChanged(TObject*) {
  if (syncing_ || !handle_) return;
  syncing_ = true;
  SetWindowTextA(handle_, GetText().c_str());
  syncing_ = false;
}

void TCustomMemo::SetReadOnly(bool v) {
  readOnly_ = v;
  if (handle_) SendMessageA(handle_, EM_SETREADONLY, v ? 1 : 0, 0);
}
void TCustomMemo::SetWordWrap(bool v) { if (wordWrap_ != v) { wordWrap_ = v; RecreateWnd(); } }
void TCustomMemo::SetScrollBars(TScrollStyle v) { if (scrollBars_ != v) { scrollBars_ = v; RecreateWnd(); } }
void TCustomMemo::SetAlignment(TAlignment v) { if (alignment_ != v) { alignment_ = v; RecreateWnd(); } }
void TCustomMemo::SetMaxLength(int v) {
  maxLength_ = v;
  if (handle_) SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(v), 0);
}

void TCustomMemo::Dispatch(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE) {
    // The user typed: the window's text becomes the lines.
    if (!syncing_) {
      int n = GetWindowTextLengthA(handle_);
      std::string t(static_cast<size_t>(n) + 1, '\0');
      GetWindowTextA(handle_, t.data(), n + 1);
      t.resize(static_cast<size_t>(n));
      syncing_ = true;
      lines_->SetText(t);
      syncing_ = false;
      Change();
    }
    return;
  }
  if (m.Msg == CM_CTL3DCHANGED) {
    // The sunken edge is a window style.
    RecreateWnd();
    return;
  }
  if (m.Msg == WM_GETDLGCODE) {
    DefaultHandler(m);
    m.Result &= ~DLGC_WANTTAB;
    return;
  }
  TWinControl::Dispatch(m);
}
