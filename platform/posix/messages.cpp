#include <cstdio>
#include <string>

#include "core/platform.h"
#include "platform/posix/text_utf8.h"

// One clear line on standard error: "title: text", line breaks as spaces.
void ShowErrorMessage(HostWindow /*owner*/, const char* title, const char* text) {
  std::string line = RenderEngineText(title) + ": " + RenderEngineText(text);
  std::string folded;
  bool last_was_break = false;
  for (char c : line) {
    const bool is_break = c == '\n' || c == '\r';
    if (is_break && !last_was_break) folded.push_back(' ');
    if (!is_break) folded.push_back(c);
    last_was_break = is_break;
  }
  std::fprintf(stderr, "%s\n", folded.c_str());
  std::fflush(stderr);
}

// Terminal programs have no dialog resources to load.
void KeepModuleInstance(ModuleHandle /*instance*/) {}
