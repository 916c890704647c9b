#pragma once
// What the barcode benchmarks share: a Zweckform 3666 sheet (5 x 13 labels
// of 38 x 21.19 mm on A4, margins 9 and 10.7 mm) filled with barcode shapes,
// and the offscreen Qt application their references need.

#include <QtGlobal>

#include <memory>
#include <string>

#include "app/shapes/BarcodeShape.h"

namespace bench {

constexpr float kSheetWidth = 210, kSheetHeight = 297;
constexpr float kLabelWidth = 38, kLabelHeight = 21.19f, kLeft = 9, kTop = 10.7f;
constexpr int kColumns = 5, kRows = 13;

// Hands one barcode shape per label, row by row, to add.
template <class Add>
void AddZweckformBarcodes(Add add) {
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column) {
      auto shape = std::make_unique<TdocBarCodeShape>();
      shape->CreateNewBarcode();
      shape->GetBarcode()->SetText(std::to_string(4711000 + row * kColumns + column));
      shape->SetDocFrame(kLeft + column * kLabelWidth, kTop + row * kLabelHeight, kLabelWidth, kLabelHeight, 0);
      add(std::move(shape));
    }
}

// The one application object of the program, on the offscreen platform.
template <class Application>
Application& OffscreenApplication(const char* name) {
  static int argc = 1;
  static std::string programName = name;
  static char* argv[] = {programName.data(), nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static Application application(argc, argv);
  return application;
}

}  // namespace bench
