// The flat scroll bar as a control: defaults and setter rules, presses with
// auto-repeat on the timer, thumb drags driven by synthetic mouse messages,
// keys, the wheel, vetoes, the scroll-info messages, the parent's scroll
// messages, hover and focus repaints, and the styles object.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ElScrollBar.hpp"
#include "ElWindowTestSupport.hpp"
#include "Streaming.hpp"

// While a quarantine is open, freed memory is filled with a pattern and kept:
// a write into an object after it was freed shows as a changed byte.
namespace quarantine {
struct TGrave {
  void* Block;
  size_t Size;
};
bool Open = false;
TGrave Graves[8192];
size_t Count = 0;

void Begin() {
  Count = 0;
  Open = true;
}

// The freed blocks written into since they were freed; all are released.
int End() {
  Open = false;
  int touched = 0;
  for (size_t i = 0; i < Count; ++i) {
    const auto* bytes = static_cast<const unsigned char*>(Graves[i].Block);
    for (size_t n = 0; n < Graves[i].Size; ++n)
      if (bytes[n] != 0xDD) {
        ++touched;
        break;
      }
    free(Graves[i].Block);
  }
  Count = 0;
  return touched;
}
}  // namespace quarantine

void operator delete(void* p) noexcept {
  if (!p) return;
  if (quarantine::Open && quarantine::Count < std::size(quarantine::Graves)) {
    const size_t size = _msize(p);
    std::memset(p, 0xDD, size);
    quarantine::Graves[quarantine::Count++] = {p, size};
    return;
  }
  free(p);
}
void operator delete(void* p, std::size_t) noexcept { ::operator delete(p); }

namespace {

// A parent that keeps the scroll messages it receives.
class ScrollHost : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  struct Received {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
  };
  std::vector<Received> Messages;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_HSCROLL || m.Msg == WM_VSCROLL) Messages.push_back({m.Msg, m.WParam, m.LParam});
    TCustomControl::Dispatch(m);
  }
};

// Opens the protected operations a test drives directly.
class ProbeBar : public TElScrollBar {
 public:
  using TElScrollBar::TElScrollBar;
  using TCustomElScrollBar::KeyDown;
  using TCustomElScrollBar::Loaded;
};

// What OnScroll and OnChange heard; Decide may answer a call.
struct ScrollLog {
  struct Call {
    TElScrollCode Code;
    int Pos;
  };
  std::vector<Call> Calls;
  int Changes = 0;
  std::function<void(TElScrollCode, int&, bool&)> Decide;

  void Scroll(TObject*, TElScrollCode code, int& pos, bool& doChange) {
    Calls.push_back({code, pos});
    if (Decide) Decide(code, pos, doChange);
  }
  void Change(TObject*) { ++Changes; }
  int Count(TElScrollCode code) const {
    int n = 0;
    for (const Call& c : Calls) n += c.Code == code;
    return n;
  }
  void Clear() {
    Calls.clear();
    Changes = 0;
  }
};

bool SameCalls(const std::vector<ScrollLog::Call>& a, std::initializer_list<ScrollLog::Call> b) {
  if (a.size() != b.size()) return false;
  auto it = b.begin();
  for (const ScrollLog::Call& c : a) {
    if (c.Code != it->Code || c.Pos != it->Pos) return false;
    ++it;
  }
  return true;
}

std::string Describe(const std::vector<ScrollLog::Call>& calls) {
  std::string s;
  for (const ScrollLog::Call& c : calls) s += "(" + std::to_string(int(c.Code)) + ", " + std::to_string(c.Pos) + ") ";
  return s;
}

TTimer* RepeatTimerOf(TComponent* bar) {
  for (int i = 0; i < bar->ComponentCount(); ++i)
    if (auto* timer = dynamic_cast<TTimer*>(bar->Components(i))) return timer;
  return nullptr;
}

// Vetoes every call; the calls that cannot veto ignore it.
void VetoMoves(TElScrollCode, int&, bool& doChange) { doChange = false; }

