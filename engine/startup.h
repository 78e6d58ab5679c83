// What the module does when it is loaded into a process.
#pragma once

#include "core/platform.h"

// Seeds the pseudo-random generator from the clock, keeps the instance
// handle, marks the progress strip absent and loads the stored settings.
void ModuleStartup(ModuleHandle instance);
