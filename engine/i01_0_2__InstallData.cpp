#include "i01_0_2__InstallData.hpp"

#include "lib_WindowsFileSystem.hpp"

TInstallData* InstallSettings = nullptr;
AnsiString ArchivePath;

TInstallData::TInstallData()
    : TargetFolder(AddTrailingBackslash(ProgramFilesFolder) + "Kestrum\\Lumbrix 2008") {}

static void i01_0_2__InstallData_Initialize() {}

static void i01_0_2__InstallData_Finalize() { ArchivePath.clear(); }

const TUnitInfo i01_0_2__InstallDataUnit = {"i01_0_2__InstallData", &i01_0_2__InstallData_Initialize, &i01_0_2__InstallData_Finalize};
