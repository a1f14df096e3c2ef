// The run-time binding of the visual-styles library and the themed control
// base: which systems get themes, what a library without an entry point
// does, the theme handle's life with the window, and the themed border. The
// NoStyle and ActiveStyle tests run in the theme-state prefix, once with
// Wine's light visual style switched off and once with it on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "ElTmSchema.hpp"
#include "ElWindowTestSupport.hpp"
#include "ElXPThemedControl.hpp"

using eltest::MemoryDC;

namespace {

// ---------------------------------------------------------------- binding

// A stand-in library: which names it exports, and what the binding asked.
struct FakeLibrary {
  bool Loads = true;
  std::set<std::string> Missing;
  std::vector<std::string> Asked;
  std::string LoadedName;
};
FakeLibrary* g_fake = nullptr;

void WINAPI DummyEntry() {}

HMODULE FakeLoad(const char* name) {
  g_fake->LoadedName = name;
  return g_fake->Loads ? GetModuleHandleA(nullptr) : nullptr;
}

FARPROC FakeFind(HMODULE, const char* name) {
  g_fake->Asked.push_back(name);
  if (g_fake->Missing.count(name)) return nullptr;
  return reinterpret_cast<FARPROC>(&DummyEntry);
}

class ThemeBinding : public ::testing::Test {
 protected:
  void SetUp() override { g_fake = &fake; }
  void TearDown() override {
    g_fake = nullptr;
    LoadThemeLibrary();  // the process's real binding again
  }
  void Bind(DWORD platform, DWORD major, DWORD minor) {
    TThemeLibrarySource s;
    s.PlatformId = platform;
    s.MajorVersion = major;
    s.MinorVersion = minor;
    s.Load = &FakeLoad;
    s.Find = &FakeFind;
    BindThemeLibrary(s);
  }
  FakeLibrary fake;
};

TEST_F(ThemeBinding, OnlyTheNtFamilyFromXpOnLoadsTheLibrary) {
  struct Case {
    DWORD Platform, Major, Minor;
    bool Themes;
  } cases[] = {
      {VER_PLATFORM_WIN32_WINDOWS, 4, 90, false},  // Windows Me
      {VER_PLATFORM_WIN32_NT, 4, 0, false},
      {VER_PLATFORM_WIN32_NT, 5, 0, false},  // Windows 2000
      {VER_PLATFORM_WIN32_NT, 5, 1, true},   // XP
      {VER_PLATFORM_WIN32_NT, 6, 0, true},   // a minor version 0 above 5 counts
  };
  for (const Case& c : cases) {
    fake.LoadedName.clear();
    Bind(c.Platform, c.Major, c.Minor);
    EXPECT_EQ(ThemesAvailable, c.Themes) << c.Platform << " " << c.Major << "." << c.Minor;
    EXPECT_EQ(fake.LoadedName, c.Themes ? "uxtheme.dll" : "");
    EXPECT_EQ(OpenThemeData != nullptr, c.Themes);
  }
}

TEST_F(ThemeBinding, LooksUpEveryNameInOrder) {
  Bind(VER_PLATFORM_WIN32_NT, 5, 1);
  ASSERT_EQ(fake.Asked.size(), 47u);
  EXPECT_EQ(ThemeEntryPointCount(), 47);
  EXPECT_EQ(fake.Asked.front(), "IsThemeActive");
  EXPECT_EQ(fake.Asked[2], "OpenThemeData");
  EXPECT_EQ(fake.Asked[24], "GetThemeFileName");
  EXPECT_EQ(fake.Asked.back(), "GetCurrentThemeName");
  EXPECT_EQ(std::set<std::string>(fake.Asked.begin(), fake.Asked.end()).size(), 47u);
}

TEST_F(ThemeBinding, AMissingLibraryLeavesThemesOffAndEveryPointerNil) {
  fake.Loads = false;
  Bind(VER_PLATFORM_WIN32_NT, 6, 1);
  EXPECT_FALSE(ThemesAvailable);
  EXPECT_TRUE(fake.Asked.empty());
  EXPECT_EQ(OpenThemeData, nullptr);
  EXPECT_EQ(DrawThemeBackground, nullptr);
}

// The library comes from the system folder, never from beside the program,
// where a library of any name would be found first by a bare name.
TEST(ThemeLibraryPlace, TheLibraryIsLoadedFromTheSystemFolderOnly) {
  HMODULE planted = LoadLibraryA("elplanted.dll");
  ASSERT_NE(planted, nullptr) << "the planted library should lie beside the test program";
  FreeLibrary(planted);
  const TThemeLibrarySource system = SystemThemeLibrarySource();
  EXPECT_EQ(system.Load("elplanted.dll"), nullptr);
  HMODULE library = system.Load("uxtheme.dll");
  ASSERT_NE(library, nullptr);
  char path[MAX_PATH] = {}, folder[MAX_PATH] = {};
  GetModuleFileNameA(library, path, MAX_PATH);
  GetSystemDirectoryA(folder, MAX_PATH);
  EXPECT_EQ(lstrcmpiA((std::string(folder) + "\\uxtheme.dll").c_str(), path), 0) << path;
}

// A library without one of the entry points the controls call must not
// switch themes on: a control would call through a nil pointer.
TEST_F(ThemeBinding, EveryEntryPointTheControlsCallIsNeeded) {
  for (const char* name : ThemeEntryPointsRequired()) {
    fake.Missing = {name};
    Bind(VER_PLATFORM_WIN32_NT, 5, 1);
    EXPECT_FALSE(ThemesAvailable) << name;
  }
}

// The list above must name every entry point the controls call: each
// source of the controls and the wizard (tests aside) is read, and every
// call of an entry point by its name must find the name in the list.
std::string WithoutLineComments(const std::string& text) {
  std::string out;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) out += line.substr(0, line.find("//")) + "\n";
  return out;
}

