#include "document/core/ArchiveStreams.h"

#include <algorithm>
#include <cctype>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Stream.h"
#include "xml/XmlDocument.h"
#include "xml/storage/Storage.h"

namespace document {

std::string PageStreamName(int number) { return rtl::Format("Page%.4d.xml", number); }
std::string ThumbStreamName(int number) { return rtl::Format("Thumb%.4d.bmp", number); }

int PageStreamNumber(const std::string& name) {
  // Container names compare without regard to case, so do these.
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  if (name.size() != 12) return 0;
  const std::string prefix = "page", suffix = ".xml";
  int number = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (i < 4 && lower(c) != prefix[i]) return 0;
    if (i >= 8 && lower(c) != suffix[i - 8]) return 0;
    if (i < 4 || i >= 8) continue;
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  return number;
}

int CountPageStreams(const TsdStorage& archive) {
  int count = 0;
  for (int i = 0; i < archive.GetStreamCount(); ++i) count = std::max(count, PageStreamNumber(archive.GetStreamName(i)));
  return count;
}

std::unique_ptr<TXmlDocument> ReadPageXml(TsdStorage& archive, int number) {
  TMemoryStream stream;
  archive.ReadStream(PageStreamName(number), stream);
  if (stream.GetSize() == 0) return nullptr;
  auto xml = std::make_unique<TXmlDocument>();
  xml->LoadFromStream(stream);
  if (!xml->GetRoot()) throw Exception(rtl::Format("Stream \"%s\" holds no page", PageStreamName(number)));
  return xml;
}

}  // namespace document
