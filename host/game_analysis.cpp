#include "host/game_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "board/rules.h"
#include "core/settings.h"
#include "engine/exports.h"
#include "engine/root.h"
#include "engine/think.h"
#include "host/positions.h"

namespace {

// What analysis asks of the engine: the settings in force with no book, no
// progress lines, and the exact solver wherever the win/loss/draw solver
// would run, so that every endgame evaluation is a disc difference.
SearchRequest AnalysisRequest() {
  SearchRequest request = ModuleRequest();
  request.settings.UseJoseki = 0;
  request.show_progress = false;
  EngineSettingsRecord& settings = request.settings;
  if (settings.HisshoDepth > settings.KansakiDepth) settings.KansakiDepth = settings.HisshoDepth;
  return request;
}

int EmptySquares(const Board& board) {
  MoveList list;
  ListEmpties(board, list);
  return list.count;
}

// The value of the position after the engine's side (colour 1 of the
// normalised board `after`) has moved, at the root's regime for `empties`.
double ChildValue(const SearchRequest& request, const Board& after, int empties) {
  MoveList list;
  ListEmpties(after, list);
  if (empties <= request.settings.KansakiDepth) {
    return RunSearch(request.implementation, SearchKind::Exact, after, list, -1, -kWindow, 0, 0).value;
  }
  const int depth = MidgameDepthFor(request.settings, empties);
  return RunSearch(request.implementation, SearchKind::Midgame, after, list, -1, -kWindow, depth, 0).value / 100.0;
}

std::string SquareName(int square) {
  if (square == 0) return "pa";
  char text[3];
  FormatSquareLower(square, text);
  return text;
}

const char* ColourWord(int colour) { return colour == 1 ? "black" : "white"; }

std::string Signed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.2f", value);
  return text;
}

SideSummary Summarise(const std::vector<AnalysedMove>& moves, int colour) {
  SideSummary summary;
  double total = 0;
  std::vector<AnalysedMove> mine;
  for (const AnalysedMove& move : moves) {
    if (move.colour != colour) continue;
    ++summary.moves;
    total += move.loss;
    if (std::string(move.mark) == "mistake") ++summary.mistakes;
    if (std::string(move.mark) == "inaccuracy") ++summary.inaccuracies;
    if (move.loss > 0) mine.push_back(move);
  }
  if (summary.moves > 0) summary.average_loss = total / summary.moves;
  std::stable_sort(mine.begin(), mine.end(), [](const AnalysedMove& a, const AnalysedMove& b) { return a.loss > b.loss; });
  if (mine.size() > 3) mine.resize(3);
  summary.worst = mine;
  return summary;
}

}  // namespace

PositionJudgement JudgePosition(const Board& board, int side) {
  const SearchRequest request = AnalysisRequest();
  PositionJudgement judgement;
  const int empties = EmptySquares(board);
  judgement.exact = empties <= request.settings.KansakiDepth;
  judgement.depth = judgement.exact ? 0 : MidgameDepthFor(request.settings, empties);
  if (!HasLegalMove(board, side)) return judgement;
  const RootChoice choice = ChooseSearchedMove(request, board, side);
  if (choice.square == 0) return judgement;
  judgement.best = choice.square;
  // The last empty square is played without a search: its value is solved.
  judgement.eval = choice.searched ? choice.score / 100.0 : JudgeMove(board, side, judgement.best);
  return judgement;
}

double JudgeMove(const Board& board, int side, int square) {
  Board work;
  NormaliseBoard(board, work, side);
  Board after;
  if (!PlayMove(work, after, square, 1)) return 0;
  return ChildValue(AnalysisRequest(), after, EmptySquares(board));
}

