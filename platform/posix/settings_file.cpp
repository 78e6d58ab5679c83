#include "platform/posix/settings_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "core/platform.h"

namespace {

constexpr char kRootPrefix[] = "HKEY_CURRENT_USER\\";

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (std::tolower(ca) != std::tolower(cb)) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text with \\ and \" escapes starting at pos (on the opening
// quote); answers false when it is not closed.
bool ReadQuoted(const std::string& line, size_t& pos, std::string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  ++pos;
  while (pos < line.size()) {
    const char c = line[pos++];
    if (c == '"') return true;
    if (c == '\\') {
      if (pos >= line.size()) return false;
      out.push_back(line[pos++]);
    } else {
      out.push_back(c);
    }
  }
  return false;
}

bool ParseHexBytes(const std::string& text, std::string& out) {
  size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == ',' || text[pos] == ' ') {
      ++pos;
      continue;
    }
    if (pos + 1 >= text.size()) return false;
    const int high = HexDigit(text[pos]);
    const int low = HexDigit(text[pos + 1]);
    if (high < 0 || low < 0) return false;
    out.push_back(static_cast<char>(high * 16 + low));
    pos += 2;
  }
  return true;
}

bool ParseValueLine(const std::string& line, SettingsFileValue& value) {
  size_t pos = 0;
  if (!ReadQuoted(line, pos, value.name) || pos >= line.size() || line[pos] != '=') return false;
  const std::string rest = line.substr(pos + 1);
  if (!rest.empty() && rest[0] == '"') {
    size_t at = 0;
    std::string text;
    if (!ReadQuoted(rest, at, text) || at != rest.size()) return false;
    value.type = kStoreTypeString;
    value.data = text;
    value.data.push_back('\0');
    return true;
  }
  if (rest.rfind("dword:", 0) == 0) {
    const std::string digits = rest.substr(6);
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t number = 0;
    for (char c : digits) {
      const int digit = HexDigit(c);
      if (digit < 0) return false;
      number = number * 16 + static_cast<uint32_t>(digit);
    }
    value.type = kStoreTypeDword;
    value.data.clear();
    for (int k = 0; k < 4; ++k) value.data.push_back(static_cast<char>(number >> (8 * k)));
    return true;
  }
  if (rest.rfind("hex:", 0) == 0) {
    value.type = 3;  // binary
    return ParseHexBytes(rest.substr(4), value.data);
  }
  if (rest.rfind("hex(", 0) == 0) {
    const size_t close = rest.find("):");
    if (close == std::string::npos || close <= 4 || close > 12) return false;
    uint32_t type = 0;
    for (size_t k = 4; k < close; ++k) {
      const int digit = HexDigit(rest[k]);
      if (digit < 0) return false;
      type = type * 16 + static_cast<uint32_t>(digit);
    }
    value.type = type;
    return ParseHexBytes(rest.substr(close + 2), value.data);
  }
  return false;
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string FormatValue(const SettingsFileValue& value) {
  std::string line = Quote(value.name) + "=";
  const bool plain_string = value.type == kStoreTypeString && !value.data.empty() &&
                            value.data.back() == '\0' &&
                            value.data.find('\0') == value.data.size() - 1 &&
                            value.data.find_first_of("\r\n") == std::string::npos;
  if (plain_string) return line + Quote(value.data.substr(0, value.data.size() - 1));
  if (value.type == kStoreTypeDword && value.data.size() == 4) {
    uint32_t number = 0;
    for (int k = 3; k >= 0; --k) number = number << 8 | static_cast<unsigned char>(value.data[k]);
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x", number);
    return line + digits;
  }
  char prefix[24];
  if (value.type == 3) {
    std::snprintf(prefix, sizeof prefix, "hex:");
  } else {
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
  }
  line += prefix;
  for (size_t k = 0; k < value.data.size(); ++k) {
    char byte[4];
    std::snprintf(byte, sizeof byte, k == 0 ? "%02x" : ",%02x", static_cast<unsigned char>(value.data[k]));
    line += byte;
  }
  return line;
}

// ---- Lines of the file ----------------------------------------------------

// One line of the file as the parser sees it, and the bytes it stands for: a
// hex value continued with a trailing '\' over several lines of the file is
// one logical line, whose raw text covers all of them.
struct FileLine {
  std::string text;  // without line ends, continuations joined
  std::string raw;   // exactly as in the file, line ends included
};

bool IsSectionLine(const std::string& text) {
  return text.size() >= 2 && text.front() == '[' && text.back() == ']';
}

// A value line whose data is hex bytes: the only kind the export format
// continues over several lines.
bool IsHexValueLine(const std::string& text) {
  size_t pos = 0;
  std::string name;
  if (!ReadQuoted(text, pos, name) || pos >= text.size() || text[pos] != '=') return false;
  return text.compare(pos + 1, 3, "hex") == 0;
}

std::vector<FileLine> SplitLines(const std::string& text) {
  std::vector<FileLine> lines;
  size_t start = 0;
  bool continued = false;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string physical = text.substr(start, end - start);
    start = end;
    std::string body = physical;
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
    if (continued) {
      // The next line of a continued value: its leading blanks are layout.
      FileLine& line = lines.back();
      line.raw += physical;
      line.text += body.substr(std::min(body.find_first_not_of(" \t"), body.size()));
    } else {
      lines.push_back({body, physical});
    }
    // Only a line of the file that itself ends in '\' asks for one more: a
    // blank line ends a value however many backslashes stand before it.
    FileLine& line = lines.back();
    continued = !body.empty() && body.back() == '\\' && IsHexValueLine(line.text);
    if (continued) line.text.pop_back();
  }
  return lines;
}

