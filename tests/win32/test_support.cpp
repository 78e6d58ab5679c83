#include "tests/win32/test_support.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/win32/resource_ids.h"

const char kSetupDialogTitle[] = "設定 - てぬ";
const char kEngineTitle[] = "てぬ";

namespace {

constexpr DWORD kWaitLimit = 5000;  // milliseconds any dialog step may take
constexpr DWORD kPollInterval = 5;
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x440;

struct ScriptAborted {};

}  // namespace

// ---- The module ------------------------------------------------------------

std::string EngineModulePath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  folder.resize(folder.find_last_of("\\/") + 1);
  return folder + "Tenu.lum";
}

EngineModule::EngineModule() { Load(); }

EngineModule::~EngineModule() { Unload(); }

bool EngineModule::Load() {
  module_ = LoadLibraryA(EngineModulePath().c_str());
  if (module_ == nullptr) return false;
  LumThink = ExportOf<LumThinkFn>(module_, "LumThink");
  LumVersion = ExportOf<LumVersionFn>(module_, "LumVersion");
  LumInfo = ExportOf<LumInfoFn>(module_, "LumInfo");
  LumSetup = ExportOf<LumSetupFn>(module_, "LumSetup");
  LumInit = ExportOf<LumInitFn>(module_, "LumInit");
  LumFinish = ExportOf<LumFinishFn>(module_, "LumFinish");
  LumClientOpeningBook = ExportOf<LumClientOpeningBookFn>(module_, "LumClientOpeningBook");
  VellPosState = ExportOf<VellPosStateFn>(module_, "VellPosState");
  return ready();
}

bool EngineModule::ready() const {
  return module_ != nullptr && LumThink != nullptr && LumVersion != nullptr && LumInfo != nullptr &&
         LumSetup != nullptr && LumInit != nullptr && LumFinish != nullptr && LumClientOpeningBook != nullptr &&
         VellPosState != nullptr;
}

bool EngineModule::Unload() {
  if (module_ == nullptr) return true;
  const bool freed = FreeLibrary(module_) != 0;
  module_ = nullptr;
  LumThink = nullptr;
  LumVersion = nullptr;
  LumInfo = nullptr;
  LumSetup = nullptr;
  LumInit = nullptr;
  LumFinish = nullptr;
  LumClientOpeningBook = nullptr;
  VellPosState = nullptr;
  return freed && GetModuleHandleA(EngineModulePath().c_str()) == nullptr;
}

bool EngineModule::Reload() { return Unload() && Load(); }

#if TENU_CALLEE_POPS_CHECKED
// Calls fn with count 32-bit arguments and answers how many bytes of them
// the callee removed from the stack: 4 * count for callee-pops (stdcall), 0
// for caller-pops. The stack is restored either way.
__attribute__((noinline)) int BytesPoppedByCallee(const void* fn, const uint32_t* args, int count) {
  int remaining = 0;  // bytes of arguments still on the stack after the call
  asm volatile(
      "movl %%esp, %%edi\n\t"
      "movl %[count], %%ecx\n\t"
      "1:\n\t"
      "testl %%ecx, %%ecx\n\t"
      "jz 2f\n\t"
      "pushl -4(%[args],%%ecx,4)\n\t"
      "decl %%ecx\n\t"
      "jmp 1b\n\t"
      "2:\n\t"
      "call *%[fn]\n\t"
      "movl %%edi, %%eax\n\t"
      "subl %%esp, %%eax\n\t"
      "movl %%edi, %%esp\n\t"
      : "=a"(remaining)
      : [fn] "b"(fn), [args] "S"(args), [count] "m"(count)
      : "ecx", "edx", "edi", "memory", "cc");
  return 4 * count - remaining;
}
#endif

// ---- The settings key ------------------------------------------------------

void ClearEngineRegistry() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kVendorKeyPath);
  RegDeleteKeyA(HKEY_CURRENT_USER, kVendorKeyPath);
}

