// The progress strip, linked into this program (it is not exported) and
// made from this program's own copy of the module's resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/host_handles.h"
#include "core/platform.h"
#include "platform/win32/resource_ids.h"
#include "tests/win32/test_support.h"
#include "core/settings.h"

namespace {

// The strips that exist: dialog windows of this thread owned by host (any
// owner when host is null).
std::vector<HWND> Strips(HWND host = nullptr) {
  std::vector<HWND> strips;
  for (HWND window : DialogWindowsOf(GetCurrentThreadId())) {
    if (host == nullptr || GetWindow(window, GW_OWNER) == host) strips.push_back(window);
  }
  return strips;
}

HWND OnlyStrip(HWND host) {
  const std::vector<HWND> strips = Strips();
  if (strips.size() != 1 || GetWindow(strips[0], GW_OWNER) != host) return nullptr;
  return strips[0];
}

std::string StripText(HWND strip) { return WindowText(GetDlgItem(strip, IDC_PROGRESS_TEXT)); }

RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

class ProgressStrip : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_settings_ = EngineSettings;
    saved_instance_ = ModuleInstance;
    EngineSettings = DefaultSettings();
    ModuleInstance = GetModuleHandleA(nullptr);
    MarkProgressAbsent();
  }
  void TearDown() override {
    CloseProgressWindow();
    MarkProgressAbsent();
    ModuleInstance = saved_instance_;
    EngineSettings = saved_settings_;
    PumpMessages();
  }

 private:
  EngineSettingsRecord saved_settings_{};
  ModuleHandle saved_instance_ = nullptr;
};

}  // namespace

TEST_F(ProgressStrip, SitsBelowTheHostAndSpansItsWidth) {
  struct Case {
    RECT host;
    int edit_width;
  };
  const Case cases[] = {
      {{100, 50, 500, 450}, 398},
      {{0, 0, 640, 120}, 638},
      {{-40, -30, 260, 70}, 298},  // partly off the screen
      {{300, 200, 301, 260}, 0},   // narrower than the strip's border
  };
  EngineSettings.ShowProgress = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.host.left) + "," + std::to_string(c.host.top) + " - " +
                 std::to_string(c.host.right) + "," + std::to_string(c.host.bottom));
    TestWindow host(c.host.left, c.host.top, c.host.right, c.host.bottom, "host", TestWindow::kBare);
    const RECT host_rect = ScreenRect(host.hwnd());
    ASSERT_TRUE(EqualRect(&host_rect, &c.host)) << "the host window was not placed as asked";
    OpenProgressWindow(host.hwnd());
    HWND strip = OnlyStrip(host.hwnd());
    ASSERT_NE(strip, nullptr);
    const RECT place = ScreenRect(strip);
    EXPECT_EQ(place.left, c.host.left);
    EXPECT_EQ(place.top, c.host.bottom + 2);
    EXPECT_EQ(place.right - place.left, c.host.right - c.host.left);
    EXPECT_EQ(place.bottom - place.top, 20);
    HWND edit = GetDlgItem(strip, IDC_PROGRESS_TEXT);
    ASSERT_NE(edit, nullptr);
    RECT edit_rect = ScreenRect(edit);
    MapWindowPoints(nullptr, strip, reinterpret_cast<POINT*>(&edit_rect), 2);
    EXPECT_EQ(edit_rect.left, 0);
    EXPECT_EQ(edit_rect.top, 0);
    EXPECT_EQ(edit_rect.right - edit_rect.left, c.edit_width);
    EXPECT_EQ(edit_rect.bottom - edit_rect.top, 18);
    EXPECT_TRUE(IsWindowVisible(strip));
    CloseProgressWindow();
    EXPECT_FALSE(IsWindow(strip));
  }
}

TEST_F(ProgressStrip, ScreenPlaceOfStripAndLine) {
  EngineSettings.ShowProgress = 1;
  TestWindow host(100, 50, 500, 450);
  OpenProgressWindow(host.hwnd());
  HWND strip = OnlyStrip(host.hwnd());
  ASSERT_NE(strip, nullptr);
  const RECT place = ScreenRect(strip);
  EXPECT_EQ(place.left, 100);
  EXPECT_EQ(place.top, 452);
  EXPECT_EQ(place.right, 500);
  EXPECT_EQ(place.bottom, 472);
  const RECT line = ScreenRect(GetDlgItem(strip, IDC_PROGRESS_TEXT));
  EXPECT_EQ(line.left, 101);
  EXPECT_EQ(line.top, 453);
  EXPECT_EQ(line.right, 499);
  EXPECT_EQ(line.bottom, 471);
}

TEST_F(ProgressStrip, ShownWithoutTakingTheFocusFromTheHost) {
  EngineSettings.ShowProgress = 1;
  TestWindow host(100, 50, 500, 450);
  SetActiveWindow(host.hwnd());
  SetFocus(host.hwnd());
  ASSERT_EQ(GetActiveWindow(), host.hwnd());
  OpenProgressWindow(host.hwnd());
  SetProgressText("f5 から探索を開始します. (depth = 5)");
  PumpMessages();
  ASSERT_NE(OnlyStrip(host.hwnd()), nullptr);
  EXPECT_TRUE(IsWindowVisible(OnlyStrip(host.hwnd())));
  EXPECT_EQ(GetActiveWindow(), host.hwnd());
  EXPECT_EQ(GetFocus(), host.hwnd());
}

