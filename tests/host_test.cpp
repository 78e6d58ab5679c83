// The tenu program as users and scripts drive it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <regex>
#include <sstream>

#include "platform/posix/text_utf8.h"
#include "tests/fixture_reader.h"
#include "ui/search_limits.h"
#include "tests/host_process.h"
#include "tests/temp_files.h"

namespace {

const char kStart[] = "*|---------------------------0*------*0---------------------------";
// Black to move with 12 empty squares; a1 is best, losing by 28 discs.
const char kLadder[] = "-OXXXXX---XXXXX--XXOOOX-XXXOOOXOXXXOOXXXOXOOXOX--OOOOX---OOOOOOO X";

// The first square marked '+' (a legal move) in the last board drawn in text.
std::string FirstMarkedMove(const std::string& text) {
  const size_t header = text.rfind("    a b c d e f g h");
  if (header == std::string::npos) return "";
  const std::vector<std::string> rows = Lines(text.substr(header));
  for (size_t y = 1; y <= 8 && y < rows.size(); ++y) {
    for (int x = 0; x < 8; ++x) {
      const size_t at = 4 + 2 * static_cast<size_t>(x);
      if (at < rows[y].size() && rows[y][at] == '+') return std::string(1, static_cast<char>('a' + x)) + std::to_string(y);
    }
  }
  return "";
}

}  // namespace

TEST(Host, VersionAndUsage) {
  const ProcessResult version = RunTenu({"version"});
  EXPECT_EQ(version.status, 0);
  // Run from the build tree: no book is installed beside it.
  EXPECT_EQ(version.out, "Tenu てぬ version 103\nOpening book: none installed\n");
  EXPECT_EQ(RunTenu({}).status, 2);
  const ProcessResult unknown = RunTenu({"fly"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("unknown command 'fly'"), std::string::npos);
  EXPECT_EQ(RunTenu({"--help"}).status, 0);
}

TEST(Host, PerftPrintsEachDepth) {
  const ProcessResult run = RunTenu({"perft", "6"});
  ASSERT_EQ(run.status, 0);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[5].substr(0, 23), "perft  6           8200");
  for (const char* bad : {"0", "x", "21"}) EXPECT_EQ(RunTenu({"perft", bad}).status, 2);
}

