#include "engine/startup.h"

#include <cstdlib>
#include <ctime>

#include "ui/settings.h"

void ModuleStartup(ModuleHandle instance) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  KeepModuleInstance(instance);
  MarkProgressAbsent();
  LoadSettings();
}
