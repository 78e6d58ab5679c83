// The settings form on a terminal: it shows the current values, asks for each
// field (Enter keeps it), offers the three levels, and ends with OK or Cancel.
// Validation and storing are the shared form rules; end of input cancels.
#include "platform/posix/setup_terminal.h"

#include <cstring>
#include <string>

#include "core/platform.h"
#include "ui/search_limits.h"
#include "platform/posix/text_utf8.h"
#include "ui/setup_form.h"

const char kPathTooLongText[] = "the path is longer than 259 bytes";

namespace {

FILE* FormIn = nullptr;
FILE* FormOut = nullptr;

FILE* In() { return FormIn != nullptr ? FormIn : stdin; }
FILE* Out() { return FormOut != nullptr ? FormOut : stdout; }

// One whole answer line without its line ending (what a line holds past
// 64 KiB is dropped); false at end of input.
bool Ask(const char* prompt, const std::string& current, std::string& answer) {
  std::fprintf(Out(), "%s [%s]: ", prompt, current.c_str());
  std::fflush(Out());
  answer.clear();
  int c = 0;
  while ((c = std::getc(In())) != EOF && c != '\n') {
    if (answer.size() < 65536) answer.push_back(static_cast<char>(c));
  }
  if (c == EOF && answer.empty()) return false;
  while (!answer.empty() && answer.back() == '\r') answer.pop_back();
  return true;
}

// A number field: the answer (or, after Enter, the number kept) is checked
// at once, and one the form cannot take is refused with the form's message
// and asked for again, rather than cut to what 32 bits hold or refused only
// after the whole form.
bool AskNumber(const char* prompt, SetupNumberField which, char (&field)[kSetupNumberSize], const char* exact) {
  for (;;) {
    std::string answer;
    if (!Ask(prompt, field, answer)) return false;
    const std::string value = answer.empty() ? std::string(field) : answer;
    if (const char* problem = SetupNumberProblem(which, value.c_str(), exact); problem != nullptr) {
      std::fprintf(Out(), "%s: %s\n", prompt, RenderEngineText(problem).c_str());
      continue;
    }
    std::snprintf(field, sizeof field, "%d", ConvertSetupNumber(value.c_str()));
    return true;
  }
}

// The path is taken only whole: one longer than the setting holds is refused
// and asked for again.
bool AskPath(char (&path)[kJosekiPathSize]) {
  for (;;) {
    std::string answer;
    if (!Ask("Book file", path, answer)) return false;
    if (answer.size() < sizeof path) {
      if (!answer.empty()) std::snprintf(path, sizeof path, "%s", answer.c_str());
      return true;
    }
    std::fprintf(Out(), "Book file: %s\n", kPathTooLongText);
  }
}

// Numbers that make a search that does not finish in any useful time are
// kept only when the user says so; false to edit them again.
bool ConfirmSlowSearch(const SetupFormFields& fields, bool& keep) {
  const std::vector<std::string> warnings = SlowSearchWarnings(
      ConvertSetupNumber(fields.depth), ConvertSetupNumber(fields.exact), ConvertSetupNumber(fields.wld));
  keep = true;
  if (warnings.empty()) return true;
  for (const std::string& warning : warnings) std::fprintf(Out(), "%s\n", warning.c_str());
  for (;;) {
    std::string answer;
    if (!Ask("Keep these numbers? (y/n)", "n", answer)) return false;
    if (answer == "y" || answer == "Y" || answer == "yes") return true;
    if (answer.empty() || answer == "n" || answer == "N" || answer == "no") {
      keep = false;
      return true;
    }
    std::fprintf(Out(), "Please answer y or n.\n");
  }
}

bool AskCheck(const char* prompt, int& state) {
  for (;;) {
    std::string answer;
    if (!Ask(prompt, state == 1 ? "y" : "n", answer)) return false;
    if (answer.empty()) return true;
    if (answer == "y" || answer == "Y" || answer == "yes") {
      state = 1;
      return true;
    }
    if (answer == "n" || answer == "N" || answer == "no") {
      state = 0;
      return true;
    }
    std::fprintf(Out(), "Please answer y or n.\n");
  }
}

bool AskLevel(SetupFormFields& fields) {
  for (;;) {
    std::string answer;
    if (!Ask("Level: 1 weak, 2 normal, 3 strong, Enter to keep the numbers", "", answer)) return false;
    if (answer.empty()) return true;
    const int levels[] = {kLevelWeak, kLevelNormal, kLevelStrong};
    if (answer.size() == 1 && answer[0] >= '1' && answer[0] <= '3') {
      ApplySetupLevel(fields, levels[answer[0] - '1']);
      return true;
    }
    std::fprintf(Out(), "Please answer 1, 2 or 3.\n");
  }
}

void ShowFields(const SetupFormFields& fields) {
  std::fprintf(Out(),
               "Settings - Tenu\n"
               "  Depth %s, Exact %s, WLD %s\n"
               "  Show progress %s, Faster search %s, Host's book %s, Use a book file %s\n"
               "  Book file \"%s\"\n",
               fields.depth, fields.exact, fields.wld, fields.show_progress == 1 ? "y" : "n",
               fields.maemuki_cut == 1 ? "y" : "n", fields.client_joseki == 1 ? "y" : "n",
               fields.use_joseki == 1 ? "y" : "n", fields.path);
}

// One pass over the fields; false at end of input.
bool EditFields(SetupFormFields& fields) {
  return AskLevel(fields) && AskNumber("Depth", SetupNumberField::Depth, fields.depth, fields.exact) &&
         AskNumber("Exact", SetupNumberField::Exact, fields.exact, fields.exact) &&
         AskNumber("WLD", SetupNumberField::Wld, fields.wld, fields.exact) &&
         AskCheck("Show the progress while thinking", fields.show_progress) &&
         AskCheck("Faster search (a little weaker)", fields.maemuki_cut) &&
         AskCheck("Let the host use its own opening book", fields.client_joseki) &&
         AskCheck("Use a book file", fields.use_joseki) &&
         AskPath(fields.path);
}

}  // namespace

void SetSetupFormStreams(FILE* in, FILE* out) {
  FormIn = in;
  FormOut = out;
}

int RunSetupForm(HostWindow owner) {
  SetupFormFields fields;
  FillSetupForm(fields);
  ShowFields(fields);
  for (;;) {
    if (!EditFields(fields)) return 0;
    std::string answer;
    for (;;) {
      if (!Ask("OK or Cancel (o/c)", "o", answer)) return 0;
      if (answer.empty() || answer == "o" || answer == "O" || answer == "ok" || answer == "OK") break;
      if (answer == "c" || answer == "C" || answer == "cancel") return 0;
      std::fprintf(Out(), "Please answer o or c.\n");
    }
    bool keep = true;
    if (!ConfirmSlowSearch(fields, keep)) return 0;
    if (!keep) continue;
    const SetupVerdict verdict = SubmitSetupForm(fields);
    if (verdict == SetupVerdict::Accepted) return 1;
    ShowErrorMessage(owner, kSetupTitle, SetupVerdictMessage(verdict));
  }
}
