#include "ElHintWindow.hpp"

#include "ElVCLUtils.hpp"
#include "GraphicsScoped.hpp"
#include "Streaming.hpp"

TRect KeepHintOnDesktop(const TRect& rect, int desktopLeft, int desktopWidth, int desktopHeight) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  int left = rect.left, top = rect.top;
  if (top + h > desktopHeight) top = desktopHeight - h;
  if (left + w > desktopWidth) left = desktopWidth - w;
  if (left < desktopLeft) left = desktopLeft;
  return TRect{left, top, left + w, top + h};
}

namespace {
// The text the class library's hint window shows: up to the first zero byte.
std::string VisiblePart(const std::string& hint) { return hint.substr(0, hint.find('\0')); }
}  // namespace

TElHintWindow::TElHintWindow(TComponent* owner)
    : THintWindow(owner), render_(std::make_unique<TElHTMLRender>()) {
  render_->OnImageNeeded = TElHTMLImageNeededEvent(this, &TElHintWindow::RenderImageNeeded);
}

TElHintWindow::~TElHintWindow() { render_->OnImageNeeded = nullptr; }

void TElHintWindow::SetWideCaption(const TElFString& value) {
  wideCaption_ = value;
  std::string ansi = WideToAnsi(value);
  // The 8-bit text may stay the same while the UTF-16 one changed.
  if (GetText() == ansi)
    Perform(CM_TEXTCHANGED, 0, 0);
  else
    SetText(ansi);
}

void TElHintWindow::SetIsHTML(bool value) {
  if (isHTML_ == value) return;
  isHTML_ = value;
  Invalidate();
}

void TElHintWindow::SetWordWrap(bool value) {
  if (wordWrap_ == value) return;
  wordWrap_ = value;
  if (!activating_) FitToCaption();
}

void TElHintWindow::SetUpRender() {
  TElHTMLData* data = render_->Data();
  data->DefaultColor = Font()->Color();
  data->DefaultBgColor = Color();
  data->Charset = Font()->Charset();
  data->DefaultStyle = Font()->Style();
  data->DefaultHeight = Font()->Height();
  data->DefaultFont = Font()->Name();
}

UINT TElHintWindow::PlainTextFlags() const {
  return DrawTextBiDiModeFlags(DT_NOPREFIX | (wordWrap_ ? DT_WORDBREAK : 0));
}

TRect TElHintWindow::CalcHintRectW(int maxWidth, const TElFString& text) {
  TRect r{0, 0, maxWidth, 0};
  if (isHTML_) {
    SetUpRender();
    render_->PrepareText(text, 0, false);
    r = TRect{0, 0, render_->Data()->TextWidth, render_->Data()->TextHeight + 2};
  } else {
    ScopedWindowDC screen(nullptr);
    TCanvasBinding binding(Canvas(), screen.Get());
    Canvas()->Font()->Assign(Font());
    Canvas()->RequiredState({csHandleValid, csFontValid});
    DrawWideText(Canvas()->Handle(), text.c_str(), static_cast<int>(text.size()), DT_CALCRECT | PlainTextFlags(), r);
  }
  r.right += 6;
  r.bottom += 2;
  return r;
}

