// The rules of the settings form, shared by every platform's form: what it
// shows, what the level buttons fill in, and how OK validates and stores.
// Platforms only show the fields and read them back.
#pragma once

#include "core/settings.h"

constexpr int kSetupNumberSize = 80;

// The form's fields as texts and check states, as a dialog holds them.
struct SetupFormFields {
  char depth[kSetupNumberSize];
  char exact[kSetupNumberSize];
  char wld[kSetupNumberSize];
  int show_progress;
  int maemuki_cut;
  int use_joseki;
  int client_joseki;
  char path[kJosekiPathSize];
};

enum SetupLevel { kLevelWeak = 3, kLevelNormal = 5, kLevelStrong = 7 };

// What OK found; for a refusal the form stays open with the message shown.
enum class SetupVerdict { Accepted, DepthTooSmall, ExactTooSmall, WldBelowExact };

// The form filled from the current settings.
void FillSetupForm(SetupFormFields& fields);
// A level button: Depth v, Exact v + 7, WLD v + 9; only the fields change.
void ApplySetupLevel(SetupFormFields& fields, int level);
// OK: converts and checks the three numbers in order, storing each one that
// passes before the next is checked; on acceptance stores the check boxes (as
// 0 or 1) and the path (at most 259 bytes).
SetupVerdict SubmitSetupForm(const SetupFormFields& fields);
// The refusal's message (null for Accepted).
const char* SetupVerdictMessage(SetupVerdict verdict);

// The three number fields, for a form that checks each answer as it is
// given (the terminal's): the message for a field's text that the form
// cannot take, or null. The text must be a whole decimal number (blanks
// around it allowed) that fits in 32 bits, and not below the field's least
// value: Depth 3, Exact 0, WLD the Exact given (exact_text).
enum class SetupNumberField { Depth, Exact, Wld };
const char* SetupNumberProblem(SetupNumberField field, const char* text, const char* exact_text);

// Leading white space, an optional sign, decimal digits up to the first other
// character; no digits give 0. Values beyond 32 bits are held at the limit.
int ConvertSetupNumber(const char* text);

extern const char kSetupTitle[];
extern const char kSetupDepthMessage[];
extern const char kSetupExactMessage[];
extern const char kSetupWldMessage[];
extern const char kSetupSaveFailedMessage[];
extern const char kSetupNotANumberMessage[];
extern const char kSetupNumberRangeMessage[];
