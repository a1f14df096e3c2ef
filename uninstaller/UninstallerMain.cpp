#include "UninstallerMain.hpp"

#include <exception>

#include "EngineUnits.hpp"
#include "ProductPaths.hpp"
#include "SysUtils.hpp"
#include "UninstallRoutines.hpp"
#include "UninstallStrings.h"
#include "WinApi.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "lib_WindowsOS.hpp"
#include "ui_0__Delete.hpp"

#include <shellapi.h>

AnsiString TemporaryFolder;
AnsiString OwnFolder;
AnsiString ProgramToStart;
AnsiString StartParameters;
AnsiString ProgramsFolder;
unsigned long RemovalTimeoutMs = 120000;

namespace {

void ShowMessage(int textId) {
  MessageBoxA(nullptr, PlainMessageText(LoadStr(textId)).c_str(), LoadStr(IDS_UNINSTALL_CAPTION).c_str(), MB_OK);
}

AnsiString GetTemporaryFolder() {
  char buffer[256] = {};
  DWORD length = GetTempPathA(sizeof(buffer), buffer);
  if (length == 0 || length >= sizeof(buffer)) return AnsiString();
  return AnsiString(buffer, length);
}

// A new folder of its own in the temporary folder, with its trailing
// backslash: nothing of anyone else's is written over there. Empty when
// none can be made.
AnsiString NewFolderIn(const AnsiString& parent) {
  for (DWORD attempt = 0; attempt < 100; ++attempt) {
    const AnsiString folder = AddTrailingBackslash(parent) + "Lumbrix 2008 uninstall " +
                              IntToHex(int(GetCurrentProcessId()), 4) + "-" +
                              IntToHex(int((GetTickCount() + attempt * 7919) & 0xFFFFFF), 6);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + "\\";
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return AnsiString();
}

// Copies itself and the removal program to a new folder in the temporary
// folder and starts the copy with the quoted product folder, which keeps
// its trailing backslash inside the quotes. It does not wait for the copy.
bool RunStage1() {
  // Without a temporary folder there is nowhere safe to run from: never
  // the current folder.
  const AnsiString temporary = GetTemporaryFolder();
  TemporaryFolder = temporary.empty() ? AnsiString() : NewFolderIn(temporary);
  if (TemporaryFolder.empty()) {
    ShowMessage(IDS_UNINSTALL_NO_TEMPORARY_FOLDER);
    return false;
  }
  OwnFolder = ExtractFilePath(ParamStr(0));
  CopyFileChecked(OwnFolder + "uninsts.exe", TemporaryFolder + "uninsts.exe");
  ProgramToStart = TemporaryFolder + "uninstall.exe";
  CopyFileChecked(ParamStr(0), ProgramToStart);
  StartParameters = "\"" + OwnFolder + "\"";
  if (!FileExists(ProgramToStart)) return true;
  const auto started = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, nullptr, ProgramToStart.c_str(),
                                                               StartParameters.c_str(), TemporaryFolder.c_str(),
                                                               SW_SHOWNA));
  // Values up to 32 are errors: nothing was removed, and the user is told.
  if (started > 32) return true;
  ShowMessage(IDS_UNINSTALL_FOLDER_NOT_REMOVED);
  return false;
}

// Starts the removal program and waits for it, a bounded time: it reports
// by its exit code whether the product folder is gone. False when it could
// not be started, did not end in time or failed.
bool RunRemovalProgram() {
  SHELLEXECUTEINFOA info;
  ZeroMemory(&info, sizeof(info));
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = ProgramToStart.c_str();
  info.lpParameters = StartParameters.c_str();
  info.lpDirectory = OwnFolder.c_str();
  info.nShow = SW_SHOWNA;
  if (!ShellExecuteExA(&info) || !info.hProcess) return false;
  DWORD exitCode = 1;
  const bool ended = WaitForSingleObject(info.hProcess, RemovalTimeoutMs) == WAIT_OBJECT_0;
  const bool removed = ended && GetExitCodeProcess(info.hProcess, &exitCode) && exitCode == 0;
  CloseHandle(info.hProcess);
  return removed;
}

// Deletes the temporary copy of the removal program once it has let go of
// its file.
bool DeleteRemovalProgram() {
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (DeleteFileA(ProgramToStart.c_str())) return true;
    Sleep(400);
  }
  return false;
}

// The product's Start-menu folder, once its shortcuts are gone, if nothing
// else is in it; a link or junction there is left alone.
void RemoveEmptyMenuFolder() {
  const AnsiString menu = MenuProductFolder();
  if (menu.empty()) return;
  const AnsiString folder = ExcludeTrailingBackslash(menu);
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    RemoveDirectoryA(folder.c_str());
}

// Hands the product folder to the removal program. The shortcuts and the
// keys go only once it says the product is gone: until then the product
// stays registered and its uninstaller can be run again.
bool RunStage2() {
  OwnFolder = ExtractFilePath(ParamStr(0));
  ProgramToStart = AddTrailingBackslash(OwnFolder) + "uninsts.exe";
  StartParameters = "\"" + ParamStr(1) + "\"";
  ProgramsFolder = GetProgramsFolderPath();
  if (!ProgramsFolder.empty()) StartParameters += " \"" + MenuProductFolder() + "\"";
  // Without the removal program nothing deletes the product folder, and
  // reporting success would leave it behind unnoticed.
  if (!FileExists(ProgramToStart)) {
    ShowMessage(IDS_UNINSTALL_FOLDER_NOT_REMOVED);
    return false;
  }
  const bool removed = RunRemovalProgram();
  DeleteRemovalProgram();
  if (removed) {
    RemoveProductShortcuts();
    RemoveEmptyMenuFolder();
    DeleteProductRegistryKeys();
  }
  ShowMessage(removed ? IDS_UNINSTALL_DONE : IDS_UNINSTALL_FOLDER_NOT_REMOVED);
  return removed;
}

// The library's standard error report; the program ends after it.
void ReportException(const AnsiString& message) {
  MessageBoxA(nullptr, message.c_str(), ExtractFileName(ParamStr(0)).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace

int UninstallerMain() {
  if (!IsAdministrator()) {
    ShowMessage(IDS_UNINSTALL_NO_ADMIN);
    return 0;
  }
  const bool done = ParamCount() == 0 ? RunStage1() : RunStage2();
  return done ? 0 : NotRemovedExitCode;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  int exitCode = 1;
  try {
    InitializeEngineUnits();
    exitCode = UninstallerMain();
  } catch (const Exception& e) {
    ReportException(e.Message());
  } catch (const std::exception& e) {
    ReportException(e.what());
  } catch (...) {
    ReportException("Unknown exception");
  }
  FinalizeUnits();
  return exitCode;
}
