// Keeps a Wine session warm while the test suite runs: it owns one hidden
// window, so that the desktop and the other background processes of the
// session start here, once, and not inside the first test that opens a
// window (where they would hold on to the test runner's output pipes).
// It ends when its window is closed or the Wine server stops.
#include <windows.h>

int main() {
  HWND window = CreateWindowExA(0, "STATIC", "tenu-wine-keeper", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