// The key's lines: [first, end) from its section line to the next section.
bool FindSectionLines(const std::vector<FileLine>& lines, const std::string& key, size_t& first, size_t& end) {
  for (first = 0; first < lines.size(); ++first) {
    const std::string& text = lines[first].text;
    if (IsSectionLine(text) && EqualsIgnoringCase(text.substr(1, text.size() - 2), key)) break;
  }
  if (first == lines.size()) return false;
  for (end = first + 1; end < lines.size() && !IsSectionLine(lines[end].text);) ++end;
  return true;
}

// ---- Reading and writing the file -------------------------------------------

// A settings file is a few hundred bytes; one beyond this is no settings file.
constexpr off_t kLargestSettingsFile = 1 << 20;
// Its lines are a value each (the book's path is the longest, 259 bytes),
// or a piece of a hex value; a longer line is no settings file either.
constexpr size_t kLongestSettingsLine = size_t{64} << 10;

std::string Reason(int error) { return std::strerror(error); }

// Follows symbolic links to the file they end at, so that a save replaces
// that file and leaves the links in place. A link that points nowhere ends
// at the name it points to, where a save creates the file.
std::string FinalTarget(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info{};
    if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    std::vector<char> target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
    const ssize_t length = readlink(current.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<size_t>(length) >= target.size()) return current;
    const std::string next(target.data(), static_cast<size_t>(length));
    const size_t slash = current.rfind('/');
    current = next.front() == '/' || slash == std::string::npos ? next : current.substr(0, slash + 1) + next;
  }
  return current;  // a loop of links: the save fails on it with the system's reason
}

enum class ReadResult { Read, Missing, Failed };

