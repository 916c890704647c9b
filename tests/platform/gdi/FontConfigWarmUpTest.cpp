#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>

#include <set>
#include <string>

#include "platform/gdi/FontConfigWarmUp.h"
#include "platform/rtl/Exception.h"

namespace {

// The files of a font set, as fontconfig names them.
std::set<std::string> FontFilesOf(FcFontSet* fonts) {
  std::set<std::string> files;
  for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
      files.insert(reinterpret_cast<const char*>(file));
  }
  return files;
}

// The process's configuration is read afresh by each test and given back
// after it, as Qt gives it back at its end.
struct FontConfigWarmUp : ::testing::Test {
  ~FontConfigWarmUp() override { FcFini(); }
};

}  // namespace

TEST_F(FontConfigWarmUp, TheProcessConfigurationReadAheadListsWhatAFreshReadingLists) {
  {
    const gdi::TFontConfigWarmUp warmUp;
    gdi::AwaitFontConfigWarmUp();
  }
  // Read on its own, apart from the process's configuration.
  FcConfig* fresh = FcInitLoadConfigAndFonts();
  ASSERT_NE(fresh, nullptr);
  const std::set<std::string> expected = FontFilesOf(FcConfigGetFonts(fresh, FcSetSystem));
  FcConfigDestroy(fresh);
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(FontFilesOf(FcConfigGetFonts(nullptr, FcSetSystem)), expected);
}

TEST_F(FontConfigWarmUp, OneAtATimeAndAwaitingIsHarmlessWithOrWithoutOne) {
  gdi::AwaitFontConfigWarmUp();  // none running: returns at once
  {
    const gdi::TFontConfigWarmUp first;
    EXPECT_THROW(gdi::TFontConfigWarmUp second, EInvalidOperation);
    gdi::AwaitFontConfigWarmUp();
    gdi::AwaitFontConfigWarmUp();
  }
  // The first one's end, not awaited by hand this time, lets another start.
  { const gdi::TFontConfigWarmUp again; }
  EXPECT_NO_THROW({ const gdi::TFontConfigWarmUp last; });
  gdi::AwaitFontConfigWarmUp();
}
