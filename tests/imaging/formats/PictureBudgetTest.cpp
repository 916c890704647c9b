// The pixel budgets: one picture's from its declared sides, without overflow
// at the largest sides a header can hold; a label's shared by its pictures,
// each charge replacing the picture's last one; and the admission a caller
// hooks in while decoders read headers.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/formats/HckHeader.h"
#include "imaging/formats/HckImage.h"
#include "imaging/formats/PictureBudget.h"
#include "tests/imaging/ImagingTestSupport.h"
#include "tests/imaging/formats/TinyHugeBmp.h"

namespace {

using imaging::MaxPicturePixels;
using imaging::TPixelBudget;

std::string AdmitError(std::int64_t width, std::int64_t height) {
  return imagingtest::ErrorOf<EPictureTooLarge>([&] { imaging::AdmitPicture(width, height); });
}

TEST(PictureBudget, APictureHasAtMost64MillionPixelsWhateverItsSidesAre) {
  EXPECT_EQ(MaxPicturePixels, 8192 * 8192);
  EXPECT_EQ(AdmitError(8192, 8192), "no error");
  EXPECT_EQ(AdmitError(0, INT32_MAX), "no error");  // no pixels
  EXPECT_EQ(AdmitError(MaxPicturePixels, 1), "no error");
  EXPECT_EQ(AdmitError(8192, 8193),
            "The picture is too large (8192 x 8193 pixels): a picture may have at most 64 million pixels");
  EXPECT_NE(AdmitError(MaxPicturePixels + 1, 1), "no error");
  EXPECT_NE(AdmitError(INT32_MAX, INT32_MAX), "no error");
  EXPECT_NE(AdmitError(-1, 5), "no error");
}

std::string HoldError(TPixelBudget& budget, const void* holder, const std::shared_ptr<const void>& picture,
                      std::int64_t width, std::int64_t height, std::int64_t bytes) {
  return imagingtest::ErrorOf<EPictureTooLarge>([&] { budget.Hold(holder, picture, width, height, bytes); });
}

// Holders name their picture by one object: a picture shown by many holders
// counts once, and goes only with its last holder; a holder that takes
// another picture gives its last one back.
TEST(PictureBudget, ALabelsPicturesShareOneBudgetAndEachCountsOnceHoweverManyHoldIt) {
  TPixelBudget budget(100, 1000);
  const auto p = std::make_shared<int>(1), q = std::make_shared<int>(2), r = std::make_shared<int>(3);
  const int a = 0, b = 0, c = 0;
  budget.Hold(&a, p, 6, 10, 300);
  budget.Hold(&b, p, 6, 10, 300);
  EXPECT_EQ(budget.Used(), 60);
  EXPECT_EQ(budget.UsedBytes(), 300);
  EXPECT_EQ(HoldError(budget, &c, q, 5, 10, 300),
            "The picture (5 x 10 pixels) is not loaded: the pictures of a label may have at most 0 million pixels "
            "together");
  // a gives p back, but b still shows it.
  EXPECT_NE(HoldError(budget, &a, q, 5, 10, 300), "no error");
  EXPECT_EQ(budget.Used(), 60) << "a refusal charges nothing";
  budget.Release(&b);
  EXPECT_EQ(HoldError(budget, &a, q, 5, 10, 300), "no error");
  EXPECT_EQ(budget.Used(), 50);
  EXPECT_EQ(budget.UsedBytes(), 300);
  EXPECT_EQ(HoldError(budget, &c, r, 5, 10, 701),
            "The picture (5 x 10 pixels) is not loaded: the picture files of a label may hold at most 0 MB together");
  EXPECT_EQ(HoldError(budget, &c, r, 5, 10, 700), "no error");  // exactly full
  EXPECT_EQ(budget.Used(), 100);
  EXPECT_EQ(budget.UsedBytes(), 1000);
  EXPECT_EQ(HoldError(budget, &b, q, 5, 10, 300), "no error") << "a picture held already costs nothing";
  budget.Release(&a);
  budget.Release(&c);
  EXPECT_EQ(budget.Used(), 50);
  budget.Release(&b);
  budget.Release(&b);
  EXPECT_EQ(budget.Used(), 0);
  EXPECT_EQ(budget.UsedBytes(), 0);
  EXPECT_EQ(HoldError(budget, &a, p, INT32_MAX, 0, 0), "no error");
  EXPECT_NE(HoldError(budget, &b, q, INT32_MAX, INT32_MAX, 0), "no error");
  EXPECT_EQ(budget.Used(), 0);
}

// The decoders tell the admission of their thread the sides their header
// states before they read any pixel: a picture whose pixel data is missing
// still reaches it.
TEST(PictureBudget, DecodersTellTheAdmissionTheDeclaredSidesFirst) {
  std::vector<std::pair<std::int64_t, std::int64_t>> told;
  {
    const imaging::TPictureAdmission outer([&told](std::int64_t, std::int64_t) { told.emplace_back(-1, -1); });
    const imaging::TPictureAdmission admission(
        [&told](std::int64_t width, std::int64_t height) { told.emplace_back(width, height); });
    TCustomBitmap32 bitmap;
    TMemoryStream bmp;
    const std::string file = imagingtest::TinyHugeBmp(300, 200);
    bmp.WriteBuffer(file.data(), static_cast<std::int64_t>(file.size()));
    bmp.SetPosition(0);
    bitmap.LoadFromStream(bmp);
    EXPECT_EQ(bitmap.GetWidth(), 300);

    THckHeader header;
    header.Width = 700;
    header.Height = 500;
    header.GreyBits = 8;
    const auto bytes = imaging::EncodeHckHeader(header);  // and no pixel data
    TMemoryStream hck;
    hck.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    hck.SetPosition(0);
    EXPECT_THROW(THckImage().LoadFromStream(hck, bitmap, 0, TSize{0, 0}), ERasterError);
  }
  imaging::AdmitPicture(1, 1);  // no admission any more
  EXPECT_EQ(told, (std::vector<std::pair<std::int64_t, std::int64_t>>{{300, 200}, {700, 500}}));
}

}  // namespace