class ScrollBarTest : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    host = new ScrollHost(Owner());
    host->SetBounds(0, 0, 300, 200);
    host->SetParent(Form());
    bar = new ProbeBar(Owner());
    bar->SetBounds(10, 10, 121, 16);
    bar->SetParent(host);
    // Fixed sizes, so that every place below is worked out by hand: 16-pixel
    // buttons, a 12-pixel thumb spanning 16..28 at position 0, 77 pixels
    // of travel for positions 0..87. The themed look has its own tests.
    bar->SetUseSystemMetrics(false);
    bar->SetButtonSize(16);
    bar->SetUseXPThemes(false);
    bar->OnScroll = TElScrollEvent(&log, &ScrollLog::Scroll);
    bar->OnChange = TNotifyEvent(&log, &ScrollLog::Change);
    bar->HandleNeeded();
  }
  void TearDown() override {
    ReleaseCapture();
    eltest::ParkMouse();
    WindowTest::TearDown();
  }
  // For a press that repeats while the test pumps messages: the real cursor
  // goes where the synthetic messages point. While the bar holds the
  // capture, every mouse move the system makes (Wine makes one when the
  // cursor is set, and when windows change under it) reaches the bar with
  // the real cursor's place, which would move the repeat's pointer away.
  void PointAt(int x, int y) {
    POINT p{x, y};
    ClientToScreen(bar->Handle(), &p);
    SetCursorPos(p.x, p.y);
    eltest::Flush();
  }
  LRESULT Send(UINT msg, WPARAM wp, LPARAM lp) { return SendMessageA(bar->Handle(), msg, wp, lp); }
  void Press(int x, int y) { Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
  void Move(int x, int y) { Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y)); }
  void Release(int x, int y) { Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
  void Wheel(int delta) {
    RECT r;
    GetWindowRect(bar->Handle(), &r);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(r.left + 50, r.top + 8));
  }
  bool NeedsRepaint() { return GetUpdateRect(bar->Handle(), nullptr, FALSE) != 0; }
  void Validate() { ValidateRect(bar->Handle(), nullptr); }

  ScrollHost* host = nullptr;
  ProbeBar* bar = nullptr;
  ScrollLog log;
};

// The repeat timer is an owned component, freed with the others before the
// bar's destructor runs: freeing the bar in the middle of a held arrow's
// repeat must write nothing into it (nor into any part freed before).
TEST_F(ScrollBarTest, ABarFreedWhileAnArrowRepeatsWritesIntoNothingFreed) {
  TTimer* timer = RepeatTimerOf(bar);
  ASSERT_NE(timer, nullptr);
  PointAt(115, 8);
  Press(115, 8);
  ASSERT_TRUE(timer->Enabled());
  quarantine::Begin();
  bar->Free();
  bar = nullptr;
  const size_t freed = quarantine::Count;
  EXPECT_EQ(quarantine::End(), 0) << "of " << freed << " blocks freed";
  EXPECT_GT(freed, 0u);
}

// ------------------------------------------------------------ properties

