// Pastes that carry tens of thousands of resources: each resource costs the
// same whatever the container already holds, so a paste grows linearly with
// what it carries. The work runs in a child process of its own, bounded in
// memory and, loosely, in time: before each step was made independent of
// the container's size, one paste of 20000 resources took 38 s.

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/core/DocumentCore.h"
#include "document/core/TextClipboard.h"
#include "document/page/Page.h"
#include "tests/document/ByteForm.h"
#include "tests/document/ChildProcessPeak.h"
#include "tests/document/TestShapes.h"
#include "xml/Base64.h"
#include "xml/storage/Storage.h"

namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LARGE_PASTE_UNDER_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(LARGE_PASTE_UNDER_SANITIZER)
constexpr int kLargePasteResources = 2000;
#else
constexpr int kLargePasteResources = 20000;
#endif

using doctest::TResourceShape;

struct TLargePasteClipboard : TdocTextClipboard {
  std::string GetText() const override { return Text; }
  void SetText(const std::string& text) override { Text = text; }
  std::string Text;
};

std::string LargePastePicture(int number) {
  std::string bytes = "PICTURE " + std::to_string(number) + ' ';
  while (bytes.size() < 340) bytes += static_cast<char>('a' + (number + bytes.size()) % 26);
  return bytes;
}

std::string LargePasteSelection(const std::vector<doctest::TParsedForm>& forms) {
  std::string text = "<?xml version=\"1.0\"?>\r\n<Selection>";
  for (const doctest::TParsedForm& form : forms) {
    const std::string bytes = doctest::BuildForm(form);
    text += "<shape>" + xml::EncodeBase64(bytes.data(), bytes.size()) +
            "<ClassName>TResourceShape</ClassName></shape>";
  }
  return text + "</Selection>";
}

// A shape that shows the resource under name.
doctest::TParsedForm LargePasteShape(const std::string& name) {
  return {{}, "<shape><Stream>" + name + "</Stream></shape>"};
}

// count shapes, each carrying its own picture under a temporary name as a
// copy from another document does.
std::string ShapesWithOnePictureEach(int count) {
  std::vector<doctest::TParsedForm> forms;
  for (int i = 0; i < count; ++i) {
    const std::string name = "TMP" + std::to_string(1000000 + i) + ".bmp";
    doctest::TParsedForm form = LargePasteShape(name);
    form.Resources.push_back({name, LargePastePicture(i)});
    forms.push_back(std::move(form));
  }
  return LargePasteSelection(forms);
}

// One shape carrying count pictures under names of its own and showing
// only the last: the others are dropped again.
std::string OneShapeCarryingManyPictures(int count) {
  doctest::TParsedForm form = LargePasteShape("picture" + std::to_string(count - 1) + ".png");
  for (int i = 0; i < count; ++i) form.Resources.push_back({"picture" + std::to_string(i) + ".png", LargePastePicture(i)});
  return LargePasteSelection({form});
}

void ExpectPasted(TdocDocumentCore& doc, int expectedShapes) {
  if (doc.ShapeCount() != expectedShapes)
    throw std::runtime_error("shapes " + std::to_string(doc.ShapeCount()) + " instead of " + std::to_string(expectedShapes));
}

// Every pasted shape shows its own picture, each in a temporary stream of
// its own.
void ExpectEveryPictureShown(TdocDocumentCore& doc, int firstShape, int count) {
  for (int i = 0; i < count; ++i) {
    const auto* shape = dynamic_cast<const TResourceShape*>(doc.GetShapes(firstShape + i));
    if (shape == nullptr || !TsdStorage::IsTempName(shape->Stream)) throw std::runtime_error("shape without its stream");
    TMemoryStream bytes;
    doc.GetStorage()->ReadStream(shape->Stream, bytes);
    if (std::string(bytes.Bytes().begin(), bytes.Bytes().end()) != LargePastePicture(i))
      throw std::runtime_error("shape " + std::to_string(i) + " shows another picture");
  }
}

TEST(LargePaste, TwentyThousandPicturesPasteTwiceAndOneShapeDropsWhatItDoesNotShow) {
  const int n = kLargePasteResources;
  const std::string many = ShapesWithOnePictureEach(n), carried = OneShapeCarryingManyPictures(n);
  std::cout << "selection of " << n << " shapes: " << many.size() / 1024 << " KB\n";
  const auto start = std::chrono::steady_clock::now();
  const doctest::TChildOutcome outcome = doctest::RunInChild(
      [&] {
        RegisterShapeClass(TResourceShape::StaticClass());
        TLargePasteClipboard clipboard;
        TdocDocumentCore doc;
        doc.SetTextClipboard(&clipboard);
        const int before = doc.GetStorage()->GetStreamCount();
        clipboard.Text = many;
        const auto pasteStart = std::chrono::steady_clock::now();
        doc.Paste();
        std::cout << "one paste of " << n << " resources: "
                  << std::chrono::duration<double>(std::chrono::steady_clock::now() - pasteStart).count() << " s"
                  << std::endl;
        clipboard.Text = many;  // now every carried name is taken
        doc.Paste();
        clipboard.Text = carried;
        doc.Paste();
        ExpectPasted(doc, 2 * n + 1);
        if (doc.GetStorage()->GetStreamCount() != before + 2 * n + 1) throw std::runtime_error("streams left behind");
        ExpectEveryPictureShown(doc, 0, n);
        ExpectEveryPictureShown(doc, n, n);
        // What the person gets back after saving and opening again.
        TMemoryStream saved;
        doc.SaveToStream(saved);
        saved.SetPosition(0);
        TdocDocumentCore reopened;
        reopened.LoadFromStream(saved);
        ExpectPasted(reopened, 2 * n + 1);
        ExpectEveryPictureShown(reopened, n, n);
        const auto* last = dynamic_cast<const TResourceShape*>(reopened.GetShapes(2 * n));
        TMemoryStream bytes;
        reopened.GetStorage()->ReadStream(last->Stream, bytes);
        if (std::string(bytes.Bytes().begin(), bytes.Bytes().end()) != LargePastePicture(n - 1))
          throw std::runtime_error("the shape of many pictures shows another one");
      },
      30);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "three pastes of " << n << " resources each, checked, saved and opened again: " << seconds << " s, peak "
            << outcome.PeakGrowthKb / 1024 << " MB\n";
  ASSERT_TRUE(outcome.Finished) << outcome.Failure;
  EXPECT_LT(outcome.PeakGrowthKb, 1024 * 1024);
}

}  // namespace
