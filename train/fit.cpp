// Fitting, stage by stage from the end of the game backwards.
//
// A stage's positions that were not solved exactly are labelled by a search
// as deep as the stage is wide but at most four moves (a pass costing
// none), whose leaves are valued with the weights of their stage, already
// fitted, or where a wide stage's leaves fall in the stage itself, with the
// stage below; a game that ends inside the search is worth its exact score
// (past 250,000 such positions a stage takes an evenly spread subset). Each
// stage's weights are then the regularised least-squares fit of its
// training positions' labels (conjugate gradients on the normal equations,
// windows that are mirror images of each other sharing a weight); the
// regularisation is chosen among a few by the error on the held-out games.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "search/engine/bitboard.h"
#include "search/engine/ordering_eval.h"
#include "search/engine/ordering_key.h"
#include "train/train.h"

namespace train {

namespace {

using bitboard::Bit;
using bitboard::Flips;
using bitboard::LegalMoves;
using bitboard::PopCount;
using engine::kOrderingUnit;
namespace ordering = engine::ordering;

// The most positions a stage labels by searches, and the regularisations
// tried on each stage.
constexpr long long kMostSearched = 250000;
constexpr int kDeepestLabelSearch = 4;
constexpr double kLambdas[] = {2.0, 8.0, 32.0};
constexpr int kIterations = 80;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A fail-soft alpha-beta search with the weights at its leaves, in the
// evaluation's unit. A leaf is valued with the weights of its stage, or of
// the highest stage fitted so far when its own is not fitted yet.
struct LabelSearch {
  const ordering::Weights& weights;
  int highest_fitted;
  uint64_t nodes = 0;

  int Leaf(uint64_t me, uint64_t opp) const {
    const int stage = std::min<int>(ordering::kStageOfEmpties[64 - PopCount(me | opp)], highest_fitted);
    uint32_t index[ordering::kInstanceCount];
    ordering::FeatureIndices(me, opp, index);
    int sum = weights.bias[stage];
    for (uint32_t entry : index) sum += weights.table[stage][entry];
    return sum;
  }

