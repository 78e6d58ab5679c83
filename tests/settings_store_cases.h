// Stored values and the settings they load as, and settings and the values
// they save as: one table for every settings store (the registry on Windows,
// the settings file elsewhere), run by each platform's suite against its own
// store through the same LoadSettings and SaveSettings.
//
// A suite provides a SettingsStoreAccess for its store and runs every case
// with CheckSettingsLoadCase and CheckSettingsSaveCase. The texts here are
// spelled as code page 932 bytes, so the header reads the same whatever the
// including file's execution character set is.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/platform.h"
#include "ui/settings.h"

struct StoredSettingValue {
  std::string name;
  uint32_t type;
  std::string bytes;  // exactly as stored; a string's NUL is part of it
};

// How a suite reaches its store, independently of the store functions under
// test where it can.
struct SettingsStoreAccess {
  // Removes the settings key and everything under "Software\VellSofts".
  void (*clear)();
  // Creates the key at path (relative to the current user) and stores these
  // values in it; with no values only the key is created.
  void (*plant)(const char* path, const std::vector<StoredSettingValue>& values);
  // Reads one value of the settings key; false when it is not stored.
  bool (*read)(const char* name, StoredSettingValue* value);
};

namespace settings_cases {

constexpr uint32_t kBinaryType = 3;  // raw bytes
constexpr uint32_t kQwordType = 11;  // 8 bytes, little-endian

inline std::string LittleEndian(uint32_t value, int bytes = 4) {
  std::string out;
  const uint64_t wide = value;  // shifted by up to 56 bits for an 8-byte value
  for (int k = 0; k < bytes; ++k) out.push_back(static_cast<char>(wide >> (8 * k)));
  return out;
}

inline StoredSettingValue Dword(const char* name, int32_t value) {
  return {name, kStoreTypeDword, LittleEndian(static_cast<uint32_t>(value))};
}

// A string value as a save writes it: the text and its NUL.
inline StoredSettingValue Text(const char* name, const std::string& text) {
  return {name, kStoreTypeString, text + std::string(1, '\0')};
}

inline StoredSettingValue Raw(const char* name, uint32_t type, const std::string& bytes) {
  return {name, type, bytes};
}

// "C:\表\定石.txt": 表 ends in the byte 0x5C, the path separator, so a store
// that treats the text as single bytes anywhere corrupts it.
inline std::string JapanesePath() { return "C:\\\x95\x5c\\\x92\xe8\x90\xce.txt"; }

inline std::string Repeat(char c, size_t count) { return std::string(count, c); }

inline EngineSettingsRecord With(void (*change)(EngineSettingsRecord&)) {
  EngineSettingsRecord record = DefaultSettings();
  change(record);
  return record;
}

inline void SetPath(EngineSettingsRecord& record, const std::string& path) {
  std::snprintf(record.JosekiFile, sizeof record.JosekiFile, "%s", path.c_str());
}

inline std::string Describe(const EngineSettingsRecord& s) {
  char text[400];
  std::snprintf(text, sizeof text, "{%d, %d, %d, %d, %d, %d, %d, \"%.*s\"}", s.Depth, s.KansakiDepth,
                s.HisshoDepth, s.ShowProgress, s.MaemukiCut, s.UseJoseki, s.ClientJoseki,
                static_cast<int>(sizeof s.JosekiFile), s.JosekiFile);
  return text;
}

// Equal fields, and the path NUL-terminated within its 260 bytes.
inline bool SameSettings(const EngineSettingsRecord& a, const EngineSettingsRecord& b) {
  return a.Depth == b.Depth && a.KansakiDepth == b.KansakiDepth && a.HisshoDepth == b.HisshoDepth &&
         a.ShowProgress == b.ShowProgress && a.MaemukiCut == b.MaemukiCut && a.UseJoseki == b.UseJoseki &&
         a.ClientJoseki == b.ClientJoseki && memchr(a.JosekiFile, '\0', sizeof a.JosekiFile) != nullptr &&
         memchr(b.JosekiFile, '\0', sizeof b.JosekiFile) != nullptr && std::strcmp(a.JosekiFile, b.JosekiFile) == 0;
}

inline std::string Hex(const std::string& bytes) {
  std::string out;
  char digits[4];
  for (unsigned char c : bytes) {
    std::snprintf(digits, sizeof digits, "%02x ", c);
    out += digits;
  }
  return out;
}

}  // namespace settings_cases

