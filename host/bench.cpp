#include "host/bench.h"

#include <chrono>
#include <cstdio>

#include "board/board.h"
#include "engine/position.h"
#include "host/search_call.h"
#include "search/fast/fast_search.h"

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
  // The bench measures one thread: the rates compare the searches per core.
  const int saved_threads = SplitSearchThreads;
  SplitSearchThreads = 1;
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
  SplitSearchThreads = saved_threads;
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

  const std::vector<BenchRun> plain = RunBench(SearchImplementation::Plain);
  const std::vector<BenchRun> fast = RunBench(SearchImplementation::Fast);
  bool agree = true;
  uint64_t total_nodes = 0;
  double plain_seconds = 0;
  double fast_seconds = 0;
  std::printf("%-14s %7s %14s %12s %12s %8s %s\n", "search", "value", "nodes", "plain n/s", "fast n/s", "ratio",
              "agree");
  for (size_t k = 0; k < plain.size(); ++k) {
    const bool same = plain[k].value == fast[k].value && plain[k].nodes == fast[k].nodes;
    agree = agree && same;
    total_nodes += plain[k].nodes;
    plain_seconds += plain[k].seconds;
    fast_seconds += fast[k].seconds;
    std::printf("%-14s %7d %14llu %12.0f %12.0f %8.1f %s\n", plain[k].label.c_str(), plain[k].value,
                static_cast<unsigned long long>(plain[k].nodes), Rate(plain[k].nodes, plain[k].seconds),
                Rate(fast[k].nodes, fast[k].seconds), fast[k].seconds > 0 ? plain[k].seconds / fast[k].seconds : 0.0,
                same ? "yes" : "NO");
  }
  std::printf("%-14s %7s %14llu %12.0f %12.0f %8.1f %s\n", "total", "", static_cast<unsigned long long>(total_nodes),
              Rate(total_nodes, plain_seconds), Rate(total_nodes, fast_seconds),
              fast_seconds > 0 ? plain_seconds / fast_seconds : 0.0, agree ? "yes" : "NO");
  std::printf("Nodes searched: %llu\n", static_cast<unsigned long long>(total_nodes));
  return agree ? 0 : 1;
}
