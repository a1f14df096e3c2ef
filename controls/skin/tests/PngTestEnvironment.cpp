// Starts the units the PNG tests rely on for the whole test program, as a
// program's TUnitScope would.
#include <gtest/gtest.h>

#include "SysUtils.hpp"
#include "pngimage.hpp"

namespace {

class PngUnitsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { InitializeUnits({&SysUtilsUnit, &pngimageUnit}); }
  void TearDown() override { FinalizeUnits(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new PngUnitsEnvironment);

}  // namespace
