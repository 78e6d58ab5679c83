// tenu setup: the settings form on the terminal, saved to the settings file.
#include <cstdio>
#include <string>

#include "core/settings.h"
#include "engine/exports.h"
#include "host/commands/commands.h"
#include "host/output.h"
#include "platform/posix/settings_file.h"

int SetupCommand(const Args& args) {
  ParsedOptions parsed;
  std::string error;
  if (!ParseOptions(args, {}, parsed, error) || !parsed.operands.empty()) {
    std::fprintf(stderr, "usage: tenu setup\n");
    return 2;
  }
  WarnAboutSettingsFile();
  const int result = LumSetup(nullptr);
  if (result == 0) {
    std::printf("Cancelled; nothing was changed.\n");
    return 1;
  }
  // A form that ended with OK was saved; the store says why a save failed.
  if (const std::string problem = SettingsFileProblem(); !problem.empty()) {
    std::fprintf(stderr, "tenu setup: the settings were not saved: %s\n", problem.c_str());
    return kWriteFailedStatus;
  }
  std::printf("Saved: Depth %d, Exact %d, WLD %d, progress %d, fast root %d, book %d, host book %d, book file \"%s\"\n",
              EngineSettings.Depth, EngineSettings.KansakiDepth, EngineSettings.HisshoDepth,
              EngineSettings.ShowProgress, EngineSettings.MaemukiCut, EngineSettings.UseJoseki,
              EngineSettings.ClientJoseki, EngineSettings.JosekiFile);
  return 0;
}