bool Calls(const std::string& code, const std::string& name) {
  for (std::size_t at = code.find(name); at != std::string::npos; at = code.find(name, at + 1)) {
    const bool startsWord = at == 0 || !(std::isalnum(static_cast<unsigned char>(code[at - 1])) || code[at - 1] == '_');
    std::size_t next = at + name.size();
    while (next < code.size() && code[next] == ' ') ++next;
    if (startsWord && next < code.size() && code[next] == '(') return true;
  }
  return false;
}

TEST(ThemeBindingList, EveryEntryPointTheControlsCallIsRequired) {
#define EL_THEME_NAME(ret, name, params) #name,
  const std::vector<std::string> all = {EL_UXTHEME_ENTRY_POINTS(EL_THEME_NAME)};
#undef EL_THEME_NAME
  std::set<std::string> required;
  for (const char* name : ThemeEntryPointsRequired()) required.insert(name);
  std::set<std::string> called;
  int files = 0;
  for (const char* folder : {"controls", "wizard"}) {
    const std::filesystem::path root = std::filesystem::path(std::string("Z:") + EL_SOURCE_ROOT) / folder;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      const std::filesystem::path& path = entry.path();
      const std::string ext = path.extension().string();
      const std::string stem = path.stem().string();
      if ((ext != ".cpp" && ext != ".hpp") || stem == "ElUxTheme" || path.parent_path().filename() == "tests")
        continue;
      std::ifstream in(path, std::ios::binary);
      const std::string code = WithoutLineComments(std::string(std::istreambuf_iterator<char>(in), {}));
      ++files;
      for (const std::string& name : all)
        if (Calls(code, name)) {
          called.insert(name);
          EXPECT_TRUE(required.count(name)) << name << " is called in " << path.string();
        }
    }
  }
  EXPECT_GT(files, 50);
  EXPECT_TRUE(called.count("DrawThemeBackground")) << "the sources were read";
}

TEST_F(ThemeBinding, OtherEntryPointsMayBeMissing) {
  fake.Missing = {"GetThemeFileName", "GetThemeDocumentationProperty", "EnableTheming"};
  Bind(VER_PLATFORM_WIN32_NT, 5, 1);
  EXPECT_TRUE(ThemesAvailable);
  EXPECT_EQ(GetThemeFileName, nullptr);
  EXPECT_EQ(EnableTheming, nullptr);
  EXPECT_NE(GetThemeSysColor, nullptr);
}

TEST_F(ThemeBinding, UnitFinishSwitchesThemesOff) {
  Bind(VER_PLATFORM_WIN32_NT, 5, 1);
  ASSERT_TRUE(ThemesAvailable);
  UnloadThemeLibrary();
  EXPECT_FALSE(ThemesAvailable);
  EXPECT_EQ(OpenThemeData, nullptr);
}

