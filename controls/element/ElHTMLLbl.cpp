#include "ElHTMLLbl.hpp"

#include "ElTools.hpp"
#include "ElVCLUtils.hpp"
#include "Streaming.hpp"

TRect HTMLLabelTextRect(int clientWidth, int clientHeight, int textWidth, int textHeight, TTextLayout layout,
                        TAlignment alignment) {
  TRect r{0, 0, clientWidth, clientHeight};
  if (layout == tlCenter)
    CenterRects(clientWidth, clientWidth, textHeight, clientHeight, r);
  else if (layout == tlBottom)
    r.top = r.bottom - textHeight - 1;
  if (alignment == taRightJustify) {
    r.right = clientWidth;
    r.left = clientWidth - textWidth;
  } else if (alignment == taCenter) {
    r.left = (clientWidth - textWidth) / 2;
    r.right = r.left + textWidth;
  }
  return r;
}

TElHTMLLabel::TElHTMLLabel(TComponent* owner)
    : TCustomLabel(owner), render_(std::make_unique<TElHTMLRender>()) {
  render_->OnImageNeeded = TElHTMLImageNeededEvent(this, &TElHTMLLabel::RenderImageNeeded);
}

TElHTMLLabel::~TElHTMLLabel() { render_->OnImageNeeded = nullptr; }

bool TElHTMLLabel::Loading() const {
  auto loading = [](const TComponent* c) {
    return c && (c->ComponentState().Contains(csLoading) || c->ComponentState().Contains(csReading));
  };
  return loading(this) || loading(Owner());
}

// ---- properties

void TElHTMLLabel::SetCaption(const TElFString& value) {
  if (caption_ == value) return;
  caption_ = value;
  std::string ansi = WideToAnsi(value);
  // Two UTF-16 captions may share their 8-bit form.
  if (GetText() == ansi)
    Perform(CM_TEXTCHANGED, 0, 0);
  else
    SetText(ansi);
}

void TElHTMLLabel::SetHint(const TElFString& value) {
  hint_ = value;
  TControl::SetHint(PackWideHint(value));
}

void TElHTMLLabel::SetCursor(TCursor value) {
  if (labelCursor_ == value) return;
  labelCursor_ = value;
  TElFString href;
  POINT p;
  GetCursorPos(&p);
  TControl::SetCursor(LinkAt(ScreenToClient(p), href) ? crURLCursor : value);
}

void TElHTMLLabel::SetIsHTML(bool value) {
  if (isHTML_ == value) return;
  isHTML_ = value;
  if (value) Prepare();
  Invalidate();
}

void TElHTMLLabel::SetWordWrap(bool value) {
  if (GetWordWrap() == value) return;
  TCustomLabel::SetWordWrap(value);
  Refresh();
}

void TElHTMLLabel::SetLinkColor(TColor value) {
  linkColor_ = value;
  Refresh();
}

void TElHTMLLabel::SetLinkStyle(TFontStyles value) {
  if (linkStyle_ == value) return;
  linkStyle_ = value;
  Refresh();
}

void TElHTMLLabel::SetLinkPopupMenu(TPopupMenu* value) {
  if (linkPopupMenu_ == value) return;
  if (linkPopupMenu_) linkPopupMenu_->RemoveFreeNotification(this);
  linkPopupMenu_ = value;
  if (value) value->FreeNotification(this);
}

void TElHTMLLabel::SetAutoSize(bool value) {
  if (AutoSize() == value) return;
  TCustomLabel::SetAutoSize(value);
  Refresh();
  if (value && isHTML_) {
    // Off and on again, so that the bounds follow the rendered size.
    TCustomLabel::SetAutoSize(false);
    TCustomLabel::SetAutoSize(true);
  }
}

void TElHTMLLabel::SetBounds(int left, int top, int width, int height) {
  TCustomLabel::SetBounds(left, top, width, height);
  // A wrapped text wraps again at the new width.
  if (GetWordWrap()) Refresh();
}

