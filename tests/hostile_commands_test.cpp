// The tenu commands against what a careless user or a hostile file gives
// them: folders, empty files, devices and pipes where a file is named, lines
// without end, characters that are no part of a position or a record, names
// that are no valid text, Ctrl-C in the middle of a game. Each case says
// what the command must answer: a message that says what is wrong, a failure
// status, and nothing half-done.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "host/text_safety.h"
#include "tests/host_process.h"
#include "tests/temp_files.h"

namespace {

const char kStart[] = "*|---------------------------0*------*0---------------------------";
const char kStartSuite[] = "---------------------------OX------XO--------------------------- X";

// A game of the engine against itself that ends in passes: black must pass
// at its end, after b8; then white a2, black a1, white b2, black b1 end it.
const char kGameBeforePasses[] =
    "c4 e3 f4 c5 d6 f3 e6 c3 d3 e2 f2 c6 e1 d7 c8 f5 g4 e7 f6 d8 e8 f8 g8 g3 h4 h5 h6 h3 h2 g5 c7 f7 g6 d1 c1 f1 "
    "g1 g2 b6 g7 h1 d2 c2 a6 h8 h7 b5 a5 b4 b3 a3 a4 a7 b7 a8 b8";

struct Case {
  const char* finding;
  std::vector<std::string> args;
  std::string input;
  int status;
  std::string out_has;  // empty: not checked
  std::string err_has;  // empty: standard error must be empty
};

void Check(const Case& test, const ProcessResult& run) {
  EXPECT_FALSE(run.timed_out) << test.finding << ": still running at the time limit";
  EXPECT_EQ(run.status, test.status) << test.finding << "\n" << run.err << run.out.substr(0, 2000);
  if (!test.out_has.empty()) {
    EXPECT_NE(run.out.find(test.out_has), std::string::npos) << test.finding << ": " << run.out.substr(0, 4000);
  }
  if (test.err_has.empty()) {
    EXPECT_EQ(run.err, "") << test.finding;
  } else {
    EXPECT_NE(run.err.find(test.err_has), std::string::npos) << test.finding << ": " << run.err;
  }
}

}  // namespace

