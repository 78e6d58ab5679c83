// Moves and move scores through the module's exports, as a host gets them:
// every reference game replayed in one fresh load of the module each, with
// the game's settings put into the registry before the load, and every
// reference move score.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "commentary/commentary.h"
#include "engine/texts.h"
#include "platform/win32/resource_ids.h"
#include "tests/fixture_reader.h"
#include "tests/win32/test_support.h"

namespace {

// "R1".."R6", "S1".."S5" or "ONE" for a remark, as the reference table names
// them; "?" for anything else.
std::string RemarkClass(const std::string& remark) {
  if (remark == kSingleSquareMessage) return "ONE";
  for (int row = 0; row < kRemarkRows; ++row) {
    for (int column = 0; column < kRemarkColumns; ++column) {
      if (remark == MoveRemarks[row][column]) return "R" + std::to_string(row + 1);
    }
  }
  for (int k = 0; k < kScoreRemarks; ++k) {
    if (remark == ScoreRemarks[k]) return "S" + std::to_string(k + 1);
  }
  return "?";
}

struct Reply {
  std::string square, remark, evaluation;
  bool well_formed = false;
};

Reply SplitReply(const char* text) {
  Reply reply;
  if (text == nullptr) return reply;
  const std::string whole = text;
  const size_t first = whole.find('|');
  const size_t last = whole.rfind('|');
  if (first == std::string::npos || first == last) return reply;
  reply.square = whole.substr(0, first);
  reply.remark = whole.substr(first + 1, last - first - 1);
  reply.evaluation = whole.substr(last + 1);
  reply.well_formed = true;
  return reply;
}

// Depth, KansakiDepth, HisshoDepth, MaemukiCut into the registry; the other
// settings keep their defaults.
void StoreGameSettings(const std::string& settings, bool show_progress) {
  std::istringstream in(settings);
  const char* names[] = {"Depth", "KansakiDepth", "HisshoDepth", "MaemukiCut"};
  ClearEngineRegistry();
  for (const char* name : names) {
    int value = 0;
    in >> value;
    in.ignore(1);
    SetRegistryDword(name, static_cast<uint32_t>(value));
  }
  if (show_progress) SetRegistryDword("ShowProgress", 1);
}

std::vector<std::vector<FixtureRow>> Games() {
  std::vector<std::vector<FixtureRow>> games;
  std::string current;
  for (const FixtureRow& row : ReadFixture("think.tsv")) {
    if (row.at("game") != current) {
      current = row.at("game");
      games.emplace_back();
    }
    games.back().push_back(row);
  }
  return games;
}

// What the progress strip showed during one think, recorded by a hook on
// every text the strip's line receives.
struct StripRecord {
  HWND host = nullptr;
  std::vector<std::string> texts;
  std::vector<RECT> places;
  std::vector<bool> visible;
};
StripRecord* Recording = nullptr;

LRESULT CALLBACK RecordStripText(int code, WPARAM wparam, LPARAM lparam) {
  const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
  if (code == HC_ACTION && Recording != nullptr && message->message == WM_SETTEXT &&
      GetDlgCtrlID(message->hwnd) == IDC_PROGRESS_TEXT) {
    HWND strip = GetParent(message->hwnd);
    if (GetWindow(strip, GW_OWNER) == Recording->host) {
      RECT place;
      GetWindowRect(strip, &place);
      Recording->texts.push_back(WindowText(message->hwnd));
      Recording->places.push_back(place);
      Recording->visible.push_back(IsWindowVisible(strip) != 0);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

class ModuleThink : public ::testing::Test {
 protected:
  void TearDown() override { ClearEngineRegistry(); }
};

void ReplayGame(const std::vector<FixtureRow>& game, HWND host, bool show_progress) {
  const std::string& id = game.front().at("game");
  StoreGameSettings(game.front().at("settings"), show_progress);
  EngineModule module;
  ASSERT_TRUE(module.ready());
  for (const FixtureRow& row : game) {
    SCOPED_TRACE("game " + id + " " + row.at("position"));
    const Reply reply = SplitReply(module.LumThink(host, row.at("position").c_str()));
    ASSERT_TRUE(reply.well_formed);
    EXPECT_EQ(reply.square, row.at("square"));
    EXPECT_EQ(reply.evaluation, row.at("evaluation"));
    EXPECT_EQ(RemarkClass(reply.remark), row.at("remark"));
  }
}

}  // namespace

TEST_F(ModuleThink, EveryReferenceGameThroughTheExport) {
  const auto games = Games();
  ASSERT_GT(games.size(), 30u);
  for (const auto& game : games) ReplayGame(game, nullptr, false);
}

// With a host window and ShowProgress set, every think shows its lines in a
// visible strip right below the host, and takes the strip away before it
// returns. With ShowProgress clear the strip exists but is never shown.
TEST_F(ModuleThink, ProgressStripDuringTheThink) {
  const auto games = Games();
  ASSERT_FALSE(games.empty());
  TestWindow host(100, 50, 500, 450);
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, RecordStripText, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  for (const bool show : {true, false}) {
    SCOPED_TRACE(show ? "ShowProgress 1" : "ShowProgress 0");
    StoreGameSettings(games.front().front().at("settings"), show);
    EngineModule module;
    ASSERT_TRUE(module.ready());
    const size_t moves = std::min<size_t>(games.front().size(), 8);
    for (size_t k = 0; k < moves; ++k) {
      StripRecord record;
      record.host = host.hwnd();
      Recording = &record;
      const Reply reply = SplitReply(module.LumThink(host.hwnd(), games.front()[k].at("position").c_str()));
      Recording = nullptr;
      EXPECT_EQ(reply.square, games.front()[k].at("square"));
      ASSERT_FALSE(record.texts.empty()) << "move " << k;
      for (size_t t = 0; t < record.texts.size(); ++t) {
        EXPECT_EQ(record.places[t].left, 100);
        EXPECT_EQ(record.places[t].top, 452);
        EXPECT_EQ(record.places[t].right, 500);
        EXPECT_EQ(record.places[t].bottom, 472);
        EXPECT_EQ(record.visible[t], show);
      }
      EXPECT_TRUE(DialogWindowsOf(GetCurrentThreadId()).empty()) << "the strip outlived the think";
    }
  }
  UnhookWindowsHookEx(hook);
}

TEST_F(ModuleThink, RequestsWithNoMoveGetThePassReply) {
  ClearEngineRegistry();
  EngineModule module;
  ASSERT_TRUE(module.ready());
  const std::string start = "*|---------------------------*0------0*---------------------------";
  ASSERT_EQ(start.size(), 66u);
  const std::string bad_position = std::string("PA|") + kBadPositionMessage + "|0.000000";
  const std::string no_move = std::string("PA|") + kNoMoveMessage + "|0.000000";
  struct Case {
    const char* title;
    std::string position;
    const std::string& reply;
  };
  const Case cases[] = {
      {"empty string", "", bad_position},
      {"65 characters", start.substr(0, 65), bad_position},
      {"no separator", "*-" + start.substr(2), bad_position},
      {"no side", "x" + start.substr(1), bad_position},
      {"black has no disc to flank with", "*|0" + std::string(63, '-'), no_move},
      {"a full board", "0|" + std::string(64, '*'), no_move},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const char* reply = module.LumThink(nullptr, c.position.c_str());
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(std::string(reply), c.reply);
  }
  const char* reply = module.LumThink(nullptr, nullptr);
  ASSERT_NE(reply, nullptr);
  EXPECT_EQ(std::string(reply), bad_position);
  // A well-formed request still gets a move afterwards.
  EXPECT_EQ(std::string(module.LumThink(nullptr, start.c_str())).find("PA|"), std::string::npos);
}

namespace {

// The host's 91-byte Board for a position string: walls (100) around the 64
// squares x + 9y, discs 1 and -1.
void HostBoard(const std::string& position, int8_t board[91]) {
  for (int k = 0; k < 91; ++k) board[k] = 100;
  for (int i = 0; i < 64; ++i) {
    const char c = position[static_cast<size_t>(i) + 2];
    board[(i % 8 + 1) + 9 * (i / 8 + 1)] = static_cast<int8_t>(c == '*' ? 1 : c == '0' ? -1 : 0);
  }
}

int SquareIndex(const std::string& square) { return (square[0] - 'a' + 1) + 9 * (square[1] - '0'); }

}  // namespace

TEST_F(ModuleThink, EveryReferenceMoveScoreThroughTheExport) {
  ClearEngineRegistry();
  const auto rows = ReadFixture("posstate.tsv");
  ASSERT_GT(rows.size(), 100u);
  EngineModule module;
  ASSERT_TRUE(module.ready());
  for (const FixtureRow& row : rows) {
    SCOPED_TRACE(row.at("position") + " " + row.at("square") + " " + row.at("side"));
    // The Board sits between guard bytes; neither it nor they may change.
    int8_t guarded[91 + 64];
    std::memset(guarded, 0x5A, sizeof guarded);
    int8_t* board = guarded + 32;
    HostBoard(row.at("position"), board);
    int8_t before[sizeof guarded];
    std::memcpy(before, guarded, sizeof guarded);
    const int side = std::stoi(row.at("side"));
    const int32_t value = std::stoi(row.at("value"));
    const int square = SquareIndex(row.at("square"));
    EXPECT_EQ(module.VellPosState(board, square, side == 1 ? 1 : 0xFF, 0), value);
    EXPECT_EQ(std::memcmp(before, guarded, sizeof guarded), 0) << "the host's Board was changed";
    // Only the low byte of the side counts.
    if (side != 1) {
      EXPECT_EQ(module.VellPosState(board, square, -1, 0x7777), value);
    }
  }
}
