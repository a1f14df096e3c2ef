#include "ElVCLUtils.hpp"


#include "ElGdiScope.hpp"
#include "ElTools.hpp"
#include "Forms.hpp"

// ---------------------------------------------------------------- colours

Byte GetRValue(TColor color) { return static_cast<Byte>(ColorToRGB(color) & 0xFF); }
Byte GetGValue(TColor color) { return static_cast<Byte>((ColorToRGB(color) >> 8) & 0xFF); }
Byte GetBValue(TColor color) { return static_cast<Byte>((ColorToRGB(color) >> 16) & 0xFF); }

TColor RGBToColor(Byte r, Byte g, Byte b) { return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16); }

namespace {

constexpr int kHlsMax = 252;
constexpr int kRgbMax = 255;
constexpr int kUndefinedHue = kHlsMax * 2 / 3;

int HueToValue(int m1, int m2, int hue) {
  if (hue < 0) hue += kHlsMax;
  if (hue > kHlsMax) hue -= kHlsMax;
  if (hue < kHlsMax / 6) return m1 + ((m2 - m1) * hue + kHlsMax / 12) / (kHlsMax / 6);
  if (hue < kHlsMax / 2) return m2;
  if (hue < kHlsMax * 2 / 3)
    return m1 + ((m2 - m1) * (kHlsMax * 2 / 3 - hue) + kHlsMax / 12) / (kHlsMax / 6);
  return m1;
}

Byte ChannelFromHue(int m1, int m2, int hue) {
  int v = (HueToValue(m1, m2, hue) * kRgbMax + kHlsMax / 2) / kHlsMax;
  return static_cast<Byte>(v < 0 ? 0 : (v > kRgbMax ? kRgbMax : v));
}

}  // namespace

TColor RGBtoHLS(TColor color) {
  const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  const int mx = Max(Max(r, g), b), mn = Min(Min(r, g), b);
  const int l = ((mx + mn) * kHlsMax + kRgbMax) / (2 * kRgbMax);
  int h = kUndefinedHue, s = 0;
  if (mx != mn) {
    const int d = mx - mn;
    // The upper half divides by the distance of the sum from white, so that
    // a light tint of a pure hue keeps its full saturation.
    const int rest = 2 * kRgbMax - mx - mn;
    if (l <= kHlsMax / 2)
      s = (d * kHlsMax + (mx + mn) / 2) / (mx + mn);
    else
      s = (d * kHlsMax + rest / 2) / rest;
    const int dr = ((mx - r) * (kHlsMax / 6) + d / 2) / d;
    const int dg = ((mx - g) * (kHlsMax / 6) + d / 2) / d;
    const int db = ((mx - b) * (kHlsMax / 6) + d / 2) / d;
    if (r == mx)
      h = db - dg;
    else if (g == mx)
      h = kHlsMax / 3 + dr - db;
    else
      h = kHlsMax * 2 / 3 + dg - dr;
    if (h < 0) h += kHlsMax;
    if (h > kHlsMax) h -= kHlsMax;
  }
  return TColor(h) | (TColor(l) << 8) | (TColor(s) << 16);
}

TColor HLStoRGB(TColor hls) {
  const int h = hls & 0xFF, l = (hls >> 8) & 0xFF, s = (hls >> 16) & 0xFF;
  if (s == 0) {
    // A lightness byte may exceed the scale (a caller's "a quarter lighter"
    // of white); the grey is clamped as each channel of a colour is.
    const Byte grey = static_cast<Byte>(Min(l * kRgbMax / kHlsMax, kRgbMax));
    return RGBToColor(grey, grey, grey);
  }
  const int m2 = l <= kHlsMax / 2 ? (l * (kHlsMax + s) + kHlsMax / 2) / kHlsMax
                                  : l + s - (l * s + kHlsMax / 2) / kHlsMax;
  const int m1 = 2 * l - m2;
  return RGBToColor(ChannelFromHue(m1, m2, h + kHlsMax / 3), ChannelFromHue(m1, m2, h),
                    ChannelFromHue(m1, m2, h - kHlsMax / 3));
}

int GetKeyboardRepeatTime(UINT action) {
  DWORD value = 0;
  SystemParametersInfoA(action, 0, &value, 0);
  if (action == SPI_GETKEYBOARDSPEED) return static_cast<int>(1000 / (value + 1));
  if (action == SPI_GETKEYBOARDDELAY) return static_cast<int>(value * 250 + 250);
  return static_cast<int>(value);
}

// ---------------------------------------------------------------- fills

