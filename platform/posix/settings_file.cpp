#include "platform/posix/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool ReadWholeFile(const std::string& path, std::string& out, bool& missing) {
  missing = false;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    missing = errno == ENOENT;
    return false;
  }
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) out.append(buffer, got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

// Creates every missing directory on the way to path's folder.
bool MakeParentDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool WriteAtomically(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp." + std::to_string(getpid());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) return false;
  size_t written = 0;
  bool ok = true;
  while (ok && written < text.size()) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) written += static_cast<size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) unlink(temporary.c_str());
  return ok;
}

struct FileKey {
  std::string path;
  std::string key;
  SettingsFileContents contents;
  bool dirty = false;
};

SettingsFileSection* FindSection(SettingsFileContents& contents, const std::string& key) {
  for (SettingsFileSection& section : contents.sections) {
    if (EqualsIgnoringCase(section.key, key)) return &section;
  }
  return nullptr;
}

int OpenKey(const char* path, StoreKey* key, bool create) {
  if (path == nullptr || key == nullptr) return 0;
  try {
    auto handle = std::make_unique<FileKey>();
    handle->path = SettingsFilePath();
    handle->key = std::string(kRootPrefix) + path;
    std::string text;
    bool missing = false;
    const bool have_file = !handle->path.empty() && ReadWholeFile(handle->path, text, missing);
    if (have_file) handle->contents = ParseSettingsFile(text);
    bool ok = false;
    if (create) {
      ok = !handle->path.empty() && (have_file || missing) && MakeParentDirectories(handle->path);
      if (ok && FindSection(handle->contents, handle->key) == nullptr) {
        handle->contents.sections.push_back({handle->key, {}});
        handle->dirty = true;
      }
      // Creating is only worth promising when the folder takes a new file; a
      // path without a slash names a file in the working folder.
      const size_t slash = handle->path.rfind('/');
      const std::string folder = slash == std::string::npos ? "." : handle->path.substr(0, slash + 1);
      ok = ok && access(folder.c_str(), W_OK) == 0;
    } else {
      ok = have_file && FindSection(handle->contents, handle->key) != nullptr;
    }
    if (!ok) return 0;
    *key = handle.release();
    return 1;
  } catch (const std::bad_alloc&) {
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
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      contents.sections.push_back({line.substr(1, line.size() - 2), {}});
      current = &contents.sections.back();
      continue;
    }
    SettingsFileValue value;
    if (current == nullptr || !ParseValueLine(line, value)) continue;
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
    for (SettingsFileValue& existing : section->values) {
      if (EqualsIgnoringCase(existing.name, name)) {
        existing = value;
        return 1;
      }
    }
    section->values.push_back(value);
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
      ok = WriteAtomically(handle->path, FormatSettingsFile(handle->contents));
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  delete handle;
  return ok ? 1 : 0;
}
