#include "ElScrollBarGeometry.hpp"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// Ranges may span the whole integer range; the arithmetic runs in 64 bits
// and comes back clamped.
int ClampInt(Int64 v) { return static_cast<int>(std::clamp<Int64>(v, INT_MIN, INT_MAX)); }

}  // namespace

TElScrollMetrics TElScrollMetrics::System() {
  TElScrollMetrics m;
  m.HorzArrow = GetSystemMetrics(SM_CXHSCROLL);
  m.VertArrow = GetSystemMetrics(SM_CYVSCROLL);
  m.HorzThumb = GetSystemMetrics(SM_CXHTHUMB);
  m.VertThumb = GetSystemMetrics(SM_CYVTHUMB);
  return m;
}

int TElScrollBarGeometry::Span() const { return ClampInt(Int64(Max) - Min + 1); }

int TElScrollBarGeometry::FirstButtons() const {
  if (!ShowLeftArrows) return 0;
  return SecondaryButtons ? 2 : 1;
}

int TElScrollBarGeometry::LastButtons() const {
  if (!ShowRightArrows) return 0;
  return SecondaryButtons ? 2 : 1;
}

int TElScrollBarGeometry::ButtonLength() const {
  int b = UseSystemMetrics ? (Kind == sbVertical ? Metrics.VertArrow : Metrics.HorzArrow) : ButtonSize;
  const int n = FirstButtons() + LastButtons();
  const int length = std::max(0, Length());
  if (n > 0 && Int64(length) < Int64(b) * n) b = length / n;
  return b;
}

int TElScrollBarGeometry::FixedThumbLength() const { return UseSystemMetrics ? SystemThumbLength() : ThumbSize; }

int TElScrollBarGeometry::ThumbLength() const {
  if (ThumbMode == etmFixed) return FixedThumbLength();
  const int available = std::max(0, Length() - ButtonLength() * (FirstButtons() + LastButtons()));
  const Int64 range = Int64(Max) - Min;
  int t;
  if (Page > 0 && range >= 1 && range >= Page)
    t = MulDiv(std::min(Page, Span()), available, Span());
  else if (Page == 0 && range >= 1)
    t = SystemThumbLength();
  else
    t = available;
  t = std::max(t, MinThumbSize);
  return t > available ? 0 : t;
}

int TElScrollBarGeometry::ComputeThumbOffset() const {
  const int b = ButtonLength(), f = FirstButtons(), r = LastButtons(), t = ThumbLength();
  const int track = Length() - b * (f + r) - t;
  if (track <= 0 || Max < Min) return f * b;
  const Int64 p = std::min<Int64>(Int64(Max) - Page + 1, Position);
  const int e = std::min(Page, Span());
  const int moved = MulDiv(track, ClampInt(p - Min), ClampInt(Int64(Max) - Min - e + 1));
  return std::max(0, moved) + f * b;
}

int TElScrollBarGeometry::PositionFromOffset(int offset) const {
  const int b = ButtonLength(), f = FirstButtons(), r = LastButtons();
  const int track = Length() - b * (f + r) - ThumbLength();
  // A thumb that fills the track stands for the start of the range.
  if (track <= 0) return Min;
  const int e = std::min(Page, Span());
  return ClampInt(Int64(Min) + MulDiv(offset - b * f, ClampInt(Int64(Max) - Min - e + 1), track));
}

int TElScrollBarGeometry::DraggedThumbOffset(int along, int dragOrigin, int grabOffset) const {
  const int length = Length();
  const bool farBefore = along < 0 && -along > length / 2;
  const bool farAfter = along > length && along - length > length / 2;
  if (farBefore || farAfter) return dragOrigin - grabOffset;
  const int b = ButtonLength();
  const int lowest = b * FirstButtons();
  const int highest = length - b * LastButtons() - ThumbLength();
  return std::max(lowest, std::min(highest, along - grabOffset));
}

TRect TElScrollBarGeometry::PartRect(TElScrollBarPart part) const {
  const int length = Length(), b = ButtonLength();
  const bool secondary = SecondaryButtons;
  int from = 0, to = 0;
  switch (part) {
    case spFirstArrow:
      if (ShowLeftArrows) from = 0, to = b;
      break;
    case spSecondFirst:
      if (ShowLeftArrows && secondary) from = b, to = 2 * b;
      break;
    case spLastArrow:
      if (ShowRightArrows) from = length - b, to = length;
      break;
    case spSecondLast:
      if (ShowRightArrows && secondary) from = length - 2 * b, to = length - b;
      break;
    case spTrackBefore:
      from = TrackStart(), to = ThumbOffset;
      break;
    case spThumb:
      // A fixed thumb longer than the track stays between the buttons.
      from = std::max(ThumbOffset, TrackStart()), to = std::min(ThumbOffset + ThumbLength(), TrackEnd());
      break;
    case spTrackAfter:
      from = ThumbOffset + ThumbLength(), to = TrackEnd();
      break;
    case spNone:
      from = TrackStart(), to = TrackEnd();
      break;
  }
  if (to <= from) return TRect{0, 0, 0, 0};
  const int across = Thickness();
  return Kind == sbVertical ? TRect{0, from, across, to} : TRect{from, 0, to, across};
}

