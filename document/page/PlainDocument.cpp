#include "document/page/PlainDocument.h"

#include <algorithm>

#include "document/page/Page.h"
#include "platform/rtl/Exception.h"

TdocPlainDocument::TdocPlainDocument() : DefaultBackground(MakeResource<TdocBitmapResource>()) {}
TdocPlainDocument::~TdocPlainDocument() = default;

int TdocPlainDocument::IndexOfPage(const TdocPage* page) const {
  const auto found = std::find(Pages.begin(), Pages.end(), page);
  return found == Pages.end() ? -1 : static_cast<int>(found - Pages.begin());
}

TdocPage* TdocPlainDocument::GetCurrentPage() const {
  return CurrentPageIndex >= 0 && CurrentPageIndex < static_cast<int>(Pages.size())
             ? Pages[static_cast<std::size_t>(CurrentPageIndex)]
             : nullptr;
}

void TdocPlainDocument::LoadPage(int index) {
  ++LoadPageCalls;
  if (index >= 0 && index < static_cast<int>(Pages.size())) Pages[static_cast<std::size_t>(index)]->SetLoaded(true);
}

void TdocPlainDocument::EndPrinting() {
  if (PrintingCount == 0) throw EInvalidOperation("EndPrinting called more often than BeginPrinting");
  --PrintingCount;
}

void TdocPlainDocument::DoProgress(TdocProgressType type, int count, int total, float percent) {
  Progress.push_back({type, count, total, percent});
}
