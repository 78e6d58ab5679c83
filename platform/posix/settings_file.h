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
// absent value, and a hex value may go on over lines that end in '\'.
//
// Saving changes only the lines of the values it writes (and adds those that
// are missing to the key); every other line stays as it was. The new text
// goes to a temporary file "<name>.tmp.<pid>" beside the file, which is then
// renamed over it; temporary files that killed saves left behind are removed.
// A symbolic link is followed: the file it ends at is replaced and the link
// stays. A read-only file, or one that cannot be read, is not replaced.
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
// The contents as a whole new file.
std::string FormatSettingsFile(const SettingsFileContents& contents);
// The text with the values set in the key's section (created at the end when
// missing), every line that is not one of those values kept byte for byte.
std::string UpdateSettingsFile(const std::string& text, const std::string& key,
                               const std::vector<SettingsFileValue>& values);

// Why the last open or save of the settings file failed, with the path and
// the system's reason ("cannot write /home/me/.config/VellSofts/LUM/Tenu.reg.tmp.42:
// No space left on device"); empty when it did not fail, or when it found no
// file or no key to load, which leaves the defaults without any problem.
std::string SettingsFileProblem();