TEST_F(ScrollBarTest, Defaults) {
  auto* fresh = new TElScrollBar(Owner());
  EXPECT_EQ(fresh->Kind(), sbHorizontal);
  EXPECT_EQ(fresh->Width(), 121);
  EXPECT_EQ(fresh->Height(), GetSystemMetrics(SM_CYHSCROLL));
  EXPECT_EQ(fresh->Min(), 0);
  EXPECT_EQ(fresh->Max(), 100);
  EXPECT_EQ(fresh->Position(), 0);
  EXPECT_EQ(fresh->Page(), 14);
  EXPECT_EQ(fresh->Step(), 1);
  EXPECT_EQ(fresh->MinThumbSize(), 4);
  EXPECT_EQ(fresh->ThumbMode(), etmAuto);
  EXPECT_EQ(fresh->BarOffset(), 2u);
  EXPECT_TRUE(fresh->UseSystemMetrics());
  EXPECT_TRUE(fresh->Flat());
  EXPECT_FALSE(fresh->ActiveFlat());
  EXPECT_TRUE(fresh->BlendBackground());
  EXPECT_TRUE(fresh->SystemBkColor());
  EXPECT_EQ(fresh->SecondBtnKind(), sbkOpposite);
  EXPECT_EQ(fresh->ControlStyle(), TControlStyle{csFramed});
  EXPECT_TRUE(fresh->TabStop());
  EXPECT_FALSE(fresh->Ctl3D());
  EXPECT_FALSE(fresh->ParentColor());
  EXPECT_EQ(fresh->Color(), clBtnFace);
  EXPECT_EQ(fresh->HintColor(), clInfoBk);
  EXPECT_EQ(fresh->HintTextColor(), clInfoText);
  fresh->SetParent(host);
  EXPECT_EQ(SendMessageA(fresh->Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(ScrollBarTest, APositionOutsideTheRangeIsClampedButReportedAsAsked) {
  bar->SetPosition(150);
  EXPECT_EQ(bar->Position(), 100);
  EXPECT_TRUE(SameCalls(log.Calls, {{scPosition, 150}})) << Describe(log.Calls);
  bar->SetPosition(-5);
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_EQ(log.Calls.back().Pos, -5);
  log.Clear();
  bar->SetPosition(0);  // unchanged: nothing at all
  EXPECT_TRUE(log.Calls.empty());
  // The report of a change cannot veto it, and Position never raises OnChange.
  log.Decide = [](TElScrollCode, int& pos, bool& doChange) {
    pos = 7;
    doChange = false;
  };
  bar->SetPosition(50);
  EXPECT_EQ(bar->Position(), 50);
  EXPECT_EQ(log.Changes, 0);
}

TEST_F(ScrollBarTest, RangeSettersRepairTheRangeAndPullThePositionIn) {
  bar->SetPosition(50);
  log.Clear();
  bar->SetMax(30);
  EXPECT_EQ(bar->Position(), 30);
  EXPECT_TRUE(SameCalls(log.Calls, {{scPosition, 30}})) << Describe(log.Calls);
  EXPECT_EQ(bar->Page(), 14);
  bar->SetMax(-10);  // below Min: Max becomes Min
  EXPECT_EQ(bar->Max(), 0);
  EXPECT_EQ(bar->Page(), 1);
  EXPECT_EQ(bar->Position(), 0);
  bar->SetMin(20);
  EXPECT_EQ(bar->Max(), 20);
  EXPECT_EQ(bar->Position(), 20);
  bar->SetPage(-1);
  EXPECT_EQ(bar->Page(), 1) << "a negative page is ignored";
  bar->SetButtonSize(0);
  bar->SetThumbSize(-3);
  bar->SetMinThumbSize(0);
  EXPECT_EQ(bar->MinThumbSize(), 4);
  bar->SetButtonSize(61);  // two of them do not fit in 121 pixels
  EXPECT_EQ(bar->ButtonSize(), 16);
  bar->SetButtonSize(30);
  EXPECT_EQ(bar->ButtonSize(), 30);
}

TEST_F(ScrollBarTest, LoadingStoresValuesAsTheyComeAndLoadedRepairsThem) {
  bar->SetComponentStateItem(csLoading, true);
  bar->SetMin(10);
  bar->SetMax(3);
  bar->SetPosition(50);
  EXPECT_EQ(bar->Max(), 3);
  EXPECT_EQ(bar->Position(), 50);
  EXPECT_TRUE(log.Calls.empty()) << "no events while loading";
  bar->Loaded();
  EXPECT_FALSE(bar->ComponentState().Contains(csLoading));
  EXPECT_EQ(bar->Max(), 10);
  EXPECT_EQ(bar->Page(), 1);
  EXPECT_EQ(bar->Position(), 10);
}

TEST_F(ScrollBarTest, SystemMetricsGiveTheThicknessAndTheFixedThumb) {
  bar->SetUseSystemMetrics(false);
  bar->SetHeight(30);
  bar->SetUseSystemMetrics(true);
  EXPECT_EQ(bar->Height(), GetSystemMetrics(SM_CXVSCROLL));
  bar->SetKind(sbVertical);
  EXPECT_EQ(bar->Width(), GetSystemMetrics(SM_CYHSCROLL));
  bar->SetThumbMode(etmFixed);
  EXPECT_EQ(bar->ThumbSize(), GetSystemMetrics(SM_CYVTHUMB));
  bar->SetDrawFrames(false);
  EXPECT_FALSE(bar->DrawArrowFrames());
}

// ------------------------------------------------------------ presses

TEST_F(ScrollBarTest, AnArrowStepsAtOnceThenRepeatsWhileThePointerStaysOnIt) {
  TTimer* timer = RepeatTimerOf(bar);
  ASSERT_NE(timer, nullptr);
  PointAt(115, 8);
  Press(115, 8);
  EXPECT_TRUE(SameCalls(log.Calls, {{scLineForward, 1}, {scPosition, 1}})) << Describe(log.Calls);
  EXPECT_EQ(log.Changes, 1);
  EXPECT_EQ(GetCapture(), bar->Handle());
  EXPECT_EQ(bar->PressedPart(), spLastArrow);
  ASSERT_TRUE(eltest::PumpUntil([&] { return bar->Position() >= 3; }, 20000));
  EXPECT_EQ(log.Changes, 1) << "repeats raise no OnChange";
  // Off the arrow the repeat stops; back on it, it runs again.
  Move(60, 8);
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(bar->HotPart(), spTrackAfter);
  Move(115, 8);
  PointAt(115, 8);
  EXPECT_TRUE(timer->Enabled());
  const int before = bar->Position();
  ASSERT_TRUE(eltest::PumpUntil([&] { return bar->Position() > before; }, 20000));
  log.Clear();
  Release(115, 8);
  ASSERT_FALSE(log.Calls.empty());
  EXPECT_EQ(log.Calls.back().Code, scEndScroll);
  EXPECT_EQ(log.Calls.back().Pos, bar->Position());
  EXPECT_EQ(log.Changes, 1) << "OnChange follows the release even without a move";
  EXPECT_FALSE(timer->Enabled());
  EXPECT_NE(GetCapture(), bar->Handle());
  EXPECT_EQ(bar->PressedPart(), spNone);
}

TEST_F(ScrollBarTest, TheTrackPagesUntilTheThumbReachesThePointer) {
  // The thumb reaches x = 60 at position 42.
  PointAt(60, 8);
  Press(60, 8);
  EXPECT_EQ(bar->Position(), 14);
  ASSERT_TRUE(eltest::PumpUntil(
      [&] { return !log.Calls.empty() && log.Calls.back().Code == scPageForward && log.Calls.back().Pos == 42; },
      20000))
      << Describe(log.Calls);
  EXPECT_EQ(bar->Position(), 42);
  Release(60, 8);
}

TEST_F(ScrollBarTest, PressesThatCannotMoveStartNothing) {
  Press(5, 8);  // first arrow at the minimum
  EXPECT_TRUE(log.Calls.empty());
  EXPECT_EQ(bar->PressedPart(), spNone);
  EXPECT_NE(GetCapture(), bar->Handle());
  Release(5, 8);
  // With NoDisableButtons the press runs anyway.
  bar->SetNoDisableButtons(true);
  Press(5, 8);
  EXPECT_TRUE(SameCalls(log.Calls, {{scLineBack, 0}})) << Describe(log.Calls);
  EXPECT_EQ(GetCapture(), bar->Handle());
  Release(5, 8);
}

TEST_F(ScrollBarTest, AQuickSecondClickIsASecondPress) {
  Press(115, 8);
  Release(115, 8);
  Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(115, 8));
  EXPECT_EQ(bar->Position(), 2);
  Release(115, 8);
}

TEST_F(ScrollBarTest, CustomSecondaryButtonsRepeatTheirCodesWithoutMoving) {
  bar->SetSecondaryButtons(true);
  bar->SetSecondBtnKind(sbkCustom);
  bar->SetPosition(30);
  log.Clear();
  PointAt(97, 8);
  Press(97, 8);  // next to the last arrow
  ASSERT_TRUE(eltest::PumpUntil([&] { return log.Count(scSecondLast) >= 3; }, 20000));
  Release(97, 8);
  Press(24, 8);  // next to the first arrow
  Release(24, 8);
  EXPECT_EQ(log.Count(scSecondFirst), 1);
  EXPECT_EQ(bar->Position(), 30);
  for (const ScrollLog::Call& c : log.Calls) EXPECT_EQ(c.Pos, 30);
}

TEST_F(ScrollBarTest, LosingTheCaptureEndsThePress) {
  Press(115, 8);
  ASSERT_TRUE(bar->Tracking());
  SetCapture(host->Handle());
  EXPECT_FALSE(bar->Tracking());
  EXPECT_FALSE(RepeatTimerOf(bar)->Enabled());
  EXPECT_EQ(log.Calls.back().Code, scEndScroll);
  EXPECT_EQ(GetCapture(), host->Handle()) << "the new owner keeps the mouse";
}

// A window of another kind that held the mouse gets it back. (The class
// library's own controls lose theirs to the press itself.)
TEST_F(ScrollBarTest, ThePreviousCaptureComesBackAfterTheRelease) {
  HWND other = CreateWindowExA(0, "STATIC", "", WS_CHILD, 200, 100, 20, 20, host->Handle(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  SetCapture(other);
  Press(115, 8);
  EXPECT_EQ(GetCapture(), bar->Handle());
  Release(115, 8);
  EXPECT_EQ(GetCapture(), other);
  ReleaseCapture();
  DestroyWindow(other);
}

// ------------------------------------------------------------ dragging

TEST_F(ScrollBarTest, ADraggedThumbTellsTheParentAndSettlesOnRelease) {
  Press(20, 8);  // the thumb spans 16..28
  ASSERT_EQ(bar->PressedPart(), spThumb);
  EXPECT_EQ(GetCapture(), bar->Handle());
  Move(60, 8);
  ASSERT_EQ(host->Messages.size(), 1u);
  EXPECT_EQ(host->Messages[0].Msg, UINT(WM_HSCROLL));
  EXPECT_EQ(LOWORD(host->Messages[0].WParam), SB_THUMBPOSITION);
  EXPECT_EQ(HIWORD(host->Messages[0].WParam), 45);
  EXPECT_EQ(host->Messages[0].LParam, reinterpret_cast<LPARAM>(bar->Handle()));
  EXPECT_TRUE(SameCalls(log.Calls, {{scTrack, 45}})) << Describe(log.Calls);
  EXPECT_EQ(bar->Position(), 0) << "dragging moves only the thumb";
  // Far outside, the thumb snaps back to where the drag began.
  Move(-61, 8);
  EXPECT_EQ(bar->Geometry().ThumbOffset, 16);
  EXPECT_EQ(HIWORD(host->Messages.back().WParam), 0);
  Move(300, 40);
  EXPECT_EQ(bar->Geometry().ThumbOffset, 16);
  Move(100, 40);  // past the track's end: held at the last place
  EXPECT_EQ(bar->Geometry().ThumbOffset, 93);
  log.Clear();
  Release(100, 40);
  EXPECT_EQ(bar->Position(), 87);
  EXPECT_EQ(log.Calls.front().Code, scPosition);
  EXPECT_EQ(log.Calls.front().Pos, 87);
  EXPECT_EQ(log.Changes, 1);
  EXPECT_NE(GetCapture(), bar->Handle());
}

TEST_F(ScrollBarTest, AVerticalThumbSendsVerticalMessagesUnlessTheOwnerTurnedThemOff) {
  bar->SetKind(sbVertical);
  bar->SetBounds(10, 10, 16, 121);
  Press(8, 20);
  Move(8, 60);
  Release(8, 60);
  ASSERT_EQ(host->Messages.size(), 1u);
  EXPECT_EQ(host->Messages[0].Msg, UINT(WM_VSCROLL));
  bar->SetNotifyParent(false);
  bar->SetPosition(0);
  Press(8, 20);
  Move(8, 60);
  Release(8, 60);
  EXPECT_EQ(host->Messages.size(), 1u);
  EXPECT_EQ(bar->Position(), 45);
}

TEST_F(ScrollBarTest, NoDragWhenThePageCoversTheRange) {
  bar->SetPage(101);
  Press(50, 8);
  EXPECT_FALSE(bar->Tracking());
  Move(80, 8);
  EXPECT_TRUE(host->Messages.empty());
  Release(80, 8);
}

// ------------------------------------------------------------ vetoes

TEST_F(ScrollBarTest, AVetoKeepsThePositionOnEveryPathThatProposesAMove) {
  bar->SetSecondaryButtons(true);
  bar->SetSecondBtnKind(sbkPage);
  bar->SetPosition(50);
  log.Clear();
  log.Decide = &VetoMoves;
  for (int x : {5, 24, 45, 97, 115}) {  // arrows, secondary buttons, track
    Press(x, 8);
    Release(x, 8);
  }
  for (Word key : {VK_RIGHT, VK_LEFT, VK_NEXT, VK_PRIOR, VK_HOME, VK_END}) Send(WM_KEYDOWN, key, 0);
  Wheel(-120);
  EXPECT_EQ(bar->Position(), 50);
  EXPECT_EQ(log.Changes, 0);
  // The drag moves the thumb and tells the parent; the end is vetoed.
  const int rest = bar->Geometry().ThumbOffset;
  const int grab = rest + 2;
  Press(grab, 8);
  Move(grab + 20, 8);
  EXPECT_EQ(bar->Geometry().ThumbOffset, rest + 20);
  EXPECT_EQ(host->Messages.size(), 1u);
  Release(grab + 20, 8);
  EXPECT_EQ(bar->Position(), 50);
  EXPECT_EQ(bar->Geometry().ThumbOffset, rest) << "the thumb goes back to the position";
  EXPECT_EQ(log.Changes, 0);
}

// ------------------------------------------------------------ keys and wheel

TEST_F(ScrollBarTest, KeysWithAModifierAreNotTheBars) {
  Word key = VK_RIGHT;
  bar->KeyDown(key, TShiftState{ssCtrl});
  EXPECT_EQ(key, VK_RIGHT);
  key = VK_END;
  bar->KeyDown(key, TShiftState{ssShift});
  EXPECT_EQ(key, VK_END);
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_TRUE(log.Calls.empty());
  key = VK_RIGHT;
  bar->KeyDown(key, TShiftState{});
  EXPECT_EQ(key, 0);
  EXPECT_TRUE(SameCalls(log.Calls, {{scLineForward, 1}, {scPosition, 1}})) << Describe(log.Calls);
  EXPECT_EQ(log.Changes, 1);
  key = VK_TAB;  // goes on, so that the focus can move
  bar->KeyDown(key, TShiftState{});
  EXPECT_EQ(key, VK_TAB);
}

TEST_F(ScrollBarTest, KeysThatDoNotMoveRaiseNoChange) {
  Send(WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(bar->Position(), 100);
  EXPECT_EQ(log.Changes, 1);
  Send(WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(log.Changes, 1);
  EXPECT_EQ(log.Calls.back().Code, scBottom);
}

TEST_F(ScrollBarTest, AWheelTurnStepsLineByLineAndEndsWithEndScroll) {
  bar->SetPosition(50);
  log.Clear();
  Wheel(120);
  const int steps = log.Count(scLineBack);
  ASSERT_GE(steps, 1);
  EXPECT_EQ(bar->Position(), 50 - steps);
  EXPECT_EQ(log.Calls.back().Code, scEndScroll);
  EXPECT_EQ(log.Changes, 0);
  // A veto on the second step ends the turn.
  if (steps >= 2) {
    log.Clear();
    int seen = 0;
    log.Decide = [&](TElScrollCode code, int&, bool& doChange) {
      if (code == scLineForward && ++seen == 2) doChange = false;
    };
    const int start = bar->Position();
    Wheel(-120);
    EXPECT_EQ(log.Count(scLineForward), 2);
    EXPECT_EQ(bar->Position(), start + 1);
    EXPECT_EQ(log.Calls.back().Code, scEndScroll);
  }
}

// Ten notches at once, one position from the top: the turn stops at the
// first step that no longer moves, instead of offering every step.
TEST_F(ScrollBarTest, AWheelTurnStopsOnceThePositionIsPinned) {
  bar->SetPosition(1);
  log.Clear();
  Wheel(1200);
  EXPECT_EQ(bar->Position(), 0);
  EXPECT_EQ(log.Count(scLineBack), 2);
  EXPECT_EQ(log.Calls.back().Code, scEndScroll);
}

TEST_F(ScrollBarTest, AWheelTurnTakenByAHandlerLeavesTheBarAlone) {
  struct Taker {
    void Wheel(TObject*, TShiftState, int, POINT, bool& handled) { handled = true; }
  } taker;
  bar->OnMouseWheel = TMouseWheelEvent(&taker, &Taker::Wheel);
  bar->SetPosition(50);
  log.Clear();
  Wheel(120);
  EXPECT_EQ(bar->Position(), 50);
  EXPECT_TRUE(log.Calls.empty());
}

// ------------------------------------------------------------ hints

struct HintTexts {
  void Need(TObject*, int position, TElFString& hint) { hint = L"Строка " + std::to_wstring(position); }
};

TEST_F(ScrollBarTest, TheTrackHintFollowsTheDraggedThumbAndGoesWithTheRelease) {
  HintTexts texts;
  bar->OnScrollHintNeeded = TElScrollHintNeededEvent(&texts, &HintTexts::Need);
  bar->SetShowTrackHint(true);
  const POINT origin = bar->ClientOrigin();
  Press(20, 8);  // the thumb at 16
  TElHintWindow* hint = bar->TrackHintWindow();
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(IsWindowVisible(hint->Handle()));
  EXPECT_EQ(hint->WideCaption(), L"Строка 0");
  RECT r;
  GetWindowRect(hint->Handle(), &r);
  EXPECT_EQ(r.right, origin.x + 16 - 3) << "right edge beside the thumb";
  EXPECT_LT(r.bottom, origin.y) << "above the bar";
  Move(60, 8);
  EXPECT_EQ(bar->TrackHintWindow(), hint);
  EXPECT_EQ(hint->WideCaption(), L"Строка 45");
  GetWindowRect(hint->Handle(), &r);
  EXPECT_EQ(r.right, origin.x + 56 - 3);
  Release(60, 8);
  EXPECT_EQ(bar->TrackHintWindow(), nullptr);
}

TEST_F(ScrollBarTest, NoTrackHintWithoutTextOrWhenSwitchedOff) {
  bar->SetShowTrackHint(true);
  Press(20, 8);
  EXPECT_EQ(bar->TrackHintWindow(), nullptr) << "no text, no empty box";
  Release(20, 8);
  HintTexts texts;
  bar->OnScrollHintNeeded = TElScrollHintNeededEvent(&texts, &HintTexts::Need);
  bar->SetShowTrackHint(false);
  Press(20, 8);
  Move(60, 8);
  EXPECT_EQ(bar->TrackHintWindow(), nullptr);
  Release(60, 8);
}

TEST_F(ScrollBarTest, TheHintIsCarriedPackedAndShownFromItsShortPart) {
  bar->SetHint(L"Прокрутка|Длинная подсказка");
  EXPECT_EQ(bar->Hint(), L"Прокрутка|Длинная подсказка");
  THintInfo info;
  info.HintStr = GetShortHint(bar->TControl::Hint());  // as the class library asks
  bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  // "Прокрутка" in code page 1251, a zero byte, nine UTF-16 units, a zero
  // unit and 0xFFFE: 9 + 1 + 18 + 4 bytes.
  ASSERT_EQ(info.HintStr.size(), 32u);
  EXPECT_EQ(info.HintStr.substr(0, 10), std::string("\xCF\xF0\xEE\xEA\xF0\xF3\xF2\xEA\xE0", 9) + '\0');
  EXPECT_EQ(info.HintStr.substr(10, 2), std::string("\x1F\x04", 2)) << "U+041F, low byte first";
  EXPECT_EQ(info.HintStr.substr(28), std::string("\0\0\xFE\xFF", 4));
  // A hint a handler chose for the request goes as the whole hint, packed.
  info.HintStr = "another text";
  bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr, PackWideHint(L"Прокрутка|Длинная подсказка"));
  bar->SetHint(L"");
  info.HintStr = "stale";
  bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_TRUE(info.HintStr.empty());
  EXPECT_TRUE(bar->TControl::Hint().empty());
}

// ------------------------------------------------------------ scroll info

TEST_F(ScrollBarTest, ScrollInfoMessagesCheckTheRecordAndRaiseNoEvents) {
  bar->SetPosition(20);
  log.Clear();
  SCROLLINFO si{};
  si.cbSize = 27;
  si.fMask = SIF_ALL;
  si.nMax = 5;
  EXPECT_EQ(Send(SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si)), 20);
  EXPECT_EQ(bar->Max(), 100) << "a short record is refused";
  EXPECT_EQ(Send(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&si)), 0);
  EXPECT_EQ(Send(SBM_SETSCROLLINFO, TRUE, 0), 20);
  EXPECT_EQ(Send(SBM_GETSCROLLINFO, 0, 0), 0);
  si.cbSize = sizeof si;
  si.nMin = 10;
  si.nMax = 5;  // backwards
  EXPECT_EQ(Send(SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si)), 20);
  EXPECT_EQ(bar->Min(), 0);
  si.nMin = 0;
  si.nMax = 200;
  si.nPage = 50;
  si.nPos = 300;  // outside: the maximum
  Validate();
  EXPECT_EQ(Send(SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&si)), 200);
  EXPECT_TRUE(NeedsRepaint());
  EXPECT_EQ(bar->Page(), 50);
  EXPECT_TRUE(log.Calls.empty());
  si.fMask = SIF_POS;
  si.nPos = 151;  // the last page: the thumb stands exactly for it
  Validate();
  EXPECT_EQ(Send(SBM_SETSCROLLINFO, FALSE, reinterpret_cast<LPARAM>(&si)), 151);
  EXPECT_FALSE(NeedsRepaint()) << "no redraw asked for";
  SCROLLINFO out{};
  out.cbSize = sizeof out;
  out.fMask = SIF_ALL | SIF_TRACKPOS;
  EXPECT_EQ(Send(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(&out)), -1);
  EXPECT_EQ(out.nPos, 151);
  EXPECT_EQ(out.nTrackPos, 151);
  EXPECT_EQ(out.nMax, 200);
  EXPECT_EQ(out.nPage, 50u);
  EXPECT_TRUE(log.Calls.empty());
}

// ------------------------------------------------------------ hover and focus

TEST_F(ScrollBarTest, AFlatBarRepaintsOnHoverAndFocus) {
  Validate();
  bar->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(bar->MouseInside());
  EXPECT_TRUE(NeedsRepaint());
  Validate();
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(5, 8));
  EXPECT_EQ(bar->HotPart(), spFirstArrow);
  EXPECT_TRUE(NeedsRepaint());
  Validate();
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(6, 9));  // same part
  EXPECT_FALSE(NeedsRepaint());
  bar->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(bar->HotPart(), spNone);
  EXPECT_TRUE(NeedsRepaint());
  Validate();
  bar->SetFocus();
  EXPECT_TRUE(bar->Focused());
  EXPECT_TRUE(NeedsRepaint());
}

