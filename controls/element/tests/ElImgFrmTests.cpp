// The image form: the background it paints for its control's erase, the
// messages that let controls widen or refuse it, change links, the window
// shape made from a picture, and moving the window by its background.
#include <gtest/gtest.h>

#include <vector>

#include "ElDrawTestSupport.hpp"
#include "ElImgFrm.hpp"
#include "ElWindowTestSupport.hpp"

using namespace eltest;

namespace {

constexpr TColor kStart = 0x0000FF, kEnd = 0xFF0000;

// A form that counts the erases it does itself.
class TCountingForm : public TForm {
 public:
  explicit TCountingForm(TComponent* owner) : TForm(owner, 0) {
    SetBorderStyle(bsNone);
    SetBounds(200, 150, 100, 80);
    SetColor(0x336699);
  }
  int OwnErases = 0;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_ERASEBKGND) ++OwnErases;
    TForm::Dispatch(m);
  }
};

// A windowed control that may widen its background, paint its own, or show
// scroll bars.
class TBackgroundUser : public TCustomControl {
 public:
  explicit TBackgroundUser(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 100, 40); }
  int WidenTo = 0;
  bool PaintsOwn = false;
  bool ScrollBars = false;
  int Moves = 0;
  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case EL_BACKGROUND_RECT:
        if (WidenTo) reinterpret_cast<TRect*>(m.LParam)->right = WidenTo;
        return;
      case EL_OWN_BACKGROUND: m.Result = PaintsOwn ? 1 : 0; return;
      case EL_BACKGROUND_MOVED: ++Moves; return;
      default: TCustomControl::Dispatch(m);
    }
  }

 protected:
  void CreateParams(TCreateParams& p) override {
    TCustomControl::CreateParams(p);
    if (ScrollBars) p.Style |= WS_HSCROLL | WS_VSCROLL;
  }
};

class ImageFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TCountingForm(Application);
    image = new TElImageForm(form);
  }
  void TearDown() override {
    form->Free();
    Flush();
  }
  // Erases the form into a fresh surface, as Windows would ask it to.
  std::unique_ptr<TBitmap> Erase(TWinControl* control) {
    auto surface = MakeSurface(control->ClientWidth(), control->ClientHeight());
    control->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC(*surface)), 0);
    return surface;
  }
  TCountingForm* form = nullptr;
  TElImageForm* image = nullptr;
};

TEST_F(ImageFormTest, AColourFillOnTheFormIsTheFormsOwnErase) {
  auto surface = Erase(form);
  EXPECT_EQ(form->OwnErases, 1);
  EXPECT_TRUE(PixelIs(*surface, 50, 40, 0x336699));
  image->SetBackgroundType(bgtHorzGradient);
  image->SetGradientStartColor(kStart);
  image->SetGradientEndColor(kEnd);
  image->SetGradientSteps(2);
  surface = Erase(form);
  EXPECT_EQ(form->OwnErases, 1);  // handled by the image form
  EXPECT_TRUE(PixelIs(*surface, 10, 40, kStart));
  EXPECT_TRUE(PixelIs(*surface, 90, 40, kEnd));
}

TEST_F(ImageFormTest, OneGradientStepOrLessIsTheStartColour) {
  image->SetBackgroundType(bgtVertGradient);
  image->SetGradientStartColor(kStart);
  image->SetGradientEndColor(kEnd);
  for (int steps : {1, 0, -3}) {
    image->SetGradientSteps(steps);
    auto surface = Erase(form);
    EXPECT_EQ(CountColor(*surface, TRect{0, 0, 100, 80}, kStart), 100 * 80) << steps;
  }
}

TEST_F(ImageFormTest, TopLeftBitmapLeavesItsBottomRightColourAround) {
  auto picture = MakeSurface(20, 10, 0x00AA00);
  picture->Canvas()->SetPixels(19, 9, 0x0000AA);  // the bottom-right pixel
  image->SetBackground(picture.get());
  image->SetBackgroundType(bgtTopLeftBitmap);
  auto surface = Erase(form);
  EXPECT_TRUE(PixelIs(*surface, 5, 5, 0x00AA00));
  EXPECT_TRUE(PixelIs(*surface, 19, 9, 0x0000AA));
  EXPECT_TRUE(PixelIs(*surface, 20, 0, 0x0000AA));
  EXPECT_TRUE(PixelIs(*surface, 99, 79, 0x0000AA));
}

