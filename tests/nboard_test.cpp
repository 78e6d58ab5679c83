// tenu nboard: the game-record reader, the command handler, and the program
// as a GUI drives it.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <sstream>

#include "board/rules.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "host/game_analysis.h"
#include "host/move_values.h"
#include "host/nboard_session.h"
#include "host/positions.h"
#include "tests/engine_state.h"
#include "ui/search_limits.h"
#include "tests/host_process.h"
#include "tests/temp_files.h"
#include "tests/test_positions.h"
#include "core/settings.h"

namespace {

const char kStartSquares[] = "---------------------------O*------*O---------------------------";
const std::string kStartBoard = std::string("BO[8 ") + kStartSquares + " *]";

// White to move with no legal move; black has six (b1 c1 d1 b2 a3 c3).
const char kWhitePassesSquares[] = "----****O-OOOO**-O-OO***OOOO*O**OO****O*OO**O***O*O***********O*";
// Every square black: neither side can move.
const std::string kFullSquares(64, '*');

// The position string of a game position, for comparisons with readable failures.
std::string Text(const GamePosition& game) {
  char text[kPositionLength + 1];
  FormatPosition(game.board, game.side, text);
  return text;
}

// A position from 64 GGF squares ('*' black, 'O' white, '-' empty).
GamePosition FromGgfSquares(const std::string& squares, int side) {
  std::string host = squares;
  for (char& c : host) c = c == 'O' ? '0' : c;
  return {BoardFromSquares(host), side};
}

// The position after the moves (squares, or PA), played with the move rules.
GamePosition Played(GamePosition game, const std::vector<std::string>& moves) {
  for (const std::string& move : moves) {
    if (move != "PA") {
      const int square = ParseSquare(move.c_str());
      EXPECT_TRUE(PlayMove(game.board, game.board, square, game.side)) << move;
    }
    game.side = -game.side;
  }
  return game;
}

GamePosition Start() { return FromGgfSquares(kStartSquares, 1); }

// A GGF record of a position with no moves after it.
std::string Record(const GamePosition& game) {
  std::string squares;
  for (int y = 1; y <= 8; ++y) {
    for (int x = 1; x <= 8; ++x) {
      const int8_t code = game.board.cell[SquareIndex(x, y)];
      squares.push_back(code == 1 ? '*' : code == -1 ? 'O' : '-');
    }
  }
  return "(;GM[Othello]PC[tenu test]TY[8]BO[8 " + squares + (game.side == 1 ? " *" : " O") + "];)";
}

bool IsLegalFor(const GamePosition& game, const std::string& move) {
  const int square = ParseSquare(move.c_str());
  return square != 0 && IsLegalMove(game.board, square, game.side);
}

const std::regex kGoAnswer(R"(=== ([A-H][1-8])/(-?[0-9]+\.[0-9]{2})/([0-9]+\.[0-9]{2}))");
const std::regex kSearchLine(R"(search ([A-H][1-8]) (-?[0-9]+\.[0-9]{2}) 0 ([0-9]+))");

}  // namespace

TEST(NBoardGgf, ReadsTheBoardAndPlaysTheMoves) {
  const GamePosition white_passes = FromGgfSquares(kWhitePassesSquares, -1);
  const std::string passes_board = std::string("BO[8 ") + kWhitePassesSquares + " O]";
  struct Case {
    const char* name;
    std::string record;
    GamePosition expected;
  };
  const std::vector<Case> cases = {
      {"a GUI's record with the usual properties",
       "(;GM[Othello]PC[NBoard]DT[2014-02-21 20:52:27 GMT]PB[Player One]PW[Player Two]RE[?]TI[15:00]TY[8]" + kStartBoard +
           "B[F5]W[F6]B[D3]W[C5]B[E6]W[F7]B[E7]W[F4];)",
       Played(Start(), {"f5", "f6", "d3", "c5", "e6", "f7", "e7", "f4"})},
      {"rows apart, lower case, eval and time parts",
       "(;GM[Othello]BO[8 -------- -------- -------- ---O*--- ---*O--- -------- -------- -------- *]"
       "B[f5//1.4]W[f6/-0.50/2.1]B[e6/1];)",
       Played(Start(), {"f5", "f6", "e6"})},
      {"no moves, blanks around properties, other properties skipped",
       "  (; GM[Othello] KM[0] RE[+10.00] C[a \\] in a comment] " + kStartBoard + " ;)",
       Start()},
      {"white to move from the board", std::string("(;BO[8 ") + kStartSquares + " O];)",
       FromGgfSquares(kStartSquares, -1)},
      {"a recorded pass", "(;" + passes_board + "W[PA]B[c1];)", Played(white_passes, {"PA", "c1"})},
      {"a pass in lower case", "(;" + passes_board + "W[pa/0/0]B[B2];)", Played(white_passes, {"PA", "b2"})},
      {"a pass left out of the record", "(;" + passes_board + "B[c1];)", Played(white_passes, {"PA", "c1"})},
      {"a record that ends with a pass", "(;" + passes_board + "W[PA];)", Played(white_passes, {"PA"})},
  };
  for (const Case& c : cases) {
    GamePosition game;
    std::string error;
    ASSERT_TRUE(ParseGgfGame(c.record, game, error)) << c.name << ": " << error;
    EXPECT_EQ(Text(game), Text(c.expected)) << c.name;
  }
}

