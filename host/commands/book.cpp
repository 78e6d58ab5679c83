// tenu book check: a book file loaded as the engine loads it, and reported on.
#include <cstdio>
#include <string>

#include "book/book.h"
#include "engine/exports.h"
#include "host/book_file.h"
#include "host/commands/commands.h"
#include "host/output.h"

namespace {

void ExplainLongLines(const std::string& path, int32_t line_number, bool rejected) {
  const BookLineMap map = MapBookLine(path, rejected ? line_number : 0);
  if (map.first_long == 0) return;
  std::printf("%s: the file's line %d is longer than the %d characters the engine reads at once, and the engine "
              "counts each piece of it as a line",
              path.c_str(), map.first_long, kBookLinePieceSize - 1);
  if (rejected) {
    std::printf("; its line %d is the file's line %d\n", line_number, map.file_line);
  } else {
    std::printf("; its %d lines are the file's %d\n", line_number, map.file_line);
  }
}

}  // namespace

int BookCommand(const Args& args) {
  ParsedOptions parsed;
  std::string error;
  if (!ParseOptions(args, {}, parsed, error) || parsed.operands.size() != 2 || parsed.operands[0] != "check") {
    std::fprintf(stderr, "usage: tenu book check FILE\n");
    return 2;
  }
  const std::string& path = parsed.operands[1];
  // A device or a pipe would be read forever, or never answer.
  if (const std::string problem = BookFileProblem(path); !problem.empty()) {
    std::printf("%s: not read: %s\n", path.c_str(), problem.c_str());
    return 2;
  }
  if (!AcquireBook()) {
    std::fprintf(stderr, "tenu book: out of memory\n");
    return 2;
  }
  int32_t line_number = 0;
  const int loaded = LoadBookFile(path.c_str(), &line_number);
  const long nodes = CountBookNodes();
  int status = 0;
  if (loaded) {
    std::printf("%s: %s read, %s, no error\n", path.c_str(), Counted(line_number, "line", "lines").c_str(),
                Counted(nodes, "node", "nodes").c_str());
    ExplainLongLines(path, line_number, false);
  } else if (line_number == 0) {
    std::printf("%s: cannot be opened\n", path.c_str());
    status = 2;
  } else {
    // The engine says only which line it rejected; the reason is found again.
    std::string why = BookLineProblem(MapBookLine(path, line_number).piece);
    if (why.empty()) why = "it could not be added to the book (out of memory)";
    std::printf("%s: line %d rejected (%s read, %s before it): %s\n", path.c_str(), line_number,
                Counted(line_number, "line", "lines").c_str(), Counted(nodes, "node", "nodes").c_str(), why.c_str());
    ExplainLongLines(path, line_number, true);
    status = 1;
  }
  ReleaseBook();
  return status;
}
