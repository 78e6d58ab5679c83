// The settings form's rules and the terminal form that shows them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <string>

#include "engine/exports.h"
#include "platform/posix/setup_terminal.h"
#include "platform/posix/text_utf8.h"
#include "tests/engine_state.h"
#include "tests/settings_store_cases.h"
#include "tests/temp_files.h"
#include "ui/setup_form.h"

namespace {

SetupFormFields Filled() {
  SetupFormFields fields;
  FillSetupForm(fields);
  return fields;
}

void Put(char* field, size_t size, const std::string& text) { std::snprintf(field, size, "%s", text.c_str()); }

}  // namespace

TEST(SetupForm, NumberConversion) {
  struct Case {
    const char* text;
    int value;
  };
  const Case cases[] = {{"5", 5},        {"+5", 5},     {"  7x", 7},    {"\t-3", -3}, {"", 0},
                        {"abc", 0},      {"x5", 0},     {"- 5", 0},     {"0012", 12}, {"60", 60},
                        {"99999999999", 2147483647},    {"-99999999999", -2147483647 - 1}};
  for (const Case& c : cases) EXPECT_EQ(ConvertSetupNumber(c.text), c.value) << c.text;
  EXPECT_EQ(ConvertSetupNumber(nullptr), 0);
}

TEST(SetupForm, ValidatesInOrderAndKeepsWhatPassedBeforeARefusal) {
  EngineStateGuard guard;
  struct Case {
    const char *depth, *exact, *wld;
    SetupVerdict verdict;
    int depth_after, exact_after, wld_after;
  };
  const Case cases[] = {
      {"2", "12", "14", SetupVerdict::DepthTooSmall, 5, 12, 14},
      {"3", "12", "14", SetupVerdict::Accepted, 3, 12, 14},
      {"letters", "12", "14", SetupVerdict::DepthTooSmall, 5, 12, 14},
      {"", "12", "14", SetupVerdict::DepthTooSmall, 5, 12, 14},
      {"10", "-1", "14", SetupVerdict::ExactTooSmall, 10, 12, 14},
      {"4", "0", "0", SetupVerdict::Accepted, 4, 0, 0},
      {"4", "9", "9", SetupVerdict::Accepted, 4, 9, 9},
      {"6", "9", "8", SetupVerdict::WldBelowExact, 6, 9, 14},
      {"+5", "  7x", "8", SetupVerdict::Accepted, 5, 7, 8},
      {"60", "20", "99", SetupVerdict::Accepted, 60, 20, 99},
  };
  for (const Case& c : cases) {
    EngineSettings = DefaultSettings();
    SetupFormFields fields = Filled();
    Put(fields.depth, sizeof fields.depth, c.depth);
    Put(fields.exact, sizeof fields.exact, c.exact);
    Put(fields.wld, sizeof fields.wld, c.wld);
    fields.show_progress = 1;
    EXPECT_EQ(SubmitSetupForm(fields), c.verdict) << c.depth << " " << c.exact << " " << c.wld;
    EXPECT_EQ(EngineSettings.Depth, c.depth_after);
    EXPECT_EQ(EngineSettings.KansakiDepth, c.exact_after);
    EXPECT_EQ(EngineSettings.HisshoDepth, c.wld_after);
    // The check boxes and the path are stored only after all three passed.
    EXPECT_EQ(EngineSettings.ShowProgress, c.verdict == SetupVerdict::Accepted ? 1 : 0);
  }
  EXPECT_EQ(SetupVerdictMessage(SetupVerdict::Accepted), nullptr);
  EXPECT_STREQ(SetupVerdictMessage(SetupVerdict::DepthTooSmall), kSetupDepthMessage);
  EXPECT_STREQ(SetupVerdictMessage(SetupVerdict::ExactTooSmall), kSetupExactMessage);
  EXPECT_STREQ(SetupVerdictMessage(SetupVerdict::WldBelowExact), kSetupWldMessage);
}

TEST(SetupForm, LevelsCheckBoxesAndPath) {
  EngineStateGuard guard;
  SetupFormFields fields = Filled();
  EXPECT_STREQ(fields.depth, "5");
  EXPECT_STREQ(fields.exact, "12");
  EXPECT_STREQ(fields.wld, "14");
  const struct {
    int level;
    const char *depth, *exact, *wld;
  } levels[] = {{kLevelWeak, "3", "10", "12"}, {kLevelNormal, "5", "12", "14"}, {kLevelStrong, "7", "14", "16"}};
  for (const auto& level : levels) {
    ApplySetupLevel(fields, level.level);
    EXPECT_STREQ(fields.depth, level.depth);
    EXPECT_STREQ(fields.exact, level.exact);
    EXPECT_STREQ(fields.wld, level.wld);
    EXPECT_EQ(EngineSettings.Depth, 5);  // only the fields change
  }
  fields.show_progress = 1;
  fields.maemuki_cut = 0;
  fields.use_joseki = 2;  // anything but checked reads as 0
  fields.client_joseki = 1;
  Put(fields.path, sizeof fields.path, std::string(300, 'p'));
  ASSERT_EQ(SubmitSetupForm(fields), SetupVerdict::Accepted);
  EXPECT_EQ(EngineSettings.ShowProgress, 1);
  EXPECT_EQ(EngineSettings.MaemukiCut, 0);
  EXPECT_EQ(EngineSettings.UseJoseki, 0);
  EXPECT_EQ(EngineSettings.ClientJoseki, 1);
  EXPECT_EQ(std::strlen(EngineSettings.JosekiFile), 259u);
}