// The real binding in this run's prefix: EL_EXPECTED_WINDOWS names the
// version the prefix reports (the ordinary one is NT 6.2).
TEST(ElUxThemeVersions, FollowTheWindowsVersionOfThePrefix) {
  const char* expected = std::getenv("EL_EXPECTED_WINDOWS");
  std::string version = expected ? expected : "nt6.2";
  bool themes = version == "nt6.2" || version == "vista";
  EXPECT_EQ(ThemesAvailable, themes) << version;
  EXPECT_EQ(OpenThemeData != nullptr, themes);
}

// ---------------------------------------------------------------- the control

class TTestThemed : public TElXPThemedControl {
 public:
  explicit TTestThemed(TComponent* owner) : TElXPThemedControl(owner) { SetBounds(10, 10, 80, 60); }
  TElFString ClassList = L"SCROLLBAR";
  int CreateWndCalls = 0;
  int ThemeOpens = 0;
  int ThemeCloses = 0;
  void ResetCounts() { CreateWndCalls = ThemeOpens = ThemeCloses = 0; }

 protected:
  void GetThemedClassName(TElFString& name) override { name = ClassList; }
  void CreateWnd() override {
    ++CreateWndCalls;
    TElXPThemedControl::CreateWnd();
  }
  void CreateThemeHandle() override {
    ++ThemeOpens;
    TElXPThemedControl::CreateThemeHandle();
  }
  void FreeThemeHandle() override {
    ++ThemeCloses;
    TElXPThemedControl::FreeThemeHandle();
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(clWhite);
    Canvas()->FillRect(ClientRect());
  }
};

class ThemedControl : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    control = new TTestThemed(Owner());
    control->SetParent(Form());
  }
  // Paints the non-client area now and reads a pixel of it back.
  COLORREF BorderPixel(int x, int y) {
    SendMessageA(control->Handle(), WM_NCPAINT, 1, 0);
    return eltest::WindowPixel(control->Handle(), x, y);
  }
  TTestThemed* control = nullptr;
};

TEST_F(ThemedControl, OpensTheThemeWithItsWindow) {
  control->SetParent(nullptr);
  control->ResetCounts();
  EXPECT_TRUE(control->UseXPThemes());
  EXPECT_FALSE(control->HandleAllocated());
  EXPECT_EQ(control->ThemeOpens, 0);
  EXPECT_FALSE(control->IsThemeApplied());
  control->SetParent(Form());
  EXPECT_EQ(control->CreateWndCalls, 1);
  EXPECT_EQ(control->ThemeOpens, 1);
}

TEST_F(ThemedControl, SwitchingOnWithoutAWindowOnlyStoresTheFlag) {
  control->SetParent(nullptr);
  control->ResetCounts();
  control->SetUseXPThemes(false);
  control->SetUseXPThemes(true);
  EXPECT_EQ(control->ThemeOpens, 0);
  EXPECT_EQ(control->ThemeCloses, 0);
  EXPECT_EQ(control->CreateWndCalls, 0);
  control->SetParent(Form());
  EXPECT_EQ(control->ThemeOpens, 1);
}

TEST_F(ThemedControl, SwitchingOnAShownControlRecreatesItsWindow) {
  ASSERT_TRUE(ThemesAvailable);
  ASSERT_EQ(control->CreateWndCalls, 1);
  control->SetUseXPThemes(false);
  EXPECT_EQ(control->CreateWndCalls, 2);
  EXPECT_FALSE(control->IsThemeApplied());
  EXPECT_EQ(control->Theme(), nullptr);
  int opens = control->ThemeOpens;
  control->SetUseXPThemes(false);  // unchanged: nothing happens
  EXPECT_EQ(control->CreateWndCalls, 2);
  control->SetUseXPThemes(true);
  EXPECT_EQ(control->CreateWndCalls, 3);
  EXPECT_GT(control->ThemeOpens, opens);
}

TEST_F(ThemedControl, ThemeChangeIsAnsweredOneAndIgnoredWithThemesOff) {
  control->SetUseXPThemes(false);
  int opens = control->ThemeOpens, closes = control->ThemeCloses;
  EXPECT_EQ(SendMessageA(control->Handle(), WM_THEMECHANGED, 0, 0), 1);
  EXPECT_EQ(control->ThemeOpens, opens);
  EXPECT_EQ(control->ThemeCloses, closes);
  control->SetUseXPThemes(true);
  opens = control->ThemeOpens;
  closes = control->ThemeCloses;
  EXPECT_EQ(SendMessageA(control->Handle(), WM_THEMECHANGED, 0, 0), 1);
  EXPECT_EQ(control->ThemeOpens, opens + 1);
  EXPECT_EQ(control->ThemeCloses, closes + 1);
}

