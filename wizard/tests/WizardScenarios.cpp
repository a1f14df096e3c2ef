// The setup wizard end to end: install.exe started from a media folder of its
// own (with unrar.dll beside it), walked by posted clicks as a user would walk
// it, and the machine looked at afterwards. Every test runs alone in a fresh
// Wine prefix on a display of its own (run-wizard-scenarios.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "EngineStrings.h"
#include "ProductPaths.hpp"
#include "ScenarioSupport.hpp"
#include "SysUtils.hpp"
#include "WizardDriver.hpp"
#include "i01_0_2__InstallData.hpp"
#include "lib_WindowsFileSystem.hpp"

using namespace enginetest;
using wizdrive::TPage;
using wizdrive::TWizard;

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumbrix 2008";
// install.exe's exit codes.
const DWORD Installed = 0, Cancelled = 1, InstallFailed = 2, StartupRefused = 3;
const DWORD PageTimeout = 60000;
const DWORD InstallTimeout = 240000;

std::wstring Wide(const AnsiString& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, out.data(), n);
  return out;
}

AnsiString Ansi(const std::wstring& s) {
  int n = WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_ACP, 0, s.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

std::string RegistryText(HKEY root, const AnsiString& key, const AnsiString& name) {
  bool found = false;
  std::string bytes = RegistryBytes(root, key, name, found);
  EXPECT_TRUE(found) << key << " " << name;
  return bytes;
}

// Where the tests leave their screenshots: beside the test program.
AnsiString ScreenFile(const AnsiString& name) {
  const AnsiString folder = ProgramFolder() + "scenario-screens";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\" + name + ".bmp";
}

AnsiString TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  AnsiString name = AnsiString(info->test_suite_name()) + "." + info->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

class WizardScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!InstallSettings) InstallSettings = new TInstallData();
    // The wizard binds the unrar.dll of its own folder: a media folder as
    // the product ships it.
    ASSERT_TRUE(CopyFileA(BuildTreeFile("wizard\\install.exe").c_str(), (media_ / "install.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(BuildTreeFile("standins\\unrar\\unrar.dll").c_str(), (media_ / "unrar.dll").c_str(), FALSE));
  }

  void Start(const AnsiString& archive) {
    process_ = std::make_unique<wizdrive::TProcess>();
    ASSERT_TRUE(process_->Start(L"\"" + Wide(media_ / "install.exe") + L"\" \"" + Wide(archive) + L"\""));
    wizard_ = std::make_unique<TWizard>(process_->Id());
  }

  // Waits for the page and checks what every page shares.
  void Expect(TPage page, DWORD timeoutMs = PageTimeout) {
    ASSERT_TRUE(wizard_->WaitFor(page, timeoutMs))
        << "waited for " << wizdrive::PageName(page) << ", shown: " << wizdrive::PageName(wizard_->Current());
    const auto& w = wizard_->Windows();
    EXPECT_TRUE(w.TopBar && w.BottomBar && w.Close) << wizdrive::PageName(page) << " lacks its frame";
    EXPECT_TRUE(IsWindowVisible(w.Close)) << wizdrive::PageName(page);
  }

  void Forward() { ASSERT_TRUE(wizard_->ClickForward()) << wizdrive::PageName(wizard_->Current()); }

  // Welcome, Licence and Ready, each checked by its structure, then the
  // forward click that starts the install.
  void WalkToInstall() {
    ASSERT_NO_FATAL_FAILURE(Expect(TPage::Welcome));
    ASSERT_NO_FATAL_FAILURE(Forward());
    ASSERT_NO_FATAL_FAILURE(Expect(TPage::Licence));
    EXPECT_TRUE(IsWindowVisible(wizard_->Windows().LicenceEdit));
    EXPECT_TRUE(IsWindowVisible(wizard_->Windows().Disagree));
    ASSERT_NO_FATAL_FAILURE(Forward());
    ASSERT_NO_FATAL_FAILURE(Expect(TPage::Ready));
    EXPECT_TRUE(IsWindowVisible(wizard_->Windows().SelectFolder));
    ASSERT_NO_FATAL_FAILURE(Forward());
  }

  // The program ends by itself, without a crash, with the exit code.
  void ExpectEnded(DWORD exitCode, DWORD timeoutMs = PageTimeout) {
    ASSERT_TRUE(process_->WaitForEnd(timeoutMs)) << "install.exe is still running on the "
                                                 << wizdrive::PageName(wizard_->Current()) << " page";
    EXPECT_EQ(process_->ExitCode(), exitCode);
  }

  // Waits for the bar to show progress and returns its width then.
  int WaitForProgress() {
    int width = 0;
    EXPECT_TRUE(wizdrive::WaitUntil([&] {
      if (wizard_->Current() != TPage::Installing) return false;
      width = wizdrive::WindowWidth(wizard_->Windows().Bar);
      return width > 0;
    }, InstallTimeout, 5)) << "the bar never moved; shown: " << wizdrive::PageName(wizard_->Current());
    return width;
  }

  TScratchFolder media_{"media"};
  std::unique_ptr<wizdrive::TProcess> process_;
  std::unique_ptr<TWizard> wizard_;
};

void ExpectProductInstalled() {
  const AnsiString target = InstallSettings->TargetFolder;
  const AnsiString t = target + "\\";
  EXPECT_TRUE(FileThere(t + "uninstall.exe"));
  EXPECT_TRUE(FileThere(t + "kv4.exe"));
  EXPECT_TRUE(FileThere(t + "Storage\\Tutorial\\index.htm"));
  EXPECT_TRUE(FileThere(t + "uninstall.lst"));
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName"), "Kestrum Lumbrix 2008");
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"), "\"" + t + "uninstall.exe\"");
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Lumbrix 2008", "Lumbrix2008Path"), target);
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, ".qzarc", ""), "Kestrum.Archive");
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, "Kestrum.Archive\\DefaultIcon", ""), t + "qzarc.ico");
  const AnsiString menu = StartMenuProductFolder(false) + "\\";
  EXPECT_EQ(ReadShortcut(menu + LoadStr(IDS_PRODUCT_SHORTCUT)).Path, t + "kv4.exe");
  EXPECT_EQ(ReadShortcut(menu + LoadStr(IDS_UNINSTALL_SHORTCUT)).Path, t + "uninstall.exe");
  EXPECT_EQ(ReadShortcut(menu + LoadStr(IDS_TUTORIAL_SHORTCUT)).Path, t + "Storage\\Tutorial\\index.htm");
  EXPECT_EQ(ReadShortcut(AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT)).Path, t + "kv4.exe");
}