TEST(NBoardGgf, RejectsBrokenRecordsAndLeavesThePositionAlone) {
  const std::string full = "(;BO[8 " + kFullSquares + " *]";
  struct Case {
    std::string record;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"", "starts with (;"},
      {"GM[Othello]" + kStartBoard + ";)", "starts with (;"},
      {"(;GM[Othello]" + kStartBoard, "does not end with ;)"},
      {"(;GM[Othello]" + kStartBoard + "B[F5]", "does not end with ;)"},
      {"(;GM[Othello]BO[8 -----", "BO[ is not closed"},
      {"(;GM[Othello];)", "no BO[] board"},
      {"(;GM;)", "GM has no [value]"},
      {"(;" + kStartBoard + "?;)", "unexpected '?'"},
      {"(;" + kStartBoard + kStartBoard + ";)", "two BO[] boards"},
      {std::string("(;BO[10 ") + kStartSquares + " *];)", "not an 8x8 board"},
      {std::string("(;BO[8 ") + (kStartSquares + 1) + " *];)", "holds 63 squares"},
      {std::string("(;BO[8 ") + kStartSquares + "- *];)", "holds 65 squares"},
      {std::string("(;BO[8 ") + kStartSquares + "];)", "holds 63 squares"},
      {"(;BO[8   ];)", "holds no squares"},
      {std::string("(;BO[8 ") + kStartSquares + " #];)", "side to move '#'"},
      {std::string("(;BO[8 X") + (kStartSquares + 1) + " *];)", "square 'X'"},
      {"(;B[F5]" + kStartBoard + ";)", "move 1 B[F5]: comes before the BO[] board"},
      {"(;" + kStartBoard + "B[Z9];)", "move 1 B[Z9]: 'Z9' is not a square"},
      {"(;" + kStartBoard + "B[];)", "no move given"},
      {"(;" + kStartBoard + "B[F5]W[A1];)", "move 2 W[A1]: A1 is not a legal move for white"},
      {"(;" + kStartBoard + "B[F5]B[F6];)", "move 2 B[F6]: white is to move"},
      {"(;" + kStartBoard + "W[F5];)", "black is to move"},
      {"(;" + kStartBoard + "B[PA];)", "black has a legal move and may not pass"},
      {std::string("(;BO[8 ") + kWhitePassesSquares + " O]W[B1];)", "white has no legal move and must pass"},
      {full + "B[PA];)", "the game is over"},
      {full + "W[A1];)", "the game is over"},
  };
  const GamePosition before = Played(Start(), {"f5"});
  for (const Case& c : cases) {
    GamePosition game = before;
    std::string error;
    EXPECT_FALSE(ParseGgfGame(c.record, game, error)) << c.record;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.record << " gave: " << error;
    EXPECT_EQ(Text(game), Text(before)) << c.record;
  }
}

TEST(NBoardSession, AnswersTheSimpleCommandsAndIgnoresTheRest) {
  EngineStateGuard guard;
  NBoardSession session;
  struct Case {
    const char* line;
    std::vector<std::string> answer;
  };
  const std::vector<Case> cases = {
      {"nboard 2", {"set myname Tenu"}},
      {"nboard 1", {"set myname Tenu", "status Tenu speaks version 2 of the NBoard protocol"}},
      {"ping 7", {"pong 7"}},
      {"  ping 8 \r", {"pong 8"}},
      {"learn", {"learned"}},
      {"", {}},
      {"   ", {}},
      {"xyzzy", {}},
      {"F5", {}},        // a version 1 move line
      {"GO", {}},        // commands are lower case
      {"set", {}},
      {"set time 10", {}},
      {"set contempt 3", {}},
      {"set contempt x", {"status set contempt takes a number"}},
      {"set contempt", {"status set contempt takes a number"}},
  };
  for (const Case& c : cases) EXPECT_EQ(session.HandleLine(c.line), c.answer) << c.line;
  EXPECT_EQ(session.contempt(), 3);
  EXPECT_EQ(session.HandleLine("set contempt -2.5"), std::vector<std::string>{});
  EXPECT_EQ(session.contempt(), -2.5);
  EXPECT_EQ(Text(session.position()), Text(Start()));
  EXPECT_EQ(EngineSettings.Depth, DefaultSettings().Depth);
}

