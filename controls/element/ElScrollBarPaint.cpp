// How the flat scroll bar draws itself: buttons with arrow glyphs, the
// track (blended, themed or plain), the thumb with its grip lines, each part
// offered to OnDrawPart first; and the blend pattern all bars share.
#include <algorithm>

#include "ElScrollBar.hpp"
#include "ElTmSchema.hpp"
#include "ElVCLUtils.hpp"

namespace {

TBitmap* g_blendPattern = nullptr;

// Color with its lightness moved by a quarter: darker (Sign -1) or lighter
// (+1); the button face gives the system's shadow and highlight.
TColor Shade(TColor color, int sign) {
  if (color == clBtnFace) return sign < 0 ? clBtnShadow : clBtnHighlight;
  const TColor hls = RGBtoHLS(color);
  const int lightness = (hls >> 8) & 0xFF;
  const int shaded = std::min(255, lightness + sign * (lightness / 4));
  return HLStoRGB((hls & ~0xFF00) | (shaded << 8));
}

bool Empty(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }

// Theme states in the order normal, hot, pressed, disabled.
int StateIndex(bool disabled, bool pressed, bool hot) {
  if (disabled) return 3;
  if (pressed) return 2;
  return hot ? 1 : 0;
}

}  // namespace

TBitmap* ScrollBarBlendPattern() { return g_blendPattern; }

void TCustomElScrollBar::CreatePatternIfNone() {
  if (g_blendPattern) return;
  g_blendPattern = new TBitmap;
  g_blendPattern->SetPixelFormat(pf24bit);
  g_blendPattern->SetSize(8, 8);
  ownsPattern_ = true;
  RebuildPattern();
}

void TCustomElScrollBar::RebuildPattern() {
  if (!ownsPattern_ || !g_blendPattern) return;
  const TColor face = ColorToRGB(Color());
  const TColor light = ColorToRGB(Shade(Color(), +1));
  TCanvas* canvas = g_blendPattern->Canvas();
  for (int j = 0; j < 8; ++j)
    for (int i = 0; i < 8; ++i) canvas->SetPixels(i, j, ((i ^ j) & 1) ? face : light);
}

// The other bars then fill their tracks plainly; a bar created later makes a
// new pattern of its own.
void TCustomElScrollBar::ReleasePattern() {
  if (!ownsPattern_) return;
  delete g_blendPattern;
  g_blendPattern = nullptr;
  ownsPattern_ = false;
}

bool TCustomElScrollBar::Themed() const { return ThemesAvailable && IsThemeApplied(); }

void TCustomElScrollBar::DrawThemePart(TCanvas* canvas, int part, int state, const TRect& r) {
  DrawThemeBackground(Theme(), canvas->Handle(), part, state, &r, nullptr);
}

void TCustomElScrollBar::SelectTrackBrush(TCanvas* canvas) {
  const bool blend = (blendBackground_ && !systemBkColor_) ||
                     (systemBkColor_ && GetSysColor(COLOR_SCROLLBAR) == GetSysColor(COLOR_BTNFACE));
  if (blend && g_blendPattern) {
    canvas->Brush()->SetBitmap(g_blendPattern);
    return;
  }
  // Themed bars draw their tracks through the theme; this fill serves the
  // unthemed look only.
  canvas->Brush()->SetColor(systemBkColor_ ? clScrollBar : Color());
}

void TCustomElScrollBar::RestoreBrush(TCanvas* canvas) {
  canvas->Brush()->SetBitmap(nullptr);
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(ShowsFormBackground() ? bsClear : bsSolid);
}

bool TCustomElScrollBar::ShowsFormBackground() const {
  return imageForm_ && !imageForm_->ComponentState().Contains(csDesigning);
}

// The part of the form's background under the bar, placed by the bar's
// offset in the control that carries the background.
void TCustomElScrollBar::PaintFormBackground(TCanvas* canvas) {
  TWinControl* real = imageForm_->GetRealControl();
  if (!real) return;
  const POINT own = ClientOrigin(), base = real->ClientOrigin();
  imageForm_->PaintBkgnd(canvas->Handle(), ClientRect(), true, TPoint{own.x - base.x, own.y - base.y});
}

void TCustomElScrollBar::FillTrackArea(TCanvas* canvas, const TRect& r) {
  if (ShowsFormBackground()) return;
  SelectTrackBrush(canvas);
  canvas->FillRect(r);
  RestoreBrush(canvas);
}