struct SettingsLoadCase {
  const char* title;
  const char* key_path;  // where the values are planted; null plants nothing, not even a key
  std::vector<StoredSettingValue> stored;
  int expected_result;            // what LoadSettings answers
  EngineSettingsRecord expected;  // the record after loading over the defaults
};

inline std::vector<SettingsLoadCase> SettingsLoadCases() {
  using namespace settings_cases;
  const char* key = kSettingsKeyPath;
  const EngineSettingsRecord defaults = DefaultSettings();
  return {
      {"no key at all keeps the defaults", nullptr, {}, 0, defaults},
      {"an empty key keeps the defaults", key, {}, 1, defaults},
      {"only Depth 9 stored", key, {Dword("Depth", 9)}, 1, With([](EngineSettingsRecord& s) { s.Depth = 9; })},
      {"Depth 1, below the form's limit, is loaded as it is", key, {Dword("Depth", 1)}, 1,
       With([](EngineSettingsRecord& s) { s.Depth = 1; })},
      {"all eight values",
       key,
       {Dword("Depth", 9), Dword("KansakiDepth", 0), Dword("HisshoDepth", 20), Dword("ShowProgress", 1),
        Dword("MaemukiCut", 0), Dword("UseJoseki", 1), Dword("ClientJoseki", 0), Text("JosekiFile", "C:\\book.txt")},
       1,
       With([](EngineSettingsRecord& s) {
         s.Depth = 9;
         s.KansakiDepth = 0;
         s.HisshoDepth = 20;
         s.ShowProgress = 1;
         s.MaemukiCut = 0;
         s.UseJoseki = 1;
         s.ClientJoseki = 0;
         SetPath(s, "C:\\book.txt");
       })},
      {"numbers are not validated on load",
       key,
       {Dword("Depth", -1), Dword("KansakiDepth", 2147483647), Dword("ShowProgress", 7)},
       1,
       With([](EngineSettingsRecord& s) {
         s.Depth = -1;
         s.KansakiDepth = 2147483647;
         s.ShowProgress = 7;
       })},
      {"value names match in any case", key, {Dword("depth", 8), Dword("CLIENTJOSEKI", 0)}, 1,
       With([](EngineSettingsRecord& s) {
         s.Depth = 8;
         s.ClientJoseki = 0;
       })},
      {"values of another key are not read", "Software\\VellSofts\\LUM\\Other", {Dword("Depth", 9)}, 0, defaults},
      {"a Japanese path with a 0x5C trail byte", key, {Text("JosekiFile", JapanesePath())}, 1,
       With([](EngineSettingsRecord& s) { SetPath(s, JapanesePath()); })},
      // Values of another type or size than a save writes are ignored, and
      // the values next to them still load.
      {"Depth stored as a string is ignored", key, {Text("Depth", "9"), Dword("KansakiDepth", 10)}, 1,
       With([](EngineSettingsRecord& s) { s.KansakiDepth = 10; })},
      {"Depth stored as 4 binary bytes is ignored", key, {Raw("Depth", kBinaryType, LittleEndian(9))}, 1, defaults},
      {"Depth stored as a 2-byte number is ignored", key, {Raw("Depth", kStoreTypeDword, LittleEndian(9, 2))}, 1,
       defaults},
      {"Depth stored as an 8-byte number is ignored", key,
       {Raw("Depth", kQwordType, LittleEndian(9, 8)), Dword("HisshoDepth", 15)}, 1,
       With([](EngineSettingsRecord& s) { s.HisshoDepth = 15; })},
      {"JosekiFile stored as a number is ignored", key, {Dword("JosekiFile", 0x41414141)}, 1, defaults},
      {"JosekiFile of 259 characters, the longest that fits", key, {Text("JosekiFile", Repeat('p', 259))}, 1,
       With([](EngineSettingsRecord& s) { SetPath(s, Repeat('p', 259)); })},
      {"JosekiFile of 260 characters without its NUL is cut to 259", key,
       {Raw("JosekiFile", kStoreTypeString, Repeat('q', 260))}, 1,
       With([](EngineSettingsRecord& s) { SetPath(s, Repeat('q', 259)); })},
      {"JosekiFile of 11 characters without its NUL", key, {Raw("JosekiFile", kStoreTypeString, "C:\\book.txt")}, 1,
       With([](EngineSettingsRecord& s) { SetPath(s, "C:\\book.txt"); })},
      {"JosekiFile of 300 bytes does not fit and is ignored", key,
       {Text("JosekiFile", Repeat('r', 299)), Dword("UseJoseki", 1)}, 1,
       With([](EngineSettingsRecord& s) { s.UseJoseki = 1; })},
      {"JosekiFile holding only its NUL is the empty path", key, {Text("JosekiFile", "")}, 1, defaults},
  };
}

