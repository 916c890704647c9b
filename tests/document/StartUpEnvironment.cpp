// Every document test process starts the engine's model the way the program
// does, so a test run on its own finds the pixel routines bound and the
// classes registered.
#include <gtest/gtest.h>

#include "document/core/StartUp.h"

namespace {

class DocumentStartUp : public testing::Environment {
public:
  void SetUp() override { document::StartUp(); }
};

const testing::Environment* const startUp = testing::AddGlobalTestEnvironment(new DocumentStartUp);

}  // namespace
