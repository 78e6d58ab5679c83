#include "host/calibration.h"

#include <algorithm>
#include <cmath>

#include "search/search.h"

// The stages: late endgame (where the solvers normally take over), then
// every five empty squares, and the opening.
const int kCalibrationAnchorEmpties[kCalibrationAnchors] = {12, 17, 22, 27, 32, 37, 42, 47, 54};

namespace {

constexpr double kWholeBoard = 64;

}  // namespace

double CalibratedDiscs(const DepthCalibration& calibration, int value, int empties) {
  if (value >= kGameWon) return kWholeBoard;
  if (value <= -kGameWon) return -kWholeBoard;
  const int* anchor = kCalibrationAnchorEmpties;
  const int last = kCalibrationAnchors - 1;
  double slope = calibration.slope[0];
  double intercept = calibration.intercept[0];
  if (empties >= anchor[last]) {
    slope = calibration.slope[last];
    intercept = calibration.intercept[last];
  } else if (empties > anchor[0]) {
    int k = 0;
    while (anchor[k + 1] < empties) ++k;
    const double t = static_cast<double>(empties - anchor[k]) / (anchor[k + 1] - anchor[k]);
    slope = calibration.slope[k] + t * (calibration.slope[k + 1] - calibration.slope[k]);
    intercept = calibration.intercept[k] + t * (calibration.intercept[k + 1] - calibration.intercept[k]);
  }
  return std::clamp(slope * value + intercept, -kWholeBoard, kWholeBoard);
}

const DepthCalibration& CalibrationForDepth(int depth) {
  const DepthCalibration* chosen = nullptr;
  for (int k = 0; k < kDepthCalibrationCount; ++k) {
    const DepthCalibration& c = kDepthCalibrations[k];
    if (c.depth == depth) return c;
    if ((c.depth - depth) % 2 == 0 && (chosen == nullptr || std::abs(c.depth - depth) < std::abs(chosen->depth - depth))) {
      chosen = &c;
    }
  }
  return chosen != nullptr ? *chosen : kDepthCalibrations[kDepthCalibrationCount - 1];
}

double MidgameDiscs(int value, int empties, int depth) {
  return CalibratedDiscs(CalibrationForDepth(depth), value, empties);
}

const CalibrationError* CalibrationErrorFor(int depth, int empties) {
  const int fitted = CalibrationForDepth(depth).depth;
  for (int k = 0; k < kCalibrationErrorCount; ++k) {
    const CalibrationError& e = kCalibrationErrors[k];
    if (e.depth == fitted && e.from <= empties && empties <= e.to) return &e;
  }
  return nullptr;
}
