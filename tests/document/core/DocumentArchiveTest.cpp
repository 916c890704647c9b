// The document archive: what a save writes is read back with a STOR reader
// and pugixml written apart from the product; archives written by hand load;
// pages never shown keep their bytes; broken archives leave the open document
// as it was; a save that fails part way leaves the old file byte for byte.

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <tuple>
#include <filesystem>
#include <string>
#include <vector>

#include "StorFile.h"
#include "document/core/DocumentCore.h"
#include "document/shapes/FrameShapes.h"
#include "document/page/Page.h"
#include "document/text/PolygonText.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Stream.h"
#include "tests/imaging/formats/HckFileBuilder.h"
#include "xml/Base64.h"

namespace {

using doctest::FileBytes;
using doctest::FindStream;
using doctest::ReadStor;
using doctest::TStorStreams;
using doctest::WriteFileBytes;
using doctest::WriteStor;

std::unique_ptr<TdocShape> MakeRectangle(float left, float top) {
  auto shape = std::make_unique<TdocRectangleShape>();
  shape->SetDocFrame(left, top, 20, 10, 0);
  return shape;
}

// A page of the form the document writes, holding one rectangle at left.
std::string PageXml(int index, float left) {
  return "<Page Index=\"" + std::to_string(index) +
         "\"><Shape Index=\"1\"><ClassName>TdocRectangleShape</ClassName><DocLeft>" + std::to_string(left) +
         "</DocLeft><DocTop>3</DocTop><DocWidth>20</DocWidth><DocHeight>10</DocHeight></Shape></Page>";
}

std::string Numbered(const char* prefix, int number, const char* suffix) {
  char digits[12];  // room for any int
  std::snprintf(digits, sizeof digits, "%04d", number);
  return prefix + std::string(digits) + suffix;
}

std::string IndexXml(const std::string& children) { return "<Document>" + children + "</Document>"; }

class DocumentArchiveTest : public testing::Test {
protected:
  void SetUp() override {
    // A folder of its own, so that two build trees can run the test at once.
    std::string pattern = testing::TempDir() + "archive-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    Folder = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(Folder); }

  std::string Path(const std::string& name) const { return Folder + "/" + name; }

  // pages pages of n + 1 rectangles each, the first one at x = 10 * page number.
  static void Fill(TdocDocumentCore& doc, int pages) {
    doc.SetPageCount(pages);
    for (int p = 0; p < pages; ++p) {
      doc.SetCurrentPageIndex(p);
      for (int n = 0; n <= p; ++n) doc.AddShape(MakeRectangle(10.0f * float(p + 1) + float(n), 5.0f));
    }
    doc.SetCurrentPageIndex(0);
  }

  // Saves three filled pages as "a.stor", opens that in second and answers
  // the streams saved.
  TStorStreams SaveThreePagesAndReopen(TdocDocumentCore& second) {
    Fill(Doc, 3);
    Doc.SaveToFile(Path("a.stor"));
    second.LoadFromFile(Path("a.stor"));
    return ReadStor(FileBytes(Path("a.stor")));
  }

  static float FirstLeft(TdocDocumentCore& doc, int page) {
    doc.SetCurrentPageIndex(page);
    return doc.ShapeCount() > 0 ? doc.GetShapes(0)->GetDocLeft() : -1.0f;
  }

  std::string Folder;
  TdocDocumentCore Doc;
};

TEST_F(DocumentArchiveTest, OnePageDocumentHoldsIndexPageAndThumbnail) {
  Doc.AddShape(MakeRectangle(12, 3));
  Doc.SaveToFile(Path("one.stor"));
  const TStorStreams streams = ReadStor(FileBytes(Path("one.stor")));
  std::vector<std::string> names;
  for (const auto& stream : streams) names.push_back(stream.first);
  EXPECT_EQ(names, (std::vector<std::string>{"Index.xml", "Page0001.xml", "Thumb0001.bmp"}));

  pugi::xml_document index;
  ASSERT_TRUE(index.load_string(FindStream(streams, "Index.xml")->c_str()));
  std::vector<std::string> keys;
  for (const auto& child : index.child("Document").children()) keys.push_back(child.name());
  EXPECT_EQ(keys, (std::vector<std::string>{"HandleColor",       "HandleEdgeColor",     "HotzoneScrolling",
                                            "StretchFilter",     "ReadOnly",            "RenderDpm",
                                            "ScreenDpm",         "StoreThumbnails",     "ShowMargins",
                                            "SnapToGrid",        "StepAngle",           "ViewStyle",
                                            "DefaultPageWidth",  "DefaultPageHeight",   "DefaultMarginLeft",
                                            "DefaultMarginTop",  "DefaultMarginRight",  "DefaultMarginBottom",
                                            "DefaultGridSize",   "DefaultGridColor",    "DefaultPageColor",
                                            "DefaultBgrTiled",   "ThumbnailWidth",      "ThumbnailHeight",
                                            "FontEmbedding"}));
  const pugi::xml_node root = index.child("Document");
  EXPECT_STREQ(root.child_value("HandleColor"), "$00FFFFFF");
  EXPECT_STREQ(root.child_value("StoreThumbnails"), "True");
  EXPECT_STREQ(root.child_value("ThumbnailWidth"), "80");
  EXPECT_STREQ(root.child_value("DefaultPageWidth"), "210");
  // The readable layout: one element a line, indented.
  EXPECT_NE(FindStream(streams, "Index.xml")->find("\n  <HandleColor>"), std::string::npos);

  pugi::xml_document page;
  ASSERT_TRUE(page.load_string(FindStream(streams, "Page0001.xml")->c_str()));
  EXPECT_EQ(page.child("Page").attribute("Index").as_int(), 1);
  const pugi::xml_node shape = page.child("Page").child("Shape");
  EXPECT_STREQ(shape.child_value("ClassName"), "TdocRectangleShape");
  EXPECT_FLOAT_EQ(std::stof(shape.child_value("DocLeft")), 12.0f);

  const std::string& bmp = *FindStream(streams, "Thumb0001.bmp");
  ASSERT_GE(bmp.size(), 26u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
}

TEST_F(DocumentArchiveTest, HandWrittenArchiveLoadsWithDefaultsForMissingKeys) {
  WriteFileBytes(Path("hand.stor"),
                 WriteStor({{"Index.xml", IndexXml("<HandleColor>$00112233</HandleColor><RenderDpm>11.811</RenderDpm>"
                                                   "<StretchFilter>4</StretchFilter><ViewStyle>1</ViewStyle>"
                                                   "<DefaultGridSize>2.5</DefaultGridSize>")},
                            {"Page0001.xml", PageXml(1, 12)}}));
  Doc.LoadFromFile(Path("hand.stor"));
  ASSERT_EQ(Doc.GetPageCount(), 1);
  ASSERT_EQ(Doc.ShapeCount(), 1);
  EXPECT_NE(dynamic_cast<TdocRectangleShape*>(Doc.GetShapes(0)), nullptr);
  EXPECT_FLOAT_EQ(Doc.GetShapes(0)->GetDocLeft(), 12.0f);
  EXPECT_EQ(Doc.Options.HandleColor, 0x112233);
  EXPECT_FLOAT_EQ(Doc.GetRenderResolution(), 11.811f);
  EXPECT_EQ(Doc.GetQuality(), sfSpline);
  EXPECT_EQ(Doc.GetViewStyle(), vsNormal);
  EXPECT_FLOAT_EQ(Doc.GetPageDefaults().GridSize, 2.5f);
  // Absent keys.
  EXPECT_EQ(Doc.GetThumbnailWidth(), 80);
  EXPECT_EQ(Doc.GetThumbnailHeight(), 60);
  EXPECT_FLOAT_EQ(Doc.GetDefaultPageWidth(), 210.0f);
  EXPECT_FLOAT_EQ(Doc.GetPageDefaults().MarginLeft, 10.0f);
  EXPECT_FALSE(Doc.Options.ShowMargins);
  EXPECT_TRUE(Doc.Options.StoreThumbnails);
  EXPECT_FALSE(Doc.GetModified());
  EXPECT_FALSE(Doc.IsLoading());
  EXPECT_FALSE(Doc.IsBusy());
}

TEST_F(DocumentArchiveTest, ValuesNoDocumentCanUseReadAsTheirDefaults) {
  struct Case {
    const char* Xml;
    std::function<bool(const TdocDocumentCore&)> IsDefault;
  };
  const Case cases[] = {
      {"<RenderDpm>nan</RenderDpm>", [](const auto& d) { return d.GetRenderResolution() == TdocDocumentCore::DefaultDpm; }},
      {"<RenderDpm>-3</RenderDpm>", [](const auto& d) { return d.GetRenderResolution() == TdocDocumentCore::DefaultDpm; }},
      {"<RenderDpm>1e30</RenderDpm>", [](const auto& d) { return d.GetRenderResolution() == TdocDocumentCore::DefaultDpm; }},
      {"<ScreenDpm>0</ScreenDpm>", [](const auto& d) { return d.GetScreenScale() == TdocDocumentCore::DefaultDpm; }},
      {"<StretchFilter>99</StretchFilter>", [](const auto& d) { return d.GetQuality() == sfNearest; }},
      {"<ViewStyle>-1</ViewStyle>", [](const auto& d) { return d.GetViewStyle() == vsPrintLayout; }},
      {"<HotzoneScrolling>7</HotzoneScrolling>", [](const auto& d) { return d.Options.HotzoneScrolling == hzsNoScroll; }},
      {"<ThumbnailWidth>100000</ThumbnailWidth>", [](const auto& d) { return d.GetThumbnailWidth() == 80; }},
      {"<ThumbnailHeight>0</ThumbnailHeight>", [](const auto& d) { return d.GetThumbnailHeight() == 60; }},
      {"<DefaultPageWidth>inf</DefaultPageWidth>", [](const auto& d) { return d.GetDefaultPageWidth() == 210.0f; }},
      {"<DefaultPageHeight>-4</DefaultPageHeight>", [](const auto& d) { return d.GetDefaultPageHeight() == 297.0f; }},
      {"<DefaultGridSize>-1</DefaultGridSize>", [](const auto& d) { return d.GetPageDefaults().GridSize == 5.0f; }},
      {"<DefaultMarginTop>1e300</DefaultMarginTop>", [](const auto& d) { return d.GetPageDefaults().MarginTop == 10.0f; }},
      {"<StepAngle>720</StepAngle>", [](const auto& d) { return d.Options.StepAngle == 0.0f; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Xml);
    WriteFileBytes(Path("bad.stor"), WriteStor({{"Index.xml", IndexXml(c.Xml)}, {"Page0001.xml", PageXml(1, 1)}}));
    Doc.LoadFromFile(Path("bad.stor"));
    EXPECT_TRUE(c.IsDefault(Doc));
    EXPECT_EQ(Doc.GetPageCount(), 1);
  }
}

TEST_F(DocumentArchiveTest, PageCountComesFromThePageStreamNames) {
  WriteFileBytes(Path("gaps.stor"), WriteStor({{"Index.xml", IndexXml("")},
                                               {"Page0001.xml", PageXml(1, 1)},
                                               {"Page0003.xml", PageXml(3, 3)},
                                               {"Page00x9.xml", "junk"},
                                               {"Page0009.bin", "junk"},
                                               {"Pages0009.xml", "junk"}}));
  Doc.LoadFromFile(Path("gaps.stor"));
  ASSERT_EQ(Doc.GetPageCount(), 3);
  EXPECT_FALSE(Doc.GetPages(1)->GetLoaded());
  try {
    Doc.SetCurrentPageIndex(1);
    FAIL() << "page 2 has no stream";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "Stream \"Page0002.xml\" not found in the storage");
  }
  EXPECT_TRUE(Doc.GetPages(1)->GetLoaded());
  EXPECT_EQ(Doc.GetPages(1)->GetShapeCount(), 0);
  EXPECT_FALSE(Doc.IsLoading());
  EXPECT_FLOAT_EQ(FirstLeft(Doc, 2), 3.0f);

  TStorStreams thirty{{"Index.xml", IndexXml("")}};
  for (int i = 1; i <= 30; ++i) thirty.emplace_back(Numbered("Page", i, ".xml"), PageXml(i, float(i)));
  WriteFileBytes(Path("thirty.stor"), WriteStor(thirty));
  Doc.LoadFromFile(Path("thirty.stor"));
  EXPECT_EQ(Doc.GetPageCount(), 30);
  EXPECT_FLOAT_EQ(FirstLeft(Doc, 29), 30.0f);
}

TEST_F(DocumentArchiveTest, SaveLoadSaveGivesIdenticalStreams) {
  Fill(Doc, 3);
  Doc.SetDefaultGridSize(2.5f);
  Doc.Options.SnapToGrid = true;
  Doc.SaveToFile(Path("a.stor"));
  TdocDocumentCore second;
  second.LoadFromFile(Path("a.stor"));
  // Every page read and written again.
  for (int p = 0; p < 3; ++p) {
    second.SetCurrentPageIndex(p);
    second.GetPages(p)->SetModified(true);
  }
  second.SaveToFile(Path("b.stor"));
  const TStorStreams a = ReadStor(FileBytes(Path("a.stor")));
  const TStorStreams b = ReadStor(FileBytes(Path("b.stor")));
  ASSERT_EQ(a.size(), 7u);  // the index, three pages, three thumbnails
  EXPECT_EQ(a, b);
  EXPECT_FLOAT_EQ(FirstLeft(second, 2), 30.0f);
  EXPECT_EQ(second.ShapeCount(), 3);
}

TEST_F(DocumentArchiveTest, SavingAgainRewritesTheIndexButNoUnchangedPage) {
  Fill(Doc, 2);
  Doc.SaveToFile(Path("a.stor"));
  // A page stream changed behind the document's back stays as it is, as the
  // page did not change.
  TMemoryStream marker;
  const std::string text = PageXml(1, 77);
  marker.Write(text.data(), std::int64_t(text.size()));
  Doc.GetStorage()->WriteStream("Page0001.xml", marker);
  Doc.SetDefaultGridSize(7.5f);
  Doc.SaveToFile(Path("b.stor"));
  const TStorStreams b = ReadStor(FileBytes(Path("b.stor")));
  EXPECT_EQ(*FindStream(b, "Page0001.xml"), text);
  pugi::xml_document index;
  ASSERT_TRUE(index.load_string(FindStream(b, "Index.xml")->c_str()));
  EXPECT_STREQ(index.child("Document").child_value("DefaultGridSize"), "7.5");
  // A changed page is written.
  Doc.SetCurrentPageIndex(1);
  Doc.GetShapes(0)->SetDocFrame(55, 5, 20, 10, 0);
  Doc.SaveToFile(Path("c.stor"));
  TdocDocumentCore reread;
  reread.LoadFromFile(Path("c.stor"));
  EXPECT_FLOAT_EQ(FirstLeft(reread, 1), 55.0f);
}

TEST_F(DocumentArchiveTest, PagesNeverShownKeepTheirBytesThroughASave) {
  TdocDocumentCore second;
  const TStorStreams a = SaveThreePagesAndReopen(second);
  EXPECT_FALSE(second.GetPages(2)->GetLoaded());
  // Marks every page changed, the pages never read among them.
  second.SetThumbnailWidth(100);
  second.SaveToFile(Path("b.stor"));
  const TStorStreams b = ReadStor(FileBytes(Path("b.stor")));
  for (const char* name : {"Page0002.xml", "Page0003.xml", "Thumb0002.bmp", "Thumb0003.bmp"}) {
    SCOPED_TRACE(name);
    ASSERT_NE(FindStream(b, name), nullptr);
    EXPECT_EQ(*FindStream(b, name), *FindStream(a, name));
  }
  TdocDocumentCore third;
  third.LoadFromFile(Path("b.stor"));
  EXPECT_FLOAT_EQ(FirstLeft(third, 2), 30.0f);
  EXPECT_EQ(third.ShapeCount(), 3);
  EXPECT_EQ(third.GetThumbnailWidth(), 100);
}

TEST_F(DocumentArchiveTest, StoredThumbnailsComeBackWithoutReadingThePage) {
  Fill(Doc, 3);
  Doc.SaveToFile(Path("a.stor"));
  const std::string bmp = *FindStream(ReadStor(FileBytes(Path("a.stor"))), "Thumb0003.bmp");
  TdocDocumentCore second;
  second.LoadFromFile(Path("a.stor"));
  // Deleting a page moves the thumbnails with the pages.
  second.DeletePage(1);
  TdocPage& last = *second.GetPages(1);
  const TBitmap* thumbnail = last.GetThumbnail();
  EXPECT_FALSE(last.GetLoaded());
  ASSERT_NE(thumbnail, nullptr);
  TMemoryStream written;
  last.SaveThumbnailToStream(written);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(written.Memory()), std::size_t(written.GetSize())), bmp);
}

TEST_F(DocumentArchiveTest, SavingOntoTheFileItWasOpenedFromKeepsEveryPage) {
  for (bool direct : {false, true}) {
    SCOPED_TRACE(direct);
    Doc.New();
    Fill(Doc, 3);
    Doc.SaveToFile(Path("a.stor"));
    TdocDocumentCore second;
    second.Options.ArchiveDirect = direct;
    second.LoadFromFile(Path("a.stor"));
    second.GetShapes(0)->SetDocFrame(44, 5, 20, 10, 0);
    second.SaveToFile(Path("a.stor"));
    TdocDocumentCore third;
    third.LoadFromFile(Path("a.stor"));
    ASSERT_EQ(third.GetPageCount(), 3);
    EXPECT_FLOAT_EQ(FirstLeft(third, 0), 44.0f);
    EXPECT_FLOAT_EQ(FirstLeft(third, 1), 20.0f);
    EXPECT_FLOAT_EQ(FirstLeft(third, 2), 30.0f);
    EXPECT_EQ(third.ShapeCount(), 3);
  }
}

TEST_F(DocumentArchiveTest, DeletingAPageRenumbersPagesAndThumbnails) {
  TdocDocumentCore second;
  const TStorStreams a = SaveThreePagesAndReopen(second);
  second.DeletePage(0);
  second.SaveToFile(Path("b.stor"));
  const TStorStreams b = ReadStor(FileBytes(Path("b.stor")));
  EXPECT_EQ(*FindStream(b, "Page0001.xml"), *FindStream(a, "Page0002.xml"));
  EXPECT_EQ(*FindStream(b, "Page0002.xml"), *FindStream(a, "Page0003.xml"));
  EXPECT_EQ(*FindStream(b, "Thumb0002.bmp"), *FindStream(a, "Thumb0003.bmp"));
  EXPECT_EQ(FindStream(b, "Page0003.xml"), nullptr);
  EXPECT_EQ(FindStream(b, "Thumb0003.bmp"), nullptr);
  EXPECT_FLOAT_EQ(FirstLeft(second, 1), 30.0f);
}

// The document before any failing load: two pages, a shape on the first.
struct TDocumentState {
  explicit TDocumentState(TdocDocumentCore& doc)
      : Pages(doc.GetPageCount()), Current(doc.GetCurrentPage()), Shapes(doc.ShapeCount()),
        Streams(doc.GetStorage()->GetStreamCount()), Modified(doc.GetModified()), Grid(doc.GetPageDefaults().GridSize) {}
  bool operator==(const TDocumentState&) const = default;
  int Pages;
  TdocPage* Current;
  int Shapes;
  int Streams;
  bool Modified;
  float Grid;
};

TEST_F(DocumentArchiveTest, AFailedLoadLeavesTheDocumentAsItWas) {
  Fill(Doc, 2);
  Doc.SetDefaultGridSize(1.5f);
  Doc.SaveToFile(Path("own.stor"));
  Doc.AddShape(MakeRectangle(1, 1));
  const TDocumentState before(Doc);
  struct Case {
    std::string Bytes;
    std::string Message;
  };
  const std::string goodIndex = IndexXml("<DefaultGridSize>9</DefaultGridSize>");
  const Case cases[] = {
      {"not a container at all", "File is not a storage file"},
      {WriteStor({{"Page0001.xml", PageXml(1, 1)}}), "Stream \"Index.xml\" not found in the storage"},
      {WriteStor({{"Index.xml", ""}, {"Page0001.xml", PageXml(1, 1)}}), "No index found in archive"},
      {WriteStor({{"Index.xml", "<Document><Open>"}}), ""},
      {WriteStor({{"Index.xml", goodIndex}, {"Page0001.xml", "<Page><Shape>"}}), ""},
      {WriteStor({{"Index.xml", goodIndex}, {"Page0002.xml", PageXml(2, 1)}}),
       "Stream \"Page0001.xml\" not found in the storage"},
      {WriteStor({{"Index.xml", goodIndex}}).substr(0, 80), ""},
      {WriteStor({{"Index.xml", goodIndex}, {"Page0001.xml", PageXml(1, 1)}, {"PAGE0001.XML", PageXml(1, 2)}}),
       "Storage file is corrupt (stream \"PAGE0001.XML\" named twice)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Message);
    WriteFileBytes(Path("bad.stor"), c.Bytes);
    for (bool fromStream : {false, true}) {
      try {
        if (fromStream) {
          TMemoryStream stream;
          stream.Write(c.Bytes.data(), std::int64_t(c.Bytes.size()));
          stream.SetPosition(0);
          Doc.LoadFromStream(stream);
        } else {
          Doc.LoadFromFile(Path("bad.stor"));
        }
        ADD_FAILURE() << "loaded";
      } catch (const Exception& error) {
        if (!c.Message.empty()) {
          EXPECT_EQ(error.what(), c.Message);
        }
      }
      EXPECT_EQ(TDocumentState(Doc), before);
      EXPECT_FALSE(Doc.IsLoading());
      EXPECT_FALSE(Doc.IsBusy());
    }
  }
  // The document still works with its own archive.
  Doc.SetCurrentPageIndex(1);
  EXPECT_EQ(Doc.ShapeCount(), 2);
  try {
    Doc.LoadFromFile(Path("missing.stor"));
    ADD_FAILURE() << "loaded";
  } catch (const Exception& error) {
    EXPECT_EQ(error.what(), "Cannot find file \"" + Path("missing.stor") + "\"");
  }
  EXPECT_EQ(Doc.GetPageCount(), 2);
}

TEST_F(DocumentArchiveTest, LoadAndSaveAreRefusedWhileBusy) {
  Doc.SaveToFile(Path("a.stor"));
  auto busy = Doc.BusyBracket(crHourGlass);
  TMemoryStream stream;
  for (const auto& call : std::vector<std::function<void()>>{[&] { Doc.LoadFromFile(Path("a.stor")); },
                                                             [&] { Doc.SaveToFile(Path("b.stor")); },
                                                             [&] { Doc.SaveToStream(stream); },
                                                             [&] { Doc.LoadFromStream(stream); }}) {
    try {
      call();
      ADD_FAILURE() << "not refused";
    } catch (const Exception& error) {
      EXPECT_STREQ(error.what(), "Threading error (working already)");
    }
  }
  EXPECT_FALSE(std::filesystem::exists(Path("b.stor")));
}

// Accepts limit bytes, then fails every write.
class TFailingStream : public TMemoryStream {
public:
  explicit TFailingStream(std::int64_t limit) : Limit(limit) {}
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    if (GetPosition() + count > Limit) throw EWriteError("Stream write error");
    return TMemoryStream::Write(buffer, count);
  }

private:
  std::int64_t Limit;
};

TEST_F(DocumentArchiveTest, ASaveThatFailsLeavesTheDocumentModified) {
  Fill(Doc, 2);
  TMemoryStream whole;
  Doc.SaveToStream(whole);
  Doc.AddShape(MakeRectangle(3, 3));
  for (std::int64_t limit : {std::int64_t{0}, std::int64_t{70}, whole.GetSize() / 2, whole.GetSize() - 1}) {
    SCOPED_TRACE(limit);
    TFailingStream failing(limit);
    EXPECT_THROW(Doc.SaveToStream(failing), EWriteError);
    EXPECT_TRUE(Doc.GetModified());
    EXPECT_FALSE(Doc.IsBusy());
  }
  TMemoryStream good;
  Doc.SaveToStream(good);
  EXPECT_FALSE(Doc.GetModified());
  good.SetPosition(0);
  TdocDocumentCore reread;
  reread.LoadFromStream(good);
  EXPECT_EQ(reread.ShapeCount(), 2);
}

TEST_F(DocumentArchiveTest, ASaveCutShortByTheFileSizeLimitLeavesTheOldFileWhole) {
  Doc.SaveToFile(Path("doc.stor"));
  const std::string old = FileBytes(Path("doc.stor"));
  Fill(Doc, 3);
  TMemoryStream whole;
  Doc.SaveToStream(whole);
  Doc.GetPages(0)->SetModified(true);
  for (std::int64_t limit : {std::int64_t{1}, std::int64_t{73}, whole.GetSize() / 3, whole.GetSize() - 1}) {
    SCOPED_TRACE(limit);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit cap{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
      setrlimit(RLIMIT_FSIZE, &cap);
      try {
        Doc.SaveToFile(Path("doc.stor"));
      } catch (const std::exception&) {
        _exit(0);
      }
      _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save did not fail";
    EXPECT_EQ(FileBytes(Path("doc.stor")), old);
    // No temporary file is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Folder)) ++files;
    EXPECT_EQ(files, 1);
  }
}

// The use count of each font in a "Fonts.dat", read by the stream's layout:
// per font its name, style, metrics, count and glyphs.
std::map<std::string, std::int32_t> StoredFontUses(const std::string& bytes) {
  std::size_t at = 5;
  const auto i32 = [&] {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(std::uint8_t(bytes.at(at + i))) << (8 * i);
    at += 4;
    return static_cast<std::int32_t>(v);
  };
  std::map<std::string, std::int32_t> uses;
  for (std::int32_t fonts = i32(); fonts > 0; --fonts) {
    const std::int32_t length = i32();
    const std::string name = bytes.substr(at, std::size_t(length));
    at += std::size_t(length) + 1 + 8;
    uses[name] = i32();
    for (std::int32_t glyphs = i32(); glyphs > 0; --glyphs) {
      at += 2 + 24;
      if (bytes.at(at++) == 0) continue;
      for (std::int32_t contours = i32(); contours > 0; --contours) at += 8 * std::size_t(i32());
    }
  }
  EXPECT_EQ(at, bytes.size());
  return uses;
}

void AddText(TdocDocumentCore& doc, const std::string& font) {
  auto text = std::make_unique<TdocPolygonText>();
  text->SetDocBounds(10, 10, 60, 12);
  text->SetFontName(font);
  text->SetText(u"Label");
  doc.AddShape(std::move(text));
}

// Each count is the number of shapes using the font, whatever the number of
// open and save cycles, and a document opened after another carries none of
// the other's fonts; a page not read yet keeps its fonts and their counts.
TEST_F(DocumentArchiveTest, EmbeddedFontCountsAreTheShapesUsingThem) {
  using TUses = std::map<std::string, std::int32_t>;
  const auto savedUses = [this](TdocDocumentCore& doc, const std::string& name) {
    doc.SaveToFile(Path(name));
    return StoredFontUses(*FindStream(ReadStor(FileBytes(Path(name))), "Fonts.dat"));
  };
  Doc.Options.FontEmbedding = true;
  Doc.SetPageCount(2);
  AddText(Doc, "DejaVu Sans");
  AddText(Doc, "DejaVu Sans");
  AddText(Doc, "DejaVu Serif");
  Doc.SetCurrentPageIndex(1);
  AddText(Doc, "DejaVu Sans Mono");
  Doc.SetCurrentPageIndex(0);
  const TUses all{{"DejaVu Sans", 2}, {"DejaVu Serif", 1}, {"DejaVu Sans Mono", 1}};
  EXPECT_EQ(savedUses(Doc, "a.stor"), all);

  TdocDocumentCore second;
  second.LoadFromFile(Path("a.stor"));
  for (int cycle = 0; cycle < 3; ++cycle) {
    SCOPED_TRACE(cycle);
    second.GetPages(0)->SetModified(true);
    EXPECT_EQ(savedUses(second, "b.stor"), all);  // page 2 not read yet
    second.LoadFromFile(Path("b.stor"));
  }
  second.SetCurrentPageIndex(1);  // reads page 2
  EXPECT_EQ(savedUses(second, "b.stor"), all);
  AddText(second, "DejaVu Sans");
  second.SetCurrentPageIndex(0);
  second.DeleteShape(2);
  EXPECT_EQ(savedUses(second, "b.stor"), (TUses{{"DejaVu Sans", 3}, {"DejaVu Sans Mono", 1}}));

  // Another document, with one font of its own.
  TdocDocumentCore other;
  other.Options.FontEmbedding = true;
  AddText(other, "DejaVu Serif");
  other.SaveToFile(Path("c.stor"));
  second.LoadFromFile(Path("c.stor"));
  EXPECT_EQ(savedUses(second, "d.stor"), (TUses{{"DejaVu Serif", 1}}));
  EXPECT_EQ(second.GetFontManager().GetFontCount(), 1);
}

TEST_F(DocumentArchiveTest, PicturesKeptInTheArchiveTravelWithTheDocument) {
  TBitmap32 picture;
  picture.SetSize(6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) picture.SetPixel(x, y, 0xFF000000u | std::uint32_t(x * 40 + y * 7));
  TdocPage& page = *Doc.GetPages(0);
  page.SetIsDefaultPage(false);
  {
    TdocResourceAccess access(page.GetOwnBackground());
    page.GetOwnBackground().SetBitmap(&picture);
    page.GetOwnBackground().SetStorageMode(rsArchive);
  }
  const std::string name = page.GetOwnBackground().GetArchiveName();
  ASSERT_FALSE(name.empty());
  Doc.SaveToFile(Path("a.stor"));
  EXPECT_NE(FindStream(ReadStor(FileBytes(Path("a.stor"))), name), nullptr);
  TdocDocumentCore second;
  second.LoadFromFile(Path("a.stor"));
  TdocBitmapResource& background = second.GetPages(0)->GetOwnBackground();
  TdocResourceAccess access(background);
  EXPECT_EQ(background.GetStorageMode(), rsArchive);
  const TBitmap32* loaded = background.GetBitmap();
  ASSERT_NE(loaded, nullptr);
  ASSERT_EQ(loaded->GetWidth(), 6);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(loaded->GetPixel(x, y), picture.GetPixel(x, y));
}

// "DefaultBgrImage" in the bitmap-in-XML form: a 32-bit BMP split into its
// four byte planes and packed by hand.
TEST_F(DocumentArchiveTest, DefaultBackgroundLoadsFromTheBitmapInXmlForm) {
  constexpr int w = 3, h = 2;
  auto pixel = [](int x, int y) { return 0xFF000000u | std::uint32_t(x * 60 + 10) << 16 | std::uint32_t(y * 90) << 8 | 7u; };
  hcktest::Bytes bmp{'B', 'M'};
  for (std::uint32_t field : {54u + w * h * 4, 0u, 54u, 40u, std::uint32_t{w}, std::uint32_t{h}}) hcktest::Put32(bmp, field);
  bmp.insert(bmp.end(), {1, 0, 32, 0});
  for (std::uint32_t field : {0u, std::uint32_t{w * h * 4}, 0u, 0u, 0u, 0u}) hcktest::Put32(bmp, field);
  for (int row = h - 1; row >= 0; --row)
    for (int x = 0; x < w; ++x) hcktest::Put32(bmp, pixel(x, row));
  // Plane c holds byte c of every whole 4-byte sample; the rest follows as it is.
  const std::size_t whole = bmp.size() / 4 * 4;
  hcktest::Bytes planes;
  for (std::size_t c = 0; c < 4; ++c)
    for (std::size_t i = c; i < whole; i += 4) planes.push_back(bmp[i]);
  planes.insert(planes.end(), bmp.begin() + std::ptrdiff_t(whole), bmp.end());
  const hcktest::Bytes packed = hcktest::ChainPackedByHand(planes);
  const std::string element = "<DefaultBgrImage><CompressedSize>" + std::to_string(packed.size()) +
                              "</CompressedSize><SourceSize>" + std::to_string(bmp.size()) + "</SourceSize><Buffer>" +
                              xml::EncodeBase64(packed.data(), packed.size()) + "</Buffer></DefaultBgrImage>";
  WriteFileBytes(Path("bgr.stor"), WriteStor({{"Index.xml", IndexXml(element)}, {"Page0001.xml", PageXml(1, 1)}}));
  Doc.LoadFromFile(Path("bgr.stor"));
  {
    TdocResourceAccess access(*Doc.GetDefaultBackground());
    const TBitmap32* background = Doc.GetDefaultBackground()->GetBitmap();
    ASSERT_NE(background, nullptr);
    ASSERT_EQ(std::pair(background->GetWidth(), background->GetHeight()), std::pair(w, h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) EXPECT_EQ(background->GetPixel(x, y), pixel(x, y));
  }
  EXPECT_FALSE(Doc.GetModified());
  // Written back in the resource's own form, and read from it again.
  Doc.SaveToFile(Path("again.stor"));
  TdocDocumentCore second;
  second.LoadFromFile(Path("again.stor"));
  TdocResourceAccess access(*second.GetDefaultBackground());
  const TBitmap32* background = second.GetDefaultBackground()->GetBitmap();
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->GetPixel(2, 1), pixel(2, 1));
}

TEST_F(DocumentArchiveTest, ProgressCountsThePagesLoadedAndSaved) {
  Fill(Doc, 3);
  Doc.SaveToFile(Path("a.stor"));
  TdocDocumentCore second;
  std::vector<std::tuple<TdocProgressType, int, int, float>> steps;
  second.OnProgress = [&](TPersistent*, TdocProgressType type, int count, int total, float percent) {
    steps.emplace_back(type, count, total, percent);
  };
  second.LoadFromFile(Path("a.stor"));
  using Step = std::tuple<TdocProgressType, int, int, float>;
  EXPECT_EQ(steps, (std::vector<Step>{{ptLoad, 1, 3, 0.0f}, {ptLoad, 2, 3, 1.0f / 3}, {ptLoad, 3, 3, 2.0f / 3},
                                      {ptLoad, 3, 3, 1.0f}}));
  steps.clear();
  second.GetPages(0)->SetModified(true);
  second.SaveToFile(Path("b.stor"));
  EXPECT_EQ(steps, (std::vector<Step>{{ptSave, 1, 3, 0.2f / 3}, {ptSave, 1, 3, 0.6f / 3}, {ptSave, 1, 3, 0.7f / 3},
                                      {ptSave, 3, 3, 1.0f}}));
}

}  // namespace
