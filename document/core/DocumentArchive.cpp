// The document as a "STOR" archive: "Index.xml" with the settings, one XML
// stream per page read when the page is first shown, the thumbnails, the
// embedded glyphs and the resources kept in the archive.
//
// Loading reads everything that can fail (the container, the index, the
// first page) before the document is cleared, so a broken file leaves the
// open document untouched; thumbnails are read when first asked for. Saving writes only the pages that
// changed and never a page that was not read: its stream keeps its bytes.

#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

#include "document/core/ArchiveStreams.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "document/shape/ShapeValues.h"
#include "imaging/bitmap/Bitmap32.h"
#include "imaging/formats/BmpDecoder.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "xml/XmlDocument.h"
#include "xml/bitmap/XmlBitmap.h"

using document::MaxLength;
using document::PageStreamName;
using document::ThumbStreamName;

namespace {

// Resolutions a document can render at: up to 2540 dots per inch.
constexpr double MinDpm = 0.1;
constexpr double MaxDpm = 100.0;
// Thumbnails are small previews; larger ones come only from broken files.
constexpr int MaxStoredThumbnailSide = 1024;
// A save trims the resource cache after this many written pages: often
// enough to keep a large document's memory within the cache budget, seldom
// enough that trimming, which walks every resource, does not make the save
// of thousands of shown pages grow with their square.
constexpr int PagesWrittenBetweenTrims = 16;

float ReadResolution(const TXmlNode& node, const char* name) {
  const double value = node.ReadChildFloat(name, TdocDocumentCore::DefaultDpm);
  return value >= MinDpm && value <= MaxDpm ? static_cast<float>(value) : TdocDocumentCore::DefaultDpm;
}

// A length within [minimum, MaxLength], else the default.
float ReadLength(const TXmlNode& node, const char* name, double defaultValue, double minimum) {
  const double value = node.ReadChildFloat(name, defaultValue);
  return value >= minimum && value <= MaxLength ? static_cast<float>(value) : static_cast<float>(defaultValue);
}

float ReadStepAngle(const TXmlNode& node) {
  const double value = node.ReadChildFloat("StepAngle", 0.0);
  return value >= 0.0 && value <= 360.0 ? static_cast<float>(value) : 0.0f;
}

// The ordinal of an enumeration running from 0 to last; 0 for any other.
template <class Enum>
Enum ReadOrdinal(const TXmlNode& node, const char* name, Enum last) {
  const std::int32_t value = node.ReadChildInteger(name, 0);
  return value >= 0 && value <= static_cast<std::int32_t>(last) ? static_cast<Enum>(value) : static_cast<Enum>(0);
}

int ReadThumbnailSide(const TXmlNode& node, const char* name, int defaultValue) {
  const std::int32_t value = node.ReadChildInteger(name, defaultValue);
  return value >= 1 && value <= MaxStoredThumbnailSide ? value : defaultValue;
}

// The width and height fields of a BMP's information header.
bool ThumbnailSizeFits(TMemoryStream& bmp) {
  constexpr std::int64_t SizeOffset = 18;
  if (bmp.GetSize() < SizeOffset + 8) return false;
  bmp.SetPosition(SizeOffset);
  const std::int64_t width = rtl::ReadLE<std::int32_t>(bmp);
  const std::int64_t height = std::abs(static_cast<std::int64_t>(rtl::ReadLE<std::int32_t>(bmp)));
  bmp.SetPosition(0);
  return width >= 1 && width <= MaxStoredThumbnailSide && height >= 1 && height <= MaxStoredThumbnailSide;
}

// The thumbnail stream as a bitmap; nil when it is missing, empty, too large
// or not a BMP, as a thumbnail is only a preview.
std::unique_ptr<TBitmap> ReadThumbnail(TsdStorage& archive, int number) {
  const std::string name = ThumbStreamName(number);
  if (!archive.StreamExists(name)) return nullptr;
  try {
    TMemoryStream bmp;
    archive.ReadStream(name, bmp);
    if (!ThumbnailSizeFits(bmp)) return nullptr;
    TBitmap32 decoded;
    imaging::DecodeBmp(bmp, decoded);
    auto thumbnail = std::make_unique<TBitmap>();
    thumbnail->Assign(&decoded);
    return thumbnail;
  } catch (const std::exception&) {
    return nullptr;
  }
}

std::unique_ptr<TMemoryStream> ReadOptionalStream(TsdStorage& archive, const std::string& name) {
  if (!archive.StreamExists(name)) return nullptr;
  auto stream = std::make_unique<TMemoryStream>();
  archive.ReadStream(name, *stream);
  return stream;
}

void WriteXmlStream(TsdStorage& archive, const std::string& name, const TXmlDocument& xml) {
  TMemoryStream stream;
  xml.SaveToStream(stream);
  archive.WriteStream(name, stream);
}

}  // namespace

