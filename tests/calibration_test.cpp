// The calibration of the midgame values in discs.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "engine/root.h"
#include "host/calibration.h"
#include "host/records.h"
#include "search/search.h"
#include "tests/test_positions.h"

namespace {

int Sign(double value) { return value > 0 ? 1 : value < 0 ? -1 : 0; }

}  // namespace

TEST(Calibration, IncreasesWithTheValueAtEveryDepthAndStage) {
  for (int depth = 0; depth <= 12; ++depth) {
    const DepthCalibration& calibration = CalibrationForDepth(depth);
    EXPECT_EQ(calibration.depth % 2, depth % 2) << "the tempo bias flips with the depth's parity";
    for (int empties : {1, 9, 12, 15, 19, 28, 33, 47, 54, 59}) {
      double previous = -64;
      for (int value = -3000; value <= 3000; value += 25) {
        const double discs = CalibratedDiscs(calibration, value, empties);
        EXPECT_GE(discs, previous) << depth << " " << empties << " " << value;
        previous = discs;
      }
      EXPECT_GT(CalibratedDiscs(calibration, 400, empties), CalibratedDiscs(calibration, -400, empties));
      EXPECT_EQ(CalibratedDiscs(calibration, kGameWon, empties), 64);
      EXPECT_EQ(CalibratedDiscs(calibration, -kGameWon, empties), -64);
    }
  }
}

// Solved positions of games the fit never saw, valued as the hints and the
// analysis value a move at the default settings: the error per stage stays
// near the documented one (the margin allows for the small sample).
TEST(Calibration, WithinItsDocumentedErrorOnHeldOutSolvedPositions) {
  std::ifstream in(std::string(TENU_TEST_DATA) + "/calibration-heldout.tsv");
  ASSERT_TRUE(in);
  struct Total {
    int samples = 0;
    double abs_error = 0;
    int right = 0;
    int decided = 0;
  };
  std::map<const CalibrationError*, Total> totals;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string game, empties_text, position_text, result_text;
    std::getline(fields, game, '\t');
    std::getline(fields, empties_text, '\t');
    std::getline(fields, position_text, '\t');
    std::getline(fields, result_text, '\t');
    SuiteLine position;
    std::string error;
    ASSERT_TRUE(ParseSuiteLine(position_text, position, error)) << line;
    const int empties = std::stoi(empties_text);
    ASSERT_EQ(EmptiesOf(position.board).count, empties);
    // The side that moved into this position, and its value at the depth a
    // think searches that move with.
    Board mover;
    NormaliseBoard(position.board, mover, -position.side);
    const int depth = MidgameDepthFor(DefaultSettings(), empties + 1);
    const int value = RunSearch(SearchImplementation::Engine, SearchKind::Midgame, mover, EmptiesOf(mover), -1,
                                -kWindow, depth, 0)
                          .value;
    const double predicted = MidgameDiscs(value, empties, depth);
    const int actual = -std::stoi(result_text);
    const CalibrationError* documented = CalibrationErrorFor(depth, empties);
    ASSERT_NE(documented, nullptr) << empties;
    Total& total = totals[documented];
    ++total.samples;
    total.abs_error += std::fabs(predicted - actual);
    if (actual != 0) {
      ++total.decided;
      total.right += Sign(predicted) == Sign(actual);
    }
  }
  ASSERT_FALSE(totals.empty());
  for (const auto& [documented, total] : totals) {
    ASSERT_GE(total.samples, 30);
    EXPECT_LE(total.abs_error / total.samples, documented->mean_abs * 1.3 + 1)
        << documented->from << "-" << documented->to << " empty squares";
    EXPECT_GE(static_cast<double>(total.right) / total.decided, documented->sign_right - 0.15);
  }
}
