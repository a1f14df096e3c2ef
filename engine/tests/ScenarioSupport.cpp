#include "ScenarioSupport.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <shlobj.h>
#include <tlhelp32.h>
#include <winternl.h>

#include "EngineStrings.h"
#include "SysUtils.hpp"
#include "Thread.hpp"
#include "UnRAR.hpp"
#include "i01_0_2__InstallData.hpp"
#include "lib_Method12_ExtractRAR.hpp"
#include "ProductPaths.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "ui_0__Delete.hpp"

namespace enginetest {

namespace {

const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumbrix 2008";

// Receives the worker's termination in the main thread, and the wake-ups
// that tell the main thread something was queued for it.
class TInstallDriver : public TObject {
 public:
  TInstallDriver() : Wake(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
  ~TInstallDriver() override { CloseHandle(Wake); }
  TInstallRun Run;
  bool CancelOnFirstWake = false;
  std::atomic<bool> CancelledOnWake{false};
  HANDLE Wake;

  void OnTerminate(TObject* sender) {
    auto thread = static_cast<InstallThread*>(sender);
    Run.Finished = true;
    Run.Status = thread->Status;
    Run.RarError = thread->RarError;
    Run.TotalBytes = thread->TotalBytes();
    Run.BytesDone = thread->BytesDone();
    Run.TargetAtEnd = ListTree(InstallSettings->TargetFolder);
    Run.CreatedPaths = thread->CreatedPaths();
  }
  // Runs in the worker as it queues something for the main thread. The
  // worker's only Synchronize is its shortcut step: once that is queued,
  // every step has passed its test, so a cancel here comes after the last.
  void OnWake(TObject* sender) {
    if (CancelOnFirstWake && !CancelledOnWake.exchange(true)) static_cast<TThread*>(sender)->Terminate();
    SetEvent(Wake);
  }
};

bool ShouldCancel(TCancel cancel, InstallThread* thread, std::int32_t expectedTotal) {
  switch (cancel) {
    case TCancel::DuringListing: {
      std::int32_t total = thread->TotalBytes();
      return total > 0 && total < expectedTotal;
    }
    case TCancel::DuringExtraction:
      return thread->BytesDone() > 0;
    default:
      return false;
  }
}

}  // namespace

void PrepareEngine(const AnsiString& archive) {
  LoadUnRarLibrary(BuildTreeFile("standins\\unrar\\unrar.dll"));
  ASSERT_TRUE(UnRarLoaded);
  ArchivePath = archive;
  if (!InstallSettings) InstallSettings = new TInstallData();
}

TInstallRun RunInstall(TCancel cancel) {
  TInstallDriver driver;
  std::int32_t expectedTotal = 0;
  if (cancel == TCancel::DuringListing) GetArchiveUnpackedSize(ArchivePath, expectedTotal, "tulbek");
  driver.CancelOnFirstWake = cancel == TCancel::AfterLastStep;
  WakeMainThread = TNotifyEvent(&driver, &TInstallDriver::OnWake);
  InstallThread* thread = new InstallThread(true);
  thread->SetFreeOnTerminate(true);
  thread->OnTerminate = TNotifyEvent(&driver, &TInstallDriver::OnTerminate);
  thread->Resume();
  // The main thread sleeps until the worker queues something for it. Only a
  // cancel that must land in the middle of the listing or the extraction
  // looks at the counters meanwhile, every millisecond or two.
  const bool watching = cancel == TCancel::DuringListing || cancel == TCancel::DuringExtraction;
  const DWORD start = GetTickCount(), limit = 300000;
  while (!driver.Run.Finished && GetTickCount() - start < limit) {
    // The thread object lives until its termination step has run here.
    if (watching && !driver.Run.Cancelled && ShouldCancel(cancel, thread, expectedTotal)) {
      driver.Run.BytesDoneAtCancel = thread->BytesDone();
      driver.Run.TotalBytesAtCancel = thread->TotalBytes();
      driver.Run.Cancelled = true;
      thread->Terminate();
    }
    WaitForSingleObject(driver.Wake, watching && !driver.Run.Cancelled ? 1 : limit);
    CheckSynchronize();
  }
  WakeMainThread = nullptr;
  if (driver.CancelledOnWake) driver.Run.Cancelled = true;
  EXPECT_TRUE(driver.Run.Finished) << "the worker did not end";
  return driver.Run;
}

void Rollback(const TInstallRun& run) {
  RemoveMenuFolderAndShortcuts(255);
  RemoveInstallFolder(InstallSettings->TargetFolder, run.CreatedPaths);
  DeleteProductRegistryKeys();
}

AnsiString DemoPayload() { return BuildTreeFile("payload\\Install.z"); }

AnsiString DefaultTarget() { return AddTrailingBackslash(ProgramFilesFolder) + "Kestrum\\Lumbrix 2008"; }

AnsiString ProgramsFolderOf(bool win9x) {
  char buffer[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, buffer, win9x ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS, FALSE);
  return buffer;
}

AnsiString StartMenuProductFolder(bool win9x) {
  return AddTrailingBackslash(ProgramsFolderOf(win9x)) + "Kestrum\\Lumbrix 2008";
}

void PlaceUsersOwnThings(bool win9x) {
  const AnsiString target = InstallSettings->TargetFolder;
  ASSERT_TRUE(ForceDirectories(target + "\\" + Ansi("Мои сайты\\сайт")));
  WriteFile(target + "\\" + Ansi("Мои заметки.txt"), "notes");
  WriteFile(target + "\\" + Ansi("Мои сайты\\сайт\\index.html"), "site");
  ASSERT_TRUE(ForceDirectories(ExtractFilePath(target) + "Other Product"));
  WriteFile(ExtractFilePath(target) + "Other Product\\other.exe", "other");
  const AnsiString menuMaker = AddTrailingBackslash(ProgramsFolderOf(win9x)) + "Kestrum";
  ASSERT_TRUE(ForceDirectories(menuMaker + "\\Other Product"));
  WriteFile(menuMaker + "\\Other Product\\other.lnk", "link");
  ASSERT_TRUE(ForceDirectories(StartMenuProductFolder(win9x)));
  WriteFile(StartMenuProductFolder(win9x) + "\\" + Ansi("Мой ярлык.lnk"), "the user's own shortcut");
  SetRegistryString(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Other Product", "Path", "C:\\Other");
}

std::vector<AnsiString> UsersOwnFiles() {
  return {Ansi("Мои заметки.txt"), Ansi("Мои сайты\\"), Ansi("Мои сайты\\сайт\\"),
          Ansi("Мои сайты\\сайт\\index.html")};
}

void ExpectUsersOwnThingsKept(bool win9x) {
  const AnsiString target = InstallSettings->TargetFolder;
  EXPECT_EQ(ListTree(target), UsersOwnFiles());
  EXPECT_EQ(ReadFile(target + "\\" + Ansi("Мои сайты\\сайт\\index.html")), "site");
  EXPECT_TRUE(FileThere(ExtractFilePath(target) + "Other Product\\other.exe"));
  EXPECT_TRUE(FileThere(AddTrailingBackslash(ProgramsFolderOf(win9x)) + "Kestrum\\Other Product\\other.lnk"));
  EXPECT_EQ(ListTree(StartMenuProductFolder(win9x)), std::vector<AnsiString>{Ansi("Мой ярлык.lnk")});
  EXPECT_TRUE(RegistryKeyThere(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Other Product"));
}

void ExpectNothingOfTheInstallLeft(bool usersThings, bool win9x) {
  const AnsiString target = InstallSettings->TargetFolder;
  if (usersThings) {
    ExpectUsersOwnThingsKept(win9x);
    EXPECT_TRUE(RegistryKeyThere(HKEY_LOCAL_MACHINE, "Software\\Kestrum"));
  } else {
    EXPECT_FALSE(FolderThere(target));
    EXPECT_FALSE(FolderThere(ExtractFilePath(target))) << "empty maker folder";
    EXPECT_FALSE(FolderThere(AddTrailingBackslash(ProgramsFolderOf(win9x)) + "Kestrum"));
    EXPECT_FALSE(RegistryKeyThere(HKEY_LOCAL_MACHINE, "Software\\Kestrum"));
  }
  for (const AnsiString& name : MenuShortcutNames())
    EXPECT_FALSE(FileThere(StartMenuProductFolder(win9x) + "\\" + name)) << name;
  EXPECT_FALSE(FileThere(AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT)));
  EXPECT_FALSE(RegistryKeyThere(HKEY_LOCAL_MACHINE, "Software\\Kestrum\\Lumbrix 2008"));
  EXPECT_FALSE(RegistryKeyThere(HKEY_LOCAL_MACHINE, UninstallKey));
}

// ---- Message boxes of other processes -----------------------------------------

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(100);
  }
  return true;
}

namespace {

struct TBoxSearch {
  AnsiString Caption;
  HWND Found = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM data) {
  auto search = reinterpret_cast<TBoxSearch*>(data);
  char className[64] = {}, caption[256] = {};
  GetClassNameA(window, className, sizeof(className));
  GetWindowTextA(window, caption, sizeof(caption));
  if (std::string(className) == "#32770" && search->Caption == caption && IsWindowVisible(window)) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindStaticText(HWND child, LPARAM data) {
  char className[64] = {};
  GetClassNameA(child, className, sizeof(className));
  if (AnsiSameText(className, "Static")) {
    char text[2048] = {};
    GetWindowTextA(child, text, sizeof(text));
    if (text[0]) {
      *reinterpret_cast<AnsiString*>(data) = text;
      return FALSE;
    }
  }
  return TRUE;
}

// The command line of another process, from its process parameters.
std::wstring CommandLineOf(DWORD processId) {
  using TQuery = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<TQuery>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process || !query) return std::wstring();
  std::wstring result;
  PROCESS_BASIC_INFORMATION basic{};
  PEB peb{};
  RTL_USER_PROCESS_PARAMETERS parameters{};
  SIZE_T read = 0;
  if (query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) == 0 &&
      ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), &read) &&
      ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters), &read)) {
    result.resize(parameters.CommandLine.Length / sizeof(wchar_t));
    ReadProcessMemory(process, parameters.CommandLine.Buffer, result.data(), parameters.CommandLine.Length, &read);
  }
  CloseHandle(process);
  return result;
}

}  // namespace

