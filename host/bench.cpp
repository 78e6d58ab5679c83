#include "host/bench.h"

#include <chrono>
#include <cstdio>

#include "host/search_call.h"

namespace {

struct BenchCase {
  const char* position;
  SearchKind kind;
  int depth;
  bool engine_only = false;  // the reference searches would take hours
};

// Positions from engine games: four middle games (44, 40, 36 and 32 empty
// squares) at depths 5 and 6, six exact solves at 12 empty squares, six
// win/loss/draw solves at 14, and three deeper exact solves at 20 and 22
// (together about a second), where the solver's move ordering, table and
// cutoffs do most of their work.
constexpr BenchCase kBenchCases[] = {
    {"*|------------000---00*0----0*0----****0----00000-----------------", SearchKind::Midgame, 5},
    {"*|------------------000-0---0000---00000---*0**----*00000-*-------", SearchKind::Midgame, 5},
    {"*|-------------0--0000000--00**00---0**0-0--0000---*0-00--*-------", SearchKind::Midgame, 5},
    {"*|----------0------0-00----0*000---0***0**-0*0000-00*0*---*-*-000-", SearchKind::Midgame, 5},
    {"*|------------000---00*0----0*0----****0----00000-----------------", SearchKind::Midgame, 6},
    {"*|------------------000-0---0000---00000---*0**----*00000-*-------", SearchKind::Midgame, 6},
    {"*|-------------0--0000000--00**00---0**0-0--0000---*0-00--*-------", SearchKind::Midgame, 6},
    {"*|----------0------0-00----0*000---0***0**-0*0000-00*0*---*-*-000-", SearchKind::Midgame, 6},
    {"*|***************0*******0******0-****00--***0-0--00000000*------*", SearchKind::Exact, 0},
    {"*|********0-0000*0-0-0**0--000**0---0***0---****0-00000000********", SearchKind::Exact, 0},
    {"*|***************0******00**0**00-**00000-*000000-000---0-*-----0*", SearchKind::Exact, 0},
    {"0|00000---00000*--0*00**--0*00**--00**0*--0000***-00**0***00000000", SearchKind::Exact, 0},
    {"*|*0------*0-0-0--*000000-*0***00-*0000000**0**0*****00***********", SearchKind::Exact, 0},
    {"0|00000000-**00000--*00*00-**0**00-**00*00--*000*0--*00***--*0**-0", SearchKind::Exact, 0},
    {"*|00000*-*000000*-00*00*0-000**00-00**000-000*0-0-000*---0*-0*0---", SearchKind::Wld, 0},
    {"*|*0**0-*-*0**0000*****-0-**0*00-**0*00-0-*00*0--0*000*---******--", SearchKind::Wld, 0},
    {"0|------00---****0***---00-*****000*-**000****00000000000000000000", SearchKind::Wld, 0},
    {"*|-------*--0--0**-0000***-000****-00**********0*****000**********", SearchKind::Wld, 0},
    {"0|00000000-**00000--*00*00-**0**00-**0*000--*00*00--*00**---*0**--", SearchKind::Wld, 0},
    {"*|********0-000000-0-0*00--0000*0---00**0---0***0--0000000-*******", SearchKind::Wld, 0},
    {"*|-****-----*0**-***0*0*****0***0*-000**0*0-0000**--0000----0-----", SearchKind::Exact, 0, true},
    {"*|0-------0-0**---0000**--*0*000*0*****0***0*0*00-*00*00--*0-*-0--", SearchKind::Exact, 0, true},
    {"*|-****-----*0**-***0*0*****0**00*-0000*0*0--000**---000----0-----", SearchKind::Exact, 0, true},
};

const char* KindName(SearchKind kind) {
  switch (kind) {
    case SearchKind::Midgame: return "midgame";
    case SearchKind::Exact: return "exact";
    case SearchKind::Wld: return "wld";
  }
  return "?";
}

}  // namespace

std::vector<BenchRun> RunBench(SearchImplementation implementation) {
  std::vector<BenchRun> runs;
  int index = 0;
  for (const BenchCase& bench_case : kBenchCases) {
    ++index;
    if (bench_case.engine_only && implementation == SearchImplementation::Reference) continue;
    BenchRun run;
    run.index = index;
    char label[64];
    std::snprintf(label, sizeof label, "%2d %-7s", index, KindName(bench_case.kind));
    run.label = label;
    if (bench_case.kind == SearchKind::Midgame) run.label += " d" + std::to_string(bench_case.depth);
    const auto start = std::chrono::steady_clock::now();
    const SearchCallResult result = CallSearch(implementation, bench_case.position, bench_case.kind, bench_case.depth);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.value = result.value;
    run.nodes = result.nodes;
    runs.push_back(run);
  }
  return runs;
}

