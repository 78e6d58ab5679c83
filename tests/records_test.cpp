// Game records, suite lines, the analysis of a game and the solving of a
// suite: the readers on the forms people write, the analysis against
// separate searches, the graph's structure, the suite's totals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include <regex>
#include <string>
#include <vector>

#include "board/rules.h"
#include "commentary/commentary.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "engine/think.h"
#include "host/calibration.h"
#include "host/game_analysis.h"
#include "host/records.h"
#include "search/search.h"
#include "engine/root.h"
#include "tests/engine_state.h"
#include "tests/host_process.h"
#include "tests/temp_files.h"
#include "tests/test_positions.h"

namespace {

// A game of the engine against itself that has passes near its end: black
// passes before a2 and white before b1.
const char kGameWithPasses[] =
    "c4 e3 f4 c5 d6 f3 e6 c3 d3 e2 f2 c6 e1 d7 c8 f5 g4 e7 f6 d8 e8 f8 g8 g3 h4 h5 h6 h3 h2 g5 c7 f7 g6 d1 c1 f1 "
    "g1 g2 b6 g7 h1 d2 c2 a6 h8 h7 b5 a5 b4 b3 a3 a4 a7 b7 a8 b8";
const char kGameEnd[] = " a2 a1 b2 b1";

std::string PositionText(const Board& board, int side) {
  char text[kPositionLength + 1];
  FormatPosition(board, side, text);
  return text;
}

std::string Played(const std::string& record) {
  PlayedGame game = StartedGame();
  std::string error;
  if (!PlayGameRecord(record, game, error)) return "error: " + error;
  return PositionText(game.board, game.side) + " after " + std::to_string(game.moves.size());
}

// Well-formed enough for a browser: every tag closed in order, attribute
// values quoted, no stray '&' or '<'.
bool IsWellFormedXml(const std::string& text) {
  std::vector<std::string> open;
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '&') {
      const size_t end = text.find(';', at);
      const std::string entity = end == std::string::npos ? "" : text.substr(at, end - at + 1);
      if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;") return false;
      continue;
    }
    if (text[at] != '<') continue;
    const size_t end = text.find('>', at);
    if (end == std::string::npos) return false;
    std::string tag = text.substr(at + 1, end - at - 1);
    at = end;
    if (tag[0] == '?') continue;
    if (std::count(tag.begin(), tag.end(), '"') % 2 != 0 || tag.find('<') != std::string::npos) return false;
    if (tag[0] == '/') {
      if (open.empty() || open.back() != tag.substr(1)) return false;
      open.pop_back();
    } else if (tag.back() != '/') {
      open.push_back(tag.substr(0, tag.find_first_of(" \n")));
    }
  }
  return open.empty();
}

}  // namespace

TEST(GameRecords, ReadAsPeopleWriteThem) {
  const std::string base = Played("f5 d6 c3");
  for (const char* same : {"f5d6c3", "F5 D6 C3", "  f5\td6  c3 ", "F5d6C3"}) EXPECT_EQ(Played(same), base) << same;
  // Passes left out, written "pa" or "--": the same game.
  const std::string whole = Played(std::string(kGameWithPasses) + kGameEnd);
  ASSERT_EQ(whole.rfind("error", 0), std::string::npos) << whole;
  EXPECT_EQ(Played(std::string(kGameWithPasses) + " pa a2 a1 b2 -- b1"), whole);
  EXPECT_EQ(Played(std::string(kGameWithPasses) + " PA a2 a1 b2 pA b1"), whole);
  EXPECT_NE(whole.find(" after 62"), std::string::npos) << "two passes among the 60 moves";

  struct Bad {
    std::string record;
    std::string error;
  };
  const Bad bad[] = {
      {"f5 f5", "move 2 (f5): white cannot play there: the square is taken"},
      {"f5 a1", "move 2 (a1): white cannot play there: it turns no disc"},
      {"f5 pa", "move 2 (pa): white cannot pass while it has a legal move"},
      {"f5 d6 zz", "move 3 (zz): not a square"},
      {"f5d", "'d' at its end is no move"},
      {std::string(kGameWithPasses) + " a1", "move 57 (a1): black must pass, and white cannot play there"},
      {std::string(kGameWithPasses) + kGameEnd + " c4", "move 61 (c4): the game is already over"},
  };
  for (const Bad& b : bad) {
    const std::string result = Played(b.record);
    EXPECT_EQ(result.rfind("error: ", 0), 0u) << b.record;
    EXPECT_NE(result.find(b.error), std::string::npos) << b.record << ": " << result;
  }
  // Nothing is half-played: a failed record leaves the game as it was.
  PlayedGame game = StartedGame();
  std::string error;
  ASSERT_TRUE(PlayGameRecord("f5", game, error));
  const PlayedGame before = game;
  EXPECT_FALSE(PlayGameRecord("d6 c3 c3", game, error));
  EXPECT_EQ(PositionText(game.board, game.side), PositionText(before.board, before.side));
  EXPECT_EQ(game.moves.size(), before.moves.size());
  EXPECT_EQ(GameRecordText(before.moves), "f5");
}

