// The data set's text form and the Board of a position.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "search/engine/bitboard.h"
#include "train/train.h"

namespace train {

using bitboard::Bit;

Board MoverBoard(uint64_t me, uint64_t opp) {
  Board board;
  ClearBoard(board);
  for (int b = 0; b < 64; ++b) {
    if ((me >> b & 1) != 0) board.cell[bitboard::SquareOfBit(b)] = 1;
    if ((opp >> b & 1) != 0) board.cell[bitboard::SquareOfBit(b)] = -1;
  }
  return board;
}

std::string PositionString(const Sample& sample) {
  const uint64_t black = sample.side == 1 ? sample.me : sample.opp;
  const uint64_t white = sample.side == 1 ? sample.opp : sample.me;
  std::string text = sample.side == 1 ? "*|" : "0|";
  for (int b = 0; b < 64; ++b) text += (black >> b & 1) != 0 ? '*' : (white >> b & 1) != 0 ? '0' : '-';
  return text;
}

namespace {

std::string SourceName(const Sample& sample) {
  switch (sample.source) {
    case Source::Exact: return "exact";
    case Source::Search: return "search" + std::to_string(sample.depth);
    default: return "none";
  }
}

std::string MoveNames(uint64_t moves) {
  if (moves == 0) return "-";
  std::string text;
  for (int b = 0; b < 64; ++b) {
    if ((moves >> b & 1) == 0) continue;
    if (!text.empty()) text += ',';
    text += static_cast<char>('a' + (b & 7));
    text += static_cast<char>('1' + (b >> 3));
  }
  return text;
}

// Splits a line at tabs, in place.
int SplitTabs(char* line, char* fields[], int most) {
  int count = 0;
  fields[count++] = line;
  for (char* c = line; *c != '\0'; ++c) {
    if (*c == '\t' || *c == '\n' || *c == '\r') {
      const bool tab = *c == '\t';
      *c = '\0';
      if (!tab) break;
      if (count == most) return -1;
      fields[count++] = c + 1;
    }
  }
  return count;
}

bool ParseSample(char* line, Sample& sample) {
  char* field[8];
  if (SplitTabs(line, field, 8) != 7) return false;
  const char* position = field[0];
  if (std::strlen(position) != 66 || position[1] != '|' || (position[0] != '*' && position[0] != '0')) return false;
  sample = Sample{};
  sample.side = position[0] == '*' ? 1 : -1;
  uint64_t black = 0;
  uint64_t white = 0;
  for (int b = 0; b < 64; ++b) {
    const char c = position[2 + b];
    if (c == '*') black |= Bit(b);
    else if (c == '0') white |= Bit(b);
    else if (c != '-') return false;
  }
  sample.me = sample.side == 1 ? black : white;
  sample.opp = sample.side == 1 ? white : black;
  sample.empties = static_cast<int8_t>(64 - bitboard::PopCount(black | white));
  if (std::atoi(field[2]) != sample.empties) return false;
  const std::string source = field[4];
  if (source == "exact") {
    sample.source = Source::Exact;
  } else if (source.rfind("search", 0) == 0) {
    sample.source = Source::Search;
    sample.depth = static_cast<uint8_t>(std::atoi(source.c_str() + 6));
  } else if (source != "none") {
    return false;
  }
  sample.label = std::strtof(field[3], nullptr);
  sample.game = static_cast<uint32_t>(std::strtoul(field[5], nullptr, 10));
  if (std::strcmp(field[6], "-") != 0) {
    for (const char* m = field[6]; m[0] != '\0'; m += m[2] == ',' ? 3 : 2) {
      if (m[0] < 'a' || m[0] > 'h' || m[1] < '1' || m[1] > '8') return false;
      sample.best |= Bit((m[0] - 'a') + 8 * (m[1] - '1'));
      if (m[2] == '\0') break;
    }
  }
  return true;
}

}  // namespace

bool WriteSamples(const std::string& path, const std::vector<Sample>& samples) {
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) return false;
  std::fputs("position\tside\tempties\tlabel\tsource\tgame\tbest\n", out);
  for (const Sample& s : samples) {
    char label[32];
    if (s.source == Source::Exact) {
      std::snprintf(label, sizeof label, "%d", static_cast<int>(s.label));
    } else if (s.source == Source::Search) {
      std::snprintf(label, sizeof label, "%.2f", static_cast<double>(s.label));
    } else {
      std::snprintf(label, sizeof label, "-");
    }
    std::fprintf(out, "%s\t%s\t%d\t%s\t%s\t%u\t%s\n", PositionString(s).c_str(), s.side == 1 ? "black" : "white",
                 s.empties, label, SourceName(s).c_str(), s.game, MoveNames(s.best).c_str());
  }
  return std::fclose(out) == 0;
}

bool ReadSamples(const std::string& path, std::vector<Sample>& samples) {
  std::FILE* in = std::fopen(path.c_str(), "r");
  if (in == nullptr) return false;
  char line[512];
  bool ok = std::fgets(line, sizeof line, in) != nullptr && std::strncmp(line, "position\t", 9) == 0;
  while (ok && std::fgets(line, sizeof line, in) != nullptr) {
    Sample sample;
    ok = ParseSample(line, sample);
    if (ok) samples.push_back(sample);
  }
  std::fclose(in);
  return ok;
}

}  // namespace train
