// TdocPage: settings, default-page mode, loading through the document,
// snapping and the XML form.

#include "document/page/Page.h"

#include <cmath>

#include "document/resources/ResourceCache.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"
#include "xml/XmlDocument.h"
#include "xml/XmlNode.h"
#include "xml/bitmap/XmlBitmap.h"

namespace {

constexpr const char* MarginNames[] = {"MarginLeft", "MarginTop", "MarginRight", "MarginBottom"};
constexpr float TdocPageSettings::*MarginFields[] = {&TdocPageSettings::MarginLeft, &TdocPageSettings::MarginTop,
                                                     &TdocPageSettings::MarginRight, &TdocPageSettings::MarginBottom};

// A stored page side that is not a positive finite length cannot come from
// a working file; the page keeps the size it had rather than become a page
// no view or printer can scale to.
bool IsPageSide(double value) { return std::isfinite(value) && value > 0; }

// Margins and grid sizes outside these come only from broken files.
float ReadPageLength(const TXmlNode& node, const char* name, float defaultValue) {
  const double value = node.ReadChildFloat(name, defaultValue);
  return std::isfinite(value) ? static_cast<float>(std::clamp(value, -1.0e6, 1.0e6)) : defaultValue;
}

}  // namespace

const TdocShapeClass& TdocPage::StaticClass() {
  static const TdocShapeClass info{"TdocPage", [] { return std::unique_ptr<TdocShape>(new TdocPage); }};
  return info;
}

TdocPage::TdocPage() : Background(MakeResource<TdocBitmapResource>()) {
  SetDocWidth(210.0f);
  SetDocHeight(297.0f);
  SetCurbs(0, 0, 1.0f, 1.0f);
  Background->SetOwner(this);
  Background->OnChange = [this](TPersistent*) { BackgroundChanged(); };
  Background->OnFileLoaded = [this](TPersistent*) { BackgroundReloaded(); };
}

TdocPage::~TdocPage() {
  // The resource may call back while it is taken out of the cache.
  TResourceCacheLock lock;
  Background->OnChange = nullptr;
  Background->OnFileLoaded = nullptr;
  Background->SetOwner(nullptr);
}

TdocPageHost* TdocPage::GetHost() const { return dynamic_cast<TdocPageHost*>(GetDocument()); }

// ---- settings

const TdocPageSettings& TdocPage::GetSettings() const {
  const TdocPageHost* host = IsDefaultPage ? GetHost() : nullptr;
  return host ? host->GetPageDefaults() : Own;
}

TdocBitmapResource* TdocPage::GetBackground() const {
  const TdocPageHost* host = IsDefaultPage ? GetHost() : nullptr;
  return host ? host->GetDefaultBackground() : Background.get();
}

template <class T>
void TdocPage::ChangeSetting(T TdocPageSettings::*member, T value) {
  if (GetSettings().*member == value) return;
  SetIsDefaultPage(false);
  Own.*member = value;
  Refresh();
  Changed();
}

void TdocPage::SetMarginLeft(float value) { ChangeSetting(&TdocPageSettings::MarginLeft, value); }
void TdocPage::SetMarginTop(float value) { ChangeSetting(&TdocPageSettings::MarginTop, value); }
void TdocPage::SetMarginRight(float value) { ChangeSetting(&TdocPageSettings::MarginRight, value); }
void TdocPage::SetMarginBottom(float value) { ChangeSetting(&TdocPageSettings::MarginBottom, value); }
void TdocPage::SetGridSize(float value) { ChangeSetting(&TdocPageSettings::GridSize, value); }
void TdocPage::SetGridColor(TColor value) { ChangeSetting(&TdocPageSettings::GridColor, value); }
void TdocPage::SetPageColor(TColor value) { ChangeSetting(&TdocPageSettings::PageColor, value); }
void TdocPage::SetBackgroundTiled(bool value) { ChangeSetting(&TdocPageSettings::BackgroundTiled, value); }

