#include "host/options.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/book.h"
#include "core/settings.h"
#include "engine/exports.h"
#include "host/book_file.h"
#include "host/records.h"
#include "platform/posix/settings_file.h"
#include "platform/posix/setup_terminal.h"
#include "platform/posix/text_utf8.h"
#include "search/search.h"
#include "ui/search_limits.h"
#include "ui/setup_form.h"

namespace {

// How an option's value is read and checked.
enum class ValueKind {
  None,    // a flag
  Count,   // a whole number from low to high
  Number,  // a decimal number from low to high
  Choice,  // one of the words in `choices`
  Text,    // any text
  Game,    // a game record or a position, in any of the forms tenu reads
};

struct OptionRow {
  Option id;
  const char* name;
  ValueKind kind;
  long long low;
  long long high;
  const char* choices;  // Choice: the words, separated by blanks
  const char* takes;    // what the value must be, for the message
};

constexpr long long kAnyCount = 999999999;  // nine digits

// Every option of every command. Two commands may give one name different
// meanings (search --exact is a flag, think --exact takes a number): they
// are two entries, and no command accepts both.
constexpr OptionRow kOptionTable[] = {
    {Option::Level, "--level", ValueKind::Choice, 0, 0, "weak normal strong", "weak, normal or strong"},
    {Option::Depth, "--depth", ValueKind::Count, 0, kAnyCount, nullptr, "a whole number from 0 to 999999999"},
    {Option::Exact, "--exact", ValueKind::Count, 0, kAnyCount, nullptr, "a whole number from 0 to 999999999"},
    {Option::Wld, "--wld", ValueKind::Count, 0, kAnyCount, nullptr, "a whole number from 0 to 999999999"},
    {Option::Maemuki, "--maemuki", ValueKind::Choice, 0, 0, "0 1", "0 or 1"},
    {Option::Progress, "--progress", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::NoProgress, "--no-progress", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::BookFile, "--book", ValueKind::Text, 0, 0, nullptr, "a book file"},
    {Option::Hash, "--hash", ValueKind::Count, 1, kLargestTableMegabytes, nullptr, "a table size in MiB from 1 to 4096"},
    {Option::Reference, "--reference", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::Raw, "--raw", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::Games, "--games", ValueKind::Count, 1, kAnyCount, nullptr, "a number from 1 to 999999999"},
    {Option::Times, "--times", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::PlayWhite, "--white", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::PlayBlack, "--black", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::From, "--from", ValueKind::Game, 0, 0, nullptr, "a game record or a position"},
    {Option::Json, "--json", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::Svg, "--svg", ValueKind::Text, 0, 0, nullptr, "a file name"},
    {Option::File, "--file", ValueKind::Text, 0, 0, nullptr, "a file name"},
    {Option::Inaccuracy, "--inaccuracy", ValueKind::Number, 0, 128, nullptr, "a number of discs from 0 to 128"},
    {Option::Mistake, "--mistake", ValueKind::Number, 0, 128, nullptr, "a number of discs from 0 to 128"},
    {Option::BlackName, "--black", ValueKind::Text, 0, 0, nullptr, "a name"},
    {Option::WhiteName, "--white", ValueKind::Text, 0, 0, nullptr, "a name"},
    {Option::SearchEvaluate, "--eval", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::SearchDepth, "--depth", ValueKind::Count, 0, 60, nullptr, "a depth from 0 to 60"},
    {Option::SearchExact, "--exact", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::SearchWld, "--wld", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::Timed, "--time", ValueKind::None, 0, 0, nullptr, nullptr},
    {Option::TimeLimit, "--time", ValueKind::Number, 0, 1000000, nullptr, "a number of seconds (0: no limit)"},
    {Option::Compare, "--compare", ValueKind::None, 0, 0, nullptr, nullptr},
};

const OptionRow* Find(Option id) {
  for (const OptionRow& row : kOptionTable) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

// A position string or suite line given where an option's value belongs: the
// value was forgotten, and the position would be taken for it.
bool LooksLikePosition(const std::string& text) {
  return (text.size() >= 2 && (text[0] == '*' || text[0] == '0') && text[1] == '|') || LooksLikeSuiteLine(text);
}

bool IsOptionName(const std::string& text) { return text.rfind("--", 0) == 0 && !LooksLikeSuiteLine(text); }

bool IsChoice(const char* choices, const std::string& word) {
  const std::string padded = std::string(" ") + choices + " ";
  return !word.empty() && word.find(' ') == std::string::npos && padded.find(" " + word + " ") != std::string::npos;
}

// Checks a value against its option's kind; empty when it is good.
std::string ValueProblem(const OptionRow& row, const std::string& value) {
  bool good = true;
  switch (row.kind) {
    case ValueKind::None: break;
    case ValueKind::Count: {
      long long parsed = 0;
      good = ParseCount(value, parsed) && parsed >= row.low && parsed <= row.high;
      break;
    }
    case ValueKind::Number: {
      char* end = nullptr;
      const double parsed = std::strtod(value.c_str(), &end);
      good = !value.empty() && end != nullptr && *end == '\0' && parsed >= static_cast<double>(row.low) &&
             parsed <= static_cast<double>(row.high);
      break;
    }
    case ValueKind::Choice: good = IsChoice(row.choices, value); break;
    case ValueKind::Text:
    case ValueKind::Game: good = !value.empty(); break;
  }
  if (good) return "";
  return std::string(row.name) + " takes " + row.takes + ", not '" + value + "'";
}

}  // namespace

const std::vector<Option> kEngineOptions = {Option::Level,    Option::Depth,      Option::Exact, Option::Wld,
                                            Option::Maemuki,  Option::Progress,   Option::NoProgress,
                                            Option::BookFile,     Option::Hash,       Option::Reference};

std::vector<Option> WithEngineOptions(std::vector<Option> own) {
  own.insert(own.begin(), kEngineOptions.begin(), kEngineOptions.end());
  return own;
}

bool ParsedOptions::Has(Option option) const {
  return std::any_of(given.begin(), given.end(), [&](const auto& entry) { return entry.first == option; });
}

std::string ParsedOptions::Text(Option option) const {
  for (auto it = given.rbegin(); it != given.rend(); ++it) {
    if (it->first == option) return it->second;
  }
  return "";
}

long long ParsedOptions::Count(Option option, long long fallback) const {
  long long value = fallback;
  if (Has(option)) ParseCount(Text(option), value);
  return value;
}

double ParsedOptions::Number(Option option, double fallback) const {
  return Has(option) ? std::strtod(Text(option).c_str(), nullptr) : fallback;
}

bool ParseOptions(const Args& args, const std::vector<Option>& accepted, ParsedOptions& parsed, std::string& error) {
  parsed = ParsedOptions{};
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || !IsOptionName(arg)) {
      parsed.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    const OptionRow* row = nullptr;
    for (Option id : accepted) {
      const OptionRow* candidate = Find(id);
      if (candidate != nullptr && arg == candidate->name) row = candidate;
    }
    if (row == nullptr) {
      error = "unknown option " + arg;
      return false;
    }
    std::string value;
    if (row->kind != ValueKind::None) {
      if (i + 1 >= args.size() || IsOptionName(args[i + 1])) {
        error = arg + " needs a value";
        return false;
      }
      if (row->kind != ValueKind::Game && LooksLikePosition(args[i + 1])) {
        error = arg + " needs a value before the position " + args[i + 1];
        return false;
      }
      value = args[++i];
      if (const std::string problem = ValueProblem(*row, value); !problem.empty()) {
        error = problem;
        return false;
      }
    }
    parsed.given.emplace_back(row->id, value);
  }
  return true;
}

