#include "core/settings.h"

EngineSettingsRecord DefaultSettings() {
  EngineSettingsRecord defaults{};
  defaults.Depth = 5;
  defaults.KansakiDepth = 12;
  defaults.HisshoDepth = 14;
  defaults.ShowProgress = 0;
  defaults.MaemukiCut = 1;
  defaults.UseJoseki = 0;
  defaults.ClientJoseki = 1;
  defaults.JosekiFile[0] = '\0';
  return defaults;
}

EngineSettingsRecord EngineSettings = DefaultSettings();