namespace {

void PaintBand(HDC dc, const TRect& band, TColor color) {
  if (band.right <= band.left || band.bottom <= band.top) return;
  TElGdiObject<HBRUSH> brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color))));
  TElSelectObject selection(dc, brush.Get());
  PatBlt(dc, band.left, band.top, band.right - band.left, band.bottom - band.top, PATCOPY);
}

// Calls Paint(band, colour) for every band of the gradient over Rect. With
// one step or fewer the colour formula would divide by zero, so such a
// gradient is one band of the start colour, like a gradient between equal
// colours. Bands narrower than a pixel paint nothing: there are never more
// steps than pixels, whatever number a caller (a form file) asks for.
template <class Paint>
void ForEachGradientBand(const TRect& rect, bool vertical, int steps, TColor startColor, TColor endColor,
                         Paint paint) {
  const TColor s = ColorToRGB(startColor), e = ColorToRGB(endColor);
  const int start = vertical ? rect.top : rect.left;
  const int size = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  steps = Min(steps, Max(size, 1));
  if (s == e || steps <= 1) {
    paint(rect, s);
    return;
  }
  const int sr = GetRValue(s), sg = GetGValue(s), sb = GetBValue(s);
  const int dr = GetRValue(e) - sr, dg = GetGValue(e) - sg, db = GetBValue(e) - sb;
  for (int i = 0; i < steps; ++i) {
    const int from = start + MulDiv(i, size, steps), to = start + MulDiv(i + 1, size, steps);
    if (to <= from) continue;
    TRect band = rect;
    (vertical ? band.top : band.left) = from;
    (vertical ? band.bottom : band.right) = to;
    const TColor color = RGBToColor(static_cast<Byte>(sr + MulDiv(i, dr, steps - 1)),
                                    static_cast<Byte>(sg + MulDiv(i, dg, steps - 1)),
                                    static_cast<Byte>(sb + MulDiv(i, db, steps - 1)));
    paint(band, color);
  }
}

}  // namespace

void GradientFillRect(HDC dc, const TRect& rect, TColor startColor, bool vertical, int steps,
                      TColor endColor) {
  ForEachGradientBand(rect, vertical, steps, startColor, endColor,
                      [dc](const TRect& band, TColor color) { PaintBand(dc, band, color); });
}

void GradientFillRectClipped(HDC dc, const TRect& clipRect, const TRect& rect, bool vertical, int steps,
                             TColor startColor, TColor endColor, TPoint origin) {
  TRect clip = clipRect;
  OffsetRect(&clip, origin.x, origin.y);
  ForEachGradientBand(rect, vertical, steps, startColor, endColor, [&](const TRect& band, TColor color) {
    TRect part;
    if (!IntersectRect(&part, &band, &clip)) return;
    OffsetRect(&part, -origin.x, -origin.y);
    PaintBand(dc, part, color);
  });
}

void FillSolidRect(HDC dc, const TRect& rect, TColor color) {
  TRect r{Min(rect.left, rect.right), Min(rect.top, rect.bottom), Max(rect.left, rect.right),
          Max(rect.top, rect.bottom)};
  const COLORREF old = SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void FillSolidRectXY(HDC dc, int x, int y, int width, int height, TColor color) {
  FillSolidRect(dc, TRect{x, y, x + width, y + height}, color);
}

// ---------------------------------------------------------------- glyphs and pictures

namespace {

// The glyph in the box at (X, Y): 4 x 7 for left and right, 7 x 4 for up and
// down; the longest line lies on the side opposite the point.
void DrawArrowLines(TCanvas* canvas, TElArrowDirection direction, int x, int y, TColor color) {
  canvas->Pen()->SetColor(color);
  for (int k = 0; k < 4; ++k) {
    const int length = 7 - 2 * k;
    switch (direction) {
      case eadLeft:
        canvas->MoveTo(x + 3 - k, y + k);
        canvas->LineTo(x + 3 - k, y + k + length);
        break;
      case eadRight:
        canvas->MoveTo(x + k, y + k);
        canvas->LineTo(x + k, y + k + length);
        break;
      case eadUp:
        canvas->MoveTo(x + k, y + 3 - k);
        canvas->LineTo(x + k + length, y + 3 - k);
        break;
      case eadDown:
        canvas->MoveTo(x + k, y + k);
        canvas->LineTo(x + k + length, y + k);
        break;
    }
  }
}

}  // namespace

void DrawArrow(TCanvas* canvas, TElArrowDirection direction, const TRect& rect, bool enabled, TColor color) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  const bool horizontal = direction == eadLeft || direction == eadRight;
  if (horizontal ? (w < 3 || h < 6) : (w < 6 || h < 3)) return;
  TRect box;
  if (horizontal)
    CenterRects(4, w, 7, h, box);
  else
    CenterRects(7, w, 4, h, box);
  const int x = rect.left + box.left, y = rect.top + box.top;
  const TColor saved = canvas->Pen()->Color();
  if (enabled) {
    DrawArrowLines(canvas, direction, x, y, color);
  } else {
    DrawArrowLines(canvas, direction, x + 1, y + 1, clBtnHighlight);
    DrawArrowLines(canvas, direction, x, y, clBtnShadow);
  }
  canvas->Pen()->SetColor(saved);
}

