// tenu nboard: the engine behind a GUI that speaks the NBoard protocol, one
// command a line on standard input, one answer a line on standard output.
// Once the session runs, nothing goes to standard error: a GUI may read it
// as protocol lines, so warnings go out as status lines.
#include <cstdio>

#include "host/commands/commands.h"
#include "host/line_reader.h"
#include "host/nboard_session.h"
#include "host/output.h"

int NBoardCommand(const Args& args) {
  ParsedOptions parsed;
  if (!ReadCommandLine("nboard", args, {}, parsed)) return 2;
  if (!parsed.operands.empty()) {
    std::fprintf(stderr, "tenu nboard: unexpected argument %s\n", parsed.operands[0].c_str());
    return 2;
  }
  NBoardSession session([](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    FlushOutput();
  });
  StartEngineRun(parsed, false, [&session](const std::string& text) { session.Note("warning: " + text); });
  // The GUI reads the answers: once they cannot be written, the session ends.
  // A line longer than any command is skipped, with a note, and the session
  // goes on.
  LineReader reader(stdin, "standard input", kNBoardLineLimits);
  std::string line;
  while (FlushOutput()) {
    const LineReader::Got got = reader.Next(line);
    if (got == LineReader::Got::TooLong) {
      session.Note("line " + std::to_string(reader.line_number()) + " is longer than the " +
                   SizeText(kNBoardLineLimits.line) + " a command may have; it is skipped");
      if (!reader.SkipRestOfLine()) break;
      continue;
    }
    if (got != LineReader::Got::Line) break;
    session.HandleLine(line);
  }
  FinishEngineRun();
  return 0;
}
