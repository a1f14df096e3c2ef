// Keyboard, wheel and click handling, reflected notifications, moving a
// windowed control between parents and recreating its window.
#include <gtest/gtest.h>

#include "ControlsTestSupport.hpp"

namespace {

// Records key events and the CN_ messages it gets; may change keys.
class TKeyControl : public TGreenControl {
 public:
  explicit TKeyControl(TComponent* owner) : TGreenControl(owner) {}
  std::vector<std::string> Log;
  bool Wheel = false;
  void Dispatch(TMessage& m) override {
    if (m.Msg >= CN_BASE && m.Msg < CN_BASE + 0x400) Log.push_back("CN " + std::to_string(m.Msg - CN_BASE));
    TGreenControl::Dispatch(m);
  }

 protected:
  void KeyDown(Word& key, TShiftState shift) override {
    Log.push_back("down " + std::to_string(key));
    if (key == 'Q') {  // swallowed before the event
      key = 0;
      return;
    }
    TGreenControl::KeyDown(key, shift);
  }
  void KeyPress(char& key) override {
    Log.push_back(std::string("press ") + key);
    if (key == 'a') key = 'b';
    TGreenControl::KeyPress(key);
  }
  bool DoMouseWheel(TShiftState, int delta, POINT) override {
    Log.push_back("wheel " + std::to_string(delta));
    return Wheel;
  }
};

struct EventRecorder {
  std::vector<std::string> lines;
  void Press(TObject*, char& key) { lines.push_back(std::string("event ") + key); }
  void Down(TObject*, Word& key, TShiftState) { lines.push_back("event down " + std::to_string(key)); }
  void FormWheel(TObject*, TShiftState, int delta, POINT, bool& handled) {
    lines.push_back("form wheel " + std::to_string(delta));
    handled = true;
  }
  void Click(TObject*) { lines.push_back("click"); }
  void DblClick(TObject*) { lines.push_back("dblclick"); }
  void MouseDown(TObject*, TMouseButton b, TShiftState s, int x, int y) {
    lines.push_back("mousedown " + std::to_string(int(b)) + (s.Contains(ssDouble) ? " double" : "") + " " +
                    std::to_string(x) + "," + std::to_string(y));
  }
};

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    form->SetBorderStyle(bsNone);
    form->SetBounds(80, 80, 300, 200);
    control = new TKeyControl(form);
    control->SetName("Keys");
    control->SetBounds(10, 10, 100, 80);
    control->SetParent(form);
    form->Show();
  }
  void TearDown() override { form->Free(); }
  TForm* form = nullptr;
  TKeyControl* control = nullptr;
  EventRecorder rec;
};

TEST_F(InputTest, KeysGoThroughTheVirtualHandlersToTheEvents) {
  control->OnKeyPress = TKeyPressEvent(&rec, &EventRecorder::Press);
  control->OnKeyDown = TKeyEvent(&rec, &EventRecorder::Down);
  SendMessageA(control->Handle(), WM_KEYDOWN, 'Z', 0);
  SendMessageA(control->Handle(), WM_KEYDOWN, 'Q', 0);
  SendMessageA(control->Handle(), WM_CHAR, 'a', 0);
  EXPECT_EQ(control->Log, (std::vector<std::string>{"down 90", "down 81", "press a"}));
  // The swallowed key never reaches the event; the changed character does.
  EXPECT_EQ(rec.lines, (std::vector<std::string>{"event down 90", "event b"}));
}

// Holds the mouse and wants Escape, as a control dragging something does.
class TCaptureHolder : public TKeyControl {
 public:
  explicit TCaptureHolder(TComponent* owner) : TKeyControl(owner) {}
  void Dispatch(TMessage& m) override {
    if (m.Msg == CN_KEYDOWN && m.WParam == VK_ESCAPE) {
      Log.push_back("escape");
      m.Result = 1;
      return;
    }
    TKeyControl::Dispatch(m);
  }
};

