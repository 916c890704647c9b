// The label as an image: sizes from the resolution (halves to even), refused
// resolutions, and an exported file that Qt reads back and zbar decodes.

#include <gtest/gtest.h>

#include <QImage>

#include "app/LabelExport.h"
#include "app/shapes/BarcodeShape.h"
#include "app/shapes/ShapesStartUp.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/resources/ResourceStartUp.h"
#include "tests/app/AppTestSupport.h"
#include "tests/barcode/BarcodeTestSupport.h"

namespace {

TEST(LabelExportTest, ImageSizeFromTheResolution) {
  const struct {
    float Width, Height;
    int Scale;
    TSize Size;
  } cases[] = {
      {63.5f, 72.0f, 5, {318, 360}},  // the first AVERY label: 317.5 goes to the even 318
      {100.0f, 50.0f, 5, {500, 250}},
      {63.5f, 72.0f, 1, {64, 72}},    // 63.5 goes to the even 64
      {62.5f, 0.5f, 1, {62, 0}},      // refused below: an empty side
      {10.0f, 10.0f, 20, {200, 200}},
  };
  for (const auto& c : cases) {
    if (c.Size.cy == 0)
      EXPECT_THROW(app::LabelImageSize(c.Width, c.Height, c.Scale), EConvertError);
    else
      EXPECT_EQ(app::LabelImageSize(c.Width, c.Height, c.Scale), c.Size) << c.Width << " x " << c.Height;
  }
  for (const int scale : {0, 21, -5})
    EXPECT_EQ(bctest::MessageOf([&] { app::LabelImageSize(10, 10, scale); }),
              "The resolution must be 1 to 20 pixels per millimetre");
  EXPECT_THROW(app::LabelImageSize(5000, 5000, 20), EConvertError);
  EXPECT_THROW(app::LabelImageSize(NAN, 10, 5), EConvertError);
}

class LabelImageTest : public ::testing::Test {
protected:
  LabelImageTest() {
    app::StartUpShapes();
    document::StartUpResources();
    Label.New();
    TdocPage& page = *Label.GetCurrentPage();
    page.SetPageWidth(63.5f);
    page.SetPageHeight(72.0f);
    auto barcode = std::make_unique<TdocBarCodeShape>();
    barcode->CreateNewBarcode();
    barcode->GetBarcode()->SetTyp(bcCodeEAN13);
    barcode->GetBarcode()->SetText("400638133393");
    barcode->SetDocFrame(3, 20, 57, 30, 0);
    page.AddShape(std::move(barcode));
  }
  ~LabelImageTest() override { document::ShutDownResources(); }

  TdocDocumentCore Label;
  TdocDocumentCore Hidden;  // no page yet, as after a print run emptied it
  apptest::TTempFolder Folder;
};

TEST_F(LabelImageTest, ExportedFileHoldsTheLabelAtFivePixelsPerMillimetre) {
  const auto image = app::RenderLabelImage(Hidden, *Label.GetCurrentPage(), app::DefaultExportScale);
  const std::string bmp = Folder.File("label.bmp");
  app::SaveLabelImage(*image, bmp, app::DefaultExportScale);
  const QImage read(QString::fromStdString(bmp));
  ASSERT_EQ(read.size(), QSize(318, 360));
  // Qt reads the declared resolution back: 5 pixels a millimetre.
  EXPECT_EQ(read.dotsPerMeterX(), 5000);
  EXPECT_EQ(read.dotsPerMeterY(), 5000);
  std::vector<unsigned char> grey;
  for (int y = 0; y < read.height(); ++y)
    for (int x = 0; x < read.width(); ++x) grey.push_back(static_cast<unsigned char>(qGray(read.pixel(x, y))));
  EXPECT_EQ(bctest::ScanGrey(grey, read.width(), read.height()),
            (std::vector<bctest::TScan>{{"EAN-13", "4006381333931"}}));
  EXPECT_EQ(read.pixel(0, 0), qRgb(255, 255, 255));

  const std::string jpg = Folder.File("label.jpg");
  app::SaveLabelImage(*image, jpg, app::DefaultExportScale);
  EXPECT_EQ(apptest::ReadBytes(jpg).substr(0, 2), "\xFF\xD8");
  const QImage readJpeg(QString::fromStdString(jpg));
  EXPECT_EQ(readJpeg.size(), QSize(318, 360));
  EXPECT_EQ(readJpeg.dotsPerMeterX(), 5000);
  EXPECT_EQ(readJpeg.dotsPerMeterY(), 5000);
  EXPECT_THROW(app::SaveLabelImage(*image, Folder.File("label.gif"), app::DefaultExportScale), Exception);
}

}  // namespace