void ExpectNothingInstalled() {
  EXPECT_FALSE(FolderThere(InstallSettings->TargetFolder));
  EXPECT_FALSE(RegistryKeyThere(HKEY_LOCAL_MACHINE, UninstallKey));
  EXPECT_FALSE(RegistryKeyThere(HKEY_LOCAL_MACHINE, "Software\\Kestrum"));
  EXPECT_FALSE(FolderThere(AddTrailingBackslash(ProgramsFolderOf(false)) + "Kestrum"));
}

}  // namespace

// ---- The main road --------------------------------------------------------------

TEST_F(WizardScenario, WalkFromWelcomeToFinishInstallsTheProduct) {
  Start(DemoPayload());
  ASSERT_NO_FATAL_FAILURE(WalkToInstall());
  ASSERT_NO_FATAL_FAILURE(Expect(TPage::Installing));
  const auto& w = wizard_->Windows();
  EXPECT_FALSE(w.ForwardVisible);
  const int full = wizdrive::WindowWidth(w.Track);
  EXPECT_GT(full, 0);
  // The bar only grows, and never past its track, until the Finish page.
  int last = 0;
  std::vector<int> widths;
  wizdrive::WaitUntil([&] {
    if (wizard_->Current() != TPage::Installing) return true;
    const int width = wizdrive::WindowWidth(wizard_->Windows().Bar);
    if (width >= 0) {
      EXPECT_GE(width, last);
      EXPECT_LE(width, full);
      if (width != last) widths.push_back(width);
      last = width;
    }
    return false;
  }, InstallTimeout, 5);
  ASSERT_NO_FATAL_FAILURE(Expect(TPage::Finish));
  EXPECT_TRUE(wizard_->Windows().ForwardVisible);
  ExpectProductInstalled();
  // Finish's forward button ends the program and leaves the product.
  ASSERT_NO_FATAL_FAILURE(Forward());
  ASSERT_NO_FATAL_FAILURE(ExpectEnded(Installed));
  ExpectProductInstalled();
}