struct SettingsSaveCase {
  const char* title;
  std::vector<StoredSettingValue> before;  // stored before the save (the key is created in any case)
  EngineSettingsRecord settings;           // saved
  std::vector<StoredSettingValue> after;   // every one of these is stored afterwards, exactly
};

inline std::vector<StoredSettingValue> SavedValues(const EngineSettingsRecord& s) {
  using namespace settings_cases;
  return {Dword("Depth", s.Depth),           Dword("KansakiDepth", s.KansakiDepth),
          Dword("HisshoDepth", s.HisshoDepth), Dword("ShowProgress", s.ShowProgress),
          Dword("MaemukiCut", s.MaemukiCut), Dword("UseJoseki", s.UseJoseki),
          Dword("ClientJoseki", s.ClientJoseki), Text("JosekiFile", s.JosekiFile)};
}

inline std::vector<SettingsSaveCase> SettingsSaveCases() {
  using namespace settings_cases;
  const EngineSettingsRecord changed = With([](EngineSettingsRecord& s) {
    s.Depth = 60;
    s.KansakiDepth = 0;
    s.HisshoDepth = 0;
    s.ShowProgress = 1;
    s.MaemukiCut = 0;
    s.UseJoseki = 1;
    s.ClientJoseki = 0;
    SetPath(s, JapanesePath());
  });
  const EngineSettingsRecord negative = With([](EngineSettingsRecord& s) { s.Depth = -3; });
  const EngineSettingsRecord longest = With([](EngineSettingsRecord& s) { SetPath(s, Repeat('s', 259)); });
  std::vector<StoredSettingValue> kept_other = SavedValues(DefaultSettings());
  kept_other.push_back(Dword("SomethingElse", 42));
  return {
      {"the defaults, with the empty path as one NUL byte", {}, DefaultSettings(), SavedValues(DefaultSettings())},
      {"every field changed", {}, changed, SavedValues(changed)},
      {"a negative number is stored as its 32 bits", {}, negative, SavedValues(negative)},
      {"a path of 259 characters", {}, longest, SavedValues(longest)},
      {"values of the wrong type are replaced, others left alone",
       {Text("Depth", "9"), Raw("JosekiFile", kStoreTypeDword, LittleEndian(1)), Dword("SomethingElse", 42)},
       DefaultSettings(),
       kept_other},
  };
}

// Plants the case, loads over the defaults and compares.
inline void CheckSettingsLoadCase(const SettingsLoadCase& test, const SettingsStoreAccess& store) {
  SCOPED_TRACE(test.title);
  store.clear();
  if (test.key_path != nullptr) store.plant(test.key_path, test.stored);
  EngineSettings = DefaultSettings();
  EXPECT_EQ(LoadSettings(), test.expected_result);
  EXPECT_TRUE(settings_cases::SameSettings(EngineSettings, test.expected))
      << "loaded " << settings_cases::Describe(EngineSettings) << "\nexpected "
      << settings_cases::Describe(test.expected);
}

// Saves the case's settings, compares what is stored and loads it back.
inline void CheckSettingsSaveCase(const SettingsSaveCase& test, const SettingsStoreAccess& store) {
  SCOPED_TRACE(test.title);
  store.clear();
  store.plant(kSettingsKeyPath, test.before);
  EngineSettings = test.settings;
  EXPECT_EQ(SaveSettings(), 1);
  for (const StoredSettingValue& expected : test.after) {
    StoredSettingValue stored;
    ASSERT_TRUE(store.read(expected.name.c_str(), &stored)) << expected.name << " is not stored";
    EXPECT_EQ(stored.type, expected.type) << expected.name;
    EXPECT_EQ(settings_cases::Hex(stored.bytes), settings_cases::Hex(expected.bytes)) << expected.name;
  }
  EngineSettings = DefaultSettings();
  EXPECT_EQ(LoadSettings(), 1);
  EXPECT_TRUE(settings_cases::SameSettings(EngineSettings, test.settings))
      << "loaded back " << settings_cases::Describe(EngineSettings);
}
