// The deep-search benchmark: the engine searches on the positions of
// benchmarks/data against the reference searches (the readable ones that
// follow the rules node for node) and against a strong peer solver.
//
//   tenu_deep_bench [--reference] [--sets exact16,wld18,...] [DATA_FOLDER]
//
// endgame.tsv holds positions reached by random play from the public FFO
// endgame suite #40-#49 (12 to 18 empty squares) and FFO #40-#44 themselves,
// with the peer's exact or win/loss/draw score, nodes and seconds (one
// thread, measured on the machine class the project runs on) and the
// reference search's value and node count where it finished. midgame.tsv
// holds midgame positions with the reference depth-10 value and nodes.
//
// Each set is one row: positions, reference nodes and seconds (measured
// with --reference, where the data has them and no position needs more than
// a billion nodes), engine nodes and seconds, the
// median of the per-position node ratios, and the peer's totals. The
// engine's value must equal the reference's; the peer gives empty squares
// left at the end of the game to the winner while the engine counts them
// for nobody, so a peer score of the same sign but larger size agrees.
// Every search starts from an empty table. Exit status 1 when a value
// disagrees.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "engine/position.h"
#include "search/search.h"

namespace {

struct Row {
  std::string set;
  std::string position;
  int empties = 0;
  int depth = 0;              // midgame rows
  std::string peer_score;     // endgame rows: "+12", ">+02", "<-02", "+00"
  double peer_nodes = 0;
  double peer_seconds = 0;
  bool has_peer = false;
  bool has_reference = false;
  int reference_value = 0;
  double reference_nodes = 0;
};

std::vector<std::map<std::string, std::string>> ReadTable(const std::string& path) {
  std::vector<std::map<std::string, std::string>> rows;
  std::ifstream in(path);
  std::string line;
  std::vector<std::string> header;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream split(line);
    std::string field;
    while (std::getline(split, field, '\t')) fields.push_back(field);
    if (header.empty()) {
      header = fields;
      continue;
    }
    std::map<std::string, std::string> row;
    for (size_t k = 0; k < header.size() && k < fields.size(); ++k) row[header[k]] = fields[k];
    rows.push_back(row);
  }
  return rows;
}

std::vector<Row> ReadRows(const std::string& folder) {
  std::vector<Row> rows;
  for (const auto& fields : ReadTable(folder + "/endgame.tsv")) {
    Row row;
    row.set = fields.at("set");
    row.position = fields.at("position");
    row.empties = std::stoi(fields.at("empties"));
    row.peer_score = fields.at("peer_score");
    row.peer_nodes = std::stod(fields.at("peer_nodes"));
    row.peer_seconds = std::stod(fields.at("peer_seconds"));
    row.has_peer = true;
    if (fields.at("reference_value") != "-") {
      row.has_reference = true;
      row.reference_value = std::stoi(fields.at("reference_value"));
      row.reference_nodes = std::stod(fields.at("reference_nodes"));
    }
    rows.push_back(row);
  }
  for (const auto& fields : ReadTable(folder + "/midgame.tsv")) {
    Row row;
    row.set = fields.at("set");
    row.position = fields.at("position");
    row.empties = std::stoi(fields.at("empties"));
    row.depth = std::stoi(fields.at("depth"));
    row.has_reference = true;
    row.reference_value = std::stoi(fields.at("reference_value"));
    row.reference_nodes = std::stod(fields.at("reference_nodes"));
    rows.push_back(row);
  }
  return rows;
}

SearchKind KindOf(const Row& row) {
  if (row.depth > 0) return SearchKind::Midgame;
  return row.set.rfind("wld", 0) == 0 ? SearchKind::Wld : SearchKind::Exact;
}

struct Measured {
  int value = 0;
  uint64_t nodes = 0;
  double seconds = 0;
};

// One search the way `tenu search` calls it: normalised for the side to
// move, column-order list, colour 1, bound 10000, from an empty table.
Measured Run(const Row& row, SearchImplementation implementation) {
  Board parsed;
  int side = 1;
  ParsePosition(row.position.c_str(), &side, &parsed);
  Board board;
  NormaliseBoard(parsed, board, side);
  MoveList list;
  ListEmpties(board, list);
  ClearSearchTable();
  Measured measured;
  const auto start = std::chrono::steady_clock::now();
  const SearchResult result = RunSearch(implementation, KindOf(row), board, list, 1, kWindow, row.depth, 0);
  measured.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  measured.value = result.value;
  measured.nodes = result.nodes;
  return measured;
}

// Whether the engine's value agrees with the peer's score (see above).
bool AgreesWithPeer(const Row& row, int value) {
  const std::string& score = row.peer_score;
  if (KindOf(row) == SearchKind::Wld) {
    const int sign = score[0] == '>' ? 1 : score[0] == '<' ? -1 : 0;
    return (value > 0) - (value < 0) == sign;
  }
  const int peer = std::stoi(score);
  if (peer == value) return true;
  return (peer > 0 && value > 0 && peer > value) || (peer < 0 && value < 0 && peer < value);
}