GameAnalysis AnalyseGame(const PlayedGame& game, const MarkThresholds& thresholds,
                         void (*progress)(int done, int total)) {
  GameAnalysis analysis;
  int total = 0;
  for (const GameMove& move : game.moves) total += move.square != 0;
  Board board = game.start;
  int ply = 0;
  for (const GameMove& move : game.moves) {
    if (move.square == 0) continue;
    AnalysedMove analysed;
    analysed.ply = ++ply;
    analysed.colour = move.colour;
    analysed.played = move.square;
    const PositionJudgement judgement = JudgePosition(board, move.colour);
    analysed.best = judgement.best;
    analysed.best_eval = judgement.eval;
    analysed.exact = judgement.exact;
    analysed.played_eval =
        move.square == judgement.best ? judgement.eval : JudgeMove(board, move.colour, move.square);
    analysed.loss = std::max(0.0, analysed.best_eval - analysed.played_eval);
    analysed.mark = analysed.loss >= thresholds.mistake       ? "mistake"
                    : analysed.loss >= thresholds.inaccuracy ? "inaccuracy"
                                                             : "";
    analysis.moves.push_back(analysed);
    PlayMove(board, board, move.square, move.colour);
    if (progress != nullptr) progress(ply, total);
  }
  analysis.black = Summarise(analysis.moves, 1);
  analysis.white = Summarise(analysis.moves, -1);
  analysis.black_discs = CountDiscs(game.board, 1);
  analysis.white_discs = CountDiscs(game.board, -1);
  analysis.finished = !HasLegalMove(game.board, 1) && !HasLegalMove(game.board, -1);
  return analysis;
}

std::string AnalysisTable(const GameAnalysis& analysis, const MarkThresholds& thresholds) {
  char line[320];
  const int solved_from = std::max(EngineSettings.KansakiDepth, EngineSettings.HisshoDepth);
  std::snprintf(line, sizeof line,
                "Midgame at depth %d (%d within %d empty squares), evaluations in hundredths; solved exactly from %d "
                "empty squares%s, evaluations in discs.\nMarks: inaccuracy from %.2f discs lost, mistake from %.2f.\n",
                EngineSettings.Depth, EngineSettings.Depth + 1, EngineSettings.HisshoDepth + 14, solved_from,
                EngineSettings.HisshoDepth > EngineSettings.KansakiDepth ? " (the win/loss/draw band too)" : "",
                thresholds.inaccuracy, thresholds.mistake);
  std::string out = line;
  out += " ply  mover  played     eval  best      eval    loss\n";
  for (const AnalysedMove& move : analysis.moves) {
    const char* mark = std::string(move.mark) == "mistake" ? "  ? mistake" : *move.mark ? "  ?! inaccuracy" : "";
    std::snprintf(line, sizeof line, "%4d  %-5s  %-6s %8s  %-6s %8s %7.2f%s%s\n", move.ply, ColourWord(move.colour),
                  SquareName(move.played).c_str(), Signed(move.played_eval).c_str(), SquareName(move.best).c_str(),
                  Signed(move.best_eval).c_str(), move.loss, move.exact ? "  exact" : "", mark);
    out += line;
  }
  for (int colour : {1, -1}) {
    const SideSummary& s = colour == 1 ? analysis.black : analysis.white;
    std::snprintf(line, sizeof line, "%s: %d moves, average loss %.2f, %d inaccuracies, %d mistakes", ColourWord(colour),
                  s.moves, s.average_loss, s.inaccuracies, s.mistakes);
    out += line;
    if (!s.worst.empty()) {
      out += "; worst:";
      for (const AnalysedMove& move : s.worst) {
        std::snprintf(line, sizeof line, " %d.%s (-%.2f)", move.ply, SquareName(move.played).c_str(), move.loss);
        out += line;
      }
    }
    out += "\n";
  }
  std::snprintf(line, sizeof line, "%s: black %d, white %d\n", analysis.finished ? "result" : "unfinished",
                analysis.black_discs, analysis.white_discs);
  out += line;
  return out;
}

