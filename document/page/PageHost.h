#pragma once
// What a page asks of the document that holds its pages: the defaults of
// default pages, the page list, the view's page aids, the paint events, the
// printing bracket, progress reports and the thumbnail settings. The editor
// control's document core implements it next to TdocServices; a page finds
// it by asking its document (TdocServices) for this interface. A page whose
// document does not offer it keeps its own settings and renders nothing
// through RenderPage (TdocPlainDocument in PlainDocument.h is the plain
// implementation for tools and tests).

#include <cstdint>

#include "document/render/RenderOptions.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "platform/gdi/Color.h"
#include "platform/rtl/Types.h"

class TCanvas;
class TdocBitmapResource;
class TdocPage;

// Ordinals are stored.
enum TdocViewStyleType : std::uint8_t { vsPrintLayout, vsNormal };
enum TdocDocPerformanceType : std::uint8_t { dpMemoryOverSpeed, dpSpeedOverMemory };
enum TdocProgressType : std::uint8_t { ptLoad, ptSave, ptPrint, ptWizard };

// The settings a page either keeps itself or takes from the document's
// defaults while it is a default page.
struct TdocPageSettings {
  float MarginLeft = 10.0f;
  float MarginTop = 10.0f;
  float MarginRight = 10.0f;
  float MarginBottom = 10.0f;
  float GridSize = 5.0f;
  TColor GridColor = 0xFFFFC0;
  TColor PageColor = 0xFFFFFF;
  bool BackgroundTiled = false;
};

class TdocPageHost {
public:
  // ---- defaults of default pages
  virtual const TdocPageSettings& GetPageDefaults() const = 0;
  // Nil when the document keeps no default background.
  virtual TdocBitmapResource* GetDefaultBackground() const = 0;
  virtual float GetDefaultPageWidth() const = 0;
  virtual float GetDefaultPageHeight() const = 0;

  // ---- the page list
  // -1 when the page is not one of the document's.
  virtual int IndexOfPage(const TdocPage* page) const = 0;
  virtual TdocPage* GetCurrentPage() const = 0;
  // Reads the content of a page that was not loaded yet.
  virtual void LoadPage(int index) = 0;
  virtual void DoPageChanged(TdocPage* page) = 0;
  virtual void UpdateScrollArea() = 0;
  // Repaints the control.
  virtual void Repaint() = 0;

  // ---- page aids and paint events
  virtual TdocHelperMethodType GetHelperMethod() const = 0;
  virtual bool GetShowMargins() const = 0;
  virtual TdocViewStyleType GetViewStyle() const = 0;
  virtual bool HasPaintBackground() const = 0;
  virtual void DoPaintBackground(TCanvas& canvas, const TRect& pageRect) = 0;
  virtual bool HasPaintForeground() const = 0;
  virtual void DoPaintForeground(TCanvas& canvas, const TRect& pageRect) = 0;

  // ---- printing and rendering
  virtual void BeginPrinting() = 0;
  // Raises "EndPrinting called more often than BeginPrinting" without an
  // open bracket.
  virtual void EndPrinting() = 0;
  virtual bool IsPrinting() const = 0;
  // The stretch filter of rendering.
  virtual TdocStretchFilter GetQuality() const = 0;
  virtual bool GetOptimizedPrinting() const = 0;
  virtual TdocDocPerformanceType GetPerformance() const = 0;
  // Dots per millimetre of page bitmaps made for thumbnails and export.
  virtual float GetRenderResolution() const = 0;
  // The pages done and the pages to do of the print run being reported.
  virtual int GetProgressCount() const = 0;
  virtual int GetProgressTotal() const = 0;
  virtual void DoProgress(TdocProgressType type, int count, int total, float percent) = 0;

  // ---- thumbnails
  virtual int GetThumbnailWidth() const = 0;
  virtual int GetThumbnailHeight() const = 0;
  // The control's own colour, around the page in thumbnails.
  virtual TColor GetColor() const = 0;

protected:
  TdocPageHost() = default;
  ~TdocPageHost() = default;
  TdocPageHost(const TdocPageHost&) = default;
  TdocPageHost& operator=(const TdocPageHost&) = default;
};

// BeginPrinting now, EndPrinting when the scope is left; nothing without a host.
class TdocPrintingBracket {
public:
  explicit TdocPrintingBracket(TdocPageHost* host) : Host(host) {
    if (Host) Host->BeginPrinting();
  }
  ~TdocPrintingBracket() {
    if (Host) Host->EndPrinting();
  }
  TdocPrintingBracket(const TdocPrintingBracket&) = delete;
  TdocPrintingBracket& operator=(const TdocPrintingBracket&) = delete;

private:
  TdocPageHost* Host;
};