// Everything of an archive that can fail to read, read before the document
// is touched.
struct TdocDocumentCore::TArchiveContent {
  std::unique_ptr<TsdStorage> Archive;
  std::unique_ptr<TXmlDocument> Index;
  int PageCount = 0;
  bool StoreThumbnails = true;
  std::unique_ptr<TMemoryStream> Fonts;
  std::unique_ptr<TXmlDocument> FirstPage;
};

// ---- entry points

void TdocDocumentCore::LoadFromFile(const std::string& fileName) {
  CheckNotBusy();
  auto busy = BusyBracket(crHourGlass);
  TResourceCacheLock lock;
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileName, error))
    throw EFOpenError(rtl::Format("Cannot find file \"%s\"", fileName));
  auto archive = std::make_unique<TsdStorage>(this);
  if (Options.ArchiveDirect)
    archive->OpenFileInPlace(fileName);
  else
    archive->OpenFile(fileName);
  LoadFromArchive(std::move(archive));
}

void TdocDocumentCore::LoadFromStream(TStream& stream) {
  CheckNotBusy();
  auto busy = BusyBracket(crHourGlass);
  TResourceCacheLock lock;
  auto archive = std::make_unique<TsdStorage>(this);
  archive->LoadFromStream(stream);
  LoadFromArchive(std::move(archive));
}

void TdocDocumentCore::SaveToFile(const std::string& fileName) {
  CheckNotBusy();
  auto busy = BusyBracket(crHourGlass);
  TResourceCacheLock lock;
  SaveToArchive();
  Archive->SaveToFile(fileName);
  MarkSaved();
}

void TdocDocumentCore::SaveToStream(TStream& stream) {
  CheckNotBusy();
  auto busy = BusyBracket(crHourGlass);
  TResourceCacheLock lock;
  SaveToArchive();
  Archive->SaveToStream(stream);
  MarkSaved();
}

// ---- loading

void TdocDocumentCore::LoadFromArchive(std::unique_ptr<TsdStorage> archive) {
  TResourceCacheLock lock;
  TArchiveContent content = ReadArchiveContent(std::move(archive));
  auto loading = LoadingBracket();
  InstallArchiveContent(content);
}

TdocDocumentCore::TArchiveContent TdocDocumentCore::ReadArchiveContent(std::unique_ptr<TsdStorage> archive) const {
  if (!archive) throw EInvalidOperation("Archive does not exist");
  TArchiveContent content;
  content.Archive = std::move(archive);
  TsdStorage& source = *content.Archive;
  TMemoryStream index;
  source.ReadStream(document::IndexStreamName, index);
  if (index.GetSize() == 0) throw Exception("No index found in archive");
  content.Index = std::make_unique<TXmlDocument>();
  content.Index->LoadFromStream(index);
  const TXmlNode* root = content.Index->GetRoot();
  if (!root) throw Exception("No index found in archive");

  content.PageCount = document::CountPageStreams(source);
  if (root->ReadChildBool("FontEmbedding", false))
    content.Fonts = ReadOptionalStream(source, document::FontsStreamName);
  content.StoreThumbnails = root->ReadChildBool("StoreThumbnails", true);
  if (content.PageCount > 0) content.FirstPage = document::ReadPageXml(source, 1);
  return content;
}

void TdocDocumentCore::InstallArchiveContent(TArchiveContent& content) {
  Clear();
  Archive = std::move(content.Archive);
  TXmlNode& root = *content.Index->GetRoot();
  ReadSettingsFromXml(root);
  if (OnLoadAdditionalInfo) OnLoadAdditionalInfo(this, root);
  if (Options.FontEmbedding && content.Fonts) {
    try {
      for (const std::string& leftOut : FontManager->LoadFromStream(*content.Fonts)) DoLoadError(nullptr, leftOut);
    } catch (const std::exception&) {
      // The glyphs come from the installed fonts instead.
    }
  }

  auto suspended = UndoSuspension(this);
  const int count = content.PageCount;
  for (int i = 0; i < count; ++i) {
    DoProgress(ptLoad, i + 1, count, static_cast<float>(i) / static_cast<float>(count));
    auto page = std::make_unique<TdocPage>();
    page->SetPageWidth(DefaultPageWidth);
    page->SetPageHeight(DefaultPageHeight);
    // The first page's content was read with the archive and comes below.
    page->SetLoaded(i == 0);
    TdocPage& added = *page;
    AddPage(std::move(page));
    // Read when first shown; by the page's position then, which follows the
    // streams when pages are deleted.
    if (content.StoreThumbnails)
      added.SetThumbnailLoader([this, &added] { return ReadThumbnail(*Archive, IndexOfPage(&added) + 1); });
  }
  if (TdocPage* first = GetPages(0)) {
    try {
      LoadPageContent(*first, content.FirstPage.get());
    } catch (const std::exception& error) {
      // Like a shape that fails to load: reported, and the page left empty.
      first->ClearShapes();
      DoLoadError(first, error.what());
    }
  }
  SetModified(false);
  DoProgress(ptLoad, count, count, 1.0f);
  Repaint();
}

