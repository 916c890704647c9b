#include "xml/CodecStream.h"

#include <algorithm>
#include <cstring>

#include "xml/NodeData.h"
#include "xml/XmlEncoding.h"

using namespace xml::detail;

namespace {

constexpr std::int64_t kBlock = 65536;

bool EndsInHighSurrogate(std::string_view bytes, bool bigEndian) {
  if (bytes.size() < 2) return false;
  const auto high = static_cast<unsigned char>(bytes[bytes.size() - (bigEndian ? 2 : 1)]);
  return high >= 0xD8 && high <= 0xDB;
}

}  // namespace

// ---- the file's side

TStream& TsdCodecStream::Assigned() {
  if (!Stream) throw EXmlError("Encoding stream unassigned");
  return *Stream;
}

std::int64_t TsdCodecStream::Read(void* buffer, std::int64_t count) {
  if (Mode == TMode::Writing) throw EXmlError("Cannot read from a conversion stream opened for writing");
  if (Mode == TMode::None) StartReading();
  if (count <= 0) return 0;
  const std::int64_t n = Decode(static_cast<char*>(buffer), count);
  Position += n;
  return n;
}

std::int64_t TsdCodecStream::Write(const void* buffer, std::int64_t count) {
  if (Mode == TMode::Reading) throw EXmlError("Cannot write to an UTF stream opened for reading");
  if (Mode == TMode::None) StartWriting();
  if (count <= 0) return 0;
  Encode({static_cast<const char*>(buffer), static_cast<std::size_t>(count)});
  Position += count;
  return count;
}

std::int64_t TsdCodecStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (Mode == TMode::None) throw EXmlError("Cannot seek before reading or writing in conversion stream");
  if (origin != TSeekOrigin::soCurrent || offset != 0) throw EXmlError("Cannot perform seek on codec stream");
  return Position;
}

void TsdCodecStream::SetSize(std::int64_t) { throw EXmlError("Cannot perform seek on codec stream"); }

// The direction is fixed only once the encoding is accepted, so a refused
// file refuses every read.
void TsdCodecStream::StartReading() {
  Assigned();
  while (Head.size() < 4 && ReadAhead(static_cast<std::int64_t>(4 - Head.size()))) {
  }
  std::size_t bomLength = 0;
  const TXmlEncoding encoding = DetectEncoding(Head, bomLength);
  CheckSupported(encoding);
  Encoding = encoding;
  HasBom = bomLength > 0;
  HeadUsed = bomLength;
  Swap = IsBigEndian(encoding);
  Mode = TMode::Reading;
}

void TsdCodecStream::StartWriting() {
  Assigned();
  CheckSupported(Encoding);
  Swap = IsBigEndian(Encoding);
  Mode = TMode::Writing;
  const std::string_view mark = ByteOrderMark(Encoding);
  WriteRaw(mark.data(), static_cast<std::int64_t>(mark.size()));
}

std::int64_t TsdCodecStream::ReadRaw(void* buffer, std::int64_t count) {
  auto* out = static_cast<char*>(buffer);
  const auto fromHead =
      static_cast<std::int64_t>(std::min<std::size_t>(Head.size() - HeadUsed, static_cast<std::size_t>(count)));
  std::memcpy(out, Head.data() + HeadUsed, static_cast<std::size_t>(fromHead));
  HeadUsed += static_cast<std::size_t>(fromHead);
  if (HeadUsed == Head.size()) {
    Head.clear();
    HeadUsed = 0;
  }
  if (fromHead == count) return count;
  return fromHead + std::max<std::int64_t>(0, Stream->Read(out + fromHead, count - fromHead));
}

bool TsdCodecStream::ReadAhead(std::int64_t count) {
  const std::size_t had = Head.size();
  Head.resize(had + static_cast<std::size_t>(count));
  const std::int64_t got = std::max<std::int64_t>(0, Stream->Read(Head.data() + had, count));
  Head.resize(had + static_cast<std::size_t>(got));
  return got > 0;
}

void TsdCodecStream::WriteRaw(const void* buffer, std::int64_t count) {
  if (count > 0 && Stream->Write(buffer, count) != count) throw EXmlError("Cannot write to output stream");
}

// ---- UTF-8 inside

std::int64_t TsdUtf8Stream::Decode(char* out, std::int64_t count) {
  if (!Chosen) {
    Chosen = true;
    if (Encoding == xe8Bit) ChooseEightBitReading();
    PassThrough = Encoding == xeUtf8;
  }
  if (PassThrough) return ReadRaw(out, count);
  std::int64_t done = 0;
  while (done < count) {
    if (DecodedUsed == Decoded.size()) {
      if (SourceDone) break;
      DecodeBlock();
      continue;
    }
    const auto n = std::min<std::int64_t>(count - done, static_cast<std::int64_t>(Decoded.size() - DecodedUsed));
    std::memcpy(out + done, Decoded.data() + DecodedUsed, static_cast<std::size_t>(n));
    DecodedUsed += static_cast<std::size_t>(n);
    done += n;
  }
  return done;
}

// Without a mark the declaration names the character set; XML without one is
// UTF-8.
void TsdUtf8Stream::ChooseEightBitReading() {
  while (DeclarationUnfinished(Ahead()) && ReadAhead(4096)) {
  }
  const std::string_view declared = DeclaredEncoding(Ahead());
  if (declared.empty() || SameName(declared, "UTF-8") || !ReadsDeclarationAsWritten(declared)) {
    Encoding = xeUtf8;
    return;
  }
  Charset = declared;
}

void TsdUtf8Stream::DecodeBlock() {
  Decoded.clear();
  DecodedUsed = 0;
  if (IsUtf16(Encoding)) return DecodeUtf16Block();
  // A character set may carry state from byte to byte: the whole rest is
  // converted at once.
  std::string bytes;
  char block[kBlock];
  for (std::int64_t n; (n = ReadRaw(block, kBlock)) > 0;) bytes.append(block, static_cast<std::size_t>(n));
  Decoded = CharsetTextToUtf8(bytes, Charset);
  SourceDone = true;
}

// A surrogate pair split between two blocks is joined: the high half and an
// odd last byte wait for the next block.
void TsdUtf8Stream::DecodeUtf16Block() {
  std::string bytes = std::move(PendingUnit);
  PendingUnit.clear();
  const std::size_t had = bytes.size();
  bytes.resize(had + kBlock);
  const std::int64_t n = ReadRaw(bytes.data() + had, kBlock);
  bytes.resize(had + static_cast<std::size_t>(n));
  if (n == 0) {
    SourceDone = true;
    Decoded = Utf16BytesToUtf8(bytes, Swap);
    return;
  }
  std::size_t keep = bytes.size() % 2;
  if (EndsInHighSurrogate(std::string_view(bytes).substr(0, bytes.size() - keep), Swap)) keep += 2;
  PendingUnit = bytes.substr(bytes.size() - keep);
  bytes.resize(bytes.size() - keep);
  Decoded = Utf16BytesToUtf8(bytes, Swap);
}

// A write is converted as a whole: the target then grows once, and a
// character set that carries state from byte to byte sees all of it.
void TsdUtf8Stream::Encode(std::string_view utf8) {
  if (Encoding == xeUtf8) return WriteRaw(utf8.data(), static_cast<std::int64_t>(utf8.size()));
  const std::string bytes = IsUtf16(Encoding) ? Utf8ToUtf16Bytes(utf8, Swap) : Utf8ToCharsetText(utf8, Charset);
  WriteRaw(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}
