// tenu solve: every position of an endgame suite solved exactly.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "host/commands/commands.h"
#include "host/output.h"
#include "host/records.h"
#include "search/search.h"

namespace {

constexpr char kSolveUsage[] = "usage: tenu solve [--hash MB] (FILE | -)\n";

std::string SquareName(int square) {
  if (square == 0) return "pa";
  char text[3];
  FormatSquareLower(square, text);
  return text;
}

}  // namespace

int SolveCommand(const Args& args) {
  ParsedOptions parsed;
  std::string wrong;
  if (!ParseOptions(args, {Option::Hash}, parsed, wrong) || !ApplyEngineOptions(parsed, wrong)) {
    std::fprintf(stderr, "tenu solve: %s\n%s", wrong.c_str(), kSolveUsage);
    return 2;
  }
  if (parsed.operands.size() != 1) {
    std::fprintf(stderr, "%s", kSolveUsage);
    return 2;
  }
  const std::string& file = parsed.operands[0];
  std::ifstream in;
  if (file != "-") {
    in.open(file);
    if (!in) {
      std::fprintf(stderr, "tenu solve: %s cannot be read\n", file.c_str());
      return 2;
    }
  }
  std::istream& source = file == "-" ? std::cin : in;

  std::printf("line  move  score          nodes     time      nodes/s  annotated\n");
  int solved = 0;
  int agreed = 0;
  int disagreed = 0;
  bool unreadable = false;
  uint64_t total_nodes = 0;
  double total_seconds = 0;
  std::string text;
  for (int number = 1; std::getline(source, text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.find_first_not_of(" \t") == std::string::npos || text[0] == '#') continue;
    SuiteLine line;
    std::string error;
    if (!ParseSuiteLine(text, line, error)) {
      std::fprintf(stderr, "tenu solve: line %d: %s\n", number, error.c_str());
      unreadable = true;
      continue;
    }
    // Each position from an empty table, so that its node count can be
    // reproduced; the time is the solve's alone.
    ClearSearchTable();
    const auto start = std::chrono::steady_clock::now();
    const PositionSolution solution = SolvePosition(line.board, line.side, false);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++solved;
    total_nodes += solution.nodes;
    total_seconds += seconds;
    std::string score = (solution.value >= 0 ? "+" : "") + std::to_string(solution.value);
    std::string annotation = "-";
    if (line.annotated) {
      annotation = SquareName(line.annotated_square) + ":" + (line.annotated_score >= 0 ? "+" : "") +
                   std::to_string(line.annotated_score);
      bool agree = solution.value == line.annotated_score;
      if (!agree) {
        // Suites give the empty squares left at the end to the winner; the
        // engine counts them for nobody. Where that makes the difference,
        // both scores are shown and the line agrees.
        const PositionSolution to_winner = SolvePosition(line.board, line.side, true);
        if (to_winner.value != solution.value) {
          score += " (" + std::string(to_winner.value >= 0 ? "+" : "") + std::to_string(to_winner.value) +
                   " with empty squares to the winner)";
        }
        agree = to_winner.value == line.annotated_score;
      }
      agreed += agree;
      disagreed += !agree;
      annotation += agree ? " agree" : " DIFFERENT";
    }
    std::printf("%4d  %-4s  %-5s %14llu %8.3f s %12.0f  %s\n", number, SquareName(solution.move).c_str(),
                score.c_str(), static_cast<unsigned long long>(solution.nodes), seconds,
                seconds > 0 ? static_cast<double>(solution.nodes) / seconds : 0.0, annotation.c_str());
    if (!FlushOutput()) break;
  }
  std::printf("solved %d, agree %d/%d, nodes %llu, time %.3f s\n", solved, agreed, solved,
              static_cast<unsigned long long>(total_nodes), total_seconds);
  if (unreadable) return 2;
  return disagreed == 0 ? 0 : 1;
}