// ---- settings

void TdocDocumentCore::ReadSettingsFromXml(TXmlNode& node) {
  Options.HandleColor = node.ReadChildInteger("HandleColor", 0);
  Options.HandleEdgeColor = node.ReadChildInteger("HandleEdgeColor", 0);
  SetHotzoneScrolling(ReadOrdinal(node, "HotzoneScrolling", hzsWhenMouseDown));
  Quality = ReadOrdinal(node, "StretchFilter", sfMitchell);
  ReadOnly = node.ReadChildBool("ReadOnly", false);
  RenderDpm = ReadResolution(node, "RenderDpm");
  ScreenScale = ReadResolution(node, "ScreenDpm");
  Options.StoreThumbnails = node.ReadChildBool("StoreThumbnails", true);
  Options.ShowMargins = node.ReadChildBool("ShowMargins", false);
  Options.SnapToGrid = node.ReadChildBool("SnapToGrid", false);
  Options.StepAngle = ReadStepAngle(node);
  ViewStyle = ReadOrdinal(node, "ViewStyle", vsNormal);
  DefaultPageWidth = ReadLength(node, "DefaultPageWidth", 210.0, 1.0e-3);
  DefaultPageHeight = ReadLength(node, "DefaultPageHeight", 297.0, 1.0e-3);
  PageDefaults.MarginLeft = ReadLength(node, "DefaultMarginLeft", 10.0, 0.0);
  PageDefaults.MarginTop = ReadLength(node, "DefaultMarginTop", 10.0, 0.0);
  PageDefaults.MarginRight = ReadLength(node, "DefaultMarginRight", 10.0, 0.0);
  PageDefaults.MarginBottom = ReadLength(node, "DefaultMarginBottom", 10.0, 0.0);
  PageDefaults.GridSize = ReadLength(node, "DefaultGridSize", 5.0, 0.0);
  PageDefaults.GridColor = node.ReadChildColor("DefaultGridColor", 0xFFFFC0);
  PageDefaults.PageColor = node.ReadChildColor("DefaultPageColor", 0xFFFFFF);
  ReadDefaultBackground(node);
  PageDefaults.BackgroundTiled = node.ReadChildBool("DefaultBgrTiled", false);
  ThumbnailWidth = ReadThumbnailSide(node, "ThumbnailWidth", 80);
  ThumbnailHeight = ReadThumbnailSide(node, "ThumbnailHeight", 60);
  Options.FontEmbedding = node.ReadChildBool("FontEmbedding", false);
}

void TdocDocumentCore::ReadDefaultBackground(TXmlNode& node) {
  const TXmlNode* element = node.FindChild("DefaultBgrImage");
  if (!element) return;
  TdocResourceAccess access(*DefaultBackground);
  try {
    if (element->FindChild("SourceSize")) {
      std::unique_ptr<TBitmap32> bitmap;
      xml::LoadBitmapFromXmlNode(&node, "DefaultBgrImage", bitmap);
      DefaultBackground->SetBitmap(bitmap.get());
    } else {
      DefaultBackground->LoadFromXml(*element);
      if (const std::string problem = DefaultBackground->TakeLoadProblem(); !problem.empty())
        DoLoadError(nullptr, problem);
    }
  } catch (const std::exception& error) {
    // The document opens without its background, as without a picture.
    DefaultBackground->Clear();
    DoLoadError(nullptr, error.what());
  }
}