bool TCustomElScrollBar::OfferPart(TCanvas* canvas, const TRect& r, TElScrollBarPart part, bool enabled,
                                   bool focused, bool pressed) {
  if (!ownerDraw_ || !OnDrawPart) return true;
  bool defaultDraw = true;
  OnDrawPart(this, canvas, r, part, enabled, focused, pressed, defaultDraw);
  // The handler may have changed the brush.
  RestoreBrush(canvas);
  return defaultDraw;
}

// Whether a press on the button would move (or, for custom buttons, act);
// a disabled bar has no usable buttons.
bool TCustomElScrollBar::ButtonUsable(TElScrollBarPart part) const {
  if (!Enabled()) return false;
  const TElScrollBarGeometry& g = geometry_;
  switch (part) {
    case spFirstArrow: return g.CanDecrease();
    case spLastArrow: return g.CanIncrease();
    default: return g.PressStep(part).Tracks || noDisableButtons_;
  }
}

bool TCustomElScrollBar::ButtonRaised(TElScrollBarPart part) const {
  return !flat_ || (!tracking_ && mouseInside_ && !activeFlat_ && hotPart_ == part && ButtonUsable(part));
}

bool TCustomElScrollBar::ThumbRaised() const {
  const TElScrollBarGeometry& g = geometry_;
  const bool scrollable = Int64(g.Max) >= Int64(g.Min) + 1 && Int64(g.Page) < Int64(g.Max) - g.Min;
  return (Focused() && !activeFlat_) || !flat_ ||
         (mouseInside_ && !activeFlat_ && hotPart_ == spThumb && scrollable);
}

void TCustomElScrollBar::Paint() {
  TCanvas* canvas = Canvas();
  RestoreBrush(canvas);
  if (ShowsFormBackground()) PaintFormBackground(canvas);
  PaintButtons(canvas);
  if (geometry_.ThumbLength() > 0 && Enabled())
    PaintTrackParts(canvas);
  else
    PaintTrack(canvas, spNone);
}

void TCustomElScrollBar::PaintButtons(TCanvas* canvas) {
  for (TElScrollBarPart part : {spFirstArrow, spSecondFirst, spLastArrow, spSecondLast}) PaintButton(canvas, part);
}

void TCustomElScrollBar::PaintButton(TCanvas* canvas, TElScrollBarPart part) {
  const TElScrollBarGeometry& g = geometry_;
  const TRect r = g.PartRect(part);
  if (Empty(r)) return;
  const bool usable = ButtonUsable(part);
  const bool pressed = PartPressed(part);
  const bool raised = ButtonRaised(part);
  if (!OfferPart(canvas, r, part, usable, raised, pressed)) return;
  const bool drawnEnabled = usable || (noDisableButtons_ && Enabled());
  const bool vertical = g.Kind == sbVertical;
  const bool secondary = part == spSecondFirst || part == spSecondLast;
  const bool hot = hotPart_ == part && !tracking_ && mouseInside_;
  // The end of the bar the glyph points to.
  bool towardsFirst = part == spFirstArrow || part == spSecondLast;
  if (secondary && g.SecondBtnKind == sbkPage) towardsFirst = part == spSecondFirst;
  const TElArrowDirection direction =
      vertical ? (towardsFirst ? eadUp : eadDown) : (towardsFirst ? eadLeft : eadRight);

  if (Themed()) {
    const int state = StateIndex(!drawnEnabled, pressed, hot);
    if (!secondary || (!vertical && g.SecondBtnKind == sbkOpposite)) {
      // Arrow parts: up 1, down 5, left 9, right 13, then the four states.
      static const int first[] = {ABS_UPNORMAL, ABS_DOWNNORMAL, ABS_LEFTNORMAL, ABS_RIGHTNORMAL};
      const int index = (vertical ? 0 : 2) + (direction == eadDown || direction == eadRight ? 1 : 0);
      DrawThemePart(canvas, SBP_ARROWBTN, first[index] + state, r);
      return;
    }
    DrawThemePart(canvas, SBP_THUMBBTNHORZ, SCRBS_NORMAL + state, r);
  } else {
    if (drawArrowFrames_) {
      if (!ShowsFormBackground()) canvas->FillRect(r);
      DrawColoredButtonFrame(canvas->Handle(), r, raised, thinFrames_, Color(), pressed);
    } else {
      FillTrackArea(canvas, r);
    }
  }
  const TColor glyph = hotPart_ == part ? arrowHotTrackColor_ : arrowColor_;
  if (secondary && g.SecondBtnKind == sbkPage) {
    // A double arrow: the glyph twice, one pixel on and two back along the bar.
    for (int shift : {1, -2}) {
      TRect moved = r;
      if (vertical)
        OffsetRect(&moved, 0, shift);
      else
        OffsetRect(&moved, shift, 0);
      DrawArrow(canvas, direction, moved, drawnEnabled, glyph);
    }
  } else {
    DrawArrow(canvas, direction, r, drawnEnabled, glyph);
  }
}

