// Whole games from the reference table, replayed through the think driver in
// order so that the commentary's memory carries from move to move.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "commentary/commentary.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "engine/texts.h"
#include "engine/think.h"
#include "tests/engine_state.h"
#include "tests/fixture_reader.h"
#include "core/settings.h"

namespace {

std::string RemarkClass(const char* message) {
  if (std::strcmp(message, kSingleSquareMessage) == 0) return "ONE";
  for (int row = 0; row < kRemarkRows; ++row) {
    for (int column = 0; column < kRemarkColumns; ++column) {
      if (std::strcmp(message, MoveRemarks[row][column]) == 0) return std::string(1, 'R').append(1, static_cast<char>('1' + row));
    }
  }
  for (int k = 0; k < kScoreRemarks; ++k) {
    if (std::strcmp(message, ScoreRemarks[k]) == 0) return std::string(1, 'S').append(1, static_cast<char>('1' + k));
  }
  return "?";
}

void ApplyFixtureSettings(const std::string& settings) {
  std::istringstream in(settings);
  char comma = 0;
  EngineSettings = DefaultSettings();
  in >> EngineSettings.Depth >> comma >> EngineSettings.KansakiDepth >> comma >> EngineSettings.HisshoDepth >>
      comma >> EngineSettings.MaemukiCut;
}

}  // namespace

TEST(ThinkReference, EveryGameReplaysMoveForMove) {
  const auto rows = ReadFixture("think.tsv");
  ASSERT_GT(rows.size(), 1000u);
  EngineStateGuard guard;
  std::string game;
  for (const FixtureRow& row : rows) {
    if (row.at("game") != game) {
      game = row.at("game");
      ResetEngineState();
      ApplyFixtureSettings(row.at("settings"));
    }
    SCOPED_TRACE("game " + game + " " + row.at("position"));
    Board board;
    int side = 0;
    ASSERT_EQ(ParsePosition(row.at("position").c_str(), &side, &board), 1);
    int x = -1;
    int y = 0;
    int score = 0;
    const char* message = ChooseMove(ModuleRequest(), board, side, &x, &y, &score);
    ASSERT_GE(x, 1);
    const char square[3] = {static_cast<char>('A' + x - 1), static_cast<char>('0' + y), '\0'};
    EXPECT_EQ(square, row.at("square"));
    EXPECT_EQ(score, std::stoi(row.at("score")));
    EXPECT_EQ(RemarkClass(message), row.at("remark"));
    const std::string reply = FormatReply(x, y, message, score);
    EXPECT_EQ(reply.substr(reply.rfind('|') + 1), row.at("evaluation"));
  }
}