RECT TElHintWindow::CalcHintRect(int maxWidth, const std::string& hint, void*) {
  std::string text = VisiblePart(hint);
  if (isHTML_) return CalcHintRectW(maxWidth, AnsiToWide(text));
  RECT r{0, 0, maxWidth, 0};
  {
    ScopedWindowDC screen(nullptr);
    TCanvasBinding binding(Canvas(), screen.Get());
    Canvas()->Font()->Assign(Font());
    Canvas()->RequiredState({csHandleValid, csFontValid});
    DrawTextA(Canvas()->Handle(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | PlainTextFlags());
  }
  r.right += 6;
  r.bottom += 2;
  return r;
}

void TElHintWindow::ActivateHintW(TRect rect, const TElFString& text) {
  activating_ = true;
  try {
    SetWideCaption(text);
    rect.bottom += 4;
    TRect r = KeepHintOnDesktop(rect, Screen->DesktopLeft(), Screen->DesktopWidth(), Screen->DesktopHeight());
    SetWindowPos(Handle(), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    UpdateBounds();
    visible_ = true;
  } catch (...) {
    activating_ = false;
    throw;
  }
  activating_ = false;
  Invalidate();
  Update();
}

void TElHintWindow::ActivateHint(RECT rect, const std::string& hint) {
  ActivateHintW(rect, AnsiToWide(VisiblePart(hint)));
}

// A caption or wrap change outside ActivateHintW sizes the window to the
// text, keeping its place.
void TElHintWindow::FitToCaption() {
  TRect r = CalcHintRectW(10000, wideCaption_);
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TElHintWindow::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(client);
  canvas->Font()->Assign(Font());
  TRect r = client;
  r.left += 2;
  r.top += 2;
  if (isHTML_) {
    SetUpRender();
    render_->PrepareText(wideCaption_, 0, false);
    canvas->Brush()->SetStyle(bsClear);
    render_->DrawText(canvas, TPoint{0, 0}, clNone, r);
    return;
  }
  canvas->RequiredState({csHandleValid, csFontValid});
  HDC dc = canvas->Handle();
  int oldMode = SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Font()->Color())));
  DrawWideText(dc, wideCaption_.c_str(), static_cast<int>(wideCaption_.size()), PlainTextFlags(), r);
  SetBkMode(dc, oldMode);
}

bool TElHintWindow::LinkAt(int x, int y, TElFString& href) {
  if (!isHTML_) return false;
  SetUpRender();
  TRect area{2, 2, ClientWidth() - 2, ClientHeight() - 2};
  return render_->IsCursorOverLink(TPoint{0, 0}, TPoint{x - 2, y - 2}, href, area);
}

void TElHintWindow::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TElFString href;
  if (LinkAt(x, y, href)) {
    TriggerLinkClickEvent(href);
    return;
  }
  THintWindow::MouseDown(button, shift, x, y);
}

void TElHintWindow::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED:
      if (!activating_) FitToCaption();
      return;
    // A click on a link must not take the activation from the window the
    // hint belongs to (the hint would then stay in front of a dead form).
    case WM_MOUSEACTIVATE:
      m.Result = MA_NOACTIVATE;
      return;
    case WM_NCHITTEST: {
      // The standard hint window lets the mouse through; over a link this
      // one takes the click.
      TElFString href;
      POINT p = ScreenToClient(POINT{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))});
      if (LinkAt(p.x, p.y, href)) {
        m.Result = HTCLIENT;
        return;
      }
      THintWindow::Dispatch(m);
      return;
    }
    default: THintWindow::Dispatch(m);
  }
}

void TElHintWindow::TriggerLinkClickEvent(const TElFString& href) { OnLinkClick(this, href); }

void TElHintWindow::TriggerImageNeededEvent(const TElFString& src, TBitmap*& image) {
  OnImageNeeded(this, src, image);
}

void TElHintWindow::RenderImageNeeded(TObject*, const TElFString& src, TBitmap*& image) {
  TriggerImageNeededEvent(src, image);
}

namespace {
void InitElHintWindow() {
  using W = TElHintWindow;
  Publish<W, TCustomControl>()
      .Property("WideCaption", &W::WideCaption, &W::SetWideCaption)
      .Property("IsHTML", &W::IsHTML, &W::SetIsHTML)
      .Property("WordWrap", &W::WordWrap, &W::SetWordWrap, false)
      .Property("OnImageNeeded", [](W* w) { return w->OnImageNeeded; },
                [](W* w, const TElHTMLImageNeededEvent& e) { w->OnImageNeeded = e; })
      .Property("OnLinkClick", [](W* w) { return w->OnLinkClick; },
                [](W* w, const TElHTMLLinkClickEvent& e) { w->OnLinkClick = e; });
}
}  // namespace

const TUnitInfo ElHintWindowUnit = {"ElHintWindow", &InitElHintWindow, nullptr};
