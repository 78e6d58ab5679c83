// tenu: play against the engine in the terminal, script it, analyse with it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/startup.h"
#include "host/commands/commands.h"
#include "host/english.h"
#include "host/output.h"
#include "platform/posix/text_utf8.h"

namespace {

constexpr char kUsage[] =
    "usage: tenu <command> [options]\n"
    "\n"
    "  play [--white] [--from GAME] [engine options]\n"
    "                                       a game against the engine\n"
    "  think [--raw] [engine options] [POSITION...]\n"
    "                                       the engine's reply for each position\n"
    "  hint [engine options] POSITION       every legal move with its value in discs\n"
    "  selfplay [--games N] [--times] [engine options]\n"
    "                                       the engine against itself\n"
    "  nboard [engine options]              the engine for a GUI (NBoard protocol)\n"
    "  analyze [engine options] [--json] [--svg FILE] [--inaccuracy D] [--mistake D]\n"
    "          [--black NAME] [--white NAME] (GAME... | --file FILE | -)\n"
    "                                       every move of a game against the engine's\n"
    "  solve [--hash MB] [--time SECONDS] (FILE | -)\n"
    "                                       solve each position of an endgame suite\n"
    "  search (--eval|--depth N|--exact|--wld) [--reference] [--hash MB] [--time]\n"
    "         [POSITION...]                 value and node count of one search\n"
    "  perft N                              move-path counts to depth N\n"
    "  bench [--compare]                    the search benchmark and its signature\n"
    "  book check FILE                      load a book file and report on it\n"
    "  setup                                edit the stored settings\n"
    "  version                              version and name\n"
    "\n"
    "engine options (for this run only):\n"
    "  --level weak|normal|strong  --depth N  --exact N  --wld N  --maemuki 0|1\n"
    "  --progress  --no-progress  --book FILE  --hash MB (the search table's size)\n"
    "  --reference (the readable reference searches: the same moves, far slower)\n"
    "\n"
    "POSITION: side to move ('*' black, '0' white), '|', then the 64 squares\n"
    "a1..h1, a2..h8 as '*', '0' or '-'; or a game record, the moves from the\n"
    "start (f5d6c3 or f5 d6 c3; passes may be left out); or a suite line, 64\n"
    "squares as X, O or - then a space and X or O. Without positions, one is\n"
    "read per line from standard input.\n";

struct Command {
  const char* name;
  int (*run)(const Args&);
};

constexpr Command kCommands[] = {
    {"play", PlayCommand},       {"think", ThinkCommand},   {"hint", HintCommand},
    {"selfplay", SelfplayCommand}, {"search", SearchCommand}, {"perft", PerftCommand},
    {"bench", BenchCommand},     {"book", BookCommand},     {"setup", SetupCommand},
    {"version", VersionCommand}, {"nboard", NBoardCommand},   {"analyze", AnalyzeCommand},
    {"solve", SolveCommand},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
    std::fputs(kUsage, stdout);
    return FinishOutput(argv[1], 0);  // a help that could not be written is no success
  }
  const Args args(argv + 2, argv + argc);
  for (const Command& command : kCommands) {
    if (std::strcmp(argv[1], command.name) == 0) {
      // The engine's progress lines and messages carry their English
      // outside Japanese locales; its replies stay as they are.
      SetEngineTextRendering(ForPerson);
      ModuleStartup(nullptr);
      return FinishOutput(command.name, command.run(args));
    }
  }
  std::fprintf(stderr, "tenu: unknown command '%s'\n\n%s", argv[1], kUsage);
  return 2;
}