// `tenu search --reference` prints the reference table's values and node
// counts; the engine's search the same values with its own, reproducible,
// node counts.
TEST(Host, SearchAnswersValueAndNodesLikeTheReferenceTable) {
  const auto rows = ReadFixture("search.tsv");
  for (const char* kind : {"evaluate", "midgame", "exact", "wld"}) {
    std::string input;
    std::vector<std::string> expected;
    std::vector<std::string> args = {"search"};
    int depth = -1;
    for (const FixtureRow& row : rows) {
      if (row.at("search") != kind || expected.size() >= 8) continue;
      if (std::string(kind) == "midgame") {
        if (depth < 0) depth = std::stoi(row.at("depth"));
        if (std::stoi(row.at("depth")) != depth) continue;
      }
      input += row.at("position") + "\n";
      expected.push_back(row.at("value") + " " + row.at("nodes"));
    }
    if (std::string(kind) == "evaluate") args.push_back("--eval");
    if (std::string(kind) == "midgame") args.insert(args.end(), {"--depth", std::to_string(depth)});
    if (std::string(kind) == "exact") args.push_back("--exact");
    if (std::string(kind) == "wld") args.push_back("--wld");
    std::vector<std::string> reference_args = args;
    reference_args.push_back("--reference");
    const ProcessResult reference = RunTenu(reference_args, input);
    ASSERT_EQ(reference.status, 0) << kind << reference.err;
    std::vector<std::string> got = Lines(reference.out);
    if (std::string(kind) == "evaluate") {
      for (std::string& line : got) line = line.substr(0, line.find(' ')) + " 0";
    }
    EXPECT_EQ(got, expected) << kind;

    const ProcessResult engine = RunTenu(args, input + input);
    ASSERT_EQ(engine.status, 0) << kind << engine.err;
    const std::vector<std::string> twice = Lines(engine.out);
    ASSERT_EQ(twice.size(), 2 * expected.size()) << kind;
    for (size_t k = 0; k < expected.size(); ++k) {
      EXPECT_EQ(twice[k].substr(0, twice[k].find(' ')), expected[k].substr(0, expected[k].find(' '))) << kind;
      EXPECT_EQ(twice[k + expected.size()], twice[k]) << kind << ": the same search, the same nodes";
    }
  }
  const ProcessResult bad = RunTenu({"search", "--exact", "nonsense"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.out.find("not a position"), std::string::npos);
  EXPECT_EQ(RunTenu({"search", kStart}).status, 2);
  EXPECT_EQ(RunTenu({"search", "--depth", "x", kStart}).status, 2);
  EXPECT_EQ(RunTenu({"search", "--depth", "4", "--hash", "0", kStart}).status, 2);
  EXPECT_EQ(RunTenu({"search", "--depth", "6", "--hash", "1", kStart}).out.substr(0, 3),
            RunTenu({"search", "--depth", "6", kStart}).out.substr(0, 3));
}

TEST(Host, ThinkRepliesOneLinePerPositionInUtf8OrRaw) {
  const auto rows = ReadFixture("think.tsv");
  std::vector<std::string> args = {"think", "--depth", "5", "--exact", "12", "--wld", "14", "--maemuki", "1"};
  std::vector<std::string> squares;
  for (const FixtureRow& row : rows) {
    if (row.at("game") != "1" || squares.size() == 4) continue;
    args.push_back(row.at("position"));
    squares.push_back(row.at("square") + "|");
  }
  const ProcessResult run = RunTenu(args);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u);
  for (size_t k = 0; k < lines.size(); ++k) EXPECT_EQ(lines[k].substr(0, 3), squares[k]) << lines[k];
  // The first remark of a run describes the score only: "互角ですね" for 0.46.
  EXPECT_EQ(lines[0], "F5|互角ですね|0.460000");

  const ProcessResult raw = RunTenu({"think", "--raw"}, std::string(rows[0].at("position")) + "\n");
  EXPECT_EQ(raw.out, "F5|" + Utf8ToCp932("互角ですね") + "|0.460000\n");

  const ProcessResult bad = RunTenu({"think"}, "not a position\n");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "PA|局面が読めません|0.000000\n");
  EXPECT_EQ(RunTenu({"think", "--depth"}).status, 2);
  EXPECT_EQ(RunTenu({"think", "--level", "huge"}).status, 2);
}

TEST(Host, HintListsEveryLegalMoveBestFirst) {
  const ProcessResult run = RunTenu({"hint", kStart});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 6u) << run.out;
  EXPECT_EQ(lines[0].rfind("black to move, 60 empty squares: every move searched at depth 5 as tenu think searches", 0),
            0u)
      << lines[0];
  EXPECT_EQ(lines[1], "move   discs");
  // From the start all four moves are the same move by symmetry.
  for (size_t k = 3; k < lines.size(); ++k) EXPECT_EQ(lines[k].substr(4), lines[2].substr(4));
  EXPECT_EQ(lines[2].substr(0, 2), "c4");
  // Where the engine solves, every move's final disc difference; in the
  // win/loss/draw band the result with it.
  const ProcessResult exact = RunTenu({"hint", kLadder});
  ASSERT_EQ(exact.status, 0) << exact.err;
  EXPECT_EQ(Lines(exact.out)[0],
            "black to move, 12 empty squares: every move solved exactly, the final disc difference for black under "
            "perfect play");
  EXPECT_EQ(Lines(exact.out)[2], "a1       -28");
  const ProcessResult wld = RunTenu({"hint", "--exact", "10", "--wld", "12", kLadder});
  EXPECT_EQ(Lines(wld.out)[1], "move  result");
  EXPECT_EQ(Lines(wld.out)[2], "a1    loss -28");
  EXPECT_EQ(RunTenu({"hint"}).status, 2);
}

