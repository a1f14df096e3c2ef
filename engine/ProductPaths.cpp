#include "ProductPaths.hpp"

#include "EngineStrings.h"
#include "SysUtils.hpp"
#include "WinApi.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "lib_WindowsOS.hpp"

#include <shlobj.h>

const char* const ProductSubfolder = "Kestrum\\Lumbrix 2008";
const char* const MakerFolderName = "Kestrum";
const char* const ProductKey = "\\Software\\Kestrum\\Lumbrix 2008";
const char* const MakerKey = "\\Software\\Kestrum";
const char* const UninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumbrix 2008";
const char* const ProductPathValue = "Lumbrix2008Path";

AnsiString GetProgramsFolderPath() {
  return GetSpecialFolderPath(IsWin9x() ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS);
}

AnsiString MenuProductFolder() {
  const AnsiString programs = GetProgramsFolderPath();
  if (programs.empty()) return AnsiString();
  return AddTrailingBackslash(programs) + ProductSubfolder + "\\";
}

std::vector<AnsiString> MenuShortcutNames() {
  return {LoadStr(IDS_PRODUCT_SHORTCUT), LoadStr(IDS_UNINSTALL_SHORTCUT), LoadStr(IDS_TUTORIAL_SHORTCUT)};
}

AnsiString DesktopShortcutPath() {
  if (DesktopFolder.empty()) return AnsiString();
  return AddTrailingBackslash(DesktopFolder) + LoadStr(IDS_PRODUCT_SHORTCUT);
}