void TElHTMLLabel::SetName(const std::string& name) {
  bool follow = ControlStyle().Contains(csSetCaption) && !Loading() && caption_ == AnsiToWide(Name());
  TCustomLabel::SetName(name);
  if (follow) SetCaption(AnsiToWide(name));
}

void TElHTMLLabel::Notification(TComponent* component, TOperation operation) {
  TCustomLabel::Notification(component, operation);
  if (operation == opRemove && component && component == linkPopupMenu_) linkPopupMenu_ = nullptr;
}

// ---- rendering

void TElHTMLLabel::Prepare() {
  TElHTMLData* data = render_->Data();
  data->DefaultFont = Font()->Name();
  data->Charset = Font()->Charset();
  data->DefaultColor = Font()->Color();
  data->DefaultStyle = Font()->Style();
  data->DefaultHeight = Font()->Height();
  data->LinkColor = linkColor_;
  data->LinkStyle = linkStyle_;
  render_->PrepareText(caption_, Width(), GetWordWrap());
  if (!GetWordWrap() && AutoSize()) AdjustBounds();
}

void TElHTMLLabel::Refresh() {
  if (!isHTML_) return;
  Prepare();
  Invalidate();
}

void TElHTMLLabel::Loaded() {
  TCustomLabel::Loaded();
  Refresh();
}

void TElHTMLLabel::AdjustBounds() {
  if (!isHTML_) {
    TCustomLabel::AdjustBounds();
    return;
  }
  if (Loading() || !AutoSize()) return;
  SetBounds(Left(), Top(), render_->Data()->TextWidth, render_->Data()->TextHeight);
}

TRect TElHTMLLabel::TextRect() const {
  return HTMLLabelTextRect(ClientWidth(), ClientHeight(), render_->Data()->TextWidth, render_->Data()->TextHeight,
                           Layout(), Alignment());
}

bool TElHTMLLabel::LinkAt(POINT clientPoint, TElFString& href) const {
  if (!isHTML_) return false;
  TRect r = TextRect();
  return render_->IsCursorOverLink(TPoint{0, 0}, TPoint{clientPoint.x - r.left, clientPoint.y - r.top}, href, r);
}

void TElHTMLLabel::Paint() {
  if (!isHTML_) {
    TCustomLabel::Paint();
    return;
  }
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  if (!Transparent()) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(ClientRect());
  }
  canvas->Brush()->SetStyle(bsClear);
  render_->DrawText(canvas, TPoint{0, 0}, clNone, TextRect());
}

// The caption as UTF-16; a disabled label is embossed.
void TElHTMLLabel::DoDrawText(RECT& rect, UINT flags) {
  TElFString text = caption_;
  if ((flags & DT_CALCRECT) && (text.empty() || (ShowAccelChar() && text == L"&"))) text = L" ";
  if (!ShowAccelChar()) flags |= DT_NOPREFIX;
  flags = DrawTextBiDiModeFlags(flags);
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->RequiredState({csHandleValid, csFontValid});
  HDC dc = canvas->Handle();
  int oldMode = SetBkMode(dc, TRANSPARENT);
  const int length = static_cast<int>(text.size());
  if (!Enabled()) {
    OffsetRect(&rect, 1, 1);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
    DrawWideText(dc, text.c_str(), length, flags, rect);
    OffsetRect(&rect, -1, -1);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  } else {
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
  }
  DrawWideText(dc, text.c_str(), length, flags, rect);
  SetBkMode(dc, oldMode);
}

// ---- input

void TElHTMLLabel::TriggerLinkClickEvent(const TElFString& href) { OnLinkClick(this, href); }

void TElHTMLLabel::Click() {
  TElFString href;
  POINT p;
  GetCursorPos(&p);
  if (LinkAt(ScreenToClient(p), href)) {
    TriggerLinkClickEvent(href);
    return;
  }
  TCustomLabel::Click();
}

void TElHTMLLabel::MouseMove(TShiftState shift, int x, int y) {
  if (isHTML_) {
    TElFString href;
    TControl::SetCursor(LinkAt(POINT{x, y}, href) ? crURLCursor : labelCursor_);
  }
  TCustomLabel::MouseMove(shift, x, y);
}