void TCustomElScrollBar::PaintTrackParts(TCanvas* canvas) {
  PaintTrack(canvas, spTrackBefore);
  PaintThumb(canvas);
  PaintTrack(canvas, spTrackAfter);
}

void TCustomElScrollBar::PaintTrack(TCanvas* canvas, TElScrollBarPart part) {
  const TElScrollBarGeometry& g = geometry_;
  const TRect r = g.PartRect(part);
  if (Empty(r)) return;
  const bool pressed = part != spNone && PartPressed(part);
  if (!OfferPart(canvas, r, part, Enabled(), Focused(), pressed)) return;
  const bool vertical = g.Kind == sbVertical;
  if (Themed()) {
    if (part == spNone) {
      DrawThemePart(canvas, vertical ? SBP_LOWERTRACKVERT : SBP_LOWERTRACKHORZ, SCRBS_DISABLED, r);
      return;
    }
    const bool before = part == spTrackBefore;
    const int themePart = vertical ? (before ? SBP_UPPERTRACKVERT : SBP_LOWERTRACKVERT)
                                   : (before ? SBP_UPPERTRACKHORZ : SBP_LOWERTRACKHORZ);
    const bool hot = hotPart_ == part && !tracking_ && mouseInside_;
    DrawThemePart(canvas, themePart, SCRBS_NORMAL + StateIndex(!Enabled(), pressed, hot), r);
    return;
  }
  if (ShowsFormBackground()) return;
  if (pressed && changeColorsOnScroll_) {
    canvas->Brush()->SetColor(Shade(Color(), -1));
    canvas->FillRect(r);
    RestoreBrush(canvas);
  } else {
    FillTrackArea(canvas, r);
  }
}

void TCustomElScrollBar::PaintThumb(TCanvas* canvas) {
  const TElScrollBarGeometry& g = geometry_;
  const TRect r = g.PartRect(spThumb);
  if (Empty(r)) return;
  const bool dragging = tracking_ && pressedPart_ == spThumb;
  const bool raised = ThumbRaised();
  if (!OfferPart(canvas, r, spThumb, Enabled(), raised, dragging)) return;
  const bool vertical = g.Kind == sbVertical;
  if (Themed()) {
    const bool hot = hotPart_ == spThumb && mouseInside_;
    DrawThemePart(canvas, vertical ? SBP_THUMBBTNVERT : SBP_THUMBBTNHORZ,
                  SCRBS_NORMAL + StateIndex(!Enabled(), dragging, hot), r);
    if (drawBars_) {
      RECT content = r;
      GetThemeBackgroundContentRect(Theme(), canvas->Handle(), vertical ? SBP_THUMBBTNVERT : SBP_THUMBBTNHORZ,
                                    SCRBS_NORMAL, &r, &content);
      DrawThemePart(canvas, vertical ? SBP_GRIPPERVERT : SBP_GRIPPERHORZ, SCRBS_NORMAL, content);
    }
    return;
  }
  const bool sunken = dragging && !noSunkenThumb_;
  if (!ShowsFormBackground()) canvas->FillRect(r);
  if (drawFrames_) DrawColoredButtonFrame(canvas->Handle(), r, raised, thinFrames_, Color(), sunken);
  const int length = g.ThumbLength(), thickness = g.Thickness();
  const int inset = static_cast<int>(barOffset_) + (drawFrames_ ? 1 : 0);
  if (!drawBars_ || length <= 14 || thickness < 2 * inset + 3) return;
  // Four grip lines across the thumb around its centre.
  const int shift = sunken ? 1 : 0;
  const int centre = g.ThumbOffset + length / 2 + shift;
  canvas->Pen()->SetColor(barColor_);
  for (int d : {-3, -1, 1, 3}) {
    const int along = centre + d, from = inset + shift, to = thickness - inset + shift;
    if (vertical) {
      canvas->MoveTo(from, along);
      canvas->LineTo(to, along);
    } else {
      canvas->MoveTo(along, from);
      canvas->LineTo(along, to);
    }
  }
}