// The engine and the reference searches choose the same moves.
TEST(Host, SelfplayPlaysTheSameGamesWithEitherSearch) {
  const ProcessResult engine = RunTenu({"selfplay", "--games", "2", "--level", "weak"});
  const ProcessResult reference = RunTenu({"selfplay", "--games", "2", "--level", "weak", "--reference"});
  ASSERT_EQ(engine.status, 0) << engine.err;
  ASSERT_EQ(reference.status, 0) << reference.err;
  EXPECT_EQ(engine.out, reference.out);
  EXPECT_EQ(RunTenu({"selfplay", "--hash", "x"}).status, 2);
}

TEST(Host, SelfplayFinishesGamesWithLegalMoves) {
  const ProcessResult run = RunTenu({"selfplay", "--games", "2", "--level", "weak", "--times"});
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("game 2 result: black "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("game 1 think ms: moves "), std::string::npos);
  EXPECT_EQ(RunTenu({"selfplay", "--games", "0"}).status, 2);
}

TEST(Host, BookCheckReportsLinesNodesAndTheFirstRejectedLine) {
  TempDir dir;
  const ProcessResult good = RunTenu({"book", "check", TENU_SOURCE_DIR "/books/openings.txt"});
  EXPECT_EQ(good.status, 0) << good.out;
  EXPECT_NE(good.out.find("no error"), std::string::npos);
  const ProcessResult bad = RunTenu({"book", "check", dir.Write("bad.txt", "; c\n\nf5d6\nf5f5\n")});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.out.find("line 4 rejected"), std::string::npos) << bad.out;
  EXPECT_EQ(RunTenu({"book", "check", dir.path() + "/missing.txt"}).status, 2);
  EXPECT_EQ(RunTenu({"book"}).status, 2);
}

TEST(Host, BookOptionPlaysBookMoves) {
  TempDir dir;
  const std::string book = dir.Write("book.txt", "f5 d6 c3\n");
  // White after black's e6: the book's d6 seen in that orientation is f4.
  const ProcessResult run =
      RunTenu({"think", "--book", book, "0|---------------------------0*------**-------*-------------------"});
  EXPECT_EQ(run.out, "F4|定石通りです|0.000000\n") << run.err;
  // A book named for the run that does not load whole stops the command.
  const ProcessResult missing = RunTenu({"think", "--book", dir.path() + "/none.txt", kStart});
  EXPECT_EQ(missing.err, "tenu think: --book: " + dir.path() + "/none.txt cannot be opened: No such file or directory\n");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
}

TEST(Host, SetupEditsAndSavesTheStoredSettings) {
  TempDir dir;
  const std::string store = dir.path() + "/Tenu.reg";
  const ProcessResult run = RunTenu({"setup"}, "1\n\n\n\n\n\n\n\n\no\n", store);
  EXPECT_EQ(run.status, 0) << run.out;
  const std::string saved = dir.Read("Tenu.reg");
  EXPECT_NE(saved.find("\"Depth\"=dword:00000003"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\"HisshoDepth\"=dword:0000000c"), std::string::npos) << saved;
  // The stored settings are what the next run plays with.
  const ProcessResult cancelled = RunTenu({"setup"}, "c\n", store);
  EXPECT_EQ(cancelled.status, 1);
  EXPECT_NE(cancelled.out.find("Depth 3, Exact 10, WLD 12"), std::string::npos) << cancelled.out;
}