// Over a link with a link menu: the context-popup event first, then the
// link menu instead of the label's own.
bool TElHTMLLabel::LinkContextMenu(TWMContextMenu& m) {
  if (m.Result != 0 || !isHTML_ || !linkPopupMenu_) return false;
  POINT screen{m.XPos(), m.YPos()};
  POINT p = ScreenToClient(screen);
  TElFString href;
  TRect client = ClientRect();
  if (!render_->IsCursorOverLink(TPoint{0, 0}, TPoint{p.x, p.y}, href, client)) return false;
  bool handled = false;
  DoContextPopup(p, handled);
  if (!handled && linkPopupMenu_->AutoPopup()) {
    SendCancelMode(nullptr);
    linkPopupMenu_->SetPopupComponent(this);
    if (screen.x < 0) screen = ClientToScreen(POINT{0, 0});
    linkPopupMenu_->Popup(screen.x, screen.y);
  }
  m.Result = 1;
  return true;
}

// The application's hint string becomes the packed UTF-16 hint: the short
// part when the string is still the class library's short hint, the whole
// hint when a handler changed it.
void TElHTMLLabel::HintShow(THintInfo& info) { AnswerPackedHint(info, hint_, TControl::Hint()); }

// The 8-bit text changed: a caption set through the class library's own
// text follows into the UTF-16 one.
void TElHTMLLabel::TextChanged() {
  if (WideToAnsi(caption_) != GetText()) caption_ = AnsiToWide(GetText());
}

void TElHTMLLabel::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED:
      TextChanged();
      if (isHTML_)
        Refresh();
      else
        TCustomLabel::Dispatch(m);
      return;
    case CM_FONTCHANGED:
      TCustomLabel::Dispatch(m);
      Refresh();
      return;
    case CM_MOUSELEAVE:
      TControl::SetCursor(labelCursor_);
      TCustomLabel::Dispatch(m);
      return;
    case CM_HINTSHOW:
      TCustomLabel::Dispatch(m);
      HintShow(*reinterpret_cast<THintInfo*>(m.LParam));
      return;
    case WM_CONTEXTMENU:
      if (!LinkContextMenu(MessageAs<TWMContextMenu>(m))) TCustomLabel::Dispatch(m);
      return;
    default: TCustomLabel::Dispatch(m);
  }
}

void TElHTMLLabel::RenderImageNeeded(TObject*, const TElFString& src, TBitmap*& image) {
  OnImageNeeded(this, src, image);
}

// ---- unit

namespace {
void InitElHTMLLbl() {
  using L = TElHTMLLabel;
  // Cursor names as the class library's controls read them.
  const TIdentMapper* cursorNames = ClassInfoOfClass(ClassOf<TControl>())->FindProperty("Cursor")->Idents;
  Publish<L, TCustomLabel>()
      .Property("Caption", &L::Caption, &L::SetCaption)
      .Property("Hint", &L::Hint, &L::SetHint)
      .Property("Cursor", &L::Cursor, &L::SetCursor).Idents(cursorNames)
      .Property("IsHTML", &L::IsHTML, &L::SetIsHTML)
      .Property("WordWrap", &L::GetWordWrap, &L::SetWordWrap, false)
      .Property("LinkColor", &L::LinkColor, &L::SetLinkColor, TColor(0xFF0000)).Idents(&ColorIdents)
      .Property("LinkPopupMenu", &L::LinkPopupMenu, &L::SetLinkPopupMenu)
      .Property("LinkStyle", &L::LinkStyle, &L::SetLinkStyle)
      .Property("OnLinkClick", [](L* l) { return l->OnLinkClick; },
                [](L* l, const TElHTMLLinkClickEvent& e) { l->OnLinkClick = e; })
      .Property("OnImageNeeded", [](L* l) { return l->OnImageNeeded; },
                [](L* l, const TElHTMLImageNeededEvent& e) { l->OnImageNeeded = e; });
}
}  // namespace

const TUnitInfo ElHTMLLblUnit = {"ElHTMLLbl", &InitElHTMLLbl, nullptr};
