// The remark choice: recognising the opponent's move, the thresholds of the
// rows and of the score-only remarks, and the one random draw.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "board/rules.h"
#include "commentary/commentary.h"
#include "tests/engine_state.h"

namespace {

// The engine (black) has just played; white answered with d3... set up so
// that `current` follows from `last` by one white move.
struct Scene {
  Board last;
  Board current;
  Board after;
};

Scene RecognisedScene() {
  Scene scene;
  SetStartPosition(scene.last);  // as left after the engine's previous move
  EXPECT_EQ(PlayMove(scene.last, scene.current, SquareIndex(4, 6), -1), 1);  // white d6
  EXPECT_EQ(PlayMove(scene.current, scene.after, SquareIndex(3, 6), 1), 1);  // black c6... any legal reply
  return scene;
}

std::string Comment(const Scene& scene, int last_score, int score, unsigned seed) {
  std::memcpy(Commentary.LastBoard.cell, scene.last.cell, sizeof scene.last.cell);
  Commentary.LastScore = last_score;
  std::srand(seed);
  char out[256];
  MakeComment(scene.current, scene.after, 1, out, score);
  return out;
}

int ColumnFor(unsigned seed) {
  std::srand(seed);
  return std::rand() % 3;
}

}  // namespace

TEST(Commentary, RowsAndTheirBoundaries) {
  EngineStateGuard guard;
  const Scene scene = RecognisedScene();
  struct Case {
    int last_score, score;
    int row;  // 0..5, or -1 for a score-only remark
  };
  const Case cases[] = {
      {0, 101, 0},       // c = 101, score 101
      {-200, -99, 0},    // c = 101, score -99
      {-201, -100, -1},  // c = 101, score -100: rows fail, "behind"
      {0, 100, 1},       // c = 100 is not row 1; row 2 as score > -30
      {-131, -31, -1},   // c = 100, score -31: rows 2 and 3 fail on the score
      {0, 31, 1},        // c = 31
      {0, 6, 2},         // c = 6
      {-10, -5, -1},     // c = 5: no row
      {5, 0, -1},        // c = -5: no row
      {0, -5, -1},       // c = -5
      {15, 9, 5},        // c = -6, score 9: row 6
      {16, 10, -1},      // c = -6, score 10: score-only "even"
      {0, -31, 4},       // c = -31
      {0, -101, 3},      // c = -101, score -101 < 100
      {300, 150, -1},    // c = -150, score 150: rows 4 to 6 fail on the score
      {300, 9999, 0},    // a proved win after a midgame score of 300
  };
  for (const Case& c : cases) {
    for (unsigned seed : {1u, 2u, 3u, 12345u}) {
      const std::string remark = Comment(scene, c.last_score, c.score, seed);
      const std::string expected =
          c.row >= 0 ? MoveRemarks[c.row][ColumnFor(seed)] : ScoreOnlyRemark(c.score);
      EXPECT_EQ(remark, expected) << c.last_score << " -> " << c.score;
    }
  }
}

TEST(Commentary, ScoreOnlyBoundaries) {
  struct Case {
    int score;
    int remark;
  };
  const Case cases[] = {{-121, 0}, {-120, 1}, {-51, 1}, {-50, 4}, {0, 4}, {50, 4}, {51, 3}, {120, 3}, {121, 2},
                        {9999, 2}, {-9999, 0}};
  for (const Case& c : cases) EXPECT_EQ(ScoreOnlyRemark(c.score), ScoreRemarks[c.remark]) << c.score;
}

TEST(Commentary, DrawsOneNumberExactlyWhenTheMoveIsRecognised) {
  EngineStateGuard guard;
  const Scene scene = RecognisedScene();
  char out[256];

  // Recognised, change too small: a draw happens anyway.
  std::memcpy(Commentary.LastBoard.cell, scene.last.cell, sizeof scene.last.cell);
  Commentary.LastScore = 0;
  std::srand(77);
  MakeComment(scene.current, scene.after, 1, out, 2);
  const int next_after_draw = std::rand();
  std::srand(77);
  std::rand();
  EXPECT_EQ(next_after_draw, std::rand());

  // Not recognised (the opponent passed: the board is unchanged): no draw.
  std::memcpy(Commentary.LastBoard.cell, scene.current.cell, sizeof scene.current.cell);
  std::srand(77);
  MakeComment(scene.current, scene.after, 1, out, 500);
  const int next_without_draw = std::rand();
  std::srand(77);
  EXPECT_EQ(next_without_draw, std::rand());
  EXPECT_EQ(std::string(out), ScoreRemarks[2]);
}

TEST(Commentary, MemoryIsUpdatedOnEveryCall) {
  EngineStateGuard guard;
  const Scene scene = RecognisedScene();
  char out[256];
  // First call after load: nothing remembered, score-only, then remembered.
  MakeComment(scene.current, scene.after, 1, out, -60);
  EXPECT_EQ(std::string(out), ScoreRemarks[1]);
  EXPECT_EQ(std::memcmp(Commentary.LastBoard.cell, scene.after.cell, sizeof scene.after.cell), 0);
  EXPECT_EQ(Commentary.LastScore, -60);
  // The engine as white: the opponent is black.
  Board white_last;
  SetStartPosition(white_last);
  Board black_moved;
  ASSERT_EQ(PlayMove(white_last, black_moved, SquareIndex(6, 5), 1), 1);  // f5
  std::memcpy(Commentary.LastBoard.cell, white_last.cell, sizeof white_last.cell);
  Commentary.LastScore = 0;
  std::srand(5);
  MakeComment(black_moved, black_moved, -1, out, 200);
  EXPECT_EQ(std::string(out), MoveRemarks[0][ColumnFor(5)]);
  std::memcpy(Commentary.LastBoard.cell, white_last.cell, sizeof white_last.cell);
  Commentary.LastScore = 0;
  std::srand(5);
  MakeComment(black_moved, black_moved, 0xFF, out, 200);  // the same colour by its low byte
  EXPECT_EQ(std::string(out), MoveRemarks[0][ColumnFor(5)]);
}