std::string BookFileProblem(const std::string& path) {
  struct stat info{};
  if (stat(path.c_str(), &info) != 0) return "";  // the loader reports a file it cannot open
  if (S_ISDIR(info.st_mode)) return path + " is a folder, not a book file";
  if (!S_ISREG(info.st_mode)) return path + " is not a regular file";
  if (info.st_size > kLargestBookFile) {
    return path + " holds " + std::to_string(info.st_size) + " bytes, more than the " +
           std::to_string(kLargestBookFile >> 20) + " MiB a book file may have";
  }
  return "";
}

bool ParseCount(const std::string& text, long long& value) {
  if (text.empty() || text.size() > 9) return false;
  long long parsed = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    parsed = parsed * 10 + (c - '0');
  }
  value = parsed;
  return true;
}

std::string ToTerminal(const char* cp932) { return Cp932ToUtf8(cp932); }

bool ApplyEngineOptions(const ParsedOptions& parsed, std::string& error) {
  for (const auto& [option, value] : parsed.given) {
    long long number = 0;
    ParseCount(value, number);
    switch (option) {
      case Option::Depth: EngineSettings.Depth = static_cast<int32_t>(number); break;
      case Option::Exact: EngineSettings.KansakiDepth = static_cast<int32_t>(number); break;
      case Option::Wld: EngineSettings.HisshoDepth = static_cast<int32_t>(number); break;
      case Option::Maemuki: EngineSettings.MaemukiCut = value == "1"; break;
      case Option::Level: {
        const int level = value == "weak" ? kLevelWeak : value == "normal" ? kLevelNormal : kLevelStrong;
        EngineSettings.Depth = level;
        EngineSettings.KansakiDepth = level + 7;
        EngineSettings.HisshoDepth = level + 9;
        break;
      }
      case Option::Reference: SelectSearchImplementation(SearchImplementation::Reference); break;
      case Option::Hash:
        if (!SetSearchTableSize(static_cast<size_t>(number) << 20)) {
          error = "--hash: " + value + " MiB of memory cannot be had";
          return false;
        }
        break;
      case Option::BookFile:
        if (value.size() >= static_cast<size_t>(kJosekiPathSize)) {
          error = std::string("--book: ") + kPathTooLongText;
          return false;
        }
        if (const std::string problem = BookFileProblem(value); !problem.empty()) {
          error = "--book: " + problem;
          return false;
        }
        if (struct stat info{}; stat(value.c_str(), &info) != 0 && LooksLikeGameRecord(value)) {
          error = "--book needs a value before the position " + value;
          return false;
        }
        // A book named for this run must load whole: it is read once here,
        // into a book of its own, so that a missing file or a bad line stops
        // the command before any work.
        if (Book.references == 0 && AcquireBook()) {
          const std::string problem = LoadBookInEnglish(value);
          ReleaseBook();
          if (!problem.empty()) {
            error = "--book: " + problem;
            return false;
          }
        }
        break;
      default: break;  // the command's own options, and those StartEngineRun applies
    }
  }
  return true;
}

