// The settings store of POSIX systems: the registry key and its values kept in
// one text file per user, in the registry export format:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\VellSofts\LUM\Tenu]
//   "Depth"=dword:00000005
//   "JosekiFile"="/home/me/book.txt"
//
// The file is $TENU_SETTINGS_FILE when that is set, else
// $XDG_CONFIG_HOME/VellSofts/LUM/Tenu.reg, else ~/.config/VellSofts/LUM/Tenu.reg.
// Opening never creates it; a line that does not parse is ignored like an
// absent value; saving writes a temporary file beside it and renames it over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SettingsFileValue {
  std::string name;
  uint32_t type = 0;
  std::string data;  // the raw bytes; a string includes its terminating NUL
};

struct SettingsFileSection {
  std::string key;                      // the text between '[' and ']'
  std::vector<SettingsFileValue> values;
};

// The whole parsed file. Values of malformed lines are not kept.
struct SettingsFileContents {
  std::vector<SettingsFileSection> sections;
};

std::string SettingsFilePath();
SettingsFileContents ParseSettingsFile(const std::string& text);
std::string FormatSettingsFile(const SettingsFileContents& contents);