TEST_F(WizardScenario, DisagreeOnTheLicenceEndsWithoutInstalling) {
  Start(DemoPayload());
  ASSERT_NO_FATAL_FAILURE(Expect(TPage::Welcome));
  ASSERT_NO_FATAL_FAILURE(Forward());
  ASSERT_NO_FATAL_FAILURE(Expect(TPage::Licence));
  ASSERT_TRUE(wizard_->ClickDisagree());
  ASSERT_NO_FATAL_FAILURE(ExpectEnded(Cancelled));
  ExpectNothingInstalled();
}

TEST_F(WizardScenario, CloseEndsTheProgramOnWelcomeLicenceAndReady) {
  for (TPage page : {TPage::Welcome, TPage::Licence, TPage::Ready}) {
    SCOPED_TRACE(wizdrive::PageName(page));
    Start(DemoPayload());
    for (TPage on : {TPage::Welcome, TPage::Licence, TPage::Ready}) {
      ASSERT_NO_FATAL_FAILURE(Expect(on));
      if (on == page) break;
      ASSERT_NO_FATAL_FAILURE(Forward());
    }
    ASSERT_TRUE(wizard_->ClickClose());
    ASSERT_NO_FATAL_FAILURE(ExpectEnded(Cancelled));
  }
  ExpectNothingInstalled();
}

// The taskbar button's Close and the task list's end reach the program's
// application window, not the host: both end the program as the close tab
// does.
TEST_F(WizardScenario, TheTaskbarsCloseEndsTheProgramOnWelcome) {
  for (bool sysCommand : {true, false}) {
    SCOPED_TRACE(sysCommand ? "WM_SYSCOMMAND SC_CLOSE" : "WM_CLOSE");
    Start(DemoPayload());
    ASSERT_NO_FATAL_FAILURE(Expect(TPage::Welcome));
    ASSERT_TRUE(wizard_->CloseApplicationWindow(sysCommand));
    ASSERT_NO_FATAL_FAILURE(ExpectEnded(Cancelled));
  }
  ExpectNothingInstalled();
}

// A start-up that refuses shows the Error page and ends with its own code.
TEST_F(WizardScenario, ARefusedStartUpEndsWithItsOwnCode) {
  Start(media_ / "no such archive.z");
  ASSERT_NO_FATAL_FAILURE(Expect(TPage::Error));
  ASSERT_TRUE(wizard_->ClickClose());
  ASSERT_NO_FATAL_FAILURE(ExpectEnded(StartupRefused));
  ASSERT_TRUE(DeleteFileA((media_ / "unrar.dll").c_str()));
  Start(DemoPayload());
  ASSERT_NO_FATAL_FAILURE(Expect(TPage::Error));
  ASSERT_TRUE(wizard_->ClickClose());
  ASSERT_NO_FATAL_FAILURE(ExpectEnded(StartupRefused));
  ExpectNothingInstalled();
}

// ---- Cancel ---------------------------------------------------------------------------

// A payload of many files, so that the install is still extracting when the
// bar first moves; the scenario runner packs it once per build folder.
AnsiString LargePayload() { return BuildTreeFile("wizard\\scenario-payloads\\large.z"); }

class WizardCancel : public WizardScenario, public ::testing::WithParamInterface<const char*> {};