TEST(NBoardSession, SetDepthTakesSensibleDepthsOnly) {
  EngineStateGuard guard;
  NBoardSession session;
  enum Answer { Taken, Refused, Capped };
  struct Case {
    const char* line;
    Answer answer;
    int depth_after;
  };
  // A depth past the deepest useful search is taken as that one, with a
  // status line: a GUI waiting for a move at depth 60 would wait for ever.
  const int deepest = kDeepestUsefulMidgameDepth;
  const std::vector<Case> cases = {
      {"set depth 7", Taken, 7},         {"set depth 0", Refused, 7},   {"set depth -3", Refused, 7},
      {"set depth x", Refused, 7},       {"set depth", Refused, 7},     {"set depth 7 8", Refused, 7},
      {"set depth 1", Taken, 1},         {"set depth 17", Taken, deepest}, {"set depth 18", Capped, deepest},
      {"set depth 60", Capped, deepest}, {"set depth 3", Taken, 3},     {"set depth 99999999999", Capped, deepest},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> answer = session.HandleLine(c.line);
    const std::string given = std::string(c.line).substr(std::min<size_t>(std::string(c.line).size(), 10));
    switch (c.answer) {
      case Taken: EXPECT_TRUE(answer.empty()) << c.line; break;
      case Refused:
        ASSERT_EQ(answer.size(), 1u) << c.line;
        EXPECT_EQ(answer[0], "status set depth takes a whole number of at least 1; the depth stays " +
                                 std::to_string(c.depth_after))
            << c.line;
        break;
      case Capped:
        ASSERT_EQ(answer.size(), 1u) << c.line;
        EXPECT_EQ(answer[0], "status set depth " + given + " is beyond " + std::to_string(deepest) +
                                 ", the deepest search that answers in useful time; the depth is " +
                                 std::to_string(deepest))
            << c.line;
        break;
    }
    EXPECT_EQ(EngineSettings.Depth, c.depth_after) << c.line;
  }
}

TEST(NBoardSession, MovesAreCheckedAgainstTheRules) {
  EngineStateGuard guard;
  NBoardSession session;
  const std::string passes = Record(FromGgfSquares(kWhitePassesSquares, -1));
  const std::string over = Record(FromGgfSquares(kFullSquares, 1));
  struct Case {
    std::string line;
    const char* rejection;  // null when the move is taken
    std::vector<std::string> played;  // the moves the position holds afterwards, from the last set game
  };
  const std::vector<Case> cases = {
      {"move f5", nullptr, {"f5"}},
      {"move F6/0.50/1.25", nullptr, {"f5", "f6"}},
      {"move e6//", nullptr, {"f5", "f6", "e6"}},
      {"move e6", "E6 is not a legal move for white", {"f5", "f6", "e6"}},
      {"move A1", "A1 is not a legal move for white", {"f5", "f6", "e6"}},
      {"move z9", "'z9' is not a square", {"f5", "f6", "e6"}},
      {"move f", "'f' is not a square", {"f5", "f6", "e6"}},
      {"move PA", "white has a legal move and may not pass", {"f5", "f6", "e6"}},
      {"move", "move needs a move", {"f5", "f6", "e6"}},
      {"move /1.0", "no move given", {"f5", "f6", "e6"}},
      {"set game " + passes, nullptr, {}},
      {"move B1", "white has no legal move and must pass", {}},
      {"move pa/0/0", nullptr, {"PA"}},
      {"move PA", "black has a legal move and may not pass", {"PA"}},
      {"move c1", nullptr, {"PA", "c1"}},
      {"set game " + over, nullptr, {}},
      {"move PA", "the game is over", {}},
      {"move A1", "the game is over", {}},
  };
  GamePosition base = Start();
  for (const Case& c : cases) {
    if (c.line.rfind("set game ", 0) == 0) {
      std::string error;
      ASSERT_TRUE(ParseGgfGame(c.line.substr(9), base, error)) << c.line << ": " << error;
    }
    const std::vector<std::string> answer = session.HandleLine(c.line);
    if (c.rejection == nullptr) {
      EXPECT_TRUE(answer.empty()) << c.line << ": " << (answer.empty() ? "" : answer[0]);
    } else {
      ASSERT_EQ(answer.size(), 1u) << c.line;
      EXPECT_EQ(answer[0].rfind("status ", 0), 0u) << answer[0];
      EXPECT_NE(answer[0].find(c.rejection), std::string::npos) << answer[0];
      EXPECT_NE(answer[0].find("the position is unchanged"), std::string::npos) << answer[0];
    }
    EXPECT_EQ(Text(session.position()), Text(Played(base, c.played))) << c.line;
  }
}

