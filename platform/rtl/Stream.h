#pragma once
// Byte streams of the framework: the abstract TStream with its buffer
// helpers, a growable memory stream and a file stream. Positions and sizes
// are 64-bit.

#include <cstdint>
#include <string>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
  virtual ~TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Writes count bytes; returns how many were written.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // Moves the position; returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;

  virtual std::int64_t GetSize();
  virtual void SetSize(std::int64_t size) = 0;
  std::int64_t GetPosition() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // Bytes between the position and the end, never negative.
  std::int64_t Remaining();

  // Read or write exactly count bytes, raising EReadError "Stream read error"
  // or EWriteError "Stream write error" otherwise.
  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);

  // Copies count bytes from source's position; count 0 copies the whole of
  // source from its start. Returns the number of bytes copied.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);

protected:
  TStream() = default;
};

class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t GetSize() override { return static_cast<std::int64_t>(Data.size()); }
  void SetSize(std::int64_t size) override;

  void Clear();
  const std::uint8_t* Memory() const { return Data.data(); }
  std::uint8_t* Memory() { return Data.data(); }
  const std::vector<std::uint8_t>& Bytes() const { return Data; }

  void LoadFromStream(TStream& source);
  void SaveToStream(TStream& dest) const;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

private:
  std::vector<std::uint8_t> Data;
  std::int64_t Position = 0;
};

// File open modes and share flags; the share flags are accepted and ignored.
constexpr std::uint16_t fmCreate = 0xFF00;
constexpr std::uint16_t fmOpenRead = 0x0000;
constexpr std::uint16_t fmOpenWrite = 0x0001;
constexpr std::uint16_t fmOpenReadWrite = 0x0002;
constexpr std::uint16_t fmShareExclusive = 0x0010;
constexpr std::uint16_t fmShareDenyWrite = 0x0020;
constexpr std::uint16_t fmShareDenyNone = 0x0040;

class TFileStream : public TStream {
public:
  // Raises EFCreateError "Cannot create file "%s". %s" or
  // EFOpenError "Cannot open file "%s". %s" with the system's reason.
  TFileStream(const std::string& fileName, std::uint16_t mode);
  ~TFileStream() override;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;

  const std::string& FileName() const { return Name; }

private:
  std::string Name;
  int Handle = -1;
};
