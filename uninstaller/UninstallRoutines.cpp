#include "UninstallRoutines.hpp"

#include "EngineStrings.h"
#include "SysUtils.hpp"
#include "WinApi.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "lib_WindowsOS.hpp"
#include "ui_0__Delete.hpp"

void CopyFileChecked(const AnsiString& source, const AnsiString& destination) {
  if (!FileExists(source)) return;
  if (!CopyFileA(source.c_str(), destination.c_str(), FALSE))
    throw EStreamError("Cannot copy file " + source);
  DWORD attributes = GetFileAttributesA(destination.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(destination.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
}

AnsiString ProductProgramsFolder() {
  return GetSpecialFolderPath(IsWin9x() ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS);
}

void RemoveProductShortcuts() {
  const AnsiString programs = ProductProgramsFolder();
  if (!programs.empty()) {
    const AnsiString folder = AddTrailingBackslash(programs) + "Kestrum\\Lumbrix 2008\\";
    DeleteFileForced(folder + LoadStr(IDS_PRODUCT_SHORTCUT));
    DeleteFileForced(folder + LoadStr(IDS_UNINSTALL_SHORTCUT));
    DeleteFileForced(folder + LoadStr(IDS_TUTORIAL_SHORTCUT));
  }
  const AnsiString desktopLink = AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT);
  if (FileExists(desktopLink)) DeleteFileForced(desktopLink);
}