TEST(NBoardSession, GoAnswersTheEngineMoveAndLeavesTheBoard) {
  EngineStateGuard guard;
  std::mt19937 rng(20240611);
  std::vector<GamePosition> positions = {Start(), Played(Start(), {"f5"}), FromGgfSquares(kWhitePassesSquares, 1)};
  for (int plies : {12, 25, 38}) {
    GamePosition game;
    game.board = RandomGamePosition(rng, plies, game.side);
    if (CanMove(game.board, game.side)) positions.push_back(game);
  }
  for (const GamePosition& game : positions) {
    NBoardSession session;
    ASSERT_TRUE(session.HandleLine("set game " + Record(game)).empty());
    const std::vector<std::string> answer = session.HandleLine("go");
    ASSERT_FALSE(answer.empty());
    std::smatch match;
    ASSERT_TRUE(std::regex_match(answer.back(), match, kGoAnswer)) << answer.back();
    for (size_t k = 0; k + 1 < answer.size(); ++k) EXPECT_EQ(answer[k].rfind("status ", 0), 0u) << answer[k];
    EXPECT_EQ(Text(session.position()), Text(game)) << "go must not play the move";

    // The move is the engine's reply for the position, the evaluation that
    // move's value in discs.
    char position[kPositionLength + 1];
    FormatPosition(game.board, game.side, position);
    const std::string reply = LumThink(nullptr, position);
    EXPECT_EQ(match[1].str() + "|", reply.substr(0, 3)) << reply;
    const MoveValue value = ValueMove(ModuleRequest(), game.board, game.side, ReplySquare(reply.c_str()));
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.2f", value.discs);
    EXPECT_EQ(match[2].str(), expected) << reply;
  }
}

TEST(NBoardSession, GoInTheEndgameGivesTheExactResultForTheSideToMove) {
  EngineStateGuard guard;
  std::mt19937 rng(77);
  int checked[2] = {0, 0};
  for (int attempt = 0; attempt < 200 && (checked[0] < 2 || checked[1] < 2); ++attempt) {
    GamePosition game;
    game.board = RandomGamePosition(rng, 51 + attempt % 4, game.side);
    const int empties = 64 - CountDiscs(game.board, 1) - CountDiscs(game.board, -1);
    if (empties < 6 || empties > 9 || !CanMove(game.board, game.side)) continue;
    int& count = checked[game.side == 1 ? 0 : 1];
    if (count >= 2) continue;
    ++count;
    NBoardSession session;
    session.HandleLine("set game " + Record(game));
    const std::vector<std::string> answer = session.HandleLine("go");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(answer.back(), match, kGoAnswer)) << answer.back();
    const int black_view = PerfectPlay(game.board, game.side);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.2f", static_cast<double>(game.side * black_view));
    EXPECT_EQ(match[2].str(), expected) << Record(game);
  }
  EXPECT_EQ(checked[0], 2);
  EXPECT_EQ(checked[1], 2);
}

TEST(NBoardSession, GoWithoutALegalMove) {
  EngineStateGuard guard;
  NBoardSession session;
  const GamePosition passes = FromGgfSquares(kWhitePassesSquares, -1);
  session.HandleLine("set game " + Record(passes));
  EXPECT_EQ(session.HandleLine("go"), std::vector<std::string>{"=== PA"});
  EXPECT_EQ(Text(session.position()), Text(passes));

  session.HandleLine("set game " + Record(FromGgfSquares(kFullSquares, 1)));
  EXPECT_EQ(session.HandleLine("go"), std::vector<std::string>{"status the game is over; there is no move to give"});
}

TEST(NBoardSession, ProgressGoesOutAsStatusLinesOnlyWhenOn) {
  EngineStateGuard guard;
  for (int show : {1, 0}) {
    EngineSettings.ShowProgress = show;
    std::vector<std::string> sent;
    NBoardSession session([&](const std::string& line) { sent.push_back(line); });
    const std::vector<std::string> answer = session.HandleLine("go");
    EXPECT_EQ(sent, answer) << "every line goes to the sink as well";
    int progress = 0;
    const std::regex start(R"(status Searching, starting with [a-h][1-8] \(depth 5\)\.)");
    for (const std::string& line : answer) progress += std::regex_match(line, start);
    EXPECT_EQ(progress, show) << show;
    if (show == 0) {
      EXPECT_EQ(answer.size(), 2u) << "the remark in English and the move";
    }
    EXPECT_TRUE(std::regex_match(answer.back(), kGoAnswer)) << answer.back();
    // Hints score moves without a think: no progress.
    EXPECT_EQ(session.HandleLine("hint 1").size(), 2u);
  }
}

