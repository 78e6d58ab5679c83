// A stand-in host for the documentation's screenshots. It opens a host
// window and then either the settings dialog (through Tenu.lum's LumSetup)
// or the progress strip (linked in, with a typical progress line), prints
// the screen rectangle worth capturing as "RECT left top right bottom",
// keeps everything on screen for the given time and closes it again.
//
//   tenu_screenshot_host setup|progress [milliseconds]
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/win32/host_handles.h"
#include "core/platform.h"
#include "tests/win32/test_support.h"
#include "core/settings.h"

namespace {

void PrintRect(const RECT& rect) {
  std::printf("RECT %ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
  std::fflush(stdout);
}

// Pumps the queue for the given time, so that everything gets painted.
void Linger(DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (GetTickCount64() < end) {
    PumpMessages();
    Sleep(10);
  }
}

int ShowSetup(DWORD milliseconds) {
  EngineModule module;
  if (!module.ready()) return 1;
  TestWindow host(40, 30, 560, 480, "ホスト");
  const std::string failures = RunWithScript([&] { module.LumSetup(host.hwnd()); },
                                             [&](UiScript& ui) {
                                               HWND dialog = ui.WaitForDialog(kSetupDialogTitle);
                                               Sleep(300);  // until painted
                                               RECT rect;
                                               GetWindowRect(dialog, &rect);
                                               PrintRect(rect);
                                               Sleep(milliseconds);
                                               ui.Command(dialog, IDCANCEL);
                                             });
  if (!failures.empty()) std::fprintf(stderr, "%s", failures.c_str());
  return failures.empty() ? 0 : 1;
}

int ShowProgress(DWORD milliseconds) {
  ModuleInstance = GetModuleHandleA(nullptr);
  EngineSettings = DefaultSettings();
  EngineSettings.ShowProgress = 1;
  MarkProgressAbsent();
  TestWindow host(100, 50, 500, 450, "ホスト");
  OpenProgressWindow(host.hwnd());
  SetProgressText("d6 を調べています. [+37 f5]");
  Linger(300);
  RECT host_rect;
  GetWindowRect(host.hwnd(), &host_rect);
  // The lower part of the host and the strip below it.
  const RECT shown = {host_rect.left - 8, host_rect.bottom - 60, host_rect.right + 8, host_rect.bottom + 2 + 20 + 8};
  PrintRect(shown);
  Linger(milliseconds);
  CloseProgressWindow();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const DWORD milliseconds = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 3000;
  if (argc > 1 && std::strcmp(argv[1], "setup") == 0) return ShowSetup(milliseconds);
  if (argc > 1 && std::strcmp(argv[1], "progress") == 0) return ShowProgress(milliseconds);
  std::fprintf(stderr, "usage: tenu_screenshot_host setup|progress [milliseconds]\n");
  return 2;
}
