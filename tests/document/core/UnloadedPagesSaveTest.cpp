// A document opens with its pages unread; saving it must carry every page
// it never read over byte for byte (no load, render or rewrite), and write
// the page that changed. What this costs is measured by the archive save
// benchmark (thousands of unread pages against the container's own copy).

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/shapes/FrameShapes.h"
#include "platform/rtl/Stream.h"
#include "xml/storage/Storage.h"

namespace {

constexpr int UnreadPageCount = 300;

std::string UnreadPageName(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "Page%04d.xml", number);
  return name;
}

// Laid out as our writer never lays a page out (a comment, spaces, an
// attribute on the root it does not write), so any rewrite shows.
std::string UnreadPageText(int number) {
  return "<?xml version=\"1.0\"?>\n<!-- page " + std::to_string(number) + " -->\n<Page Index=\"" +
         std::to_string(number) + "\"  Origin=\"hand\" >\n  <IsDefaultPage>True</IsDefaultPage>\n</Page>\n";
}

void PutText(TsdStorage& storage, const std::string& name, const std::string& text) {
  TMemoryStream stream;
  stream.Write(text.data(), static_cast<std::int64_t>(text.size()));
  stream.SetPosition(0);
  storage.WriteStream(name, stream);
}

std::string ReadText(TsdStorage& storage, const std::string& name) {
  TMemoryStream stream;
  storage.ReadStream(name, stream);
  return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.GetSize()));
}

TEST(UnloadedPagesSaveTest, PagesNeverReadKeepTheirStreamsByteForByte) {
  TsdStorage crafted;
  PutText(crafted, "Index.xml", "<?xml version=\"1.0\"?><Document/>");
  for (int i = 1; i <= UnreadPageCount; ++i) PutText(crafted, UnreadPageName(i), UnreadPageText(i));
  TMemoryStream file;
  crafted.SaveToStream(file);
  file.SetPosition(0);

  TdocDocumentCore doc;
  doc.LoadFromStream(file);
  ASSERT_EQ(doc.GetPageCount(), UnreadPageCount);
  // Page 1 is read on opening; it changes and must be written anew.
  auto shape = std::make_unique<TdocRectangleShape>();
  shape->SetDocFrame(10, 10, 20, 20, 0);
  doc.AddShape(std::move(shape));
  TMemoryStream saved;
  doc.SaveToStream(saved);

  saved.SetPosition(0);
  TsdStorage result;
  result.LoadFromStream(saved);
  const std::string first = ReadText(result, UnreadPageName(1));
  EXPECT_NE(first, UnreadPageText(1));
  EXPECT_NE(first.find("TdocRectangleShape"), std::string::npos);
  EXPECT_TRUE(result.StreamExists("Thumb0001.bmp"));
  for (int i = 2; i <= UnreadPageCount; ++i) {
    ASSERT_EQ(ReadText(result, UnreadPageName(i)), UnreadPageText(i)) << UnreadPageName(i);
    // Nothing drew a page never read, so it has no thumbnail to store.
    ASSERT_FALSE(result.StreamExists("Thumb" + UnreadPageName(i).substr(4, 4) + ".bmp")) << i;
  }
  // Index, the pages, the one thumbnail.
  EXPECT_EQ(result.GetStreamCount(), UnreadPageCount + 2);

  // Opened again, the document has every page, the first with its shape.
  saved.SetPosition(0);
  TdocDocumentCore reopened;
  reopened.LoadFromStream(saved);
  EXPECT_EQ(reopened.GetPageCount(), UnreadPageCount);
  EXPECT_EQ(reopened.GetPages(0)->GetShapeCount(), 1);
}

}  // namespace
