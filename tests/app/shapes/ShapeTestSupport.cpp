#include "ShapeTestSupport.h"

#include <algorithm>

#include "app/shapes/ShapesStartUp.h"
#include "tests/barcode/BarcodeTestSupport.h"

namespace shapetest {

TTestPage::TTestPage(float width, float height) {
  app::StartUpShapes();
  PageShape.SetDocument(&Document);
  PageShape.SetDocFrame(0, 0, width, height, 0);
}

TdocBarCodeShape& TTestPage::AddBarcode(TBarcodeType typ, const std::string& text, float left, float top, float width,
                                        float height, float angle) {
  auto shape = std::make_unique<TdocBarCodeShape>();
  TdocBarCodeShape& added = *shape;
  PageShape.AddShape(std::move(shape));
  added.CreateNewBarcode();
  added.GetBarcode()->SetTyp(typ);
  added.GetBarcode()->SetText(text);
  added.SetDocFrame(left, top, width, height, 0);
  if (angle != 0) {
    const TFloatRect box = added.GetBox();
    added.SetDocAngle(angle);
    added.CenterAt((box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2);
  }
  return added;
}

std::unique_ptr<TBitmap32> TTestPage::Render(float resolution, int bandRows) {
  return Render(resolution, dtPrinter, false, bandRows);
}

std::unique_ptr<TBitmap32> TTestPage::Render(float resolution, TDeviceType device, bool miniature, int bandRows) {
  const float width = PageShape.GetDocWidth(), height = PageShape.GetDocHeight();
  auto bitmap = std::make_unique<TBitmap32>();
  bitmap->SetSize(static_cast<int>(width * resolution + 0.5f), static_cast<int>(height * resolution + 0.5f));
  bitmap->Clear(clWhite32);
  TdocRenderOptions options;
  options.Device = device;
  options.Miniature = miniature;
  options.Color = clWhite32 & 0x00FFFFFFu;  // the page's colour, clear, as printing sets it
  options.Resolution = resolution;
  options.BitmapResolution = resolution;
  // One scale on both axes, as the page renderer keeps it.
  const TFloatRect area{0, 0, bitmap->GetWidth() / resolution, bitmap->GetHeight() / resolution};
  const TRect whole = bitmap->BoundsRect();
  const int step = bandRows > 0 ? bandRows : whole.Bottom;
  for (int top = 0; top < whole.Bottom; top += step) {
    bitmap->SetClipRect({0, top, whole.Right, std::min(top + step, whole.Bottom)});
    PageShape.RenderShape(*bitmap, area, true, options);
  }
  bitmap->SetClipRect(whole);
  return bitmap;
}

bool IsDark(TColor32 pixel) {
  const int r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
  return (r * 299 + g * 587 + b * 114) / 1000 < 128;
}

std::vector<TScan> ScanAll(const TBitmap32& bitmap, int top, int bottom) {
  const int width = bitmap.GetWidth();
  top = std::max(0, top);
  const int height = (bottom < 0 ? bitmap.GetHeight() : std::min(bottom, bitmap.GetHeight())) - top;
  std::vector<unsigned char> grey(std::size_t(width) * std::size_t(std::max(height, 0)));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) grey[std::size_t(y) * width + x] = IsDark(bitmap.GetPixel(x, top + y)) ? 0 : 255;
  return bctest::ScanGrey(grey, width, std::max(height, 0));
}

}  // namespace shapetest
