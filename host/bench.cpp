#include "host/bench.h"

#include <chrono>
#include <cstdio>

#include "board/board.h"
#include "engine/position.h"
#include "host/search_call.h"
#include "search/dispatch.h"

namespace {

struct BenchCase {
  const char* position;
  SearchKind kind;
  int depth;
};

// Positions from engine games: four middle games (44, 40, 36 and 32 empty
// squares) at depths 5 and 6, six exact solves at 12 empty squares and six
// win/loss/draw solves at 14.
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
};

const char* KindName(SearchKind kind) {
  switch (kind) {
    case SearchKind::Midgame: return "midgame";
    case SearchKind::Exact: return "exact";
    case SearchKind::Wld: return "wld";
    case SearchKind::Evaluate: return "evaluate";
  }
  return "?";
}

double Rate(uint64_t nodes, double seconds) { return seconds > 0 ? static_cast<double>(nodes) / seconds : 0.0; }

}  // namespace

std::vector<BenchRun> RunBench(SearchImplementation implementation) {
  const SearchImplementation saved = ActiveSearch;
  ActiveSearch = implementation;
  std::vector<BenchRun> runs;
  int index = 0;
  for (const BenchCase& bench_case : kBenchCases) {
    ++index;
    BenchRun run;
    char label[64];
    std::snprintf(label, sizeof label, "%2d %-7s", index, KindName(bench_case.kind));
    run.label = label;
    if (bench_case.kind == SearchKind::Midgame) run.label += " d" + std::to_string(bench_case.depth);
    const auto start = std::chrono::steady_clock::now();
    const SearchCallResult result = CallSearch(bench_case.position, bench_case.kind, bench_case.depth);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.value = result.value;
    run.nodes = result.nodes;
    runs.push_back(run);
  }
  ActiveSearch = saved;
  return runs;
}

int BenchCommand(const std::vector<std::string>& args) {
  bool compare = false;
  for (const std::string& arg : args) {
    if (arg == "--compare") {
      compare = true;
    } else {
      std::fprintf(stderr, "tenu bench: unknown option %s\n", arg.c_str());
      return 2;
    }
  }

  if (!compare) {
    const std::vector<BenchRun> runs = RunBench(ActiveSearch);
    uint64_t total_nodes = 0;
    double total_seconds = 0;
    std::printf("%-14s %7s %14s %10s %14s\n", "search", "value", "nodes", "ms", "nodes/s");
    for (const BenchRun& run : runs) {
      std::printf("%-14s %7d %14llu %10.1f %14.0f\n", run.label.c_str(), run.value,
                  static_cast<unsigned long long>(run.nodes), run.seconds * 1000, Rate(run.nodes, run.seconds));
      total_nodes += run.nodes;
      total_seconds += run.seconds;
    }
    std::printf("%-14s %7s %14llu %10.1f %14.0f\n", "total", "", static_cast<unsigned long long>(total_nodes),
                total_seconds * 1000, Rate(total_nodes, total_seconds));
    std::printf("Nodes searched: %llu\n", static_cast<unsigned long long>(total_nodes));
    return 0;
  }

  // The reference searches against the engine's on the same calls: the
  // values must agree; the ratios say how much smaller and faster the
  // engine's searches are.
  const std::vector<BenchRun> reference = RunBench(SearchImplementation::Reference);
  const std::vector<BenchRun> engine = RunBench(SearchImplementation::Engine);
  bool agree = true;
  uint64_t reference_nodes = 0;
  uint64_t engine_nodes = 0;
  double reference_seconds = 0;
  double engine_seconds = 0;
  std::printf("%-14s %7s %14s %12s %10s %10s %9s %9s %s\n", "search", "value", "ref nodes", "engine nodes", "ref ms",
              "engine ms", "nodes x", "time x", "agree");
  for (size_t k = 0; k < reference.size(); ++k) {
    const BenchRun& r = reference[k];
    const BenchRun& e = engine[k];
    const bool same = r.value == e.value;
    agree = agree && same;
    reference_nodes += r.nodes;
    engine_nodes += e.nodes;
    reference_seconds += r.seconds;
    engine_seconds += e.seconds;
    std::printf("%-14s %7d %14llu %12llu %10.1f %10.2f %9.1f %9.1f %s\n", r.label.c_str(), r.value,
                static_cast<unsigned long long>(r.nodes), static_cast<unsigned long long>(e.nodes), r.seconds * 1000,
                e.seconds * 1000, e.nodes > 0 ? static_cast<double>(r.nodes) / static_cast<double>(e.nodes) : 0.0,
                e.seconds > 0 ? r.seconds / e.seconds : 0.0, same ? "yes" : "NO");
  }
  std::printf("%-14s %7s %14llu %12llu %10.1f %10.2f %9.1f %9.1f %s\n", "total", "",
              static_cast<unsigned long long>(reference_nodes), static_cast<unsigned long long>(engine_nodes),
              reference_seconds * 1000, engine_seconds * 1000,
              engine_nodes > 0 ? static_cast<double>(reference_nodes) / static_cast<double>(engine_nodes) : 0.0,
              engine_seconds > 0 ? reference_seconds / engine_seconds : 0.0, agree ? "yes" : "NO");
  std::printf("Nodes searched: %llu\n", static_cast<unsigned long long>(engine_nodes));
  return agree ? 0 : 1;
}
