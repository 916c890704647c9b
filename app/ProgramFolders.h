#pragma once
// Where the program finds and keeps its files, by the desktop's conventions:
// its settings in the user's configuration folder, its data files (language
// file, help) beside the executable unless the user keeps an own copy in the
// user's data folder. Folders end with "/".

#include <string>
#include <string_view>

constexpr std::string_view ProgramName = "mirqoven";
constexpr std::string_view ParameterFileName = "MIRQOVEN.PAR";
constexpr std::string_view LanguageFileName = "mirqoven.lg";
constexpr std::string_view HelpFileName = "mirqoven.chm";

// The folder of the running executable.
std::string ProgramFolder();
// $XDG_CONFIG_HOME/mirqoven/, or ~/.config/mirqoven/ when that variable is
// unset, empty or not an absolute path.
std::string UserConfigFolder();
// $XDG_DATA_HOME/mirqoven/, or ~/.local/share/mirqoven/ likewise.
std::string UserDataFolder();

std::string ParameterFilePath();
// The user's copy of a data file when it exists, else the one beside the executable.
std::string DataFilePath(std::string_view name);
