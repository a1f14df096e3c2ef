#include "UninstallerMain.hpp"

#include "EngineUnits.hpp"
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

namespace {

void ShowMessage(int textId) {
  MessageBoxA(nullptr, LoadStr(textId).c_str(), LoadStr(IDS_UNINSTALL_CAPTION).c_str(), MB_OK);
}

AnsiString GetTemporaryFolder() {
  char buffer[256] = {};
  DWORD length = GetTempPathA(sizeof(buffer), buffer);
  if (length == 0 || length >= sizeof(buffer)) return AnsiString();
  return AnsiString(buffer, length);
}

// Neither stage waits for the program it starts.
void StartProgram(const AnsiString& workingFolder) {
  if (!FileExists(ProgramToStart)) return;
  ShellExecuteA(nullptr, nullptr, ProgramToStart.c_str(), StartParameters.c_str(),
                workingFolder.c_str(), SW_SHOWNA);
}

// Copies itself and the removal program to the temporary folder and starts
// the copy with the quoted product folder, which keeps its trailing
// backslash inside the quotes.
void RunStage1() {
  TemporaryFolder = GetTemporaryFolder();
  OwnFolder = ExtractFilePath(ParamStr(0));
  CopyFileChecked(OwnFolder + "uninsts.exe", AddTrailingBackslash(TemporaryFolder) + "uninsts.exe");
  ProgramToStart = AddTrailingBackslash(TemporaryFolder) + "uninstall.exe";
  CopyFileChecked(ParamStr(0), ProgramToStart);
  StartParameters = "\"" + OwnFolder + "\"";
  StartProgram(TemporaryFolder);
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

void RunStage2() {
  RemoveProductShortcuts();
  DeleteProductRegistryKeys();
  OwnFolder = ExtractFilePath(ParamStr(0));
  ProgramToStart = AddTrailingBackslash(OwnFolder) + "uninsts.exe";
  StartParameters = "\"" + ParamStr(1) + "\"";
  ProgramsFolder = ProductProgramsFolder();
  if (!ProgramsFolder.empty())
    StartParameters += " \"" + AddTrailingBackslash(ProgramsFolder) + "Kestrum\\Lumbrix 2008\\\"";
  // Without the removal program nothing deletes the product folder, and
  // reporting success would leave it behind unnoticed.
  if (!FileExists(ProgramToStart)) {
    ShowMessage(IDS_UNINSTALL_FOLDER_NOT_REMOVED);
    return;
  }
  StartProgram(OwnFolder);
  Sleep(1000);
  DeleteRemovalProgram();
  ShowMessage(IDS_UNINSTALL_DONE);
}

}  // namespace

void UninstallerMain() {
  if (!IsAdministrator()) {
    ShowMessage(IDS_UNINSTALL_NO_ADMIN);
    return;
  }
  if (ParamCount() == 0)
    RunStage1();
  else
    RunStage2();
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitializeEngineUnits();
  int exitCode = 0;
  try {
    UninstallerMain();
  } catch (const Exception& e) {
    // The standard error report; the program ends after it.
    MessageBoxA(nullptr, e.Message().c_str(), ExtractFileName(ParamStr(0)).c_str(), MB_OK | MB_ICONERROR);
    exitCode = 1;
  }
  FinalizeUnits();
  return exitCode;
}
