#include "document/core/DocumentCore.h"

#include <algorithm>
#include <cmath>

#include "document/editor/HandlePainter.h"
#include "document/editor/W2K3HandlePainter.h"
#include "document/page/Page.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Numbers.h"

std::string_view PrintQualityCaption(TPrintQualityType quality) {
  static constexpr std::string_view captions[] = {
      "Low print quality (150 DPI)", "Medium print quality (300 DPI)", "High print quality (600 DPI)",
      "Device print quality (best possible DPI)"};
  return quality <= pqDevice ? captions[quality] : std::string_view{};
}

TdocDocumentCore::TdocDocumentCore(TComponent* owner)
    : TComponent(owner),
      Archive(std::make_unique<TsdStorage>(this)),
      FontManager(std::make_unique<TdocFontManager>(this)),
      DefaultBackground(MakeResource<TdocBitmapResource>()) {
  DefaultBackground->SetOwner(this);
  DefaultBackground->OnChange = [this](TPersistent*) { DefaultBackgroundChanged(); };
  InitDefaults();
  {
    auto suspended = UndoSuspension(this);
    AddPage(nullptr);
  }
  SetModified(false);
}

TdocDocumentCore::~TdocDocumentCore() {
  // Shapes and pages are freed without telling anybody.
  DefaultBackground->OnChange = nullptr;
  InsertShape.reset();
  Pages.clear();
}

void TdocDocumentCore::InitDefaults() {
  Options = TdocDocumentOptions{};
  PageDefaults = TdocPageSettings{};
  DefaultPageWidth = 210.0f;
  DefaultPageHeight = 297.0f;
  Mode = vmEdit;
  ReadOnly = false;
  PaintEditBorder = true;
  UseClipboard = true;
  ViewStyle = vsPrintLayout;
  HelperMethod = hmNone;
  Quality = sfLinear;
  RulerUnits = ruMilli;
  ThumbnailWidth = 80;
  ThumbnailHeight = 60;
  RenderDpm = DefaultDpm;
  RenderAtScreenRes = false;
  UndoEnabledFlag = true;
  WindowLeft = 0.0f;
  WindowTop = 0.0f;
  HitSensitivity = 1.0f;
  BuildHitProbes();
}

void TdocDocumentCore::ClearContent() {
  CancelEditing();
  {
    auto suspended = UndoSuspension(this);
    auto update = UpdateBracket();
    for (const auto& page : Pages) {
      page->ClearShapes();
      DoShapeDestroy(page.get());
    }
  }
  ShowPage(-1);
  Pages.clear();
  PagesToUpdate.clear();
  CurrentPageIndex = -1;
  LastCopyPage = nullptr;
  ClearUndo();
  Archive->Clear();
  DefaultBackground->Clear();
  // Fonts of the document before are not the next one's: "Fonts.dat" would
  // otherwise gather the fonts of every document opened.
  FontManager->ForgetStoredUses();
}

void TdocDocumentCore::Clear() {
  ClearContent();
  CurrentPageIndex = -1;
  Options.HandleColor = 0xFFFFFF;
  Options.HandleEdgeColor = 0x000000;
  SetHotzoneScrolling(hzsNoScroll);
  Quality = sfLinear;
  RenderDpm = DefaultDpm;
  ScreenScale = DefaultDpm;
  ThumbnailHeight = 60;
  ThumbnailWidth = 80;
  ViewStyle = vsPrintLayout;
  Options.StepAngle = 0.0f;
  Options.StoreThumbnails = true;
  Options.ShowMargins = true;
  PageDefaults = TdocPageSettings{};
  DefaultPageHeight = 297.0f;
  DefaultPageWidth = 210.0f;
  Modified = true;
  Repaint();
}

void TdocDocumentCore::New() {
  CheckNotBusy();
  Clear();
  {
    auto suspended = UndoSuspension(this);
    AddPage(nullptr);
    if (View) View->ZoomPageWidth();
  }
  Modified = false;
  DoPageChanged(nullptr);
}

// ---- settings

