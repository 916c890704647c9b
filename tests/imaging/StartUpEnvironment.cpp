// Every test of this binary runs after the raster library's start-up.

#include <gtest/gtest.h>

#include "imaging/StartUp.h"

namespace {

class StartUpEnvironment : public ::testing::Environment {
public:
  void SetUp() override { imaging::StartUp(); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new StartUpEnvironment);

}  // namespace