TEST(SuiteLines, BoardSideAndTheFirstAnnotatedScore) {
  const std::string ffo40 = "O--OOOOX-OOOOOOXOOXXOOOXOOXOOOXXOOOOOOXX---OOOOX----O--X-------- X";
  SuiteLine line;
  std::string error;
  ASSERT_TRUE(ParseSuiteLine(ffo40 + "; A2:+38; C7:+36", line, error)) << error;
  EXPECT_EQ(line.side, 1);
  EXPECT_TRUE(line.annotated);
  EXPECT_EQ(line.annotated_square, SquareIndex(1, 2));
  EXPECT_EQ(line.annotated_score, 38);
  EXPECT_EQ(line.board.cell[SquareIndex(1, 1)], -1);
  EXPECT_EQ(line.board.cell[SquareIndex(8, 1)], 1);
  EXPECT_EQ(line.board.cell[SquareIndex(2, 1)], 0);
  // '*' and lower case, remarks without a score, a negative score, blanks.
  std::string starred = ffo40;
  for (char& c : starred) c = c == 'X' ? '*' : c == 'O' ? 'o' : c;
  SuiteLine same;
  ASSERT_TRUE(ParseSuiteLine(starred.substr(0, 64) + "   O ;  g3 : -12 ; d2:-14", same, error)) << error;
  EXPECT_EQ(PositionText(same.board, 1), PositionText(line.board, 1));
  EXPECT_EQ(same.side, -1);
  EXPECT_EQ(same.annotated_score, -12);
  ASSERT_TRUE(ParseSuiteLine(ffo40 + " ; no score here", same, error));
  EXPECT_FALSE(same.annotated);
  EXPECT_FALSE(ParseSuiteLine(ffo40.substr(0, 64) + " Z", same, error));
  EXPECT_FALSE(ParseSuiteLine(ffo40.substr(0, 63) + "? X", same, error));
  EXPECT_FALSE(LooksLikeGameRecord(ffo40));
  EXPECT_FALSE(LooksLikeGameRecord("*|---------------------------0*------*0---------------------------"));
}

// Every form of a position gives the same reply; a record with an illegal
// move gives a message and status 2, and no reply.
TEST(GameRecords, EveryCommandTakesEveryForm) {
  const std::string record = "f5 d6 c3 d3 c4";
  Board board;
  int side = 1;
  std::string error;
  ASSERT_TRUE(ReadAnyPosition(record, board, side, error));
  const std::string host = PositionText(board, side);
  const std::string suite = SuiteLineText(board, side) + " ; a remark";
  const ProcessResult think = RunTenu({"think", "--level", "weak", record, host, suite});
  ASSERT_EQ(think.status, 0) << think.err;
  const std::vector<std::string> replies = Lines(think.out);
  ASSERT_EQ(replies.size(), 3u);
  EXPECT_EQ(replies[1], replies[0]);
  EXPECT_EQ(replies[2], replies[0]);
  EXPECT_EQ(RunTenu({"search", "--depth", "3", record}).out, RunTenu({"search", "--depth", "3", host}).out);
  EXPECT_EQ(RunTenu({"hint", suite}).out, RunTenu({"hint", host}).out);
  const ProcessResult illegal = RunTenu({"think", "f5 d6 c3 c3"});
  EXPECT_EQ(illegal.status, 2);
  EXPECT_EQ(illegal.out, "");
  EXPECT_NE(illegal.err.find("move 4 (c3)"), std::string::npos) << illegal.err;
}

