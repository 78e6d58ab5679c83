// tenu solve: every position of an endgame suite solved exactly.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "host/commands/commands.h"
#include "host/line_reader.h"
#include "host/output.h"
#include "host/records.h"
#include "search/search.h"

namespace {

constexpr char kSolveUsage[] = "usage: tenu solve [--hash MB] [--time SECONDS] (FILE | -)\n";

std::string SquareName(int square) {
  if (square == 0) return "pa";
  char text[3];
  FormatSquareLower(square, text);
  return text;
}

// One line's solve as it goes: its time limit, and the progress line on a
// terminal (standard error), erased when the line's result is printed.
struct LineWatch {
  int number = 0;
  bool show = false;
  double limit = 0;  // seconds, 0 for none
  std::chrono::steady_clock::time_point start;

  double Elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
};

bool PastLimit(void* context) {
  const LineWatch& watch = *static_cast<const LineWatch*>(context);
  return watch.limit > 0 && watch.Elapsed() >= watch.limit;
}

void ShowLineProgress(void* context, int square, int best, int chosen) {
  const LineWatch& watch = *static_cast<const LineWatch*>(context);
  if (!watch.show) return;
  if (chosen == 0) {
    std::fprintf(stderr, "\r\x1b[Kline %d: %.1f s, solving %s first", watch.number, watch.Elapsed(),
                 SquareName(square).c_str());
  } else {
    std::fprintf(stderr, "\r\x1b[Kline %d: %.1f s, best so far %s %+d, trying %s", watch.number, watch.Elapsed(),
                 SquareName(chosen).c_str(), best, SquareName(square).c_str());
  }
  std::fflush(stderr);
}

}  // namespace

int SolveCommand(const Args& args) {
  ParsedOptions parsed;
  std::string wrong;
  if (!ParseOptions(args, {Option::Hash, Option::TimeLimit}, parsed, wrong) || !ApplyEngineOptions(parsed, wrong)) {
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

  LineWatch watch;
  watch.show = isatty(STDERR_FILENO) != 0;
  watch.limit = parsed.Number(Option::TimeLimit, 0);
  SolveControl control;
  control.progress = ShowLineProgress;
  control.progress_context = &watch;
  control.stop = PastLimit;
  control.stop_context = &watch;

  // Scores as suites give them: the empty squares left at the end of the
  // game go to the winner.
  int positions = 0;
  int solved = 0;
  int annotated = 0;
  int agreed = 0;
  int disagreed = 0;
  int unfinished = 0;
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
    if (positions++ == 0) std::printf("line  move  score          nodes     time      nodes/s  annotated\n");
    // Each position from an empty table, so that its node count can be
    // reproduced; the time is the solve's alone.
    ClearSearchTable();
    watch.number = static_cast<int>(number);
    watch.start = std::chrono::steady_clock::now();
    const PositionSolution solution = SolvePosition(line.board, line.side, true, control);
    const double seconds = watch.Elapsed();
    if (watch.show) std::fputs("\r\x1b[K", stderr);
    total_nodes += solution.nodes;
    total_seconds += seconds;
    std::string annotation = "-";
    if (line.annotated) {
      annotation = SquareName(line.annotated_square) + ":" + (line.annotated_score >= 0 ? "+" : "") +
                   std::to_string(line.annotated_score);
    }
    std::string move = "-";
    std::string score = "-";
    if (!solution.finished) {
      ++unfinished;
      annotation += " NOT SOLVED in " + parsed.Text(Option::TimeLimit) + " s";
    } else {
      ++solved;
      move = SquareName(solution.move);
      score = (solution.value >= 0 ? "+" : "") + std::to_string(solution.value);
      if (line.annotated) {
        const bool agree = solution.value == line.annotated_score;
        ++annotated;
        agreed += agree;
        disagreed += !agree;
        annotation += agree ? " agree" : " DIFFERENT";
      }
    }
    std::printf("%4ld  %-4s  %-5s %14llu %8.3f s %12.0f  %s\n", number, move.c_str(), score.c_str(),
                static_cast<unsigned long long>(solution.nodes), seconds,
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
  if (positions == 0) {
    if (!unreadable) std::fprintf(stderr, "tenu solve: %s holds no position\n", name.c_str());
    return 2;
  }
  // Lines without an annotation have nothing to agree with: they count
  // apart, so that a suite without annotations does not read as failures.
  std::printf("solved %d, agree %d/%d", solved, agreed, annotated);
  if (annotated < solved) std::printf(" (%d not annotated)", solved - annotated);
  std::printf(", nodes %llu, time %.3f s", static_cast<unsigned long long>(total_nodes), total_seconds);
  if (unfinished > 0) std::printf(", not solved in time %d", unfinished);
  std::printf("\n");
  if (unreadable) return 2;
  return disagreed == 0 && unfinished == 0 ? 0 : 1;
}
