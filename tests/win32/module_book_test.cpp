// LumInit and LumFinish through the module: the book file named in the
// registry, and the message box a host sees when it cannot be loaded.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/win32/test_support.h"

namespace {

const char kBookTitle[] = "てぬ - 定石読み込み";
const char kMissingText[] = "定石ファイルが見つかりません\nファイル名を確認して下さい";

std::string BadLineText(int line) { return "不正な定石です\n\nError Line: " + std::to_string(line); }

// A book file in the temporary folder, removed again at the end.
class BookFile {
 public:
  explicit BookFile(const std::string& contents) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    char name[MAX_PATH];
    GetTempFileNameA(folder, "bk", 0, name);
    path_ = name;
    FILE* file = std::fopen(path_.c_str(), "wb");
    if (file != nullptr) {
      std::fwrite(contents.data(), 1, contents.size(), file);
      std::fclose(file);
    }
  }
  ~BookFile() { DeleteFileA(path_.c_str()); }
  BookFile(const BookFile&) = delete;
  BookFile& operator=(const BookFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The position after black's f5, white to move.
const char kAfterF5[] = "0|---------------------------0*------***--------------------------";

class ModuleBook : public ::testing::Test {
 protected:
  void TearDown() override { ClearEngineRegistry(); }

  // Loads the module with these book settings, calls LumInit(host) and
  // answers the message box it showed ("" when none).
  std::string Init(EngineModule& module, HWND host, int* result, SeenMessageBox* box = nullptr) {
    std::string text;
    const std::string failures = RunWithScript([&] { *result = module.LumInit(host); },
                                               [&](UiScript& ui) {
                                                 if (!ui.MessageBoxAppears(host)) return;
                                                 const SeenMessageBox seen = ui.TakeMessageBox(host);
                                                 text = seen.text;
                                                 if (box != nullptr) *box = seen;
                                               });
    EXPECT_EQ(failures, "");
    return text;
  }

  static void UseBook(int use, const std::string& path) {
    ClearEngineRegistry();
    SetRegistryDword("UseJoseki", static_cast<uint32_t>(use));
    SetRegistryString("JosekiFile", path);
  }
};

}  // namespace

TEST_F(ModuleBook, LoadFailuresAreShownToTheHost) {
  const BookFile third_line("; the first line is a comment\n\nf5f5\nf5d6\n");
  const BookFile first_line("a1\n");
  const BookFile odd_length("f5d6c;3\n");
  const BookFile good("f5d6c3 ; a line\n\n; only a comment\nF5 D6 C5\n");
  const BookFile empty("");
  struct Case {
    const char* title;
    int use;
    std::string path;
    std::string message;
  };
  const Case cases[] = {
      {"a bad third line after a comment and an empty line", 1, third_line.path(), BadLineText(3)},
      {"an illegal first move", 1, first_line.path(), BadLineText(1)},
      {"a line cut to an odd length by its comment", 1, odd_length.path(), BadLineText(1)},
      {"a missing file", 1, third_line.path() + ".missing", kMissingText},
      {"an empty path", 1, "", kMissingText},
      {"a good file", 1, good.path(), ""},
      {"an empty file", 1, empty.path(), ""},
      {"the book not in use", 0, third_line.path(), ""},
  };
  TestWindow host(100, 50, 500, 450);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    UseBook(c.use, c.path);
    EngineModule module;
    ASSERT_TRUE(module.ready());
    int result = -99;
    SeenMessageBox box;
    EXPECT_EQ(Init(module, host.hwnd(), &result, &box), c.message);
    EXPECT_EQ(result, 1);
    if (!c.message.empty()) {
      EXPECT_EQ(box.title, kBookTitle);
      EXPECT_EQ(box.owner, host.hwnd());
      EXPECT_TRUE(box.error_icon);
      EXPECT_TRUE(box.ok_only);
    }
    EXPECT_EQ(module.LumFinish(0), 0);
  }
}

// The lines before a rejected one are in the book and are played; the ones
// after it were never read.
TEST_F(ModuleBook, LinesBeforeARejectedLineArePlayed) {
  const BookFile book("f5d6\nf5f5\nf5f6\n");
  UseBook(1, book.path());
  EngineModule module;
  ASSERT_TRUE(module.ready());
  int result = -99;
  EXPECT_EQ(Init(module, nullptr, &result), BadLineText(2));
  EXPECT_EQ(result, 1);
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(std::string(module.LumThink(nullptr, kAfterF5)), "D6|定石通りです|0.000000");
  }
  EXPECT_EQ(module.LumFinish(0), 0);
}

TEST_F(ModuleBook, TheBookLivesUntilTheLastFinish) {
  const BookFile book("f5d6\n");
  UseBook(1, book.path());
  EngineModule module;
  ASSERT_TRUE(module.ready());
  int result = -99;
  EXPECT_EQ(Init(module, nullptr, &result), "");
  EXPECT_EQ(Init(module, nullptr, &result), "");
  EXPECT_EQ(module.LumFinish(0), 1);
  EXPECT_EQ(std::string(module.LumThink(nullptr, kAfterF5)), "D6|定石通りです|0.000000");
  EXPECT_EQ(module.LumFinish(0), 0);
}

// With an owner that is no window the message is still shown, unowned.
TEST_F(ModuleBook, MessageWithoutAnOwnerWindow) {
  UseBook(1, "");
  EngineModule module;
  ASSERT_TRUE(module.ready());
  HWND destroyed = nullptr;
  {
    TestWindow gone(100, 50, 500, 450);
    destroyed = gone.hwnd();
  }
  for (HWND owner : {static_cast<HWND>(nullptr), destroyed}) {
    int result = -99;
    std::string text;
    const std::string failures = RunWithScript([&] { result = module.LumInit(owner); },
                                               [&](UiScript& ui) { text = ui.TakeMessageBox(nullptr).text; });
    EXPECT_EQ(failures, "");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(text, kMissingText);
    module.LumFinish(0);
  }
}
