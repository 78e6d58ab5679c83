// The opening book as tenu reads it: loaded as the engine loads it, with
// the engine's failures said in English, naming the line and what is wrong
// with it, instead of the engine's own message.
#pragma once

#include <cstdint>
#include <string>

// Why the engine's book loader rejects a line as it reads it (up to 511
// characters, its line end included): the first move that is no square or
// breaks the rules, a move without its row, more moves than a game has.
// Empty when the loader takes the line.
std::string BookLineProblem(const std::string& piece);

// Where the engine's line count and the file's lines part: the engine reads
// a line longer than it reads at once as several, and counts each of them.
struct BookLineMap {
  int32_t file_line = 0;   // the file's line that holds the engine's line asked for
  int32_t first_long = 0;  // the file's first line read in pieces up to there (0: none)
  std::string piece;       // the engine's line asked for, as it read it
};

// Reads the file again piece by piece, as the loader did, up to the
// engine's line `wanted` (to the end when 0).
BookLineMap MapBookLine(const std::string& path, int32_t wanted);

// What went wrong when the loader answered 0 with this line number: the
// file could not be opened or read (line 0), or its line was rejected.
std::string BookLoadProblem(const std::string& path, int32_t line_number);

// Loads the file into the book (which the caller holds a reference on), as
// the engine's start of play does but without its message; answers what
// went wrong, empty when the whole file was read.
std::string LoadBookInEnglish(const std::string& path);