TEST_F(ProgressStrip, HiddenWithShowProgressClear) {
  EngineSettings.ShowProgress = 0;
  TestWindow host(100, 50, 500, 450);
  OpenProgressWindow(host.hwnd());
  HWND strip = OnlyStrip(host.hwnd());
  ASSERT_NE(strip, nullptr) << "the strip exists, only hidden";
  EXPECT_FALSE(IsWindowVisible(strip));
  SetProgressText("定石を調べています...");
  EXPECT_FALSE(IsWindowVisible(strip));
  EXPECT_EQ(StripText(strip), "定石を調べています...");
}

TEST_F(ProgressStrip, EachTextReplacesTheLineWithTheCaretAtItsEnd) {
  EngineSettings.ShowProgress = 1;
  TestWindow host(100, 50, 500, 450);
  OpenProgressWindow(host.hwnd());
  HWND strip = OnlyStrip(host.hwnd());
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(StripText(strip), "");
  const char* texts[] = {
      "定石を調べています...",
      "KMH(depth = 4) を実行中...",
      "f5 から探索を開始します. (depth = 5)",
      "d6 を調べています. [+37 f5]",
      "c3 から読み切りを開始します. ",
      "",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    SetProgressText(text);
    EXPECT_EQ(StripText(strip), text);
    DWORD start = 0;
    DWORD end = 0;
    SendDlgItemMessageA(strip, IDC_PROGRESS_TEXT, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                        reinterpret_cast<LPARAM>(&end));
    const int characters = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0) - 1;
    EXPECT_EQ(start, static_cast<DWORD>(characters));
    EXPECT_EQ(end, static_cast<DWORD>(characters));
  }
}

TEST_F(ProgressStrip, SecondOpenKeepsTheFirstStrip) {
  EngineSettings.ShowProgress = 1;
  TestWindow first(100, 50, 500, 450);
  TestWindow second(520, 10, 800, 300);
  OpenProgressWindow(first.hwnd());
  HWND strip = OnlyStrip(first.hwnd());
  ASSERT_NE(strip, nullptr);
  SetProgressText("f5 を調べています. [+1 f5]");
  const RECT before = ScreenRect(strip);
  OpenProgressWindow(second.hwnd());
  OpenProgressWindow(first.hwnd());
  EXPECT_EQ(OnlyStrip(first.hwnd()), strip);
  EXPECT_TRUE(Strips(second.hwnd()).empty());
  const RECT after = ScreenRect(strip);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_EQ(StripText(strip), "f5 を調べています. [+1 f5]");
}

TEST_F(ProgressStrip, TextsWithoutAStripAreDropped) {
  TestWindow host(100, 50, 500, 450);
  SetProgressText("before");
  CloseProgressWindow();
  EXPECT_TRUE(Strips().empty());

  OpenProgressWindow(host.hwnd());
  HWND strip = OnlyStrip(host.hwnd());
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(StripText(strip), "") << "a text from before the strip came back";
  CloseProgressWindow();
  EXPECT_FALSE(IsWindow(strip));
  SetProgressText("after");
  CloseProgressWindow();
  EXPECT_TRUE(Strips().empty());

  OpenProgressWindow(host.hwnd());
  strip = OnlyStrip(host.hwnd());
  ASSERT_NE(strip, nullptr) << "a new think gets a new strip";
  EXPECT_EQ(StripText(strip), "");
}

// A handle that names no window gives the strip no place: none is made, and
// the texts of that think are dropped.
TEST_F(ProgressStrip, NoStripForAHandleThatIsNoWindow) {
  EngineSettings.ShowProgress = 1;
  HWND destroyed = nullptr;
  {
    TestWindow gone(100, 50, 500, 450);
    destroyed = gone.hwnd();
  }
  ASSERT_FALSE(IsWindow(destroyed));
  const HWND handles[] = {nullptr, destroyed, reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7ff0))};
  for (HWND handle : handles) {
    SCOPED_TRACE(reinterpret_cast<uintptr_t>(handle));
    OpenProgressWindow(handle);
    SetProgressText("f5 から探索を開始します. (depth = 5)");
    EXPECT_TRUE(Strips().empty());
    CloseProgressWindow();
  }
  TestWindow host(100, 50, 500, 450);
  OpenProgressWindow(host.hwnd());
  EXPECT_NE(OnlyStrip(host.hwnd()), nullptr) << "the next think with a window gets its strip";
}

TEST_F(ProgressStrip, NothingHappensWhenTheStripCannotBeCreated) {
  EngineSettings.ShowProgress = 1;
  TestWindow host(100, 50, 500, 450);
  ModuleInstance = GetModuleHandleA("kernel32.dll");  // has no template 101
  OpenProgressWindow(host.hwnd());
  SetProgressText("f5 から探索を開始します. (depth = 5)");
  EXPECT_TRUE(Strips().empty());
  CloseProgressWindow();
  ModuleInstance = GetModuleHandleA(nullptr);
  OpenProgressWindow(host.hwnd());
  EXPECT_NE(OnlyStrip(host.hwnd()), nullptr) << "the failed attempt left a handle behind";
}
