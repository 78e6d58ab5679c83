// tenu_calibrate: the positions with known results and the fit behind
// host/calibration_table.cpp (see host/calibration.h).
//
//   tenu_calibrate positions [--seed N] [--games N] [--solve-from E] [--depth D] > positions.tsv
//   tenu_calibrate fit [--per-stage N] [--table FILE] [--dump FILE] positions.tsv
//
// `positions` plays seeded games and writes one line per position whose
// result is known: game, empty squares, the position as a suite line, the
// final disc difference for the side to move, and how it is known. A game
// opens with a few random moves, is played on by the engine (the default
// settings at midgame depth D, 8 unless --depth says otherwise: deeper play
// gives labels nearer perfect play) and takes one more random move (a slip)
// at a random point; from that slip on every position is labelled.
// Positions with at most E empty squares (20 unless told) are solved
// exactly; the engine then plays the solver's moves, with a random slip now
// and then so that poor endgame positions are met too. An earlier
// position's label is the exact value of the first position of its game
// with at most E empty squares: the game as the engine plays it from there
// on, then perfect play.
//
// `fit` takes the labelled positions with at least 9 empty squares, per
// stage up to N of the even games' to fit and N of the odd games' to check,
// searches each at the depths 0..8 from the view of the side that made the
// last move, fits the conversion per depth by least squares, reports its
// error on the odd games per stage and writes the table as C++ source.
// `--dump` writes the searched positions (game, empty squares, result for
// the mover, the values at depths 0..8) for a closer look.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board/rules.h"
#include "engine/exports.h"
#include "engine/think.h"
#include "host/calibration.h"
#include "host/positions.h"
#include "host/records.h"