TEST_F(ImageFormTest, StretchedBackgroundIsMadeAtTheControlsSize) {
  auto picture = MakeSurface(2, 2, kStart);
  picture->Canvas()->SetPixels(1, 1, kEnd);
  image->SetBackground(picture.get());
  image->SetBackgroundType(bgtStretchBitmap);
  auto surface = Erase(form);
  EXPECT_TRUE(PixelIs(*surface, 10, 10, kStart));
  EXPECT_TRUE(PixelIs(*surface, 90, 70, kEnd));
  // A resize of the window builds the copy again.
  form->HandleNeeded();
  form->SetBounds(200, 150, 200, 160);
  surface = Erase(form);
  EXPECT_TRUE(PixelIs(*surface, 90, 70, kStart));
  EXPECT_TRUE(PixelIs(*surface, 190, 150, kEnd));
}

// A control that widens its background rectangle sees only the start of a
// gradient that spans the wider area.
TEST_F(ImageFormTest, TheControlMayWidenItsBackground) {
  auto* user = new TBackgroundUser(form);
  user->SetParent(form);
  image->SetControl(user);
  image->SetBackgroundType(bgtHorzGradient);
  image->SetGradientStartColor(kStart);
  image->SetGradientEndColor(kEnd);
  image->SetGradientSteps(2);
  auto surface = Erase(user);
  EXPECT_TRUE(PixelIs(*surface, 99, 20, kEnd));
  user->WidenTo = 200;
  surface = Erase(user);
  EXPECT_TRUE(PixelIs(*surface, 99, 20, kStart));
}

TEST_F(ImageFormTest, AControlThatPaintsItsOwnBackgroundIsLeftAlone) {
  auto* user = new TBackgroundUser(form);
  user->SetParent(form);
  user->SetColor(0x445566);
  user->PaintsOwn = true;
  image->SetControl(user);
  image->SetBackgroundType(bgtHorzGradient);
  auto surface = Erase(user);
  EXPECT_TRUE(PixelIs(*surface, 50, 20, 0x445566));  // the control's own erase
}

// Scroll bars move the background with the scroll position and size it by
// the scroll range.
TEST_F(ImageFormTest, ScrollPositionMovesTheBackground) {
  auto* user = new TBackgroundUser(form);
  user->ScrollBars = true;
  user->SetBounds(0, 0, 100, 60);
  user->SetParent(form);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS, 0, 400, 0, 30, 0};
  SetScrollInfo(user->Handle(), SB_HORZ, &si, FALSE);
  image->SetControl(user);
  image->SetBackgroundType(bgtHorzGradient);
  image->SetGradientStartColor(kStart);
  image->SetGradientEndColor(kEnd);
  image->SetGradientSteps(2);
  // Full is 400 wide; position 30 shows 30..30+width: all in the first band.
  auto surface = Erase(user);
  EXPECT_TRUE(PixelIs(*surface, user->ClientWidth() - 1, 5, kStart));
  si.nPos = 250;
  SetScrollInfo(user->Handle(), SB_HORZ, &si, FALSE);
  surface = Erase(user);
  EXPECT_TRUE(PixelIs(*surface, 0, 5, kEnd));
}

TEST_F(ImageFormTest, ResizingTellsTheChildrenTheBackgroundMoved) {
  auto* user = new TBackgroundUser(form);
  user->SetParent(form);
  form->HandleNeeded();
  form->SetBounds(200, 150, 150, 90);
  EXPECT_GE(user->Moves, 1);
}

// ---------------------------------------------------------------- change links

struct LinkLog {
  std::vector<TObject*> Senders;
  void Changed(TObject* sender) { Senders.push_back(sender); }
};

TEST_F(ImageFormTest, LinksHearOfPictureTypeAndShapeChangesOnly) {
  LinkLog log;
  auto link = std::make_unique<TImgFormChangeLink>();
  link->OnChange = TNotifyEvent(&log, &LinkLog::Changed);
  image->RegisterChanges(link.get());
  EXPECT_EQ(link->Form(), image);
  auto picture = MakeSurface(4, 4);
  image->SetBackground(picture.get());
  image->SetBackgroundType(bgtTileBitmap);
  image->SetTransparentColor(clRed);
  EXPECT_EQ(log.Senders, (std::vector<TObject*>{image, image, image}));
  image->SetGradientSteps(3);
  image->SetGradientStartColor(clGreen);
  EXPECT_EQ(log.Senders.size(), 3u);
  // A destroyed link unregisters itself.
  link.reset();
  image->SetBackgroundType(bgtCenterBitmap);
  EXPECT_EQ(log.Senders.size(), 3u);
}

TEST_F(ImageFormTest, DestroyingTheFormReleasesItsLinks) {
  TImgFormChangeLink link;
  image->RegisterChanges(&link);
  image->Free();
  image = nullptr;
  EXPECT_EQ(link.Form(), nullptr);
}

// ---------------------------------------------------------------- window shape

