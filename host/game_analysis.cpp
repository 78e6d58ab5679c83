#include "host/game_analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "board/rules.h"
#include "core/settings.h"
#include "engine/exports.h"
#include "engine/root.h"
#include "engine/think.h"
#include "host/calibration.h"
#include "host/move_values.h"
#include "host/output.h"
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
    // A best move by the engine's own values: the discs of two moves can
    // both be at the whole board's end of the scale and still differ.
    summary.best_moves += move.played_think_eval >= move.best_think_eval;
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

double BestShare(const SideSummary& summary) {
  return summary.moves > 0 ? static_cast<double>(summary.best_moves) / summary.moves : 0;
}

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
  if (!choice.searched) {
    // The last empty square is played without a search: its value is solved.
    const MoveJudgement last = JudgeMove(board, side, judgement.best);
    judgement.eval = last.eval;
    judgement.think_eval = last.think_eval;
    return judgement;
  }
  judgement.think_eval = choice.score / 100.0;
  judgement.eval =
      judgement.exact ? choice.best : MidgameDiscs(choice.best, empties - 1, judgement.depth);
  return judgement;
}

MoveJudgement JudgeMove(const Board& board, int side, int square) {
  const MoveValue value = ValueMove(AnalysisRequest(), board, side, square);
  MoveJudgement judgement;
  judgement.eval = value.discs;
  judgement.think_eval = value.exact ? value.value : value.value / 100.0;
  return judgement;
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
    analysed.best_think_eval = judgement.think_eval;
    analysed.exact = judgement.exact;
    const MoveJudgement played = move.square == judgement.best ? MoveJudgement{judgement.eval, judgement.think_eval}
                                                               : JudgeMove(board, move.colour, move.square);
    analysed.played_eval = played.eval;
    analysed.played_think_eval = played.think_eval;
    analysed.loss = std::max(0.0, analysed.best_eval - analysed.played_eval);
    analysed.mark = analysed.loss >= thresholds.mistake       ? "mistake"
                    : analysed.loss >= thresholds.inaccuracy ? "inaccuracy"
                                                             : "";
    analysis.moves.push_back(analysed);
    PlayMove(board, board, move.square, move.colour);
    if (progress != nullptr) progress(ply, total);
  }
  analysis.black_discs = CountDiscs(game.board, 1);
  analysis.white_discs = CountDiscs(game.board, -1);
  analysis.finished = !HasLegalMove(game.board, 1) && !HasLegalMove(game.board, -1);
  std::vector<AnalysedMove>& moves = analysis.moves;
  for (size_t k = 0; k < moves.size(); ++k) {
    const double mover = moves[k].played_eval * moves[k].colour;
    if (k + 1 < moves.size()) {
      moves[k].after_eval = (mover + moves[k + 1].best_eval * moves[k + 1].colour) / 2;
    } else {
      moves[k].after_eval = analysis.finished ? analysis.black_discs - analysis.white_discs : mover;
    }
  }
  analysis.black = Summarise(analysis.moves, 1);
  analysis.white = Summarise(analysis.moves, -1);
  return analysis;
}

std::string AnalysisTable(const GameAnalysis& analysis, const MarkThresholds& thresholds) {
  char line[480];
  const int solved_from = std::max(EngineSettings.KansakiDepth, EngineSettings.HisshoDepth);
  const int deeper_within = EngineSettings.HisshoDepth + 14;
  std::snprintf(line, sizeof line,
                "Evaluations in discs, for the mover: the final disc difference, exact where the engine solves (from "
                "%d empty squares%s),\nelsewhere predicted from the midgame search at depth %d (%d within %d empty "
                "squares) by a calibration on solved positions.\nMarks: inaccuracy from %.2f discs lost, mistake from "
                "%.2f.\n",
                solved_from,
                EngineSettings.HisshoDepth > EngineSettings.KansakiDepth ? ", the win/loss/draw band included" : "",
                MidgameDepthFor(EngineSettings, deeper_within + 1), MidgameDepthFor(EngineSettings, deeper_within),
                deeper_within, thresholds.inaccuracy, thresholds.mistake);
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
    std::snprintf(line, sizeof line,
                  "%s: %s, average loss %.2f discs, best moves %d (%.0f%%), %s, %s", ColourWord(colour),
                  Counted(s.moves, "move", "moves").c_str(), s.average_loss, s.best_moves, BestShare(s) * 100,
                  Counted(s.inaccuracies, "inaccuracy", "inaccuracies").c_str(),
                  Counted(s.mistakes, "mistake", "mistakes").c_str());
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
         ", \"think_eval\": " + JsonNumber(move.best_think_eval) + ", \"played_think_eval\": " +
         JsonNumber(move.played_think_eval) + ", \"after_eval\": " + JsonNumber(move.after_eval) + "}";
}

std::string JsonSide(const SideSummary& s) {
  std::string out = "{\"moves\": " + std::to_string(s.moves) + ", \"average_loss\": " + JsonNumber(s.average_loss) +
                    ", \"best_moves\": " + std::to_string(s.best_moves) + ", \"best_share\": " +
                    JsonNumber(BestShare(s)) + ", \"inaccuracies\": " + std::to_string(s.inaccuracies) + ", \"mistakes\": " +
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

// A player in the title: the name, and the colour after it unless the name
// is the colour.
std::string PlayerLabel(const std::string& name, const char* colour, const char* capitalised) {
  if (name.empty() || name == capitalised || name == colour) return capitalised;
  return XmlEscaped(name) + " (" + colour + ")";
}

// "Ann (black) 40 - 24 Bo (white)", with the winner or "unfinished".
std::string GameTitle(const GameAnalysis& analysis, const std::string& black_name, const std::string& white_name) {
  const int black = analysis.black_discs;
  const int white = analysis.white_discs;
  std::string outcome = !analysis.finished ? "unfinished"
                        : black > white    ? "black wins"
                        : white > black    ? "white wins"
                                           : "a draw";
  return PlayerLabel(black_name, "black", "Black") + " " + std::to_string(black) + " - " + std::to_string(white) + " " +
         PlayerLabel(white_name, "white", "White") + ", " + outcome;
}

}  // namespace

