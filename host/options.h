// Engine options shared by the commands that think. They change the settings
// in memory for this run only; the stored settings are never written.
#pragma once

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
// args[i] is not one; sets error when it is one but malformed.
bool TakeEngineOption(const std::vector<std::string>& args, size_t& i, EngineRunOptions& options, std::string& error);

// Applies what the options said beyond the numbers (progress, book) and takes
// the book reference as a host does before play (a book that fails to load is
// reported on standard error and play goes on with what it holds).
void StartEngineRun(const EngineRunOptions& options);
void FinishEngineRun();

// The largest table `--hash` offers, in MiB.
constexpr long long kLargestTableMegabytes = 4096;

// Parses a whole non-negative decimal number.
bool ParseCount(const std::string& text, long long& value);

// The engine's texts for the terminal.
std::string ToTerminal(const char* cp932);
