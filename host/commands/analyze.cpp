// tenu analyze: every move of a game against the engine's choice.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/commands/commands.h"
#include "host/game_analysis.h"
#include "host/line_reader.h"
#include "host/output.h"
#include "host/records.h"
#include "host/text_safety.h"

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

// A game to analyse and how it was given, for the table's heading.
struct GivenGame {
  std::string text;
  PlayedGame game;
};

// Reads the games of a file or of standard input: one record a line from
// the start position, or a position (a suite line or position string, as
// `tenu play` saves a game from another start) whose game's moves are on
// the next line. Lines starting with '#' are remarks. False with a message.
bool ReadGames(std::FILE* input, const std::string& name, std::vector<GivenGame>& games, std::string& error) {
  LineReader reader(input, name, kGameListLimits);
  std::string line;
  bool have_start = false;  // a position line waits for its moves
  GivenGame pending;
  LineReader::Got got;
  while ((got = reader.Next(line)) == LineReader::Got::Line) {
    if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
    const std::string where = name + ": line " + std::to_string(reader.line_number()) + ": ";
    if (LooksLikeGameRecord(line)) {
      GivenGame given = have_start ? pending : GivenGame{"", StartedGame()};
      if (!PlayGameRecord(line, given.game, error)) {
        error = where + error;
        return false;
      }
      given.text += (given.text.empty() ? "" : " ") + line;
      games.push_back(given);
      have_start = false;
      continue;
    }
    // A position after a position: the first one's game has no moves.
    if (have_start) games.push_back(pending);
    pending = GivenGame{line, StartedGame()};
    if (!ReadAnyPosition(line, pending.game.start, pending.game.start_side, error)) {
      error = where + "neither a game record (moves from the start such as f5d6c3) nor a position";
      return false;
    }
    pending.game.board = pending.game.start;
    pending.game.side = pending.game.start_side;
    have_start = true;
  }
  if (got != LineReader::Got::End) {
    error = reader.Problem();
    return false;
  }
  if (have_start) games.push_back(pending);
  return true;
}

// Writes one graph; false with the reason when it cannot be written.
bool WriteSvg(std::FILE* file, const std::string& svg, std::string& reason) {
  errno = 0;
  const bool written = std::fwrite(svg.data(), 1, svg.size(), file) == svg.size() && std::fflush(file) == 0;
  const int error = errno;
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  reason = std::strerror(!written && error != 0 ? error : errno != 0 ? errno : EIO);
  return false;
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
  if (thresholds.inaccuracy > thresholds.mistake) {
    std::fprintf(stderr, "tenu analyze: an inaccuracy (%.2f discs lost) cannot be more than a mistake (%.2f)\n",
                 thresholds.inaccuracy, thresholds.mistake);
    return 2;
  }
  const bool json = parsed.Has(Option::Json);
  const std::string svg = parsed.Text(Option::Svg);
  std::string file = parsed.Text(Option::File);
  // Names go into the picture's XML: only valid characters.
  const std::string black_name = XmlSafeText(parsed.Has(Option::BlackName) ? parsed.Text(Option::BlackName) : "Black");
  const std::string white_name = XmlSafeText(parsed.Has(Option::WhiteName) ? parsed.Text(Option::WhiteName) : "White");
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

  // Every game is read before anything is searched: a bad one stops the
  // command with nothing analysed.
  std::vector<GivenGame> games;
  std::string error;
  if (!file.empty()) {
    std::FILE* input = stdin;
    if (file != "-" && !OpenInputFile(file, kGameListLimits, input, error)) {
      std::fprintf(stderr, "tenu analyze: %s\n", error.c_str());
      return 2;
    }
    const std::string name = file == "-" ? "standard input" : file;
    const bool read = ReadGames(input, name, games, error);
    if (file != "-") std::fclose(input);
    if (!read) {
      std::fprintf(stderr, "tenu analyze: %s\n", error.c_str());
      return 2;
    }
    if (games.empty()) {
      std::fprintf(stderr, "tenu analyze: %s holds no game\n", name.c_str());
      return 2;
    }
  }
  for (size_t k = 0; k < records.size(); ++k) {
    GivenGame given{records[k], StartedGame()};
    if (!LooksLikeGameRecord(records[k]) || !PlayGameRecord(records[k], given.game, error)) {
      if (!LooksLikeGameRecord(records[k])) error = "not a game record (moves from the start such as f5d6c3)";
      std::fprintf(stderr, "tenu analyze: game %zu: %s%s\n", k + 1, error.c_str(), UnquotedRecordHint(records).c_str());
      return 2;
    }
    games.push_back(given);
  }

  // The graphs' files are opened before the work, so that one that cannot
  // be written is known at once.
  const int count = static_cast<int>(games.size());
  std::vector<std::FILE*> svg_files;
  for (int k = 0; k < count && !svg.empty(); ++k) {
    const std::string name = SvgFileFor(svg, k + 1, count);
    std::FILE* out = std::fopen(name.c_str(), "wb");
    if (out == nullptr) {
      std::fprintf(stderr, "tenu analyze: the graph cannot be written to %s: %s\n", name.c_str(), std::strerror(errno));
      for (std::FILE* opened : svg_files) std::fclose(opened);
      return kWriteFailedStatus;
    }
    svg_files.push_back(out);
  }

  StartEngineRun(parsed);
  const bool on_terminal = isatty(STDERR_FILENO) != 0;
  int status = 0;
  if (json && count > 1) std::printf("[\n");
  for (int k = 0; k < count; ++k) {
    const GivenGame& given = games[static_cast<size_t>(k)];
    const GameAnalysis analysis = AnalyseGame(given.game, thresholds, on_terminal ? DrawProgress : nullptr);
    if (json) {
      std::printf("%s%s\n", AnalysisJson(analysis, thresholds).c_str(), k + 1 < count ? "," : "");
    } else {
      if (count > 1) std::printf("%sgame %d: %s\n", k > 0 ? "\n" : "", k + 1, given.text.c_str());
      std::printf("%s", AnalysisTable(analysis, thresholds).c_str());
    }
    if (!svg.empty()) {
      std::string reason;
      if (!WriteSvg(svg_files[static_cast<size_t>(k)], AnalysisSvg(analysis, black_name, white_name), reason)) {
        std::fprintf(stderr, "tenu analyze: the graph could not be written to %s: %s\n",
                     SvgFileFor(svg, k + 1, count).c_str(), reason.c_str());
        status = kWriteFailedStatus;
      }
      svg_files[static_cast<size_t>(k)] = nullptr;
    }
    if (status != 0 || !FlushOutput()) break;
  }
  for (std::FILE* left : svg_files) {
    if (left != nullptr) std::fclose(left);
  }
  if (json && count > 1 && status == 0) std::printf("]\n");
  FinishEngineRun();
  return status;
}
