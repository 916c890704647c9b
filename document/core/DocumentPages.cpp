// The page list of the document core: adding, deleting, showing and lazily
// loading pages.

#include <algorithm>

#include "document/core/ArchiveStreams.h"
#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "xml/XmlDocument.h"

using document::PageStreamName;
using document::ThumbStreamName;

TdocPage* TdocDocumentCore::GetPages(int index) const {
  if (index < 0 || index >= GetPageCount()) return nullptr;
  return Pages[static_cast<std::size_t>(index)].get();
}

TdocPage* TdocDocumentCore::GetCurrentPage() const { return GetPages(CurrentPageIndex); }

int TdocDocumentCore::IndexOfPage(const TdocPage* page) const {
  const auto found = std::find_if(Pages.begin(), Pages.end(), [page](const auto& p) { return p.get() == page; });
  return found == Pages.end() ? -1 : static_cast<int>(found - Pages.begin());
}

void TdocDocumentCore::SetCurrentPage(TdocPage* page) { SetCurrentPageIndex(IndexOfPage(page)); }

void TdocDocumentCore::SetCurrentPageIndex(int value) {
  TdocPage* page = GetPages(value);
  if (page && !page->GetLoaded()) LoadPage(value);
  DoPageChanged(GetCurrentPage());
  // The page object decides, not the number: after a deletion the same
  // number may name another page, which must be shown like any new one.
  if (value == CurrentPageIndex && page == ShownPage) return;
  // An edit in place belongs to the page shown: it ends there, kept, before
  // that page goes out of view (a shape it removes is removed from it).
  CloseShapeEdit(true);
  CurrentPageIndex = value;
  ShowPage(value);
  UpdateScrollArea();
  Repaint();
  SetFocusShape(nullptr);
  DoPageChanged(page);
}

void TdocDocumentCore::ShowPage(int index) {
  if (ShownPage && Options.Performance != dpSpeedOverMemory) ShownPage->ClearRenderCacheAll();
  ShownPage = GetPages(index);
}

int TdocDocumentCore::AddPage(std::unique_ptr<TdocPage> page) {
  if (!page) {
    page = std::make_unique<TdocPage>();
    page->SetPageWidth(DefaultPageWidth);
    page->SetPageHeight(DefaultPageHeight);
  }
  TdocPage& added = *page;
  Pages.push_back(std::move(page));
  added.SetDocument(this);
  if (!GetCurrentPage()) SetCurrentPage(&added);
  DoShapeChanged(&added);
  DoPageChanged(&added);
  return IndexOfPage(&added);
}

void TdocDocumentCore::SetPageCount(int value) {
  if (value < 0 || value > MaxPageCount) throw EInvalidOperation("Invalid page count");
  while (GetPageCount() < value) AddPage(nullptr);
  while (GetPageCount() > value) DeletePage(GetPageCount() - 1);
}

void TdocDocumentCore::DeletePage(int index) {
  TdocPage* page = GetPages(index);
  if (!page) return;
  const bool wasShown = page == ShownPage;
  RenumberPageStreams(index);
  {
    // The page goes for good: its shapes leave no undo records behind.
    auto suspended = UndoSuspension(this);
    page->ClearShapes();
  }
  // Forgets the page as the shown one, too.
  DoShapeDestroy(page);
  PagesToUpdate.erase(page);
  Pages.erase(Pages.begin() + index);
  SetModified(true);
  for (int i = index; i < GetPageCount(); ++i) DoPageChanged(GetPages(i));

  const int old = CurrentPageIndex;
  int next = old > index || old >= GetPageCount() ? std::max(0, old - 1) : old;
  if (Pages.empty()) next = -1;
  if (next != old || wasShown) SetCurrentPageIndex(next);
  Repaint();
}

void TdocDocumentCore::RenumberPageStreams(int index) {
  TResourceCacheLock lock;
  const int count = GetPageCount();
  Archive->DeleteStream(PageStreamName(index + 1));
  Archive->DeleteStream(ThumbStreamName(index + 1));
  for (int n = index + 1; n <= count; ++n) {
    Archive->RenameStream(PageStreamName(n + 1), PageStreamName(n));
    Archive->RenameStream(ThumbStreamName(n + 1), ThumbStreamName(n));
  }
}

void TdocDocumentCore::LoadPage(int index) {
  TResourceCacheLock lock;
  auto loading = LoadingBracket();
  TdocPage* page = GetPages(index);
  if (!page) return;
  // Flagged first: a page that fails to load is not read again.
  page->SetLoaded(true);
  ShowCursor(crAppStart);
  auto restoreCursor = TdocBracketGuard([this] { ShowCursor(Options.Cursor); });
  LoadPageContent(*page, document::ReadPageXml(*Archive, index + 1).get());
}

void TdocDocumentCore::LoadPageContent(TdocPage& page, TXmlDocument* xml) {
  // The page's shapes take over the font uses "Fonts.dat" counted for them;
  // once every page is read, only shapes count.
  auto fonts = TdocBracketGuard([this, before = FontManager->GetUseCounts()] {
    FontManager->TakeOverStoredUses(before);
    if (AllPagesLoaded()) FontManager->ForgetStoredUses();
  });
  if (!xml) return;
  page.LoadFromXml(xml->GetRoot());
  page.RefreshAll();
}

bool TdocDocumentCore::AllPagesLoaded() const {
  return std::all_of(Pages.begin(), Pages.end(), [](const auto& page) { return page->GetLoaded(); });
}

float TdocDocumentCore::GetPageWidth() const {
  const TdocPage* page = GetCurrentPage();
  return page ? page->GetPageWidth() : 0.0f;
}

float TdocDocumentCore::GetPageHeight() const {
  const TdocPage* page = GetCurrentPage();
  return page ? page->GetPageHeight() : 0.0f;
}

void TdocDocumentCore::SetPageWidth(float value) {
  if (TdocPage* page = GetCurrentPage()) page->SetPageWidth(value);
}

void TdocDocumentCore::SetPageHeight(float value) {
  if (TdocPage* page = GetCurrentPage()) page->SetPageHeight(value);
}