namespace {

constexpr char kUsage[] =
    "usage: tenu_calibrate positions [--seed N] [--games N] [--solve-from E] [--depth D] > positions.tsv\n"
    "       tenu_calibrate fit [--per-stage N] [--table FILE] [--dump FILE] positions.tsv\n";

// The stages the error is reported for, around the anchors.
struct Stage {
  int from;
  int to;
};
constexpr Stage kStages[kCalibrationAnchors] = {{9, 14},  {15, 19}, {20, 24}, {25, 29}, {30, 34},
                                                {35, 39}, {40, 44}, {45, 49}, {50, 59}};
constexpr int kDeepestFitted = 8;
// With fewer empty squares than that the searches may reach the end of the
// game, which they score as a bare win or loss; such positions are left
// out of the fit (the engine solves them exactly at every level).
constexpr int kFewestFitted = kDeepestFitted + 1;

int StageOf(int empties) {
  for (int k = 0; k < kCalibrationAnchors; ++k) {
    if (empties <= kStages[k].to) return k;
  }
  return kCalibrationAnchors - 1;
}

int Empties(const Board& board) {
  MoveList list;
  ListEmpties(board, list);
  return list.count;
}

int RandomLegalMove(const Board& board, int side, std::mt19937& rng) {
  std::vector<int> legal;
  for (int s = kFirstSquare; s <= kLastSquare; ++s) {
    if (IsLegalMove(board, s, side)) legal.push_back(s);
  }
  return legal[std::uniform_int_distribution<size_t>(0, legal.size() - 1)(rng)];
}

struct Labelled {
  Board board;
  int side;
  int empties;
  int result;  // for the side to move
  bool solved;  // the position itself was solved
};

// One game; answers its labelled positions.
std::vector<Labelled> PlayGame(std::mt19937& rng, int solve_from, int depth) {
  SearchRequest request;  // the default settings at the depth asked, no book, no progress
  request.settings.Depth = depth;
  request.settings.UseJoseki = 0;
  request.show_progress = false;
  ClearSearchTable();  // the same calls in the same order give the same moves

  const int opening = std::uniform_int_distribution<int>(2, 8)(rng);
  const int slip = std::uniform_int_distribution<int>(opening, 36)(rng);
  std::bernoulli_distribution endgame_slip(0.15);
  Board board;
  SetStartPosition(board);
  int side = 1;
  std::vector<Labelled> after_slip;  // positions from the slip on
  for (int ply = 0;; ++ply) {
    if (!HasLegalMove(board, side)) {
      if (!HasLegalMove(board, -side)) break;
      side = -side;
      continue;
    }
    const int empties = Empties(board);
    int move = 0;
    if (ply < opening || ply == slip || (empties <= solve_from && endgame_slip(rng))) {
      move = RandomLegalMove(board, side, rng);
    } else if (empties <= solve_from) {
      move = SolvePosition(board, side, false).move;
    } else {
      move = ChooseSearchedMove(request, board, side).square;
    }
    PlayMove(board, board, move, side);
    side = -side;
    if (ply >= slip && Empties(board) > 0) after_slip.push_back({board, side, Empties(board), 0, false});
  }
  // The final position's value settles the positions before it when the
  // game ended before the solver's stage.
  const int final_black = DiscSum(board);
  int settled_at = -1;  // index of the first position at or below solve_from
  for (size_t k = 0; k < after_slip.size(); ++k) {
    Labelled& position = after_slip[k];
    if (position.empties > solve_from) continue;
    position.result = SolvePosition(position.board, position.side, false).value;
    position.solved = true;
    if (settled_at < 0) settled_at = static_cast<int>(k);
  }
  for (size_t k = 0; k < after_slip.size(); ++k) {
    Labelled& position = after_slip[k];
    if (position.solved) continue;
    if (settled_at >= 0) {
      const Labelled& settled = after_slip[static_cast<size_t>(settled_at)];
      position.result = settled.side == position.side ? settled.result : -settled.result;
    } else {
      position.result = final_black * position.side;
    }
  }
  return after_slip;
}

int Positions(const std::vector<std::string>& args) {
  unsigned seed = 1;
  long games = 100;
  int solve_from = 20;
  int depth = 8;
  for (size_t k = 0; k + 1 < args.size(); k += 2) {
    if (args[k] == "--seed") seed = static_cast<unsigned>(std::stoul(args[k + 1]));
    else if (args[k] == "--games") games = std::stol(args[k + 1]);
    else if (args[k] == "--solve-from") solve_from = std::stoi(args[k + 1]);
    else if (args[k] == "--depth") depth = std::stoi(args[k + 1]);
    else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  std::mt19937 rng(seed);
  const auto start = std::chrono::steady_clock::now();
  std::printf("# tenu_calibrate positions --seed %u --games %ld --solve-from %d --depth %d\n", seed, games, solve_from,
              depth);
  std::printf("# game\tempties\tposition\tresult\thow\n");
  long lines = 0;
  for (long game = 0; game < games; ++game) {
    for (const Labelled& position : PlayGame(rng, solve_from, depth)) {
      std::printf("%ld\t%d\t%s\t%d\t%s\n", game, position.empties, SuiteLineText(position.board, position.side).c_str(),
                  position.result, position.solved ? "solved" : "played");
      ++lines;
    }
    std::fflush(stdout);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "%ld positions from %ld games in %.0f s\n", lines, games, seconds);
  return 0;
}

struct Sample {
  long game;
  int empties;
  int stage;
  int label;                       // for the side that made the last move
  int value[kDeepestFitted + 1];  // the same side's midgame value at each depth
};

// Solves the normal equations a x = b (n unknowns) by Gaussian elimination
// with partial pivoting.
std::vector<double> Solve(std::vector<std::vector<double>> a, std::vector<double> b) {
  const size_t n = b.size();
  for (size_t col = 0; col < n; ++col) {
    size_t pivot = col;
    for (size_t row = col + 1; row < n; ++row) {
      if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
    }
    std::swap(a[col], a[pivot]);
    std::swap(b[col], b[pivot]);
    for (size_t row = col + 1; row < n; ++row) {
      const double f = a[row][col] / a[col][col];
      for (size_t k = col; k < n; ++k) a[row][k] -= f * a[col][k];
      b[row] -= f * b[col];
    }
  }
  std::vector<double> x(n);
  for (size_t row = n; row-- > 0;) {
    double sum = b[row];
    for (size_t k = row + 1; k < n; ++k) sum -= a[row][k] * x[k];
    x[row] = sum / a[row][row];
  }
  return x;
}

// The weights of the anchors at this many empty squares: the linear
// interpolation CalibratedDiscs applies.
std::vector<double> AnchorWeights(int empties) {
  std::vector<double> w(kCalibrationAnchors, 0.0);
  const int* anchor = kCalibrationAnchorEmpties;
  const int last = kCalibrationAnchors - 1;
  if (empties <= anchor[0]) {
    w[0] = 1;
  } else if (empties >= anchor[last]) {
    w[static_cast<size_t>(last)] = 1;
  } else {
    int k = 0;
    while (anchor[k + 1] < empties) ++k;
    const double t = static_cast<double>(empties - anchor[k]) / (anchor[k + 1] - anchor[k]);
    w[static_cast<size_t>(k)] = 1 - t;
    w[static_cast<size_t>(k) + 1] = t;
  }
  return w;
}

DepthCalibration FitDepth(const std::vector<const Sample*>& train, int depth) {
  const size_t n = 2 * kCalibrationAnchors;
  std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
  std::vector<double> b(n, 0.0);
  for (const Sample* s : train) {
    const int value = s->value[depth];
    if (std::abs(value) >= kGameWon) continue;  // a finished game: not on the line
    const std::vector<double> w = AnchorWeights(s->empties);
    std::vector<double> x(n);
    for (size_t k = 0; k < static_cast<size_t>(kCalibrationAnchors); ++k) {
      x[2 * k] = w[k] * value;
      x[2 * k + 1] = w[k];
    }
    for (size_t i = 0; i < n; ++i) {
      if (x[i] == 0) continue;
      for (size_t j = 0; j < n; ++j) a[i][j] += x[i] * x[j];
      b[i] += x[i] * s->label;
    }
  }
  for (size_t i = 0; i < n; ++i) a[i][i] += 1e-6;  // an anchor without samples stays defined
  const std::vector<double> x = Solve(a, b);
  DepthCalibration calibration{};
  calibration.depth = depth;
  for (size_t k = 0; k < static_cast<size_t>(kCalibrationAnchors); ++k) {
    calibration.slope[k] = x[2 * k];
    calibration.intercept[k] = x[2 * k + 1];
  }
  return calibration;
}

int Fit(const std::vector<std::string>& args) {
  size_t per_stage = 400;
  std::string table;
  std::string dump;  // the searched samples, for a closer look
  std::string input;
  for (size_t k = 0; k < args.size(); ++k) {
    if (args[k] == "--per-stage" && k + 1 < args.size()) per_stage = std::stoul(args[++k]);
    else if (args[k] == "--table" && k + 1 < args.size()) table = args[++k];
    else if (args[k] == "--dump" && k + 1 < args.size()) dump = args[++k];
    else if (input.empty() && args[k].rfind("--", 0) != 0) input = args[k];
    else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  std::ifstream in(input);
  if (!in) {
    std::fprintf(stderr, "tenu_calibrate: %s cannot be read\n", input.c_str());
    return 2;
  }
  // Every line read; the positions of each stage shuffled with a fixed seed
  // and cut to per_stage for training (even games) and for checking (odd).
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream split(line);
    std::string field;
    while (std::getline(split, field, '\t')) fields.push_back(field);
    if (fields.size() >= 4) rows.push_back(fields);
  }
  std::vector<std::vector<size_t>> by_group(2 * kCalibrationAnchors);
  for (size_t k = 0; k < rows.size(); ++k) {
    const long game = std::stol(rows[k][0]);
    if (std::stoi(rows[k][1]) < kFewestFitted) continue;
    const int stage = StageOf(std::stoi(rows[k][1]));
    by_group[static_cast<size_t>(2 * stage + (game % 2 != 0 ? 1 : 0))].push_back(k);
  }
  std::mt19937 rng(12345);
  std::vector<Sample> samples;
  const auto start = std::chrono::steady_clock::now();
  for (std::vector<size_t>& group : by_group) {
    std::shuffle(group.begin(), group.end(), rng);
    if (group.size() > per_stage) group.resize(per_stage);
    for (size_t k : group) {
      const std::vector<std::string>& row = rows[k];
      SuiteLine position;
      std::string error;
      if (!ParseSuiteLine(row[2], position, error)) {
        std::fprintf(stderr, "tenu_calibrate: %s: %s\n", row[2].c_str(), error.c_str());
        return 2;
      }
      Sample s{};
      s.game = std::stol(row[0]);
      s.empties = std::stoi(row[1]);
      s.stage = StageOf(s.empties);
      s.label = -std::stoi(row[3]);
      Board mover;
      NormaliseBoard(position.board, mover, -position.side);
      MoveList list;
      ListEmpties(mover, list);
      for (int depth = 0; depth <= kDeepestFitted; ++depth) {
        s.value[depth] = RunSearch(SearchImplementation::Engine, SearchKind::Midgame, mover, list, -1, -kWindow, depth, 0).value;
      }
      samples.push_back(s);
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!dump.empty()) {
    std::ofstream out(dump);
    for (const Sample& s : samples) {
      out << s.game << '\t' << s.empties << '\t' << s.label;
      for (int value : s.value) out << '\t' << value;
      out << '\n';
    }
  }
  std::vector<const Sample*> train;
  std::vector<const Sample*> held_out;
  for (const Sample& s : samples) (s.game % 2 == 0 ? train : held_out).push_back(&s);
  std::fprintf(stderr, "%zu positions searched at depths 0..%d in %.0f s (%zu to fit, %zu held out)\n", samples.size(),
               kDeepestFitted, seconds, train.size(), held_out.size());

  std::vector<DepthCalibration> fitted;
  std::vector<CalibrationError> errors;
  for (int depth = 0; depth <= kDeepestFitted; ++depth) {
    fitted.push_back(FitDepth(train, depth));
    for (int stage = 0; stage < kCalibrationAnchors; ++stage) {
      CalibrationError e{depth, kStages[stage].from, kStages[stage].to, 0, 0, 0, 0};
      int decided = 0;
      int right = 0;
      for (const Sample* s : held_out) {
        if (s->stage != stage) continue;
        const double predicted = CalibratedDiscs(fitted.back(), s->value[depth], s->empties);
        const double error = predicted - s->label;
        ++e.samples;
        e.mean_abs += std::fabs(error);
        e.rms += error * error;
        if (s->label != 0) {
          ++decided;
          right += (predicted > 0) == (s->label > 0);
        }
      }
      if (e.samples > 0) {
        e.mean_abs /= e.samples;
        e.rms = std::sqrt(e.rms / e.samples);
      }
      e.sign_right = decided > 0 ? static_cast<double>(right) / decided : 0;
      errors.push_back(e);
    }
  }

  std::printf("| depth | empty squares | held out | mean abs. error | rms error | winner right |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (const CalibrationError& e : errors) {
    std::printf("| %d | %d-%d | %d | %.1f | %.1f | %.0f%% |\n", e.depth, e.from, e.to, e.samples, e.mean_abs, e.rms,
                100 * e.sign_right);
  }
  if (table.empty()) return 0;
  std::ofstream out(table);
  out << "// Written by tools/calibrate.cpp (scripts/calibrate.sh); do not edit.\n"
         "// The conversion of midgame values to discs: see host/calibration.h.\n"
         "#include \"host/calibration.h\"\n\n";
  out << "const char kCalibrationCommand[] = \"scripts/calibrate.sh\";\n\n";
  char number[64];
  out << "// clang-format off\nconst DepthCalibration kDepthCalibrations[] = {\n";
  for (const DepthCalibration& c : fitted) {
    out << "    {" << c.depth << ",\n     {";
    for (int k = 0; k < kCalibrationAnchors; ++k) {
      std::snprintf(number, sizeof number, "%s%.6f", k ? ", " : "", c.slope[k]);
      out << number;
    }
    out << "},\n     {";
    for (int k = 0; k < kCalibrationAnchors; ++k) {
      std::snprintf(number, sizeof number, "%s%.4f", k ? ", " : "", c.intercept[k]);
      out << number;
    }
    out << "}},\n";
  }
  out << "};\nconst int kDepthCalibrationCount = " << fitted.size() << ";\n\n";
  out << "// The error on the held-out games: depth, stage, samples, mean absolute\n"
         "// and rms error in discs, share of winners right.\n";
  out << "const CalibrationError kCalibrationErrors[] = {\n";
  for (const CalibrationError& e : errors) {
    std::snprintf(number, sizeof number, "    {%d, %d, %d, %d, %.2f, %.2f, %.3f},\n", e.depth, e.from, e.to, e.samples,
                  e.mean_abs, e.rms, e.sign_right);
    out << number;
  }
  out << "};\nconst int kCalibrationErrorCount = " << errors.size() << ";\n// clang-format on\n";
  out.close();
  if (!out) {
    std::fprintf(stderr, "tenu_calibrate: %s could not be written\n", table.c_str());
    return 3;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
  const std::string command = argc >= 2 ? argv[1] : "";
  if (command == "positions") return Positions(args);
  if (command == "fit") return Fit(args);
  std::fputs(kUsage, stderr);
  return 2;
}
