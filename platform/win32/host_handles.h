// How the module turns the opaque handles of the platform seam into Windows handles.
#pragma once

#include <windows.h>

#include "core/platform.h"

// The owner for a dialog or message box: the host's window, or none when the
// handle is null or does not name a window (a stale or made-up handle would
// make the system refuse to show the box, and the user would never see it).
inline HWND OwnerWindow(HostWindow host) {
  HWND window = static_cast<HWND>(host);
  return window != nullptr && IsWindow(window) ? window : nullptr;
}

// The module's instance handle as kept at start-up: the module whose
// resources (dialog templates, icon) the windows are made from.
extern ModuleHandle ModuleInstance;

// The module whose resources (dialog templates, icon) the windows are made from.
inline HINSTANCE ResourceModule(ModuleHandle module) { return static_cast<HINSTANCE>(module); }