void TdocDocumentCore::WriteSettingsToXml(TXmlNode& node) {
  node.WriteChildHex("HandleColor", Options.HandleColor, 8, 0);
  node.WriteChildHex("HandleEdgeColor", Options.HandleEdgeColor, 8, 0);
  node.WriteChildInteger("HotzoneScrolling", Options.HotzoneScrolling, 0);
  node.WriteChildInteger("StretchFilter", Quality, 0);
  node.WriteChildBool("ReadOnly", ReadOnly, false);
  node.WriteChildFloat("RenderDpm", RenderDpm, DefaultDpm);
  node.WriteChildFloat("ScreenDpm", ScreenScale, DefaultDpm);
  node.WriteChildBool("StoreThumbnails", Options.StoreThumbnails, true);
  node.WriteChildBool("ShowMargins", Options.ShowMargins, false);
  node.WriteChildBool("SnapToGrid", Options.SnapToGrid, false);
  node.WriteChildFloat("StepAngle", Options.StepAngle, 0.0);
  node.WriteChildInteger("ViewStyle", ViewStyle, 0);
  node.WriteChildFloat("DefaultPageWidth", DefaultPageWidth, 210.0);
  node.WriteChildFloat("DefaultPageHeight", DefaultPageHeight, 297.0);
  node.WriteChildFloat("DefaultMarginLeft", PageDefaults.MarginLeft, 10.0);
  node.WriteChildFloat("DefaultMarginTop", PageDefaults.MarginTop, 10.0);
  node.WriteChildFloat("DefaultMarginRight", PageDefaults.MarginRight, 10.0);
  node.WriteChildFloat("DefaultMarginBottom", PageDefaults.MarginBottom, 10.0);
  node.WriteChildFloat("DefaultGridSize", PageDefaults.GridSize, 5.0);
  node.WriteChildColor("DefaultGridColor", PageDefaults.GridColor, 0xFFFFC0);
  node.WriteChildColor("DefaultPageColor", PageDefaults.PageColor, 0xFFFFFF);
  {
    TdocResourceAccess access(*DefaultBackground);
    if (DefaultBackground->HoldsPicture()) DefaultBackground->SaveToXml(*node.AddChild("DefaultBgrImage"));
  }
  node.WriteChildBool("DefaultBgrTiled", PageDefaults.BackgroundTiled, false);
  node.WriteChildInteger("ThumbnailWidth", ThumbnailWidth, 80);
  node.WriteChildInteger("ThumbnailHeight", ThumbnailHeight, 60);
  node.WriteChildBool("FontEmbedding", Options.FontEmbedding, false);
}

// ---- saving

void TdocDocumentCore::SaveToArchive() {
  TResourceCacheLock lock;
  if (!Archive) throw EInvalidOperation("Archive does not exist");
  SaveIndex();
  int writtenSinceTrim = 0;
  for (int i = 0; i < GetPageCount(); ++i) {
    // A page left as it was loaded nothing: a document of thousands of
    // pages never shown costs only its streams.
    if (SavePageToArchive(i) && ++writtenSinceTrim == PagesWrittenBetweenTrims) {
      document::ResourceCachePurge();
      writtenSinceTrim = 0;
    }
  }
  if (writtenSinceTrim > 0) document::ResourceCachePurge();
  DoProgress(ptSave, GetPageCount(), GetPageCount(), 1.0f);
}

void TdocDocumentCore::SaveIndex() {
  TResourceCacheLock lock;
  if (!Archive) throw EInvalidOperation("Archive does not exist");
  TXmlDocument xml("Document");
  xml.Layout = xlReadable;
  TXmlNode& root = *xml.GetRoot();
  WriteSettingsToXml(root);
  if (OnSaveAdditionalInfo) OnSaveAdditionalInfo(this, root);
  WriteXmlStream(*Archive, document::IndexStreamName, xml);
  if (!Options.FontEmbedding) return;
  TMemoryStream fonts;
  FontManager->SaveToStream(fonts);
  Archive->WriteStream(document::FontsStreamName, fonts);
}

bool TdocDocumentCore::SavePageToArchive(int index) {
  TdocPage& page = *GetPages(index);
  const int number = index + 1;
  const std::string name = PageStreamName(number);
  // A page that was never read keeps its stream (and thumbnail) as they are:
  // its content is only in the archive.
  if (!page.GetLoaded()) return false;
  if (!page.GetModified() && Archive->StreamExists(name)) return false;
  const int count = GetPageCount();
  auto progress = [&](double part) {
    DoProgress(ptSave, number, count, static_cast<float>((index + part) / count));
  };
  TXmlDocument xml("Page");
  xml.GetRoot()->AddAttributeInteger("Index", number);
  // Made and written shape by shape, so a label of thousands of shapes never
  // exists as one XML tree: the step that stood for the tree made comes
  // first.
  progress(0.2);
  TMemoryStream stream;
  page.SaveToXmlStream(xml, stream);
  progress(0.6);
  Archive->WriteStream(name, stream);
  progress(0.7);
  if (Options.StoreThumbnails) SaveThumbnailToArchive(page, number);
  return true;
}

void TdocDocumentCore::SaveThumbnailToArchive(TdocPage& page, int number) {
  const TBitmap* thumbnail = page.GetThumbnail();
  if (!thumbnail || thumbnail->Empty()) {
    Archive->DeleteStream(ThumbStreamName(number));
    return;
  }
  TMemoryStream bmp;
  page.SaveThumbnailToStream(bmp);
  Archive->WriteStream(ThumbStreamName(number), bmp);
}

void TdocDocumentCore::MarkSaved() {
  for (const auto& page : Pages) page->SetModified(false);
  SetModified(false);
  if (!Options.UndoPastSave) ClearUndo();
}
