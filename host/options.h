// The options of every tenu command, in one declarative table: each option's
// name, the value it takes and how that value is checked, parsed in one place
// with one style of message. A command names the options it accepts; the
// engine options among them change the settings in memory for this run only
// (the stored settings are never written).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Args = std::vector<std::string>;

enum class Option {
  // Engine options: the settings and searches of this run.
  Level,       // --level weak|normal|strong
  Depth,       // --depth N
  Exact,       // --exact N
  Wld,         // --wld N
  Maemuki,     // --maemuki 0|1
  Progress,    // --progress
  NoProgress,  // --no-progress
  BookFile,    // --book FILE
  Hash,        // --hash MB
  Reference,   // --reference
  // The commands' own.
  Raw,             // think --raw
  Games,           // selfplay --games N
  Times,           // selfplay --times
  PlayWhite,       // play --white
  PlayBlack,       // play --black
  From,            // play --from GAME
  Json,            // analyze --json
  Svg,             // analyze --svg FILE
  File,            // analyze --file FILE
  Inaccuracy,      // analyze --inaccuracy D
  Mistake,         // analyze --mistake D
  BlackName,       // analyze --black NAME
  WhiteName,       // analyze --white NAME
  SearchEvaluate,  // search --eval
  SearchDepth,     // search --depth N
  SearchExact,     // search --exact
  SearchWld,       // search --wld
  Timed,           // search --time
  TimeLimit,       // solve --time SECONDS
  Compare,         // bench --compare
};

// The options every command that thinks takes.
extern const std::vector<Option> kEngineOptions;

// What the arguments of one command said: the options in the order given
// (a later one overrides an earlier one of the same kind) and the rest.
struct ParsedOptions {
  std::vector<std::pair<Option, std::string>> given;
  Args operands;

  bool Has(Option option) const;
  // The value given last (empty when none was given).
  std::string Text(Option option) const;
  // The value given last as a whole number or a number (the parser checked
  // its form and range), or `fallback` when none was given.
  long long Count(Option option, long long fallback) const;
  double Number(Option option, double fallback) const;
};

// Sorts a command's arguments into options and operands. An argument that
// starts with "--" is an option unless it is a suite line; "--" ends the
// options, everything after it being an operand; "-" is an operand.
// `accepted` lists the options the command takes. Answers false with a
// message (without the command's name) for an unknown option, a missing or
// malformed value, or a value that looks like a position (its option's value
// was forgotten).
bool ParseOptions(const Args& args, const std::vector<Option>& accepted, ParsedOptions& parsed, std::string& error);

// The accepted options of a command: the engine options and the given ones.
std::vector<Option> WithEngineOptions(std::vector<Option> own);

// Applies the engine options in the order given to the settings of this run
// and to the searches (implementation, table size); false with a message
// when a value cannot be used (a book path that is too long or no regular
// file, a book that cannot be opened or has a line the engine rejects, a
// table that cannot be had).
bool ApplyEngineOptions(const ParsedOptions& parsed, std::string& error);

// Parses and applies in one go, for the commands that think: prints
// "tenu <command>: <message>" on standard error and answers false on error.
bool ReadCommandLine(const char* command, const Args& args, const std::vector<Option>& own, ParsedOptions& parsed);

// The largest book file tenu reads: far beyond any real book (the one that
// comes with the engine has 3 KB), and it stops a huge or sparse file from
// being read for hours.
constexpr int64_t kLargestBookFile = int64_t{256} << 20;

// Why the file at path cannot be a book (not a regular file, or too large);
// empty when it may be, or when it does not exist (the loader reports that).
std::string BookFileProblem(const std::string& path);

// Warns on standard error, once, when the stored settings could not be read.
void WarnAboutSettingsFile();

// Applies what the options said beyond the numbers (progress, book) and takes
// the book reference as a host does before play. A book that fails to load
// is reported and play goes on with what it holds; a book named with --book
// was loaded once already by ApplyEngineOptions, which refuses one that
// does not load whole. Reports too when the settings file could not be
// read and when the search settings make moves that do not come in any
// useful time. Reports go to warn, by default as "tenu: warning: ..." lines
// on standard error.
// With progress_by_default the progress lines show unless --no-progress
// says otherwise (tenu play); otherwise the stored setting stands unless an
// option says otherwise.
using Warn = std::function<void(const std::string& text)>;
void StartEngineRun(const ParsedOptions& parsed, bool progress_by_default = false, const Warn& warn = nullptr);
void FinishEngineRun();

// The largest table `--hash` offers, in MiB.
constexpr long long kLargestTableMegabytes = 4096;

// Parses a whole non-negative decimal number (at most nine digits).
bool ParseCount(const std::string& text, long long& value);

// The engine's texts for the terminal.
std::string ToTerminal(const char* cp932);