std::string AnalysisSvg(const GameAnalysis& analysis, const std::string& black_name, const std::string& white_name) {
  // The plot area and its scale: one step per move; the evaluation after
  // each move from black's view in discs, symmetric about 0, up to the
  // first of 8, 16, 32 and 64 discs that holds every evaluation.
  const double left = 60;
  const double top = 64;
  const double width = 720;
  const double height = 290;
  const int plies = std::max<int>(1, static_cast<int>(analysis.moves.size()));
  double range = 8;
  for (const AnalysedMove& move : analysis.moves) {
    while (range < 64 && std::fabs(move.after_eval) > range) range *= 2;
  }
  const auto x_of = [&](int ply) { return left + width * (ply - 0.5) / plies; };
  const auto y_of = [&](double value) { return top + height / 2 - height / 2 * std::clamp(value / range, -1.0, 1.0); };
  const std::string title = GameTitle(analysis, black_name, white_name);
  char buffer[1024];
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"840\" height=\"420\" viewBox=\"0 0 840 420\" "
      "font-family=\"sans-serif\" font-size=\"12\">\n"
      "<title>" + title + ": the evaluation after every move, for black, in discs</title>\n"
      "<rect x=\"0\" y=\"0\" width=\"840\" height=\"420\" fill=\"white\"/>\n"
      "<text x=\"420\" y=\"22\" text-anchor=\"middle\" font-size=\"15\" font-weight=\"bold\">" + title + "</text>\n";
  // Grid: the zero line and four lines either way, with their values; every
  // tenth move.
  for (int k = -4; k <= 4; ++k) {
    const double value = range * k / 4;
    std::snprintf(buffer, sizeof buffer,
                  "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" stroke-width=\"1\"/>\n"
                  "<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"end\">%s%g</text>\n",
                  left, y_of(value), left + width, y_of(value), k == 0 ? "#444" : "#ddd", left - 6, y_of(value) + 4,
                  value > 0 ? "+" : "", value);
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
                "evaluation for black (discs)</text>\n",
                left + width / 2, top + height + 34, top + height / 2, top + height / 2);
  out += buffer;
  // The line through every move's evaluation, then a point per move: black
  // moves filled black, white moves white, marked ones ringed in colour.
  out += "<polyline fill=\"none\" stroke=\"#2a6fdb\" stroke-width=\"2\" points=\"";
  for (const AnalysedMove& move : analysis.moves) {
    std::snprintf(buffer, sizeof buffer, "%.1f,%.1f ", x_of(move.ply), y_of(move.after_eval));
    out += buffer;
  }
  out += "\"/>\n";
  for (const AnalysedMove& move : analysis.moves) {
    const std::string mark = move.mark;
    const char* ring = mark == "mistake" ? "#d62728" : mark == "inaccuracy" ? "#ff9f1c" : "#333";
    std::snprintf(buffer, sizeof buffer,
                  "<circle class=\"move\" cx=\"%.1f\" cy=\"%.1f\" r=\"%d\" fill=\"%s\" stroke=\"%s\" stroke-width=\"%d\">"
                  "<title>%d %s %s %+.2f discs (best %s %+.2f)</title></circle>\n",
                  x_of(move.ply), y_of(move.after_eval), mark.empty() ? 3 : 6,
                  move.colour == 1 ? "black" : "white", ring, mark.empty() ? 1 : 3, move.ply,
                  ColourWord(move.colour), SquareName(move.played).c_str(), move.played_eval,
                  SquareName(move.best).c_str(), move.best_eval);
    out += buffer;
  }
  // Legend: each side's accuracy, then the marks.
  out += "<g font-size=\"13\">\n";
  for (int colour : {1, -1}) {
    const SideSummary& side = colour == 1 ? analysis.black : analysis.white;
    const double x = colour == 1 ? 70 : 420;
    std::snprintf(buffer, sizeof buffer,
                  "<circle cx=\"%.0f\" cy=\"42\" r=\"5\" fill=\"%s\" stroke=\"#333\"/>"
                  "<text x=\"%.0f\" y=\"46\">%s: average loss %.2f discs, best moves %.0f%%</text>\n",
                  x, colour == 1 ? "black" : "white", x + 10, ColourWord(colour), side.average_loss,
                  BestShare(side) * 100);
    out += buffer;
  }
  std::snprintf(buffer, sizeof buffer,
                "<circle cx=\"%.0f\" cy=\"%.0f\" r=\"6\" fill=\"none\" stroke=\"#ff9f1c\" stroke-width=\"3\"/>"
                "<text x=\"%.0f\" y=\"%.0f\">inaccuracy</text>\n"
                "<circle cx=\"%.0f\" cy=\"%.0f\" r=\"6\" fill=\"none\" stroke=\"#d62728\" stroke-width=\"3\"/>"
                "<text x=\"%.0f\" y=\"%.0f\">mistake</text>\n</g>\n",
                left + width - 170, top + height + 30, left + width - 160, top + height + 34, left + width - 70,
                top + height + 30, left + width - 60, top + height + 34);
  out += buffer;
  out += "</svg>\n";
  return out;
}