void SetRegistryValue(const char* name, DWORD type, const std::string& bytes, const char* path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  if (name != nullptr) {
    // The byte after the data is not a NUL: for a string without its NUL the
    // registry would otherwise count the one behind it, as Windows does too.
    const std::string data = bytes + "\x7f";
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(bytes.size()));
  }
  RegCloseKey(key);
}

void SetRegistryDword(const char* name, uint32_t value) {
  SetRegistryValue(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
}

void SetRegistryString(const char* name, const std::string& text) {
  SetRegistryValue(name, REG_SZ, text + std::string(1, '\0'));
}

RegistryValue ReadRegistryValue(const char* name, const char* path) {
  RegistryValue value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    std::string bytes(size + 16, '\0');
    DWORD got = static_cast<DWORD>(bytes.size());
    if (RegQueryValueExA(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(bytes.data()), &got) ==
        ERROR_SUCCESS) {
      bytes.resize(got);
      value.bytes = bytes;
      value.present = true;
    }
  }
  RegCloseKey(key);
  return value;
}

std::vector<std::string> RegistryValueNames() {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kEngineKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD length = sizeof name;
    if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

bool EngineKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kEngineKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string RegistryDump() {
  if (!EngineKeyExists()) return "no key";
  std::vector<std::string> names = RegistryValueNames();
  std::sort(names.begin(), names.end());
  std::string dump;
  for (const std::string& name : names) {
    const RegistryValue value = ReadRegistryValue(name.c_str());
    dump += name + " type " + std::to_string(value.type) + ":";
    char digits[4];
    for (unsigned char c : value.bytes) {
      std::snprintf(digits, sizeof digits, " %02x", c);
      dump += digits;
    }
    dump += "\n";
  }
  return dump;
}

// ---- Windows ---------------------------------------------------------------

namespace {

const char kHostClass[] = "TenuTestHost";

void RegisterHostClass() {
  static const bool registered = [] {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = kHostClass;
    return RegisterClassA(&window_class) != 0;
  }();
  (void)registered;
}

}  // namespace

TestWindow::TestWindow(int left, int top, int right, int bottom, const char* title, DWORD style) {
  RegisterHostClass();
  window_ = CreateWindowExA(0, kHostClass, title, style, left, top,
                            right - left, bottom - top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  PumpMessages();
}

TestWindow::~TestWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  PumpMessages();
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

std::string WindowText(HWND window) {
  char text[1024];
  const int length = GetWindowTextA(window, text, sizeof text);
  return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string ClassNameOf(HWND window) {
  char name[256];
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::vector<HWND> DialogWindowsOf(DWORD thread) {
  std::vector<HWND> found;
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM list) WINAPI -> BOOL {
        if (ClassNameOf(window) == "#32770") reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// ---- Driving modal dialogs ---------------------------------------------------

bool UiScript::WaitFor(const std::function<bool()>& condition, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(kPollInterval);
  }
}

void UiScript::Fail(const std::string& what) {
  failures_.push_back(what);
  throw ScriptAborted{};
}

HWND UiScript::WaitForDialog(const char* title) {
  HWND found = nullptr;
  const bool appeared = WaitFor(
      [&] {
        for (HWND window : DialogWindowsOf(ui_thread_)) {
          if (IsWindowVisible(window) && WindowText(window) == title) {
            found = window;
            return true;
          }
        }
        return false;
      },
      kWaitLimit);
  if (!appeared) Fail(std::string("no dialog titled \"") + title + "\" appeared");
  return found;
}

HWND UiScript::FindMessageBox(HWND owner) {
  for (HWND window : DialogWindowsOf(ui_thread_)) {
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != owner) continue;
    HWND text = GetDlgItem(window, kMessageBoxTextId);
    if (text != nullptr && GetDlgItem(window, IDOK) != nullptr && GetDlgItem(window, IDC_DEPTH) == nullptr) {
      return window;
    }
  }
  return nullptr;
}

bool UiScript::MessageBoxAppears(HWND owner) {
  bool found = false;
  WaitFor([&] { return (found = FindMessageBox(owner) != nullptr) || CallReturned(); }, kWaitLimit);
  return found;
}

SeenMessageBox UiScript::TakeMessageBox(HWND owner) {
  HWND box = nullptr;
  if (!WaitFor([&] { return (box = FindMessageBox(owner)) != nullptr; }, kWaitLimit)) {
    Fail("no message box appeared");
  }
  SeenMessageBox seen;
  seen.title = WindowText(box);
  seen.text = Text(box, kMessageBoxTextId);
  seen.owner = GetWindow(box, GW_OWNER);
  const auto icon = reinterpret_cast<HICON>(SendDlgItemMessageA(box, kMessageBoxIconId, STM_GETICON, 0, 0));
  seen.error_icon = icon != nullptr && icon == LoadIconA(nullptr, IDI_HAND);
  int buttons = 0;
  bool ok_seen = false;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassNameOf(child) != "Button" || !IsWindowVisible(child)) continue;
    ++buttons;
    ok_seen = ok_seen || GetDlgCtrlID(child) == IDOK;
  }
  seen.ok_only = buttons == 1 && ok_seen;
  Command(box, IDOK);
  WaitUntilGone(box);
  return seen;
}

std::string UiScript::Text(HWND dialog, int id) {
  char text[1024];
  const UINT length = GetDlgItemTextA(dialog, id, text, sizeof text);
  return std::string(text, length);
}

void UiScript::SetText(HWND dialog, int id, const std::string& text) {
  if (!SetDlgItemTextA(dialog, id, text.c_str())) Fail("could not set the text of control " + std::to_string(id));
}

int UiScript::CheckState(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

void UiScript::SetCheckState(HWND dialog, int id, int state) {
  SendDlgItemMessageA(dialog, id, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void UiScript::Click(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (button == nullptr) Fail("no control " + std::to_string(id));
  SendMessageA(button, BM_CLICK, 0, 0);
}

void UiScript::Command(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void UiScript::WaitUntilGone(HWND window) {
  if (!WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, kWaitLimit)) {
    Fail("a dialog did not close");
  }
}

HWND UiScript::FocusedControl() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(ui_thread_, &info)) return nullptr;
  return info.hwndFocus;
}

std::string RunWithScript(const std::function<void()>& call, const std::function<void(UiScript&)>& script) {
  UiScript ui(GetCurrentThreadId());
  std::atomic<bool> call_done{false};
  ui.call_done_ = &call_done;
  std::thread helper([&] {
    try {
      script(ui);
    } catch (const ScriptAborted&) {
    }
    // The call should end as soon as the script has closed its dialog.
    if (!ui.WaitFor([&] { return call_done.load(); }, kWaitLimit)) {
      ui.failures_.push_back("the call was still running after the script ended");
    }
    while (!call_done.load()) {
      for (HWND window : DialogWindowsOf(ui.ui_thread_)) {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
      }
      Sleep(50);
    }
  });
  call();
  call_done = true;
  helper.join();
  std::string failures;
  for (const std::string& failure : ui.failures_) failures += failure + "\n";
  return failures;
}

SetupDialogFields ReadSetupDialog(UiScript& ui, HWND dialog) {
  SetupDialogFields fields;
  fields.depth = ui.Text(dialog, IDC_DEPTH);
  fields.exact = ui.Text(dialog, IDC_EXACT);
  fields.wld = ui.Text(dialog, IDC_WLD);
  fields.path = ui.Text(dialog, IDC_JOSEKI_FILE);
  fields.show_progress = ui.CheckState(dialog, IDC_SHOW_PROGRESS);
  fields.maemuki_cut = ui.CheckState(dialog, IDC_MAEMUKI_CUT);
  fields.use_joseki = ui.CheckState(dialog, IDC_USE_JOSEKI);
  fields.client_joseki = ui.CheckState(dialog, IDC_CLIENT_JOSEKI);
  return fields;
}
