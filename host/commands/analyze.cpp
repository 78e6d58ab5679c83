// tenu analyze: every move of a game against the engine's choice.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "host/commands/commands.h"
#include "host/game_analysis.h"
#include "host/output.h"
#include "host/records.h"

namespace {

constexpr char kAnalyzeUsage[] =
    "usage: tenu analyze [engine options] [--json] [--svg FILE] [--inaccuracy D] [--mistake D]\n"
    "                    [--black NAME] [--white NAME] (GAME | --file FILE | -)\n";

// A progress bar on standard error, drawn only on a terminal.
void DrawProgress(int done, int total) {
  const int width = 30;
  const int filled = total > 0 ? done * width / total : width;
  std::fprintf(stderr, "\ranalysing [%s%s] %d/%d", std::string(static_cast<size_t>(filled), '#').c_str(),
               std::string(static_cast<size_t>(width - filled), '.').c_str(), done, total);
  if (done == total) std::fprintf(stderr, "\r%*s\r", width + 30, "");
  std::fflush(stderr);
}

// The SVG file for game k (from 1) of `count`: the name itself for one game,
// "name-k.svg" for several.
std::string SvgFileFor(const std::string& name, int k, int count) {
  if (count == 1) return name;
  const size_t dot = name.rfind('.');
  const size_t slash = name.rfind('/');
  const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string stem = has_extension ? name.substr(0, dot) : name;
  return stem + "-" + std::to_string(k) + (has_extension ? name.substr(dot) : ".svg");
}

}  // namespace

int AnalyzeCommand(const Args& args) {
  ParsedOptions parsed;
  if (!ReadCommandLine("analyze", args,
                       {Option::Json, Option::Svg, Option::File, Option::Inaccuracy, Option::Mistake,
                        Option::BlackName, Option::WhiteName},
                       parsed)) {
    return 2;
  }
  MarkThresholds thresholds;
  thresholds.inaccuracy = parsed.Number(Option::Inaccuracy, thresholds.inaccuracy);
  thresholds.mistake = parsed.Number(Option::Mistake, thresholds.mistake);
  const bool json = parsed.Has(Option::Json);
  const std::string svg = parsed.Text(Option::Svg);
  std::string file = parsed.Text(Option::File);
  const std::string black_name = parsed.Has(Option::BlackName) ? parsed.Text(Option::BlackName) : "Black";
  const std::string white_name = parsed.Has(Option::WhiteName) ? parsed.Text(Option::WhiteName) : "White";
  std::vector<std::string> records;
  for (const std::string& operand : parsed.operands) {
    if (operand == "-") {
      file = "-";
    } else {
      records.push_back(operand);
    }
  }
  if (records.empty() == file.empty()) {
    std::fprintf(stderr, "%s", kAnalyzeUsage);
    return 2;
  }
  if (!file.empty()) {
    std::ifstream in;
    if (file != "-") {
      in.open(file);
      if (!in) {
        std::fprintf(stderr, "tenu analyze: %s cannot be read\n", file.c_str());
        return 2;
      }
    }
    std::istream& source = file == "-" ? std::cin : in;
    std::string line;
    while (std::getline(source, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
      records.push_back(line);
    }
  }

  // Every record is read before anything is searched: a bad one stops the
  // command with nothing analysed.
  std::vector<PlayedGame> games;
  for (size_t k = 0; k < records.size(); ++k) {
    PlayedGame game = StartedGame();
    std::string error;
    if (!LooksLikeGameRecord(records[k]) || !PlayGameRecord(records[k], game, error)) {
      if (error.empty()) error = "not a game record (moves from the start such as f5d6c3)";
      std::fprintf(stderr, "tenu analyze: game %zu: %s\n", k + 1, error.c_str());
      return 2;
    }
    games.push_back(game);
  }

  StartEngineRun(parsed);
  const bool on_terminal = isatty(STDERR_FILENO) != 0;
  const int count = static_cast<int>(games.size());
  if (json && count > 1) std::printf("[\n");
  for (int k = 0; k < count; ++k) {
    const GameAnalysis analysis = AnalyseGame(games[static_cast<size_t>(k)], thresholds, on_terminal ? DrawProgress : nullptr);
    if (json) {
      std::printf("%s%s\n", AnalysisJson(analysis, thresholds).c_str(), k + 1 < count ? "," : "");
    } else {
      if (count > 1) std::printf("%sgame %d: %s\n", k > 0 ? "\n" : "", k + 1, records[static_cast<size_t>(k)].c_str());
      std::printf("%s", AnalysisTable(analysis, thresholds).c_str());
    }
    if (!svg.empty()) {
      const std::string name = SvgFileFor(svg, k + 1, count);
      std::ofstream out(name, std::ios::binary);
      out << AnalysisSvg(analysis, black_name, white_name);
      out.close();
      if (!out) {
        std::fprintf(stderr, "tenu analyze: the graph could not be written to %s\n", name.c_str());
        FinishEngineRun();
        return kWriteFailedStatus;
      }
    }
    if (!FlushOutput()) break;
  }
  if (json && count > 1) std::printf("]\n");
  FinishEngineRun();
  return 0;
}
