// The settings store on the real registry: the key-store functions of the
// platform seam, and the shared load and save cases through LoadSettings
// and SaveSettings, linked into this program. Values are planted and read
// back with the plain registry functions, not with the code under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/platform.h"
#include "tests/settings_store_cases.h"
#include "tests/win32/test_support.h"
#include "ui/settings.h"

namespace {

void PlantInRegistry(const char* path, const std::vector<StoredSettingValue>& values) {
  SetRegistryValue(nullptr, 0, "", path);  // the key, even with no values
  for (const StoredSettingValue& value : values) SetRegistryValue(value.name.c_str(), value.type, value.bytes, path);
}

bool ReadFromRegistry(const char* name, StoredSettingValue* value) {
  const RegistryValue stored = ReadRegistryValue(name);
  if (!stored.present) return false;
  *value = {name, stored.type, stored.bytes};
  return true;
}

const SettingsStoreAccess kRegistry = {ClearEngineRegistry, PlantInRegistry, ReadFromRegistry};

// Makes the settings key impossible to create: a volatile key may only have
// volatile subkeys, and the store creates ordinary ones.
bool MakeVendorKeyVolatile() {
  ClearEngineRegistry();
  HKEY key = nullptr;
  const bool made = RegCreateKeyExA(HKEY_CURRENT_USER, kVendorKeyPath, 0, nullptr, REG_OPTION_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS;
  if (made) RegCloseKey(key);
  return made;
}

class SettingsRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearEngineRegistry();
    saved_ = EngineSettings;
  }
  void TearDown() override {
    ClearEngineRegistry();
    EngineSettings = saved_;
  }

 private:
  EngineSettingsRecord saved_{};
};

}  // namespace

TEST_F(SettingsRegistry, SharedLoadCases) {
  for (const SettingsLoadCase& test : SettingsLoadCases()) CheckSettingsLoadCase(test, kRegistry);
}

TEST_F(SettingsRegistry, SharedSaveCases) {
  for (const SettingsSaveCase& test : SettingsSaveCases()) CheckSettingsSaveCase(test, kRegistry);
}

TEST_F(SettingsRegistry, SaveWritesEightValuesAndNothingElse) {
  EngineSettings = DefaultSettings();
  ASSERT_EQ(SaveSettings(), 1);
  std::vector<std::string> names = RegistryValueNames();
  std::sort(names.begin(), names.end());
  const std::vector<std::string> expected = {"ClientJoseki", "Depth",      "HisshoDepth", "JosekiFile",
                                             "KansakiDepth", "MaemukiCut", "ShowProgress", "UseJoseki"};
  EXPECT_EQ(names, expected);
  const RegistryValue path = ReadRegistryValue("JosekiFile");
  EXPECT_EQ(path.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(path.bytes, std::string(1, '\0'));
}

TEST_F(SettingsRegistry, SaveAnswers0WhenTheKeyCannotBeCreated) {
  ASSERT_TRUE(MakeVendorKeyVolatile());
  EngineSettings = DefaultSettings();
  EngineSettings.Depth = 9;
  EXPECT_EQ(SaveSettings(), 0);
  EXPECT_FALSE(EngineKeyExists());
  EXPECT_EQ(EngineSettings.Depth, 9) << "the settings stay in effect in memory";
}

TEST_F(SettingsRegistry, OpenNeverCreatesTheKey) {
  StoreKey key = nullptr;
  EXPECT_EQ(StoreOpenKey(kSettingsKeyPath, &key), 0);
  EXPECT_FALSE(EngineKeyExists());
  EngineSettings = DefaultSettings();
  EXPECT_EQ(LoadSettings(), 0);
  EXPECT_FALSE(EngineKeyExists());
}

TEST_F(SettingsRegistry, CreateMakesEveryMissingKeyOnThePath) {
  StoreKey key = nullptr;
  ASSERT_EQ(StoreCreateKey(kSettingsKeyPath, &key), 1);
  EXPECT_EQ(StoreCloseKey(key), 1);
  EXPECT_TRUE(EngineKeyExists());
  ASSERT_EQ(StoreOpenKey(kSettingsKeyPath, &key), 1);
  EXPECT_EQ(StoreCloseKey(key), 1);
}

// Reads a value into the middle of a guarded buffer: on refusal not a single
// byte of the buffer may change, on success only the value's bytes.
TEST_F(SettingsRegistry, QueryWritesAWholeValueOrNothing) {
  SetRegistryString("Fits", "abcdefg");            // 8 bytes
  SetRegistryString("TooLong", std::string(299, 'x'));  // 300 bytes
  SetRegistryDword("Number", 0x01020304);
  SetRegistryValue("Big", REG_BINARY, std::string(600, 'b'));  // beyond the store's stack scratch
  struct Case {
    const char* name;
    uint32_t capacity;
    int answer;
    uint32_t type;
    std::string bytes;
  };
  const Case cases[] = {
      {"Fits", 8, 1, kStoreTypeString, std::string("abcdefg", 8)},
      {"Fits", 7, 0, 0, ""},
      {"Fits", 1, 0, 0, ""},
      {"TooLong", 260, 0, 0, ""},
      {"TooLong", 300, 1, kStoreTypeString, std::string(299, 'x') + std::string(1, '\0')},
      {"Number", 4, 1, kStoreTypeDword, std::string("\x04\x03\x02\x01", 4)},
      {"Number", 3, 0, 0, ""},
      {"Big", 599, 0, 0, ""},
      {"Big", 1000, 1, 3, std::string(600, 'b')},
      {"Missing", 100, 0, 0, ""},
  };
  StoreKey key = nullptr;
  ASSERT_EQ(StoreOpenKey(kSettingsKeyPath, &key), 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " into " + std::to_string(c.capacity) + " bytes");
    std::vector<unsigned char> guarded(c.capacity + 64, 0xCC);
    unsigned char* data = guarded.data() + 32;
    uint32_t size = c.capacity;
    uint32_t type = 0xDEAD;
    ASSERT_EQ(StoreQueryValue(key, c.name, &type, data, &size), c.answer);
    const size_t written = c.answer == 1 ? c.bytes.size() : 0;
    if (c.answer == 1) {
      EXPECT_EQ(type, c.type);
      EXPECT_EQ(size, c.bytes.size());
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), written), c.bytes);
    }
    for (size_t k = 0; k < guarded.size(); ++k) {
      if (k >= 32 && k < 32 + written) continue;
      ASSERT_EQ(guarded[k], 0xCC) << "byte " << static_cast<long>(k) - 32 << " changed";
    }
  }
  EXPECT_EQ(StoreCloseKey(key), 1);
}

