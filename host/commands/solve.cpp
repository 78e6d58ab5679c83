// tenu solve: every position of an endgame suite solved exactly.
#include <chrono>
#include <cstdio>
#include <string>

#include "host/commands/commands.h"
#include "host/line_reader.h"
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
  std::FILE* input = stdin;
  std::string problem;
  if (file != "-" && !OpenInputFile(file, kSuiteLimits, input, problem)) {
    std::fprintf(stderr, "tenu solve: %s\n", problem.c_str());
    return 2;
  }
  const std::string name = file == "-" ? "standard input" : file;
  LineReader reader(input, name, kSuiteLimits);

  int solved = 0;
  int annotated = 0;
  int agreed = 0;
  int disagreed = 0;
  bool unreadable = false;
  uint64_t total_nodes = 0;
  double total_seconds = 0;
  std::string text;
  LineReader::Got got;
  while ((got = reader.Next(text)) == LineReader::Got::Line) {
    const long number = reader.line_number();
    if (text.find_first_not_of(" \t") == std::string::npos || text[0] == '#') continue;
    SuiteLine line;
    std::string error;
    if (!ParseSuiteLine(text, line, error)) {
      std::fprintf(stderr, "tenu solve: line %ld: %s\n", number, error.c_str());
      unreadable = true;
      continue;
    }
    // The header comes with the first result, so that a suite with no
    // position prints only the message that says so.
    if (solved == 0) std::printf("line  move  score          nodes     time      nodes/s  annotated\n");
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
      ++annotated;
      agreed += agree;
      disagreed += !agree;
      annotation += agree ? " agree" : " DIFFERENT";
    }
    std::printf("%4ld  %-4s  %-5s %14llu %8.3f s %12.0f  %s\n", number, SquareName(solution.move).c_str(),
                score.c_str(), static_cast<unsigned long long>(solution.nodes), seconds,
                seconds > 0 ? static_cast<double>(solution.nodes) / seconds : 0.0, annotation.c_str());
    if (!FlushOutput()) {  // nobody reads the results any more
      if (file != "-") std::fclose(input);
      return 0;
    }
  }
  if (file != "-") std::fclose(input);
  if (got != LineReader::Got::End) {
    std::fprintf(stderr, "tenu solve: %s\n", reader.Problem().c_str());
    return 2;
  }
  if (solved == 0) {
    if (!unreadable) std::fprintf(stderr, "tenu solve: %s holds no position\n", name.c_str());
    return 2;
  }
  // Lines without an annotation have nothing to agree with: they count
  // apart, so that a suite without annotations does not read as failures.
  std::printf("solved %d, agree %d/%d", solved, agreed, annotated);
  if (annotated < solved) std::printf(" (%d not annotated)", solved - annotated);
  std::printf(", nodes %llu, time %.3f s\n", static_cast<unsigned long long>(total_nodes), total_seconds);
  if (unreadable) return 2;
  return disagreed == 0 ? 0 : 1;
}
