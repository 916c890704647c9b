#pragma once
// The editor control's enumerations that the model shares with the widget.
// Ordinals count from 0 in the order given; settings files store them.

#include <cstdint>
#include <string_view>

enum TPrintQualityType : std::uint8_t { pqLow, pqMedium, pqHigh, pqDevice };
enum TdocViewerModeType : std::uint8_t { vmBrowse, vmEdit, vmTextSelect, vmZoom, vmSlideshow };
enum TMultiSelectMethodType : std::uint8_t { msmCtrl, msmSimple };
enum TdocHZScrollingType : std::uint8_t { hzsNoScroll, hzsAlways, hzsWhenMouseDown };
enum TdocHandlePainterType : std::uint8_t { hpStippleHandle, hpW2K3Handle, hpCustomHandle };
enum TRulerUnit : std::uint8_t { ruCenti, ruMilli, ruInch, ruPixel, ruNone };

// What the mouse is doing on the page: idle, dragging the selection, drawing
// a rubber band, a shape waiting to be inserted, dragging the frame of the
// shape being inserted, editing a shape in place.
enum TdocEditState : std::uint8_t {
  esIdle,
  esDragging,
  esRubberBand,
  esInsertPending,
  esInsertDragging,
  esInPlaceEdit
};

// "Low print quality (150 DPI)" and the others, as the print dialog lists them.
std::string_view PrintQualityCaption(TPrintQualityType quality);
