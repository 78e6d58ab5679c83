// Failures the user must see: a modal error box with only an OK button.
#include <windows.h>

#include "core/platform.h"
#include "platform/win32/host_handles.h"

void ShowErrorMessage(HostWindow owner, const char* title, const char* text) {
  MessageBoxA(OwnerWindow(owner), text, title, MB_ICONERROR | MB_OK);
}