template <class T>
void TdocDocumentCore::ChangeDefault(T& field, T value, void (TdocDocumentCore::*after)()) {
  if (field == value) return;
  field = value;
  DoDocumentChanged();
  if (after) (this->*after)();
  Repaint();
}

void TdocDocumentCore::SetDefaultMarginLeft(float value) { ChangeDefault(PageDefaults.MarginLeft, value, nullptr); }
void TdocDocumentCore::SetDefaultMarginTop(float value) { ChangeDefault(PageDefaults.MarginTop, value, nullptr); }
void TdocDocumentCore::SetDefaultMarginRight(float value) { ChangeDefault(PageDefaults.MarginRight, value, nullptr); }
void TdocDocumentCore::SetDefaultMarginBottom(float value) {
  ChangeDefault(PageDefaults.MarginBottom, value, nullptr);
}
void TdocDocumentCore::SetDefaultGridSize(float value) { ChangeDefault(PageDefaults.GridSize, value, nullptr); }
void TdocDocumentCore::SetDefaultGridColor(TColor value) { ChangeDefault(PageDefaults.GridColor, value, nullptr); }

void TdocDocumentCore::SetDefaultPageColor(TColor value) {
  ChangeDefault(PageDefaults.PageColor, value, &TdocDocumentCore::FlagDefaultBackgroundPages);
}

void TdocDocumentCore::SetDefaultBackgroundTiled(bool value) {
  ChangeDefault(PageDefaults.BackgroundTiled, value, &TdocDocumentCore::FlagDefaultBackgroundPages);
}

void TdocDocumentCore::SetDefaultPageWidth(float value) {
  ChangeDefault(DefaultPageWidth, value, &TdocDocumentCore::ResizeDefaultPages);
}

void TdocDocumentCore::SetDefaultPageHeight(float value) {
  ChangeDefault(DefaultPageHeight, value, &TdocDocumentCore::ResizeDefaultPages);
}

void TdocDocumentCore::ResizeDefaultPages() {
  for (const auto& page : Pages) {
    if (!page->GetIsDefaultPage()) continue;
    page->SetPageWidth(DefaultPageWidth);
    page->SetPageHeight(DefaultPageHeight);
  }
}

void TdocDocumentCore::FlagDefaultBackgroundPages() {
  for (const auto& page : Pages)
    if (page->GetIsDefaultPage()) PagesToUpdate.insert(page.get());
}

void TdocDocumentCore::DefaultBackgroundChanged() {
  DoDocumentChanged();
  FlagDefaultBackgroundPages();
  Repaint();
}

void TdocDocumentCore::SetMode(TdocViewerModeType value) {
  if (value == Mode || (value == vmEdit && ReadOnly)) return;
  Mode = value;
  ClearSelection();
  CancelEditing();
}

void TdocDocumentCore::SetReadOnly(bool value) {
  ReadOnly = value;
  if (!value) return;
  ClearSelection();
  CancelEditing();
  if (Mode == vmEdit) Mode = vmBrowse;
}

void TdocDocumentCore::SetUseClipboard(bool value) {
  UseClipboard = value;
  if (value) ClipboardText.clear();
}

void TdocDocumentCore::SetViewStyle(TdocViewStyleType value) {
  ViewStyle = value;
  UpdateScrollArea();
  Repaint();
}

void TdocDocumentCore::SetHelperMethod(TdocHelperMethodType value) {
  HelperMethod = value;
  Repaint();
}

void TdocDocumentCore::SetQuality(TdocStretchFilter value) {
  Quality = value;
  Repaint();
}

void TdocDocumentCore::SetRulerUnits(TRulerUnit value) {
  RulerUnits = value;
  if (View) View->UpdateRulers();
}

void TdocDocumentCore::SetThumbnailWidth(int value) {
  if (value == ThumbnailWidth) return;
  ThumbnailWidth = value;
  SetAllPagesModified();
}

void TdocDocumentCore::SetThumbnailHeight(int value) {
  if (value == ThumbnailHeight) return;
  ThumbnailHeight = value;
  SetAllPagesModified();
}

void TdocDocumentCore::SetAllPagesModified() {
  for (const auto& page : Pages) page->SetModified(true);
}

