// Any file contents through the settings file store: the parser, the
// formatter and LoadSettings reading the file through TENU_SETTINGS_FILE.
//
// Checked for every input: what parsed formats into a text that parses back
// to the same sections and values and formats to the same text again; a
// save's update of the text holds the values it wrote in the engine's key
// and leaves every other key's values as they were;
// LoadSettings answers 1 exactly when the engine's key is in the file, takes
// every integer value that is a 4-byte DWORD and leaves the others, takes a
// string path of at most 260 bytes cut at its first NUL (and at 259 bytes),
// and leaves JosekiFile NUL-terminated within its 260 bytes in every case.
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "core/platform.h"
#include "platform/posix/settings_file.h"
#include "ui/settings.h"

namespace {

const std::string kKey = "HKEY_CURRENT_USER\\Software\\VellSofts\\LUM\\Tenu";

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char ca = a[i];
    char cb = b[i];
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<char>(ca + 32);
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<char>(cb + 32);
    if (ca != cb) return false;
  }
  return true;
}

bool SameContents(const SettingsFileContents& a, const SettingsFileContents& b) {
  if (a.sections.size() != b.sections.size()) return false;
  for (size_t i = 0; i < a.sections.size(); ++i) {
    const SettingsFileSection& sa = a.sections[i];
    const SettingsFileSection& sb = b.sections[i];
    if (sa.key != sb.key || sa.values.size() != sb.values.size()) return false;
    for (size_t k = 0; k < sa.values.size(); ++k) {
      const SettingsFileValue& va = sa.values[k];
      const SettingsFileValue& vb = sb.values[k];
      if (va.name != vb.name || va.type != vb.type || va.data != vb.data) return false;
    }
  }
  return true;
}

const SettingsFileValue* FindValue(const SettingsFileSection& section, const char* name) {
  for (const SettingsFileValue& value : section.values) {
    if (SameName(value.name, name)) return &value;
  }
  return nullptr;
}

const SettingsFileSection* FirstSection(const SettingsFileContents& contents) {
  for (const SettingsFileSection& section : contents.sections) {
    if (SameName(section.key, kKey)) return &section;
  }
  return nullptr;
}

// A record no stored value can look like: odd numbers and a path.
EngineSettingsRecord Sentinel() {
  EngineSettingsRecord record{};
  record.Depth = -11;
  record.KansakiDepth = -12;
  record.HisshoDepth = -13;
  record.ShowProgress = -14;
  record.MaemukiCut = -15;
  record.UseJoseki = -16;
  record.ClientJoseki = -17;
  std::memset(record.JosekiFile, 'q', sizeof record.JosekiFile);
  record.JosekiFile[7] = '\0';
  return record;
}

int32_t Integer(const std::string& data) {
  uint32_t value = 0;
  for (int k = 3; k >= 0; --k) value = value << 8 | static_cast<unsigned char>(data[static_cast<size_t>(k)]);
  return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static const std::string path = FuzzScratchPath("settings.reg");
  setenv("TENU_SETTINGS_FILE", path.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const SettingsFileContents parsed = ParseSettingsFile(text);
  const std::string formatted = FormatSettingsFile(parsed);
  const SettingsFileContents reparsed = ParseSettingsFile(formatted);
  FUZZ_CHECK(SameContents(parsed, reparsed), "format and parse changed the contents:\n" + formatted);
  FUZZ_CHECK(FormatSettingsFile(reparsed) == formatted, "the formatted text is not stable:\n" + formatted);

  const std::vector<SettingsFileValue> written = {{"Depth", kStoreTypeDword, std::string("\x07\0\0\0", 4)},
                                                  {"JosekiFile", kStoreTypeString, std::string("a\\b\0", 4)}};
  const SettingsFileContents updated = ParseSettingsFile(UpdateSettingsFile(text, kKey, written));
  bool found = false;
  size_t other = 0;
  for (const SettingsFileSection& section : updated.sections) {
    if (!found && SameName(section.key, kKey)) {
      found = true;
      for (const SettingsFileValue& value : written) {
        const SettingsFileValue* got = FindValue(section, value.name.c_str());
        FUZZ_CHECK(got != nullptr && got->type == value.type && got->data == value.data,
                   "a written value did not read back: " + value.name);
      }
      continue;
    }
    while (other < parsed.sections.size() && SameName(parsed.sections[other].key, kKey) &&
           &parsed.sections[other] == FirstSection(parsed)) {
      ++other;
    }
    FUZZ_CHECK(other < parsed.sections.size() && SameContents({{parsed.sections[other]}}, {{section}}),
               "a key the save does not own changed: " + section.key);
    ++other;
  }
  FUZZ_CHECK(found, "the saved key is missing");

  WriteScratchFile(SettingsFilePath(), data, size);
  EngineSettings = Sentinel();
  const int loaded = LoadSettings();
  FUZZ_CHECK(std::memchr(EngineSettings.JosekiFile, '\0', sizeof EngineSettings.JosekiFile) != nullptr,
             "JosekiFile lost its terminator");

  const SettingsFileSection* section = nullptr;
  for (const SettingsFileSection& candidate : parsed.sections) {
    if (section == nullptr && SameName(candidate.key, kKey)) section = &candidate;
  }
  FUZZ_CHECK(loaded == (section != nullptr ? 1 : 0), "LoadSettings answered " + std::to_string(loaded));
  EngineSettingsRecord expected = Sentinel();
  if (section != nullptr) {
    const struct {
      const char* name;
      int32_t EngineSettingsRecord::*field;
    } integers[] = {{"Depth", &EngineSettingsRecord::Depth},
                    {"KansakiDepth", &EngineSettingsRecord::KansakiDepth},
                    {"HisshoDepth", &EngineSettingsRecord::HisshoDepth},
                    {"ShowProgress", &EngineSettingsRecord::ShowProgress},
                    {"MaemukiCut", &EngineSettingsRecord::MaemukiCut},
                    {"UseJoseki", &EngineSettingsRecord::UseJoseki},
                    {"ClientJoseki", &EngineSettingsRecord::ClientJoseki}};
    for (const auto& integer : integers) {
      const SettingsFileValue* value = FindValue(*section, integer.name);
      if (value != nullptr && value->type == kStoreTypeDword && value->data.size() == 4) {
        expected.*integer.field = Integer(value->data);
      }
    }
    const SettingsFileValue* path = FindValue(*section, "JosekiFile");
    if (path != nullptr && path->type == kStoreTypeString && path->data.size() <= sizeof expected.JosekiFile) {
      const std::string kept = path->data.substr(0, sizeof expected.JosekiFile - 1);
      std::memset(expected.JosekiFile, 0, sizeof expected.JosekiFile);
      std::memcpy(expected.JosekiFile, kept.data(), kept.size());
    }
  }
  const EngineSettingsRecord& got = EngineSettings;
  FUZZ_CHECK(got.Depth == expected.Depth && got.KansakiDepth == expected.KansakiDepth &&
                 got.HisshoDepth == expected.HisshoDepth && got.ShowProgress == expected.ShowProgress &&
                 got.MaemukiCut == expected.MaemukiCut && got.UseJoseki == expected.UseJoseki &&
                 got.ClientJoseki == expected.ClientJoseki,
             "an integer setting was not read as stored");
  FUZZ_CHECK(std::strcmp(got.JosekiFile, expected.JosekiFile) == 0,
             std::string("JosekiFile \"") + got.JosekiFile + "\", expected \"" + expected.JosekiFile + "\"");
  return 0;
}