// Reads the whole settings file. Only a regular file of a sane size is read:
// a device or a pipe could be read forever or never answer.
ReadResult ReadSettingsText(const std::string& path, std::string& out, std::string& problem) {
  struct stat info{};
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return ReadResult::Missing;
    problem = "cannot read " + path + ": " + Reason(errno);
    return ReadResult::Failed;
  }
  if (S_ISDIR(info.st_mode)) {
    problem = path + " is a folder, not a settings file";
    return ReadResult::Failed;
  }
  if (!S_ISREG(info.st_mode)) {
    problem = path + " is not a regular file";
    return ReadResult::Failed;
  }
  if (info.st_size > kLargestSettingsFile) {
    problem = path + " is larger than 1 MiB, too large for a settings file";
    return ReadResult::Failed;
  }
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    problem = "cannot read " + path + ": " + Reason(errno);
    return ReadResult::Failed;
  }
  char buffer[4096];
  size_t got = 0;
  while (out.size() <= static_cast<size_t>(kLargestSettingsFile) &&
         (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    out.append(buffer, got);
  }
  const int error = std::ferror(file) != 0 ? errno : 0;
  std::fclose(file);
  if (error != 0) {
    problem = "cannot read " + path + ": " + Reason(error);
    return ReadResult::Failed;
  }
  // A file that grew while it was read is read only in part: as good as
  // unread, since a save would write back the part alone.
  if (out.size() > static_cast<size_t>(kLargestSettingsFile)) {
    problem = path + " is larger than 1 MiB, too large for a settings file";
    return ReadResult::Failed;
  }
  size_t line_start = 0;
  for (long line = 1; line_start < out.size(); ++line) {
    size_t end = out.find('\n', line_start);
    if (end == std::string::npos) end = out.size();
    if (end - line_start > kLongestSettingsLine) {
      problem = path + ": line " + std::to_string(line) + " is longer than the 64 KiB a line of a settings file may have";
      return ReadResult::Failed;
    }
    line_start = end + 1;
  }
  return ReadResult::Read;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Creates every missing folder on the way to path's folder.
bool MakeParentDirectories(const std::string& path, std::string& problem) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      problem = "cannot create the folder " + folder + ": " + Reason(errno);
      return false;
    }
  }
  return true;
}

// A save that was killed leaves its temporary file "<name>.tmp.<pid>" behind.
// Those of processes that are gone, and any older than ten minutes (a save
// takes milliseconds), are removed; a save running elsewhere keeps its own.
void RemoveStaleTemporaries(const std::string& path) {
  const std::string folder = FolderOf(path);
  const size_t slash = path.rfind('/');
  const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp.";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const time_t now = time(nullptr);
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const auto pid = static_cast<pid_t>(std::atol(digits.c_str()));
    const std::string file = folder + "/" + name;
    struct stat info{};
    if (pid == getpid() || lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    const bool gone = kill(pid, 0) != 0 && errno == ESRCH;
    if (gone || now - info.st_mtime > 600) unlink(file.c_str());
  }
  closedir(dir);
}

bool WriteAtomically(const std::string& path, const std::string& text, std::string& problem) {
  RemoveStaleTemporaries(path);
  const std::string temporary = path + ".tmp." + std::to_string(getpid());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) {
    problem = "cannot create " + temporary + ": " + Reason(errno);
    return false;
  }
  size_t written = 0;
  int error = 0;
  while (error == 0 && written < text.size()) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n > 0) {
      written += static_cast<size_t>(n);
    } else {
      error = n < 0 ? errno : EIO;
    }
  }
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    problem = "cannot write " + temporary + ": " + Reason(error);
  } else if (rename(temporary.c_str(), path.c_str()) != 0) {
    error = errno;
    problem = "cannot replace " + path + ": " + Reason(error);
  }
  if (error != 0) unlink(temporary.c_str());
  return error == 0;
}

struct FileKey {
  std::string path;  // the file itself, links followed
  std::string key;
  std::string text;  // the file as read
  SettingsFileContents contents;
  std::vector<SettingsFileValue> changes;  // the values set, one each
  bool dirty = false;
};

SettingsFileSection* FindSection(SettingsFileContents& contents, const std::string& key) {
  for (SettingsFileSection& section : contents.sections) {
    if (EqualsIgnoringCase(section.key, key)) return &section;
  }
  return nullptr;
}

std::string Problem;  // why the last open or save failed; empty when it did not

// The file's own line end, for the lines a save adds.
std::string LineEnd(const std::string& text) {
  const size_t end = text.find('\n');
  return end != std::string::npos && end > 0 && text[end - 1] == '\r' ? "\r\n" : "\n";
}

