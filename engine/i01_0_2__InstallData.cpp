#include "i01_0_2__InstallData.hpp"

#include "ProductPaths.hpp"
#include "WinApi.hpp"
#include "lib_WindowsFileSystem.hpp"

TInstallData* InstallSettings = nullptr;
AnsiString ArchivePath;

TInstallData::TInstallData()
    : TargetFolder(AddTrailingBackslash(ProgramFilesFolder) + ProductSubfolder) {}

bool TargetFolderFitsOemCodePage(const AnsiString& folder) {
  if (folder.empty()) return true;
  const DWORD length = DWORD(folder.size());
  AnsiString oem(folder.size(), '\0'), back(folder.size(), '\0');
  return CharToOemBuffA(folder.data(), oem.data(), length) && OemToCharBuffA(oem.data(), back.data(), length) &&
         back == folder;
}

static void i01_0_2__InstallData_Initialize() {}

static void i01_0_2__InstallData_Finalize() { ArchivePath.clear(); }

const TUnitInfo i01_0_2__InstallDataUnit = {"i01_0_2__InstallData", &i01_0_2__InstallData_Initialize, &i01_0_2__InstallData_Finalize};