TEST_P(WizardCancel, DuringExtractionRollsBackAndEnds) {
  ASSERT_TRUE(FileThere(LargePayload())) << LargePayload() << " (made by run-wizard-scenarios.sh)";
  PlaceUsersOwnThings();
  Start(LargePayload());
  ASSERT_NO_FATAL_FAILURE(WalkToInstall());
  const int width = WaitForProgress();
  const int full = wizdrive::WindowWidth(wizard_->Windows().Track);
  ASSERT_LT(width, full / 2) << "the extraction was too far on to cancel";
  const std::string by = GetParam();
  if (by == "close_button") {
    ASSERT_TRUE(wizard_->ClickClose());
  } else if (by == "wm_close") {
    ASSERT_TRUE(wizard_->CloseHost());
  } else {
    ASSERT_TRUE(wizard_->CloseApplicationWindow(by == "taskbar_sc_close"));
  }
  // No page follows a cancel: the rollback, then the end of the program.
  ASSERT_NO_FATAL_FAILURE(ExpectEnded(Cancelled, InstallTimeout));
  ExpectNothingOfTheInstallLeft(true);
}

// The close button; WM_CLOSE to the host (Alt+F4, the end of the session);
// the taskbar's Close, WM_SYSCOMMAND SC_CLOSE or WM_CLOSE to the
// application's window. Each must act as a cancel and never end the
// program under the running worker.
INSTANTIATE_TEST_SUITE_P(By, WizardCancel,
                         ::testing::Values("close_button", "wm_close", "taskbar_sc_close", "taskbar_wm_close"),
                         [](const auto& info) { return std::string(info.param); });

// ---- Failures: the Error page, then the rollback ---------------------------------------------

enum class TFailure { DamagedPayload, WrongPassword, ArchiveDeletedAfterStartUp };

class WizardFailure : public WizardScenario, public ::testing::WithParamInterface<TFailure> {
 protected:
  // A small archive of its own with the product's programs' names.
  AnsiString SmallArchive(const AnsiString& password) {
    const AnsiString source = scratch_ / "src";
    ForceDirectories(source + "\\Storage");
    WriteFile(source + "\\kv4.exe", std::string(70000, 'k'));
    WriteFile(source + "\\Storage\\data.bin", std::string(3 * 1024 * 1024, 'd'));
    PackFolder(source, scratch_ / "Install.z", {password});
    return scratch_ / "Install.z";
  }

  TScratchFolder scratch_{"failure"};
};

TEST_P(WizardFailure, ShowsTheErrorPageAndLeavesNothingOfTheInstall) {
  AnsiString archive;
  switch (GetParam()) {
    case TFailure::DamagedPayload: {
      archive = SmallArchive("tulbek");
      std::string bytes = ReadFile(archive);
      bytes[bytes.size() / 2] ^= 0x33;
      WriteFile(archive, bytes);
      break;
    }
    case TFailure::WrongPassword:
      archive = SmallArchive("not-tulbek");
      break;
    case TFailure::ArchiveDeletedAfterStartUp:
      archive = scratch_ / "Install.z";
      ASSERT_TRUE(CopyFileA(DemoPayload().c_str(), archive.c_str(), FALSE));
      break;
  }
  PlaceUsersOwnThings();
  Start(archive);
  ASSERT_NO_FATAL_FAILURE(Expect(TPage::Welcome));
  wizdrive::TShot welcome;
  ASSERT_TRUE(wizdrive::TakeShot(wizard_->Windows().Host, welcome));
  RECT forward{};
  GetWindowRect(wizard_->Windows().Forward, &forward);
  RECT host{};
  GetWindowRect(wizard_->Windows().Host, &host);
  OffsetRect(&forward, -host.left, -host.top);
  if (GetParam() == TFailure::ArchiveDeletedAfterStartUp) {
    ASSERT_TRUE(DeleteFileA(archive.c_str()));
  }

  ASSERT_NO_FATAL_FAILURE(WalkToInstall());
  ASSERT_NO_FATAL_FAILURE(Expect(TPage::Error, InstallTimeout));
  EXPECT_FALSE(wizard_->Windows().Track);
  EXPECT_FALSE(wizard_->Windows().ForwardVisible);
  // The screen agrees: the page is painted, and where Welcome showed the
  // forward button the Error page shows the bar beneath.
  wizdrive::TShot error;
  ASSERT_TRUE(wizdrive::TakeShot(wizard_->Windows().Host, error));
  EXPECT_TRUE(wizdrive::SaveShot(error, Wide(ScreenFile(TestName()))));
  ASSERT_EQ(error.Width, welcome.Width);
  ASSERT_EQ(error.Height, welcome.Height);
  EXPECT_GE(error.Colours(64), 16u) << "a blank page";
  int differing = 0, inside = 0;
  for (int y = forward.top; y < forward.bottom; ++y)
    for (int x = forward.left; x < forward.right; ++x, ++inside)
      if (error.At(x, y) != welcome.At(x, y)) ++differing;
  EXPECT_GT(differing * 4, inside) << "the forward button still shows";

  // The Error page stays until the user closes it; the rollback has run.
  Sleep(500);
  EXPECT_TRUE(process_->Running());
  ASSERT_TRUE(wizard_->ClickClose());
  ASSERT_NO_FATAL_FAILURE(ExpectEnded(InstallFailed));
  ExpectNothingOfTheInstallLeft(true);
}

