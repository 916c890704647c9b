#pragma once
// The names of a document archive's page and thumbnail streams, and reading
// a page's XML out of the archive.

#include <memory>
#include <string>

class TsdStorage;
class TXmlDocument;

namespace document {

inline constexpr const char* IndexStreamName = "Index.xml";
inline constexpr const char* FontsStreamName = "Fonts.dat";

// Numbers count from 1: page 1 is "Page0001.xml".
std::string PageStreamName(int number);
std::string ThumbStreamName(int number);
// The number a page stream's name stands for: "Page", four decimal digits,
// ".xml"; 0 for any other name.
int PageStreamNumber(const std::string& name);
// The highest page stream number held by the archive.
int CountPageStreams(const TsdStorage& archive);
// The parsed XML of the page stream, nil when the stream is empty. Raises the
// archive's not-found error and the parser's errors.
std::unique_ptr<TXmlDocument> ReadPageXml(TsdStorage& archive, int number);

}  // namespace document
