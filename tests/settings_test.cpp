// The settings store on POSIX systems (a registry-format file), driven by the
// same case table as the registry, plus what only the file store does.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/posix/settings_file.h"
#include "tests/engine_state.h"
#include "tests/settings_store_cases.h"
#include "tests/temp_files.h"
#include "ui/settings.h"

namespace {

std::string StorePath;

// Writes the planted values in the file format by hand, so that the store
// under test is not what prepares its own input.
std::string PlantedLine(const StoredSettingValue& value) {
  std::string line = "\"" + value.name + "\"=";
  char text[32];
  if (value.type == kStoreTypeDword && value.bytes.size() == 4) {
    uint32_t number = 0;
    for (int k = 3; k >= 0; --k) number = number << 8 | static_cast<unsigned char>(value.bytes[static_cast<size_t>(k)]);
    std::snprintf(text, sizeof text, "dword:%08x", number);
    return line + text;
  }
  if (value.type == kStoreTypeString && !value.bytes.empty() && value.bytes.back() == '\0' &&
      value.bytes.find('\0') == value.bytes.size() - 1) {
    line += "\"";
    for (char c : value.bytes.substr(0, value.bytes.size() - 1)) {
      if (c == '\\' || c == '"') line += '\\';
      line += c;
    }
    return line + "\"";
  }
  std::snprintf(text, sizeof text, "hex(%x):", value.type);
  line += text;
  for (size_t k = 0; k < value.bytes.size(); ++k) {
    std::snprintf(text, sizeof text, k == 0 ? "%02x" : ",%02x", static_cast<unsigned char>(value.bytes[k]));
    line += text;
  }
  return line;
}

void Clear() { std::remove(StorePath.c_str()); }

void Plant(const char* path, const std::vector<StoredSettingValue>& values) {
  std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\" + std::string(path) + "]\n";
  for (const StoredSettingValue& value : values) text += PlantedLine(value) + "\n";
  FILE* file = std::fopen(StorePath.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

bool Read(const char* name, StoredSettingValue* value) {
  FILE* file = std::fopen(StorePath.c_str(), "rb");
  if (file == nullptr) return false;
  std::string text;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  std::fclose(file);
  for (const SettingsFileSection& section : ParseSettingsFile(text).sections) {
    if (section.key != std::string("HKEY_CURRENT_USER\\") + kSettingsKeyPath) continue;
    for (const SettingsFileValue& stored : section.values) {
      if (stored.name == name) {
        *value = {stored.name, stored.type, stored.data};
        return true;
      }
    }
  }
  return false;
}

class SettingsFileStore : public ::testing::Test {
 protected:
  void SetUp() override {
    StorePath = dir_.path() + "/Tenu.reg";
    setenv("TENU_SETTINGS_FILE", StorePath.c_str(), 1);
  }
  void TearDown() override { unsetenv("TENU_SETTINGS_FILE"); }

  TempDir dir_;
  EngineStateGuard guard_;
};

const SettingsStoreAccess kFileStore = {Clear, Plant, Read};

}  // namespace

TEST_F(SettingsFileStore, LoadCases) {
  for (const SettingsLoadCase& test : SettingsLoadCases()) CheckSettingsLoadCase(test, kFileStore);
}

TEST_F(SettingsFileStore, SaveCases) {
  for (const SettingsSaveCase& test : SettingsSaveCases()) CheckSettingsSaveCase(test, kFileStore);
}

TEST_F(SettingsFileStore, LoadingNeverCreatesTheFile) {
  EXPECT_EQ(LoadSettings(), 0);
  EXPECT_FALSE(std::filesystem::exists(StorePath));
}

TEST_F(SettingsFileStore, MalformedLinesAreIgnoredLikeAbsentValues) {
  dir_.Write("Tenu.reg",
             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\VellSofts\\LUM\\Tenu]\r\n"
             "\"Depth\"=dword:0000000g\r\n"
             "\"KansakiDepth\"=dword:000000001\r\n"
             "\"HisshoDepth\"=dword:00000010\r\n"
             "\"ShowProgress\"=1\r\n"
             "\"MaemukiCut\r\n"
             "garbage without quotes\r\n"
             "\"JosekiFile\"=\"unterminated\r\n"
             "\"UseJoseki\"=dword:00000001\r\n");
  EXPECT_EQ(LoadSettings(), 1);
  EngineSettingsRecord expected = DefaultSettings();
  expected.HisshoDepth = 16;
  expected.UseJoseki = 1;
  EXPECT_TRUE(settings_cases::SameSettings(EngineSettings, expected)) << settings_cases::Describe(EngineSettings);
}

