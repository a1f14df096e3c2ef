#include "i01_0_2__InstallData.hpp"

#include "ProductPaths.hpp"
#include "lib_WindowsFileSystem.hpp"

TInstallData* InstallSettings = nullptr;
AnsiString ArchivePath;

TInstallData::TInstallData()
    : TargetFolder(AddTrailingBackslash(ProgramFilesFolder) + ProductSubfolder) {}

static void i01_0_2__InstallData_Initialize() {}

static void i01_0_2__InstallData_Finalize() { ArchivePath.clear(); }

const TUnitInfo i01_0_2__InstallDataUnit = {"i01_0_2__InstallData", &i01_0_2__InstallData_Initialize, &i01_0_2__InstallData_Finalize};