TEST_F(ScrollBarTest, ARaisedBarDoesNotRepaintOnEnteringOrLeavingTheTrack) {
  bar->SetFlat(false);
  Validate();
  bar->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_FALSE(NeedsRepaint());
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(60, 8));
  Validate();
  bar->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(NeedsRepaint());
  EXPECT_EQ(bar->HotPart(), spNone);
}

// ------------------------------------------------------------ styles

TEST_F(ScrollBarTest, StylesNeedABarAndAControl) {
  try {
    TElScrollBarStyles styles(nullptr, host);
    FAIL() << "no exception";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), "No scrollbar specified when attempting to create TElScrollBarStyles instance");
  }
  EXPECT_THROW(TElScrollBarStyles(bar, nullptr), Exception);
}

TEST_F(ScrollBarTest, StylesWidthGivesWayToSystemMetricsOnceLoaded) {
  TElScrollBarStyles styles(bar, host);
  int changes = 0;
  struct Counter {
    int* N;
    void Changed(TObject*) { ++*N; }
  } counter{&changes};
  styles.OnChange = TNotifyEvent(&counter, &Counter::Changed);
  host->SetComponentStateItem(csLoading, true);
  styles.SetWidth(25);
  EXPECT_EQ(bar->Height(), 25) << "a stored width applies while loading";
  EXPECT_EQ(styles.Width(), 25);
  host->SetComponentStateItem(csLoading, false);
  styles.SetWidth(40);
  EXPECT_EQ(bar->Height(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(changes, 2);
  styles.SetUseSystemMetrics(true);  // unchanged
  EXPECT_EQ(changes, 2);
  styles.SetUseSystemMetrics(false);
  EXPECT_EQ(changes, 3);
  styles.SetWidth(40);
  EXPECT_EQ(bar->Height(), 40);
}

TEST_F(ScrollBarTest, StylesAssignCopiesOnlyItsOwnSet) {
  auto* other = new TElScrollBar(Owner());
  TElScrollBarStyles target(bar, host), source(other, host);
  source.SetActiveFlat(true);
  source.SetBlendBackground(false);
  source.SetColor(clTeal);
  source.SetFlat(false);
  source.SetMinThumbSize(9);
  source.SetOwnerDraw(true);
  source.SetSecondaryButtons(true);
  source.SetSecondBtnKind(sbkPage);
  source.SetShowTrackHint(true);
  source.SetUseSystemMetrics(false);
  source.SetThumbSize(33);
  source.SetThumbMode(etmFixed);
  // Not copied:
  source.SetArrowColor(clRed);
  source.SetDrawFrames(false);
  source.SetBarColor(clLime);
  source.SetShowLeftArrows(false);
  source.SetNoDisableButtons(true);
  target.Assign(&source);
  EXPECT_TRUE(target.ActiveFlat());
  EXPECT_FALSE(target.BlendBackground());
  EXPECT_EQ(target.Color(), clTeal);
  EXPECT_FALSE(target.Flat());
  EXPECT_EQ(target.MinThumbSize(), 9);
  EXPECT_TRUE(target.OwnerDraw());
  EXPECT_TRUE(target.SecondaryButtons());
  EXPECT_EQ(target.SecondBtnKind(), sbkPage);
  EXPECT_TRUE(target.ShowTrackHint());
  EXPECT_EQ(target.ThumbMode(), etmFixed);
  EXPECT_EQ(bar->Geometry().ThumbSize, 33);
  EXPECT_EQ(target.ArrowColor(), clBtnText);
  EXPECT_TRUE(target.DrawFrames());
  EXPECT_EQ(target.BarColor(), clBtnShadow);
  EXPECT_TRUE(target.ShowLeftArrows());
  EXPECT_FALSE(target.NoDisableButtons());
  EXPECT_TRUE(target.UseSystemMetrics());
  EXPECT_THROW(target.Assign(bar->Font()), EConvertError);
}

// ------------------------------------------------------------ form files

// Shaped like the edit: a control owning a bar, published through styles.
class TStylesOwner : public TCustomControl {
 public:
  explicit TStylesOwner(TComponent* owner) : TCustomControl(owner) {
    bar_ = new TElScrollBar(this);
    bar_->SetKind(sbVertical);
    bar_->SetParent(this);
    styles_ = std::make_unique<TElScrollBarStyles>(bar_, this);
  }
  TElScrollBar* Bar() const { return bar_; }
  TElScrollBarStyles* VertScrollBarStyles() const { return styles_.get(); }

 private:
  TElScrollBar* bar_;
  std::unique_ptr<TElScrollBarStyles> styles_;
};

class TScrollBarForm : public TForm {
 public:
  explicit TScrollBarForm(TComponent* owner) : TForm(owner, 0) {}
  TElScrollBar* Bar1 = nullptr;
  TStylesOwner* Owner1 = nullptr;
};

class ScrollBarStreaming : public ::testing::Test {
 protected:
  void SetUp() override {
    Publish<TStylesOwner, TCustomControl>().Property("VertScrollBarStyles", &TStylesOwner::VertScrollBarStyles,
                                                     nullptr);
    Publish<TScrollBarForm, TForm>().Field("Bar1", &TScrollBarForm::Bar1).Field("Owner1", &TScrollBarForm::Owner1);
    form = new TScrollBarForm(Application);
  }
  void TearDown() override { form->Free(); }
  TScrollBarForm* form = nullptr;
};

TEST_F(ScrollBarStreaming, AStoredBarIsRepairedOnceLoaded) {
  ReadComponentText(
      "object TScrollBarForm\n"
      "  object Bar1: TElScrollBar\n"
      "    Left = 4\n"
      "    Width = 30\n"
      "    Height = 150\n"
      "    Kind = sbVertical\n"
      "    Min = 10\n"
      "    Max = 3\n"
      "    Position = 50\n"
      "    SecondaryButtons = True\n"
      "    SecondBtnKind = sbkPage\n"
      "    ThumbMode = etmFixed\n"
      "    BarColor = clRed\n"
      "  end\n"
      "end\n",
      form, "TEST");
  TElScrollBar* bar = form->Bar1;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Kind(), sbVertical);
  EXPECT_EQ(bar->Max(), 10);
  EXPECT_EQ(bar->Page(), 1);
  EXPECT_EQ(bar->Position(), 10);
  EXPECT_EQ(bar->SecondBtnKind(), sbkPage);
  EXPECT_EQ(bar->BarColor(), clRed);
  EXPECT_FALSE(bar->ActiveFlat()) << "a form never stores the published default";
  EXPECT_EQ(bar->Width(), GetSystemMetrics(SM_CYHSCROLL)) << "system metrics apply once loaded";
  EXPECT_EQ(bar->Height(), 150);
}

TEST_F(ScrollBarStreaming, AStoredStylesWidthHoldsUntilLoadedOnly) {
  ReadComponentText(
      "object TScrollBarForm\n"
      "  object Owner1: TStylesOwner\n"
      "    Width = 200\n"
      "    Height = 100\n"
      "    VertScrollBarStyles.Width = 25\n"
      "    VertScrollBarStyles.SecondaryButtons = True\n"
      "    VertScrollBarStyles.BarColor = clLime\n"
      "  end\n"
      "end\n",
      form, "TEST");
  TStylesOwner* owner = form->Owner1;
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(owner->Bar()->Width(), 25);
  EXPECT_TRUE(owner->Bar()->SecondaryButtons());
  EXPECT_EQ(owner->Bar()->BarColor(), clLime);
  owner->VertScrollBarStyles()->SetWidth(30);
  EXPECT_EQ(owner->Bar()->Width(), GetSystemMetrics(SM_CYHSCROLL));
}

TEST_F(ScrollBarStreaming, OnlyChangedValuesAreWritten) {
  auto* bar = new TElScrollBar(form);
  bar->SetName("Bar1");
  bar->SetParent(form);
  bar->SetPage(20);
  bar->SetDrawBars(false);
  const std::string text = ComponentToText(form);
  EXPECT_NE(text.find("Page = 20"), std::string::npos) << text;
  EXPECT_NE(text.find("DrawBars = False"), std::string::npos) << text;
  EXPECT_EQ(text.find("Max ="), std::string::npos) << text;
  EXPECT_EQ(text.find("BlendBackground"), std::string::npos) << text;
}

}  // namespace