TEST(Host, PlayAWholeGameThroughTheTerminal) {
  TenuSession session({"play", "--level", "weak"});
  int moves = 0;
  std::string transcript;
  for (;;) {
    const std::string chunk = session.ReadUntil("Your move (black): ");
    transcript += chunk;
    if (session.closed()) break;
    const std::string move = FirstMarkedMove(chunk.empty() ? transcript : transcript);
    ASSERT_FALSE(move.empty()) << chunk;
    if (moves == 2) {
      // An illegal square, a word that is no command, then a hint table.
      session.Send("a1");
      EXPECT_NE(session.ReadUntil("Your move (black): ").find("a1 is not a legal move here."), std::string::npos);
      session.Send("sideways");
      EXPECT_NE(session.ReadUntil("Your move (black): ").find("'sideways' is not a square"), std::string::npos);
      session.Send("hint");
      EXPECT_NE(session.ReadUntil("Your move (black): ").find("move   discs"), std::string::npos);
    }
    session.Send(move);
    ++moves;
    ASSERT_LT(moves, 64);
  }
  EXPECT_NE(transcript.find("Game over: black "), std::string::npos) << transcript.substr(transcript.size() - 400);
  EXPECT_NE(transcript.find("Tenu plays "), std::string::npos);
  EXPECT_EQ(session.Wait(), 0);
}

TEST(Host, PlayUndoQuitAndEndOfInput) {
  {
    TenuSession session({"play", "--white", "--level", "weak"});
    const std::string first = session.ReadUntil("Your move (white): ");
    EXPECT_NE(first.find("Tenu plays "), std::string::npos);
    session.Send("undo");
    EXPECT_NE(session.ReadUntil("Your move (white): ").find("Nothing to take back."), std::string::npos);
    session.Send(FirstMarkedMove(first));
    const std::string second = session.ReadUntil("Your move (white): ");
    session.Send("undo");
    const std::string back = session.ReadUntil("Your move (white): ");
    // The board after the undo is the one before the user's move.
    EXPECT_EQ(back.substr(back.rfind("    a b")), first.substr(first.rfind("    a b")));
    session.Send("quit");
    EXPECT_NE(session.ReadUntil("Game abandoned.").find("Game abandoned."), std::string::npos);
    EXPECT_EQ(session.Wait(), 0);
  }
  const ProcessResult ended = RunTenu({"play", "--level", "weak"}, "f5\n");
  EXPECT_EQ(ended.status, 0);
  EXPECT_NE(ended.out.find("End of input"), std::string::npos);
  EXPECT_EQ(RunTenu({"play", "--sideways"}).status, 2);
}

// The record of a game in play: shown, saved, loaded, given to start from,
// printed with the result at the end; the engine's evaluations as a graph.
TEST(Host, PlayKeepsTheGamesRecord) {
  TempDir dir;
  const std::string file = dir.path() + "/game.txt";
  const ProcessResult saved = RunTenu({"play", "--level", "weak"}, "f5\nrecord\ngraph\nsave " + file + "\nquit\n");
  ASSERT_EQ(saved.status, 0) << saved.err;
  std::smatch reply;
  ASSERT_TRUE(std::regex_search(saved.out, reply, std::regex("Tenu plays ([a-h][1-8]): .*\\(about ([-+][0-9]+\\.[0-9]) discs\\)")))
      << saved.out;
  const std::string record = "f5 " + reply[1].str();
  EXPECT_NE(saved.out.find("Record: " + record + "\n"), std::string::npos) << saved.out;
  EXPECT_NE(saved.out.find("Tenu's evaluations in discs, for black"), std::string::npos) << saved.out;
  EXPECT_NE(saved.out.find("last move >" + reply[1].str()), std::string::npos) << saved.out;
  EXPECT_EQ(dir.Read("game.txt"), record + "\n");
  const ProcessResult loaded = RunTenu({"play", "--level", "weak"}, "load " + file + "\nrecord\nquit\n");
  EXPECT_NE(loaded.out.find("Loaded " + file + ": " + record), std::string::npos) << loaded.out;
  const ProcessResult from = RunTenu({"play", "--level", "weak", "--from", record}, "record\nquit\n");
  EXPECT_NE(from.out.find("Record: " + record + "\n"), std::string::npos) << from.out;
  EXPECT_EQ(RunTenu({"play", "--from", "f5 f5"}).status, 2);
  // A whole game between the engine's two sides ends with its record.
  const ProcessResult whole = RunTenu({"play", "--level", "weak", "--from",
                                       "c4 e3 f4 c5 d6 f3 e6 c3 d3 e2 f2 c6 e1 d7 c8 f5 g4 e7 f6 d8 e8 f8 g8 g3 h4 h5 "
                                       "h6 h3 h2 g5 c7 f7 g6 d1 c1 f1 g1 g2 b6 g7 h1 d2 c2 a6 h8 h7 b5 a5 b4 b3 a3 a4 "
                                       "a7 b7 a8 b8 a2 a1 b2 b1"});
  EXPECT_NE(whole.out.find("Record: c4 e3 "), std::string::npos) << whole.out;
  EXPECT_NE(whole.out.find(" b2 b1 (black "), std::string::npos) << whole.out;
}

