// Bounded reading of text input: every reader of a file or of standard
// input takes its lines through here, so that no line and no input can grow
// without end (a device such as /dev/zero, a pipe that never ends a line, a
// huge file) and eat the machine's memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// How much one kind of input may hold: the longest line, and the most bytes
// in all (0: no bound, for inputs read one line at a time and let go), and
// what the input is, for the messages.
struct ReadLimits {
  size_t line;
  uint64_t total;
  const char* what;  // "a record file", ...
};

// Lines of positions, records and suites are a few hundred characters at
// most; 64 KiB is far beyond any that a person or a program writes.
constexpr size_t kLongestTextLine = size_t{64} << 10;
// A game record file holds one game.
constexpr ReadLimits kRecordFileLimits{kLongestTextLine, uint64_t{1} << 20, "a record file"};
// The games to analyse are all read before the first is analysed.
constexpr ReadLimits kGameListLimits{kLongestTextLine, uint64_t{16} << 20, "a file of games"};
// A suite is solved line by line; its size only bounds a run.
constexpr ReadLimits kSuiteLimits{kLongestTextLine, uint64_t{256} << 20, "a suite file"};
// Positions on standard input are answered one by one, as long as they come.
constexpr ReadLimits kPositionStreamLimits{kLongestTextLine, 0, "a list of positions"};
// An NBoard command line: a game record with every move's time and comments
// stays far below 1 MiB. A session has no end, so no total.
constexpr ReadLimits kNBoardLineLimits{size_t{1} << 20, 0, "an NBoard session"};

// A size in bytes as people read it: "64 KiB", "16 MiB".
std::string SizeText(uint64_t bytes);

// Opens a named input for reading. Only a regular file is taken: a folder
// is no file of lines, and a device or a pipe could be read forever or
// never answer. A file larger than the limits allow, or an empty one, is
// refused as well. False with a message naming the file and the reason.
bool OpenInputFile(const std::string& path, const ReadLimits& limits, std::FILE*& file, std::string& error);

class LineReader {
 public:
  enum class Got { Line, End, TooLong, TooMuch, Failed };

  // Reads file (not owned, not closed) under the name given in messages
  // ("standard input" or the file's path).
  LineReader(std::FILE* file, std::string name, const ReadLimits& limits);

  // The next line without its line end (LF, or CR LF). A line longer than
  // the limit answers TooLong, having read just past the limit; input past
  // the total answers TooMuch; a read error Failed. A last line without a
  // line end is a line. Lines may hold any byte, NUL included.
  Got Next(std::string& line);

  // After TooLong: reads past the rest of that line (keeping nothing), so
  // that the next call reads the line after it. False at the end of the
  // input or on a read error.
  bool SkipRestOfLine();

  // The number of the line last read (the first is 1).
  long line_number() const { return line_number_; }

  // The message for what Next answered last (TooLong, TooMuch or Failed),
  // naming the input, the line and the limit.
  std::string Problem() const;

 private:
  std::FILE* file_;
  std::string name_;
  ReadLimits limits_;
  long line_number_ = 0;
  uint64_t total_ = 0;
  Got last_ = Got::Line;
  int error_ = 0;
};
