// The settings form on a terminal.
#pragma once

#include <cstdio>

// Where the form reads answers and writes prompts (standard input and output
// unless set; tests script it through these).
void SetSetupFormStreams(FILE* in, FILE* out);

// Why a book path is refused: the settings hold at most 259 bytes of it.
extern const char kPathTooLongText[];
