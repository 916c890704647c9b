#pragma once
// The whole content of a document core as text, to compare a document with
// itself before and after: every page's XML, then every container stream by
// name with its bytes.

#include <string>

#include "document/core/DocumentCore.h"
#include "document/page/Page.h"
#include "platform/rtl/Stream.h"
#include "xml/XmlDocument.h"

namespace doctest {

inline std::string DocumentXmlText(TdocDocumentCore& doc) {
  std::string text;
  for (int i = 0; i < doc.GetPageCount(); ++i) {
    TXmlDocument xml("page");
    doc.GetPages(i)->SaveToXml(*xml.GetRoot());
    text += xml.WriteToString();
  }
  if (TsdStorage* storage = doc.GetStorage())
    for (int i = 0; i < storage->GetStreamCount(); ++i) {
      const std::string name = storage->GetStreamName(i);
      TMemoryStream stream;
      storage->ReadStream(name, stream);
      text.append("\n").append(name).append(":");
      text.append(stream.Bytes().begin(), stream.Bytes().end());
    }
  return text;
}

}  // namespace doctest
