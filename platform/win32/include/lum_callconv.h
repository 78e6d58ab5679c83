// Exports with arguments use the callee-pops convention on 32-bit Windows.
#pragma once
#define LUM_CALL __stdcall