TEST_F(ThemedControl, SwitchedOffItPaintsTheLibraryBorder) {
  control->SetColor(clLime);
  control->SetBorderWidth(6);
  control->SetUseXPThemes(false);
  EXPECT_EQ(BorderPixel(2, 30), RGB(0, 255, 0));
}

// ---------------------------------------------------------------- handles closed on every way out

// Entry points that count the handles they hand out and take back; the
// drawing calls draw nothing.
int g_opened = 0, g_closed = 0;
HTHEME WINAPI CountingOpen(HWND, LPCWSTR) { return reinterpret_cast<HTHEME>(static_cast<INT_PTR>(0x1000 + ++g_opened)); }
HRESULT WINAPI CountingClose(HTHEME) {
  ++g_closed;
  return S_OK;
}
HRESULT WINAPI NoBackground(HTHEME, HDC, int, int, const RECT*, const RECT*) { return E_NOTIMPL; }
HRESULT WINAPI NoEdge(HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*) { return E_NOTIMPL; }

class CountedThemes : public eltest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    g_opened = g_closed = 0;
    ThemesAvailable = true;
    OpenThemeData = &CountingOpen;
    CloseThemeData = &CountingClose;
    DrawThemeBackground = &NoBackground;
    DrawThemeEdge = &NoEdge;
  }
  void TearDown() override {
    WindowTest::TearDown();
    LoadThemeLibrary();  // the process's real binding again
  }
};

// Switches themes off when a component it owns goes, which happens while
// the control itself is being destroyed and its window still exists.
class TSwitchedOffWhenFreed : public TTestThemed {
 public:
  explicit TSwitchedOffWhenFreed(TComponent* owner) : TTestThemed(owner), partner_(new TComponent(this)) {
    partner_->FreeNotification(this);
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TTestThemed::Notification(component, operation);
    if (operation != opRemove || component != partner_) return;
    partner_ = nullptr;
    SetUseXPThemes(false);
  }

 private:
  TComponent* partner_;
};

TEST_F(CountedThemes, AThemeSwitchedOffWhileTheControlIsFreedIsClosed) {
  auto* control = new TSwitchedOffWhenFreed(Owner());
  control->SetVisible(false);
  control->SetParent(Form());
  control->HandleNeeded();
  ASSERT_TRUE(control->IsThemeApplied());
  control->Free();
  EXPECT_EQ(g_opened, 1);
  EXPECT_EQ(g_closed, 1);
}

TEST_F(CountedThemes, AThemeOpenedBeforeThemesWereUnboundIsClosed) {
  auto* control = new TTestThemed(Owner());
  control->SetVisible(false);
  control->SetParent(Form());
  control->HandleNeeded();
  ASSERT_EQ(g_opened, 1);
  UnloadThemeLibrary();  // the unit finish: themes off, entry points nil
  control->Free();
  EXPECT_EQ(g_closed, 1);
}

TEST(ElUxThemeDrawing, AClassThatCannotBeOpenedDrawsNothing) {
  MemoryDC dc(20, 20, RGB(1, 2, 3));
  RECT r{0, 0, 20, 20};
  EXPECT_EQ(DrawThemedBackground(L"NOSUCHTHEMECLASS", dc.Get(), 1, 1, r, nullptr), E_NOTIMPL);
  EXPECT_EQ(dc.Pixel(10, 10), RGB(1, 2, 3));
}

// ---------------------------------------------------------------- theme states

using eltest::ThemeState;

// Runs only in the theme-state run whose prefix has the visual style in the
// given state.
template <ThemeState State>
class InThemeState : public ThemedControl {
 protected:
  void SetUp() override {
    if (eltest::ExpectedThemeState() != State) GTEST_SKIP() << "runs in the theme-state prefixes";
    ThemedControl::SetUp();
  }
};
using NoStyle = InThemeState<ThemeState::Off>;
using ActiveStyle = InThemeState<ThemeState::Active>;

