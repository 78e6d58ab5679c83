// A book of 100 MB of valid lines, checked and used by the tenu program. Not
// run by default: it writes two 100 MB books in turn into a scratch folder
// and takes a few minutes. Run it with
//
//   tenu_tests --gtest_also_run_disabled_tests --gtest_filter='BookStress.*'
//
// It prints the figures: lines, nodes, the time and the peak memory of
// `tenu book check`, and the time of a think with the book in and out of
// book. It checks only what must hold: every line is read, no error.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "board/rules.h"
#include "engine/position.h"
#include "tests/host_process.h"
#include "tests/temp_files.h"

namespace {

constexpr size_t kBookBytes = 100u << 20;

// One random game from the start as a book line ("f5d6c3..."), up to the
// first pass or the end.
std::string RandomLine(std::mt19937& rng) {
  Board board;
  SetStartPosition(board);
  int colour = 1;
  std::string line;
  std::vector<int> moves;
  for (;;) {
    moves.clear();
    for (int s = kFirstSquare; s <= kLastSquare; ++s) {
      if (IsLegalMove(board, s, colour)) moves.push_back(s);
    }
    if (moves.empty()) break;
    const int s = moves[std::uniform_int_distribution<size_t>(0, moves.size() - 1)(rng)];
    PlayMove(board, board, s, colour);
    char square[3];
    FormatSquareLower(s, square);
    line += square;
    colour = -colour;
  }
  return line;
}

struct Figures {
  long lines = 0;
  long nodes = 0;
  double seconds = 0;
  long peak_kb = 0;
};

// Runs tenu book check on the file and reads its report.
Figures CheckBook(const std::string& path, long expected_lines) {
  Figures figures;
  const auto started = std::chrono::steady_clock::now();
  const ProcessResult result = RunTenu({"book", "check", path});
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  figures.peak_kb = usage.ru_maxrss;
  EXPECT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(std::sscanf(result.out.c_str() + path.size(), ": %ld lines read, %ld nodes, no error", &figures.lines,
                        &figures.nodes),
            2)
      << result.out;
  EXPECT_EQ(figures.lines, expected_lines);
  return figures;
}

double ThinkSeconds(const std::string& book, const std::string& position, std::string& reply) {
  const auto started = std::chrono::steady_clock::now();
  const ProcessResult result = RunTenu({"think", "--book", book, position});
  reply = result.out.substr(0, result.out.find('\n'));
  EXPECT_EQ(result.status, 0) << result.err;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

}  // namespace

// The peak memory is that of the largest child so far, so the small book
// comes first.
TEST(BookStress, DISABLED_HundredMegabytesOfTheNamedOpeningsOverAndOver) {
  std::ifstream in(TENU_SOURCE_DIR "/books/openings.txt", std::ios::binary);
  const std::string openings((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(openings.empty());
  long lines_per_copy = 0;
  for (char c : openings) lines_per_copy += c == '\n' ? 1 : 0;
  TempDir dir;
  const std::string path = dir.path() + "/openings-repeated.txt";
  std::ofstream out(path, std::ios::binary);
  size_t written = 0;
  long lines = 0;
  while (written < kBookBytes) {
    out << openings;
    written += openings.size();
    lines += lines_per_copy;
  }
  out.close();
  const Figures figures = CheckBook(path, lines);
  std::printf("named openings repeated: %zu bytes, %ld lines, %ld nodes; book check %.1f s, peak %ld MB\n", written,
              figures.lines, figures.nodes, figures.seconds, figures.peak_kb / 1024);
}

TEST(BookStress, DISABLED_HundredMegabytesOfDistinctRandomGames) {
  TempDir dir;
  const std::string path = dir.path() + "/random-games.txt";
  std::ofstream out(path, std::ios::binary);
  std::mt19937 rng(1);
  size_t written = 0;
  long lines = 0;
  while (written < kBookBytes) {
    const std::string line = RandomLine(rng) + "\n";
    out << line;
    written += line.size();
    ++lines;
  }
  out.close();
  const Figures figures = CheckBook(path, lines);
  // Black to move at the start is the book's first position; white to move
  // there is in no line, so that lookup walks the whole tree.
  Board board;
  SetStartPosition(board);
  char black[kPositionLength + 1];
  char white[kPositionLength + 1];
  FormatPosition(board, 1, black);
  FormatPosition(board, -1, white);
  std::string in_book;
  std::string out_of_book;
  const double start = ThinkSeconds(path, black, in_book);
  const double other = ThinkSeconds(path, white, out_of_book);
  std::printf("random games: %zu bytes, %ld lines, %ld nodes; book check %.1f s, peak %ld MB;"
              " a think (loading the book included) at the start %.1f s (%s), out of book %.1f s (%s)\n",
              written, figures.lines, figures.nodes, figures.seconds, figures.peak_kb / 1024, start, in_book.c_str(),
              other, out_of_book.c_str());
}

// 2^31 empty lines and one more: the line number cannot count the last one,
// which is rejected with the highest number instead of overflowing. Writes
// 2 GB.
TEST(BookStress, DISABLED_MoreLinesThanTheLineNumberHolds) {
  TempDir dir;
  const std::string path = dir.path() + "/empty-lines.txt";
  {
    std::ofstream out(path, std::ios::binary);
    const std::string block(1 << 20, '\n');
    for (int k = 0; k < 2048; ++k) out << block;
    out << "f5\n";
  }
  const ProcessResult result = RunTenu({"book", "check", path});
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_NE(result.out.find("line 2147483647 rejected"), std::string::npos) << result.out;
}
