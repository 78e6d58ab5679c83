// tenu search: the value and node count of one search of each position.
#include <chrono>
#include <cstdio>

#include "engine/exports.h"
#include "host/commands/commands.h"
#include "host/positions.h"
#include "host/records.h"
#include "host/search_call.h"

namespace {

constexpr char kSearchUsage[] =
    "usage: tenu search (--eval | --depth N | --exact | --wld) [--reference] [--hash MB] [--time] [POSITION...]\n";

}  // namespace

int SearchCommand(const Args& args) {
  ParsedOptions parsed;
  std::string error;
  if (!ParseOptions(args,
                    {Option::SearchEvaluate, Option::SearchDepth, Option::SearchExact, Option::SearchWld,
                     Option::Reference, Option::Hash, Option::Timed},
                    parsed, error) ||
      !ApplyEngineOptions(parsed, error)) {
    std::fprintf(stderr, "tenu search: %s\n", error.c_str());
    return 2;
  }
  // One of the four: the evaluation, or a search of one kind.
  int chosen = 0;
  bool evaluate = false;
  SearchKind kind = SearchKind::Midgame;
  for (const auto& [option, value] : parsed.given) {
    if (option == Option::SearchEvaluate || option == Option::SearchDepth || option == Option::SearchExact ||
        option == Option::SearchWld) {
      ++chosen;
      evaluate = option == Option::SearchEvaluate;
      kind = option == Option::SearchExact ? SearchKind::Exact
             : option == Option::SearchWld ? SearchKind::Wld
                                           : SearchKind::Midgame;
    }
  }
  if (chosen > 1) {
    std::fprintf(stderr, "tenu search: choose one of --eval, --depth N, --exact, --wld\n");
    return 2;
  }
  if (chosen == 0) {
    std::fprintf(stderr, "%s", kSearchUsage);
    return 2;
  }
  const int depth = static_cast<int>(parsed.Count(Option::SearchDepth, 0));
  const bool timed = parsed.Has(Option::Timed);
  const SearchImplementation implementation = ModuleRequest().implementation;
  bool unreadable = false;
  const int status = ForEachPosition("search", parsed.operands, [&](const std::string& text) {
    std::string position;
    std::string why;
    if (!ToPositionString(text, position, why)) {
      std::fprintf(stderr, "tenu search: %s\n", why.c_str());
      unreadable = true;
      return false;
    }
    const auto start = std::chrono::steady_clock::now();
    const SearchCallResult result = evaluate ? CallEvaluation(implementation, position.c_str())
                                             : CallSearch(implementation, position.c_str(), kind, depth);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.parsed) {
      std::printf("error: not a position: %s\n", position.c_str());
      std::fflush(stdout);
      return false;
    }
    if (timed) {
      std::printf("%d %llu %.3f\n", result.value, static_cast<unsigned long long>(result.nodes), seconds);
    } else {
      std::printf("%d %llu\n", result.value, static_cast<unsigned long long>(result.nodes));
    }
    std::fflush(stdout);
    return true;
  });
  return unreadable ? 2 : status;
}