TEST_F(InputTest, AKeyDownGoesFirstToTheControlHoldingTheCapture) {
  auto* holder = new TCaptureHolder(form);
  holder->SetBounds(150, 10, 100, 80);
  holder->SetParent(form);
  holder->SetMouseCapture(true);
  ASSERT_EQ(GetCapture(), holder->Handle());
  PostMessageA(control->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(control->Handle(), WM_KEYDOWN, 'Z', 1);
  Application->ProcessMessages();
  holder->SetMouseCapture(false);
  PostMessageA(control->Handle(), WM_KEYDOWN, 'Y', 1);
  Application->ProcessMessages();
  // The holder answered Escape, which went no further; it let Z pass, which
  // the window it was sent to got once; without the capture it hears nothing.
  EXPECT_EQ(holder->Log, (std::vector<std::string>{"escape", "CN 256"}));
  std::vector<std::string> downs;
  for (const std::string& line : control->Log)
    if (line.rfind("down", 0) == 0) downs.push_back(line);
  EXPECT_EQ(downs, (std::vector<std::string>{"down 90", "down 89"}));
}

TEST_F(InputTest, AnUnhandledWheelGoesToTheParent) {
  form->OnMouseWheel = TMouseWheelEvent(&rec, &EventRecorder::FormWheel);
  SendMessageA(control->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(100, 100));
  EXPECT_EQ(control->Log, (std::vector<std::string>{"wheel 120"}));
  EXPECT_EQ(rec.lines, (std::vector<std::string>{"form wheel 120"}));
  control->Wheel = true;
  SendMessageA(control->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(100, 100));
  EXPECT_EQ(rec.lines.size(), 1u);
}

struct WheelNotches {
  std::vector<std::string> lines;
  bool take = false;
  void Down(TObject*, TShiftState, POINT p, bool& handled) { Note("down", p, handled); }
  void Up(TObject*, TShiftState, POINT p, bool& handled) { Note("up", p, handled); }
  void Note(const char* what, POINT p, bool& handled) {
    lines.push_back(std::string(what) + " " + std::to_string(p.x) + "," + std::to_string(p.y));
    handled = take;
  }
};

TEST_F(InputTest, TheWheelFiresOneUpOrDownPerWholeNotch) {
  WheelNotches notches;
  control->OnMouseWheelDown = TMouseWheelUpDownEvent(&notches, &WheelNotches::Down);
  control->OnMouseWheelUp = TMouseWheelUpDownEvent(&notches, &WheelNotches::Up);
  form->OnMouseWheel = TMouseWheelEvent(&rec, &EventRecorder::FormWheel);
  HWND w = control->Handle();
  SendMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), MAKELPARAM(120, 95));
  EXPECT_EQ(notches.lines, (std::vector<std::string>{"down 120,95", "down 120,95"}));
  EXPECT_EQ(rec.lines, (std::vector<std::string>{"form wheel -240"})) << "unanswered, it goes to the parent";
  // Half notches add up; the notch that completes them is taken.
  notches.lines.clear();
  rec.lines.clear();
  notches.take = true;
  SendMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), MAKELPARAM(120, 95));
  EXPECT_TRUE(notches.lines.empty());
  SendMessageA(w, WM_MOUSEWHEEL, MAKEWPARAM(0, 60), MAKELPARAM(120, 95));
  EXPECT_EQ(notches.lines, (std::vector<std::string>{"up 120,95"}));
  EXPECT_EQ(rec.lines, (std::vector<std::string>{"form wheel 60"}));
}

struct AppWindowHook {
  std::vector<std::string> lines;
  bool consume = false;
  void Hook(TMessage& m, bool& handled) {
    if (m.Msg == CM_APPKEYDOWN) lines.push_back("key " + std::to_string(m.WParam));
    else if (m.Msg == CM_APPSYSCOMMAND)
      lines.push_back("syscommand " + std::to_string(m.WParam) + " " + std::to_string(m.LParam));
    else return;
    handled = consume;
    m.Result = consume ? 1 : 0;
  }
};

TEST_F(InputTest, KeysInTheProgramsWindowsAreOfferedToTheApplicationFirst) {
  AppWindowHook hook;
  Application->HookMainWindow(TWindowHook(&hook, &AppWindowHook::Hook));
  HWND foreign = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  PostMessageA(control->Handle(), WM_KEYDOWN, 'Z', 1);
  PostMessageA(foreign, WM_KEYDOWN, 'X', 1);
  Application->ProcessMessages();
  hook.consume = true;
  PostMessageA(control->Handle(), WM_KEYDOWN, 'Y', 1);
  Application->ProcessMessages();
  // The menu key of a form that is not the main form goes there through the
  // application.
  SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  Application->UnhookMainWindow(TWindowHook(&hook, &AppWindowHook::Hook));
  PostMessageA(control->Handle(), WM_KEYDOWN, 'W', 1);
  Application->ProcessMessages();
  DestroyWindow(foreign);
  EXPECT_EQ(hook.lines, (std::vector<std::string>{"key 90", "key 89", "syscommand " + std::to_string(SC_KEYMENU) + " 102"}));
  std::vector<std::string> downs;
  for (const std::string& line : control->Log)
    if (line.rfind("down", 0) == 0) downs.push_back(line);
  EXPECT_EQ(downs, (std::vector<std::string>{"down 90", "down 87"})) << "a consumed key goes no further";
}

