#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/settings.h"

void FuzzFailure(const char* file, int line, const char* condition, const std::string& detail) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", file, line, condition, detail.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string FuzzScratchPath(const char* name) {
  // A file in memory where there is such a folder: rewriting a file on disk
  // for every input would cost more than the input itself.
  const char* folder = std::getenv("TMPDIR");
  std::string path = folder != nullptr && folder[0] != '\0' ? folder : access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return path + "/tenu-fuzz-" + std::to_string(getpid()) + "-" + name;
}

namespace {
std::vector<std::string> ScratchFiles;
void RemoveScratchFiles() {
  for (const std::string& path : ScratchFiles) unlink(path.c_str());
}
}  // namespace

void WriteScratchFile(const std::string& path, const uint8_t* data, size_t size) {
  if (std::find(ScratchFiles.begin(), ScratchFiles.end(), path) == ScratchFiles.end()) {
    if (ScratchFiles.empty()) std::atexit(RemoveScratchFiles);
    ScratchFiles.push_back(path);
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr, "cannot write " + path);
  if (size > 0) FUZZ_CHECK(std::fwrite(data, 1, size, file) == size, "short write to " + path);
  FUZZ_CHECK(std::fclose(file) == 0, "cannot close " + path);
}

void UseCheapSearchSettings() {
  EngineSettings = DefaultSettings();
  EngineSettings.Depth = 1;
  EngineSettings.KansakiDepth = 6;
  EngineSettings.HisshoDepth = 8;
}

ModelBoard ModelStart() {
  ModelBoard board{};
  board.cell[3][3] = -1;  // d4
  board.cell[4][4] = -1;  // e5
  board.cell[3][4] = 1;   // d5
  board.cell[4][3] = 1;   // e4
  return board;
}

namespace {

// The number of opponent discs that the move at (x, y) turns along (dx, dy).
int Turned(const ModelBoard& board, int x, int y, int dx, int dy, int colour) {
  int count = 0;
  int cx = x + dx;
  int cy = y + dy;
  while (cx >= 0 && cx < 8 && cy >= 0 && cy < 8 && board.cell[cx][cy] == -colour) {
    ++count;
    cx += dx;
    cy += dy;
  }
  if (cx < 0 || cx >= 8 || cy < 0 || cy >= 8 || board.cell[cx][cy] != colour) return 0;
  return count;
}

}  // namespace

bool ModelLegal(const ModelBoard& board, int x, int y, int colour) {
  if (x < 1 || x > 8 || y < 1 || y > 8 || board.cell[x - 1][y - 1] != 0) return false;
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dy = -1; dy <= 1; ++dy) {
      if ((dx != 0 || dy != 0) && Turned(board, x - 1, y - 1, dx, dy, colour) > 0) return true;
    }
  }
  return false;
}

bool ModelPlay(ModelBoard& board, int x, int y, int colour) {
  if (!ModelLegal(board, x, y, colour)) return false;
  const int cx = x - 1;
  const int cy = y - 1;
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dy = -1; dy <= 1; ++dy) {
      if (dx == 0 && dy == 0) continue;
      const int n = Turned(board, cx, cy, dx, dy, colour);
      for (int k = 1; k <= n; ++k) board.cell[cx + k * dx][cy + k * dy] = colour;
    }
  }
  board.cell[cx][cy] = colour;
  return true;
}

bool ModelHasMove(const ModelBoard& board, int colour) {
  for (int x = 1; x <= 8; ++x) {
    for (int y = 1; y <= 8; ++y) {
      if (ModelLegal(board, x, y, colour)) return true;
    }
  }
  return false;
}

int ModelEmpties(const ModelBoard& board) {
  int n = 0;
  for (const auto& column : board.cell) {
    for (int c : column) n += c == 0 ? 1 : 0;
  }
  return n;
}