namespace {

std::string JsonNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

std::string JsonMove(const AnalysedMove& move) {
  return "{\"ply\": " + std::to_string(move.ply) + ", \"colour\": \"" + ColourWord(move.colour) + "\", \"played\": \"" +
         SquareName(move.played) + "\", \"best\": \"" + SquareName(move.best) + "\", \"best_eval\": " +
         JsonNumber(move.best_eval) + ", \"played_eval\": " + JsonNumber(move.played_eval) + ", \"loss\": " +
         JsonNumber(move.loss) + ", \"mark\": \"" + move.mark + "\", \"exact\": " + (move.exact ? "true" : "false") +
         "}";
}

std::string JsonSide(const SideSummary& s) {
  std::string out = "{\"moves\": " + std::to_string(s.moves) + ", \"average_loss\": " + JsonNumber(s.average_loss) +
                    ", \"inaccuracies\": " + std::to_string(s.inaccuracies) + ", \"mistakes\": " +
                    std::to_string(s.mistakes) + ", \"worst\": [";
  for (size_t k = 0; k < s.worst.size(); ++k) {
    if (k > 0) out += ", ";
    out += "{\"ply\": " + std::to_string(s.worst[k].ply) + ", \"played\": \"" + SquareName(s.worst[k].played) +
           "\", \"loss\": " + JsonNumber(s.worst[k].loss) + "}";
  }
  return out + "]}";
}

}  // namespace

std::string AnalysisJson(const GameAnalysis& analysis, const MarkThresholds& thresholds) {
  std::string out = "{\"settings\": {\"depth\": " + std::to_string(EngineSettings.Depth) + ", \"exact\": " +
                    std::to_string(EngineSettings.KansakiDepth) + ", \"wld\": " +
                    std::to_string(EngineSettings.HisshoDepth) + ", \"solved_from\": " +
                    std::to_string(std::max(EngineSettings.KansakiDepth, EngineSettings.HisshoDepth)) +
                    ", \"inaccuracy\": " + JsonNumber(thresholds.inaccuracy) + ", \"mistake\": " +
                    JsonNumber(thresholds.mistake) + "},\n \"moves\": [";
  for (size_t k = 0; k < analysis.moves.size(); ++k) out += (k > 0 ? ",\n  " : "\n  ") + JsonMove(analysis.moves[k]);
  out += "\n ],\n \"summary\": {\"black\": " + JsonSide(analysis.black) + ",\n  \"white\": " + JsonSide(analysis.white) +
         "},\n \"result\": {\"finished\": " + (analysis.finished ? "true" : "false") + ", \"black\": " +
         std::to_string(analysis.black_discs) + ", \"white\": " + std::to_string(analysis.white_discs) + "}}";
  return out;
}

