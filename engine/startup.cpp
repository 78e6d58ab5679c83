#include "engine/startup.h"

#include <cstdlib>
#include <ctime>

#include "ui/settings.h"

ModuleHandle ModuleInstance = nullptr;

void ModuleStartup(ModuleHandle instance) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  ModuleInstance = instance;
  MarkProgressAbsent();
  LoadSettings();
}
