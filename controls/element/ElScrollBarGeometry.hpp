// The flat scroll bar's geometry and stepping rules as a plain value with no
// window: the lengths of its buttons and thumb, where the thumb lies for a
// position and which position a thumb place stands for, the rectangle of
// every part and which part lies under a point, whether the bar can move,
// what a press, a repeat, a key or a wheel turn proposes, and how range,
// position and scroll-info changes are repaired. The control keeps one, and
// painting, hit testing and the tests all ask the same value.
#pragma once

#include <optional>

#include "Graphics.hpp"
#include "StdCtrls.hpp"
#include "WinApi.hpp"

enum TElSecButtonsKind { sbkOpposite, sbkPage, sbkCustom };
enum TElScrollThumbMode { etmFixed, etmAuto };

// The parts as hit testing, the mouse handling and owner drawing number
// them. The first end is the left end of a horizontal bar and the top of a
// vertical one.
enum TElScrollBarPart : Byte {
  spNone,         // nothing; to owner drawing: the whole track when no thumb is shown
  spFirstArrow,   // arrow button at the first end
  spSecondLast,   // secondary button next to the last arrow
  spLastArrow,    // arrow button at the last end
  spSecondFirst,  // secondary button next to the first arrow
  spThumb,
  spTrackBefore,  // between the first buttons and the thumb
  spTrackAfter    // between the thumb and the last buttons
};

// The codes OnScroll receives.
enum TElScrollCode : Byte {
  scLineBack,     // one step towards Min
  scLineForward,  // one step towards Max
  scPageBack,
  scPageForward,
  scPosition,     // end of a thumb drag; every change of Position
  scTrack,        // each move of a dragged thumb
  scTop,
  scBottom,
  scEndScroll,    // release of a pressed button or track, end of a wheel turn
  scSecondLast,   // custom secondary button next to the last arrow
  scSecondFirst   // custom secondary button next to the first arrow
};
static_assert(sizeof(TElScrollBarPart) == 1 && sizeof(TElScrollCode) == 1);

// The system sizes the geometry depends on.
struct TElScrollMetrics {
  int HorzArrow = 16;  // SM_CXHSCROLL
  int VertArrow = 16;  // SM_CYVSCROLL
  int HorzThumb = 16;  // SM_CXHTHUMB
  int VertThumb = 16;  // SM_CYVTHUMB
  static TElScrollMetrics System();
};

// What one step offers OnScroll: its code and the proposed position.
struct TElScrollStep {
  TElScrollCode Code = scEndScroll;
  int Proposal = 0;
};

// A press also says whether it starts anything (a repeat or a drag).
struct TElPressStep : TElScrollStep {
  bool Tracks = false;
};

// A wheel turn: Count steps of Delta each (negative: towards Min).
struct TElWheelTurn {
  TElScrollCode Code = scLineBack;
  int Count = 0;
  int Delta = 0;
};

// What a change of Position did.
struct TElPositionChange {
  bool Changed = false;
  // Whether a button became usable or unusable, so that more than the
  // track must be repainted.
  bool ButtonsChanged = false;
};

// Where the hint that follows a dragged thumb goes: its bottom-right corner
// one pixel above and left of an anchor beside the thumb (left of a vertical
// bar, above a horizontal one), then moved back onto the desktop by what
// reaches past each edge. ClientOrigin is the bar's client origin on the
// screen.
TRect PlaceTrackHint(TScrollBarKind kind, int thumbOffset, POINT clientOrigin, SIZE hintSize, const TRect& desktop);

struct TElScrollBarGeometry {
  TScrollBarKind Kind = sbHorizontal;
  int Min = 0;
  int Max = 100;
  int Position = 0;
  int Page = 14;
  int Step = 1;
  bool ShowLeftArrows = true;
  bool ShowRightArrows = true;
  bool SecondaryButtons = false;
  TElSecButtonsKind SecondBtnKind = sbkOpposite;
  bool UseSystemMetrics = true;
  // The button length without system metrics.
  int ButtonSize = 16;
  TElScrollThumbMode ThumbMode = etmAuto;
  // The thumb length in etmFixed without system metrics.
  int ThumbSize = 0;
  int MinThumbSize = 4;
  bool AltDisablingArrows = false;
  TElScrollMetrics Metrics;
  int ClientWidth = 0;
  int ClientHeight = 0;
  // Pixels from the first end to the thumb. It follows Position through
  // UpdateThumbOffset, and the pointer while the thumb is dragged.
  int ThumbOffset = 0;