void TdocDocumentCore::SetRenderResolution(float dpm) {
  if (dpm == RenderDpm) return;
  RenderDpm = dpm;
  if (TdocPage* page = GetCurrentPage()) {
    page->ClearRenderCacheAll();
    page->RefreshAll();
  }
}

float TdocDocumentCore::GetPrinterDpm() const { return PrinterDpmOf(Options.PrintQuality); }

void TdocDocumentCore::SetUndoEnabled(bool value) {
  UndoEnabledFlag = value;
  if (!value) ClearUndo();
}

// ---- hit probes

void TdocDocumentCore::SetHitSensitivity(float value) {
  HitSensitivity = value;
  BuildHitProbes();
}

namespace {

// The widest ring of hit probes, in pixels from the mouse point: 261 probes,
// each asked of every shape under the mouse at every move, keep a hit test
// cheap, and a tolerance of 64 pixels is already far wider than any shape a
// person aims at. A larger sensitivity gets this ring.
constexpr int LargestHitRing = 64;
constexpr int SmallestHitRing = 2;

// The ring's radius for a sensitivity: four pixels per unit, between the
// smallest and the largest ring; a sensitivity that is no number gets the
// smallest.
int HitRingRadius(float sensitivity) {
  const float scaled = 4.0f * sensitivity;
  if (std::isnan(scaled)) return SmallestHitRing;
  const float bounded = std::clamp(scaled, 0.0f, static_cast<float>(LargestHitRing));
  return std::clamp(rtl::Round(bounded), SmallestHitRing, LargestHitRing);
}

}  // namespace

void TdocDocumentCore::BuildHitProbes() {
  const int n = HitRingRadius(HitSensitivity);
  const int d = rtl::Round(n * 0.71);
  HitProbes.assign(1, TPoint{0, 0});
  for (int i = n; i >= 1; --i) HitProbes.insert(HitProbes.end(), {{i, 0}, {-i, 0}, {0, i}, {0, -i}});
  HitProbes.insert(HitProbes.end(), {{d, d}, {-d, d}, {d, -d}, {-d, -d}});
}

// ---- services

std::unique_ptr<TdocHandlePainter> TdocDocumentCore::CreateHandlePainter(TdocShape& shape) {
  std::unique_ptr<TdocHandlePainter> painter;
  if (Options.HandlePainter == hpCustomHandle) {
    if (OnCreateHandlePainter) OnCreateHandlePainter(this, &shape, painter);
    return painter;
  }
  if (Options.HandlePainter == hpW2K3Handle) return std::make_unique<TdocW2K3HandlePainter>(&shape);
  return std::make_unique<TdocHandlePainter>(&shape);
}

void TdocDocumentCore::InvalidateShape(TdocShape* shape) {
  if (!View || !shape || !GetCurrentPage() || Loading) return;
  const TdocShape* root = shape;
  while (root->GetParent()) root = root->GetParent();
  // The page itself (its size, colour, background) changes the whole view.
  if (root == shape || root != GetCurrentPage()) {
    View->Repaint();
    return;
  }
  // A pixel more on each side for the antialiased edge.
  const TRect rect = shape->GetUpdateRect();
  View->InvalidateRect({rect.Left - 1, rect.Top - 1, rect.Right + 1, rect.Bottom + 1});
}

void TdocDocumentCore::UpdateScrollArea() {
  if (View) View->UpdateScrollArea();
}

void TdocDocumentCore::Repaint() {
  if (View) View->Repaint();
}

void TdocDocumentCore::RepaintOverlay() {
  if (View) View->RepaintOverlay();
}

void TdocDocumentCore::DoPaintBackground(TCanvas& canvas, const TRect& pageRect) {
  if (OnPaintBackground) OnPaintBackground(this, canvas, pageRect);
}

void TdocDocumentCore::DoPaintForeground(TCanvas& canvas, const TRect& pageRect) {
  if (OnPaintForeground) OnPaintForeground(this, canvas, pageRect);
}

void TdocDocumentCore::DoProgress(TdocProgressType type, int count, int total, float percent) {
  ProgressCount = count;
  ProgressTotal = total;
  if (OnProgress) OnProgress(this, type, count, total, percent);
}
