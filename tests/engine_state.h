// Test helpers for the engine's module-wide state.
#pragma once

#include "core/settings.h"

// Puts every module-wide record back as it is when the module loads: default
// settings, empty commentary memory, no book, no progress strip, the engine
// searches and an empty search table.
void ResetEngineState();

// Restores the settings and the rest of the state when a test ends.
class EngineStateGuard {
 public:
  EngineStateGuard();
  ~EngineStateGuard();
  EngineStateGuard(const EngineStateGuard&) = delete;
  EngineStateGuard& operator=(const EngineStateGuard&) = delete;

 private:
  EngineSettingsRecord saved_;
};
