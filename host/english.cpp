#include "host/english.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "book/book.h"
#include "commentary/commentary.h"
#include "engine/root.h"
#include "engine/texts.h"
#include "platform/posix/text_utf8.h"
#include "ui/setup_form.h"

// clang-format off
const Gloss kGlossary[] = {
    // The remarks: the opponent's move helped the engine a lot, somewhat, a little.
    {MoveRemarks[0][0], "Think harder! ...*smack*"},
    {MoveRemarks[0][1], "Easy win v(^o^)"},
    {MoveRemarks[0][2], "Weak, so weak! \\(*^v^*)/"},
    {MoveRemarks[1][0], "-y(^.^) o0O Phew, no sweat"},
    {MoveRemarks[1][1], "I can win this! v(*`v'*)"},
    {MoveRemarks[1][2], "Are you sure about that one?"},
    {MoveRemarks[2][0], "Too soft~"},
    {MoveRemarks[2][1], "Not good enough yet!"},
    {MoveRemarks[2][2], "Hmm, hmm, I see, I see"},
    // The opponent played well: a lot, somewhat, a little.
    {MoveRemarks[3][0], "I'm going to lose! .. (T_T)"},
    {MoveRemarks[3][1], "Who are you?.... :-) *peek*"},
    {MoveRemarks[3][2], "Good move, let me write that down (..)m"},
    {MoveRemarks[4][0], "You're strong (-3-) boo, boo"},
    {MoveRemarks[4][1], "Ouch! (>.<)"},
    {MoveRemarks[4][2], "Quite a good move!"},
    {MoveRemarks[5][0], "r(^-^;) *scratches head*"},
    {MoveRemarks[5][1], "You're not bad either!"},
    {MoveRemarks[5][2], "Wh-what?!... (..,)"},
    // The remarks on the score alone.
    {ScoreRemarks[0], "I might lose (;_;)"},
    {ScoreRemarks[1], "I'm behind... --;)"},
    {ScoreRemarks[2], "I can win, I can win \\(^o^)/"},
    {ScoreRemarks[3], "I'm ahead ^^;)"},
    {ScoreRemarks[4], "It's even"},
    // The think driver.
    {kDisplayName, "Tenu"},
    {kSingleSquareMessage, "I'll put it here \\(^o^)/"},
    {kBookMoveMessage, "By the book"},
    {kBookProgressText, "Looking in the book..."},
    {kExactStartFormat, "Solving exactly, starting with %c%d."},
    {kWldStartFormat, "Solving for win or loss, starting with %c%d."},
    {kMidgameStartFormat, "Searching, starting with %c%d (depth %d)."},
    {kSearchingFormat, "Looking at %c%d [best so far %+d, %c%d]"},
    {kOrderingProgressFormat, "Ordering the moves (KMH, depth %d)..."},
    {kNoMoveMessage, "There is nowhere to play"},
    {kBadPositionMessage, "The position cannot be read"},
    // The book loader's messages.
    {kBookMessageTitle, "Tenu - loading the book"},
    {kBookMissingMessage, "The book file was not found\nPlease check the file name"},
    {kBookBadLineFormat, "A line of the book is not valid\n\nError Line: %d"},
    // The settings form's messages (its title is the display name).
    {kSetupDepthMessage, "The search depth must be 3 or more"},
    {kSetupExactMessage, "The exact solver's empty squares must be 0 or more"},
    {kSetupWldMessage, "The win/loss/draw solver's empty squares must be at least the exact solver's"},
    {kSetupSaveFailedMessage, "The settings could not be saved in the registry"},
    {kSetupNotANumberMessage, "Please enter a whole number"},
    {kSetupNumberRangeMessage, "Please enter a number from -2147483648 to 2147483647"},
};
// clang-format on
const int kGlossaryCount = static_cast<int>(sizeof kGlossary / sizeof kGlossary[0]);

namespace {

bool IsAscii(const char* text) {
  for (const char* c = text; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) >= 0x80) return false;
  }
  return true;
}

// Matches text against a printf format of %c, %d and %+d conversions and
// literal bytes; the conversions' texts go to values. A literal byte of the
// format may be a lead byte of a double-byte character; those are compared
// as bytes, so a conversion never starts inside one.
bool MatchFormat(const char* format, const char* text, std::vector<std::string>& values) {
  values.clear();
  while (*format != '\0') {
    if (format[0] == '%' && format[1] == '%') {
      if (*text != '%') return false;
      format += 2;
      ++text;
    } else if (format[0] == '%') {
      ++format;
      const bool plus = *format == '+';
      if (plus) ++format;
      if (*format == 'c') {
        if (*text == '\0') return false;
        values.emplace_back(1, *text++);
      } else if (*format == 'd') {
        const char* start = text;
        if (*text == '+' || *text == '-') ++text;
        if (*text < '0' || *text > '9') return false;
        while (*text >= '0' && *text <= '9') ++text;
        values.emplace_back(start, text);
      } else {
        return false;
      }
      ++format;
    } else {
      if (*format != *text) return false;
      ++format;
      ++text;
    }
  }
  return *text == '\0';
}

// The English format filled with the matched values, in order.
std::string Fill(const char* format, const std::vector<std::string>& values) {
  std::string out;
  size_t next = 0;
  while (*format != '\0') {
    if (format[0] == '%' && format[1] == '%') {
      out += '%';
      format += 2;
    } else if (format[0] == '%') {
      ++format;
      if (*format == '+') ++format;
      if (next < values.size()) out += values[next++];
      ++format;
    } else {
      out += *format++;
    }
  }
  return out;
}

}  // namespace

std::string EnglishGloss(const char* cp932) {
  if (cp932 == nullptr) return "";
  std::vector<std::string> values;
  for (const Gloss& gloss : kGlossary) {
    if (std::strchr(gloss.text, '%') == nullptr ? std::strcmp(gloss.text, cp932) == 0
                                               : MatchFormat(gloss.text, cp932, values)) {
      return Fill(gloss.english, values);
    }
  }
  return IsAscii(cp932) ? cp932 : "";
}

std::string EnglishReply(const char* reply) {
  const char* first = std::strchr(reply, '|');
  const char* last = std::strrchr(reply, '|');
  if (first == nullptr || last == first) return EnglishGloss(reply);
  const std::string message(first + 1, last);
  return std::string(reply, first + 1) + EnglishGloss(message.c_str()) + last;
}

bool JapaneseLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return std::strncmp(value, "ja", 2) == 0;
  }
  return false;
}

std::string ForPerson(const char* cp932) {
  const std::string text = Cp932ToUtf8(cp932);
  if (JapaneseLocale() || IsAscii(cp932)) return text;
  const std::string english = EnglishGloss(cp932);
  return english.empty() ? text : text + " (\"" + english + "\")";
}