TEST_F(SettingsRegistry, CloseAnswers0AfterAWriteThatFailed) {
  StoreKey key = nullptr;
  ASSERT_EQ(StoreCreateKey(kSettingsKeyPath, &key), 1);
  const unsigned char bytes[4] = {1, 0, 0, 0};
  EXPECT_EQ(StoreSetValue(key, "Depth", kStoreTypeDword, bytes, 4), 1);
  EXPECT_EQ(StoreCloseKey(key), 1);

  // The registry refuses a value name beyond its limit of 16383 characters.
  const std::string long_name(20000, 'n');
  ASSERT_EQ(StoreCreateKey(kSettingsKeyPath, &key), 1);
  EXPECT_EQ(StoreSetValue(key, long_name.c_str(), kStoreTypeDword, bytes, 4), 0);
  EXPECT_EQ(StoreSetValue(key, "Depth", kStoreTypeDword, bytes, 4), 1);
  EXPECT_EQ(StoreCloseKey(key), 0) << "the refused write must not be reported as kept";

  ASSERT_EQ(StoreCreateKey(kSettingsKeyPath, &key), 1);
  EXPECT_EQ(StoreSetValue(key, nullptr, kStoreTypeDword, bytes, 4), 0);
  EXPECT_EQ(StoreSetValue(key, "Depth", kStoreTypeDword, nullptr, 4), 0);
  EXPECT_EQ(StoreSetValue(key, "Depth", kStoreTypeDword, bytes, 4), 1);
  EXPECT_EQ(StoreCloseKey(key), 0) << "the failed writes must not be reported as kept";
}

TEST_F(SettingsRegistry, NullArgumentsAreRefused) {
  StoreKey key = nullptr;
  EXPECT_EQ(StoreOpenKey(nullptr, &key), 0);
  EXPECT_EQ(StoreOpenKey(kSettingsKeyPath, nullptr), 0);
  EXPECT_EQ(StoreCreateKey(nullptr, &key), 0);
  uint32_t size = 4;
  unsigned char data[4];
  EXPECT_EQ(StoreQueryValue(nullptr, "Depth", nullptr, data, &size), 0);
  EXPECT_EQ(StoreSetValue(nullptr, "Depth", kStoreTypeDword, data, 4), 0);
  EXPECT_EQ(StoreCloseKey(nullptr), 0);
}
