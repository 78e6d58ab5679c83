// Any bytes as the host's position string, through LumThink. The string lies
// in a heap buffer of exactly its size (with a terminator only when it is
// shorter than a position and holds no NUL, as a host string must end
// somewhere), so reading past what the host gave is caught.
//
// Checked for every input: the host's bytes are left as they were, and the
// reply is either "<square>|<message>|<evaluation>" with a square that is a
// legal move for the side to move (or the only empty square, which is
// answered without a legality test) or exactly the no-move reply for the
// case at hand. The reply buffer is filled with a marker first, so a reply
// left over from an earlier call shows. After every answered move the game
// goes on by one opponent move and is asked again, so the commentary's
// memory of the previous move is used too.
//
// The shallow ordering searches of the root cost a hundred times the rest of
// a think at these depths. So one input in 16, picked by a hash of its
// bytes, thinks exactly as a host's call does; the others think with the
// ordering skipped (as the move scoring runs) and
// MaemukiCut off, so that every legal move is still searched. One in four of
// those is asked a second time of the other search implementation (the
// engine's or the reference), which must answer byte for byte the same.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "book/book.h"
#include "commentary/commentary.h"
#include "engine/exports.h"
#include "engine/position.h"
#include "engine/texts.h"
#include "fuzz/fuzz_support.h"
#include "search/search.h"
#include "core/settings.h"

namespace {

constexpr size_t kPositionChars = 66;
const char kMarker[] = "stale reply marker";
// The implementation the think asks for, and the other one when the two are
// compared.
SearchImplementation Implementation = SearchImplementation::Engine;

struct Request {
  bool parses = false;
  int side = 0;
  ModelBoard board{};
};

// What a host string means, read without the engine's parser: side, bar and
// 64 squares within the first NUL (or the buffer's end).
Request ReadRequest(const char* text, size_t length) {
  Request request;
  size_t chars = 0;
  while (chars < length && chars < kPositionChars && text[chars] != '\0') ++chars;
  if (chars < kPositionChars || text[1] != '|' || (text[0] != '*' && text[0] != '0')) return request;
  request.parses = true;
  request.side = text[0] == '*' ? 1 : -1;
  for (int i = 0; i < 64; ++i) {
    const char c = text[2 + i];
    request.board.cell[i % 8][i / 8] = c == '*' ? 1 : c == '0' ? -1 : 0;
  }
  return request;
}

std::string NoMoveReply(const char* message) { return std::string("PA|") + message + "|0.000000"; }

bool IsRemark(const std::string& message) {
  for (const auto& row : MoveRemarks) {
    for (const char* remark : row) {
      if (message == remark) return true;
    }
  }
  for (const char* remark : ScoreRemarks) {
    if (message == remark) return true;
  }
  return false;
}

// The square of an answered move, checked against the request; x is 0 for
// a no-move reply.
struct Answer {
  int x = 0;
  int y = 0;
};

Answer CheckReply(const Request& request, const std::string& reply, const std::string& input) {
  const std::string context = "input \"" + input + "\" reply \"" + reply + "\"";
  FUZZ_CHECK(reply.find(kMarker) == std::string::npos, "stale reply: " + context);
  if (!request.parses) {
    FUZZ_CHECK(reply == NoMoveReply(kBadPositionMessage), "refused string: " + context);
    return {};
  }
  const int empties = ModelEmpties(request.board);
  const bool has_move = ModelHasMove(request.board, request.side);
  if (!has_move && empties != 1) {
    FUZZ_CHECK(reply == NoMoveReply(kNoMoveMessage), "no legal move: " + context);
    return {};
  }
  FUZZ_CHECK(reply.size() >= 5 && reply[0] >= 'A' && reply[0] <= 'H' && reply[1] >= '1' && reply[1] <= '8' &&
                 reply[2] == '|',
             "no square: " + context);
  const size_t bar = reply.rfind('|');
  FUZZ_CHECK(bar > 2, "no evaluation: " + context);
  const std::string message = reply.substr(3, bar - 3);
  const std::string evaluation = reply.substr(bar + 1);
  char* end = nullptr;
  const double value = std::strtod(evaluation.c_str(), &end);
  char printed[64];
  std::snprintf(printed, sizeof printed, "%f", value);
  FUZZ_CHECK(end != nullptr && *end == '\0' && evaluation == printed && std::fabs(value) <= 9999.0,
             "evaluation field: " + context);
  const int x = reply[0] - 'A' + 1;
  const int y = reply[1] - '0';
  if (message == kSingleSquareMessage) {
    FUZZ_CHECK(empties == 1 && request.board.cell[x - 1][y - 1] == 0 && evaluation == "0.000000",
               "single-square answer: " + context);
    return {x, y};
  }
  FUZZ_CHECK(ModelLegal(request.board, x, y, request.side), "illegal move: " + context);
  if (message == kBookMoveMessage) {
    FUZZ_CHECK(evaluation == "0.000000", "book move with a score: " + context);
  } else {
    FUZZ_CHECK(IsRemark(message), "unknown message: " + context);
  }
  return {x, y};
}

std::string Printable(const char* text, size_t length) {
  std::string out;
  for (size_t i = 0; i < length && out.size() < 200; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
      out.push_back(static_cast<char>(c));
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      out += escaped;
    }
  }
  return out;
}

