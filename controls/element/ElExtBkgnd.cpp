#include "ElExtBkgnd.hpp"

#include "ElGdiScope.hpp"
#include "ElTools.hpp"

namespace {

// The 2 x 2 monochrome checkerboard of the blending: zero bits on one
// diagonal, set bits on the other.
HBITMAP g_checker = nullptr;

// How a piece of the bitmap reaches the target.
struct TPieceCopy {
  bool Invert = false;
  bool Blend = false;
  TColor BlendColor = clNone;
};

bool IsBitmapType(TElBkGndType type) {
  return type == bgtTileBitmap || type == bgtStretchBitmap || type == bgtCenterBitmap ||
         type == bgtTopLeftBitmap;
}

bool Inside(const TRect& inner, const TRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

TRect Moved(TRect r, TPoint by) {
  OffsetRect(&r, by.x, by.y);
  return r;
}

// Every second pixel of the context's bitmap becomes the colour, those whose
// coordinates, moved by (dx, dy), add up to an even number.
void PaintChecker(HDC dc, int width, int height, int dx, int dy, TColor color) {
  TElGdiObject<HBRUSH> pattern(CreatePatternBrush(g_checker));
  SetBrushOrgEx(dc, (dx + dy) & 1, 0, nullptr);
  TElSelectObject brush(dc, pattern.Get());
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
  constexpr DWORD kDestAndPattern = 0x00A000C9;
  constexpr DWORD kDestOrPattern = 0x00FA0089;
  PatBlt(dc, 0, 0, width, height, kDestAndPattern);
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(color)));
  SetBkColor(dc, RGB(0, 0, 0));
  PatBlt(dc, 0, 0, width, height, kDestOrPattern);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
}

void CopyPiece(HDC dc, const TRect& dest, HDC source, int sx, int sy, const TPieceCopy& how) {
  const int w = dest.right - dest.left, h = dest.bottom - dest.top;
  if (w <= 0 || h <= 0) return;
  const DWORD rop = how.Invert ? SRCINVERT : SRCCOPY;
  if (!how.Blend || !g_checker) {
    BitBlt(dc, dest.left, dest.top, w, h, source, sx, sy, rop);
    return;
  }
  TElMemoryDC work(dc);
  TElGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, w, h));
  TElSelectObject select(work.Get(), bitmap.Get());
  BitBlt(work.Get(), 0, 0, w, h, source, sx, sy, SRCCOPY);
  PaintChecker(work.Get(), w, h, dest.left, dest.top, how.BlendColor);
  BitBlt(dc, dest.left, dest.top, w, h, work.Get(), 0, 0, rop);
}

// Tiles of the source's size laid from Full's corner; the part under the
// shown area is copied.
void PaintTiles(HDC dc, HDC source, int bw, int bh, const TRect& shown, const TRect& full, TPoint origin,
                const TPieceCopy& how) {
  TRect area;
  if (!IntersectRect(&area, &shown, &full)) return;
  const int x0 = full.left + (area.left - full.left) / bw * bw;
  const int y0 = full.top + (area.top - full.top) / bh * bh;
  for (int ty = y0; ty < area.bottom; ty += bh) {
    for (int tx = x0; tx < area.right; tx += bw) {
      TRect tile{tx, ty, tx + bw, ty + bh}, piece;
      if (!IntersectRect(&piece, &tile, &area)) continue;
      CopyPiece(dc, Moved(piece, TPoint{-origin.x, -origin.y}), source, piece.left - tx, piece.top - ty, how);
    }
  }
}

// The bitmap stretched over Full; the part under the shown area is copied.
void PaintStretched(HDC dc, TBitmap* bitmap, const TRect& shown, const TRect& full, TPoint origin,
                    const TPieceCopy& how) {
  TRect area;
  if (!IntersectRect(&area, &shown, &full)) return;
  const int fw = full.right - full.left, fh = full.bottom - full.top;
  TElMemoryDC work(dc);
  TElGdiObject<HBITMAP> stretched(CreateCompatibleBitmap(dc, fw, fh));
  TElSelectObject select(work.Get(), stretched.Get());
  SetStretchBltMode(work.Get(), COLORONCOLOR);
  StretchBlt(work.Get(), 0, 0, fw, fh, bitmap->Canvas()->Handle(), 0, 0, bitmap->Width(), bitmap->Height(),
             SRCCOPY);
  CopyPiece(dc, Moved(area, TPoint{-origin.x, -origin.y}), work.Get(), area.left - full.left,
            area.top - full.top, how);
}

// The bitmap once, centred in Full or at its corner.
void PaintPlaced(HDC dc, TBitmap* bitmap, bool centred, const TRect& shown, const TRect& full, TPoint origin,
                 const TPieceCopy& how) {
  const int bw = bitmap->Width(), bh = bitmap->Height();
  TRect placed{full.left, full.top, full.left + bw, full.top + bh};
  if (centred) {
    TRect c;
    CenterRects(bw, full.right - full.left, bh, full.bottom - full.top, c);
    placed = TRect{full.left + c.left, full.top + c.top, full.left + c.right + 1, full.top + c.bottom + 1};
  }
  TRect piece;
  if (!IntersectRect(&piece, &placed, &shown)) return;
  CopyPiece(dc, Moved(piece, TPoint{-origin.x, -origin.y}), bitmap->Canvas()->Handle(), piece.left - placed.left,
            piece.top - placed.top, how);
}

void Paint(HDC dc, const TRect& r, TElBkGndType type, TBitmap* bitmap, TColor color, TPoint origin,
           const TRect& full, const TPieceCopy& how) {
  if (IsRectEmpty(&r)) return;
  if (!IsBitmapType(type) || !bitmap || bitmap->Empty() || bitmap->Width() <= 0 || bitmap->Height() <= 0 ||
      IsRectEmpty(&full)) {
    FillSolidRect(dc, r, color);
    return;
  }
  const TRect shown = Moved(r, origin);
  if (type == bgtCenterBitmap || type == bgtTopLeftBitmap || !Inside(shown, full)) FillSolidRect(dc, r, color);
  switch (type) {
    case bgtTileBitmap:
      PaintTiles(dc, bitmap->Canvas()->Handle(), bitmap->Width(), bitmap->Height(), shown, full, origin, how);
      break;
    case bgtStretchBitmap: PaintStretched(dc, bitmap, shown, full, origin, how); break;
    case bgtCenterBitmap: PaintPlaced(dc, bitmap, true, shown, full, origin, how); break;
    default: PaintPlaced(dc, bitmap, false, shown, full, origin, how); break;
  }
}

void InitElExtBkgnd() {
  static const WORD kRows[2] = {0x40, 0x80};  // 01, then 10 (rows padded to 16 bits)
  g_checker = CreateBitmap(2, 2, 1, 1, kRows);
}

void DoneElExtBkgnd() {
  if (g_checker) DeleteObject(g_checker);
  g_checker = nullptr;
}

}  // namespace

void DrawBackground(HDC dc, const TRect& r, TElBkGndType type, TBitmap* bitmap, TColor color, TPoint origin,
                    const TRect& full) {
  Paint(dc, r, type, bitmap, color, origin, full, TPieceCopy{});
}

void DrawExtendedBackground(HDC dc, const TRect& r, TElBkGndType type, TBitmap* bitmap, bool blend,
                            TColor blendColor, TColor color, bool invert, TPoint origin, const TRect& full) {
  Paint(dc, r, type, bitmap, color, origin, full, TPieceCopy{invert, blend, blendColor});
}

const TUnitInfo ElExtBkgndUnit = {"ElExtBkgnd", &InitElExtBkgnd, &DoneElExtBkgnd};
