// The progress strip on a terminal: one status line on standard error that
// each text overwrites in place and that is erased when the think ends. It is
// drawn only when ShowProgress is set, standard error is a terminal and no
// observer takes the texts.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/platform.h"
#include "platform/posix/progress_observer.h"
#include "platform/posix/text_utf8.h"
#include "core/settings.h"

namespace {
bool StripExists = false;
bool StripVisible = false;
ProgressObserver Observer = nullptr;
}  // namespace

void SetProgressObserver(ProgressObserver observer) { Observer = observer; }

void MarkProgressAbsent() {
  StripExists = false;
  StripVisible = false;
}

void OpenProgressWindow(HostWindow /*host*/) {
  if (StripExists) return;
  StripExists = true;
  // An observer takes the texts instead of the terminal (the NBoard session
  // sends them to its GUI, which reads standard error as protocol lines).
  StripVisible = EngineSettings.ShowProgress != 0 && isatty(STDERR_FILENO) != 0 && Observer == nullptr;
}

void SetProgressText(const char* text) {
  if (!StripExists || text == nullptr) return;
  if (Observer != nullptr) Observer(text);
  if (!StripVisible) return;
  std::fprintf(stderr, "\r\x1b[K%s", RenderEngineText(text).c_str());
  std::fflush(stderr);
}

void CloseProgressWindow() {
  if (!StripExists) return;
  if (StripVisible) {
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
  }
  MarkProgressAbsent();
}
