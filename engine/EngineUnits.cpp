#include "EngineUnits.hpp"

#include "ComObj.hpp"
#include "SysUtils.hpp"
#include "i01_0_2__InstallData.hpp"
#include "lib_WindowsFileSystem.hpp"
#include "lib_WindowsOS.hpp"
#include "ui_0__Delete.hpp"

void InitializeEngineUnits() {
  InitializeUnits({&SysUtilsUnit, &ComObjUnit, &lib_WindowsOSUnit, &lib_WindowsFileSystemUnit,
                   &i01_0_2__InstallDataUnit, &ui_0__DeleteUnit});
}