  // ---- lengths
  // Along the bar (L) and across it.
  int Length() const { return Kind == sbVertical ? ClientHeight : ClientWidth; }
  int Thickness() const { return Kind == sbVertical ? ClientWidth : ClientHeight; }
  // The number of buttons at each end.
  int FirstButtons() const;
  int LastButtons() const;
  // Shrunk to share the length when the bar is too short for its buttons.
  int ButtonLength() const;
  int SystemThumbLength() const { return Kind == sbVertical ? Metrics.VertThumb : Metrics.HorzThumb; }
  // The thumb length of etmFixed.
  int FixedThumbLength() const;
  // 0 when there is no room for a thumb.
  int ThumbLength() const;
  int TrackStart() const { return FirstButtons() * ButtonLength(); }
  int TrackEnd() const { return Length() - LastButtons() * ButtonLength(); }

  // ---- thumb place and position
  int ComputeThumbOffset() const;
  void UpdateThumbOffset() { ThumbOffset = ComputeThumbOffset(); }
  // The position a thumb at Offset stands for; Min when the thumb fills the
  // track.
  int PositionFromOffset(int offset) const;
  int TrackPosition() const { return PositionFromOffset(ThumbOffset); }
  // The thumb offset while dragging with the pointer at Along (coordinate
  // along the bar): back at the press place when the pointer is more than
  // half the bar's length beyond either end, else following the pointer
  // inside the track.
  int DraggedThumbOffset(int along, int dragOrigin, int grabOffset) const;

  // ---- parts
  int Along(int x, int y) const { return Kind == sbVertical ? y : x; }
  // In client coordinates; spNone gives the whole track. Empty for a part
  // the bar does not show.
  TRect PartRect(TElScrollBarPart part) const;
  TElScrollBarPart HitTest(int x, int y) const;

  // ---- what can move
  bool CanDecrease() const;
  bool CanIncrease() const;
  // A thumb drag starts only when the page does not cover the range.
  bool ThumbDraggable() const;
  // The first step of a press on the part.
  TElPressStep PressStep(TElScrollBarPart part) const;
  // A repeat of the press on Pressed with the pointer over Under. Nothing
  // for the thumb and for no part.
  std::optional<TElScrollStep> RepeatStep(TElScrollBarPart pressed, TElScrollBarPart under) const;
  // The eight navigation keys; nothing for other keys.
  std::optional<TElScrollStep> KeyStep(Word key) const;
  // LinesSetting: lines per notch as the system reports it, WHEEL_PAGESCROLL
  // for one page per notch. A forward turn (positive delta) moves towards
  // Min.
  TElWheelTurn WheelTurn(int wheelDelta, UINT linesSetting) const;
  int WheelProposal(const TElWheelTurn& turn) const;

  // ---- repairs
  // Clamps into [Min, Max]; says what changed.
  TElPositionChange SetPosition(int value);
  // Max := Max(value, Min); the page no longer than the range. The caller
  // then brings Position back into the range through its own setter.
  void SetMaxRepaired(int value);
  void SetMinRepaired(int value);
  // After loading: Max not below Min, the page not beyond the range,
  // Position inside it.
  void RepairLoaded();

  // ---- scroll info; the caller has checked cbSize.
  void ApplyScrollInfo(const SCROLLINFO& info);
  void FillScrollInfo(SCROLLINFO& info) const;

 private:
  // Max - Min + 1 without overflow, at most INT_MAX.
  int Span() const;
  int Back(int by) const;
  int Forward(int by) const;
  std::optional<TElScrollStep> ButtonStep(TElScrollBarPart part, int page) const;
};
