// Conversions between the engine's code page 932 texts and the UTF-8 of a
// POSIX terminal.
#pragma once

#include <string>

// Bytes that do not convert are replaced by '?'.
std::string Cp932ToUtf8(const char* text);
std::string Utf8ToCp932(const char* text);
