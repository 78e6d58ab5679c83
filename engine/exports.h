// The eight functions the host calls. On Windows they are the DLL's exports,
// by plain name, callee-pops for those with arguments; elsewhere they are
// plain functions that the command-line host calls the same way.
#pragma once

#include <cstdint>

#include "core/platform.h"
#include "lum_callconv.h"
#include "search/search.h"

constexpr int kEngineVersion = 103;

// The request the exports pass down to the think driver and the move
// scoring: the module-wide settings as they stand, the root ordered and
// progress shown as a think does, and the search implementation chosen for
// this process (the engine searches unless a program asked for the
// reference ones, as tenu's --reference does).
SearchRequest ModuleRequest();
void SelectSearchImplementation(SearchImplementation implementation);

// LumThink's work for a given request: LumThink answers ThinkReply with
// ModuleRequest(). Tools that need another request (the fuzzers skip the
// root ordering, for instance) call this.
const char* ThinkReply(const SearchRequest& request, HostWindow host, const char* position);

extern "C" {
// The move for a position string, as the reply "F5|remark|0.370000". When no
// move can be given the reply is "PA|<reason>|0.000000": for a string that is
// not a position, and for a position whose side to move has no legal move.
const char* LUM_CALL LumThink(HostWindow host, const char* position);
int LUM_CALL LumVersion();
const char* LUM_CALL LumInfo();
// The settings form; 0 when cancelled, otherwise nonzero.
int LUM_CALL LumSetup(HostWindow owner);
// Takes a reference on the book and, with UseJoseki set, loads JosekiFile.
int LUM_CALL LumInit(HostWindow owner);
// Drops a book reference; answers the references left (0 at the last one).
int LUM_CALL LumFinish(int32_t unused);
int LUM_CALL LumClientOpeningBook();
// The score of one candidate move (see ScoreCandidateMove).
int LUM_CALL VellPosState(const int8_t* board, int32_t square, int32_t side, int32_t unused);
}
