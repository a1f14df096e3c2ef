// The drag loop between controls, driven by posted messages as the mouse and
// keyboard would drive it: the capture window gets the moves and the release.
#include <gtest/gtest.h>

#include <memory>

#include "ControlsDrag.hpp"
#include "ControlsTestSupport.hpp"

namespace {

std::string NameOf(TObject* o) {
  if (!o) return "none";
  auto* c = dynamic_cast<TComponent*>(o);
  return c ? c->Name() : "object";
}

std::string At(int x, int y) { return " " + std::to_string(x) + "," + std::to_string(y); }

struct DragLog {
  std::vector<std::string> lines;
  bool accept = true;
  bool throwOnMove = false;
  TControl* freeOnDrop = nullptr;
  TDragObject* supply = nullptr;
  void Over(TObject* sender, TObject* source, int x, int y, TDragState state, bool& accepted) {
    static const char* const kStates[] = {"enter", "leave", "move"};
    // A move repeated at the same point (the system's own after a capture
    // change) says nothing new.
    std::string line = NameOf(sender) + " " + kStates[state] + At(x, y) + " from " + NameOf(source);
    if (lines.empty() || lines.back() != line) lines.push_back(line);
    if (throwOnMove && state == dsDragMove) throw Exception("over failed");
    accepted = accept;
  }
  void Drop(TObject* sender, TObject* source, int x, int y) {
    lines.push_back(NameOf(sender) + " drop" + At(x, y) + " from " + NameOf(source));
    if (freeOnDrop) freeOnDrop->Free();
  }
  void Start(TObject* sender, TDragObject*& object) {
    lines.push_back(NameOf(sender) + " start");
    object = supply;
  }
  void End(TObject* sender, TObject* target, int x, int y) {
    lines.push_back(NameOf(sender) + " end " + NameOf(target) + At(x, y));
  }
  void Click(TObject* sender) { lines.push_back(NameOf(sender) + " click"); }
  void Press(TObject* sender, TMouseButton, TShiftState, int, int) { static_cast<TControl*>(sender)->BeginDrag(false); }
  void Failure(TObject*, Exception* e) { lines.push_back("exception " + e->Message()); }
};

// A drag object of the program's own: how often it is finished and asked
// for a cursor, and whether it still lives.
class TCountingObject : public TDragObject {
 public:
  explicit TCountingObject(bool* alive) : alive_(alive) { *alive_ = true; }
  ~TCountingObject() override { *alive_ = false; }
  int finished = 0, cursorAsks = 0;
  TObject* finishedOn = nullptr;
  TCursor GetDragCursor(bool accepted, int x, int y) override {
    ++cursorAsks;
    return TDragObject::GetDragCursor(accepted, x, y);
  }
  void Finished(TObject* target, int, int, bool) override {
    ++finished;
    finishedOn = target;
  }

 private:
  bool* alive_;
};

// A source whose images follow the cursor.
class TImageSource : public TGreenControl {
 public:
  explicit TImageSource(TComponent* owner) : TGreenControl(owner), images(nullptr, 8, 8) {
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(8, 8);
    picture.Canvas()->Brush()->SetColor(clLime);
    picture.Canvas()->FillRect(TRect{0, 0, 8, 8});
    images.AddMasked(&picture, clFuchsia);
    images.SetDragImage(0, 2, 2);
  }
  TDragImageList images;

