// Windows of controls: the order of overlapping siblings, recreation of a
// shown form, Showing, cursors shown at once, the 3-D look passed down, and
// context menus over graphic controls.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ControlsTestSupport.hpp"
#include "Menus.hpp"

namespace {

// A pop-up menu that records where it would pop up instead of running a
// modal menu loop.
class TRecordingPopup : public TPopupMenu {
 public:
  explicit TRecordingPopup(TComponent* owner) : TPopupMenu(owner) {}
  std::vector<POINT> shownAt;
  void Popup(int x, int y) override { shownAt.push_back(POINT{x, y}); }
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application, 0);
    form->SetBorderStyle(bsNone);
    form->SetBounds(150, 150, 300, 200);
    lower = new TGreenControl(form);
    lower->SetName("Lower");
    lower->SetBounds(20, 20, 120, 80);
    lower->SetParent(form);
    upper = new TGreenControl(form);
    upper->SetName("Upper");
    upper->SetBounds(80, 50, 120, 80);
    upper->SetParent(form);
    label = new TLabel(form);
    label->SetAutoSize(false);
    label->SetBounds(20, 150, 100, 30);
    label->SetParent(form);
  }
  void TearDown() override {
    form->Free();
    Application->CancelHint();
  }
  // The child window on top at a point of the form's client area.
  HWND TopChildAt(int x, int y) {
    return ChildWindowFromPointEx(form->Handle(), POINT{x, y}, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
  }
  TForm* form = nullptr;
  TGreenControl* lower = nullptr;
  TGreenControl* upper = nullptr;
  TLabel* label = nullptr;
};

TEST_F(WindowTest, OverlappingSiblingsKeepTheOrderOfTheControlsList) {
  lower->Hide();
  form->Show();
  ASSERT_FALSE(lower->HandleAllocated());
  // Shown after its sibling, the lower control still goes below it.
  lower->Show();
  ASSERT_TRUE(lower->HandleAllocated());
  EXPECT_EQ(TopChildAt(100, 70), upper->Handle());
  // Recreated, it goes back to its place too.
  HWND old = lower->Handle();
  lower->RecreateWnd();
  ASSERT_NE(lower->Handle(), old);
  EXPECT_EQ(TopChildAt(100, 70), upper->Handle());
  // The tab order is separate: changing it moves no window.
  lower->SetTabOrder(1);
  EXPECT_EQ(upper->TabOrder(), 0);
  EXPECT_EQ(lower->TabOrder(), 1);
  EXPECT_EQ(TopChildAt(100, 70), upper->Handle());
  EXPECT_EQ(form->Controls(0), lower);
  std::vector<TWinControl*> tabs;
  form->GetTabOrderList(tabs);
  EXPECT_EQ(tabs, (std::vector<TWinControl*>{upper, lower}));
  // Bringing a control to the front changes both the list and the windows.
  lower->BringToFront();
  EXPECT_EQ(TopChildAt(100, 70), lower->Handle());
  EXPECT_EQ(form->Controls(form->ControlCount() - 1), lower);
}

TEST_F(WindowTest, RecreatingAShownFormBringsItBackShown) {
  form->SetCaption("Recreated");
  form->Show();
  HWND old = form->Handle();
  HWND oldChild = lower->Handle();
  form->SetBorderStyle(bsSingle);  // a style change recreates the window
  ASSERT_TRUE(form->HandleAllocated());
  HWND now = form->Handle();
  EXPECT_NE(now, old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_TRUE(IsWindowVisible(now));
  EXPECT_TRUE(form->Showing());
  EXPECT_NE(GetWindowLongA(now, GWL_STYLE) & WS_CAPTION, 0);
  char caption[32] = {};
  GetWindowTextA(now, caption, sizeof caption);
  EXPECT_STREQ(caption, "Recreated");
  // The children come back inside the new window, at their places.
  ASSERT_TRUE(lower->HandleAllocated());
  EXPECT_NE(lower->Handle(), oldChild);
  EXPECT_EQ(GetParent(lower->Handle()), now);
  EXPECT_TRUE(IsWindowVisible(lower->Handle()));
  EXPECT_EQ(RectInParent(lower->Handle()).left, 20);
  // A hidden form is recreated on demand only, and stays hidden.
  form->Hide();
  form->SetBorderStyle(bsNone);
  EXPECT_FALSE(form->Showing());
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
}

TEST_F(WindowTest, ShowingFollowsTheControlAndItsParents) {
  EXPECT_FALSE(upper->Showing());
  EXPECT_FALSE(label->Showing());
  form->Show();
  EXPECT_TRUE(form->Showing());
  EXPECT_TRUE(upper->Showing());
  EXPECT_TRUE(label->Showing());
  upper->Hide();
  label->Hide();
  EXPECT_FALSE(upper->Showing());
  EXPECT_FALSE(label->Showing());
  upper->Show();
  label->Show();
  form->Hide();
  EXPECT_FALSE(upper->Showing());
  EXPECT_FALSE(label->Showing());
}

TEST_F(WindowTest, ACursorChangeShowsAtOnceUnderTheMouse) {
  form->Show();
  SetCursorPos(150 + 50, 150 + 160);  // over the label
  Application->DoIdle();
  label->SetCursor(crHandPoint);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHandPoint));
  label->SetCursor(crSizeAll);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crSizeAll));
  // A control elsewhere changes nothing under the mouse.
  upper->SetCursor(crIBeam);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crSizeAll));
  // A windowed control under the mouse alike.
  SetCursorPos(150 + 190, 150 + 100);
  Application->DoIdle();
  upper->SetCursor(crHourGlass);
  EXPECT_EQ(GetCursor(), Screen->Cursors(crHourGlass));
}

