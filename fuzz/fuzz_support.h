// Shared pieces of the fuzz targets: a failed check that aborts with a
// message, scratch files per fuzzing process, the cheap search settings the
// think and move-scoring fuzzers run with, and a plain 8x8 model of the
// move rules that owes nothing to the engine's Board code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Prints the failed condition and aborts: libFuzzer keeps the input as a crash.
[[noreturn]] void FuzzFailure(const char* file, int line, const char* condition, const std::string& detail);
#define FUZZ_CHECK(condition, detail)                                   \
  do {                                                                  \
    if (!(condition)) FuzzFailure(__FILE__, __LINE__, #condition, (detail)); \
  } while (false)

// A path in the temporary folder that only this process uses.
std::string FuzzScratchPath(const char* name);
// Replaces the file's contents with the bytes.
void WriteScratchFile(const std::string& path, const uint8_t* data, size_t size);

// Shallow searches so that every input costs little: Depth 1, the exact
// solver from 6 empty squares, the win/loss/draw solver from 8.
void UseCheapSearchSettings();

// The rules on a plain array: cell[x][y] for columns and rows 0..7 (a1 is
// [0][0]), 1 black, -1 white, 0 empty.
struct ModelBoard {
  int cell[8][8];
};
ModelBoard ModelStart();
// Column x and row y in 1..8.
bool ModelLegal(const ModelBoard& board, int x, int y, int colour);
// Plays a legal move (answers false and changes nothing when it is not).
bool ModelPlay(ModelBoard& board, int x, int y, int colour);
bool ModelHasMove(const ModelBoard& board, int colour);
int ModelEmpties(const ModelBoard& board);
