// The module's instance handle, kept when the module is loaded.
#include "core/platform.h"
#include "platform/win32/host_handles.h"

ModuleHandle ModuleInstance = nullptr;

void KeepModuleInstance(ModuleHandle instance) { ModuleInstance = instance; }