 protected:
  TDragImageList* GetDragImages() override { return &images; }
};

class DragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, 400, 200);
    source = Add(new TImageSource(form), "Source", 10, 10);
    target = Add(new TGreenControl(form), "Target", 200, 10);
    label = Add(new TLabel(form), "Label", 10, 120);
    source->OnStartDrag = TStartDragEvent(&log, &DragLog::Start);
    source->OnEndDrag = TEndDragEvent(&log, &DragLog::End);
    for (TControl* c : std::initializer_list<TControl*>{target, label}) {
      c->OnDragOver = TDragOverEvent(&log, &DragLog::Over);
      c->OnDragDrop = TDragDropEvent(&log, &DragLog::Drop);
    }
    Application->OnException = TExceptionEvent(&log, &DragLog::Failure);
    form->Show();
    Application->ProcessMessages();
  }
  void TearDown() override {
    CancelDrag();
    ReleaseCapture();
    form->Free();
    Application->OnException = nullptr;
    Application->ProcessMessages();
  }
  template <class T>
  T* Add(T* control, const char* name, int x, int y) {
    control->SetName(name);
    control->SetBounds(x, y, 100, 80);
    control->SetParent(form);
    return control;
  }
  POINT On(TControl* c, int x, int y) const { return c->ClientToScreen(POINT{x, y}); }
  void Post(TControl* c, UINT msg, int x, int y) {
    PostMessageA(static_cast<TWinControl*>(c)->Handle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    Application->ProcessMessages();
  }
  // The mouse as the drag's capture window sees it. The cursor is put there
  // too, so that a move the system makes up (after a capture change) is one
  // more at the same point.
  void Drag(UINT msg, POINT screen) {
    SetCursorPos(screen.x, screen.y);
    HWND capture = GetCapture();
    ASSERT_NE(capture, nullptr);
    ScreenToClient(capture, &screen);
    PostMessageA(capture, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(screen.x, screen.y));
    Application->ProcessMessages();
  }
  void StartOverTarget() {
    SetCursorPos(On(source, 20, 20).x, On(source, 20, 20).y);
    source->BeginDrag(true);
    ASSERT_TRUE(source->Dragging());
    Drag(WM_MOUSEMOVE, On(target, 30, 40));
  }
  TForm* form = nullptr;
  TImageSource* source = nullptr;
  TGreenControl* target = nullptr;
  TLabel* label = nullptr;
  DragLog log;
};

TEST_F(DragTest, ADragPastTheThresholdGoesFromControlToControlAndAnEarlierReleaseIsAClick) {
  source->OnMouseDown = TMouseEvent(&log, &DragLog::Press);
  source->OnClick = TNotifyEvent(&log, &DragLog::Click);
  SetCursorPos(On(source, 20, 20).x, On(source, 20, 20).y);
  Post(source, WM_LBUTTONDOWN, 20, 20);
  Post(source, WM_MOUSEMOVE, 24, 23);
  Post(source, WM_LBUTTONUP, 24, 23);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Source click"}));
  EXPECT_FALSE(source->Dragging());

  log.lines.clear();
  Post(source, WM_LBUTTONDOWN, 20, 20);
  Post(source, WM_MOUSEMOVE, 24, 24);
  EXPECT_FALSE(source->Dragging()) << "four pixels are below the threshold";
  Post(source, WM_MOUSEMOVE, 25, 20);
  ASSERT_TRUE(source->Dragging());
  EXPECT_NE(GetCapture(), source->Handle());
  Drag(WM_MOUSEMOVE, On(target, 30, 40));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crDrag));
  Drag(WM_MOUSEMOVE, On(target, 31, 42));
  Drag(WM_LBUTTONUP, On(target, 31, 42));
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "Source start", "Target enter 30,40 from Source", "Target move 30,40 from Source",
                           "Target move 31,42 from Source", "Target leave 31,42 from Source",
                           "Target drop 31,42 from Source", "Source end Target 31,42"}));
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(DragTest, ARefusedDropShowsTheNoDropCursorAndEndsWithoutATarget) {
  log.accept = false;
  StartOverTarget();
  EXPECT_EQ(GetCursor(), Screen->Cursors(crNoDrop));
  Drag(WM_LBUTTONUP, On(target, 30, 40));
  EXPECT_EQ(log.lines.back(), "Source end none 0,0");
  for (const std::string& line : log.lines) EXPECT_EQ(line.find("drop"), std::string::npos) << line;
}

TEST_F(DragTest, EscapeARightPressCancelModeAndALostCaptureCancel) {
  const char* const kWays[] = {"escape", "right press", "cancel mode", "lost capture"};
  for (const char* way : kWays) {
    log.lines.clear();
    StartOverTarget();
    std::string w = way;
    if (w == "escape") PostMessageA(form->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    else if (w == "right press") PostMessageA(GetCapture(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
    else if (w == "cancel mode") SendMessageA(form->Handle(), WM_CANCELMODE, 0, 0);
    else SetCapture(form->Handle());
    Application->ProcessMessages();
    ReleaseCapture();
    EXPECT_FALSE(source->Dragging()) << way;
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Source start", "Target enter 30,40 from Source",
                                                   "Target move 30,40 from Source",
                                                   "Target leave 30,40 from Source", "Source end none 0,0"}))
        << way;
  }
}

TEST_F(DragTest, AGraphicControlIsATargetAndAForeignWindowIsNone) {
  HWND foreign = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 600, 100, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
  StartOverTarget();
  Drag(WM_MOUSEMOVE, On(label, 5, 6));
  Drag(WM_MOUSEMOVE, POINT{620, 120});
  EXPECT_EQ(GetCursor(), Screen->Cursors(crNoDrop));
  Drag(WM_LBUTTONUP, POINT{620, 120});
  DestroyWindow(foreign);
  // A target is left at the last point it saw.
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "Source start", "Target enter 30,40 from Source", "Target move 30,40 from Source",
                           "Target leave 30,40 from Source", "Label enter 5,6 from Source",
                           "Label move 5,6 from Source", "Label leave 5,6 from Source", "Source end none 0,0"}));
}

