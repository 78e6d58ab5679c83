// book check and setup: the commands for book authors and for the settings.
#include <cstdio>

#include "book/book.h"
#include "engine/exports.h"
#include "host/commands.h"
#include "host/options.h"
#include "core/settings.h"

int BookCommand(const Args& args) {
  if (args.size() != 2 || args[0] != "check") {
    std::fprintf(stderr, "usage: tenu book check FILE\n");
    return 2;
  }
  if (!AcquireBook()) {
    std::fprintf(stderr, "tenu book: out of memory\n");
    return 2;
  }
  int32_t line_number = 0;
  const int loaded = LoadBookFile(args[1].c_str(), &line_number);
  const long nodes = CountBookNodes();
  int status = 0;
  if (loaded) {
    std::printf("%s: %d lines read, %ld nodes, no error\n", args[1].c_str(), line_number, nodes);
  } else if (line_number == 0) {
    std::printf("%s: cannot be opened\n", args[1].c_str());
    status = 2;
  } else {
    std::printf("%s: line %d rejected (%d lines read, %ld nodes before it)\n", args[1].c_str(), line_number,
                line_number, nodes);
    status = 1;
  }
  ReleaseBook();
  return status;
}

int SetupCommand(const Args& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "usage: tenu setup\n");
    return 2;
  }
  const int result = LumSetup(nullptr);
  if (result == 0) {
    std::printf("Cancelled; nothing was changed.\n");
    return 1;
  }
  std::printf("Saved: Depth %d, Exact %d, WLD %d, progress %d, fast root %d, book %d, host book %d, book file \"%s\"\n",
              EngineSettings.Depth, EngineSettings.KansakiDepth, EngineSettings.HisshoDepth,
              EngineSettings.ShowProgress, EngineSettings.MaemukiCut, EngineSettings.UseJoseki,
              EngineSettings.ClientJoseki, EngineSettings.JosekiFile);
  return 0;
}