void DrawTransparentBitmapEx(HDC dc, TBitmap* bitmap, int x, int y, const TRect& sourceRect,
                             TColor transparentColor) {
  const int w = sourceRect.right - sourceRect.left, h = sourceRect.bottom - sourceRect.top;
  if (!bitmap || bitmap->Empty() || w <= 0 || h <= 0) return;
  HDC source = bitmap->Canvas()->Handle();
  const int oldMapMode = SetMapMode(source, GetMapMode(dc));

  // The mask (white where the source has the transparent colour) is made
  // from the source itself, so that the colour compares exactly whatever the
  // destination's format; the colour work happens on a copy, never on the
  // caller's bitmap.
  TElMemoryDC maskDC(dc), invertedDC(dc), copyDC(dc), workDC(dc);
  TElGdiObject<HBITMAP> mask(CreateBitmap(w, h, 1, 1, nullptr));
  TElGdiObject<HBITMAP> inverted(CreateBitmap(w, h, 1, 1, nullptr));
  TElGdiObject<HBITMAP> copy(CreateCompatibleBitmap(dc, w, h));
  TElGdiObject<HBITMAP> work(CreateCompatibleBitmap(dc, w, h));
  TElSelectObject maskSel(maskDC.Get(), mask.Get()), invertedSel(invertedDC.Get(), inverted.Get());
  TElSelectObject copySel(copyDC.Get(), copy.Get()), workSel(workDC.Get(), work.Get());

  const COLORREF oldSourceBk = SetBkColor(source, static_cast<COLORREF>(ColorToRGB(transparentColor)));
  BitBlt(maskDC.Get(), 0, 0, w, h, source, sourceRect.left, sourceRect.top, SRCCOPY);
  SetBkColor(source, oldSourceBk);
  BitBlt(invertedDC.Get(), 0, 0, w, h, maskDC.Get(), 0, 0, NOTSRCCOPY);
  BitBlt(copyDC.Get(), 0, 0, w, h, source, sourceRect.left, sourceRect.top, SRCCOPY);
  SetMapMode(source, oldMapMode);

  // Monochrome sources expand to the text colour (0) and background colour (1).
  for (HDC work_dc : {workDC.Get(), copyDC.Get()}) {
    SetBkColor(work_dc, RGB(255, 255, 255));
    SetTextColor(work_dc, RGB(0, 0, 0));
  }
  BitBlt(workDC.Get(), 0, 0, w, h, dc, x, y, SRCCOPY);
  BitBlt(workDC.Get(), 0, 0, w, h, maskDC.Get(), 0, 0, SRCAND);
  BitBlt(copyDC.Get(), 0, 0, w, h, invertedDC.Get(), 0, 0, SRCAND);
  BitBlt(workDC.Get(), 0, 0, w, h, copyDC.Get(), 0, 0, SRCPAINT);
  BitBlt(dc, x, y, w, h, workDC.Get(), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------- frames

void Draw3DRect(HDC dc, int x, int y, int width, int height, TColor topLeftColor, TColor bottomRightColor) {
  FillSolidRectXY(dc, x, y, width - 1, 1, topLeftColor);
  FillSolidRectXY(dc, x, y, 1, height - 1, topLeftColor);
  FillSolidRectXY(dc, x + width, y, -1, height, bottomRightColor);
  FillSolidRectXY(dc, x, y + height, width, -1, bottomRightColor);
}

void Draw3DFrameSys(HDC dc, const TRect& rect, int outerTopLeft, int innerBottomRight, int innerTopLeft,
                    int outerBottomRight) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  Draw3DRect(dc, rect.left, rect.top, w, h, SystemColor(outerTopLeft), SystemColor(outerBottomRight));
  Draw3DRect(dc, rect.left + 1, rect.top + 1, w - 2, h - 2, SystemColor(innerTopLeft),
             SystemColor(innerBottomRight));
}

void DrawButtonFrameSys(HDC dc, const TRect& rect, bool deep) {
  if (deep)
    Draw3DFrameSys(dc, rect, COLOR_BTNFACE, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
  else
    Draw3DFrameSys(dc, rect, COLOR_BTNHIGHLIGHT, COLOR_BTNFACE, COLOR_BTNFACE, COLOR_BTNSHADOW);
}

void DrawButtonFrame(HDC dc, const TRect& rect, TColor outerTopLeft, bool flat, TColor innerBottomRight,
                     TColor innerTopLeft, TColor outerBottomRight) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  Draw3DRect(dc, rect.left, rect.top, w, h, outerTopLeft, outerBottomRight);
  if (!flat) Draw3DRect(dc, rect.left + 1, rect.top + 1, w - 2, h - 2, innerTopLeft, innerBottomRight);
}

namespace {

struct ButtonShades {
  TColor light, dark, face, shadow;
};

TColor WithLightness(TColor hls, int lightness) {
  return HLStoRGB((hls & ~0xFF00) | (TColor(Min(239, lightness)) << 8));
}

ButtonShades ShadesOf(TColor base) {
  if (base == clBtnFace) return {clBtnHighlight, cl3DDkShadow, clBtnFace, clBtnShadow};
  const TColor hls = RGBtoHLS(base);
  const int l = (hls >> 8) & 0xFF;
  if (l == 0) return {clBtnHighlight, cl3DDkShadow, base, clBtnShadow};
  return {WithLightness(hls, l + l / 3), WithLightness(hls, l - l / 2), base, WithLightness(hls, l - l / 3)};
}

}  // namespace

void DrawColoredButtonFrame(HDC dc, const TRect& rect, bool deep, bool flat, TColor baseColor, bool pressed) {
  const ButtonShades s = ShadesOf(baseColor);
  // In the order outer top-left, inner top-left, inner bottom-right, outer bottom-right.
  TColor c[4];
  if (!pressed) {
    if (deep)
      c[0] = s.light, c[1] = s.face, c[2] = s.shadow, c[3] = s.dark;
    else
      c[0] = s.light, c[1] = s.face, c[2] = s.face, c[3] = s.shadow;
  } else {
    if (deep)
      c[0] = s.dark, c[1] = s.shadow, c[2] = s.face, c[3] = s.light;
    else
      c[0] = s.shadow, c[1] = s.face, c[2] = s.face, c[3] = s.light;
  }
  DrawButtonFrame(dc, rect, c[0], flat, c[2], c[1], c[3]);
}

void DrawFrameLines(HDC dc, const TRect& rect, TColor topLeftColor, TColor bottomRightColor,
                    TElBorderSides sides, TRect& innerRect) {
  TElGdiObject<HPEN> topLeft(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(topLeftColor))));
  TElGdiObject<HPEN> bottomRight(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(bottomRightColor))));
  POINT oldPos{0, 0};
  GetCurrentPositionEx(dc, &oldPos);
  {
    TElSelectObject selection(dc, topLeft.Get());
    if (sides.Contains(ebsLeft)) {
      MoveToEx(dc, rect.left, rect.top, nullptr);
      LineTo(dc, rect.left, rect.bottom);
    }
    if (sides.Contains(ebsTop)) {
      MoveToEx(dc, rect.left, rect.top, nullptr);
      LineTo(dc, rect.right, rect.top);
    }
  }
  {
    TElSelectObject selection(dc, bottomRight.Get());
    if (sides.Contains(ebsRight)) {
      MoveToEx(dc, rect.right - 1, rect.top, nullptr);
      LineTo(dc, rect.right - 1, rect.bottom);
    }
    if (sides.Contains(ebsBottom)) {
      MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
      LineTo(dc, rect.right, rect.bottom - 1);
    }
  }
  MoveToEx(dc, oldPos.x, oldPos.y, nullptr);
  innerRect = rect;
  if (sides.Contains(ebsLeft)) ++innerRect.left;
  if (sides.Contains(ebsTop)) ++innerRect.top;
  if (sides.Contains(ebsRight)) --innerRect.right;
  if (sides.Contains(ebsBottom)) --innerRect.bottom;
}