namespace {

// Runs the terminal form with scripted answers; answers LumSetup's result.
struct FormRun {
  int result;
  std::string output;
};

FormRun RunForm(const std::string& answers) {
  FILE* in = fmemopen(const_cast<char*>(answers.data()), answers.size(), "r");
  char* out_text = nullptr;
  size_t out_size = 0;
  FILE* out = open_memstream(&out_text, &out_size);
  SetSetupFormStreams(in, out);
  FormRun run{LumSetup(nullptr), ""};
  SetSetupFormStreams(nullptr, nullptr);
  std::fclose(in);
  std::fclose(out);
  run.output.assign(out_text, out_size);
  std::free(out_text);
  return run;
}

class TerminalSetup : public ::testing::Test {
 protected:
  void SetUp() override { setenv("TENU_SETTINGS_FILE", (dir_.path() + "/Tenu.reg").c_str(), 1); }
  void TearDown() override { unsetenv("TENU_SETTINGS_FILE"); }
  bool Stored() const { return !dir_.Read("Tenu.reg").empty(); }

  TempDir dir_;
  EngineStateGuard guard_;
};

}  // namespace

TEST_F(TerminalSetup, EnterKeepsEveryFieldAndOkSaves) {
  // Level, three numbers, four check boxes, the path, OK.
  const FormRun run = RunForm("\n\n\n\n\n\n\n\n\n\n");
  EXPECT_EQ(run.result, 1);
  EXPECT_NE(run.output.find("Depth 5, Exact 12, WLD 14"), std::string::npos) << run.output;
  EXPECT_TRUE(Stored());
  EngineSettings.Depth = 42;
  ASSERT_EQ(LoadSettings(), 1);
  EXPECT_TRUE(settings_cases::SameSettings(EngineSettings, DefaultSettings()));
}

TEST_F(TerminalSetup, LevelThenEditsThenOk) {
  const FormRun run = RunForm("3\n\n\n17\ny\nn\n\ny\n/books/openings.txt\no\n");
  EXPECT_EQ(run.result, 1);
  EXPECT_EQ(EngineSettings.Depth, 7);
  EXPECT_EQ(EngineSettings.KansakiDepth, 14);
  EXPECT_EQ(EngineSettings.HisshoDepth, 17);
  EXPECT_EQ(EngineSettings.ShowProgress, 1);
  EXPECT_EQ(EngineSettings.MaemukiCut, 0);
  EXPECT_EQ(EngineSettings.ClientJoseki, 1);
  EXPECT_EQ(EngineSettings.UseJoseki, 1);
  EXPECT_STREQ(EngineSettings.JosekiFile, "/books/openings.txt");
}

TEST_F(TerminalSetup, RefusalKeepsTheFormOpenAndCancelKeepsTheStoreUnchanged) {
  // Each number is checked as it is given: a refused one is asked for again
  // with the form's message, and nothing is stored before OK.
  const struct {
    std::string answers;  // level, Depth, Exact, WLD (with the refused answers), checks and path kept, cancel
    std::string message;
  } cases[] = {
      {"\n10\n-1\n\n\n\n\n\n\n\nc\n", std::string("Exact: ") + Cp932ToUtf8(kSetupExactMessage)},
      {"\n2\n10\n\n\n\n\n\n\n\nc\n", std::string("Depth: ") + Cp932ToUtf8(kSetupDepthMessage)},
      {"\n99999999999999999999\n10\n\n\n\n\n\n\n\nc\n", std::string("Depth: ") + Cp932ToUtf8(kSetupNumberRangeMessage)},
      {"\n\nabc\n\n\n\n\n\n\n\nc\n", std::string("Exact: ") + Cp932ToUtf8(kSetupNotANumberMessage)},
      {"\n\n20\n15\n22\n\n\n\n\n\nc\n", std::string("WLD: ") + Cp932ToUtf8(kSetupWldMessage)},
  };
  for (const auto& test : cases) {
    const FormRun run = RunForm(test.answers);
    EXPECT_EQ(run.result, 0) << test.message;
    EXPECT_NE(run.output.find(test.message + "\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("OK or Cancel"), std::string::npos) << "the form reached its end: " << run.output;
    EXPECT_TRUE(settings_cases::SameSettings(EngineSettings, DefaultSettings())) << test.message;
    EXPECT_FALSE(Stored());
  }
}

TEST_F(TerminalSetup, LevelThenCancelChangesNothingAndEndOfInputCancels) {
  EXPECT_EQ(RunForm("1\n\n\n\n\n\n\n\n\nc\n").result, 0);
  EXPECT_EQ(EngineSettings.Depth, 5);
  EXPECT_EQ(EngineSettings.KansakiDepth, 12);
  EXPECT_EQ(RunForm("2\n8\n").result, 0);
  EXPECT_EQ(EngineSettings.Depth, 5);
  EXPECT_FALSE(Stored());
}

TEST_F(TerminalSetup, UnreadableStoreReportsTheFailedSave) {
  const std::string folder = dir_.path() + "/folder";
  std::filesystem::create_directory(folder);
  setenv("TENU_SETTINGS_FILE", folder.c_str(), 1);
  testing::internal::CaptureStderr();
  const FormRun run = RunForm("\n\n\n\n\n\n\n\n\n\n");
  const std::string error = testing::internal::GetCapturedStderr();
  EXPECT_EQ(run.result, 1);  // the message's OK
  EXPECT_NE(error.find(Cp932ToUtf8(kSetupSaveFailedMessage)), std::string::npos) << error;
}