TEST(Host, FailedWritesToStandardOutputEndTheCommandWithAMessage) {
  TempDir dir;
  const std::string book = dir.Write("book.txt", "f5d6\n");
  const struct {
    std::vector<std::string> args;
    std::string input;
  } cases[] = {
      {{"think", "--level", "weak"}, std::string(kStart) + "\n" + kStart + "\n"},
      {{"think", "--level", "weak", kStart}, ""},
      {{"search", "--eval"}, std::string(kStart) + "\n"},
      {{"hint", kStart}, ""},
      {{"perft", "3"}, ""},
      {{"version"}, ""},
      {{"book", "check", book}, ""},
      {{"selfplay", "--level", "weak"}, ""},
      {{"nboard"}, "nboard 2\nping 1\n"},
      {{"play", "--level", "weak"}, "f5\n"},
  };
  for (const auto& test : cases) {
    for (BrokenOutput output : {BrokenOutput::FullDevice, BrokenOutput::ClosedPipe}) {
      const ProcessResult run = RunTenuWithBrokenOutput(test.args, test.input, output);
      const std::string reason = output == BrokenOutput::FullDevice ? "No space left on device" : "Broken pipe";
      EXPECT_EQ(run.status, 3) << test.args[0] << " " << reason;
      EXPECT_NE(run.err.find("tenu " + test.args[0] + ": cannot write the output: " + reason), std::string::npos)
          << test.args[0] << ": " << run.err;
    }
  }
}

TEST(Host, AnOptionValueThatIsMissingOrAPositionIsAnError) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"think", "--book", kStart}, "--book needs a value before the position"},
      {{"think", "--book"}, "--book needs a value"},
      {{"think", "--depth", "--exact", "3", kStart}, "--depth needs a value"},
      {{"hint", "--level", kStart}, "--level needs a value before the position"},
      {{"play", "--book", "--white"}, "--book needs a value"},
      {{"nboard", "--maemuki", kStart}, "--maemuki needs a value before the position"},
  };
  for (const auto& test : cases) {
    const ProcessResult run = RunTenu(test.args);  // no input: a command that read it would end anyway
    EXPECT_EQ(run.status, 2) << test.message;
    EXPECT_NE(run.err.find(test.message), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << test.message;
  }
}

