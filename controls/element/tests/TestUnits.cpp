// The units the tested code relies on are started once for the whole test
// program, in the order a real program lists them.
#include <gtest/gtest.h>

#include "ComObj.hpp"
#include "ElEdits.hpp"
#include "ElExtBkgnd.hpp"
#include "ElHTMLLbl.hpp"
#include "ElHandPt.hpp"
#include "ElHintWindow.hpp"
#include "ElHook.hpp"
#include "ElImgFrm.hpp"
#include "ElScrollBar.hpp"
#include "ElTools.hpp"
#include "ElUxTheme.hpp"
#include "Forms.hpp"
#include "SysUtils.hpp"

namespace {

class ElementUnits : public ::testing::Environment {
 public:
  void SetUp() override {
    InitializeUnits({&SysUtilsUnit, &ComObjUnit, &FormsUnit, &ElToolsUnit, &ElUxThemeUnit, &ElHookUnit,
                     &ElExtBkgndUnit, &ElImgFrmUnit, &ElScrollBarUnit, &ElEditsUnit, &ElHandPtUnit,
                     &ElHintWindowUnit, &ElHTMLLblUnit});
  }
  void TearDown() override { FinalizeUnits(); }
};

[[maybe_unused]] ::testing::Environment* const kUnits =
    ::testing::AddGlobalTestEnvironment(new ElementUnits);

}  // namespace