  int Search(uint64_t me, uint64_t opp, int alpha, int beta, int depth) {
    ++nodes;
    if (depth == 0) return Leaf(me, opp);
    const uint64_t moves = LegalMoves(me, opp);
    if (moves == 0) {
      if (LegalMoves(opp, me) == 0) return (PopCount(me) - PopCount(opp)) * kOrderingUnit;
      return -Search(opp, me, -beta, -alpha, depth);
    }
    struct Child {
      uint64_t me;
      uint64_t opp;
      int key;
    };
    Child children[64];
    int count = 0;
    for (uint64_t rest = moves; rest != 0; rest &= rest - 1) {
      const int x = std::countr_zero(rest);
      const uint64_t flipped = Flips(x, me, opp);
      Child& c = children[count++];
      c.me = opp & ~flipped;
      c.opp = me | flipped | Bit(x);
      c.key = depth >= 2 ? -Leaf(c.me, c.opp) : 0;
    }
    if (depth >= 2) std::stable_sort(children, children + count, [](const Child& a, const Child& b) { return a.key > b.key; });
    int best = -1000 * kOrderingUnit;
    for (int k = 0; k < count; ++k) {
      const int value = -Search(children[k].me, children[k].opp, -beta, -std::max(alpha, best), depth - 1);
      if (value > best) {
        best = value;
        if (best >= beta) break;
      }
    }
    return best;
  }
};

// The training rows of one stage: each row's canonical table entries.
struct StageRows {
  std::vector<uint32_t> entries;  // kInstanceCount per row
  std::vector<float> labels;
  size_t Count() const { return labels.size(); }
};

void AddRow(StageRows& rows, const Sample& sample, const std::vector<uint32_t>& canonical) {
  uint32_t index[ordering::kInstanceCount];
  ordering::FeatureIndices(sample.me, sample.opp, index);
  for (uint32_t entry : index) rows.entries.push_back(canonical[entry]);
  rows.labels.push_back(sample.label);
}

// Minimises sum (row . w + bias - label)^2 + lambda |w|^2 (the bias not
// regularised) by conjugate gradients on the normal equations.
void FitRidge(const StageRows& rows, double lambda, int iterations, std::vector<double>& w) {
  const size_t n = rows.Count();
  const size_t size = ordering::kTableSize + 1;  // the bias last
  const size_t bias = ordering::kTableSize;
  w.assign(size, 0.0);
  std::vector<double> r(size, 0.0), p(size), q(n), ap(size);
  const auto multiply = [&](const std::vector<double>& v, std::vector<double>& out) {
    // out = X^T X v + lambda v
    for (size_t i = 0; i < n; ++i) {
      const uint32_t* e = &rows.entries[i * ordering::kInstanceCount];
      double sum = v[bias];
      for (int k = 0; k < ordering::kInstanceCount; ++k) sum += v[e[k]];
      q[i] = sum;
    }
    for (size_t j = 0; j < size; ++j) out[j] = j == bias ? 0.0 : lambda * v[j];
    for (size_t i = 0; i < n; ++i) {
      const uint32_t* e = &rows.entries[i * ordering::kInstanceCount];
      for (int k = 0; k < ordering::kInstanceCount; ++k) out[e[k]] += q[i];
      out[bias] += q[i];
    }
  };
  for (size_t i = 0; i < n; ++i) {
    const uint32_t* e = &rows.entries[i * ordering::kInstanceCount];
    for (int k = 0; k < ordering::kInstanceCount; ++k) r[e[k]] += rows.labels[i];
    r[bias] += rows.labels[i];
  }
  p = r;
  double rs = 0;
  for (double v : r) rs += v * v;
  const double stop = rs * 1e-10;
  for (int it = 0; it < iterations && rs > stop; ++it) {
    multiply(p, ap);
    double pap = 0;
    for (size_t j = 0; j < size; ++j) pap += p[j] * ap[j];
    if (pap <= 0) break;
    const double alpha = rs / pap;
    double next = 0;
    for (size_t j = 0; j < size; ++j) {
      w[j] += alpha * p[j];
      r[j] -= alpha * ap[j];
      next += r[j] * r[j];
    }
    const double beta = next / rs;
    rs = next;
    for (size_t j = 0; j < size; ++j) p[j] = r[j] + beta * p[j];
  }
}

double RootMeanSquare(const StageRows& rows, const std::vector<double>& w) {
  if (rows.Count() == 0) return 0;
  double sum = 0;
  for (size_t i = 0; i < rows.Count(); ++i) {
    const uint32_t* e = &rows.entries[i * ordering::kInstanceCount];
    double value = w[ordering::kTableSize];
    for (int k = 0; k < ordering::kInstanceCount; ++k) value += w[e[k]];
    const double error = value - rows.labels[i];
    sum += error * error;
  }
  return std::sqrt(sum / static_cast<double>(rows.Count()));
}

int16_t Quantise(double discs) {
  const double units = std::round(discs * kOrderingUnit);
  return static_cast<int16_t>(std::clamp(units, -32767.0, 32767.0));
}

// Whether the move each ordering puts first keeps the position's value.
struct FirstMoveCounts {
  int positions = 0;
  int trained = 0;
  int by_key = 0;
};

void CountFirstMoves(const Sample& s, const ordering::Weights& weights, FirstMoveCounts& counts) {
  const uint64_t moves = LegalMoves(s.me, s.opp);
  const uint64_t odd = engine::OddRegions(~(s.me | s.opp));
  int trained_move = -1;
  int trained_best = 0;
  int key_move = -1;
  int key_best = 0;
  for (uint64_t rest = moves; rest != 0; rest &= rest - 1) {
    const int x = std::countr_zero(rest);
    const uint64_t flipped = Flips(x, s.me, s.opp);
    const uint64_t child_me = s.opp & ~flipped;
    const uint64_t child_opp = s.me | flipped | Bit(x);
    const int trained = -ordering::Evaluate(weights, child_me, child_opp);
    const int by_key = engine::OrderingKey(child_me, child_opp, x, odd);
    if (trained_move < 0 || trained > trained_best) {
      trained_move = x;
      trained_best = trained;
    }
    if (key_move < 0 || by_key > key_best) {
      key_move = x;
      key_best = by_key;
    }
  }
  ++counts.positions;
  counts.trained += (s.best >> trained_move & 1) != 0;
  counts.by_key += (s.best >> key_move & 1) != 0;
}

bool WriteWeightsFile(const std::string& path, const std::vector<std::vector<double>>& fitted) {
  std::vector<uint8_t> values;
  const auto put = [&](int16_t v) {
    values.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) & 0xff));
    values.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
  };
  for (int s = 0; s < ordering::kStageCount; ++s) {
    put(Quantise(fitted[s][ordering::kTableSize]));
    for (int p = 0; p < ordering::kPatternCount; ++p) {
      for (int index = 0; index < ordering::Power3(ordering::kPatternSquares[p]); ++index) {
        if (ordering::CanonicalIndex(p, index) == index) put(Quantise(fitted[s][ordering::kPatternOffset[p] + index]));
      }
    }
  }
  const size_t count = values.size() / 2;
  if (count != ordering::FileValueCount()) return false;
  uint8_t header[ordering::kFileHeaderBytes];
  ordering::WriteFileHeader(header, values.data(), count);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(header, 1, sizeof header, out) == sizeof header &&
                       std::fwrite(values.data(), 1, values.size(), out) == values.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace

int Fit(const FitOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<Sample> samples;
  if (!ReadSamples(options.data + "/positions.tsv", samples)) {
    std::fprintf(stderr, "tenu_train: cannot read %s/positions.tsv\n", options.data.c_str());
    return 1;
  }
  std::printf("read %zu positions (%.0f s)\n", samples.size(), Seconds(start));

  std::vector<uint32_t> canonical(ordering::kTableSize);
  for (int p = 0; p < ordering::kPatternCount; ++p) {
    for (int index = 0; index < ordering::Power3(ordering::kPatternSquares[p]); ++index) {
      canonical[ordering::kPatternOffset[p] + index] =
          static_cast<uint32_t>(ordering::kPatternOffset[p] + ordering::CanonicalIndex(p, index));
    }
  }

  auto weights = std::make_unique<ordering::Weights>();
  std::vector<std::vector<double>> fitted(ordering::kStageCount);
  std::printf("stage empties  train  held-out  labels                 lambda  rms train  rms held-out  seconds\n");
  for (int stage = 0; stage < ordering::kStageCount; ++stage) {
    const auto stage_start = std::chrono::steady_clock::now();
    const int first = ordering::kStageFirstEmpties[stage];
    const int last = ordering::kStageFirstEmpties[stage + 1] - 1;
    const int depth = std::min(last - first + 1, kDeepestLabelSearch);
    LabelSearch search{*weights, stage - 1};
    StageRows train_rows;
    StageRows held_rows;
    long long exact = 0;
    long long searched = 0;
    // Searching costs far more than solving did near the end: past
    // kMostSearched positions a stage labels an evenly spread subset.
    long long unlabelled = 0;
    for (const Sample& s : samples) unlabelled += s.empties >= first && s.empties <= last && s.source == Source::None;
    const long long stride = std::max(1LL, (unlabelled + kMostSearched - 1) / kMostSearched);
    long long seen = 0;
    for (Sample& s : samples) {
      if (s.empties < first || s.empties > last) continue;
      if (s.source == Source::None && seen++ % stride != 0) continue;
      if (s.source == Source::None) {
        s.label = static_cast<float>(search.Search(s.me, s.opp, -1000 * kOrderingUnit, 1000 * kOrderingUnit, depth)) /
                  static_cast<float>(kOrderingUnit);
        s.source = Source::Search;
        s.depth = static_cast<uint8_t>(depth);
      }
      (s.source == Source::Exact ? exact : searched) += 1;
      AddRow(HeldOut(s) ? held_rows : train_rows, s, canonical);
    }
    double best_lambda = 0;
    double best_error = 1e30;
    for (double lambda : kLambdas) {
      std::vector<double> w;
      FitRidge(train_rows, lambda, kIterations, w);
      const double error = RootMeanSquare(held_rows, w);
      if (error < best_error) {
        best_error = error;
        best_lambda = lambda;
        fitted[stage] = w;
      }
    }
    weights->bias[stage] = Quantise(fitted[stage][ordering::kTableSize]);
    for (int k = 0; k < ordering::kTableSize; ++k) weights->table[stage][k] = Quantise(fitted[stage][canonical[k]]);
    char labels[96];
    std::snprintf(labels, sizeof labels, "%lld exact, %lld search%d", exact, searched, depth);
    std::printf("%5d  %2d-%2d  %7zu  %8zu  %-21s  %6.0f  %9.2f  %12.2f  %7.0f\n", stage, first, last, train_rows.Count(),
                held_rows.Count(), labels, best_lambda, RootMeanSquare(train_rows, fitted[stage]), best_error,
                Seconds(stage_start));
    std::fflush(stdout);
  }
  if (!WriteWeightsFile(options.weights, fitted)) {
    std::fprintf(stderr, "tenu_train: cannot write %s\n", options.weights.c_str());
    return 1;
  }
  std::printf("wrote %s\n", options.weights.c_str());

  // The move put first, against the exact best moves of held-out positions.
  FirstMoveCounts counts[65];
  for (const Sample& s : samples) {
    if (HeldOut(s) && s.best != 0) CountFirstMoves(s, *weights, counts[s.empties]);
  }
  std::printf("best move first on held-out solved positions:\nempties  positions  trained  the solver's key\n");
  FirstMoveCounts total;
  for (int e = 0; e <= 64; ++e) {
    const FirstMoveCounts& c = counts[e];
    if (c.positions == 0) continue;
    std::printf("%7d  %9d  %6.1f%%  %10.1f%%\n", e, c.positions, 100.0 * c.trained / c.positions,
                100.0 * c.by_key / c.positions);
    if (e >= 8) {
      total.positions += c.positions;
      total.trained += c.trained;
      total.by_key += c.by_key;
    }
  }
  if (total.positions > 0) {
    std::printf("   8-64  %9d  %6.1f%%  %10.1f%%\n", total.positions, 100.0 * total.trained / total.positions,
                100.0 * total.by_key / total.positions);
  }

  std::vector<Sample> labelled;
  for (const Sample& s : samples) {
    if (s.source != Source::None) labelled.push_back(s);
  }
  if (!WriteSamples(options.data + "/labelled.tsv", labelled)) {
    std::fprintf(stderr, "tenu_train: cannot write %s/labelled.tsv\n", options.data.c_str());
    return 1;
  }
  if (!options.sample.empty()) {
    // Held-out positions with every move solved, taken evenly by seed.
    std::vector<Sample> solved;
    for (const Sample& s : samples) {
      if (HeldOut(s) && s.best != 0 && s.source == Source::Exact && s.empties >= 8) solved.push_back(s);
    }
    Random random{options.seed};
    for (size_t k = solved.size(); k > 1; --k) std::swap(solved[k - 1], solved[random.Below(static_cast<int>(k))]);
    if (solved.size() > static_cast<size_t>(options.sample_count)) solved.resize(static_cast<size_t>(options.sample_count));
    std::stable_sort(solved.begin(), solved.end(), [](const Sample& a, const Sample& b) {
      return a.empties != b.empties ? a.empties < b.empties : a.game < b.game;
    });
    if (!WriteSamples(options.sample, solved)) {
      std::fprintf(stderr, "tenu_train: cannot write %s\n", options.sample.c_str());
      return 1;
    }
    std::printf("wrote %zu held-out solved positions to %s\n", solved.size(), options.sample.c_str());
  }
  std::printf("fitted in %.0f s\n", Seconds(start));
  return 0;
}

}  // namespace train
