// The settings store on POSIX systems (a registry-format file), driven by the
// same case table as the registry, plus what only the file store does.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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


TEST_F(SettingsFileStore, SaveKeepsEveryLineItDoesNotWrite) {
  // Comments, a value of another program, a hex value continued over three
  // lines, a line that does not parse, an earlier Depth that a load passes
  // over, CR LF line ends, and another key with a continued value.
  const std::string before =
      "REGEDIT4\r\n; kept by hand\r\n\r\n[HKEY_CURRENT_USER\\Software\\VellSofts\\LUM\\Tenu]\r\n"
      "\"Depth\"=dword:00000007\r\n\"Colour\"=\"blue\"\r\n\"Blob\"=hex:01,02,\\\r\n  03,04,\\\r\n  05\r\n"
      "not a value\r\n\"Depth\"=dword:00000009\r\n\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n"
      "\"Long\"=hex(7):41,00,\\\r\n  00,00\r\n";
  dir_.Write("Tenu.reg", before);
  ASSERT_EQ(LoadSettings(), 1);
  EXPECT_EQ(EngineSettings.Depth, 9);
  StoredSettingValue blob;
  ASSERT_TRUE(Read("Blob", &blob));
  EXPECT_EQ(blob.bytes, std::string("\x01\x02\x03\x04\x05", 5));
  EngineSettings.Depth = 11;
  ASSERT_EQ(SaveSettings(), 1);
  const std::string expected =
      "REGEDIT4\r\n; kept by hand\r\n\r\n[HKEY_CURRENT_USER\\Software\\VellSofts\\LUM\\Tenu]\r\n"
      "\"Depth\"=dword:00000007\r\n\"Colour\"=\"blue\"\r\n\"Blob\"=hex:01,02,\\\r\n  03,04,\\\r\n  05\r\n"
      "not a value\r\n\"Depth\"=dword:0000000b\r\n\"KansakiDepth\"=dword:0000000c\r\n"
      "\"HisshoDepth\"=dword:0000000e\r\n\"ShowProgress\"=dword:00000000\r\n\"MaemukiCut\"=dword:00000001\r\n"
      "\"UseJoseki\"=dword:00000000\r\n\"ClientJoseki\"=dword:00000001\r\n\"JosekiFile\"=\"\"\r\n"
      "\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"Long\"=hex(7):41,00,\\\r\n  00,00\r\n";
  EXPECT_EQ(dir_.Read("Tenu.reg"), expected);
  // A second save changes nothing more.
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_EQ(dir_.Read("Tenu.reg"), expected);
  // A last hex line that still asks for a continuation does not swallow the
  // values added behind it.
  dir_.Write("Tenu.reg", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VellSofts\\LUM\\Tenu]\n\"Blob\"=hex:01,\\");
  EngineSettings.Depth = 13;
  ASSERT_EQ(SaveSettings(), 1);
  EngineSettings.Depth = 5;
  ASSERT_EQ(LoadSettings(), 1);
  EXPECT_EQ(EngineSettings.Depth, 13) << dir_.Read("Tenu.reg");
  ASSERT_TRUE(Read("Blob", &blob));
  EXPECT_EQ(blob.bytes, "\x01");
}

TEST_F(SettingsFileStore, SaveWritesThroughSymbolicLinks) {
  const std::string target = dir_.Write("real/Tenu.reg", "REGEDIT4\n; mine\n");
  ASSERT_EQ(symlink("real/Tenu.reg", StorePath.c_str()), 0);
  EngineSettings.Depth = 8;
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_TRUE(std::filesystem::is_symlink(StorePath));
  EXPECT_NE(dir_.Read("real/Tenu.reg").find("REGEDIT4\n; mine\n\n[HKEY_CURRENT_USER"), std::string::npos);
  EXPECT_NE(dir_.Read("real/Tenu.reg").find("\"Depth\"=dword:00000008"), std::string::npos);
  // A link to a file not made yet: the file is made where the link points.
  const std::string dangling = dir_.path() + "/dangling.reg";
  ASSERT_EQ(symlink((dir_.path() + "/new/Tenu.reg").c_str(), dangling.c_str()), 0);
  setenv("TENU_SETTINGS_FILE", dangling.c_str(), 1);
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_TRUE(std::filesystem::is_symlink(dangling));
  EXPECT_NE(dir_.Read("new/Tenu.reg").find("\"Depth\"=dword:00000008"), std::string::npos);
}