int OpenKey(const char* path, StoreKey* key, bool create) {
  Problem.clear();
  if (path == nullptr || key == nullptr) return 0;
  try {
    auto handle = std::make_unique<FileKey>();
    const std::string named = SettingsFilePath();
    if (named.empty()) {
      // Nothing to load is no problem; nowhere to save is.
      if (create) {
        Problem = "there is no place for the settings file: none of TENU_SETTINGS_FILE, XDG_CONFIG_HOME and HOME is set";
      }
      return 0;
    }
    handle->path = FinalTarget(named);
    handle->key = std::string(kRootPrefix) + path;
    const ReadResult read = ReadSettingsText(handle->path, handle->text, Problem);
    if (read == ReadResult::Read) handle->contents = ParseSettingsFile(handle->text);
    if (!create) {
      // A missing file or key is no problem: the defaults stay.
      if (read != ReadResult::Read || FindSection(handle->contents, handle->key) == nullptr) return 0;
    } else {
      // A file that cannot be read cannot be updated without losing what it
      // holds; a read-only one is the user's wish not to change it.
      if (read == ReadResult::Failed) return 0;
      struct stat info{};
      if (read == ReadResult::Read && stat(handle->path.c_str(), &info) == 0 &&
          ((info.st_mode & S_IWUSR) == 0 || access(handle->path.c_str(), W_OK) != 0)) {
        Problem = handle->path + " is read-only";
        return 0;
      }
      if (!MakeParentDirectories(handle->path, Problem)) return 0;
      const std::string folder = FolderOf(handle->path);
      if (access(folder.c_str(), W_OK) != 0) {
        Problem = "cannot write in the folder " + folder + ": " + Reason(errno);
        return 0;
      }
      if (FindSection(handle->contents, handle->key) == nullptr) {
        handle->contents.sections.push_back({handle->key, {}});
        handle->dirty = true;
      }
    }
    *key = handle.release();
    return 1;
  } catch (const std::bad_alloc&) {
    Problem = "out of memory";
    return 0;
  }
}

}  // namespace

std::string SettingsFilePath() {
  if (const char* file = std::getenv("TENU_SETTINGS_FILE"); file != nullptr && file[0] != '\0') return file;
  std::string base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::string(home) + "/.config";
  } else {
    return "";
  }
  return base + "/VellSofts/LUM/Tenu.reg";
}

SettingsFileContents ParseSettingsFile(const std::string& text) {
  SettingsFileContents contents;
  SettingsFileSection* current = nullptr;
  for (const FileLine& line : SplitLines(text)) {
    if (IsSectionLine(line.text)) {
      contents.sections.push_back({line.text.substr(1, line.text.size() - 2), {}});
      current = &contents.sections.back();
      continue;
    }
    SettingsFileValue value;
    if (current == nullptr || !ParseValueLine(line.text, value)) continue;
    bool replaced = false;
    for (SettingsFileValue& existing : current->values) {
      if (EqualsIgnoringCase(existing.name, value.name)) {
        existing = value;  // a later line wins, as a later import would
        replaced = true;
      }
    }
    if (!replaced) current->values.push_back(value);
  }
  return contents;
}

std::string FormatSettingsFile(const SettingsFileContents& contents) {
  std::string text = "REGEDIT4\n";
  for (const SettingsFileSection& section : contents.sections) {
    text += "\n[" + section.key + "]\n";
    for (const SettingsFileValue& value : section.values) text += FormatValue(value) + "\n";
  }
  return text;
}

