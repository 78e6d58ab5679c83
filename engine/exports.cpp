#include "engine/exports.h"

#include "book/book.h"
#include "engine/position.h"
#include "engine/posstate.h"
#include "engine/texts.h"
#include "engine/think.h"
#include "ui/settings.h"
#include "ui/setup_form.h"

namespace {
SearchImplementation SelectedImplementation = SearchImplementation::Engine;
}  // namespace

SearchRequest ModuleRequest() {
  SearchRequest request;
  request.settings = EngineSettings;
  request.implementation = SelectedImplementation;
  return request;
}

void SelectSearchImplementation(SearchImplementation implementation) { SelectedImplementation = implementation; }

const char* ThinkReply(const SearchRequest& request, HostWindow host, const char* position) {
  int score = 0;
  int side = 1;
  Board board;
  if (!ParsePosition(position, &side, &board)) return FormatNoMoveReply(kBadPositionMessage);
  OpenProgressWindow(host);
  int x = -1;
  int y = 0;
  const char* message = ChooseMove(request, board, side, &x, &y, &score);
  CloseProgressWindow();
  if (x < 1) return FormatNoMoveReply(message);
  return FormatReply(x, y, message, score);
}

extern "C" {

const char* LUM_CALL LumThink(HostWindow host, const char* position) {
  return ThinkReply(ModuleRequest(), host, position);
}

int LUM_CALL LumVersion() { return kEngineVersion; }

const char* LUM_CALL LumInfo() { return kDisplayName; }

int LUM_CALL LumSetup(HostWindow owner) {
  if (RunSetupForm(owner) == 0) return 0;
  const int saved = SaveSettings();
  if (saved != 0) return saved;
  ShowErrorMessage(owner, kSetupTitle, kSetupSaveFailedMessage);
  return 1;  // the message box's OK
}

int LUM_CALL LumInit(HostWindow owner) {
  if (!AcquireBook()) return 1;
  if (EngineSettings.UseJoseki == 0) return 1;
  int32_t line_number = 0;
  if (!LoadBookFile(EngineSettings.JosekiFile, &line_number)) ReportBookFailure(owner, line_number);
  return 1;
}

int LUM_CALL LumFinish(int32_t /*unused*/) { return ReleaseBook(); }

int LUM_CALL LumClientOpeningBook() { return EngineSettings.ClientJoseki; }

int LUM_CALL VellPosState(const int8_t* board, int32_t square, int32_t side, int32_t /*unused*/) {
  return ScoreCandidateMove(ModuleRequest(), board, square, side);
}

}  // extern "C"
