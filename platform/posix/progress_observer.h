// A listener for the progress texts, for tools and tests that want the lines
// the engine shows while it thinks (the NBoard status lines, for example).
#pragma once

using ProgressObserver = void (*)(const char* text);

// Every text that reaches an existing strip is passed on; a strip opened
// while an observer is set is not drawn on the terminal.
void SetProgressObserver(ProgressObserver observer);
