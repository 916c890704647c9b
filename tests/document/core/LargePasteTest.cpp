// Pastes that carry tens of thousands of resources: each resource costs the
// same whatever the document already holds, so a paste grows linearly with
// what it carries. The work runs in a child process of its own, bounded in
// memory and, loosely, in time: before each step was made independent of
// the document's size, one paste of 10000 pictures took 10 s, of 20000 38 s.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/core/DocumentCore.h"
#include "document/core/TextClipboard.h"
#include "document/page/Page.h"
#include "document/shapes/BitmapShape.h"
#include "imaging/bitmap/Bitmap32.h"
#include "tests/document/ByteForm.h"
#include "tests/document/ChildProcessPeak.h"
#include "tests/document/TestShapes.h"
#include "xml/Base64.h"
#include "xml/storage/Storage.h"
#include "tests/SanitizerBuild.h"

namespace {

constexpr int kLargePasteResources = testbuild::UnderSanitizer ? 1000 : 10000;

using doctest::TResourceShape;

struct TLargePasteClipboard : TdocTextClipboard {
  std::string GetText() const override { return Text; }
  void SetText(const std::string& text) override { Text = text; }
  std::string Text;
};

TColor32 LargePasteColour(int number) { return 0xFF000000u | static_cast<std::uint32_t>(number) * 97u; }

// The selection text of count picture shapes copied from another document,
// each with a picture of its own colour kept in that document's archive.
std::string PicturesCopiedFromAnotherDocument(int count) {
  TdocDocumentCore source;
  for (int i = 0; i < count; ++i) {
    TBitmap32 picture;
    picture.SetSize(6, 4);
    picture.Clear(LargePasteColour(i));
    auto shape = std::make_unique<TdocBitmapShape>();
    TdocBitmapShape& added = *shape;
    source.AddShape(std::move(shape));
    added.GetImage().SetBitmap(&picture);
    added.SetStorageMode(stArchive);
    added.SetSelected(true);
  }
  std::string text;
  source.CopySelectionToXml(text);
  return text;
}

// One shape carrying count resources under names of its own and showing
// only the last: the others are dropped again.
std::string OneShapeCarryingManyResources(int count) {
  const std::string shown = "picture" + std::to_string(count - 1) + ".png";
  doctest::TParsedForm form{{}, "<shape><Stream>" + shown + "</Stream></shape>"};
  for (int i = 0; i < count; ++i)
    form.Resources.push_back({"picture" + std::to_string(i) + ".png", std::string(300, static_cast<char>('a' + i % 26))});
  const std::string bytes = doctest::BuildForm(form);
  return "<?xml version=\"1.0\"?>\r\n<Selection><shape>" + xml::EncodeBase64(bytes.data(), bytes.size()) +
         "<ClassName>TResourceShape</ClassName></shape></Selection>";
}

void ExpectShapes(TdocDocumentCore& doc, int expected) {
  if (doc.ShapeCount() != expected)
    throw std::runtime_error("shapes " + std::to_string(doc.ShapeCount()) + " instead of " + std::to_string(expected));
}

// The count picture shapes from firstShape on each show their own colour,
// each from a temporary stream of its own.
void ExpectEveryPictureShown(TdocDocumentCore& doc, int firstShape, int count) {
  for (int i = 0; i < count; ++i) {
    auto* shape = dynamic_cast<TdocBitmapShape*>(doc.GetShapes(firstShape + i));
    if (shape == nullptr || !TsdStorage::IsTempName(shape->GetImage().GetArchiveName()))
      throw std::runtime_error("picture shape " + std::to_string(i) + " has no stream of its own");
    TdocResourceAccess access(shape->GetImage());
    const auto picture = shape->GetImage().GetSharedBitmap();
    if (!picture || picture->GetPixel(3, 2) != LargePasteColour(i))
      throw std::runtime_error("picture shape " + std::to_string(i) + " shows another picture");
  }
}

TEST(LargePaste, TenThousandPicturesPasteTwiceAndOneShapeDropsWhatItDoesNotShow) {
  const int n = kLargePasteResources;
  const std::string pictures = PicturesCopiedFromAnotherDocument(n), carried = OneShapeCarryingManyResources(n);
  std::cout << "selection of " << n << " pictures: " << pictures.size() / 1024 << " KB" << std::endl;
  const auto start = std::chrono::steady_clock::now();
  const doctest::TChildOutcome outcome = doctest::RunInChild(
      [&] {
        RegisterShapeClass(TResourceShape::StaticClass());
        TLargePasteClipboard clipboard;
        TdocDocumentCore doc;
        doc.SetTextClipboard(&clipboard);
        const int before = doc.GetStorage()->GetStreamCount();
        clipboard.Text = pictures;
        const auto pasteStart = std::chrono::steady_clock::now();
        doc.Paste();
        std::cout << "one paste of " << n << " pictures: "
                  << std::chrono::duration<double>(std::chrono::steady_clock::now() - pasteStart).count() << " s"
                  << std::endl;
        clipboard.Text = pictures;  // now every carried name is taken
        doc.Paste();
        clipboard.Text = carried;
        doc.Paste();
        ExpectShapes(doc, 2 * n + 1);
        if (doc.GetStorage()->GetStreamCount() != before + 2 * n + 1) throw std::runtime_error("streams left behind");
        ExpectEveryPictureShown(doc, 0, n);
        ExpectEveryPictureShown(doc, n, n);
        // What the person gets back after saving and opening again.
        TMemoryStream saved;
        doc.SaveToStream(saved);
        saved.SetPosition(0);
        TdocDocumentCore reopened;
        reopened.LoadFromStream(saved);
        ExpectShapes(reopened, 2 * n + 1);
        ExpectEveryPictureShown(reopened, n, n);
        const auto* last = dynamic_cast<const TResourceShape*>(reopened.GetShapes(2 * n));
        TMemoryStream bytes;
        reopened.GetStorage()->ReadStream(last->Stream, bytes);
        if (bytes.Bytes() != std::vector<std::uint8_t>(300, static_cast<std::uint8_t>('a' + (n - 1) % 26)))
          throw std::runtime_error("the shape of many resources shows another one");
      },
      20);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "three pastes of " << n << " resources each, checked, saved and opened again: " << seconds << " s, peak "
            << outcome.PeakGrowthKb / 1024 << " MB\n";
  ASSERT_TRUE(outcome.Finished) << outcome.Failure;
  EXPECT_LT(outcome.PeakGrowthKb, 1024 * 1024);
}

}  // namespace