namespace {

void Ring(HDC dc, const TRect& rect, TColor topLeft, TColor bottomRight, TElBorderSides sides) {
  TRect inner;
  DrawFrameLines(dc, rect, topLeft, bottomRight, sides, inner);
}

void Ring(HDC dc, const TRect& rect, TColor color, TElBorderSides sides) { Ring(dc, rect, color, color, sides); }

// The two-pixel frame area of the flat and line types: the outer and the
// inner ring, both first painted in the line colour.
void TwoRings(HDC dc, const TRect& rect, TColor color, TElBorderSides sides, TRect& inner) {
  DrawFrameLines(dc, rect, color, color, sides, inner);
  Ring(dc, inner, color, sides);
}

UINT EdgeStyle(TElFlatBorderType type) {
  switch (type) {
    case fbtSunken: return BDR_SUNKENOUTER | BDR_SUNKENINNER;
    case fbtSunkenInner: return BDR_SUNKENINNER;
    case fbtSunkenOuter: return BDR_SUNKENOUTER;
    case fbtRaised: return BDR_RAISEDOUTER | BDR_RAISEDINNER;
    case fbtRaisedInner: return BDR_RAISEDINNER;
    case fbtRaisedOuter: return BDR_RAISEDOUTER;
    case fbtBump:
    case fbtBigBump:
    case fbtFramed: return BDR_RAISEDOUTER | BDR_SUNKENINNER;
    case fbtEtched: return BDR_SUNKENOUTER | BDR_RAISEDINNER;
    default: return 0;
  }
}

// The ring painted inside a DrawEdge frame: the one-pixel edges leave the
// second pixel of a two-pixel border area to the field (window colour) or
// the face colour, the big bump widens by a face line, the framed type adds
// a shadow line.
TColor InnerCorrection(TElFlatBorderType type) {
  switch (type) {
    case fbtSunkenInner:
    case fbtSunkenOuter: return clWindow;
    case fbtRaisedInner:
    case fbtRaisedOuter:
    case fbtBigBump: return clBtnFace;
    case fbtFramed: return clBtnShadow;
    default: return clNone;
  }
}

}  // namespace

