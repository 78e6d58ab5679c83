// Engine options shared by the commands that think. They change the settings
// in memory for this run only; the stored settings are never written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct EngineRunOptions {
  std::string book;  // --book FILE: UseJoseki on with this path, loaded like LumInit
  bool progress_set = false;
  bool progress = false;
};

// Takes the option at args[i] (and its value) when it is an engine option:
// --level weak|normal|strong, --depth N, --exact N, --wld N, --maemuki 0|1,
// --progress, --no-progress, --book FILE, --reference (the readable reference
// searches), --hash MB (the engine searches' table size). Answers false when
// args[i] is not one; sets error when it is one but malformed, or when its
// value is missing (the next argument is another option or looks like a
// position).
bool TakeEngineOption(const std::vector<std::string>& args, size_t& i, EngineRunOptions& options, std::string& error);

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
// the book reference as a host does before play (a book that fails to load is
// reported on standard error and play goes on with what it holds). Warns on
// standard error when the settings file could not be read and when the
// search settings make moves that do not come in any useful time.
void StartEngineRun(const EngineRunOptions& options);
void FinishEngineRun();

// The largest table `--hash` offers, in MiB.
constexpr long long kLargestTableMegabytes = 4096;

// Parses a whole non-negative decimal number.
bool ParseCount(const std::string& text, long long& value);

// The engine's texts for the terminal.
std::string ToTerminal(const char* cp932);
