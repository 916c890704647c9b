// The page saved shape by shape, against the same page made as one XML tree
// and written at once: the bytes must be the same in every layout, for a
// page holding every kind of shape, effects, pictures in the XML and texts
// with blanks and characters XML escapes.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/core/DocumentCore.h"
#include "document/core/StartUp.h"
#include "document/effects/Effect.h"
#include "document/effects/EffectShape.h"
#include "document/page/Page.h"
#include "document/shape/ClassRegistry.h"
#include "document/shapes/BitmapShape.h"
#include "document/shapes/FrameShapes.h"
#include "document/shapes/PolygonShape.h"
#include "document/text/TextShape.h"
#include "imaging/bitmap/Bitmap32.h"
#include "platform/rtl/Stream.h"
#include "xml/XmlDocument.h"
#include "xml/storage/Storage.h"

namespace {

const std::u16string PaddedText = u"  Lot <7> & \"B\" it's \u20AC \U0001F600\r\nsecond line\t ";

void FillNoise(TBitmap32& picture) {
  picture.SetSize(13, 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) picture.SetPixel(x, y, 0xFF000000u | std::uint32_t(x * 2654435761u ^ y * 40503u));
}

std::unique_ptr<TdocShape> MakeRectangle() {
  auto rectangle = std::make_unique<TdocRectangleShape>();
  rectangle->SetDocFrame(2, 3, 4, 5, 0);
  return rectangle;
}

// Every registered class but the page, each with every registered effect
// where it takes effects, then shapes whose values XML must escape or keep.
void FillVariedPage(TdocDocumentCore& doc) {
  int i = 0;
  for (const auto& holder : ShapeRegistry().GetHolders()) {
    // Other tests of this program register stand-ins that cannot be made.
    if (holder.Name == "TdocPage" || !holder.Class->Create) continue;
    std::unique_ptr<TdocShape> shape = holder.Class->Create();
    shape->SetDocFrame(float(1 + i % 9 * 10), float(1 + i / 9 * 10), 8, 5, float(i * 17 % 360));
    shape->SetName(u"kind " + std::u16string(1, char16_t(u'A' + i)) + u" <&>");
    if (auto* effects = dynamic_cast<TdocEffectShape*>(shape.get()))
      for (const auto& effect : EffectRegistry().GetHolders())
        if (effect.Class->Create) effects->AddEffect(effect.Class->Create());
    doc.AddShape(std::move(shape));
    ++i;
  }
  auto text = std::make_unique<TdocTextShape>();
  text->SetFontName("DejaVu Sans");
  text->SetText(PaddedText);
  text->SetDocFrame(5, 40, 30, 8, 0);
  doc.AddShape(std::move(text));
  auto blank = std::make_unique<TdocTextShape>();
  blank->SetText(u"   ");
  blank->SetName(u" ");
  doc.AddShape(std::move(blank));
  auto polygon = std::make_unique<TdocPolygonShape>();
  for (int p = 0; p < 40; ++p) polygon->AddPointXY(float(p % 7), float(p * p % 11));
  doc.AddShape(std::move(polygon));
  auto picture = std::make_unique<TdocBitmapShape>();
  TdocBitmapShape& pictured = *picture;
  doc.AddShape(std::move(picture));
  pictured.SetStorageMode(stEmbedded);
  TBitmap32 noise;
  FillNoise(noise);
  pictured.GetImage().SetBitmap(&noise);
  auto group = std::make_unique<TdocGroupShape>();
  group->AddShape(MakeRectangle());
  doc.AddShape(std::move(group));
}

std::string Bytes(const TMemoryStream& stream) { return std::string(stream.Bytes().begin(), stream.Bytes().end()); }

// The page as one tree, written at once.
std::string WholeTreeBytes(const TdocPage& page, TXmlLayout layout) {
  TXmlDocument xml("Page");
  xml.Layout = layout;
  xml.GetRoot()->AddAttributeInteger("Index", 1);
  page.SaveToXml(*xml.GetRoot());
  TMemoryStream stream;
  xml.SaveToStream(stream);
  return Bytes(stream);
}

struct PageStreamSaveTest : ::testing::Test {
  PageStreamSaveTest() {
    document::StartUp();
    Doc.SetPageCount(1);
    Doc.SetCurrentPageIndex(0);
    // What the document adds to each shape's XML comes after its children.
    Doc.OnShapeSaveAdditionalInfo = [](TPersistent*, TdocShape* shape, TXmlNode& node) {
      node.WriteChildString("Extra", "after " + std::to_string(shape->GetShapeCount()) + " <children>");
    };
    FillVariedPage(Doc);
  }
  TdocDocumentCore Doc;
};

}  // namespace

TEST_F(PageStreamSaveTest, StreamedPageIsByteForByteTheWholeTreeInEveryLayout) {
  TdocPage& page = *Doc.GetPages(0);
  page.SetPageColor(0xC0FFEE);
  for (TXmlLayout layout : {xlCompact, xlReadable}) {
    const std::string expected = WholeTreeBytes(page, layout);
    // The page holds what it is meant to: a check of the test itself.
    for (const char* part : {"<ClassName>TdocProjectiveText</ClassName>", "<ClassName>TdocTextureEffect</ClassName>",
                             "<Filter>Base64</Filter>", "Lot &lt;7&gt; &amp; &quot;B&quot; it&apos;s", "<Extra>after 1 "})
      EXPECT_NE(expected.find(part), std::string::npos) << part;
    TXmlDocument xml("Page");
    xml.Layout = layout;
    xml.GetRoot()->AddAttributeInteger("Index", 1);
    TMemoryStream stream;
    page.SaveToXmlStream(xml, stream);
    EXPECT_EQ(Bytes(stream), expected) << "layout " << int(layout);
    EXPECT_EQ(xml.GetRoot()->FindChild("Shape"), nullptr) << "no shape's XML is left once written";
  }
}

TEST_F(PageStreamSaveTest, ArchivedPageStreamIsTheWholeTreeAndReadsBack) {
  TMemoryStream archive;
  Doc.SaveToStream(archive);
  TMemoryStream stored;
  Doc.GetStorage()->ReadStream("Page0001.xml", stored);
  const TdocPage& page = *Doc.GetPages(0);
  EXPECT_EQ(Bytes(stored), WholeTreeBytes(page, xlCompact));

  archive.SetPosition(0);
  TdocDocumentCore second;
  second.LoadFromStream(archive);
  ASSERT_EQ(second.GetPages(0)->GetShapeCount(), page.GetShapeCount());
  const auto* text = dynamic_cast<const TdocTextShape*>(second.GetPages(0)->GetShapes(page.GetShapeCount() - 5));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetText(), PaddedText);
}
