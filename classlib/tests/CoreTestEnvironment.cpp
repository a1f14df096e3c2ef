// Starts the library's units for the whole test program, as a program's
// TUnitScope would.
#include <gtest/gtest.h>

#include "ComObj.hpp"
#include "SysUtils.hpp"

namespace {

class CoreUnitsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { InitializeUnits({&SysUtilsUnit, &ComObjUnit}); }
  void TearDown() override { FinalizeUnits(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new CoreUnitsEnvironment);

}  // namespace