bool TdocPage::GetIsDefaultPage() {
  EnsureLoaded();
  return IsDefaultPage;
}

void TdocPage::SetIsDefaultPage(bool value) {
  if (value == IsDefaultPage) return;
  TdocPageHost* host = GetHost();
  if (!host) {
    // Without a document the page's own settings are the effective ones
    // either way; the flag alone decides whether they are saved.
    IsDefaultPage = value;
    return;
  }
  if (value) {
    IsDefaultPage = true;
    SetDocWidth(host->GetDefaultPageWidth());
    SetDocHeight(host->GetDefaultPageHeight());
    host->Repaint();
    Changed();
    return;
  }
  Own = host->GetPageDefaults();
  IsDefaultPage = false;
  if (const TdocBitmapResource* defaults = host->GetDefaultBackground()) Background->Assign(defaults);
}

void TdocPage::BackgroundChanged() {
  if (LoadingXml) return;
  if (IsDefaultPage) {
    // The page's own picture was just changed: keep it, and take the other
    // defaults over as the page's own settings.
    if (const TdocPageHost* host = GetHost()) Own = host->GetPageDefaults();
    IsDefaultPage = false;
  }
  Changed();
}

void TdocPage::BackgroundReloaded() {
  Refresh();
  Changed();
}

// ---- loading, names, snapping, document

void TdocPage::SetOrigin(float left, float top) { StorePosition(left, top); }

void TdocPage::SetDocFrame(float left, float top, float width, float height, float angle) {
  TdocShape::SetDocFrame(left, top, width, height, angle);
  TdocPageHost* host = GetHost();
  if (host && host->GetCurrentPage() == this && !host->IsPrinting()) host->UpdateScrollArea();
}

void TdocPage::EnsureLoaded() {
  if (Loaded) return;
  if (TdocPageHost* host = GetHost()) host->LoadPage(host->IndexOfPage(this));
}

std::u16string TdocPage::GetName() const {
  if (!GetNameText().empty()) return GetNameText();
  const TdocPageHost* host = GetHost();
  const int index = host ? host->IndexOfPage(this) : -1;
  if (index < 0) return GetNameText();
  return rtl::Utf8ToUtf16(rtl::Format("Page %d", index + 1));
}

void TdocPage::SnapPoint(const TFloatPoint& point, TFloatPoint& result) const {
  const double grid = GetGridSize();
  result = point;
  if (!(grid > 0)) return;
  // Beyond 2^24 steps a float has no finer positions to snap between, and a
  // grid that small would only overflow the step count.
  const auto snap = [grid](float value) {
    const double steps = std::nearbyint(value / grid);
    return std::fabs(steps) < 16777216.0 ? static_cast<float>(grid * steps) : value;
  };
  result = {snap(point.X), snap(point.Y)};
}

void TdocPage::SetDocument(TdocServices* document) {
  // The cache thread asks the page for the document's archive under this lock.
  TResourceCacheLock lock;
  TdocShape::SetDocument(document);
}

TsdStorage* TdocPage::GetResourceArchive() const { return GetDocument() ? GetDocument()->GetStorage() : nullptr; }

std::shared_ptr<imaging::TPixelBudget> TdocPage::GetPictureBudget() const {
  return PictureBudgetOf(dynamic_cast<const TdocResourceHost*>(GetDocument()));
}

void TdocPage::SetModified(bool value) {
  TdocShape::SetModified(value);
  if (value) ThumbnailDirty = true;
}

void TdocPage::CollectArchiveNames(TStringList& list) const {
  TdocShape::CollectArchiveNames(list);
  Background->CollectArchiveNames(list);
}

// ---- XML

void TdocPage::SaveToXml(TXmlNode& node) const {
  SavePageValuesToXml(node);
  TdocShape::SaveToXml(node);
}