namespace {

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

namespace {

// A player in the legend: the name, and the colour after it unless the name
// is the colour.
std::string PlayerLabel(const std::string& name, const char* colour, const char* capitalised) {
  if (name.empty() || name == capitalised || name == colour) return capitalised;
  return XmlEscaped(name) + " (" + colour + ")";
}

}  // namespace

std::string AnalysisSvg(const GameAnalysis& analysis, const std::string& black_name, const std::string& white_name) {
  // The plot area and its scales: one step per move; the evaluation after
  // each move from black's view, symmetric about 0 and compressed away from
  // it, so that midgame evaluations (fractions of a disc) and exact
  // endgame results (up to 64 discs) both read in one picture.
  const double left = 60;
  const double top = 40;
  const double width = 720;
  const double height = 300;
  const int plies = std::max<int>(1, static_cast<int>(analysis.moves.size()));
  const auto compress = [](double value) { return std::copysign(std::log1p(std::fabs(value) * 4), value); };
  double range = 2;  // the largest evaluation the axis shows: 2, 8, 32 or 64
  for (const AnalysedMove& move : analysis.moves) {
    while (range < 64 && std::fabs(move.played_eval) > range) range *= 4;
  }
  range = std::min(range, 64.0);
  const auto x_of = [&](int ply) { return left + width * (ply - 0.5) / plies; };
  const auto y_of = [&](double value) {
    return top + height / 2 - height / 2 * compress(value) / compress(range);
  };
  char buffer[1024];
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"840\" height=\"420\" viewBox=\"0 0 840 420\" "
      "font-family=\"sans-serif\" font-size=\"12\">\n"
      "<title>Evaluation of the game, from black's view</title>\n"
      "<rect x=\"0\" y=\"0\" width=\"840\" height=\"420\" fill=\"white\"/>\n";
  // Grid: the zero line and lines at 0.5, 2, 8, 32 discs up to the axis'
  // end either way, with their values; every tenth move.
  std::vector<double> marks = {0};
  for (double value = 0.5; value * 2 < range; value *= 4) marks.insert(marks.end(), {value, -value});
  marks.insert(marks.end(), {range, -range});
  for (double value : marks) {
    std::snprintf(buffer, sizeof buffer,
                  "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" stroke-width=\"1\"/>\n"
                  "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%s%g</text>\n",
                  left, y_of(value), left + width, y_of(value), value == 0 ? "#444" : "#ddd", left - 6,
                  y_of(value) + 4, value > 0 ? "+" : "", value);
    out += buffer;
  }
  for (int ply = 10; ply <= plies; ply += 10) {
    std::snprintf(buffer, sizeof buffer,
                  "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#eee\"/>\n"
                  "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">%d</text>\n",
                  x_of(ply), top, x_of(ply), top + height, x_of(ply), top + height + 16, ply);
    out += buffer;
  }
  std::snprintf(buffer, sizeof buffer,
                "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"middle\">move</text>\n"
                "<text x=\"16\" y=\"%.1f\" transform=\"rotate(-90 16 %.1f)\" text-anchor=\"middle\">"
                "evaluation for black (discs)</text>\n"
                "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\" fill=\"#777\">the scale shrinks away from 0</text>\n",
                left + width / 2, top + height + 34, top + height / 2, top + height / 2, left + width, top + height + 34);
  out += buffer;
  // The line through every move's evaluation, then a point per move: black
  // moves filled black, white moves white, marked ones ringed in colour.
  out += "<polyline fill=\"none\" stroke=\"#2a6fdb\" stroke-width=\"2\" points=\"";
  for (const AnalysedMove& move : analysis.moves) {
    std::snprintf(buffer, sizeof buffer, "%.1f,%.1f ", x_of(move.ply), y_of(move.played_eval * move.colour));
    out += buffer;
  }
  out += "\"/>\n";
  for (const AnalysedMove& move : analysis.moves) {
    const std::string mark = move.mark;
    const char* ring = mark == "mistake" ? "#d62728" : mark == "inaccuracy" ? "#ff9f1c" : "#333";
    std::snprintf(buffer, sizeof buffer,
                  "<circle class=\"move\" cx=\"%.1f\" cy=\"%.1f\" r=\"%d\" fill=\"%s\" stroke=\"%s\" stroke-width=\"%d\">"
                  "<title>%d %s %s %+.2f (best %s %+.2f)</title></circle>\n",
                  x_of(move.ply), y_of(move.played_eval * move.colour), mark.empty() ? 3 : 6,
                  move.colour == 1 ? "black" : "white", ring, mark.empty() ? 1 : 3, move.ply,
                  ColourWord(move.colour), SquareName(move.played).c_str(), move.played_eval,
                  SquareName(move.best).c_str(), move.best_eval);
    out += buffer;
  }
  // Legend.
  out += "<g font-size=\"13\">\n"
         "<circle cx=\"70\" cy=\"20\" r=\"5\" fill=\"black\" stroke=\"#333\"/><text x=\"80\" y=\"24\">" +
         PlayerLabel(black_name, "black", "Black") +
         "</text>\n"
         "<circle cx=\"300\" cy=\"20\" r=\"5\" fill=\"white\" stroke=\"#333\"/><text x=\"310\" y=\"24\">" +
         PlayerLabel(white_name, "white", "White") +
         "</text>\n"
         "<circle cx=\"530\" cy=\"20\" r=\"6\" fill=\"none\" stroke=\"#ff9f1c\" stroke-width=\"3\"/>"
         "<text x=\"540\" y=\"24\">inaccuracy</text>\n"
         "<circle cx=\"640\" cy=\"20\" r=\"6\" fill=\"none\" stroke=\"#d62728\" stroke-width=\"3\"/>"
         "<text x=\"650\" y=\"24\">mistake</text>\n</g>\n";
  out += "</svg>\n";
  return out;
}
