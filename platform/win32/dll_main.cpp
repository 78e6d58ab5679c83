// The module's entry point: everything the engine needs at load time happens
// on process attach; the other notifications need nothing.
#include <windows.h>

#include "engine/startup.h"

// C linkage so that the runtime's start-up code finds this entry point
// instead of its own empty default.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) ModuleStartup(instance);
  return TRUE;
}