TEST(HostileCommands, EachRefusesWhatItCannotUseAndSaysWhy) {
  TempDir dir;
  const std::string folder = dir.path();
  const std::string empty = dir.Write("empty.txt", "");
  const std::string remarks = dir.Write("remarks.txt", "# nothing but a remark\n\n");
  // A pipe with no writer: opening it to read waits for ever. It stands for
  // every input that is no regular file (a device such as /dev/zero would
  // be read for ever, and fill the memory, by a reader that took it).
  const std::string fifo = dir.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string book = dir.Write("book.txt", "f5 d6 c3 d3 c4 ; Tiger\nf5 d6 c3 c3 ; bad\n");
  const std::string remark_book = dir.Write("remark-book.txt", "# a remark\nf5 d6\n");
  // A record file as play saves a game from another start: the position, then the moves.
  const std::string saved = dir.Write("saved.txt", std::string(kStartSuite).replace(64, 2, " O") + "\nc5 c4 d3\n");
  const std::string finished = std::string(63, 'X') + "- X";
  const std::string unannotated = dir.Write("suite.txt", finished + "\n");
  const std::string long_line(70000, 'f');  // past the 64 KiB a line may have, and no line end
  const std::string missing = dir.path() + "/missing.txt";

  const std::vector<Case> cases = {
      // Positions and records.
      {"F1 suite line first", {"think", "--level", "weak", kStartSuite}, "", 0, "|", ""},
      {"F1 --", {"think", "--level", "weak", "--", kStartSuite}, "", 0, "|", ""},
      {"F2 lower-case discs", {"think", "*|---------------------------ox------xo---------------------------"}, "", 2, "",
       "square d4 of the position string is 'o', and a square is '*', '0' or '-'"},
      {"F2 a multibyte square", {"think", "*|-------------------------\xE3\x81\x82-0*------*0---------------------------"},
       "", 2, "", "square b4 of the position string is '\xE3\x81\x82'"},
      {"F2 dots", {"search", "--depth", "1", "*|...........................0*......*0..........................."}, "", 2, "",
       "square a1 of the position string is '.'"},
      {"F3 a 65th square", {"think", std::string(kStart) + "X"}, "", 2, "",
       "a position string has 64 squares after the '|', and this one has 65 characters"},
      {"F4 a comma", {"think", "f5,d6"}, "", 2, "", "and ',' (character 3) is not part of a move"},
      {"F4 a NUL byte", {"think"}, std::string("f5 d6\0c3\n", 9), 2, "", "'\\x00' (character 6) is not part of a move"},
      {"F18 an unquoted record", {"analyze", "f5", "d6", "c3"}, "", 2, "",
       "game 2: move 1 (d6): black cannot play there: it turns no disc (each argument is one game: quote a record"},
      {"F31 hint where black must pass", {"hint", kGameBeforePasses}, "", 0, "black has no legal move and must pass\n", ""},
      {"F31 hint after the game", {"hint", std::string(kGameBeforePasses) + " a2 a1 b2 b1"}, "", 0,
       "the game is over: black 36, white 28\n", ""},
      // Named files: folders, empty files, pipes, and files with nothing to use.
      {"F13 analyze a folder", {"analyze", "--file", folder}, "", 2, "", folder + " is a folder, not a file"},
      {"F21 analyze a pipe", {"analyze", "--file", fifo}, "", 2, "", fifo + " is not a regular file"},
      {"F22 solve a folder", {"solve", folder}, "", 2, "", folder + " is a folder, not a file"},
      {"F19 one move", {"analyze", "--level", "weak", "f5"}, "", 0, "black: 1 move, average loss", ""},
      {"F29 setup refuses in the reader's language", {"setup"}, "\n99999999999999999999\n\n\n\n\n\n\n\n\nc\n", 1,
       "(\"Please enter a number from -2147483648 to 2147483647\")", ""},
      {"F22 solve an empty file", {"solve", empty}, "", 2, "", empty + " is empty"},
      {"F22 solve remarks only", {"solve", remarks}, "", 2, "", remarks + " holds no position"},
      {"F21 solve a pipe", {"solve", fifo}, "", 2, "", fifo + " is not a regular file"},
      {"F33 analyze no game", {"analyze", "--json", "-"}, "\n# a remark\n", 2, "", "standard input holds no game"},
      {"F14 analyze what play saves", {"analyze", "--level", "weak", "--file", saved}, "", 0,
       "unfinished: black 2, white 5\n", ""},
      {"F24 solve an unannotated line", {"solve", unannotated}, "", 0, "solved 1, agree 0/0 (1 not annotated)", ""},
      // Lines without end on standard input.
      {"F21 think", {"think"}, long_line, 2, "", "standard input: line 1 is longer than the 64 KiB a line may have"},
      {"F21 search", {"search", "--depth", "1"}, long_line, 2, "", "standard input: line 1 is longer than the 64 KiB"},
      {"F21 analyze -", {"analyze", "-"}, long_line, 2, "", "standard input: line 1 is longer than the 64 KiB"},
      {"F21 solve -", {"solve", "-"}, "# a suite\n" + long_line, 2, "", "standard input: line 2 is longer than the 64 KiB"},
      // analyze's options and its graph.
      {"F19 thresholds the wrong way round", {"analyze", "--inaccuracy", "7", "--mistake", "3", "f5"}, "", 2, "",
       "an inaccuracy (7.00 discs lost) cannot be more than a mistake (3.00)"},
      {"F17 a graph that cannot be written", {"analyze", "--svg", missing + "/g.svg", "f5"}, "", 3, "",
       "the graph cannot be written to " + missing + "/g.svg: No such file or directory"},
      // The book.
      {"F26 book check says why", {"book", "check", book}, "", 1,
       "line 2 rejected (2 lines read, 5 nodes before it): move 4 (c3): white cannot play there: the square is taken\n",
       ""},
      {"F26 a remark that is no book remark", {"book", "check", remark_book}, "", 1,
       "move 1 (#a): not a square (a1 to h8) (a remark starts with ';')", ""},
      {"F27 a missing book", {"think", "--book", missing, "f5"}, "", 2, "",
       "tenu think: --book: " + missing + " cannot be opened: No such file or directory"},
      {"F27 a bad book", {"think", "--book", book, "f5"}, "", 2, "",
       "tenu think: --book: " + book + ": line 2 rejected: move 4 (c3): white cannot play there"},
      {"F27 a record for a book", {"think", "--book", "f5d6"}, "", 2, "", "--book needs a value before the position f5d6"},
      // play: load and save, odd lines, passes.
      {"F5 load a pipe", {"play", "--level", "weak"}, "load " + fifo + "\nrecord\n", 0,
       "Not loaded: " + fifo + " is not a regular file.", ""},
      {"F6 load a folder", {"play", "--level", "weak"}, "f5\nload " + folder + "\nrecord\n", 0,
       "Not loaded: " + folder + " is a folder, not a file.\nYour move (black): Record: f5 ", ""},
      {"F6 load an empty file", {"play", "--level", "weak"}, "f5\nload " + empty + "\nrecord\n", 0,
       "Not loaded: " + empty + " is empty.\nYour move (black): Record: f5 ", ""},
      {"F14 load shows the start", {"play", "--level", "weak"}, "load " + saved + "\nrecord\n", 0,
       "From: ---------------------------OX------XO--------------------------- O\nRecord: c5 c4 d3\n", ""},
      {"F7 save says why", {"play", "--level", "weak"}, "save " + folder + "\n", 0,
       "The record could not be written to " + folder + ": Is a directory.", ""},
      {"F9 the user passes", {"play", "--level", "weak", "--from", kGameBeforePasses}, "a1\nb2\n", 0,
       "You have no move and pass.", ""},
      {"F31 a NUL byte", {"play", "--level", "weak"}, std::string("f5\0junk\n", 8), 0,
       "'f5\\x00junk' is not a square or a command.", ""},
      {"F31 a long junk line", {"play", "--level", "weak"}, std::string(200, 'x') + "\n", 0,
       "'" + std::string(40, 'x') + "...' is not a square or a command.", ""},
      {"F21 a line without end", {"play", "--level", "weak"}, long_line + "\nf5\n", 0,
       "That line is longer than the 64 KiB a line may have; it is skipped.", ""},
      // Output and usage.
      {"F19 usage", {"--help"}, "", 0, "[--inaccuracy D] [--mistake D]\n          [--black NAME] [--white NAME]", ""},
      {"F34 perft 21", {"perft", "21"}, "", 2, "", "usage: tenu perft N"},
      {"F20 a stray argument", {"version", "extra"}, "", 2, "", "usage: tenu version"},
  };
  for (const Case& test : cases) Check(test, RunTenuWithin(30, test.args, test.input));

  // A help that cannot be written is no success.
  const ProcessResult help = RunTenuWithBrokenOutput({"--help"}, "", BrokenOutput::FullDevice);
  EXPECT_EQ(help.status, 3);
  EXPECT_NE(help.err.find("cannot write the output: No space left on device"), std::string::npos) << help.err;
  // A perft that does not finish in any useful time says so at once.
  const ProcessResult perft = RunTenuWithin(1, {"perft", "13"});
  EXPECT_NE(perft.err.find("tenu perft: warning: depth 13 is above 12"), std::string::npos) << perft.err;
}