// Each move's best move, evaluations and loss against the driver and the
// searches called on their own.
TEST(GameAnalysis, AgreesWithSeparateSearches) {
  EngineStateGuard guard;
  EngineSettings.Depth = 3;
  EngineSettings.KansakiDepth = 10;
  EngineSettings.HisshoDepth = 12;
  PlayedGame game = StartedGame();
  std::string error;
  ASSERT_TRUE(PlayGameRecord("f5 d6 c3 d3 c4 f4 c5 b3 c2", game, error));
  MarkThresholds thresholds;
  thresholds.inaccuracy = 1;
  thresholds.mistake = 3;
  // Analysis is no move of a game: the remark's memory and the random
  // sequence are left as they were.
  Commentary.LastScore = 1234;
  const MoveCommentary remembered = Commentary;
  std::srand(7);
  const int next_random = std::rand();
  std::srand(7);
  const GameAnalysis analysis = AnalyseGame(game, thresholds, nullptr);
  EXPECT_EQ(std::rand(), next_random);
  EXPECT_EQ(std::memcmp(&Commentary, &remembered, sizeof remembered), 0);
  ASSERT_EQ(analysis.moves.size(), 9u);
  Board board = game.start;
  int marked = 0;
  for (const AnalysedMove& move : analysis.moves) {
    int x = -1;
    int y = 0;
    int score = 0;
    ChooseMove(ModuleRequest(), board, move.colour, &x, &y, &score);
    EXPECT_EQ(move.best, SquareIndex(x, y)) << move.ply;
    const int empties = EmptiesOf(board).count;
    const int depth = MidgameDepthFor(EngineSettings, empties);
    // In discs by the calibration, and in the think's own units.
    EXPECT_DOUBLE_EQ(move.best_eval, MidgameDiscs(score, empties - 1, depth)) << move.ply;
    EXPECT_DOUBLE_EQ(move.best_think_eval, score / 100.0) << move.ply;
    Board work;
    NormaliseBoard(board, work, move.colour);
    Board after;
    ASSERT_TRUE(PlayMove(work, after, move.played, 1));
    MoveList list;
    ListEmpties(after, list);
    const int played = ReferenceMidgame(after, list, -1, -kWindow, depth, 0);
    EXPECT_DOUBLE_EQ(move.played_eval, MidgameDiscs(played, empties - 1, depth)) << move.ply;
    EXPECT_DOUBLE_EQ(move.played_think_eval, played / 100.0) << move.ply;
    EXPECT_DOUBLE_EQ(move.loss, std::max(0.0, move.best_eval - move.played_eval)) << move.ply;
    const std::string mark = move.loss >= 3 ? "mistake" : move.loss >= 1 ? "inaccuracy" : "";
    EXPECT_EQ(move.mark, mark) << move.ply;
    marked += !mark.empty();
    PlayMove(board, board, move.played, move.colour);
  }
  EXPECT_GT(marked, 0) << "the thresholds are low enough to mark some moves";
  EXPECT_EQ(analysis.black.moves + analysis.white.moves, 9);
  int best = 0;
  for (const AnalysedMove& move : analysis.moves) best += move.played_think_eval >= move.best_think_eval;
  EXPECT_EQ(analysis.black.best_moves + analysis.white.best_moves, best);

  const std::string svg = AnalysisSvg(analysis, "Ann & Bo", "<Eve>");
  EXPECT_TRUE(IsWellFormedXml(svg));
  const std::regex point("<circle class=\"move\"");
  EXPECT_EQ(std::distance(std::sregex_iterator(svg.begin(), svg.end(), point), std::sregex_iterator()), 9);
  EXPECT_NE(svg.find(">Ann &amp; Bo (black) 10 - 3 &lt;Eve&gt; (white), unfinished</text>"), std::string::npos) << svg;
  const std::string json = AnalysisJson(analysis, thresholds);
  EXPECT_EQ(std::count(json.begin(), json.end(), '{'), std::count(json.begin(), json.end(), '}'));
  EXPECT_NE(json.find("\"ply\": 9, \"colour\": \"black\", \"played\": \"c2\""), std::string::npos) << json;
}

// A suite's summary line counts solved and agreeing lines; scores give the
// empty squares left at the end to the winner, as suites do; a line that
// takes longer than --time is reported unsolved.
TEST(SuiteSolving, TotalsAndTheEmptySquareConvention) {
  TempDir dir;
  // Black to move: the engine's exact ladder positions with their scores,
  // and a finished board of 63 black discs (+63 counting the empty square
  // for nobody, +64 giving it to the winner).
  const std::string finished = std::string(63, 'X') + "- X; h8:+64";
  const std::string suite =
      "# three lines\n"
      "-0*****---*****--**000*-***000*0***00***0*00*0*--0000*---0000000 X; b1:-28\n"
      "\n" +
      finished + "\n" + "******0---0-**000000*000-00*0*00*00000*0-*-000*0---000*0--0000*0 X; d1:+20\n";
  std::string file = suite;
  for (char& c : file) c = c == '0' ? 'O' : c == '*' ? 'X' : c;
  const ProcessResult run = RunTenu({"solve", dir.Write("suite.txt", file)});
  EXPECT_EQ(run.status, 1) << run.err << run.out;  // the third annotation is wrong
  EXPECT_NE(run.out.find("+64   "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("h8:+64 agree"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("-28"), std::string::npos) << run.out;
  const std::regex summary("solved 3, agree 2/3, nodes [0-9]+, time [0-9.]+ s\n$");
  EXPECT_TRUE(std::regex_search(run.out, summary)) << run.out;
  EXPECT_EQ(RunTenu({"solve", dir.Write("bad.txt", "not a suite line\n")}).status, 2);
  // FFO #41 takes seconds.
  const ProcessResult timed =
      RunTenu({"solve", "--time", "0.05",
               dir.Write("hard.txt", "-OOOOO----OOOOX--OOOOOO-XXXXXOO--XXOOX--OOXOXX----OXXO---OOO--O- X; H4:+0\n")});
  EXPECT_EQ(timed.status, 1);
  EXPECT_NE(timed.out.find("h4:+0 NOT SOLVED in 0.05 s"), std::string::npos) << timed.out;
  EXPECT_NE(timed.out.find("solved 0, agree 0/0"), std::string::npos) << timed.out;
}