TEST(NBoardSession, HintListsLegalMovesBestFirst) {
  EngineStateGuard guard;
  std::mt19937 rng(5);
  struct Case {
    GamePosition game;
    const char* setup;
    long long asked;
    int depth;
  };
  // A random position with this many empty squares and a move to make.
  auto with_empties = [&rng](int empties) {
    GamePosition game;
    for (int attempt = 0; attempt < 100; ++attempt) {
      game.board = RandomGamePosition(rng, 60 - empties, game.side);
      if (64 - CountDiscs(game.board, 1) - CountDiscs(game.board, -1) == empties && CanMove(game.board, game.side)) {
        break;
      }
    }
    EXPECT_EQ(64 - CountDiscs(game.board, 1) - CountDiscs(game.board, -1), empties);
    return game;
  };
  // The depth is the think's for the position: Depth, one more within 28
  // empty squares; a solve reads the empty squares left after the move.
  const std::vector<Case> cases = {
      {Start(), "", 3, 5},
      {Start(), "", 10, 5},                               // more asked than there are moves
      {Start(), "set depth 3", 2, 3},                     // the GUI's depth
      {Played(Start(), {"f5", "f6", "e6"}), "", 20, 5},   // white to move
      {with_empties(29), "", 20, 5},
      {with_empties(28), "", 20, 6},
      {with_empties(24), "", 20, 6},
      {with_empties(14), "", 20, 13},                     // the win/loss/draw band, solved exactly
      {with_empties(9), "", 20, 8},                       // solved exactly
  };
  for (const Case& c : cases) {
    EngineSettings.Depth = DefaultSettings().Depth;
    NBoardSession session;
    session.HandleLine(c.setup);
    session.HandleLine("set game " + Record(c.game));
    const std::vector<std::string> answer = session.HandleLine("hint " + std::to_string(c.asked));
    const std::vector<MoveValue> legal = ValueLegalMoves(ModuleRequest(), c.game.board, c.game.side).moves;
    const size_t expected = std::min<size_t>(legal.size(), static_cast<size_t>(c.asked));
    ASSERT_EQ(answer.size(), expected + 1) << Record(c.game);
    EXPECT_EQ(answer.back(), "status");
    std::vector<std::string> seen;
    double previous = 1e9;
    for (size_t k = 0; k < expected; ++k) {
      std::smatch match;
      ASSERT_TRUE(std::regex_match(answer[k], match, kSearchLine)) << answer[k];
      const std::string move = match[1];
      EXPECT_TRUE(IsLegalFor(c.game, move)) << answer[k];
      EXPECT_EQ(std::find(seen.begin(), seen.end(), move), seen.end()) << answer[k];
      seen.push_back(move);
      const double eval = std::stod(match[2]);
      EXPECT_LE(eval, previous) << answer[k];
      previous = eval;
      // The value of that move for the side to move, in discs.
      const MoveValue value = ValueMove(ModuleRequest(), c.game.board, c.game.side, ParseSquare(move.c_str()));
      char text[32];
      std::snprintf(text, sizeof text, "%.2f", value.discs);
      EXPECT_EQ(match[2].str(), text == std::string("-0.00") ? "0.00" : text) << answer[k];
      EXPECT_EQ(std::stoi(match[3]), c.depth) << answer[k];
    }
    // No legal move left out scores better than the last one listed.
    for (const MoveValue& entry : legal) {
      char square[3];
      FormatSquareUpper(entry.square, square);
      if (std::find(seen.begin(), seen.end(), square) == seen.end()) {
        EXPECT_LE(entry.discs, previous + 0.005) << square;
      }
    }
  }
}

TEST(NBoardSession, HintWithoutMovesOrWithABadCount) {
  EngineStateGuard guard;
  NBoardSession session;
  for (const char* line : {"hint", "hint 0", "hint x", "hint -1"}) {
    EXPECT_EQ(session.HandleLine(line), std::vector<std::string>{"status hint takes a number of moves, at least 1"})
        << line;
  }
  session.HandleLine("set game " + Record(FromGgfSquares(kWhitePassesSquares, -1)));
  EXPECT_EQ(session.HandleLine("hint 5"), std::vector<std::string>{"status white has no legal move and must pass"});
  session.HandleLine("set game " + Record(FromGgfSquares(kFullSquares, -1)));
  EXPECT_EQ(session.HandleLine("hint 5"), std::vector<std::string>{"status the game is over"});
}

TEST(NBoardSession, ABrokenSetGameKeepsTheGameBeingPlayed) {
  EngineStateGuard guard;
  NBoardSession session;
  const GamePosition game = Played(Start(), {"f5", "d6", "c3", "d3", "c4"});
  session.HandleLine("set game (;GM[Othello]" + kStartBoard + "B[F5]W[D6]B[C3]W[D3]B[C4];)");
  ASSERT_EQ(Text(session.position()), Text(game));
  const std::string first = session.HandleLine("go").back();
  for (const std::string& broken : {std::string("(;GM[Othello]BO[8 ---"), "(;" + kStartBoard + "B[F5]W[F5];)",
                                    std::string("nonsense"), std::string("")}) {
    const std::vector<std::string> answer = session.HandleLine("set game " + broken);
    ASSERT_EQ(answer.size(), 1u) << broken;
    EXPECT_EQ(answer[0].rfind("status set game rejected: ", 0), 0u) << answer[0];
    EXPECT_NE(answer[0].find("; the position is unchanged"), std::string::npos) << answer[0];
    EXPECT_EQ(Text(session.position()), Text(game)) << broken;
    EXPECT_EQ(session.HandleLine("go").back().substr(0, 6), first.substr(0, 6)) << broken;
  }
}

