// Flat non-client scroll bars: the frames of a window's standard scroll bars
// repainted over the system's own drawing.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ElTools.hpp"
#include "ElVCLUtils.hpp"

namespace {

// One bar: its rectangle, its orientation and which scroll information
// describes it.
struct FlatBar {
  TRect rect;
  bool vertical;
  int bar;  // SB_HORZ, SB_VERT or SB_CTL
};

// MulDiv over 64 bits: the product of the two, divided by the third and
// rounded half away from zero.
std::int64_t MulDiv64(std::int64_t number, std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t product = number * numerator;
  const std::int64_t half = denominator / 2;
  return ((product < 0) != (denominator < 0) ? product - half : product + half) / denominator;
}

bool IsScrollBarControl(HWND window) {
  char name[16] = {};
  return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpiA(name, "ScrollBar") == 0;
}

// The rectangle of the part [from, from + length) along the bar.
TRect Part(const FlatBar& bar, int from, int length) {
  TRect r = bar.rect;
  if (bar.vertical) {
    r.top = bar.rect.top + from;
    r.bottom = r.top + length;
  } else {
    r.left = bar.rect.left + from;
    r.right = r.left + length;
  }
  return r;
}

void DrawBar(HWND window, HDC dc, const FlatBar& bar, bool deep, bool tracking, bool control, int buttonSize) {
  const int length = bar.vertical ? bar.rect.bottom - bar.rect.top : bar.rect.right - bar.rect.left;
  if (length <= 0) return;
  int button = buttonSize;
  // A bar shorter than two buttons splits into two half-length buttons; the
  // horizontal bar rounds the half, the vertical one truncates it.
  if (length < 2 * buttonSize) button = bar.vertical ? length / 2 : (length + 1) / 2;
  DrawButtonFrameSys(dc, Part(bar, 0, button), deep);
  DrawButtonFrameSys(dc, Part(bar, length - button, button), deep);

  SCROLLINFO si;
  std::memset(&si, 0, sizeof si);
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(window, bar.bar, &si)) return;
  if (control && !IsWindowEnabled(window)) return;
  if (si.nPage == 0 || si.nMax <= si.nMin) return;
  // A range may span all 32 bits: it is worked in 64, as the bar's own
  // geometry does.
  const std::int64_t range = std::int64_t(si.nMax) - si.nMin + 1;
  const std::int64_t page = si.nPage;

  const int track = length - 2 * button;
  if (track <= 0) return;
  const int minThumb = IsWin98Up ? GetSystemMetrics(SM_CXHSCROLL) / 2 : 8;
  int thumb = static_cast<int>(std::max<std::int64_t>(MulDiv64(page, track, range), minThumb));
  if (thumb >= track) {
    if (!control) return;
    thumb = track;
  }
  int offset = 0;
  if (page >= range) {
    thumb = Max(thumb - 1, 1);
  } else {
    const std::int64_t position = tracking ? si.nTrackPos : si.nPos;
    const std::int64_t moved = MulDiv64(position - si.nMin, track - thumb, range - page);
    offset = static_cast<int>(std::clamp<std::int64_t>(moved, 0, track - thumb));
  }
  DrawButtonFrameSys(dc, Part(bar, button + offset, thumb), deep);
}

}  // namespace

void DrawFlatScrollbars(HWND window, HDC dc, const TRect& windowRect, DWORD exStyle, DWORD style, bool deep,
                        bool tracking, TScrollStyle which) {
  int border = 0;
  if (style & WS_BORDER)
    border = GetSystemMetrics(SM_CXBORDER);
  else if (exStyle & WS_EX_CLIENTEDGE)
    border = GetSystemMetrics(SM_CXEDGE);
  TRect inner = windowRect;
  InflateRect(&inner, -border, -border);
  const int buttonSize = GetSystemMetrics(SM_CXHSCROLL);
  const int barHeight = GetSystemMetrics(SM_CYVSCROLL);

  if (IsScrollBarControl(window)) {
    if (which == ssNone) return;
    const bool vertical = (style & SBS_VERT) != 0;
    DrawBar(window, dc, FlatBar{inner, vertical, SB_CTL}, deep, tracking, true,
            vertical ? GetSystemMetrics(SM_CYVSCROLL) : buttonSize);
    return;
  }

  const bool horz = (style & WS_HSCROLL) != 0, vert = (style & WS_VSCROLL) != 0;
  const bool roomForBoth =
      inner.right - inner.left > buttonSize && inner.bottom - inner.top > barHeight;
  if (horz && vert && roomForBoth) {
    TRect corner{inner.right - buttonSize, inner.bottom - barHeight, inner.right, inner.bottom};
    FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
  }
  if (horz && (which == ssHorizontal || which == ssBoth)) {
    TRect r{inner.left, inner.bottom - barHeight, inner.right - (vert ? buttonSize : 0), inner.bottom};
    DrawBar(window, dc, FlatBar{r, false, SB_HORZ}, deep, tracking, false, buttonSize);
  }
  if (vert && (which == ssVertical || which == ssBoth)) {
    TRect r{inner.right - buttonSize, inner.top, inner.right, inner.bottom - (horz ? barHeight : 0)};
    DrawBar(window, dc, FlatBar{r, true, SB_VERT}, deep, tracking, false, buttonSize);
  }
}
