// tenu version: the engine's version, name and the installed book.
#include <cstdio>

#include "engine/exports.h"
#include "host/commands/commands.h"
#include "host/installed_book.h"

int VersionCommand(const Args& args) {
  ParsedOptions parsed;
  std::string error;
  if (!ParseOptions(args, {}, parsed, error) || !parsed.operands.empty()) {
    std::fprintf(stderr, "usage: tenu version\n");
    return 2;
  }
  std::printf("Tenu %s version %d\n", ToTerminal(LumInfo()).c_str(), LumVersion());
  const std::string book = InstalledBookPath();
  std::printf("Opening book: %s\n", book.empty() ? "none installed" : book.c_str());
  return 0;
}