TElScrollBarPart TElScrollBarGeometry::HitTest(int x, int y) const {
  const int a = Along(x, y);
  const int across = Kind == sbVertical ? x : y;
  if (across < 0 || across > Thickness()) return spNone;
  const int length = Length(), b = ButtonLength();
  if (a >= 0 && a <= b && ShowLeftArrows) return spFirstArrow;
  if (length - a < b && ShowRightArrows) return spLastArrow;
  if (SecondaryButtons) {
    if (a >= b && a <= 2 * b && ShowLeftArrows) return spSecondFirst;
    if (a >= length - 2 * b && a <= length - b && ShowRightArrows) return spSecondLast;
  }
  if (a < ThumbOffset) return spTrackBefore;
  if (a < ThumbOffset + ThumbLength()) return spThumb;
  return spTrackAfter;
}

bool TElScrollBarGeometry::CanDecrease() const { return Position > Min && Int64(Max) - Min >= Page; }

bool TElScrollBarGeometry::CanIncrease() const {
  const bool below = AltDisablingArrows ? Int64(Position) < Int64(Max) - Page + 1 : Position < Max;
  return below && Int64(Max) - Min >= Page;
}

bool TElScrollBarGeometry::ThumbDraggable() const { return Int64(Page) < Int64(Max) - Min + 1 && Max != Min; }

int TElScrollBarGeometry::Back(int by) const { return ClampInt(std::max<Int64>(Min, Int64(Position) - by)); }

int TElScrollBarGeometry::Forward(int by) const { return ClampInt(std::min<Int64>(Max, Int64(Position) + by)); }

std::optional<TElScrollStep> TElScrollBarGeometry::ButtonStep(TElScrollBarPart part, int page) const {
  const TElScrollStep lineBack{scLineBack, Back(Step)}, lineForward{scLineForward, Forward(Step)};
  const TElScrollStep pageBack{scPageBack, Back(page)}, pageForward{scPageForward, Forward(page)};
  switch (part) {
    case spFirstArrow: return lineBack;
    case spLastArrow: return lineForward;
    case spSecondLast:
      if (SecondBtnKind == sbkOpposite) return lineBack;
      if (SecondBtnKind == sbkPage) return pageForward;
      return TElScrollStep{scSecondLast, Position};
    case spSecondFirst:
      if (SecondBtnKind == sbkOpposite) return lineForward;
      if (SecondBtnKind == sbkPage) return pageBack;
      return TElScrollStep{scSecondFirst, Position};
    case spTrackBefore: return pageBack;
    case spTrackAfter: return pageForward;
    default: return std::nullopt;
  }
}

TElPressStep TElScrollBarGeometry::PressStep(TElScrollBarPart part) const {
  TElPressStep press;
  if (part == spThumb) {
    press.Tracks = ThumbDraggable();
    return press;
  }
  std::optional<TElScrollStep> step = ButtonStep(part, Page);
  if (!step) return press;
  static_cast<TElScrollStep&>(press) = *step;
  switch (step->Code) {
    case scLineBack:
    case scPageBack: press.Tracks = CanDecrease(); break;
    case scLineForward:
    case scPageForward: press.Tracks = CanIncrease(); break;
    default: press.Tracks = true; break;  // custom buttons always repeat
  }
  return press;
}

std::optional<TElScrollStep> TElScrollBarGeometry::RepeatStep(TElScrollBarPart pressed,
                                                               TElScrollBarPart under) const {
  std::optional<TElScrollStep> step = ButtonStep(pressed, Page > 0 ? Page : 1);
  // The track pages only while the pointer stays on it: once the thumb
  // has reached the pointer the repeat keeps running without moving.
  if (step && (pressed == spTrackBefore || pressed == spTrackAfter) && under != pressed)
    step->Proposal = Position;
  return step;
}

