// What the module does when it is loaded into a process.
#pragma once

#include "platform/platform.h"

// The module's instance handle, needed to load its dialog resources.
extern ModuleHandle ModuleInstance;

// Seeds the pseudo-random generator from the clock, keeps the instance
// handle, marks the progress strip absent and loads the stored settings.
void ModuleStartup(ModuleHandle instance);
