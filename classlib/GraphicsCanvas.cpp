// TCanvas: drawing operations over a device context.
#include "Graphics.hpp"

namespace {

// Pen modes in TPenMode order as R2_ codes.
const int kPenModes[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                         R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN,
                         R2_MERGEPEN, R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN,
                         R2_XORPEN, R2_NOTXORPEN};

const TCanvasStates kPenAndBrush{csHandleValid, csPenValid, csBrushValid};

}  // namespace

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  InitializeCriticalSection(&lock_);
  font_->OnChange = MakeEvent(this, &TCanvas::FontChanged);
  pen_->OnChange = MakeEvent(this, &TCanvas::PenChanged);
  brush_->OnChange = MakeEvent(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  DeleteCriticalSection(&lock_);
}

HDC TCanvas::Handle() {
  RequiredState({csHandleValid});
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  if (dc_) {
    DeselectHandles();
    // The pen position lives in the context; keep it for the next one.
    POINT pos;
    if (GetCurrentPositionEx(dc_, &pos)) penPos_ = pos;
  }
  dc_ = dc;
  state_ = TCanvasStates();
  if (dc_) {
    state_.Include(csHandleValid);
    MoveToEx(dc_, penPos_.x, penPos_.y, nullptr);
  }
}

void TCanvas::RequiredState(TCanvasStates required) {
  TCanvasStates needed = required - state_;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!dc_) throw EInvalidOperation("Canvas does not allow drawing");
  }
  if (needed.Contains(csFontValid)) SelectFont();
  if (needed.Contains(csPenValid)) SelectPen();
  if (needed.Contains(csBrushValid)) SelectBrush();
}

void TCanvas::SelectFont() {
  SelectObject(dc_, font_->Handle());
  SetTextColor(dc_, static_cast<COLORREF>(ColorToRGB(font_->Color())));
  state_.Include(csFontValid);
}

void TCanvas::SelectPen() {
  SelectObject(dc_, pen_->Handle());
  SetROP2(dc_, kPenModes[pen_->Mode()]);
  state_.Include(csPenValid);
}

void TCanvas::SelectBrush() {
  HBRUSH brush = brush_->Handle();
  UnrealizeObject(brush);
  SelectObject(dc_, brush);
  COLORREF color = static_cast<COLORREF>(ColorToRGB(brush_->Color()));
  if (brush_->Style() == bsSolid) {
    SetBkColor(dc_, color);
    SetBkMode(dc_, OPAQUE);
  } else {
    // Hatches and clear brushes leave the background between their lines.
    SetBkColor(dc_, ~color & 0xFFFFFF);
    SetBkMode(dc_, TRANSPARENT);
  }
  state_.Include(csBrushValid);
}

void TCanvas::DeselectHandles() {
  if (!dc_) return;
  if (state_.Contains(csFontValid)) SelectObject(dc_, GetStockObject(SYSTEM_FONT));
  if (state_.Contains(csPenValid)) SelectObject(dc_, GetStockObject(BLACK_PEN));
  if (state_.Contains(csBrushValid)) SelectObject(dc_, GetStockObject(HOLLOW_BRUSH));
  state_ -= TCanvasStates{csFontValid, csPenValid, csBrushValid};
}

void TCanvas::FontChanged(TObject*) {
  if (dc_ && state_.Contains(csFontValid)) SelectObject(dc_, GetStockObject(SYSTEM_FONT));
  state_.Exclude(csFontValid);
}

void TCanvas::PenChanged(TObject*) {
  if (dc_ && state_.Contains(csPenValid)) SelectObject(dc_, GetStockObject(BLACK_PEN));
  state_.Exclude(csPenValid);
}

void TCanvas::BrushChanged(TObject*) {
  if (dc_ && state_.Contains(csBrushValid)) SelectObject(dc_, GetStockObject(HOLLOW_BRUSH));
  state_.Exclude(csBrushValid);
}

void TCanvas::Changing() { OnChanging(this); }
void TCanvas::Changed() { OnChange(this); }

void TCanvas::Lock() {
  EnterCriticalSection(&lock_);
  ++lockCount_;
}

bool TCanvas::TryLock() {
  if (!TryEnterCriticalSection(&lock_)) return false;
  ++lockCount_;
  return true;
}

void TCanvas::Unlock() {
  --lockCount_;
  LeaveCriticalSection(&lock_);
}

TPoint TCanvas::PenPos() {
  if (dc_) GetCurrentPositionEx(dc_, &penPos_);
  return penPos_;
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  TRect r{0, 0, 0, 0};
  GetClipBox(dc_, &r);
  return r;
}

TColor TCanvas::Pixels(int x, int y) {
  RequiredState({csHandleValid});
  return static_cast<TColor>(GetPixel(dc_, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  SetPixel(dc_, x, y, static_cast<COLORREF>(ColorToRGB(color)));
  Changed();
}

void TCanvas::MoveTo(int x, int y) {
  penPos_ = {x, y};
  if (dc_) MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(dc_, x, y);
  penPos_ = {x, y};
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(kPenAndBrush);
  ::Rectangle(dc_, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Changing();
  RequiredState(kPenAndBrush);
  ::RoundRect(dc_, x1, y1, x2, y2, x3, y3);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState(kPenAndBrush);
  ::Ellipse(dc_, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Polygon(const TPoint* points, int count) {
  if (count <= 0) return;
  Changing();
  RequiredState(kPenAndBrush);
  ::Polygon(dc_, points, count);
  Changed();
}

void TCanvas::Polyline(const TPoint* points, int count) {
  if (count <= 0) return;
  Changing();
  RequiredState(kPenAndBrush);
  ::Polyline(dc_, points, count);
  Changed();
}

void TCanvas::FillRect(const TRect& r) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(dc_, &r, brush_->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& r) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(dc_, &r, brush_->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(dc_, &r);
  Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  ExtTextOutA(dc_, x, y, textFlags_, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
  MoveTo(x + TextWidth(text), y);
  Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const std::string& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED | textFlags_;
  if (brush_->Style() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(dc_, x, y, options, &r, text.data(), static_cast<UINT>(text.size()), nullptr);
  Changed();
}

TSize TCanvas::TextExtent(const std::string& text) {
  RequiredState({csHandleValid, csFontValid});
  TSize size{0, 0};
  GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  StretchDraw(TRect{x, y, x + graphic->Width(), y + graphic->Height()}, graphic);
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  graphic->Draw(this, r);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  canvas->RequiredState({csHandleValid, csBrushValid});
  StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, canvas->dc_,
             source.left, source.top, source.right - source.left, source.bottom - source.top, copyMode_);
  Changed();
}
