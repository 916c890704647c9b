#pragma once
// A plain document for pages outside the editor control: TdocPlainServices
// with the page host's settings as public fields, a page list it does not
// own, paint events as std::function members and counters of what it is
// asked. Tools, the fuzz targets and the tests use it.

#include <functional>
#include <vector>

#include "document/resources/BitmapResource.h"
#include "document/page/PageHost.h"
#include "document/shape/PlainServices.h"

class TdocPlainDocument : public TdocPlainServices, public TdocPageHost {
public:
  TdocPlainDocument();
  ~TdocPlainDocument() override;

  const TdocPageSettings& GetPageDefaults() const override { return Defaults; }
  TdocBitmapResource* GetDefaultBackground() const override { return DefaultBackground.get(); }
  float GetDefaultPageWidth() const override { return DefaultPageWidth; }
  float GetDefaultPageHeight() const override { return DefaultPageHeight; }

  int IndexOfPage(const TdocPage* page) const override;
  TdocPage* GetCurrentPage() const override;
  // Counts the request and marks the page loaded.
  void LoadPage(int index) override;
  void DoPageChanged(TdocPage*) override { ++PageChanges; }
  void UpdateScrollArea() override { ++ScrollAreaUpdates; }
  void Repaint() override {}

  TdocHelperMethodType GetHelperMethod() const override { return HelperMethod; }
  bool GetShowMargins() const override { return ShowMargins; }
  TdocViewStyleType GetViewStyle() const override { return ViewStyle; }
  bool HasPaintBackground() const override { return static_cast<bool>(OnPaintBackground); }
  void DoPaintBackground(TCanvas& canvas, const TRect& pageRect) override { OnPaintBackground(canvas, pageRect); }
  bool HasPaintForeground() const override { return static_cast<bool>(OnPaintForeground); }
  void DoPaintForeground(TCanvas& canvas, const TRect& pageRect) override { OnPaintForeground(canvas, pageRect); }

  void BeginPrinting() override { ++PrintingCount; }
  void EndPrinting() override;
  bool IsPrinting() const override { return PrintingCount > 0; }
  TdocStretchFilter GetQuality() const override { return Quality; }
  bool GetOptimizedPrinting() const override { return OptimizedPrinting; }
  TdocDocPerformanceType GetPerformance() const override { return Performance; }
  float GetRenderResolution() const override { return RenderResolution; }
  int GetProgressCount() const override { return ProgressCount; }
  int GetProgressTotal() const override { return ProgressTotal; }
  void DoProgress(TdocProgressType type, int count, int total, float percent) override;

  int GetThumbnailWidth() const override { return ThumbnailWidth; }
  int GetThumbnailHeight() const override { return ThumbnailHeight; }
  TColor GetColor() const override { return Color; }

  // A progress report as the document received it.
  struct TProgress {
    TdocProgressType Type;
    int Count;
    int Total;
    float Percent;
  };

  TdocPageSettings Defaults;
  TResourcePtr<TdocBitmapResource> DefaultBackground;
  float DefaultPageWidth = 210.0f;
  float DefaultPageHeight = 297.0f;
  std::vector<TdocPage*> Pages;
  int CurrentPageIndex = -1;
  TdocHelperMethodType HelperMethod = hmNone;
  bool ShowMargins = true;
  TdocViewStyleType ViewStyle = vsPrintLayout;
  std::function<void(TCanvas&, const TRect&)> OnPaintBackground;
  std::function<void(TCanvas&, const TRect&)> OnPaintForeground;
  TdocStretchFilter Quality = sfLinear;
  bool OptimizedPrinting = false;
  TdocDocPerformanceType Performance = dpMemoryOverSpeed;
  float RenderResolution = 5.905512f;
  int ProgressCount = 0;
  int ProgressTotal = 0;
  int ThumbnailWidth = 80;
  int ThumbnailHeight = 60;
  TColor Color = clBtnFace;

  std::vector<TProgress> Progress;
  int PrintingCount = 0;
  int LoadPageCalls = 0;
  int PageChanges = 0;
  int ScrollAreaUpdates = 0;
};
