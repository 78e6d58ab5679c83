// tenu bench: the fixed bench and its node signature, or the reference
// searches against the engine's on the same calls.
#include <cstdio>

#include "host/bench.h"
#include "host/commands/commands.h"

namespace {

double Rate(uint64_t nodes, double seconds) { return seconds > 0 ? static_cast<double>(nodes) / seconds : 0.0; }

}  // namespace

int BenchCommand(const Args& args) {
  ParsedOptions parsed;
  std::string error;
  if (!ParseOptions(args, {Option::Compare}, parsed, error) || !ApplyEngineOptions(parsed, error)) {
    std::fprintf(stderr, "tenu bench: %s\n", error.c_str());
    return 2;
  }
  if (!parsed.operands.empty()) {
    std::fprintf(stderr, "tenu bench: unexpected argument %s\n", parsed.operands[0].c_str());
    return 2;
  }
  const bool compare = parsed.Has(Option::Compare);

  if (!compare) {
    const std::vector<BenchRun> runs = RunBench(SearchImplementation::Engine);
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
  // engine's searches are. The cases the reference cannot finish in seconds
  // show the engine alone and count only towards the signature.
  const std::vector<BenchRun> reference = RunBench(SearchImplementation::Reference);
  const std::vector<BenchRun> engine = RunBench(SearchImplementation::Engine);
  bool agree = true;
  uint64_t reference_nodes = 0;
  uint64_t compared_nodes = 0;
  uint64_t engine_nodes = 0;
  double reference_seconds = 0;
  double compared_seconds = 0;
  std::printf("%-14s %7s %14s %12s %10s %10s %9s %9s %s\n", "search", "value", "ref nodes", "engine nodes", "ref ms",
              "engine ms", "nodes x", "time x", "agree");
  size_t r_at = 0;
  for (const BenchRun& e : engine) {
    engine_nodes += e.nodes;
    if (r_at >= reference.size() || reference[r_at].index != e.index) {
      std::printf("%-14s %7d %14s %12llu %10s %10.2f %9s %9s %s\n", e.label.c_str(), e.value, "-",
                  static_cast<unsigned long long>(e.nodes), "-", e.seconds * 1000, "-", "-", "-");
      continue;
    }
    const BenchRun& r = reference[r_at++];
    const bool same = r.value == e.value;
    agree = agree && same;
    reference_nodes += r.nodes;
    compared_nodes += e.nodes;
    reference_seconds += r.seconds;
    compared_seconds += e.seconds;
    std::printf("%-14s %7d %14llu %12llu %10.1f %10.2f %9.1f %9.1f %s\n", r.label.c_str(), r.value,
                static_cast<unsigned long long>(r.nodes), static_cast<unsigned long long>(e.nodes), r.seconds * 1000,
                e.seconds * 1000, e.nodes > 0 ? static_cast<double>(r.nodes) / static_cast<double>(e.nodes) : 0.0,
                e.seconds > 0 ? r.seconds / e.seconds : 0.0, same ? "yes" : "NO");
  }
  std::printf("%-14s %7s %14llu %12llu %10.1f %10.2f %9.1f %9.1f %s\n", "compared", "",
              static_cast<unsigned long long>(reference_nodes), static_cast<unsigned long long>(compared_nodes),
              reference_seconds * 1000, compared_seconds * 1000,
              compared_nodes > 0 ? static_cast<double>(reference_nodes) / static_cast<double>(compared_nodes) : 0.0,
              compared_seconds > 0 ? reference_seconds / compared_seconds : 0.0, agree ? "yes" : "NO");
  std::printf("Nodes searched: %llu\n", static_cast<unsigned long long>(engine_nodes));
  return agree ? 0 : 1;
}