// The reference searches are timed only where they take minutes at most.
constexpr double kLongestReference = 1e9;

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool with_reference = false;
  std::vector<std::string> sets;
  std::string folder = TENU_BENCH_DATA;
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    if (arg == "--reference") {
      with_reference = true;
    } else if (arg == "--sets" && k + 1 < argc) {
      std::stringstream split(argv[++k]);
      std::string set;
      while (std::getline(split, set, ',')) sets.push_back(set);
    } else if (arg.rfind("--", 0) == 0) {
      std::fprintf(stderr, "usage: tenu_deep_bench [--reference] [--sets SET,...] [DATA_FOLDER]\n");
      return 2;
    } else {
      folder = arg;
    }
  }
  const std::vector<Row> rows = ReadRows(folder);
  if (rows.empty()) {
    std::fprintf(stderr, "tenu_deep_bench: no positions in %s\n", folder.c_str());
    return 2;
  }
  std::vector<std::string> order;
  for (const Row& row : rows) {
    if (std::find(order.begin(), order.end(), row.set) == order.end()) order.push_back(row.set);
  }

  std::printf("%-10s %3s %14s %9s %12s %9s %8s %8s %12s %8s %8s %8s %s\n", "set", "n", "ref nodes", "ref s",
              "engine nodes", "engine s", "ref/eng", "ref/eng", "peer nodes", "peer s", "eng/peer", "eng/peer",
              "values");
  std::printf("%-10s %3s %14s %9s %12s %9s %8s %8s %12s %8s %8s %8s\n", "", "", "", "", "", "", "nodes*", "time",
              "", "", "nodes", "time");
  bool all_agree = true;
  for (const std::string& set : order) {
    if (!sets.empty() && std::find(sets.begin(), sets.end(), set) == sets.end()) continue;
    double reference_nodes = 0;
    double reference_seconds = 0;
    bool reference_complete = true;
    bool reference_timed = true;
    double engine_nodes = 0;
    double engine_seconds = 0;
    double peer_nodes = 0;
    double peer_seconds = 0;
    bool has_peer = false;
    std::vector<double> ratios;
    int count = 0;
    int agree = 0;
    for (const Row& row : rows) {
      if (row.set != set) continue;
      ++count;
      const Measured engine = Run(row, SearchImplementation::Engine);
      engine_nodes += static_cast<double>(engine.nodes);
      engine_seconds += engine.seconds;
      bool ok = true;
      if (row.has_reference) {
        ok = engine.value == row.reference_value;
        reference_nodes += row.reference_nodes;
        ratios.push_back(row.reference_nodes / static_cast<double>(engine.nodes));
      } else {
        reference_complete = false;
      }
      if (row.has_peer) {
        has_peer = true;
        peer_nodes += row.peer_nodes;
        peer_seconds += row.peer_seconds;
        ok = ok && AgreesWithPeer(row, engine.value);
      }
      if (with_reference && row.has_reference && row.reference_nodes <= kLongestReference) {
        const Measured reference = Run(row, SearchImplementation::Reference);
        reference_seconds += reference.seconds;
        ok = ok && reference.value == engine.value;
      } else {
        reference_timed = false;
      }
      if (!ok) std::printf("  value %d disagrees: %s\n", engine.value, row.position.c_str());
      agree += ok;
      std::fflush(stdout);
    }
    all_agree = all_agree && agree == count;
    char reference_nodes_text[32] = "-";
    char reference_seconds_text[32] = "-";
    char time_ratio[32] = "-";
    if (reference_complete) std::snprintf(reference_nodes_text, sizeof reference_nodes_text, "%.0f", reference_nodes);
    if (with_reference && reference_complete && reference_timed) {
      std::snprintf(reference_seconds_text, sizeof reference_seconds_text, "%.3f", reference_seconds);
      std::snprintf(time_ratio, sizeof time_ratio, "%.0f", reference_seconds / engine_seconds);
    }
    char peer_text[4][32] = {"-", "-", "-", "-"};
    if (has_peer) {
      std::snprintf(peer_text[0], sizeof peer_text[0], "%.0f", peer_nodes);
      std::snprintf(peer_text[1], sizeof peer_text[1], "%.3f", peer_seconds);
      std::snprintf(peer_text[2], sizeof peer_text[2], "%.2f", engine_nodes / peer_nodes);
      std::snprintf(peer_text[3], sizeof peer_text[3], "%.2f", peer_seconds > 0 ? engine_seconds / peer_seconds : 0.0);
    }
    char median_text[32] = "-";
    if (!ratios.empty()) std::snprintf(median_text, sizeof median_text, "%.0f", Median(ratios));
    std::printf("%-10s %3d %14s %9s %12.0f %9.3f %8s %8s %12s %8s %8s %8s %d/%d\n", set.c_str(), count,
                reference_nodes_text, reference_seconds_text, engine_nodes, engine_seconds, median_text, time_ratio,
                peer_text[0], peer_text[1], peer_text[2], peer_text[3], agree, count);
    std::fflush(stdout);
  }
  std::printf("* median over the positions of reference nodes / engine nodes\n");
  return all_agree ? 0 : 1;
}
