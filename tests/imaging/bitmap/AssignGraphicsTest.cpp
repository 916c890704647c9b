// Graphics of the platform drawn into a bitmap, and the bitmap handed to a
// picture or the clipboard: the pixels and alpha each kind of graphic gives.

#include <gtest/gtest.h>

#include <vector>

#include "imaging/bitmap/Bitmap32.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Clipboard.h"
#include "platform/gdi/Icon.h"
#include "platform/gdi/Metafile.h"
#include "platform/gdi/Picture.h"
#include "platform/rtl/Exception.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace {

using imagingtest::Pixels;

// A graphic of no kind the bitmap knows: draws blue into its left column only.
class TLeftColumn : public TGraphic {
public:
  int GetWidth() const override { return 3; }
  int GetHeight() const override { return 2; }
  void Draw(TCanvas& canvas, const TRect& rect) const override {
    canvas.GetBrush().SetColor(0xFF0000);  // blue as 0x00BBGGRR
    canvas.FillRect(Rect(rect.Left, rect.Top, rect.Left + 1, rect.Bottom));
  }
};

// The clipboard's picture held in memory for the length of a test.
class ClipboardPictures : public ::testing::Test {
protected:
  void SetUp() override {
    TClipboard::Install({[this]() -> std::unique_ptr<TBitmap> {
                           if (!Held) return nullptr;
                           auto copy = std::make_unique<TBitmap>();
                           copy->Assign(Held.get());
                           return copy;
                         },
                         [this](const TBitmap& bitmap) {
                           Held = std::make_unique<TBitmap>();
                           Held->Assign(&bitmap);
                         }});
  }
  void TearDown() override { TClipboard::Install({}); }
  std::unique_ptr<TBitmap> Held;
};

TEST(AssignGraphics, AnIconWithAlphaBringsItsAlpha) {
  TIcon icon;
  const std::vector<TColor32> argb = {0x00123456, 0x80FF0000, 0xFF00FF00, 0x070000FF};
  icon.SetAlphaImage(2, 2, argb);
  TBitmap32 bitmap;
  bitmap.Assign(&icon);
  EXPECT_EQ(Pixels(bitmap), std::vector<TColor32>({0, 0x80FF0000, 0xFF00FF00, 0x070000FF}));
}

TEST(AssignGraphics, AMaskedIconAndAMetafileLeaveOutWhatTheyDoNotDraw) {
  TIcon icon;
  icon.SetMaskedImage(2, 2, {0x00FF0000, 0x0000FF00, 0x00FFFFFF, 0x000000FF}, {false, true, false, false});
  TBitmap32 fromIcon;
  fromIcon.Assign(&icon);
  // The masked pixel shows the white it was drawn on, fully transparent.
  EXPECT_EQ(Pixels(fromIcon), std::vector<TColor32>({0xFFFF0000, 0x00FFFFFF, 0xFFFFFFFF, 0xFF0000FF}));

  TMetafile metafile(4, 3, [](TCanvas& canvas, const TRect& rect) {
    canvas.GetBrush().SetColor(0x00FF00);  // green
    canvas.FillRect(Rect(rect.Left, rect.Top, rect.Left + 2, rect.Bottom));
  });
  TBitmap32 fromMetafile;
  fromMetafile.Assign(&metafile);
  for (int y = 0; y < 3; ++y)
    EXPECT_EQ(std::vector<TColor32>(fromMetafile.ScanLine(y), fromMetafile.ScanLine(y) + 4),
              std::vector<TColor32>({0xFF00FF00, 0xFF00FF00, 0x00FFFFFF, 0x00FFFFFF}));
}

TEST(AssignGraphics, AnyOtherGraphicIsDrawnOnOpaqueWhite) {
  TLeftColumn graphic;
  TCustomBitmap32 bitmap;
  bitmap.Assign(&graphic);
  EXPECT_EQ(Pixels(bitmap), std::vector<TColor32>({0xFF0000FF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF0000FF, 0xFFFFFFFF, 0xFFFFFFFF}));
}

TEST(AssignGraphics, APictureGivesItsGraphicAndTakesA32BitCopy) {
  TPicture picture;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(2, 1);
  bitmap->GetSurface().Pixel(0, 0) = 0x00102030;
  bitmap->GetSurface().Pixel(1, 0) = 0x00405060;
  bitmap->GetCanvas().GetFont().SetName("DejaVu Serif");
  picture.SetGraphic(std::move(bitmap));
  TBitmap32 fromPicture;
  fromPicture.Assign(&picture);
  EXPECT_EQ(Pixels(fromPicture), std::vector<TColor32>({0xFF102030, 0xFF405060}));  // 24 bits: opaque
  EXPECT_EQ(fromPicture.GetFont().GetName(), "DejaVu Serif");

  TPicture empty;
  fromPicture.Assign(&empty);
  EXPECT_TRUE(fromPicture.IsEmpty());

  TBitmap32 source;
  source.SetSize(2, 2);
  source.Clear(0x80A0B0C0);
  source.GetFont().SetName("DejaVu Sans Mono");
  TPicture target;
  target.SetGraphic(std::make_unique<TIcon>());  // replaced by a bitmap
  target.Assign(&source);  // the bitmap assigns itself to the picture's bitmap
  const auto* received = dynamic_cast<const TBitmap*>(target.GetGraphic());
  ASSERT_NE(received, nullptr);
  EXPECT_EQ(received->GetPixelFormat(), pf32bit);
  EXPECT_EQ(received->GetSurface().Pixel(1, 1), 0x80A0B0C0u);
  EXPECT_EQ(received->GetCanvas().GetFont().GetName(), "DejaVu Sans Mono");
}

TEST_F(ClipboardPictures, TheBitmapGoesToTheClipboardAndComesBack) {
  TCustomBitmap32 empty;
  try {
    empty.Assign(&Clipboard());
    FAIL() << "assigned from an empty clipboard";
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Unsupported clipboard format");
  }
  TBitmap32 source;
  source.SetSize(3, 1);
  source.Clear(0xC0112233);
  Clipboard().Assign(&source);
  ASSERT_NE(Held, nullptr);
  EXPECT_EQ(Held->GetPixelFormat(), pf32bit);
  TBitmap32 pasted;
  pasted.Assign(&Clipboard());
  EXPECT_EQ(Pixels(pasted), Pixels(source));
}

TEST(AssignGraphics, WithoutAClipboardThePictureIsRefused) {
  TBitmap32 source;
  source.SetSize(1, 1);
  EXPECT_THROW(Clipboard().Assign(&source), EInvalidOperation);
}

}  // namespace
