// Every test of this binary runs after the subsystem's start-up.

#include <gtest/gtest.h>

#include "imaging/startup/SubsystemStartUp.h"

namespace {

class StartUpEnvironment : public ::testing::Environment {
public:
  void SetUp() override { imaging::StartUpSubsystem(); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new StartUpEnvironment);

}  // namespace
