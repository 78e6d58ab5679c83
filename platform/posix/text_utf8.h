// Conversions between the engine's code page 932 texts and the UTF-8 of a
// POSIX terminal.
#pragma once

#include <string>

// Bytes that do not convert are replaced by '?'.
std::string Cp932ToUtf8(const char* text);
std::string Utf8ToCp932(const char* text);

// How the engine's texts read where a person sees them on this terminal
// (the progress line, the messages): Cp932ToUtf8 unless the program set
// another rendering (tenu adds English glosses outside Japanese locales).
using EngineTextRendering = std::string (*)(const char* cp932);
void SetEngineTextRendering(EngineTextRendering rendering);
std::string RenderEngineText(const char* cp932);