namespace {

int NextPing = 1;

// What a GUI sees of one go: the lines up to the pong of the ping sent after
// it, which must come after the move.
std::vector<std::string> AskForMove(TenuSession& session) {
  const std::string ping = "pong " + std::to_string(NextPing);
  session.Send("go");
  session.Send("ping " + std::to_string(NextPing++));
  std::vector<std::string> lines = Lines(session.ReadUntil(ping + "\n"));
  EXPECT_FALSE(session.closed());
  EXPECT_FALSE(lines.empty());
  if (!lines.empty()) {
    EXPECT_EQ(lines.back(), ping);
    lines.pop_back();
  }
  return lines;
}

struct PlayedOut {
  int engine_moves = 0;
  int engine_passes = 0;
  int gui_passes = 0;
};

// Plays the game from the position the session holds to its end, as a GUI
// does: go and move for the engine's colour, its own legal moves for the other.
void PlayOut(TenuSession& session, GamePosition game, int engine_colour, std::mt19937& rng, PlayedOut& out) {
  for (int ply = 0; ply < 130; ++ply) {
    const bool can_move = CanMove(game.board, game.side);
    if (!can_move && !CanMove(game.board, -game.side)) break;
    if (game.side == engine_colour) {
      const std::vector<std::string> lines = AskForMove(session);
      ASSERT_FALSE(lines.empty());
      for (size_t k = 0; k + 1 < lines.size(); ++k) {
        EXPECT_EQ(lines[k].rfind("status ", 0), 0u) << lines[k];
        EXPECT_EQ(lines[k].find("rejected"), std::string::npos) << lines[k];
      }
      const std::string& answer = lines.back();
      if (answer == "=== PA") {
        EXPECT_FALSE(can_move) << Record(game);
        session.Send("move PA");
        game.side = -game.side;
        ++out.engine_passes;
        continue;
      }
      std::smatch match;
      ASSERT_TRUE(std::regex_match(answer, match, kGoAnswer)) << answer;
      ASSERT_TRUE(IsLegalFor(game, match[1])) << answer << " in " << Record(game);
      game = Played(game, {match[1]});
      session.Send("move " + answer.substr(4));  // the GUI sends the move back with its eval and time
      ++out.engine_moves;
    } else if (!can_move) {
      session.Send("move PA");
      game.side = -game.side;
      ++out.gui_passes;
    } else {
      std::vector<int> moves;
      for (int s = kFirstSquare; s <= kLastSquare; ++s) {
        if (IsLegalMove(game.board, s, game.side)) moves.push_back(s);
      }
      const int s = moves[std::uniform_int_distribution<size_t>(0, moves.size() - 1)(rng)];
      char text[3];
      FormatSquareLower(s, text);
      game = Played(game, {text});
      session.Send(std::string("move ") + text);
    }
  }
  // At the end neither side can move, in the session as well.
  EXPECT_EQ(AskForMove(session), std::vector<std::string>{"status the game is over; there is no move to give"});
}

}  // namespace

TEST(NBoardProgram, PlaysWholeGamesWithPassesEitherWay) {
  TenuSession session({"nboard"});
  session.Send("nboard 2");
  EXPECT_EQ(session.ReadUntil("\n"), "set myname Tenu\n");
  session.Send("set depth 4");
  session.Send("xyzzy");
  std::mt19937 rng(11);
  const GamePosition white_passes = FromGgfSquares(kWhitePassesSquares, -1);
  struct Game {
    const char* name;
    GamePosition start;
    int engine;
    int engine_passes_at_least;
    int gui_passes_at_least;
  };
  const std::vector<Game> games = {
      {"from the start, the engine white", Start(), -1, 0, 0},
      {"from the start, the engine black", Start(), 1, 0, 0},
      {"the engine must pass at once", white_passes, -1, 1, 0},
      {"the GUI must pass at once", white_passes, 1, 0, 1},
  };
  for (const Game& game : games) {
    SCOPED_TRACE(game.name);
    session.Send("set game " + Record(game.start));
    PlayedOut out;
    PlayOut(session, game.start, game.engine, rng, out);
    if (HasFatalFailure()) return;
    EXPECT_GT(out.engine_moves, 0);
    EXPECT_GE(out.engine_passes, game.engine_passes_at_least);
    EXPECT_GE(out.gui_passes, game.gui_passes_at_least);
  }
  session.CloseInput();
  EXPECT_EQ(session.ReadUntil("never written"), "");
  EXPECT_EQ(session.Wait(), 0);
}

