#pragma once
// The filter between an XML file and the UTF-8 text a document holds.
//
// TsdCodecStream is the file's side: the first read or write fixes the
// direction. Reading, it recognises the encoding by the first four bytes
// (the signature table, first match wins; no match: 8-bit), refuses UCS-4
// and EBCDIC and skips a byte-order mark. Writing, it refuses them too and
// starts UTF-16 files with their mark. TsdUtf8Stream converts between that
// encoding and UTF-8.
//
// Errors are EXmlError: "Unsupported string encoding", "Encoding stream
// unassigned", "Cannot read from a conversion stream opened for writing",
// "Cannot write to an UTF stream opened for reading", "Cannot write to output
// stream", "Cannot perform seek on codec stream", "Cannot seek before reading
// or writing in conversion stream". Reads and writes of any length are
// served: the loader takes the text in blocks. Each write holds whole
// characters.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/Stream.h"
#include "xml/XmlTypes.h"

class TsdCodecStream : public TStream {
public:
  // The stream is not owned.
  explicit TsdCodecStream(TStream* stream) : Stream(stream) {}

  // Reading: what the file uses, known after the first read. Writing: set
  // before the first write (UTF-8 when not set).
  TXmlEncoding GetEncoding() const { return Encoding; }
  void SetEncoding(TXmlEncoding encoding) { Encoding = encoding; }
  // Whether the file read starts with a byte-order mark.
  bool GetHasBom() const { return HasBom; }

  std::int64_t Read(void* buffer, std::int64_t count) final;
  std::int64_t Write(const void* buffer, std::int64_t count) final;
  // Only the position may be asked: the UTF-8 bytes read or written so far.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) final;
  void SetSize(std::int64_t size) final;

protected:
  // UTF-8 text out of the file's bytes, and into them.
  virtual std::int64_t Decode(char* out, std::int64_t count) = 0;
  virtual void Encode(std::string_view utf8) = 0;

  // The file's bytes: those read ahead first, then the stream's.
  std::int64_t ReadRaw(void* buffer, std::int64_t count);
  // Reads up to count more bytes ahead (kept for ReadRaw); false at the end.
  bool ReadAhead(std::int64_t count);
  std::string_view Ahead() const { return std::string_view(Head).substr(HeadUsed); }
  void WriteRaw(const void* buffer, std::int64_t count);
  // The two bytes of a UTF-16 unit come high byte first.
  bool Swap = false;
  TXmlEncoding Encoding = xeUtf8;

private:
  enum class TMode : std::uint8_t { None, Reading, Writing };
  TStream& Assigned();
  void StartReading();
  void StartWriting();

  TStream* Stream;
  TMode Mode = TMode::None;
  bool HasBom = false;
  std::int64_t Position = 0;
  std::string Head;  // bytes read ahead
  std::size_t HeadUsed = 0;
};

class TsdUtf8Stream final : public TsdCodecStream {
public:
  using TsdCodecStream::TsdCodecStream;

  // 8-bit files: the character set (empty: Windows-1252). Reading, the
  // declaration names it: a file without mark whose declaration names none,
  // or UTF-8, or a set that cannot have written the declaration itself, is
  // read as UTF-8.
  const std::string& GetCharset() const { return Charset; }
  void SetCharset(std::string_view charset) { Charset = charset; }

protected:
  std::int64_t Decode(char* out, std::int64_t count) override;
  void Encode(std::string_view utf8) override;

private:
  void ChooseEightBitReading();
  void DecodeBlock();
  void DecodeUtf16Block();

  std::string Charset;
  bool Chosen = false;       // the 8-bit reading has been decided
  bool PassThrough = false;  // UTF-8 read as it stands
  std::string Decoded;       // UTF-8 made and not handed out yet
  std::size_t DecodedUsed = 0;
  bool SourceDone = false;
  std::string PendingUnit;  // UTF-16: an odd byte or a high surrogate kept for the next block
};
