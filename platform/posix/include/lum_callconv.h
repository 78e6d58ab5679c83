// Plain C calls on POSIX systems: the exports are ordinary functions there.
#pragma once
#define LUM_CALL
