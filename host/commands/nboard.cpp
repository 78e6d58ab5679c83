// tenu nboard: the engine behind a GUI that speaks the NBoard protocol, one
// command a line on standard input, one answer a line on standard output.
#include <cstdio>
#include <iostream>

#include "host/commands/commands.h"
#include "host/nboard_session.h"
#include "host/output.h"

int NBoardCommand(const Args& args) {
  ParsedOptions parsed;
  if (!ReadCommandLine("nboard", args, {}, parsed)) return 2;
  if (!parsed.operands.empty()) {
    std::fprintf(stderr, "tenu nboard: unexpected argument %s\n", parsed.operands[0].c_str());
    return 2;
  }
  StartEngineRun(parsed);
  NBoardSession session([](const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    FlushOutput();
  });
  // The GUI reads the answers: once they cannot be written, the session ends.
  std::string line;
  while (FlushOutput() && std::getline(std::cin, line)) session.HandleLine(line);
  FinishEngineRun();
  return 0;
}