TEST(Host, BookFilesThatAreNoRegularFileOrTooLargeAreNotRead) {
  TempDir dir;
  const std::string fifo = dir.path() + "/fifo.txt";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // A sparse file: 257 MiB that take no room.
  const std::string huge = dir.Write("huge.txt", "");
  ASSERT_EQ(truncate(huge.c_str(), (int64_t{257} << 20)), 0);
  const struct {
    std::string path;
    std::string problem;
  } cases[] = {
      {"/dev/zero", "/dev/zero is not a regular file"},
      {fifo, fifo + " is not a regular file"},
      {dir.path(), dir.path() + " is a folder, not a book file"},
      {huge, huge + " holds 269484032 bytes, more than the 256 MiB a book file may have"},
  };
  for (const auto& test : cases) {
    const ProcessResult check = RunTenu({"book", "check", test.path});
    EXPECT_EQ(check.status, 2) << test.path;
    EXPECT_EQ(check.out, test.path + ": not read: " + test.problem + "\n");
    const ProcessResult option = RunTenu({"think", "--book", test.path, kStart});
    EXPECT_EQ(option.status, 2) << test.path;
    EXPECT_NE(option.err.find("--book: " + test.problem), std::string::npos) << option.err;
    // A stored book path is not read either; the engine plays on.
    const std::string store = dir.Write("Tenu.reg", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VellSofts\\LUM\\Tenu]\n"
                                                    "\"UseJoseki\"=dword:00000001\n\"JosekiFile\"=\"" + test.path + "\"\n");
    const ProcessResult stored = RunTenu({"think", "--level", "weak", kStart}, "", store);
    EXPECT_EQ(stored.status, 0) << test.path;
    EXPECT_EQ(stored.out.substr(0, 3), "F5|") << test.path;  // the root of an empty book
    EXPECT_NE(stored.err.find("the book is not read: " + test.problem), std::string::npos) << stored.err;
  }
}

TEST(Host, BookCheckNamesTheFilesLineWhenALineIsReadInPieces) {
  TempDir dir;
  const std::string long_comment = ";" + std::string(599, 'x') + "\n";  // its second piece is no moves
  const std::string long_blank = std::string(600, ' ') + "\n";          // two empty pieces
  const struct {
    std::string text;
    std::string report;
  } cases[] = {
      {long_comment + "f5d6\n",
       "line 2 rejected (2 lines read, 1 node before it): move 1 (xx): not a square (a1 to h8)\n"
       "book.txt: the file's line 1 is longer than the 511 characters the engine reads at once, and the engine "
       "counts each piece of it as a line; its line 2 is the file's line 1\n"},
      {"f5\n" + long_blank + "f5f5\n",
       "line 4 rejected (4 lines read, 1 node before it): move 2 (f5): white cannot play there: the square is "
       "taken\n"
       "book.txt: the file's line 2 is longer than the 511 characters the engine reads at once, and the engine "
       "counts each piece of it as a line; its line 4 is the file's line 3\n"},
      {long_blank + "f5d6\n",
       "3 lines read, 2 nodes, no error\n"
       "book.txt: the file's line 1 is longer than the 511 characters the engine reads at once, and the engine "
       "counts each piece of it as a line; its 3 lines are the file's 2\n"},
      {"f5d6\nf5f5\n",
       "line 2 rejected (2 lines read, 2 nodes before it): move 2 (f5): white cannot play there: the square is "
       "taken\n"},
  };
  for (const auto& test : cases) {
    const std::string book = dir.Write("book.txt", test.text);
    const ProcessResult run = RunTenu({"book", "check", book});
    EXPECT_EQ(run.out, book + ": " + test.report.substr(0, test.report.find("book.txt: ")) +
                           (test.report.find("book.txt: ") == std::string::npos
                                ? ""
                                : dir.path() + "/" + test.report.substr(test.report.find("book.txt: "))));
  }
}

TEST(Host, SetupSaysWhyASaveFailed) {
  TempDir dir;
  const std::string folder = dir.path() + "/Tenu.reg";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const ProcessResult run = RunTenu({"setup"}, "\n\n\n\n\n\n\n\n\no\n", folder);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out.find("Saved"), std::string::npos) << run.out;
  // The engine's own message with its English, then what failed, where and why.
  EXPECT_NE(run.err.find("てぬ (\"Tenu\"): レジストリへの登録に失敗しました (\"The settings could not be saved in the "
                         "registry\")\n"
                         "tenu setup: the settings were not saved: " + folder + " is a folder, not a settings file\n"),
            std::string::npos)
      << run.err;
}