TEST_F(WindowTest, TheThreeDLookPassesDownToChildrenThatFollowTheirParent) {
  auto* follower = new TMemo(form);
  follower->SetParent(form);
  auto* ownLook = new TMemo(form);
  ownLook->SetParent(form);
  ownLook->SetParentCtl3D(false);
  form->Show();
  ASSERT_NE(GetWindowLongA(follower->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  form->SetCtl3D(false);
  EXPECT_FALSE(follower->Ctl3D());
  EXPECT_TRUE(follower->ParentCtl3D());
  EXPECT_EQ(GetWindowLongA(follower->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_TRUE(ownLook->Ctl3D());
  EXPECT_NE(GetWindowLongA(ownLook->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  // A control put on a flat parent later takes the look too.
  auto* late = new TMemo(form);
  late->SetParent(form);
  EXPECT_FALSE(late->Ctl3D());
}

struct PopupLog {
  int asked = 0;
  bool handle = false;
  POINT at{};
  void Asked(TObject*, POINT pos, bool& handled) {
    ++asked;
    at = pos;
    handled = handle;
  }
};

TEST_F(WindowTest, ARightClickOnALabelOpensItsPopupMenu) {
  auto* labelMenu = new TRecordingPopup(form);
  auto* formMenu = new TRecordingPopup(form);
  label->SetPopupMenu(labelMenu);
  form->SetPopupMenu(formMenu);
  PopupLog log;
  label->OnContextPopup = TContextPopupEvent(&log, &PopupLog::Asked);
  form->Show();
  HWND wnd = form->Handle();
  // A right click: the form's window makes the WM_CONTEXTMENU.
  SendMessageA(wnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 160));
  SendMessageA(wnd, WM_RBUTTONUP, 0, MAKELPARAM(30, 160));
  EXPECT_EQ(log.asked, 1);
  EXPECT_EQ(log.at.x, 10);  // in the label's coordinates
  EXPECT_EQ(log.at.y, 10);
  ASSERT_EQ(labelMenu->shownAt.size(), 1u);
  EXPECT_EQ(labelMenu->shownAt[0].x, 150 + 30);
  EXPECT_EQ(labelMenu->shownAt[0].y, 150 + 160);
  EXPECT_EQ(labelMenu->PopupComponent(), label);
  EXPECT_TRUE(formMenu->shownAt.empty());
  // OnContextPopup may take it over.
  log.handle = true;
  SendMessageA(wnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(150 + 30, 150 + 160));
  EXPECT_EQ(log.asked, 2);
  EXPECT_EQ(labelMenu->shownAt.size(), 1u);
  EXPECT_TRUE(formMenu->shownAt.empty());
  // Elsewhere on the form, the form's own menu.
  SendMessageA(wnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(150 + 250, 150 + 180));
  EXPECT_EQ(formMenu->shownAt.size(), 1u);
  EXPECT_EQ(formMenu->PopupComponent(), form);
}

}  // namespace

// ---------------------------------------------------------------------------
// Windows of another program built on the library: their mark is an address
// in that program, never a control of this one. The test runs a second copy
// of this test program that holds a form until it is told to end.

namespace {

constexpr char kHolderVariable[] = "CLASSLIB_FOREIGN_FORM_FILE";

// The event that ends the holder, named after the file's name: a kernel
// object's name holds no backslash, so the path itself cannot serve.
std::string EndEventName(const std::string& file) {
  return file.substr(file.find_last_of('\\') + 1) + ".end";
}

TEST(ForeignWindowHolder, HoldsAFormUntilToldToEnd) {
  const char* file = std::getenv(kHolderVariable);
  if (!file) GTEST_SKIP() << "runs as the other program of ForeignWindows";
  // The other side made the event before it started this program.
  HANDLE end = OpenEventA(SYNCHRONIZE, FALSE, EndEventName(file).c_str());
  ASSERT_NE(end, nullptr) << "no event " << EndEventName(file) << ", error " << GetLastError();
  auto* form = new TForm(Application, 0);
  form->SetBorderStyle(bsNone);
  form->SetBounds(30, 30, 100, 80);
  form->Show();
  if (FILE* out = std::fopen(file, "w")) {
    std::fprintf(out, "%llu", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(form->Handle())));
    std::fclose(out);
  }
  while (WaitForSingleObject(end, 20) == WAIT_TIMEOUT) Application->ProcessMessages();
  CloseHandle(end);
  form->Free();
}

TEST(ForeignWindows, AnotherProgramsFormIsNoControlOfOurs) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string file = std::string(temp) + "classlib_foreign_" + std::to_string(GetCurrentProcessId());
  std::remove(file.c_str());
  HANDLE end = CreateEventA(nullptr, TRUE, FALSE, EndEventName(file).c_str());
  ASSERT_NE(end, nullptr) << GetLastError();
  SetEnvironmentVariableA(kHolderVariable, file.c_str());
  std::string command = std::string("\"") + exe + "\" --gtest_filter=ForeignWindowHolder.*";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableA(kHolderVariable, nullptr);
  ASSERT_TRUE(started);
  unsigned long long value = 0;
  bool read = PumpUntil([&] {
    FILE* in = std::fopen(file.c_str(), "r");
    if (!in) return false;
    bool ok = std::fscanf(in, "%llu", &value) == 1;
    std::fclose(in);
    return ok;
  }, 30000);
  HWND foreign = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
  if (read) {
    EXPECT_TRUE(IsWindow(foreign));
    EXPECT_EQ(TWinControl::FindControl(foreign), nullptr);
    EXPECT_EQ(FindVCLWindow(POINT{60, 60}), nullptr);
  }
  SetEvent(end);
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(end);
  std::remove(file.c_str());
  EXPECT_TRUE(read) << "the other program never showed its form";
}

}  // namespace
