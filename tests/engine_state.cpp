#include "tests/engine_state.h"

#include "book/book.h"
#include "commentary/commentary.h"
#include "core/platform.h"
#include "engine/exports.h"
#include "search/search.h"

void ResetEngineState() {
  EngineSettings = DefaultSettings();
  Commentary = MoveCommentary{};
  while (Book.references > 0) ReleaseBook();
  SelectSearchImplementation(SearchImplementation::Engine);
  ClearSearchTable();
  CloseProgressWindow();
  MarkProgressAbsent();
}

EngineStateGuard::EngineStateGuard() : saved_(EngineSettings) { ResetEngineState(); }

EngineStateGuard::~EngineStateGuard() {
  ResetEngineState();
  EngineSettings = saved_;
}