// What a GUI reads: standard output and standard error as one stream of
// protocol lines, each byte taken as a character (a GUI's reader may stop
// at one it cannot show). A whole game with the progress on, a book move
// (whose remark is Japanese), stored settings that warn and bytes past
// ASCII from the GUI's side must give printable ASCII lines of the
// protocol, and nothing else.
TEST(NBoardProgram, AGuiReadsEveryLineOfAWholeGame) {
  TempDir dir;
  const std::string book = dir.Write("book.txt", "f5 d6 c3\n");
  const std::string store = dir.Write("Tenu.reg", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\VellSofts\\LUM\\Tenu]\n"
                                                  "\"Depth\"=dword:00000012\n");
  TenuSession session({"nboard", "--progress", "--book", book}, store, TenuSession::MergeErrors);
  for (const std::string& line : {std::string("nboard 2"), std::string("set depth 60"), std::string("set depth 3"),
                                  std::string("move \xE3\x81\x82"), std::string("ping \xFF\x01"),
                                  std::string(1100000, 'x'), std::string("hint 99999999999"), std::string("ping 500")}) {
    session.Send(line);
  }
  const std::string opening = session.ReadUntil("pong 500\n");
  for (const std::string& expected :
       {std::string("status warning: Depth (the midgame search depth) 18 is above 17"),
        std::string("status set depth 60 is beyond 17, the deepest search that answers in useful time; the depth is 17"),
        std::string("status move ??" "? rejected: '??" "?' is not a square"), std::string("pong ??\n"),
        std::string("status line 6 is longer than the 1 MiB a command may have; it is skipped\n")}) {
    EXPECT_NE(opening.find(expected), std::string::npos) << expected << " in\n" << opening;
  }
  std::mt19937 rng(3);
  PlayedOut out;
  PlayOut(session, Start(), 1, rng, out);
  session.Send("analyze");
  session.Send("ping 501");
  session.ReadUntil("pong 501\n");
  session.CloseInput();
  session.ReadUntil("never written");
  EXPECT_EQ(session.Wait(), 0);

  const std::string& all = session.transcript();
  for (size_t k = 0; k < all.size(); ++k) {
    ASSERT_TRUE(all[k] == '\n' || (all[k] >= 0x20 && all[k] <= 0x7E)) << "byte " << k << " in\n" << all.substr(0, k + 1);
  }
  const std::regex protocol(
      R"(set myname Tenu|status( .+)?|=== [A-H][1-8]/-?[0-9]+\.[0-9]{2}/[0-9]+\.[0-9]{2}|=== PA|)"
      R"(search [A-H][1-8] -?[0-9]+\.[0-9]{2} 0 [0-9]+|pong( \S+)?|analysis [0-9]+ -?[0-9]+\.[0-9]{2})");
  int searches = 0;
  for (const std::string& line : Lines(all)) {
    EXPECT_TRUE(std::regex_match(line, protocol)) << line;
    searches += line.rfind("search ", 0) == 0;
  }
  EXPECT_EQ(searches, 4) << "hint 99999999999 gives every legal move";
  EXPECT_NE(all.find("status Searching, starting with "), std::string::npos);
  EXPECT_NE(all.find("=== F5/0.00/"), std::string::npos) << "the book's move";
}

TEST(NBoardProgram, BadInputGetsAStatusAndTheSessionGoesOn) {
  const std::string game = "set game (;GM[Othello]PC[NBoard]PB[a]PW[b]RE[?]TI[5:00]TY[8]" + kStartBoard + "B[F5];)";
  const ProcessResult run = RunTenu({"nboard"}, "nboard 2\n" + game +
                                                    "\ngo\n"
                                                    "set game (;GM[Othello]BO[8 ---;)\n"
                                                    "go\n"
                                                    "move A1\n"
                                                    "move q\n"
                                                    "go\n"
                                                    "what is this\n"
                                                    "hint 2\n"
                                                    "ping 42\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "set myname Tenu");
  EXPECT_EQ(lines.back(), "pong 42");
  std::vector<std::string> moves, rejections, hints;
  for (const std::string& line : lines) {
    if (line.rfind("=== ", 0) == 0) {
      EXPECT_TRUE(std::regex_match(line, kGoAnswer)) << line;
      moves.push_back(line.substr(0, 6));
    }
    if (line.find("rejected") != std::string::npos) rejections.push_back(line);
    if (line.rfind("search ", 0) == 0) hints.push_back(line);
  }
  ASSERT_EQ(moves.size(), 3u) << run.out;
  EXPECT_EQ(moves[1], moves[0]);
  EXPECT_EQ(moves[2], moves[0]);
  ASSERT_EQ(rejections.size(), 3u) << run.out;
  EXPECT_EQ(rejections[0].rfind("status set game rejected: ", 0), 0u);
  EXPECT_EQ(rejections[1], "status move A1 rejected: A1 is not a legal move for white; the position is unchanged");
  EXPECT_EQ(rejections[2], "status move q rejected: 'q' is not a square; the position is unchanged");
  EXPECT_EQ(hints.size(), 2u) << run.out;
}

TEST(NBoardProgram, TheFirstMoveComesFromTheBook) {
  TempDir dir;
  const std::string book = dir.Write("book.txt", "f5 f6 d3\n");
  const std::string input = "nboard 2\nset game (;GM[Othello]" + kStartBoard + ";)\ngo\nmove F5\nmove F6\ngo\n";
  // Without the book the engine's search plays other moves, so the answers below are the book's.
  const ProcessResult searched = RunTenu({"nboard"}, input);
  ASSERT_EQ(searched.out.find("=== F5/"), std::string::npos) << searched.out;
  ASSERT_EQ(searched.out.find("=== D3/"), std::string::npos) << searched.out;
  const ProcessResult run = RunTenu({"nboard", "--book", book}, input);
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 5u) << run.out;
  EXPECT_EQ(lines[1], "status By the book");
  EXPECT_EQ(lines[2].substr(0, 12), "=== F5/0.00/") << lines[2];
  EXPECT_EQ(lines[3], "status By the book");
  EXPECT_EQ(lines[4].substr(0, 12), "=== D3/0.00/") << lines[4];
}