std::string UpdateSettingsFile(const std::string& text, const std::string& key,
                               const std::vector<SettingsFileValue>& values) {
  std::vector<FileLine> lines = SplitLines(text);
  const std::string end_of_line = LineEnd(text);
  size_t first = 0;
  size_t end = 0;
  if (!FindSectionLines(lines, key, first, end)) {
    if (lines.empty()) lines.push_back({"REGEDIT4", "REGEDIT4" + end_of_line});
    std::string& last = lines.back().raw;
    if (last.back() != '\n') last += end_of_line;
    lines.push_back({"", end_of_line});
    lines.push_back({"[" + key + "]", "[" + key + "]" + end_of_line});
    first = lines.size() - 1;
    end = lines.size();
  }
  // New values go behind the key's last line that is not blank.
  size_t insert_at = end;
  while (insert_at > first + 1 && lines[insert_at - 1].text.find_first_not_of(" \t") == std::string::npos) --insert_at;
  std::vector<FileLine> added;
  for (const SettingsFileValue& value : values) {
    const FileLine line{FormatValue(value), FormatValue(value) + end_of_line};
    // The line a load takes the value from is the last one that parses.
    size_t at = end;
    for (size_t k = end; k > first + 1; --k) {
      SettingsFileValue existing;
      if (ParseValueLine(lines[k - 1].text, existing) && EqualsIgnoringCase(existing.name, value.name)) {
        at = k - 1;
        break;
      }
    }
    if (at != end) {
      lines[at] = line;
    } else {
      added.push_back(line);
    }
  }
  if (insert_at > 0 && insert_at == lines.size() && !lines.back().raw.empty() && lines.back().raw.back() != '\n') {
    lines.back().raw += end_of_line;
  }
  // A hex value whose last line still asks for a continuation would take
  // the first added line into itself: a blank line ends it first.
  if (!added.empty() && insert_at > 0) {
    std::string last = lines[insert_at - 1].raw;
    while (!last.empty() && (last.back() == '\n' || last.back() == '\r')) last.pop_back();
    if (!last.empty() && last.back() == '\\' && IsHexValueLine(lines[insert_at - 1].text)) {
      added.insert(added.begin(), FileLine{"", end_of_line});
    }
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert_at), added.begin(), added.end());
  std::string out;
  for (const FileLine& line : lines) out += line.raw;
  return out;
}

std::string SettingsFileProblem() { return Problem; }

int StoreOpenKey(const char* path, StoreKey* key) { return OpenKey(path, key, false); }

int StoreCreateKey(const char* path, StoreKey* key) { return OpenKey(path, key, true); }

int StoreQueryValue(StoreKey key, const char* name, uint32_t* type, void* data, uint32_t* size) {
  if (key == nullptr || name == nullptr || size == nullptr) return 0;
  auto handle = static_cast<FileKey*>(key);
  SettingsFileSection* section = FindSection(handle->contents, handle->key);
  if (section == nullptr) return 0;
  for (const SettingsFileValue& value : section->values) {
    if (!EqualsIgnoringCase(value.name, name)) continue;
    if (value.data.size() > *size || (data == nullptr && !value.data.empty())) return 0;
    if (!value.data.empty()) std::memcpy(data, value.data.data(), value.data.size());
    *size = static_cast<uint32_t>(value.data.size());
    if (type != nullptr) *type = value.type;
    return 1;
  }
  return 0;
}

int StoreSetValue(StoreKey key, const char* name, uint32_t type, const void* data, uint32_t size) {
  if (key == nullptr || name == nullptr || (data == nullptr && size > 0)) return 0;
  try {
    auto handle = static_cast<FileKey*>(key);
    SettingsFileSection* section = FindSection(handle->contents, handle->key);
    if (section == nullptr) return 0;
    SettingsFileValue value{name, type, std::string(static_cast<const char*>(data), size)};
    handle->dirty = true;
    auto put = [&value](std::vector<SettingsFileValue>& values) {
      for (SettingsFileValue& existing : values) {
        if (EqualsIgnoringCase(existing.name, value.name)) {
          existing = value;
          return;
        }
      }
      values.push_back(value);
    };
    put(section->values);
    put(handle->changes);
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int StoreCloseKey(StoreKey key) {
  if (key == nullptr) return 0;
  auto handle = static_cast<FileKey*>(key);
  bool ok = true;
  if (handle->dirty) {
    try {
      ok = WriteAtomically(handle->path, UpdateSettingsFile(handle->text, handle->key, handle->changes), Problem);
    } catch (const std::bad_alloc&) {
      Problem = "out of memory";
      ok = false;
    }
  }
  delete handle;
  return ok ? 1 : 0;
}
