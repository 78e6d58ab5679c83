// The engine's eight user settings: one module-wide record that every part
// reads directly. It starts with the built-in defaults; the settings store
// (ui/settings.h) fills it from the current user's settings key at start-up
// and writes it back after the settings form's OK.
#pragma once

#include <cstdint>

constexpr int kJosekiPathSize = 260;

struct EngineSettingsRecord {
  int32_t Depth;         // midgame search depth in plies
  int32_t KansakiDepth;  // empty squares at or below which the exact solver runs
  int32_t HisshoDepth;   // empty squares at or below which the win/loss/draw solver runs
  int32_t ShowProgress;  // show the progress strip while thinking
  int32_t MaemukiCut;    // midgame root searches only the five best-ordered moves
  int32_t UseJoseki;     // use the opening-book file
  int32_t ClientJoseki;  // the host should use its own opening book
  char JosekiFile[kJosekiPathSize];  // book path, NUL-terminated, code page 932
};

extern EngineSettingsRecord EngineSettings;

// The built-in defaults: 5, 12, 14, 0, 1, 0, 1 and an empty path.
EngineSettingsRecord DefaultSettings();
