// Starts the windowing layer (with the units it builds on) for the controls
// test program.
#include <gtest/gtest.h>

#include "ComObj.hpp"
#include "Forms.hpp"
#include "SysUtils.hpp"

namespace {

class FormsUnitEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { InitializeUnits({&SysUtilsUnit, &ComObjUnit, &FormsUnit}); }
  void TearDown() override { FinalizeUnits(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new FormsUnitEnvironment);

}  // namespace