std::optional<TElScrollStep> TElScrollBarGeometry::KeyStep(Word key) const {
  switch (key) {
    case VK_PRIOR: return TElScrollStep{scPageBack, Back(Page)};
    case VK_NEXT: return TElScrollStep{scPageForward, Forward(Page)};
    case VK_END: return TElScrollStep{scBottom, Max};
    case VK_HOME: return TElScrollStep{scTop, Min};
    case VK_LEFT:
    case VK_UP: return TElScrollStep{scLineBack, Back(1)};
    case VK_RIGHT:
    case VK_DOWN: return TElScrollStep{scLineForward, Forward(1)};
    default: return std::nullopt;
  }
}

TElWheelTurn TElScrollBarGeometry::WheelTurn(int wheelDelta, UINT linesSetting) const {
  TElWheelTurn turn;
  int steps, size;
  if (linesSetting == WHEEL_PAGESCROLL) {
    steps = wheelDelta / WHEEL_DELTA;
    size = Page > 0 ? Page : 1;
    turn.Code = steps > 0 ? scPageBack : scPageForward;
  } else {
    const int lines = static_cast<int>(std::clamp<UINT>(linesSetting, 1, WHEEL_DELTA));
    steps = wheelDelta / (WHEEL_DELTA / lines);
    size = 1;
    turn.Code = steps > 0 ? scLineBack : scLineForward;
  }
  turn.Count = std::abs(steps);
  turn.Delta = steps > 0 ? -size : size;
  return turn;
}

int TElScrollBarGeometry::WheelProposal(const TElWheelTurn& turn) const {
  return ClampInt(std::clamp<Int64>(Int64(Position) + turn.Delta, Min, std::max(Min, Max)));
}

TElPositionChange TElScrollBarGeometry::SetPosition(int value) {
  const int old = Position;
  const bool couldDecrease = CanDecrease(), couldIncrease = CanIncrease();
  Position = std::max(Min, std::min(Max, value));
  return TElPositionChange{Position != old, CanDecrease() != couldDecrease || CanIncrease() != couldIncrease};
}

void TElScrollBarGeometry::SetMaxRepaired(int value) {
  Max = std::max(value, Min);
  Page = std::min(Page, Span());
}

void TElScrollBarGeometry::SetMinRepaired(int value) {
  Min = value;
  if (Min >= Max) Max = Min;
  Page = std::min(Page, Span());
}

void TElScrollBarGeometry::RepairLoaded() {
  if (Min >= Max) Max = Min;
  Page = std::min(Page, Span());
  Position = std::max(Min, std::min(Max, Position));
}

void TElScrollBarGeometry::ApplyScrollInfo(const SCROLLINFO& info) {
  // nPage is unsigned; a value beyond the integer range is no page.
  const bool page = (info.fMask & SIF_PAGE) && info.nPage <= UINT(INT_MAX);
  auto takePage = [&] {
    if (page) Page = static_cast<int>(info.nPage);
  };
  if (info.fMask & SIF_RANGE) {
    if (info.nMax < info.nMin) return;
    if (info.fMask & SIF_POS) {
      Position = info.nPos >= info.nMin && info.nPos <= info.nMax ? info.nPos : info.nMax;
    } else if (Position < info.nMin || Position > info.nMax) {
      return;
    }
    Min = info.nMin;
    Max = info.nMax;
    takePage();
  } else if (info.fMask & SIF_POS) {
    if (info.nPos < Min || info.nPos > Max) return;
    Position = info.nPos;
    takePage();
  } else {
    takePage();
  }
}

void TElScrollBarGeometry::FillScrollInfo(SCROLLINFO& info) const {
  if (info.fMask & SIF_PAGE) info.nPage = static_cast<UINT>(Page);
  if (info.fMask & SIF_POS) info.nPos = Position;
  if (info.fMask & SIF_TRACKPOS) info.nTrackPos = TrackPosition();
  if (info.fMask & SIF_RANGE) {
    info.nMin = Min;
    info.nMax = Max;
  }
}

TRect PlaceTrackHint(TScrollBarKind kind, int thumbOffset, POINT clientOrigin, SIZE hintSize, const TRect& desktop) {
  const POINT anchor = kind == sbVertical ? POINT{clientOrigin.x - 2, clientOrigin.y + thumbOffset - 2}
                                          : POINT{clientOrigin.x + thumbOffset - 2, clientOrigin.y - 5};
  TRect r{anchor.x - 1 - hintSize.cx, anchor.y - 1 - hintSize.cy, anchor.x - 1, anchor.y - 1};
  if (r.left < desktop.left) OffsetRect(&r, desktop.left - r.left, 0);
  if (r.top < desktop.top) OffsetRect(&r, 0, desktop.top - r.top);
  if (r.right > desktop.right) OffsetRect(&r, desktop.right - r.right, 0);
  if (r.bottom > desktop.bottom) OffsetRect(&r, 0, desktop.bottom - r.bottom);
  return r;
}
