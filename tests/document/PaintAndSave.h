#pragma once
// What a user does with an opened label before it is judged: its first page
// painted at 150 dots per inch, as a preview draws it, then the page marked
// changed and the document saved, so the page is written anew.

#include <string>

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "imaging/bitmap/Bitmap32.h"

namespace doctest {

inline void PaintFirstPageAndSave(TdocDocumentCore& doc, const std::string& saved) {
  TdocPage& page = *doc.GetPages(0);
  const float dpm = 150 / 25.4f;
  TBitmap32 bitmap;
  bitmap.SetSize(int(page.GetDocWidth() * dpm), int(page.GetDocHeight() * dpm));
  page.RenderPageToBitmap(bitmap, 0, dpm, 0xFFFFFFFFu);
  page.SetModified(true);
  doc.SaveToFile(saved);
}

}  // namespace doctest