TEST(ElImgFrmRegion, RunsOfOpaquePixelsRowByRow) {
  constexpr TColor T = 0x111111, O = 0x222222, P = 0x333333;
  std::vector<TColor> pixels = {
      T, O, O, T, P,  //
      T, T, T, T, T,  //
      O, P, O, O, O,  //
  };
  std::vector<TRect> runs = OpaqueRuns(pixels, 5, 3, T);
  std::vector<TRect> expected = {{1, 0, 3, 1}, {4, 0, 5, 1}, {0, 2, 5, 3}};
  ASSERT_EQ(runs.size(), expected.size());
  for (size_t i = 0; i < runs.size(); ++i) EXPECT_TRUE(EqualRect(&runs[i], &expected[i])) << i;
  EXPECT_TRUE(OpaqueRuns(pixels, 5, 4, T).empty());  // fewer pixels than the size says
  EXPECT_TRUE(OpaqueRuns({}, 0, 0, T).empty());
}

// A picture framed by its bottom-left colour shapes the window to exactly
// the other pixels.
TEST_F(ImageFormTest, TheWindowTakesTheShapeOfThePicture) {
  auto* shape = new TImage(form);
  image->SetFormImage(shape);
  image->SetChangeFormRegion(true);
  EXPECT_EQ(image->Region(), nullptr);  // no picture yet
  auto picture = MakeSurface(100, 80, clFuchsia);
  picture->Canvas()->Brush()->SetColor(clLime);
  picture->Canvas()->Ellipse(TRect{10, 5, 90, 75});
  shape->Picture()->SetBitmap(picture.get());
  EXPECT_EQ(image->TransparentColor(), clFuchsia);
  HRGN actual = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(form->Handle(), actual), ERROR);
  std::vector<TColor> pixels = BitmapPixels(picture.get());
  std::vector<TRect> runs = OpaqueRuns(pixels, 100, 80, clFuchsia);
  HRGN expected = CreateRectRgn(0, 0, 0, 0);
  for (const TRect& r : runs) {
    HRGN one = CreateRectRgnIndirect(&r);
    CombineRgn(expected, expected, one, RGN_OR);
    DeleteObject(one);
  }
  EXPECT_TRUE(EqualRgn(actual, expected));
  EXPECT_FALSE(PtInRegion(actual, 1, 1));
  EXPECT_TRUE(PtInRegion(actual, 50, 40));
  // A new picture reshapes the window; switching the shape off removes it.
  picture->Canvas()->Brush()->SetColor(clFuchsia);
  picture->Canvas()->FillRect(TRect{0, 0, 100, 40});
  shape->Picture()->SetBitmap(picture.get());
  ASSERT_NE(GetWindowRgn(form->Handle(), actual), ERROR);
  EXPECT_FALSE(PtInRegion(actual, 50, 30));
  EXPECT_TRUE(PtInRegion(actual, 50, 60));
  image->SetChangeFormRegion(false);
  EXPECT_EQ(GetWindowRgn(form->Handle(), actual), ERROR);  // no region any more
  DeleteObject(actual);
  DeleteObject(expected);
}

TEST_F(ImageFormTest, APictureOutlivingTheImageFormGetsItsOwnHandlerBack) {
  auto* shape = new TImage(form);
  shape->SetAutoSize(true);
  TNotifyEvent own = shape->Picture()->OnChange;
  image->SetFormImage(shape);
  EXPECT_NE(shape->Picture()->OnChange, own);
  image->Free();
  image = nullptr;
  EXPECT_EQ(shape->Picture()->OnChange, own);
  auto picture = MakeSurface(30, 20);
  shape->Picture()->SetBitmap(picture.get());
  EXPECT_EQ(shape->Width(), 30);  // the image's own handler still runs
}

TEST_F(ImageFormTest, FreedReferencesAreDropped) {
  auto* shape = new TImage(form);
  auto* caption = new TImage(form);
  auto* user = new TBackgroundUser(form);
  user->SetParent(form);
  image->SetFormImage(shape);
  image->SetCaptionControl(caption);
  image->SetControl(user);
  shape->Free();
  caption->Free();
  user->Free();
  EXPECT_EQ(image->FormImage(), nullptr);
  EXPECT_EQ(image->CaptionControl(), nullptr);
  EXPECT_EQ(image->Control(), nullptr);
  EXPECT_EQ(image->GetRealControl(), form);
}

// ---------------------------------------------------------------- moving the form

class MoveFormTest : public ImageFormTest {
 protected:
  void SetUp() override {
    ImageFormTest::SetUp();
    image->SetMoveForm(true);
    child = new TImage(form);
    child->SetBounds(10, 10, 30, 20);
    child->SetParent(form);
    disabled = new TImage(form);
    disabled->SetBounds(60, 10, 30, 20);
    disabled->SetEnabled(false);
    disabled->SetParent(form);
  }
  LRESULT HitAt(int x, int y) {
    POINT p = form->ClientToScreen(POINT{x, y});
    return SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  }
  TImage* child = nullptr;
  TImage* disabled = nullptr;
};