// Records the form's activation as its controls hear it.
template <class Base>
class TActivationLog : public Base {
 public:
  explicit TActivationLog(TComponent* owner) : Base(owner) {}
  std::vector<std::string>* Log = nullptr;
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_ACTIVATE) Log->push_back("activate " + this->Name());
    if (m.Msg == CM_DEACTIVATE) Log->push_back("deactivate " + this->Name());
    Base::Dispatch(m);
  }
};

TEST_F(InputTest, TheFormPassesItsActivationOnToControlsAtEveryDepth) {
  std::vector<std::string> log;
  auto* outer = new TActivationLog<TGreenControl>(form);
  outer->SetName("Outer");
  outer->SetControlStyle(outer->ControlStyle() + TControlStyle{csAcceptsControls});
  outer->SetBounds(150, 10, 120, 120);
  outer->SetParent(form);
  auto* inner = new TActivationLog<TLabel>(form);
  inner->SetName("Inner");
  inner->SetParent(outer);
  outer->Log = inner->Log = &log;
  SendMessageA(form->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  log.clear();
  SendMessageA(form->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  SendMessageA(form->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"activate Outer", "activate Inner", "deactivate Outer", "deactivate Inner"}));
}

TEST_F(InputTest, DoubleClicksNeedCsDoubleClicks) {
  control->OnClick = TNotifyEvent(&rec, &EventRecorder::Click);
  control->OnDblClick = TNotifyEvent(&rec, &EventRecorder::DblClick);
  control->OnMouseDown = TMouseEvent(&rec, &EventRecorder::MouseDown);
  HWND w = control->Handle();
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(3, 4));
  SendMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 4));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(3, 4));
  EXPECT_EQ(rec.lines, (std::vector<std::string>{"mousedown 0 3,4", "click", "dblclick", "mousedown 0 double 3,4"}));
  // Without csDoubleClicks the second press is an ordinary one, with a click.
  rec.lines.clear();
  control->SetControlStyle(control->ControlStyle() - TControlStyle{csDoubleClicks});
  SendMessageA(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 4));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(3, 4));
  EXPECT_EQ(rec.lines, (std::vector<std::string>{"mousedown 0 3,4", "click"}));
  // A release outside the client area is no click.
  rec.lines.clear();
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(500, 4));
  EXPECT_EQ(rec.lines, (std::vector<std::string>{"mousedown 0 3,4"}));
}

TEST_F(InputTest, NotificationsAreReflectedToTheChildButScrollMessagesAreNot) {
  HWND w = control->Handle();
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(w));
  NMHDR hdr{w, 0, 0};
  SendMessageA(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr));
  SendMessageA(form->Handle(), WM_VSCROLL, 4, reinterpret_cast<LPARAM>(w));
  EXPECT_EQ(control->Log, (std::vector<std::string>{"CN " + std::to_string(WM_COMMAND),
                                                    "CN " + std::to_string(WM_NOTIFY)}));
}

TEST_F(InputTest, MovingAWindowedControlToAnotherFormKeepsItsWindowAndChildren) {
  auto* label = new TLabel(form);
  label->SetParent(control);
  auto* host = new TForm(Application, 0);
  host->SetBorderStyle(bsNone);
  host->Show();
  HWND w = control->Handle();
  control->SetParent(host);
  EXPECT_EQ(control->Handle(), w);
  EXPECT_EQ(GetParent(w), host->Handle());
  EXPECT_EQ(label->Parent(), control);
  EXPECT_EQ(control->GetParentForm(), host);
  // Freeing its owner takes it out of the host.
  form->Free();
  form = nullptr;
  EXPECT_EQ(host->ControlCount(), 0);
  EXPECT_FALSE(IsWindow(w));
  host->Free();
  form = new TForm(Application, 0);
}