bool FullThink = true;
bool CompareSearches = false;

uint32_t InputHash(const uint8_t* data, size_t size) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

std::string Think(const char* text) {
  FormatNoMoveReply(kMarker);
  SearchRequest request = ModuleRequest();
  request.implementation = Implementation;
  request.order_root = FullThink;
  request.settings.MaemukiCut = FullThink ? 1 : 0;
  const char* reply = ThinkReply(request, nullptr, text);
  FUZZ_CHECK(reply != nullptr, "null reply");
  return reply;
}

// The position string of a model board.
std::string PositionOf(const ModelBoard& board, int side) {
  std::string text = side == 1 ? "*|" : "0|";
  for (int i = 0; i < 64; ++i) {
    const int c = board.cell[i % 8][i / 8];
    text.push_back(c == 1 ? '*' : c == -1 ? '0' : '-');
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  UseCheapSearchSettings();
  // The book of named openings, so that positions on its lines take the book step.
  EngineSettings.UseJoseki = 1;
  std::snprintf(EngineSettings.JosekiFile, sizeof EngineSettings.JosekiFile, "%s", TENU_SOURCE_DIR "/books/openings.txt");
  LumInit(nullptr);
  FUZZ_CHECK(Book.root != nullptr && CountBookNodes() > 1, "the opening book did not load");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const bool has_nul = std::memchr(data, 0, size) != nullptr;
  const size_t length = !has_nul && size < kPositionChars ? size + 1 : size;
  std::vector<char> host(length > 0 ? length : 1, '\0');  // never empty: a host string has at least its NUL
  if (size > 0) std::memcpy(host.data(), data, size);
  // An exactly sized heap copy so that any read beyond it is caught.
  char* text = new char[host.size()];
  std::memcpy(text, host.data(), host.size());
  const std::string input = Printable(text, host.size());

  const uint32_t hash = InputHash(data, size);
  FullThink = hash % 16 == 0;
  CompareSearches = !FullThink && hash / 16 % 4 == 0;
  Commentary = MoveCommentary{};
  std::srand(1);
  const Request request = ReadRequest(text, host.size());
  const std::string reply = Think(text);
  FUZZ_CHECK(std::memcmp(text, host.data(), host.size()) == 0, "the host's string was written to: " + input);
  const Answer answer = CheckReply(request, reply, input);

  if (answer.x != 0 && CompareSearches) {
    // The other search implementation, from the same memory and random state.
    const MoveCommentary after = Commentary;
    Commentary = MoveCommentary{};
    std::srand(1);
    Implementation = SearchImplementation::Reference;
    const std::string other = Think(text);
    Implementation = SearchImplementation::Engine;
    FUZZ_CHECK(other == reply, "the search implementations disagree on " + input + ": \"" + reply + "\" and \"" +
                                   other + "\"");
    FUZZ_CHECK(std::memcmp(&Commentary, &after, sizeof after) == 0, "the commentary's memory differs");
  }
  if (answer.x != 0) {

    // One opponent move later, with the commentary remembering this move.
    ModelBoard next = request.board;
    if (ModelPlay(next, answer.x, answer.y, request.side)) {
      for (int s = 0; s < 64; ++s) {
        if (ModelPlay(next, s / 8 + 1, s % 8 + 1, -request.side)) break;
      }
      const std::string position = PositionOf(next, request.side);
      Request follow = ReadRequest(position.c_str(), position.size() + 1);
      CheckReply(follow, Think(position.c_str()), position);
    }
  }
  delete[] text;
  return 0;
}
