// The engine's midgame values in discs. A midgame value is a sum of
// positional terms with no unit; a person wants the final disc difference
// it predicts. The conversion is a straight line per search depth whose
// slope and intercept vary with the number of empty squares, fitted by
// tools/calibrate.cpp on positions whose result is known (exact solves, and
// self-play continued to an exact solve for the earlier stages); the table
// it wrote is host/calibration_table.cpp.
//
// The value converted is always that of a position after a move, searched
// with the opponent to move and seen from the side that made the move, as
// the think driver's root loop, the hints and the analysis search it. The
// intercept takes out the search's tempo bias (a leaf reached by the
// mover's own move looks better for the mover, one reached by the
// opponent's looks worse), which depends on the depth's parity: that is why
// each depth has its own line.
#pragma once

// The stages: the empty squares, after the move, at which the fitted lines
// are anchored; between two anchors the slope and intercept are linear in
// the empty squares, beyond the outer ones constant.
constexpr int kCalibrationAnchors = 9;
extern const int kCalibrationAnchorEmpties[kCalibrationAnchors];

struct DepthCalibration {
  int depth;
  double slope[kCalibrationAnchors];      // discs per unit of the midgame value
  double intercept[kCalibrationAnchors];  // discs
};

// How well a depth's conversion predicted held-out positions of one stage
// (positions after a move with from..to empty squares): the mean absolute
// and root-mean-square error in discs and the share of positions whose
// predicted winner (the sign) was right (draws left out).
struct CalibrationError {
  int depth;
  int from;
  int to;
  int samples;
  double mean_abs;
  double rms;
  double sign_right;
};

extern const DepthCalibration kDepthCalibrations[];
extern const int kDepthCalibrationCount;
extern const CalibrationError kCalibrationErrors[];
extern const int kCalibrationErrorCount;
// The command that made the table, for the record.
extern const char kCalibrationCommand[];

// The disc difference that `calibration` predicts for a midgame value at
// this many empty squares after the move, within -64..64. A finished game
// found by the search (+-9999) is a win or loss by the whole board.
double CalibratedDiscs(const DepthCalibration& calibration, int value, int empties);

// The conversion for a search depth: the depth's own, or for a depth
// without one the deepest fitted depth of the same parity.
const DepthCalibration& CalibrationForDepth(int depth);

// CalibratedDiscs with the conversion of the depth.
double MidgameDiscs(int value, int empties, int depth);

// The documented error of the conversion at this depth and stage (the
// calibration table's), or nullptr when the table has none.
const CalibrationError* CalibrationErrorFor(int depth, int empties);