void DrawFlatFrameEx2(HDC dc, const TRect& rect, TColor color, TElFlatBorderType borderType,
                      TElBorderSides sides, bool focused) {
  TRect inner;
  switch (borderType) {
    case fbtFlat:
      TwoRings(dc, rect, color, sides, inner);
      Ring(dc, rect, clBtnShadow, clBtnHighlight, sides);
      if (focused) Ring(dc, inner, clBtnText, cl3DLight, sides);
      return;
    case fbtLine:
      TwoRings(dc, rect, color, sides, inner);
      if (sides.Contains(ebsBottom)) FillSolidRect(dc, TRect{rect.left, rect.bottom - 1, rect.right, rect.bottom}, clWindowFrame);
      return;
    case fbtLineBorder:
      TwoRings(dc, rect, color, sides, inner);
      Ring(dc, rect, clWindowFrame, sides);
      return;
    case fbtNone:
      TwoRings(dc, rect, color, sides, inner);
      return;
    case fbtColorLineBorder:
      return;
    default: {
      UINT flags = BF_ADJUST;
      if (sides.Contains(ebsLeft)) flags |= BF_LEFT;
      if (sides.Contains(ebsTop)) flags |= BF_TOP;
      if (sides.Contains(ebsRight)) flags |= BF_RIGHT;
      if (sides.Contains(ebsBottom)) flags |= BF_BOTTOM;
      inner = rect;
      DrawEdge(dc, &inner, EdgeStyle(borderType), flags);
      const TColor correction = InnerCorrection(borderType);
      if (correction != clNone) Ring(dc, inner, correction, sides);
    }
  }
}

// ---------------------------------------------------------------- hints

TElFString GetWideShortHint(const TElFString& hint) {
  const std::size_t bar = hint.find(L'|');
  return bar == TElFString::npos ? hint : hint.substr(0, bar);
}

std::string PackHint(const std::string& ansi, const TElFString& wide) {
  std::string packed = ansi;
  packed.reserve(ansi.size() + 2 * wide.size() + 5);
  packed += '\0';
  auto putUnit = [&packed](unsigned unit) {
    packed += static_cast<char>(unit & 0xFF);
    packed += static_cast<char>((unit >> 8) & 0xFF);
  };
  for (WideChar c : wide) putUnit(static_cast<unsigned>(c));
  putUnit(0);
  putUnit(0xFFFE);
  return packed;
}

std::string PackWideHint(const TElFString& hint) {
  return hint.empty() ? std::string() : PackHint(WideToAnsi(hint), hint);
}

std::string PackShortHint(const TElFString& hint) { return PackWideHint(GetWideShortHint(hint)); }

void AnswerPackedHint(THintInfo& info, const TElFString& hint, const std::string& packed) {
  info.HintStr = info.HintStr == GetShortHint(packed) ? PackShortHint(hint) : PackWideHint(hint);
}

TForm* GetOwnerForm(TComponent* component) {
  for (TComponent* c = component; c; c = c->Owner())
    if (auto* form = dynamic_cast<TForm*>(c)) return form;
  return nullptr;
}
