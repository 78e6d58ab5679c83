// tenu think: the engine's reply for each position, as the host gets it.
#include <cstdio>
#include <cstring>

#include "engine/exports.h"
#include "host/commands/commands.h"
#include "host/positions.h"
#include "host/records.h"

int ThinkCommand(const Args& args) {
  ParsedOptions parsed;
  if (!ReadCommandLine("think", args, {Option::Raw}, parsed)) return 2;
  const bool raw = parsed.Has(Option::Raw);
  StartEngineRun(parsed);
  bool unreadable = false;
  const int status = ForEachPosition("think", parsed.operands, [&](const std::string& text) {
    // A game record or suite line is thought about as the position it
    // describes; a record with an illegal move is not thought about at all.
    std::string position;
    std::string error;
    if (!ToPositionString(text, position, error)) {
      std::fprintf(stderr, "tenu think: %s%s\n", error.c_str(), UnquotedRecordHint(parsed.operands).c_str());
      unreadable = true;
      return false;
    }
    const char* reply = LumThink(nullptr, position.c_str());
    if (raw) {
      std::fwrite(reply, 1, std::strlen(reply), stdout);
      std::fputc('\n', stdout);
    } else {
      std::printf("%s\n", ToTerminal(reply).c_str());
    }
    return ReplySquare(reply) != 0;
  });
  FinishEngineRun();
  return unreadable ? 2 : status;
}