TEST_F(SettingsFileStore, SaveReplacesTheFileWholeAndKeepsOtherKeys) {
  dir_.Write("Tenu.reg",
             "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"me\"\n\n"
             "[HKEY_CURRENT_USER\\Software\\VellSofts\\LUM\\Tenu]\n\"Depth\"=dword:00000009\n");
  EngineSettings.MaemukiCut = 0;
  ASSERT_EQ(SaveSettings(), 1);
  const std::string text = dir_.Read("Tenu.reg");
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"me\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Depth\"=dword:00000005\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"MaemukiCut\"=dword:00000000\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"JosekiFile\"=\"\"\n"), std::string::npos) << text;
  // Only the settings file is left: the temporary file was renamed over it.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST_F(SettingsFileStore, SaveCreatesTheFoldersAndFailsWhereItCannotWrite) {
  StorePath = dir_.path() + "/a/b/Tenu.reg";
  setenv("TENU_SETTINGS_FILE", StorePath.c_str(), 1);
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_TRUE(std::filesystem::exists(StorePath));

  if (geteuid() != 0) {  // root writes anywhere
    const std::string locked = dir_.path() + "/locked";
    std::filesystem::create_directory(locked);
    chmod(locked.c_str(), 0500);
    setenv("TENU_SETTINGS_FILE", (locked + "/Tenu.reg").c_str(), 1);
    EXPECT_EQ(SaveSettings(), 0);
    chmod(locked.c_str(), 0700);
  }
  // A folder where the file should be cannot be replaced.
  const std::string folder = dir_.path() + "/folder.reg";
  std::filesystem::create_directory(folder);
  setenv("TENU_SETTINGS_FILE", folder.c_str(), 1);
  EXPECT_EQ(SaveSettings(), 0);
  EXPECT_EQ(LoadSettings(), 0);
}

namespace {

// Puts an environment variable back as it was when the test ends.
class SavedVariable {
 public:
  explicit SavedVariable(const char* name) : name_(name) {
    const char* value = std::getenv(name);
    had_ = value != nullptr;
    if (had_) value_ = value;
  }
  ~SavedVariable() {
    if (had_) {
      setenv(name_, value_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  SavedVariable(const SavedVariable&) = delete;
  SavedVariable& operator=(const SavedVariable&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string value_;
};

}  // namespace

TEST(SettingsFilePath, FollowsTheEnvironment) {
  SavedVariable file("TENU_SETTINGS_FILE");
  SavedVariable config("XDG_CONFIG_HOME");
  SavedVariable home("HOME");
  unsetenv("TENU_SETTINGS_FILE");
  setenv("XDG_CONFIG_HOME", "/x/config", 1);
  EXPECT_EQ(SettingsFilePath(), "/x/config/VellSofts/LUM/Tenu.reg");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/VellSofts/LUM/Tenu.reg");
  setenv("TENU_SETTINGS_FILE", "/tmp/elsewhere.reg", 1);
  EXPECT_EQ(SettingsFilePath(), "/tmp/elsewhere.reg");
  // A relative XDG_CONFIG_HOME is not a base folder and is passed over.
  unsetenv("TENU_SETTINGS_FILE");
  setenv("XDG_CONFIG_HOME", "relative", 1);
  EXPECT_EQ(SettingsFilePath(), "/home/someone/.config/VellSofts/LUM/Tenu.reg");
}

TEST(SettingsFileFormat, RoundTripsEveryValueKind) {
  SettingsFileContents contents;
  contents.sections.push_back({"HKEY_CURRENT_USER\\K", {}});
  auto& values = contents.sections.back().values;
  values.push_back({"Number", kStoreTypeDword, std::string("\x01\x00\x00\x80", 4)});
  values.push_back({"Quote\"d", kStoreTypeString, std::string("a\\b\"c\0", 6)});
  values.push_back({"NoNul", kStoreTypeString, "abc"});
  values.push_back({"Newline", kStoreTypeString, std::string("a\nb\0", 4)});
  values.push_back({"Bytes", 3, std::string("\x00\xff", 2)});
  values.push_back({"Empty", 3, ""});
  const SettingsFileContents back = ParseSettingsFile(FormatSettingsFile(contents));
  ASSERT_EQ(back.sections.size(), 1u);
  ASSERT_EQ(back.sections[0].values.size(), values.size());
  for (size_t k = 0; k < values.size(); ++k) {
    EXPECT_EQ(back.sections[0].values[k].name, values[k].name);
    EXPECT_EQ(back.sections[0].values[k].type, values[k].type) << values[k].name;
    EXPECT_EQ(back.sections[0].values[k].data, values[k].data) << values[k].name;
  }
}