// OpenThemeData gives no handle: the control keeps the library's border,
// filled with its colour, and the drawing routine reports E_NOTIMPL.
TEST_F(NoStyle, TheControlStaysUnthemed) {
  control->SetColor(clLime);
  control->SetBorderWidth(6);
  EXPECT_TRUE(ThemesAvailable);
  EXPECT_GE(control->ThemeOpens, 1);
  EXPECT_FALSE(control->IsThemeApplied());
  EXPECT_EQ(BorderPixel(2, 30), RGB(0, 255, 0));
  MemoryDC dc(20, 20, RGB(1, 2, 3));
  RECT r{0, 0, 20, 20};
  EXPECT_EQ(DrawThemedBackground(L"SCROLLBAR", dc.Get(), SBP_ARROWBTN, ABS_UPNORMAL, r, nullptr), E_NOTIMPL);
  EXPECT_EQ(dc.Pixel(10, 10), RGB(1, 2, 3));
}

TEST_F(ActiveStyle, EachWindowGetsItsOwnThemeHandle) {
  auto* second = new TTestThemed(Owner());
  second->ClassList = L"EDIT";
  second->SetBounds(100, 10, 80, 60);
  second->SetParent(Form());
  ASSERT_TRUE(control->IsThemeApplied());
  ASSERT_TRUE(second->IsThemeApplied());
  EXPECT_EQ(GetWindowTheme(control->Handle()), control->Theme());
  EXPECT_EQ(GetWindowTheme(second->Handle()), second->Theme());
  EXPECT_NE(control->Theme(), second->Theme());
}

TEST_F(ActiveStyle, TheHandleFollowsTheWindowAndTheSwitch) {
  ASSERT_TRUE(control->IsThemeApplied());
  control->SetUseXPThemes(false);
  EXPECT_FALSE(control->IsThemeApplied());
  EXPECT_EQ(control->Theme(), nullptr);
  EXPECT_EQ(GetWindowTheme(control->Handle()), nullptr);
  control->SetUseXPThemes(true);
  EXPECT_TRUE(control->IsThemeApplied());
  EXPECT_EQ(GetWindowTheme(control->Handle()), control->Theme());
  // Reopened when the system theme changes.
  int closes = control->ThemeCloses;
  EXPECT_EQ(SendMessageA(control->Handle(), WM_THEMECHANGED, 0, 0), 1);
  EXPECT_EQ(control->ThemeCloses, closes + 1);
  EXPECT_TRUE(control->IsThemeApplied());
}

TEST_F(ActiveStyle, DestroyingTheWindowClosesTheTheme) {
  ASSERT_TRUE(control->IsThemeApplied());
  int closes = control->ThemeCloses;
  control->SetParent(nullptr);  // the window goes with the parent link
  EXPECT_FALSE(control->HandleAllocated());
  EXPECT_EQ(control->ThemeCloses, closes + 1);
  EXPECT_EQ(control->Theme(), nullptr);
  control->SetParent(Form());
  EXPECT_TRUE(control->IsThemeApplied());
}

// The border width is painted with the theme's background instead of the
// control's colour; switched off, the library paints the colour again.
TEST_F(ActiveStyle, TheBorderIsPaintedByTheTheme) {
  control->SetColor(clLime);
  control->SetBorderWidth(6);
  ASSERT_TRUE(control->IsThemeApplied());
  EXPECT_NE(BorderPixel(2, 30), RGB(0, 255, 0));
  control->SetUseXPThemes(false);
  EXPECT_EQ(BorderPixel(2, 30), RGB(0, 255, 0));
}

TEST_F(ActiveStyle, TheBevelEdgeIsDrawnByTheTheme) {
  control->SetColor(clLime);
  control->SetBevelKind(bkFlat);
  control->SetBevelInner(bvNone);
  control->SetBevelOuter(bvRaised);
  control->SetBevelWidth(2);
  ASSERT_TRUE(control->IsThemeApplied());
  RECT rc;
  GetClientRect(control->Handle(), &rc);
  EXPECT_EQ(rc.right, 80 - 4);
  EXPECT_NE(BorderPixel(0, 30), RGB(0, 255, 0));
  control->SetUseXPThemes(false);
  EXPECT_NE(BorderPixel(0, 30), BorderPixel(1, 30));  // the library's own edge
}

TEST_F(ActiveStyle, DrawThemedBackgroundPaintsTheClassPart) {
  MemoryDC dc(20, 20, RGB(1, 2, 3));
  RECT r{0, 0, 20, 20};
  EXPECT_EQ(DrawThemedBackground(L"SCROLLBAR", dc.Get(), SBP_ARROWBTN, ABS_UPNORMAL, r, nullptr), S_OK);
  EXPECT_NE(dc.Pixel(10, 10), RGB(1, 2, 3));
}

}  // namespace
