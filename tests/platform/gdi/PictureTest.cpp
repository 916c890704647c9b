// The picture's registry of graphic classes by extension.

#include <gtest/gtest.h>

#include "platform/gdi/Picture.h"
#include "platform/rtl/Exception.h"

namespace {

class TSquareGraphic : public TGraphic {
public:
  std::string ClassName() const override { return "TSquareGraphic"; }
  int GetWidth() const override { return 2; }
  int GetHeight() const override { return 2; }
  void Draw(TCanvas&, const TRect&) const override {}
};

class TLineGraphic : public TSquareGraphic {
public:
  std::string ClassName() const override { return "TLineGraphic"; }
  int GetHeight() const override { return 1; }
};

template <class G>
const TGraphicClass& ClassOf() {
  static const TGraphicClass record{"", []() -> std::unique_ptr<TGraphic> { return std::make_unique<G>(); }};
  return record;
}

}  // namespace

TEST(GraphicFormatList, ExtensionsAreFoundWholeInAnyCaseWithOrWithoutTheDot) {
  TGraphicFormatList list;
  list.Register("jpg", "Jpeg file", ClassOf<TSquareGraphic>());
  list.Register(".HCK", "HCK Image", ClassOf<TLineGraphic>());
  for (const char* extension : {"jpg", ".jpg", "JPG", ".Jpg"})
    EXPECT_EQ(list.Find(extension), &ClassOf<TSquareGraphic>()) << extension;
  for (const char* extension : {"hck", ".hck", "HCK"})
    EXPECT_EQ(list.Find(extension), &ClassOf<TLineGraphic>()) << extension;
  for (const char* stranger : {"jp", ".p", "pg", "jpgx", "jpg.", "..jpg", "hc", "", ".", "bmp"})
    EXPECT_EQ(list.Find(stranger), nullptr) << stranger;
  ASSERT_EQ(list.Formats().size(), 2u);
  EXPECT_EQ(list.Formats()[1].Extension, "HCK");
  EXPECT_EQ(list.Formats()[1].Description, "HCK Image");
  // The class found constructs its own kind of graphic.
  const std::unique_ptr<TGraphic> graphic = list.Find("hck")->Create();
  EXPECT_EQ(graphic->ClassName(), "TLineGraphic");
  EXPECT_EQ(graphic->GetHeight(), 1);
}

TEST(GraphicFormatList, RegisteringAnExtensionAgainPassesItToTheNewClass) {
  TGraphicFormatList list;
  list.Register("jpg", "Jpeg file", ClassOf<TSquareGraphic>());
  list.Register("bmp", "Bitmaps", ClassOf<TSquareGraphic>());
  list.Register(".JPG", "Lines", ClassOf<TLineGraphic>());
  ASSERT_EQ(list.Formats().size(), 2u);
  EXPECT_EQ(list.Formats()[0].Extension, "JPG");
  EXPECT_EQ(list.Formats()[0].Description, "Lines");
  EXPECT_EQ(list.Find("jpg"), &ClassOf<TLineGraphic>());
  EXPECT_EQ(list.Find("bmp"), &ClassOf<TSquareGraphic>());
}

TEST(Picture, UnknownExtensionsAreRefusedByName) {
  TPicture::RegisterFileFormat("sqr", "Squares", ClassOf<TSquareGraphic>());
  EXPECT_EQ(&TPicture::FindGraphicClass(".SQR"), &ClassOf<TSquareGraphic>());
  EXPECT_NE(TPicture::FileFormats().Find("sqr"), nullptr);
  for (const char* stranger : {".gif", "sq", ""}) {
    try {
      TPicture::FindGraphicClass(stranger);
      ADD_FAILURE() << stranger << " was found";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.GetMessage(), std::string("Unknown picture file extension \"") + stranger + "\"");
    }
  }
}