INSTANTIATE_TEST_SUITE_P(By, WizardFailure,
                         ::testing::Values(TFailure::DamagedPayload, TFailure::WrongPassword,
                                           TFailure::ArchiveDeletedAfterStartUp),
                         [](const auto& info) {
                           switch (info.param) {
                             case TFailure::DamagedPayload: return "DamagedPayload";
                             case TFailure::WrongPassword: return "WrongPassword";
                             default: return "ArchiveDeletedAfterStartUp";
                           }
                         });

// ---- The folder page ---------------------------------------------------------------------

class WizardFolder : public WizardScenario {
 protected:
  // Welcome, Licence, Ready, then "Выбрать папку": the folder page, its
  // tree opened on the desktop.
  void WalkToFolderPage() {
    ASSERT_NO_FATAL_FAILURE(Expect(TPage::Welcome));
    ASSERT_NO_FATAL_FAILURE(Forward());
    ASSERT_NO_FATAL_FAILURE(Expect(TPage::Licence));
    ASSERT_NO_FATAL_FAILURE(Forward());
    ASSERT_NO_FATAL_FAILURE(Expect(TPage::Ready));
    ASSERT_TRUE(wizard_->ClickSelectFolder());
    ASSERT_NO_FATAL_FAILURE(Expect(TPage::Folder));
    EXPECT_TRUE(wizard_->Windows().ForwardVisible);
    ASSERT_TRUE(wizard_->Windows().FolderView);
    std::wstring text;
    ASSERT_TRUE(wizdrive::ReadText(Edit(), text));
    EXPECT_GT(text.size(), 13u);
    EXPECT_EQ(text.substr(text.size() - 13), L"\\Lumbrix 2008") << "the desktop is selected";
  }
  HWND Edit() { return wizard_->Windows().FolderEdit; }
  // Down keys to the tree's rows until the edit names the folder.
  void DownUntil(const std::wstring& text) {
    std::wstring last;
    ASSERT_TRUE(wizdrive::PostKeysUntilText(wizard_->Windows().FolderView, Edit(), {VK_DOWN}, text, 60, last))
        << "the edit stopped at " << Ansi(last) << ", not " << Ansi(text);
  }
  void Open() { ASSERT_TRUE(wizdrive::PostKeys(wizard_->Windows().FolderView, {VK_RIGHT})); }
  void InstallsInto(const std::wstring& folder) {
    InstallSettings->TargetFolder = Ansi(folder);
    ASSERT_NO_FATAL_FAILURE(Forward());
    ASSERT_NO_FATAL_FAILURE(Expect(TPage::Finish, InstallTimeout));
    ExpectProductInstalled();
    ASSERT_NO_FATAL_FAILURE(Forward());
    ASSERT_NO_FATAL_FAILURE(ExpectEnded(Installed));
  }
};

