// The English glosses of the engine's texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "engine/texts.h"
#include "host/english.h"
#include "platform/posix/text_utf8.h"

namespace {

bool IsAscii(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// The % conversions of a format, in order.
std::string Conversions(const std::string& format) {
  std::string out;
  for (size_t k = 0; k + 1 < format.size(); ++k) {
    if (format[k] != '%') continue;
    size_t end = k + 1;
    while (end < format.size() && format[end] == '+') ++end;
    out += format.substr(k, end - k + 1);
    k = end;
  }
  return out;
}

// Sets an environment variable for the length of a scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old, had_ = true;
    if (value != nullptr) setenv(name, value, 1); else unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_) setenv(name_, saved_.c_str(), 1); else unsetenv(name_);
  }

 private:
  const char* name_;
  std::string saved_;
  bool had_ = false;
};

}  // namespace

// Every non-ASCII string literal in the engine's sources is one of its fixed
// texts, and each has a gloss: ASCII, with the text's conversions in order.
TEST(English, EveryFixedTextOfTheEngineHasAGloss) {
  std::set<std::string> glossed;
  for (int k = 0; k < kGlossaryCount; ++k) {
    const Gloss& gloss = kGlossary[k];
    const std::string text = Cp932ToUtf8(gloss.text);
    glossed.insert(text);
    EXPECT_TRUE(IsAscii(gloss.english)) << text;
    EXPECT_EQ(Conversions(gloss.english), Conversions(text)) << text;
  }
  const std::regex literal(R"re("((?:[^"\\\n]|\\.)*)")re");
  int found = 0;
  for (const char* folder : {"board", "book", "commentary", "core", "engine", "search", "ui"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::string(TENU_SOURCE_DIR) + "/" + folder)) {
      if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
      std::ifstream in(entry.path());
      std::stringstream source;
      source << in.rdbuf();
      const std::string text = source.str();
      for (auto it = std::sregex_iterator(text.begin(), text.end(), literal); it != std::sregex_iterator(); ++it) {
        const std::string value = std::regex_replace((*it)[1].str(), std::regex(R"(\\n)"), "\n");
        if (IsAscii(value)) continue;
        ++found;
        EXPECT_TRUE(glossed.count(value)) << entry.path() << ": \"" << value << "\" has no English gloss";
      }
    }
  }
  EXPECT_GE(found, kGlossaryCount) << "every glossed text is found in the sources";
}

// Progress lines and messages formatted with squares and numbers are
// glossed with the same squares and numbers; other texts pass through when
// ASCII and give nothing otherwise.
TEST(English, FormattedTextsKeepTheirSquaresAndNumbers) {
  const struct {
    std::string utf8;
    std::string english;
  } cases[] = {
      {"f5 から探索を開始します. (depth = 6)", "Searching, starting with f5 (depth 6)."},
      {"c4 を調べています. [-12 d3]", "Looking at c4 [best so far -12, d3]"},
      {"a1 を調べています. [+3 h8]", "Looking at a1 [best so far +3, h8]"},
      {"b2 から読み切りを開始します. ", "Solving exactly, starting with b2."},
      {"KMH(depth = 3) を実行中...", "Ordering the moves (KMH, depth 3)..."},
      {"不正な定石です\n\nError Line: 17", "A line of the book is not valid\n\nError Line: 17"},
      {"互角ですね", "It's even"},
      {"f5 から探索を開始します. (depth = x)", ""},  // no number where one belongs
      {"c4 を調べています. [-12 d3] extra", ""},
      {"the engine says hello", "the engine says hello"},
  };
  for (const auto& c : cases) EXPECT_EQ(EnglishGloss(Utf8ToCp932(c.utf8.c_str()).c_str()), c.english) << c.utf8;
  EXPECT_EQ(EnglishReply(Utf8ToCp932("F5|互角ですね|0.370000").c_str()), "F5|It's even|0.370000");
}

TEST(English, APersonOutsideJapaneseLocalesReadsTheGlossToo) {
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv messages("LC_MESSAGES", nullptr);
  const std::string even = Utf8ToCp932("互角ですね");
  {
    ScopedEnv lang("LANG", "ja_JP.UTF-8");
    EXPECT_TRUE(JapaneseLocale());
    EXPECT_EQ(ForPerson(even.c_str()), "互角ですね");
  }
  for (const char* lang : {"C.UTF-8", "en_GB.UTF-8", ""}) {
    ScopedEnv scoped("LANG", lang);
    EXPECT_FALSE(JapaneseLocale()) << lang;
    EXPECT_EQ(ForPerson(even.c_str()), "互角ですね (\"It's even\")") << lang;
  }
  ScopedEnv lang("LANG", "ja_JP.UTF-8");
  ScopedEnv overriding("LC_ALL", "C");
  EXPECT_FALSE(JapaneseLocale()) << "LC_ALL comes first";
}