bool ReadCommandLine(const char* command, const Args& args, const std::vector<Option>& own, ParsedOptions& parsed) {
  std::string error;
  if (!ParseOptions(args, WithEngineOptions(own), parsed, error) || !ApplyEngineOptions(parsed, error)) {
    std::fprintf(stderr, "tenu %s: %s\n", command, error.c_str());
    return false;
  }
  return true;
}

void WarnAboutSettingsFile() {
  const std::string problem = SettingsFileProblem();
  if (!problem.empty()) std::fprintf(stderr, "tenu: warning: %s; the built-in settings are used\n", problem.c_str());
}

void StartEngineRun(const ParsedOptions& parsed, bool progress_by_default, const Warn& warn) {
  const Warn say = warn ? warn : [](const std::string& text) { std::fprintf(stderr, "tenu: warning: %s\n", text.c_str()); };
  if (const std::string problem = SettingsFileProblem(); !problem.empty()) {
    say(problem + "; the built-in settings are used");
  }
  // The later of --progress and --no-progress counts.
  int progress = progress_by_default ? 1 : -1;
  for (const auto& entry : parsed.given) {
    if (entry.first == Option::Progress) progress = 1;
    if (entry.first == Option::NoProgress) progress = 0;
  }
  if (progress >= 0) EngineSettings.ShowProgress = progress;
  if (parsed.Has(Option::BookFile)) {
    EngineSettings.UseJoseki = 1;
    std::snprintf(EngineSettings.JosekiFile, sizeof EngineSettings.JosekiFile, "%s", parsed.Text(Option::BookFile).c_str());
  }
  for (const std::string& warning :
       SlowSearchWarnings(EngineSettings.Depth, EngineSettings.KansakiDepth, EngineSettings.HisshoDepth)) {
    say(warning);
  }
  // Only a hand-edited settings file holds a negative number: the engine
  // uses it as it is, but nobody should be surprised by what it does.
  const struct {
    const char* name;
    int32_t value;
  } numbers[] = {{"Depth", EngineSettings.Depth},
                 {"Exact (KansakiDepth)", EngineSettings.KansakiDepth},
                 {"WLD (HisshoDepth)", EngineSettings.HisshoDepth}};
  for (const auto& number : numbers) {
    if (number.value < 0) {
      say(std::string("the stored ") + number.name + " " + std::to_string(number.value) +
          " is negative, which the settings form does not take; the engine uses it as it is");
    }
  }
  // The book is taken as a host takes it before play, and loaded as the
  // engine loads it, but what goes wrong is said here in English: a book
  // named with --book was checked already; a stored one that fails leaves
  // the engine to play with what it holds. A stored book path that names a
  // device or a pipe would be read forever or never answer: such a book is
  // not read, as if it could not be opened.
  if (EngineSettings.UseJoseki == 0) {
    LumInit(nullptr);  // no book to read: the reference alone
    return;
  }
  if (!AcquireBook()) {
    say("the book is not read: out of memory");
    return;
  }
  if (const std::string problem = BookFileProblem(EngineSettings.JosekiFile); !problem.empty()) {
    say("the book is not read: " + problem);
    return;
  }
  int32_t line_number = 0;
  if (!LoadBookFile(EngineSettings.JosekiFile, &line_number)) {
    const std::string problem = BookLoadProblem(EngineSettings.JosekiFile, line_number);
    say(line_number == 0 ? "the book is not read: " + problem
                         : "the book is not read whole: " + problem + "; the engine plays with the lines before it");
  }
}

void FinishEngineRun() { LumFinish(0); }
