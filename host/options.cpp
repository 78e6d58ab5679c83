#include "host/options.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "engine/exports.h"
#include "search/dispatch.h"
#include "search/fast/fast_search.h"
#include "platform/posix/search_limits.h"
#include "platform/posix/settings_file.h"
#include "host/records.h"
#include "platform/posix/setup_terminal.h"
#include "platform/posix/text_utf8.h"
#include "core/settings.h"
#include "ui/setup_form.h"

namespace {

// A position string or suite line given where an option's value belongs: the
// value was forgotten, and the position would be taken for it.
bool LooksLikePosition(const std::string& text) {
  return (text.size() >= 2 && (text[0] == '*' || text[0] == '0') && text[1] == '|') || LooksLikeSuiteLine(text);
}

}  // namespace

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
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

std::string ToTerminal(const char* cp932) { return Cp932ToUtf8(cp932); }

bool TakeEngineOption(const std::vector<std::string>& args, size_t& i, EngineRunOptions& options,
                      std::string& error) {
  const std::string& name = args[i];
  auto value = [&](std::string& out) {
    if (i + 1 >= args.size() || (args[i + 1].rfind("--", 0) == 0 && !LooksLikeSuiteLine(args[i + 1]))) {
      error = name + " needs a value";
      return false;
    }
    if (LooksLikePosition(args[i + 1])) {
      error = name + " needs a value before the position " + args[i + 1];
      return false;
    }
    out = args[++i];
    return true;
  };
  auto number = [&](int32_t& field) {
    std::string text;
    long long parsed = 0;
    if (!value(text)) return true;
    if (!ParseCount(text, parsed)) {
      error = name + " takes a whole number, not '" + text + "'";
      return true;
    }
    field = static_cast<int32_t>(parsed);
    return true;
  };

  if (name == "--depth") return number(EngineSettings.Depth);
  if (name == "--exact") return number(EngineSettings.KansakiDepth);
  if (name == "--wld") return number(EngineSettings.HisshoDepth);
  if (name == "--maemuki") {
    std::string text;
    if (value(text)) {
      if (text == "0" || text == "1") {
        EngineSettings.MaemukiCut = text == "1";
      } else {
        error = "--maemuki takes 0 or 1";
      }
    }
    return true;
  }
  if (name == "--level") {
    std::string text;
    if (!value(text)) return true;
    const int level = text == "weak" ? kLevelWeak : text == "normal" ? kLevelNormal : text == "strong" ? kLevelStrong : 0;
    if (level == 0) {
      error = "--level takes weak, normal or strong";
      return true;
    }
    EngineSettings.Depth = level;
    EngineSettings.KansakiDepth = level + 7;
    EngineSettings.HisshoDepth = level + 9;
    return true;
  }
  if (name == "--progress" || name == "--no-progress") {
    options.progress_set = true;
    options.progress = name == "--progress";
    return true;
  }
  if (name == "--reference" || name == "--plain") {
    ActiveSearch = SearchImplementation::Reference;  // the readable searches, for comparison
    return true;
  }
  if (name == "--hash") {
    std::string text;
    long long megabytes = 0;
    if (value(text)) {
      if (!ParseCount(text, megabytes) || megabytes < 1 || megabytes > kLargestTableMegabytes) {
        error = "--hash takes a table size in MiB from 1 to " + std::to_string(kLargestTableMegabytes);
      } else if (!SetSearchTableSize(static_cast<size_t>(megabytes) << 20)) {
        error = "--hash: " + text + " MiB of memory cannot be had";
      }
    }
    return true;
  }
  if (name == "--book") {
    if (!value(options.book)) return true;
    if (options.book.size() >= static_cast<size_t>(kJosekiPathSize)) {
      error = std::string("--book: ") + kPathTooLongText;
    } else if (const std::string problem = BookFileProblem(options.book); !problem.empty()) {
      error = "--book: " + problem;
    }
    return true;
  }
  return false;
}

void WarnAboutSettingsFile() {
  const std::string problem = SettingsFileProblem();
  if (!problem.empty()) std::fprintf(stderr, "tenu: warning: %s; the built-in settings are used\n", problem.c_str());
}

void StartEngineRun(const EngineRunOptions& options) {
  WarnAboutSettingsFile();
  if (options.progress_set) EngineSettings.ShowProgress = options.progress ? 1 : 0;
  if (!options.book.empty()) {
    EngineSettings.UseJoseki = 1;
    std::snprintf(EngineSettings.JosekiFile, sizeof EngineSettings.JosekiFile, "%s", options.book.c_str());
  }
  for (const std::string& warning :
       SlowSearchWarnings(EngineSettings.Depth, EngineSettings.KansakiDepth, EngineSettings.HisshoDepth)) {
    std::fprintf(stderr, "tenu: warning: %s\n", warning.c_str());
  }
  // A stored book path that names a device or a pipe would be read forever
  // or never answer: such a book is not read, as if it could not be opened.
  if (EngineSettings.UseJoseki != 0) {
    if (const std::string problem = BookFileProblem(EngineSettings.JosekiFile); !problem.empty()) {
      std::fprintf(stderr, "tenu: the book is not read: %s\n", problem.c_str());
      AcquireBook();
      return;
    }
  }
  LumInit(nullptr);
}

void FinishEngineRun() { LumFinish(0); }