TEST_F(SettingsFileStore, SaveRemovesTemporaryFilesThatKilledSavesLeft) {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  const std::string of_gone = dir_.Write("Tenu.reg.tmp." + std::to_string(gone), "half");
  const std::string of_running = dir_.Write("Tenu.reg.tmp." + std::to_string(getppid()), "busy");
  const std::string old_running = dir_.Write("Tenu.reg.tmp.1", "old");
  const auto an_hour_ago = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(old_running, an_hour_ago);
  const std::string foreign = dir_.Write("Tenu.reg.tmp.notes", "mine");
  ASSERT_EQ(SaveSettings(), 1);
  EXPECT_FALSE(std::filesystem::exists(of_gone));
  EXPECT_TRUE(std::filesystem::exists(of_running));
  EXPECT_FALSE(std::filesystem::exists(old_running));
  EXPECT_TRUE(std::filesystem::exists(foreign));
  EXPECT_FALSE(std::filesystem::exists(StorePath + ".tmp." + std::to_string(getpid())));
}

TEST_F(SettingsFileStore, FailedSavesSayWhatFailedWhereAndWhy) {
  const std::string kept = "REGEDIT4\n; do not lose me\n";
  struct Case {
    const char* name;
    std::string store;  // the settings file; empty for no place at all
    std::string problem;
  };
  const std::string read_only = dir_.Write("read-only.reg", kept);
  chmod(read_only.c_str(), 0444);
  const std::string folder = dir_.path() + "/folder.reg";
  std::filesystem::create_directory(folder);
  const std::string full = dir_.Write("full.reg", kept);
  const Case cases[] = {
      {"no place", "", "none of TENU_SETTINGS_FILE, XDG_CONFIG_HOME and HOME is set"},
      {"read-only file", read_only, read_only + " is read-only"},
      {"a folder", folder, folder + " is a folder"},
      {"a device", "/dev/zero", "/dev/zero is not a regular file"},
      {"a file in a file", full + "/Tenu.reg", "cannot read " + full + "/Tenu.reg: Not a directory"},
      // A file size limit stands in for a full disk: the write fails.
      {"full disk", full, "cannot write " + full + ".tmp." + std::to_string(getpid()) + ": File too large"},
  };
  SavedVariable config("XDG_CONFIG_HOME");
  SavedVariable home("HOME");
  for (const Case& test : cases) {
    if (test.store.empty()) {
      unsetenv("TENU_SETTINGS_FILE");
      unsetenv("XDG_CONFIG_HOME");
      unsetenv("HOME");
    } else {
      setenv("TENU_SETTINGS_FILE", test.store.c_str(), 1);
    }
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit unlimited = limit;
    if (std::string(test.name) == "full disk") {
      std::signal(SIGXFSZ, SIG_IGN);
      limit.rlim_cur = 10;
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    EXPECT_EQ(SaveSettings(), 0) << test.name;
    setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_NE(SettingsFileProblem().find(test.problem), std::string::npos) << test.name << ": " << SettingsFileProblem();
  }
  EXPECT_EQ(dir_.Read("read-only.reg"), kept);
  EXPECT_EQ(dir_.Read("full.reg"), kept);
  EXPECT_FALSE(std::filesystem::exists(full + ".tmp." + std::to_string(getpid())));
  // Nothing to load is no problem; a file that cannot be read is one.
  setenv("TENU_SETTINGS_FILE", (dir_.path() + "/missing.reg").c_str(), 1);
  EXPECT_EQ(LoadSettings(), 0);
  EXPECT_EQ(SettingsFileProblem(), "");
  setenv("TENU_SETTINGS_FILE", folder.c_str(), 1);
  EXPECT_EQ(LoadSettings(), 0);
  EXPECT_NE(SettingsFileProblem().find(folder), std::string::npos);
}

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
