// English for the engine's texts. The engine speaks Japanese (code page
// 932): its remarks, the think driver's messages and progress lines, the
// book loader's and the settings form's messages. Every one of them has an
// English gloss here, in one table; progress lines and messages formatted
// with numbers and squares are recognised by their format and glossed with
// the same numbers and squares.
#pragma once

#include <string>

// One fixed text of the engine (code page 932) and its English gloss, which
// has the same % conversions in the same order.
struct Gloss {
  const char* text;
  const char* english;
};
extern const Gloss kGlossary[];
extern const int kGlossaryCount;

// The English gloss of an engine text (code page 932), a formatted one
// included; a text that is ASCII already comes back as it is; any other
// text gives "". Always ASCII.
std::string EnglishGloss(const char* cp932);

// A reply string "F5|<message>|0.370000" with its message glossed.
std::string EnglishReply(const char* reply);

// True when the locale (LC_ALL, LC_MESSAGES, LANG, the first that is set)
// is Japanese.
bool JapaneseLocale();

// An engine text as a person here reads it, in UTF-8: in a Japanese locale
// the text itself, elsewhere the text followed by its English gloss in
// quotes (the text alone when it is ASCII or has no gloss).
std::string ForPerson(const char* cp932);
