#include "app/ProgramFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/PrinterSelection.h"
#include "tests/app/AppTestSupport.h"

namespace {

// Sets an environment variable for its lifetime, then restores it.
class TEnvironment {
public:
  TEnvironment(const char* name, const char* value) : Name(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) Old = old, HadValue = true;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~TEnvironment() {
    if (HadValue)
      ::setenv(Name, Old.c_str(), 1);
    else
      ::unsetenv(Name);
  }

private:
  const char* Name;
  std::string Old;
  bool HadValue = false;
};

TEST(ProgramFolders, ConfigurationFolderFollowsXdgConfigHome) {
  const TEnvironment home("HOME", "/home/someone");
  {
    const TEnvironment xdg("XDG_CONFIG_HOME", "/custom/config");
    EXPECT_EQ(UserConfigFolder(), "/custom/config/mirqoven/");
    EXPECT_EQ(ParameterFilePath(), "/custom/config/mirqoven/MIRQOVEN.PAR");
  }
  for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/config"}) {
    const TEnvironment xdg("XDG_CONFIG_HOME", ignored);
    EXPECT_EQ(UserConfigFolder(), "/home/someone/.config/mirqoven/") << (ignored ? ignored : "unset");
  }
  const TEnvironment xdgData("XDG_DATA_HOME", nullptr);
  EXPECT_EQ(UserDataFolder(), "/home/someone/.local/share/mirqoven/");
}

TEST(ProgramFolders, ProgramFolderHoldsTheRunningExecutable) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(folder + "app_core_tests"));
}

TEST(ProgramFolders, UserCopyOfADataFileTakesPrecedence) {
  const apptest::TTempFolder folder;
  const TEnvironment xdg("XDG_DATA_HOME", folder.Path().c_str());
  EXPECT_EQ(DataFilePath(LanguageFileName), ProgramFolder() + "mirqoven.lg");
  std::filesystem::create_directories(folder.Path() / "mirqoven");
  apptest::WriteBytes(folder.File("mirqoven/mirqoven.lg"), "x");
  EXPECT_EQ(DataFilePath(LanguageFileName), folder.File("mirqoven/mirqoven.lg"));
}

TEST(PrinterSelection, LastEqualNameWinsAndMissingNamesSelectNothing) {
  const std::vector<std::string> printers = {"PDF", "Laser", "laser", "Laser", "Label printer"};
  EXPECT_EQ(FindPrinterIndex(printers, "Laser"), 3);
  EXPECT_EQ(FindPrinterIndex(printers, "laser"), 2);
  EXPECT_EQ(FindPrinterIndex(printers, "PDF"), 0);
  EXPECT_EQ(FindPrinterIndex(printers, "Gone"), -1);
  EXPECT_EQ(FindPrinterIndex(printers, "Laser "), -1);
  EXPECT_EQ(FindPrinterIndex(printers, ""), -1);
  EXPECT_EQ(FindPrinterIndex({}, "PDF"), -1);
}

}  // namespace
