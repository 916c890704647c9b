#include "app/ProgramFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::string WithSeparator(const fs::path& folder) {
  std::string text = folder.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

// An XDG base folder: the variable when it holds an absolute path, else the
// given folder under the home folder.
std::string ProgramSubfolder(const char* variable, std::string_view underHome) {
  const char* value = std::getenv(variable);
  const fs::path base = value != nullptr && fs::path(value).is_absolute() ? fs::path(value)
                                                                          : fs::path(HomeFolder()) / underHome;
  return WithSeparator(base / ProgramName);
}

}  // namespace

std::string ProgramFolder() {
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  return error ? WithSeparator(fs::current_path(error)) : WithSeparator(executable.parent_path());
}

std::string UserConfigFolder() { return ProgramSubfolder("XDG_CONFIG_HOME", ".config"); }

std::string UserDataFolder() { return ProgramSubfolder("XDG_DATA_HOME", ".local/share"); }

std::string ParameterFilePath() { return UserConfigFolder().append(ParameterFileName); }

std::string DataFilePath(std::string_view name) {
  const std::string userCopy = UserDataFolder().append(name);
  std::error_code error;
  return fs::is_regular_file(userCopy, error) ? userCopy : ProgramFolder().append(name);
}