TEST_F(InputTest, RecreatingTheWindowKeepsTextAndChildren) {
  auto* child = new TGreenControl(form);
  child->SetParent(control);
  control->SetText("kept");
  HWND old = control->Handle();
  HWND oldChild = child->Handle();
  control->RecreateWnd();
  EXPECT_NE(control->Handle(), old);
  EXPECT_FALSE(IsWindow(oldChild));
  ASSERT_TRUE(child->HandleAllocated());
  EXPECT_EQ(GetParent(child->Handle()), control->Handle());
  EXPECT_EQ(control->Text(), "kept");
  EXPECT_EQ(RectInParent(control->Handle()).left, 10);
}

TEST_F(InputTest, CursorOfTheControlUnderTheMouseIsShown) {
  auto* shape = new TShape(form);
  shape->SetBounds(150, 10, 50, 50);
  shape->SetCursor(crHandPoint);
  shape->SetParent(form);
  SetCursorPos(80 + 160, 80 + 20);
  SendMessageA(form->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  // Screen.Cursor overrides every control.
  Screen->SetCursor(crHourGlass);
  SendMessageA(form->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form->Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHourGlass));
  Screen->SetCursor(crDefault);
}

}  // namespace

namespace {

struct PreviewForm : TForm {
  explicit PreviewForm(TComponent* owner) : TForm(owner, 0) {}
  std::vector<Word> seen;

 protected:
  void KeyDown(Word& key, TShiftState shift) override {
    seen.push_back(key);
    if (key == VK_ESCAPE) key = 0;
    TForm::KeyDown(key, shift);
  }
};

TEST(Keyboard, KeyPreviewLetsTheFormSeeKeysFirst) {
  auto* form = new PreviewForm(Application);
  auto* control = new TKeyControl(form);
  control->SetParent(form);
  form->Show();
  SendMessageA(control->Handle(), WM_KEYDOWN, 'A', 0);
  EXPECT_TRUE(form->seen.empty());
  form->SetKeyPreview(true);
  SendMessageA(control->Handle(), WM_KEYDOWN, 'B', 0);
  SendMessageA(control->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(form->seen, (std::vector<Word>{'B', VK_ESCAPE}));
  // The form swallowed Escape: the control never saw it.
  EXPECT_EQ(control->Log, (std::vector<std::string>{"down 65", "down 66"}));
  form->Free();
}

TEST(Keyboard, AltAndTheAcceleratorFocusTheLabelsControl) {
  EXPECT_TRUE(IsAccel('n', "&Name"));
  EXPECT_FALSE(IsAccel('a', "R&&D"));
  EXPECT_TRUE(IsAccel('d', "R&&&D"));
  auto* form = new TForm(Application, 0);
  auto* a = new TKeyControl(form);
  auto* b = new TKeyControl(form);
  a->SetParent(form);
  b->SetParent(form);
  auto* label = new TLabel(form);
  label->SetCaption("&Second");
  label->SetFocusControl(b);
  label->SetParent(form);
  form->Show();
  SetForegroundWindow(form->Handle());
  a->SetFocus();
  SendMessageA(a->Handle(), WM_SYSCHAR, 'x', 0x20000000);
  EXPECT_TRUE(a->Focused());
  SendMessageA(a->Handle(), WM_SYSCHAR, 's', 0x20000000);
  EXPECT_TRUE(b->Focused());
  form->Free();
}

TEST(Keyboard, AFreedFocusedControlIsForgottenByItsForm) {
  auto* form = new TForm(Application, 0);
  auto* a = new TKeyControl(form);
  auto* b = new TKeyControl(form);
  a->SetParent(form);
  b->SetParent(form);
  form->Show();
  SetForegroundWindow(form->Handle());
  a->SetFocus();
  ASSERT_EQ(form->ActiveControl(), a);
  std::vector<std::string> entered;
  struct Enter {
    std::vector<std::string>* log;
    void Entered(TObject*) { log->push_back("b entered"); }
  } enter{&entered};
  b->OnEnter = TNotifyEvent(&enter, &Enter::Entered);
  a->Free();
  EXPECT_EQ(form->ActiveControl(), nullptr);
  b->SetFocus();
  EXPECT_EQ(entered, std::vector<std::string>{"b entered"});
  form->Free();
}

}  // namespace