TEST(Host, SetupRefusesAnOverlongPathAndAsksBeforeKeepingSlowNumbers) {
  TempDir dir;
  const std::string store = dir.path() + "/Tenu.reg";
  const std::string too_long(260, 'p');
  const std::string deep = std::to_string(kDeepestUsefulMidgameDepth + 1);
  const std::string many = std::to_string(kLargestUsefulWldEmpties + 2);
  // A depth past the limit and an overlong path (asked again, kept empty);
  // OK; "n" to the question; then Depth 6 and OK.
  const ProcessResult refused =
      RunTenu({"setup"}, "\n" + deep + "\n\n\n\n\n\n\n" + too_long + "\n\no\nn\n\n6\n\n\n\n\n\n\n\no\n", store);
  EXPECT_EQ(refused.status, 0) << refused.err;
  EXPECT_NE(refused.out.find("Book file: the path is longer than 259 bytes\n"), std::string::npos) << refused.out;
  EXPECT_NE(refused.out.find("Depth (the midgame search depth) " + deep + " is above " +
                             std::to_string(kDeepestUsefulMidgameDepth)),
            std::string::npos)
      << refused.out;
  EXPECT_NE(refused.out.find("Saved: Depth 6, Exact 12, WLD 14"), std::string::npos) << refused.out;
  const ProcessResult kept = RunTenu({"setup"}, "\n\n" + many + "\n" + many + "\n\n\n\n\n\no\ny\n", store);
  EXPECT_EQ(kept.status, 0);
  EXPECT_NE(kept.out.find("Exact (empty squares for the exact solver) " + many + " is above " +
                          std::to_string(kLargestUsefulExactEmpties)),
            std::string::npos)
      << kept.out;
  EXPECT_NE(kept.out.find("Saved: Depth 6, Exact " + many + ", WLD " + many), std::string::npos) << kept.out;
}

TEST(Host, WarningsAboutTheSettingsInForce) {
  TempDir dir;
  const std::string folder = dir.path() + "/Tenu.reg";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  // One empty square: every setting answers at once.
  const std::string late = "*|**********0*0****0*******00******000*****0000*0**00000***0-0000*";
  const ProcessResult unreadable = RunTenu({"think", late, late}, "", folder);
  EXPECT_EQ(unreadable.status, 0);
  EXPECT_EQ(unreadable.err,
            "tenu: warning: " + folder + " is a folder, not a settings file; the built-in settings are used\n");
  const auto limits_plus = [](int extra) {
    return std::vector<std::string>{"--depth", std::to_string(kDeepestUsefulMidgameDepth + extra),
                                    "--exact", std::to_string(kLargestUsefulExactEmpties + extra),
                                    "--wld", std::to_string(kLargestUsefulWldEmpties + extra)};
  };
  std::vector<std::string> args = {"think", late};
  for (const std::string& arg : limits_plus(1)) args.push_back(arg);
  const ProcessResult slow = RunTenu(args);
  EXPECT_EQ(slow.status, 0);
  EXPECT_EQ(Lines(slow.err).size(), 3u) << slow.err;
  args = {"think", late};
  for (const std::string& arg : limits_plus(0)) args.push_back(arg);
  EXPECT_EQ(RunTenu(args).err, "");
  // The win/loss/draw solver never runs where the exact solver does.
  const std::string beyond = std::to_string(kLargestUsefulWldEmpties + 2);
  const ProcessResult exact = RunTenu({"think", "--exact", beyond, "--wld", beyond, late});
  EXPECT_EQ(Lines(exact.err).size(), 1u) << exact.err;
}
