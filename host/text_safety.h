// Texts from users and files made safe for where they go: a picture's XML
// takes only valid characters, a GUI's protocol line only printable ASCII,
// and a message echoes a bounded, printable part of what was typed.
#pragma once

#include <string>

// The text as valid UTF-8 holding only characters that XML 1.0 allows: every
// byte that is not part of a well-formed UTF-8 character (a Latin-1 'é', a
// stray continuation byte, an overlong or surrogate form), and every control
// character but tab, LF and CR, becomes U+FFFD, the replacement character.
std::string XmlSafeText(const std::string& text);

// True when every byte is printable ASCII (0x20 to 0x7E).
bool IsPrintableAscii(const std::string& text);

// A typed text as a message on a terminal shows it: control characters and
// bytes that form no UTF-8 character as \xNN, at most `most` characters of
// the text, "..." behind a cut.
std::string ShownText(const std::string& text, size_t most = 40);

// The character at text[at] as ShownText shows it (one UTF-8 character, or
// one byte as \xNN).
std::string ShownCharacter(const std::string& text, size_t at);