TEST_F(DragTest, TheImageShowsOnlyOverControlsThatDisplayDragImages) {
  target->SetControlStyle(target->ControlStyle() + TControlStyle{csDisplayDragImage});
  StartOverTarget();
  EXPECT_TRUE(source->images.Dragging());
  EXPECT_EQ(TDragImageList::CurrentDrag(), &source->images);
  Drag(WM_MOUSEMOVE, On(label, 5, 6));
  EXPECT_FALSE(source->images.Dragging());
  Drag(WM_MOUSEMOVE, On(target, 10, 10));
  EXPECT_TRUE(source->images.Dragging());
  Drag(WM_LBUTTONUP, On(target, 10, 10));
  EXPECT_FALSE(source->images.Dragging());
  EXPECT_EQ(TDragImageList::CurrentDrag(), nullptr);
}

TEST_F(DragTest, ASourceFreedByTheDropOrDuringTheDragIsForgotten) {
  log.freeOnDrop = source;
  StartOverTarget();
  Drag(WM_LBUTTONUP, On(target, 30, 40));
  EXPECT_EQ(log.lines.back(), "Target drop 30,40 from Source") << "no end for a source that is gone";
  EXPECT_EQ(GetCapture(), nullptr);

  source = Add(new TImageSource(form), "Source", 10, 10);
  source->OnEndDrag = TEndDragEvent(&log, &DragLog::End);
  log.lines.clear();
  log.freeOnDrop = nullptr;
  StartOverTarget();
  source->Free();
  source = nullptr;
  Application->ProcessMessages();
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Target enter 30,40 from Source", "Target move 30,40 from Source",
                                                 "Target leave 30,40 from object"}))
      << "a drag whose source goes is cancelled";
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(target->Dragging());
}

TEST_F(DragTest, AnExceptionInADragHandlerEndsTheDragCleanly) {
  log.throwOnMove = true;
  StartOverTarget();
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Source start", "Target enter 30,40 from Source",
                                                 "Target move 30,40 from Source", "Target leave 30,40 from Source",
                                                 "Source end none 0,0", "exception over failed"}));
}

TEST_F(DragTest, ASuppliedObjectIsFinishedOnceAndLeftToItsSupplier) {
  bool alive = false;
  auto* object = new TCountingObject(&alive);
  log.supply = object;
  StartOverTarget();
  int asks = object->cursorAsks;
  PostMessageA(form->Handle(), WM_KEYDOWN, VK_CONTROL, 1);
  Application->ProcessMessages();
  EXPECT_GT(object->cursorAsks, asks) << "Ctrl asks for the cursor again";
  Drag(WM_LBUTTONUP, On(target, 30, 40));
  EXPECT_EQ(object->finished, 1);
  EXPECT_EQ(object->finishedOn, target);
  EXPECT_TRUE(alive);
  EXPECT_EQ(log.lines[1], "Target enter 30,40 from object") << "handlers see the object itself";
  delete object;
}

TEST_F(DragTest, AnAutomaticDragStartsAtTheLeftPress) {
  source->SetDragMode(dmAutomatic);
  Post(source, WM_LBUTTONDOWN, 20, 20);
  EXPECT_TRUE(source->Dragging());
  Drag(WM_LBUTTONUP, On(source, 20, 20));
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Source start", "Source end none 0,0"}));
}

TEST(DragCursors, DragCursorsAreTheLibrarysOwn) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR single = Screen->Cursors(crDrag), multi = Screen->Cursors(crMultiDrag);
  EXPECT_NE(single, arrow);
  EXPECT_NE(multi, arrow);
  EXPECT_NE(single, multi);
  // Below the arrow, where an arrow cursor is transparent, the page is drawn.
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(single, &info));
  if (info.hbmColor) DeleteObject(info.hbmColor);
  ScopedGdiObject<HBITMAP> mask(info.hbmMask);
  ScopedMemoryDC dc(mask.Get());
  EXPECT_EQ(GetPixel(dc.Get(), 4, 18), RGB(0, 0, 0)) << "opaque in the AND mask";
  EXPECT_EQ(GetPixel(dc.Get(), 30, 30), RGB(255, 255, 255));
}

}  // namespace
