// Starts the engine's units and COM once for the whole test program, as the
// programs' bodies do before anything else runs.
#include <gtest/gtest.h>

#include "EngineUnits.hpp"
#include "System.hpp"
#include "WinApi.hpp"

namespace {

class EngineEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InitializeEngineUnits();
  }
  void TearDown() override {
    FinalizeUnits();
  }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);

}  // namespace