void TdocPage::SaveToXmlStream(TXmlDocument& xml, TStream& stream) const {
  TXmlNode& root = *xml.GetRoot();
  SavePageValuesToXml(root);
  SaveBasePropertiesToXml(root);
  int part = 0;
  xml.SaveToStream(stream, [this, &part](TXmlNode& node) { return SaveContentPartToXml(part++, node); });
}

void TdocPage::SavePageValuesToXml(TXmlNode& node) const {
  node.WriteChildBool("IsDefaultPage", IsDefaultPage, true);
  if (!IsDefaultPage) {
    for (int i = 0; i < 4; ++i) node.WriteChildFloat(MarginNames[i], Own.*MarginFields[i], 0);
    node.WriteChildFloat("GridSize", Own.GridSize, 0);
    node.WriteChildColor("GridColor", Own.GridColor, 0xFFFFC0);
    node.WriteChildColor("PageColor", Own.PageColor, 0xFFFFFF);
    node.WriteChildFloat("PageWidth", GetDocWidth(), 0);
    node.WriteChildFloat("PageHeight", GetDocHeight(), 0);
    TdocResourceAccess access(*Background);
    if (Background->HoldsPicture()) Background->SaveToXml(*node.AddChild("BackgroundImage"));
    node.WriteChildBool("BackgroundTiled", Own.BackgroundTiled, false);
  }
}

void TdocPage::LoadFromXml(TXmlNode* node) {
  const float width = GetDocWidth();
  const float height = GetDocHeight();
  TdocShape::LoadFromXml(node);
  LoadingXml = true;
  auto done = TdocBracketGuard([this] { LoadingXml = false; });
  IsDefaultPage = node->ReadChildBool("IsDefaultPage", true);
  if (!IsDefaultPage) {
    for (int i = 0; i < 4; ++i) Own.*MarginFields[i] = ReadPageLength(*node, MarginNames[i], 0);
    Own.GridSize = ReadPageLength(*node, "GridSize", 0);
    Own.GridColor = node->ReadChildColor("GridColor", 0xFFFFC0);
    Own.PageColor = node->ReadChildColor("PageColor", 0xFFFFFF);
    LoadPageSize(*node, width, height);
    LoadBackground(*node);
  }
  Own.BackgroundTiled = node->ReadChildBool("BackgroundTiled", false);
  if (!IsPageSide(GetDocWidth())) SetPageWidth(width);
  if (!IsPageSide(GetDocHeight())) SetPageHeight(height);
  ThumbnailDirty = false;
}

void TdocPage::LoadPageSize(const TXmlNode& node, float width, float height) {
  // A missing or unusable size keeps the one of the shape elements, or the
  // one the page had before.
  const double pageWidth = node.ReadChildFloat("PageWidth", GetDocWidth());
  const double pageHeight = node.ReadChildFloat("PageHeight", GetDocHeight());
  SetPageWidth(IsPageSide(pageWidth) && pageWidth <= 1.0e6 ? static_cast<float>(pageWidth) : width);
  SetPageHeight(IsPageSide(pageHeight) && pageHeight <= 1.0e6 ? static_cast<float>(pageHeight) : height);
}

void TdocPage::LoadBackground(TXmlNode& node) {
  TdocResourceAccess access(*Background);
  Background->Clear();
  const TXmlNode* element = node.FindChild("BackgroundImage");
  if (!element) return;
  // A background that cannot be shown is told, and the page keeps its shapes.
  try {
    if (!element->FindChild("SourceSize")) {
      Background->LoadFromXml(*element);
    } else {
      // The older form: the picture itself stored in the element.
      std::unique_ptr<TBitmap32> picture;
      xml::LoadBitmapFromXmlNode(&node, "BackgroundImage", picture);
      Background->SetBitmap(picture.get());
    }
  } catch (const std::exception& error) {
    Background->Clear();
    DoLoadError(error.what());
  }
  if (const std::string problem = Background->TakeLoadProblem(); !problem.empty()) DoLoadError(problem);
}
