// tenu_train: the generator and fitter of the ordering evaluation's weights
// (search/engine/ordering_eval.h). See README "The ordering evaluation".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/board.h"

namespace train {

// How a position's label was found.
enum class Source : uint8_t {
  None,    // not labelled yet
  Exact,   // the exact solver (perfect play by both sides)
  Search,  // a search of `depth` moves with the weights fitted for the later stages
};

// One position of the data set, from the view of the side to move.
struct Sample {
  uint64_t me = 0;
  uint64_t opp = 0;
  int8_t side = 1;  // the side to move: 1 black, -1 white
  int8_t empties = 0;
  Source source = Source::None;
  uint8_t depth = 0;
  float label = 0;      // final disc difference for the side to move
  uint32_t game = 0;    // the game it came from: held out when game % 10 == 0
  uint64_t best = 0;    // when every move was solved: the moves that keep the value
};

inline bool HeldOut(const Sample& sample) { return sample.game % 10 == 0; }

// splitmix64: small, fast and the same everywhere.
struct Random {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
};

// The Board of a position with the side to move as colour 1.
Board MoverBoard(uint64_t me, uint64_t opp);

// The data set's text form: one position a line, tab-separated, with a
// header line (see README):
//   position  side  empties  label  source  game  best
bool WriteSamples(const std::string& path, const std::vector<Sample>& samples);
bool ReadSamples(const std::string& path, std::vector<Sample>& samples);
std::string PositionString(const Sample& sample);

struct GenerateOptions {
  int games = 1000;
  uint64_t seed = 1;
  int exact_empties = 14;   // positions with at most this many empty squares are solved
  int heldout_children_max = 18;  // held-out positions whose moves are all solved, up to this many empties
  std::string out;
};
int Generate(const GenerateOptions& options);

struct FitOptions {
  std::string data;      // folder with positions.tsv
  std::string weights;   // the .bin to write
  std::string sample;    // held-out solved positions to write, if given
  int sample_count = 3000;
  uint64_t seed = 1;
};
int Fit(const FitOptions& options);

// Solves up to per_empties exactly labelled positions of each number of
// empty squares of a data set file with a plain solver, ordered by by_key's
// key of the exact solver, by the built-in trained evaluation, and by
// the solver's key plus `mix` of its units per disc of the trained evaluation,
// and prints the positions each visited.
int CompareOrderings(const std::string& path, int per_empties, int mix);

}  // namespace train
