// Starts the units the kit's control tests rely on, in a program's order.
// The PNG tests' environment starts a subset; a unit starts only once.
#include <gtest/gtest.h>

#include "ComObj.hpp"
#include "DateUtil.hpp"
#include "ElEdits.hpp"
#include "ElExtBkgnd.hpp"
#include "ElHook.hpp"
#include "ElImgFrm.hpp"
#include "ElTools.hpp"
#include "ElUxTheme.hpp"
#include "FastDIB.hpp"
#include "FastFiles.hpp"
#include "Forms.hpp"
#include "SBLog.hpp"
#include "SBRegister.hpp"
#include "SBResourceStorage.hpp"
#include "SysUtils.hpp"
#include "VCLUtils.hpp"
#include "pngimage.hpp"

namespace {

class SkinUnitsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InitializeUnits({&SysUtilsUnit, &ComObjUnit, &FormsUnit, &ElToolsUnit, &ElUxThemeUnit, &ElHookUnit,
                     &ElExtBkgndUnit, &ElImgFrmUnit, &ElEditsUnit, &pngimageUnit, &SBResourceStorageUnit,
                     &SBLogUnit, &SBControlsUnit, &VCLUtilsUnit, &DateUtilUnit, &FastDIBUnit,
                     &FastFilesUnit});
  }
  void TearDown() override { FinalizeUnits(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new SkinUnitsEnvironment);

}  // namespace