TEST_F(WizardFolder, AFolderChosenInTheTreeByKeysGetsTheProduct) {
  ASSERT_TRUE(CreateDirectoryW(L"C:\\Мои программы", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  // A name wider than the tree, shown when its folder is opened.
  const std::wstring wide = L"C:\\Мои программы\\Папка с очень длинным именем, шире дерева на странице выбора папки";
  ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
  Start(DemoPayload());
  ASSERT_NO_FATAL_FAILURE(WalkToFolderPage());
  // The computer (no folder: the edit empties), the drive, the folder.
  ASSERT_NO_FATAL_FAILURE(DownUntil(L""));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_NO_FATAL_FAILURE(DownUntil(L"C:\\Lumbrix 2008"));
  ASSERT_NO_FATAL_FAILURE(Open());
  ASSERT_NO_FATAL_FAILURE(DownUntil(L"C:\\Мои программы\\Lumbrix 2008"));
  ASSERT_TRUE(wizard_->WaitFor(TPage::Folder));
  wizdrive::TShot shot;
  ASSERT_TRUE(wizdrive::TakeShot(wizard_->Windows().Host, shot));
  EXPECT_TRUE(wizdrive::SaveShot(shot, Wide(ScreenFile(TestName() + "-chosen"))));
  // Opening the folder shows its wide child; the selection stays. (Sent, so
  // that it has been handled when the send returns.)
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutW(wizard_->Windows().FolderView, WM_KEYDOWN, VK_RIGHT, 1, SMTO_NORMAL, PageTimeout,
                                  &result));
  ASSERT_TRUE(wizard_->WaitFor(TPage::Folder));
  ASSERT_TRUE(wizdrive::TakeShot(wizard_->Windows().Host, shot));
  EXPECT_TRUE(wizdrive::SaveShot(shot, Wide(ScreenFile(TestName() + "-opened"))));
  std::wstring text;
  ASSERT_TRUE(wizdrive::ReadText(Edit(), text));
  EXPECT_EQ(text, L"C:\\Мои программы\\Lumbrix 2008");
  ASSERT_NO_FATAL_FAILURE(InstallsInto(L"C:\\Мои программы\\Lumbrix 2008"));
}

TEST_F(WizardFolder, ATypedRelativeFolderIsRefusedThenATypedOneInstalls) {
  Start(DemoPayload());
  ASSERT_NO_FATAL_FAILURE(WalkToFolderPage());
  ASSERT_TRUE(wizdrive::SetText(Edit(), L"Lumbrix 2008"));
  ASSERT_NO_FATAL_FAILURE(Forward());
  HWND box = nullptr;
  ASSERT_TRUE(wizdrive::WaitUntil([&] { return (box = wizdrive::FindMessageBox(process_->Id())) != nullptr; },
                                  PageTimeout));
  EXPECT_EQ(GetWindow(box, GW_OWNER), wizard_->Windows().Host) << "the host owns the message";
  std::wstring text;
  ASSERT_TRUE(wizdrive::ReadMessageBox(box, text));
  EXPECT_EQ(text.rfind(L"Укажите папку полностью: с буквой диска", 0), 0u) << Ansi(text);
  ASSERT_TRUE(wizdrive::CloseMessageBox(box));
  ASSERT_TRUE(wizdrive::WaitUntil([&] { return !IsWindow(box); }, PageTimeout));
  // The page stays, the edit as typed, nothing installed.
  ASSERT_NO_FATAL_FAILURE(Expect(TPage::Folder));
  ASSERT_TRUE(wizdrive::ReadText(Edit(), text));
  EXPECT_EQ(text, L"Lumbrix 2008");
  ExpectNothingInstalled();
  const std::wstring typed = L"C:\\Программы Кеструма\\Лумбрикс";
  ASSERT_TRUE(wizdrive::SetText(Edit(), typed));
  ASSERT_NO_FATAL_FAILURE(InstallsInto(typed));
}
