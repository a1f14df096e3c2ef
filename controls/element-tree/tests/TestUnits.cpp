// The units the tested code relies on are started once for the whole test
// program, in the order a real program lists them.
#include <gtest/gtest.h>

#include "ComObj.hpp"
#include "ElACtrls.hpp"
#include "ElDragDrop.hpp"
#include "ElEdits.hpp"
#include "ElHeader.hpp"
#include "ElHook.hpp"
#include "ElImgFrm.hpp"
#include "ElIni.hpp"
#include "ElScrollBar.hpp"
#include "ElTree.hpp"
#include "ElUxTheme.hpp"
#include "ElTools.hpp"
#include "Forms.hpp"
#include "SysUtils.hpp"

namespace {

class ElementTreeUnits : public ::testing::Environment {
 public:
  void SetUp() override { InitializeUnits({&SysUtilsUnit, &ComObjUnit, &FormsUnit, &ElToolsUnit, &ElUxThemeUnit, &ElHookUnit, &ElScrollBarUnit, &ElImgFrmUnit, &ElEditsUnit, &ElIniUnit, &ElACtrlsUnit, &ElDragDropUnit, &ElHeaderUnit, &ElTreeUnit}); }
  void TearDown() override { FinalizeUnits(); }
};

[[maybe_unused]] ::testing::Environment* const kUnits =
    ::testing::AddGlobalTestEnvironment(new ElementTreeUnits);

}  // namespace