TEST(NBoardProgram, ProgressLinesAreStatusLinesInEnglish) {
  const std::string input = "nboard 2\nset game (;GM[Othello]" + kStartBoard + "B[F5];)\ngo\n";
  const ProcessResult on = RunTenu({"nboard", "--progress"}, input);
  const ProcessResult off = RunTenu({"nboard", "--no-progress"}, input);
  for (const ProcessResult* run : {&on, &off}) {
    EXPECT_EQ(run->status, 0);
    const std::vector<std::string> lines = Lines(run->out);
    ASSERT_GE(lines.size(), 2u) << run->out;
    EXPECT_EQ(lines.front(), "set myname Tenu");
    EXPECT_TRUE(std::regex_match(lines.back(), kGoAnswer)) << lines.back();
    for (size_t k = 1; k + 1 < lines.size(); ++k) EXPECT_EQ(lines[k].rfind("status ", 0), 0u) << lines[k];
  }
  EXPECT_NE(on.out.find("status Searching, starting with "), std::string::npos) << on.out;
  EXPECT_NE(on.out.find("status Looking at "), std::string::npos) << on.out;
  EXPECT_NE(on.out.find("status Ordering the moves (KMH, depth 3)...\n"), std::string::npos) << on.out;
  for (const std::string& line : Lines(on.out)) {
    for (char c : line) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << line;
  }
  EXPECT_EQ(Lines(off.out).size(), 3u) << off.out;
}

TEST(NBoardProgram, OptionsAndEndOfInput) {
  const ProcessResult quiet = RunTenu({"nboard", "--level", "weak"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, "");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"nboard", "--sideways"}, {"nboard", "--depth"}, {"nboard", "--level", "huge"},
        {"nboard", "f5"}}) {
    const ProcessResult run = RunTenu(args, "nboard 2\n");
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.out, "") << args.back();
    EXPECT_EQ(run.err.rfind("tenu nboard: ", 0), 0u) << run.err;
  }
  EXPECT_NE(RunTenu({"--help"}).out.find("  nboard [engine options]"), std::string::npos);
}

// analyze: one line per position of the game, the last first, each the
// evaluation for the side to move of the game's analysis graph (the start:
// its first mover's best); a position without moves made whose side must
// pass gets its opponent's evaluation turned round, a finished one its disc
// difference.
TEST(NBoardSession, AnalyzeJudgesEveryPositionFromTheEndBackwards) {
  EngineStateGuard guard;
  EngineSettings.Depth = 2;
  NBoardSession session;
  session.HandleLine("set game (;GM[Othello]" + kStartBoard + "B[F5]W[F6]B[E6]W[F4];)");
  session.HandleLine("move e3");
  const std::vector<std::string> moves = {"f5", "f6", "e6", "f4", "e3"};
  PlayedGame game = StartedGame();
  std::string error;
  ASSERT_TRUE(PlayGameRecord("f5 f6 e6 f4 e3", game, error));
  const GameAnalysis analysis = AnalyseGame(game, MarkThresholds{}, nullptr);
  std::vector<std::string> lines = session.HandleLine("analyze");
  ASSERT_EQ(lines.size(), moves.size() + 2);
  EXPECT_EQ(lines.back(), "status");
  const std::regex line(R"(analysis ([0-9]+) (-?[0-9]+\.[0-9]{2}))");
  for (size_t k = 0; k <= moves.size(); ++k) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[k], m, line)) << lines[k];
    const size_t made = moves.size() - k;
    EXPECT_EQ(std::stoul(m[1]), made);
    const int to_move = made % 2 == 0 ? 1 : -1;
    const double black_view =
        made == 0 ? analysis.moves[0].best_eval : analysis.moves[made - 1].after_eval;
    EXPECT_NEAR(std::stod(m[2]), black_view * to_move, 0.005) << lines[k];
  }
  const GamePosition passing = FromGgfSquares(kWhitePassesSquares, -1);
  session.HandleLine("set game " + Record(passing));
  lines = session.HandleLine("analyze");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NEAR(std::stod(lines[0].substr(11)), -JudgePosition(passing.board, 1).eval, 0.005) << lines[0];
  session.HandleLine("set game " + Record(FromGgfSquares(kFullSquares, -1)));
  EXPECT_EQ(session.HandleLine("analyze")[0], "analysis 0 -64.00");
}