// Player names that are no valid text (Latin-1, control characters) become
// U+FFFD in the graph, so that the picture stays well-formed XML.
TEST(HostileCommands, TheGraphHoldsOnlyValidCharacters) {
  TempDir dir;
  const std::string svg = dir.path() + "/g.svg";
  const ProcessResult run =
      RunTenu({"analyze", "--level", "weak", "--black", "Jos\xE9", "--white", "A\x01" "B", "--svg", svg, "f5"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string picture = dir.Read("g.svg");
  EXPECT_EQ(XmlSafeText(picture), picture);
  EXPECT_NE(picture.find("Jos\xEF\xBF\xBD (black)"), std::string::npos) << picture;
  EXPECT_NE(picture.find("A\xEF\xBF\xBD" "B (white)"), std::string::npos) << picture;
}

TEST(HostileCommands, TextsAreMadeSafeForWhereTheyGo) {
  const struct {
    std::string text;
    std::string xml;
    std::string shown;
  } cases[] = {
      {"plain", "plain", "plain"},
      {"\xE3\x81\x82", "\xE3\x81\x82", "\xE3\x81\x82"},          // a whole UTF-8 character stays
      {"\xE3\x81", "\xEF\xBF\xBD\xEF\xBF\xBD", "\\xE3\\x81"},      // a cut one does not
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD", "\\xC0\\xAF"},      // an overlong form
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", "\\xED\\xA0\\x80"},  // a surrogate
      {"a\tb\x1b[2J", "a\tb\xEF\xBF\xBD[2J", "a\\x09b\\x1B[2J"},  // a terminal's escape
      {std::string(45, 'z'), std::string(45, 'z'), std::string(40, 'z') + "..."},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(XmlSafeText(test.text), test.xml) << test.shown;
    EXPECT_EQ(ShownText(test.text), test.shown) << test.shown;
  }
}

// Ctrl-C while the engine thinks ends the game as the signal does, with the
// record written first.
TEST(HostileCommands, CtrlCInPlayPrintsTheRecord) {
  TenuSession session({"play", "--level", "weak", "--no-progress"});
  session.ReadUntil("Your move (black): ");
  session.Send("f5");
  session.ReadUntil("Your move (black): ");
  session.Interrupt();
  const std::string rest = session.ReadUntil("never written");
  EXPECT_TRUE(session.closed());
  EXPECT_NE(rest.find("\nInterrupted; the game is left unfinished.\nRecord: f5 "), std::string::npos) << rest;
  EXPECT_EQ(session.Wait(), -1);  // ended by the signal
}
