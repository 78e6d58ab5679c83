// The settings dialog driven for real through LumSetup: a helper thread
// finds the dialog, edits its fields, presses its buttons and reads and
// dismisses the message boxes, while the test thread waits in LumSetup.
// What the settings hold in memory afterwards is read back by opening the
// dialog again; what was saved, from the registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/exports.h"
#include "platform/win32/host_handles.h"
#include "core/platform.h"
#include "platform/win32/resource_ids.h"
#include "tests/win32/test_support.h"
#include "core/settings.h"

namespace {

// The dialog's messages, spelled here independently of the engine's texts.
const char kDepthMessage[] = "探索する深さは 3 以上でなければなりません";
const char kExactMessage[] = "完全先読みは 0 以上でなければなりません";
const char kWldMessage[] = "必勝先読みは完全先読み以上でなければなりません";
const char kSaveFailedMessage[] = "レジストリへの登録に失敗しました";

class SetupDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearEngineRegistry();
    ASSERT_TRUE(module_.Reload());
  }
  void TearDown() override { ClearEngineRegistry(); }

  // LumSetup(owner) with the script driving the dialog; the failures of the
  // script are test failures.
  int Setup(const std::function<void(UiScript&, HWND)>& script, HWND owner = nullptr) {
    int result = -99;
    const std::string failures = RunWithScript([&] { result = module_.LumSetup(owner); },
                                               [&](UiScript& ui) { script(ui, ui.WaitForDialog(kSetupDialogTitle)); });
    EXPECT_EQ(failures, "");
    return result;
  }

  // Opens the dialog, reads every field and cancels.
  SetupDialogFields Shown() {
    SetupDialogFields fields;
    const int result = Setup([&](UiScript& ui, HWND dialog) {
      fields = ReadSetupDialog(ui, dialog);
      ui.Command(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    return fields;
  }

  // Sets the three number fields and presses OK; answers the message box's
  // text when one comes ("" for none), leaving the dialog open after it.
  static std::string SubmitNumbers(UiScript& ui, HWND dialog, const std::string& depth, const std::string& exact,
                                   const std::string& wld) {
    ui.SetText(dialog, IDC_DEPTH, depth);
    ui.SetText(dialog, IDC_EXACT, exact);
    ui.SetText(dialog, IDC_WLD, wld);
    ui.Command(dialog, IDOK);
    if (!ui.MessageBoxAppears(dialog)) return "";
    const SeenMessageBox box = ui.TakeMessageBox(dialog);
    EXPECT_EQ(box.title, kEngineTitle);
    EXPECT_TRUE(box.error_icon);
    EXPECT_TRUE(box.ok_only);
    if (!IsWindowVisible(dialog)) ui.Fail("the dialog closed after a refusal");
    return box.text;
  }

  EngineModule module_;
};

std::string Fields(const SetupDialogFields& f) {
  return f.depth + "," + f.exact + "," + f.wld + "," + std::to_string(f.show_progress) + "," +
         std::to_string(f.maemuki_cut) + "," + std::to_string(f.use_joseki) + "," +
         std::to_string(f.client_joseki) + ",\"" + f.path + "\"";
}

}  // namespace

// What the dialog shows for what the registry held when the module loaded.
TEST_F(SetupDialog, ShowsTheSettingsLoadedAtStartup) {
  const std::string path = "C:\\表\\定石.txt";
  struct Case {
    const char* title;
    std::function<void()> plant;
    std::string shown;
  };
  const Case cases[] = {
      {"no key", [] {}, "5,12,14,0,1,0,1,\"\""},
      {"only Depth 9", [] { SetRegistryDword("Depth", 9); }, "9,12,14,0,1,0,1,\"\""},
      {"all eight",
       [&] {
         SetRegistryDword("Depth", 9);
         SetRegistryDword("KansakiDepth", 11);
         SetRegistryDword("HisshoDepth", 13);
         SetRegistryDword("ShowProgress", 1);
         SetRegistryDword("MaemukiCut", 0);
         SetRegistryDword("UseJoseki", 1);
         SetRegistryDword("ClientJoseki", 0);
         SetRegistryString("JosekiFile", path);
       },
       "9,11,13,1,0,1,0,\"" + path + "\""},
      {"Depth as a string", [] { SetRegistryString("Depth", "9"); }, "5,12,14,0,1,0,1,\"\""},
      {"a path of 300 bytes", [] { SetRegistryString("JosekiFile", std::string(299, 'r')); },
       "5,12,14,0,1,0,1,\"\""},
      {"a path of 260 bytes without its NUL", [] { SetRegistryValue("JosekiFile", REG_SZ, std::string(260, 'q')); },
       "5,12,14,0,1,0,1,\"" + std::string(259, 'q') + "\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    ClearEngineRegistry();
    c.plant();
    ASSERT_TRUE(module_.Reload());
    const std::string before = RegistryDump();
    EXPECT_EQ(Fields(Shown()), c.shown);
    EXPECT_EQ(RegistryDump(), before) << "Cancel wrote to the registry";
  }
}

TEST_F(SetupDialog, OpensWithTheFocusOnOk) {
  TestWindow host(100, 50, 500, 450);
  HWND focused = nullptr;
  HWND ok = nullptr;
  HWND owner = nullptr;
  RECT place{};
  const int result = Setup(
      [&](UiScript& ui, HWND dialog) {
        ok = GetDlgItem(dialog, IDOK);
        focused = ui.FocusedControl();
        owner = GetWindow(dialog, GW_OWNER);
        GetWindowRect(dialog, &place);
        ui.Command(dialog, IDCANCEL);
      },
      host.hwnd());
  EXPECT_EQ(result, 0);
  EXPECT_NE(ok, nullptr);
  EXPECT_EQ(focused, ok);
  EXPECT_EQ(owner, host.hwnd());
  // Not centred, but at the owner's top left corner: the template asks for
  // (0, 0) from the owner. (Systems differ in whether that is the corner of
  // the owner's frame or of its client area.)
  RECT frame{};
  GetWindowRect(host.hwnd(), &frame);
  POINT client{0, 0};
  ClientToScreen(host.hwnd(), &client);
  EXPECT_GE(place.left, frame.left);
  EXPECT_LE(place.left, client.x);
  EXPECT_GE(place.top, frame.top);
  EXPECT_LE(place.top, client.y);
}

TEST_F(SetupDialog, CancelAndTheCloseBoxChangeNothing) {
  SetRegistryDword("Depth", 9);
  ASSERT_TRUE(module_.Reload());
  const std::string before = RegistryDump();
  for (const UINT how : {0u, static_cast<UINT>(WM_CLOSE)}) {
    SCOPED_TRACE(how == 0 ? "Cancel" : "close box");
    const int result = Setup([&](UiScript& ui, HWND dialog) {
      ui.SetText(dialog, IDC_DEPTH, "20");
      ui.Click(dialog, IDC_SHOW_PROGRESS);
      if (how == 0) {
        ui.Command(dialog, IDCANCEL);
      } else {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
      }
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(RegistryDump(), before);
    EXPECT_EQ(Fields(Shown()), "9,12,14,0,1,0,1,\"\"");
  }
}

// Depth texts that convert to less than 3 are refused with the first
// message; the dialog stays open and nothing is stored.
TEST_F(SetupDialog, DepthBelowThreeIsRefused) {
  std::vector<std::string> messages;
  const int result = Setup([&](UiScript& ui, HWND dialog) {
    for (const char* depth : {"2", "", "abc", "-5", "  2x", "0"}) {
      messages.push_back(SubmitNumbers(ui, dialog, depth, "0", "0"));
    }
    ui.Command(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, 0);
  ASSERT_EQ(messages.size(), 6u);
  for (const std::string& message : messages) EXPECT_EQ(message, kDepthMessage);
  EXPECT_FALSE(EngineKeyExists());
  EXPECT_EQ(Fields(Shown()), "5,12,14,0,1,0,1,\"\"");
}

// Accepted numbers end the dialog with OK; LumSetup saves them and answers 1.
TEST_F(SetupDialog, AcceptedNumbersAreSaved) {
  struct Case {
    const char* depth;
    const char* exact;
    const char* wld;
    uint32_t depth_stored, exact_stored, wld_stored;
  };
  const Case cases[] = {
      {"3", "0", "0", 3, 0, 0},      {"60", "12", "12", 60, 12, 12}, {"+5", "+0", "7", 5, 0, 7},
      {"  7x", " 8", "9z", 7, 8, 9}, {"\t4", "10", "3000", 4, 10, 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.depth) + "," + c.exact + "," + c.wld);
    std::string message = "not submitted";
    const int result = Setup([&](UiScript& ui, HWND dialog) {
      message = SubmitNumbers(ui, dialog, c.depth, c.exact, c.wld);
      if (!message.empty()) ui.Command(dialog, IDCANCEL);
    });
    EXPECT_EQ(message, "");
    EXPECT_EQ(result, 1);
    const auto dword = [](const char* name) {
      const RegistryValue value = ReadRegistryValue(name);
      return value.bytes.size() == 4 ? *reinterpret_cast<const uint32_t*>(value.bytes.data()) : 0xFFFFFFFFu;
    };
    EXPECT_EQ(dword("Depth"), c.depth_stored);
    EXPECT_EQ(dword("KansakiDepth"), c.exact_stored);
    EXPECT_EQ(dword("HisshoDepth"), c.wld_stored);
  }
}

// A refusal after Depth passed keeps the new Depth in memory (and Exact too
// when the WLD field is the one refused), but nothing reaches the registry
// when the user then cancels.
TEST_F(SetupDialog, ValuesBeforeARefusalStayInMemoryOnly) {
  struct Case {
    const char* depth;
    const char* exact;
    const char* wld;
    const char* message;
    const char* shown_after;
  };
  const Case cases[] = {
      {"10", "-1", "14", kExactMessage, "10,12,14,0,1,0,1,\"\""},
      {"6", "8", "7", kWldMessage, "6,8,14,0,1,0,1,\"\""},
      {"7", "9", "-9", kWldMessage, "7,9,14,0,1,0,1,\"\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.depth) + "," + c.exact + "," + c.wld);
    ClearEngineRegistry();
    ASSERT_TRUE(module_.Reload());
    std::string message;
    const int result = Setup([&](UiScript& ui, HWND dialog) {
      message = SubmitNumbers(ui, dialog, c.depth, c.exact, c.wld);
      ui.Command(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(message, c.message);
    EXPECT_FALSE(EngineKeyExists()) << "the registry was written";
    EXPECT_EQ(Fields(Shown()), c.shown_after);
  }
}

TEST_F(SetupDialog, LevelButtonsFillOnlyTheNumbers) {
  SetRegistryDword("Depth", 9);
  SetRegistryDword("ShowProgress", 1);
  ASSERT_TRUE(module_.Reload());
  const std::string before = RegistryDump();
  struct Case {
    int button;
    const char* filled;
  };
  const Case cases[] = {
      {IDC_LEVEL_WEAK, "3,10,12,1,1,0,1,\"\""},
      {IDC_LEVEL_NORMAL, "5,12,14,1,1,0,1,\"\""},
      {IDC_LEVEL_STRONG, "7,14,16,1,1,0,1,\"\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    std::string filled;
    const int result = Setup([&](UiScript& ui, HWND dialog) {
      ui.SetText(dialog, IDC_DEPTH, "abc");
      ui.Click(dialog, c.button);
      filled = Fields(ReadSetupDialog(ui, dialog));
      ui.Command(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(filled, c.filled);
    EXPECT_EQ(RegistryDump(), before);
    EXPECT_EQ(Fields(Shown()), "9,12,14,1,1,0,1,\"\"");
  }
}

TEST_F(SetupDialog, CheckBoxesAreStoredAsZeroOrOne) {
  struct Case {
    int show_progress, maemuki_cut, use_joseki, client_joseki;
  };
  const Case cases[] = {{1, 0, 1, 0}, {0, 1, 0, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}};
  for (const Case& c : cases) {
    const int result = Setup([&](UiScript& ui, HWND dialog) {
      ui.SetCheckState(dialog, IDC_SHOW_PROGRESS, c.show_progress);
      ui.SetCheckState(dialog, IDC_MAEMUKI_CUT, c.maemuki_cut);
      ui.SetCheckState(dialog, IDC_USE_JOSEKI, c.use_joseki);
      ui.SetCheckState(dialog, IDC_CLIENT_JOSEKI, c.client_joseki);
      ui.Command(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    const auto dword = [](const char* name) {
      const RegistryValue value = ReadRegistryValue(name);
      return value.type == REG_DWORD && value.bytes.size() == 4 ? *reinterpret_cast<const int32_t*>(value.bytes.data())
                                                                 : -1;
    };
    EXPECT_EQ(dword("ShowProgress"), c.show_progress);
    EXPECT_EQ(dword("MaemukiCut"), c.maemuki_cut);
    EXPECT_EQ(dword("UseJoseki"), c.use_joseki);
    EXPECT_EQ(dword("ClientJoseki"), c.client_joseki);
  }
  // Clicked like a user does: every box flips.
  const int result = Setup([&](UiScript& ui, HWND dialog) {
    for (int id : {IDC_SHOW_PROGRESS, IDC_MAEMUKI_CUT, IDC_USE_JOSEKI, IDC_CLIENT_JOSEKI}) ui.Click(dialog, id);
    ui.Command(dialog, IDOK);
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Fields(Shown()), "5,12,14,1,1,1,1,\"\"");
}

TEST_F(SetupDialog, PathIsStoredAsTypedUpTo259Bytes) {
  struct Case {
    std::string typed;
    std::string stored;
  };
  const Case cases[] = {
      {std::string(300, 'p'), std::string(259, 'p')},
      {std::string(259, 'k'), std::string(259, 'k')},
      {"C:\\表\\定石.txt", "C:\\表\\定石.txt"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.size());
    const int result = Setup([&](UiScript& ui, HWND dialog) {
      ui.SetText(dialog, IDC_JOSEKI_FILE, c.typed);
      ui.Command(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    const RegistryValue value = ReadRegistryValue("JosekiFile");
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.bytes, c.stored + std::string(1, '\0'));
  }
}

// OK saves all eight values with the types the module reads back, whatever
// the key held before, and leaves other values alone.
TEST_F(SetupDialog, OkRewritesEveryValue) {
  SetRegistryString("Depth", "9");
  SetRegistryValue("JosekiFile", REG_DWORD, std::string(4, '\0'));
  SetRegistryDword("SomethingElse", 42);
  ASSERT_TRUE(module_.Reload());
  const int result = Setup([&](UiScript& ui, HWND dialog) { ui.Command(dialog, IDOK); });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(RegistryDump(),
            "ClientJoseki type 4: 01 00 00 00\n"
            "Depth type 4: 05 00 00 00\n"
            "HisshoDepth type 4: 0e 00 00 00\n"
            "JosekiFile type 1: 00\n"
            "KansakiDepth type 4: 0c 00 00 00\n"
            "MaemukiCut type 4: 01 00 00 00\n"
            "ShowProgress type 4: 00 00 00 00\n"
            "SomethingElse type 4: 2a 00 00 00\n"
            "UseJoseki type 4: 00 00 00 00\n");
  // And the next load sees what was saved.
  ASSERT_TRUE(module_.Reload());
  EXPECT_EQ(Fields(Shown()), "5,12,14,0,1,0,1,\"\"");
}

// When the key cannot be created the host's window gets the message, the
// call still answers 1 and the new settings stay in effect in memory.
TEST_F(SetupDialog, SaveFailureIsReportedToTheHost) {
  ClearEngineRegistry();
  HKEY vendor = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kVendorKeyPath, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &vendor, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(vendor);
  TestWindow host(100, 50, 500, 450);
  SeenMessageBox box;
  int result = -99;
  const std::string failures = RunWithScript([&] { result = module_.LumSetup(host.hwnd()); },
                                             [&](UiScript& ui) {
                                               HWND dialog = ui.WaitForDialog(kSetupDialogTitle);
                                               ui.SetText(dialog, IDC_DEPTH, "8");
                                               ui.Command(dialog, IDOK);
                                               ui.WaitUntilGone(dialog);
                                               box = ui.TakeMessageBox(host.hwnd());
                                             });
  EXPECT_EQ(failures, "");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(box.title, kEngineTitle);
  EXPECT_EQ(box.text, kSaveFailedMessage);
  EXPECT_EQ(box.owner, host.hwnd());
  EXPECT_TRUE(box.error_icon);
  EXPECT_TRUE(box.ok_only);
  EXPECT_FALSE(EngineKeyExists());
  EXPECT_EQ(Fields(Shown()).substr(0, 2), "8,");
}

// A handle that is not a window still gets the dialog, unowned.
TEST_F(SetupDialog, OwnerThatIsNoWindowStillShowsTheDialog) {
  HWND owner = reinterpret_cast<HWND>(1);
  {
    TestWindow gone(100, 50, 500, 450);
    owner = gone.hwnd();
  }
  for (HWND handle : {owner, reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7ff0))}) {
    HWND dialog_owner = reinterpret_cast<HWND>(1);
    const int result = Setup(
        [&](UiScript& ui, HWND dialog) {
          dialog_owner = GetWindow(dialog, GW_OWNER);
          ui.Command(dialog, IDCANCEL);
        },
        handle);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dialog_owner, nullptr);
  }
}

TEST_F(SetupDialog, LumSetupRemovesItsArgumentFromTheStack) {
#if !TENU_CALLEE_POPS_CHECKED
  GTEST_SKIP() << kCalleePopsCheckedElsewhere;
#else
  const void* setup = reinterpret_cast<const void*>(module_.LumSetup);
  const uint32_t owner[] = {0};
  int popped = -1;
  const std::string failures = RunWithScript([&] { popped = BytesPoppedByCallee(setup, owner, 1); },
                                             [&](UiScript& ui) {
                                               ui.Command(ui.WaitForDialog(kSetupDialogTitle), IDCANCEL);
                                             });
  EXPECT_EQ(failures, "");
  EXPECT_EQ(popped, 4);
#endif
}

// The core's own handling of a dialog that cannot be shown, linked into this
// program: the settings are saved unchanged and LumSetup answers 1.
TEST(SetupDialogMissing, UnchangedSettingsAreSavedWhenTheDialogCannotBeShown) {
  ClearEngineRegistry();
  const EngineSettingsRecord saved = EngineSettings;
  const ModuleHandle instance = ModuleInstance;
  EngineSettings = DefaultSettings();
  EngineSettings.Depth = 7;
  ModuleInstance = GetModuleHandleA("kernel32.dll");  // has no template 102
  EXPECT_EQ(RunSetupForm(nullptr), -1);
  EXPECT_EQ(LumSetup(nullptr), 1);
  ModuleInstance = instance;
  EngineSettings = saved;
  const RegistryValue depth = ReadRegistryValue("Depth");
  ASSERT_TRUE(depth.present);
  EXPECT_EQ(depth.bytes, std::string("\x07\x00\x00\x00", 4));
  ClearEngineRegistry();
}