TProcessWatch::TProcessWatch(const AnsiString& exeName) : exeName_(exeName) {
  thread_ = CreateThread(nullptr, 0, &TProcessWatch::Watch, this, 0, nullptr);
}

TProcessWatch::~TProcessWatch() { Stop(); }

std::wstring TProcessWatch::Stop() {
  if (thread_) {
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  return seen_;
}

DWORD WINAPI TProcessWatch::Watch(void* param) {
  auto self = static_cast<TProcessWatch*>(param);
  while (!self->stop_ && self->seen_.empty()) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
      if (AnsiSameText(entry.szExeFile, self->exeName_)) {
        self->seen_ = CommandLineOf(entry.th32ProcessID);
        break;
      }
    }
    CloseHandle(snapshot);
    Sleep(5);
  }
  return 0;
}

TMessageBox WaitForMessageBox(const AnsiString& caption, DWORD timeoutMs) {
  TMessageBox box;
  TBoxSearch search{caption};
  WaitUntil([&] {
    search.Found = nullptr;
    EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
    return search.Found != nullptr;
  }, timeoutMs);
  box.Window = search.Found;
  if (!box.Window) return box;
  EnumChildWindows(box.Window, &FindStaticText, reinterpret_cast<LPARAM>(&box.Text));
  GetWindowThreadProcessId(box.Window, &box.ProcessId);
  box.CommandLine = CommandLineOf(box.ProcessId);
  return box;
}

bool WaitForProcessEnd(DWORD processId, DWORD timeoutMs) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (!process) return true;
  const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

void CloseMessageBox(const TMessageBox& box) {
  if (box.Window) PostMessageA(box.Window, WM_COMMAND, IDOK, 0);
}

}  // namespace enginetest