TEST_F(MoveFormTest, EmptySpotsAnswerAsCaption) {
  EXPECT_EQ(HitAt(50, 60), HTCAPTION);
  EXPECT_EQ(HitAt(15, 15), HTCLIENT);  // a child control
  EXPECT_EQ(HitAt(65, 15), HTCLIENT);  // disabled children count too
  image->SetMoveForm(false);
  EXPECT_EQ(HitAt(50, 60), HTCLIENT);
}

TEST_F(MoveFormTest, WithACaptionControlOnlyItAnswersAsCaption) {
  image->SetCaptionControl(child);
  EXPECT_EQ(HitAt(15, 15), HTCAPTION);
  EXPECT_EQ(HitAt(50, 60), HTCLIENT);
}

struct ButtonLog {
  std::vector<std::string> Lines;
  void Down(TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    Lines.push_back(std::string(button == mbRight ? "right" : button == mbMiddle ? "middle" : "left") +
                    (shift.Contains(ssCtrl) ? "+ctrl" : "") + (shift.Contains(ssShift) ? "+shift" : "") + " " +
                    std::to_string(x) + "," + std::to_string(y));
  }
};

// The default handling of a right press on a caption waits for the button
// to come up: the release is queued first.
void RightPressOnCaption(HWND wnd, POINT screen) {
  PostMessageA(wnd, WM_RBUTTONUP, 0, 0);
  SendMessageA(wnd, WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
  MSG left;
  while (PeekMessageA(&left, wnd, WM_RBUTTONUP, WM_RBUTTONUP, PM_REMOVE)) {
  }
}

TEST_F(MoveFormTest, RightAndMiddleClicksOnTheBackgroundArriveAsClientClicks) {
  ButtonLog log;
  form->OnMouseDown = TMouseEvent(&log, &ButtonLog::Down);
  POINT p = form->ClientToScreen(POINT{50, 60});
  BYTE saved[256], keys[256] = {};
  GetKeyboardState(saved);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  RightPressOnCaption(form->Handle(), p);
  SetKeyboardState(saved);
  SendMessageA(form->Handle(), WM_NCMBUTTONDOWN, HTCAPTION, MAKELPARAM(p.x, p.y));
  EXPECT_EQ(log.Lines, (std::vector<std::string>{"right+ctrl 50,60", "middle 50,60"}));
  // With a caption control the non-client clicks stay non-client.
  image->SetCaptionControl(child);
  RightPressOnCaption(form->Handle(), p);
  EXPECT_EQ(log.Lines.size(), 2u);
}

// A real drag with the mouse: the window follows from an empty spot, while a
// press on a child goes to the child and leaves the window where it is.
class DragTest : public WindowTest {
 protected:
  void TearDown() override {
    ParkMouse();
    WindowTest::TearDown();
  }
};

void MouseAt(int x, int y, DWORD flags) {
  SetCursorPos(x, y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  if (flags) SendInput(1, &in, sizeof in);
}

TEST_F(DragTest, DraggingAnEmptySpotMovesTheForm) {
  auto* image = new TElImageForm(Owner());
  image->SetControl(Form());
  image->SetMoveForm(true);
  auto* child = new TImage(Owner());
  child->SetBounds(10, 10, 40, 30);
  child->SetParent(Form());
  ButtonLog log;
  child->OnMouseDown = TMouseEvent(&log, &ButtonLog::Down);
  RECT before;
  GetWindowRect(Form()->Handle(), &before);

  MouseAt(before.left + 20, before.top + 20, MOUSEEVENTF_LEFTDOWN);
  MouseAt(before.left + 20, before.top + 20, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return !log.Lines.empty(); }));
  EXPECT_EQ(log.Lines.front(), "left 10,10");

  MouseAt(before.left + 150, before.top + 150, MOUSEEVENTF_LEFTDOWN);
  MouseAt(before.left + 170, before.top + 160, MOUSEEVENTF_MOVE);
  MouseAt(before.left + 190, before.top + 175, MOUSEEVENTF_MOVE);
  MouseAt(before.left + 190, before.top + 175, MOUSEEVENTF_LEFTUP);
  RECT after{};
  EXPECT_TRUE(PumpUntil([&] {
    GetWindowRect(Form()->Handle(), &after);
    return after.left == before.left + 40 && after.top == before.top + 25;
  })) << "moved to " << after.left << "," << after.top;
  EXPECT_EQ(log.Lines.size(), 1u);
  SetWindowPos(Form()->Handle(), nullptr, before.left, before.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace
