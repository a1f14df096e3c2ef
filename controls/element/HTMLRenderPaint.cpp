// Painting the laid-out data through the renderer's work bitmap.
#include <cstdint>
#include <cstdlib>

#include "ElTools.hpp"
#include "ElVCLUtils.hpp"
#include "HTMLRender.hpp"
#include "HTMLRenderLines.hpp"

struct TElHTMLRender::PaintColors {
  TColor dim;
  TColor hotBg;
  TColor hot;
  TColor bg;
  TColor text;
  bool override;
  TElHTMLData* data;
};

namespace {

// Dimmed colours move towards the dim colour's side: half as bright over a
// light one, half-way to white over a dark one.
TColor Dim(TColor color, TColor dimColor) {
  if (dimColor == clNone) return color;
  const TColor rgb = ColorToRGB(color);
  const bool light = ((RGBtoHLS(dimColor) >> 8) & 0xFF) > 128;
  auto channel = [light](int c) { return static_cast<Byte>(light ? c / 2 : c + (255 - c) / 2); };
  return RGBToColor(channel(GetRValue(rgb)), channel(GetGValue(rgb)), channel(GetBValue(rgb)));
}

COLORREF Ref(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

// The colour of text and bullets of an item that is not highlighted.
TColor PlainColor(const TElHTMLItem& item, TColor textColor, bool override) {
  return override && item.ColorCount == 0 ? textColor : item.FontColor;
}

}  // namespace

void TElHTMLRender::DrawText(TCanvas* canvas, TPoint origin, TColor dimColor, const TRect& rect) {
  DrawTextEx(canvas, origin, dimColor, clNone, clNone, clNone, clNone, false, rect);
}

// Only the part of Rect that the canvas can show is painted, through a
// work bitmap of that part's size: a text laid out as large as its items
// allow still paints in a bitmap of the window's visible size.
void TElHTMLRender::DrawTextEx(TCanvas* canvas, TPoint origin, TColor dimColor, TColor hotBgColor,
                               TColor hotColor, TColor bgColor, TColor textColor, bool override,
                               const TRect& rect) {
  TElHTMLData* data = data_;
  if (!data || !canvas) return;
  const int areaWidth = rect.right - rect.left + 1, areaHeight = rect.bottom - rect.top + 1;
  if (areaWidth <= 0 || areaHeight <= 0) return;
  HDC target = canvas->Handle();
  TRect visible{rect.left, rect.top, rect.left + areaWidth, rect.top + areaHeight};
  TRect clip;
  if (GetClipBox(target, &clip) != ERROR && !IntersectRect(&visible, &visible, &clip)) return;
  const int w = visible.right - visible.left, h = visible.bottom - visible.top;
  // The work bitmap starts at the visible part's corner: data coordinates
  // move by as much more.
  origin.x += visible.left - rect.left;
  origin.y += visible.top - rect.top;
  HDC dc = dc_.Get();
  PrepareWorkBitmap(w, h);
  // The text goes over what the canvas already shows.
  BitBlt(dc, 0, 0, w, h, target, visible.left, visible.top, SRCCOPY);
  const UINT oldAlign = SetTextAlign(dc, TA_BASELINE | TA_LEFT);
  data->Rect = rect;
  const PaintColors colors{dimColor, hotBgColor, hotColor, bgColor, textColor, override, data};

  TElHTMLLineWalker lines(*data, areaWidth);
  TElHTMLLine line;
  while (lines.Next(line)) {
    if (line.Top > h + origin.y) break;
    if (line.Top + line.Break->Height < origin.y) continue;
    const int top = static_cast<int>(line.Top - origin.y);
    const int lineHeight = line.Break->Height;
    std::int64_t x = line.X - origin.x;
    if (line.Break->ItemType == hitListItem) PaintBullet(*line.Break, static_cast<int>(x), top, lineHeight, colors);
    for (int i = line.First + 1; i < line.End && x <= w; ++i) {
      TElHTMLItem* item = data->Item(i);
      switch (item->ItemType) {
        case hitText:
          if (x + item->Width >= 0)
            PaintRun(*item, static_cast<int>(x), top + lineHeight - line.Break->LineDescent(), colors);
          x += item->Width;
          break;
        case hitImage:
          if (x + item->Width >= 0) PaintImage(*item, static_cast<int>(x), top);
          x += item->Width;
          break;
        case hitRule:
          PaintRule(*item, static_cast<int>(x), top, lineHeight, line.Break->Width - origin.x, areaWidth - origin.x);
          break;
        default:
          break;
      }
    }
  }
  SetTextAlign(dc, oldAlign);
  BitBlt(target, visible.left, visible.top, w, h, dc, 0, 0, SRCCOPY);
}

void TElHTMLRender::PaintRun(TElHTMLItem& item, int x, int baseline, const PaintColors& colors) {
  HDC dc = dc_.Get();
  TColor bg, fg;
  if (&item == colors.data->HighlightItem) {
    bg = colors.override ? colors.hotBg : colors.data->HighlightBgColor;
    fg = colors.override ? colors.hot : colors.data->HighlightColor;
  } else {
    bg = colors.override && item.ColorCount == 0 ? colors.bg : item.FontBgColor;
    fg = item.IsLink() ? colors.data->LinkColor : PlainColor(item, colors.text, colors.override);
  }
  const TElHTMLFont font = item.MeasureFont();
  SelectFont(font);
  SetTextColor(dc, Ref(Dim(fg, colors.dim)));
  if (bg == clNone) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, Ref(bg));
  }
  if (item.IsSubscript() || item.IsSuperscript()) {
    TEXTMETRICW tm{};
    ElGetTextMetrics(dc, tm);  // of the reduced font just selected
    const int reduced = std::abs(static_cast<int>(tm.tmHeight));
    baseline += item.IsSuperscript() ? -reduced / 2 : reduced / 4;
  }
  TextOutW(dc, x, baseline, item.Text.data(), static_cast<int>(item.Text.size()));
}

void TElHTMLRender::PaintImage(TElHTMLItem& item, int x, int y) {
  TBitmap* image = nullptr;
  TriggerImageNeededEvent(item.Text, image);
  if (!image || image->Empty()) return;
  const TRect source{0, 0, Min(image->Width(), item.Width), Min(image->Height(), item.Height)};
  const TColor transparent = image->Canvas()->Pixels(0, image->Height() - 1);
  DrawTransparentBitmapEx(dc_.Get(), image, x, y, source, transparent);
}

void TElHTMLRender::PaintBullet(TElHTMLBreakItem& item, int x, int top, int lineHeight, const PaintColors& colors) {
  // The break's Width holds its line's width after the layout; the bullet
  // size is the item's own.
  const int d = item.GetWidth();
  const int descent = item.LineDescent();
  const int t = top + descent + (lineHeight - descent - d) / 2;
  const COLORREF color = Ref(Dim(PlainColor(item, colors.text, colors.override), colors.dim));
  HDC dc = dc_.Get();
  TElGdiObject<HBRUSH> brush(CreateSolidBrush(color));
  TElGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, color));
  TElSelectObject brushSel(dc, brush.Get()), penSel(dc, pen.Get());
  Ellipse(dc, x - d - 1, t, x - 1, t + d);
}

void TElHTMLRender::PaintRule(TElHTMLItem& item, int x, int top, int lineHeight, int lineRight, int areaRight) {
  const int right = item.Width != 0 ? x + item.Width : Max(lineRight, areaRight);
  const int y = top + lineHeight / 2;
  FillSolidRect(dc_.Get(), TRect{x, y, right, y + 1}, clBtnShadow);
  FillSolidRect(dc_.Get(), TRect{x, y + 1, right, y + 2}, clBtnFace);
}
