#include "i01_0_2__InstallData.hpp"

#include "ProductPaths.hpp"
#include "Registry.hpp"
#include "WinApi.hpp"
#include "lib_WindowsFileSystem.hpp"

TInstallData* InstallSettings = nullptr;
AnsiString ArchivePath;

TInstallData::TInstallData()
    : TargetFolder(AddTrailingBackslash(ProgramFilesFolder) + ProductSubfolder) {
  TRegistry registry;
  try {
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (registry.OpenKeyReadOnly(ProductKey) && registry.ValueExists(ProductPathValue))
      RegisteredFolder = registry.ReadString(ProductPathValue);
  } catch (const Exception&) {
    RegisteredFolder.clear();
  }
}

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
