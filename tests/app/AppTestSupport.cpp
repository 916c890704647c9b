#include "tests/app/AppTestSupport.h"

#include "app/LabelFile.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace apptest {

TTempFolder::TTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "apptest-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  Folder = pattern;
}

TTempFolder::~TTempFolder() {
  std::error_code ignored;
  std::filesystem::permissions(Folder, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(Folder, ignored);
}

void WriteBytes(const std::string& fileName, const std::string& bytes) {
  std::ofstream(fileName, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadBytes(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> DocumentBytes(const app::TLabelFileContent& content) {
  const std::string bytes = ReadBytes(content.DocumentFile());
  return {bytes.begin(), bytes.end()};
}

std::string EncodeWithIconvCommand(const std::string& utf8, const std::string& codePage) {
  const TTempFolder folder;
  WriteBytes(folder.File("in"), utf8);
  const std::string command =
      "iconv -f UTF-8 -t " + codePage + " '" + folder.File("in") + "' > '" + folder.File("out") + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("iconv refused: " + command);
  return ReadBytes(folder.File("out"));
}

}  // namespace apptest
