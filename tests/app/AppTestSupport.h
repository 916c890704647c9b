#pragma once
// Files for the application tests: a private folder removed afterwards, and
// whole-file reading and writing of bytes.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace app {
class TLabelFileContent;
}

namespace apptest {

class TTempFolder {
public:
  TTempFolder();
  ~TTempFolder();
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::filesystem::path& Path() const { return Folder; }
  std::string File(const std::string& name) const { return (Folder / name).string(); }

private:
  std::filesystem::path Folder;
};

void WriteBytes(const std::string& fileName, const std::string& bytes);
std::string ReadBytes(const std::string& fileName);
// The bytes of an opened label file's document member.
std::vector<std::uint8_t> DocumentBytes(const app::TLabelFileContent& content);

// Converts UTF-8 text to the code page with the iconv command, as a file a
// user's editor would write; raises when iconv refuses.
std::string EncodeWithIconvCommand(const std::string& utf8, const std::string& codePage);

}  // namespace apptest
