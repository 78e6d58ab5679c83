#include "ui/setup_form.h"

#include <cstdio>
#include <cstring>

const char kSetupTitle[] = "てぬ";
const char kSetupDepthMessage[] = "探索する深さは 3 以上でなければなりません";
const char kSetupExactMessage[] = "完全先読みは 0 以上でなければなりません";
const char kSetupWldMessage[] = "必勝先読みは完全先読み以上でなければなりません";
const char kSetupSaveFailedMessage[] = "レジストリへの登録に失敗しました";
const char kSetupNotANumberMessage[] = "整数で入力して下さい";
const char kSetupNumberRangeMessage[] = "-2147483648 から 2147483647 までの数で入力して下さい";

namespace {

void FormatNumber(char out[kSetupNumberSize], long long value) {
  std::snprintf(out, kSetupNumberSize, "%lld", value);
}

int CheckState(int state) { return state == 1 ? 1 : 0; }

}  // namespace

int ConvertSetupNumber(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > 2147483648LL) value = 2147483648LL;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) value = 2147483647LL;
  return static_cast<int>(value);
}

const char* SetupNumberProblem(SetupNumberField field, const char* text, const char* exact_text) {
  if (text == nullptr) return kSetupNotANumberMessage;
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (*p < '0' || *p > '9') return kSetupNotANumberMessage;
  long long value = 0;
  bool too_large = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > 2147483648LL) {
      too_large = true;
      value = 2147483648LL;
    }
  }
  while (*p == ' ' || *p == '\t') ++p;
  if (*p != '\0') return kSetupNotANumberMessage;
  if (negative) value = -value;
  if (too_large || value > 2147483647LL) return kSetupNumberRangeMessage;
  switch (field) {
    case SetupNumberField::Depth: return value < 3 ? kSetupDepthMessage : nullptr;
    case SetupNumberField::Exact: return value < 0 ? kSetupExactMessage : nullptr;
    case SetupNumberField::Wld: return value < ConvertSetupNumber(exact_text) ? kSetupWldMessage : nullptr;
  }
  return nullptr;
}

void FillSetupForm(SetupFormFields& fields) {
  FormatNumber(fields.depth, EngineSettings.Depth);
  FormatNumber(fields.exact, EngineSettings.KansakiDepth);
  FormatNumber(fields.wld, EngineSettings.HisshoDepth);
  fields.show_progress = EngineSettings.ShowProgress;
  fields.maemuki_cut = EngineSettings.MaemukiCut;
  fields.use_joseki = EngineSettings.UseJoseki;
  fields.client_joseki = EngineSettings.ClientJoseki;
  std::snprintf(fields.path, sizeof fields.path, "%s", EngineSettings.JosekiFile);
}

void ApplySetupLevel(SetupFormFields& fields, int level) {
  FormatNumber(fields.depth, level);
  FormatNumber(fields.exact, level + 7);
  FormatNumber(fields.wld, level + 9);
}

SetupVerdict SubmitSetupForm(const SetupFormFields& fields) {
  const int depth = ConvertSetupNumber(fields.depth);
  if (depth < 3) return SetupVerdict::DepthTooSmall;
  EngineSettings.Depth = depth;
  const int exact = ConvertSetupNumber(fields.exact);
  if (exact < 0) return SetupVerdict::ExactTooSmall;
  EngineSettings.KansakiDepth = exact;
  const int wld = ConvertSetupNumber(fields.wld);
  if (wld < EngineSettings.KansakiDepth) return SetupVerdict::WldBelowExact;
  EngineSettings.HisshoDepth = wld;
  EngineSettings.ShowProgress = CheckState(fields.show_progress);
  EngineSettings.MaemukiCut = CheckState(fields.maemuki_cut);
  EngineSettings.UseJoseki = CheckState(fields.use_joseki);
  EngineSettings.ClientJoseki = CheckState(fields.client_joseki);
  const size_t length = strnlen(fields.path, kJosekiPathSize - 1);
  std::memcpy(EngineSettings.JosekiFile, fields.path, length);
  EngineSettings.JosekiFile[length] = '\0';
  return SetupVerdict::Accepted;
}

const char* SetupVerdictMessage(SetupVerdict verdict) {
  switch (verdict) {
    case SetupVerdict::DepthTooSmall: return kSetupDepthMessage;
    case SetupVerdict::ExactTooSmall: return kSetupExactMessage;
    case SetupVerdict::WldBelowExact: return kSetupWldMessage;
    case SetupVerdict::Accepted: break;
  }
  return nullptr;
}
