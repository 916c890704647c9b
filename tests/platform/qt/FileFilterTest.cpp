// Pipe-separated dialog filters against the form Qt's file dialogs parse:
// one "description (masks)" per pair, masks separated by blanks.

#include <gtest/gtest.h>

#include "platform/qt/FileFilter.h"

namespace {

TEST(FileFilterTest, PairsBecomeQtFilters) {
  const struct {
    const char* Pipe;
    const char* Qt;
  } cases[] = {
      {"Graphic formats|*.bmp;*.jpg|Bitmaps (*.bmp)|*.bmp|All Formats (*.*)|*.*",
       "Graphic formats (*.bmp *.jpg);;Bitmaps (*.bmp);;All Formats (*.*)"},
      // The description shows other masks than those used: the used ones win.
      {"JPEG (*.jpg)|*.jpg;*.jpeg", "JPEG (*.jpg *.jpeg)"},
      {"Labels|*.mqv|dangling", "Labels (*.mqv)"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(QtFileFilter(c.Pipe).toStdString(), c.Qt) << c.Pipe;
}

}  // namespace
