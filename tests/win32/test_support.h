// Helpers of the Windows test program: the module loaded as a host loads it,
// the settings key read and written with the plain registry functions, host
// windows, and a second thread that drives the engine's modal dialogs while
// the test thread is blocked in the call that opened them.
//
// The test program is compiled with the code page 932 execution character
// set, so its Japanese literals are the bytes the engine uses.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ---- The module ------------------------------------------------------------

using LumThinkFn = const char*(__stdcall*)(void* host, const char* position);
using LumVersionFn = int(__stdcall*)();
using LumInfoFn = const char*(__stdcall*)();
using LumSetupFn = int(__stdcall*)(void* owner);
using LumInitFn = int(__stdcall*)(void* owner);
using LumFinishFn = int(__stdcall*)(int32_t unused);
using LumClientOpeningBookFn = int(__stdcall*)();
using VellPosStateFn = int(__stdcall*)(const int8_t* board, int32_t square, int32_t side, int32_t unused);

// The full path of Tenu.lum, which the build puts beside the test program.
std::string EngineModulePath();

// Tenu.lum loaded with LoadLibraryA and its eight exports found by plain
// name. Unloading checks that the module really left the process, so that
// the next load runs its process-attach start-up again with fresh state.
class EngineModule {
 public:
  EngineModule();
  ~EngineModule();
  EngineModule(const EngineModule&) = delete;
  EngineModule& operator=(const EngineModule&) = delete;

  // True when the module is loaded and all eight exports were found.
  bool ready() const;
  HMODULE handle() const { return module_; }
  bool Unload();
  bool Reload();

  LumThinkFn LumThink = nullptr;
  LumVersionFn LumVersion = nullptr;
  LumInfoFn LumInfo = nullptr;
  LumSetupFn LumSetup = nullptr;
  LumInitFn LumInit = nullptr;
  LumFinishFn LumFinish = nullptr;
  LumClientOpeningBookFn LumClientOpeningBook = nullptr;
  VellPosStateFn VellPosState = nullptr;

 private:
  bool Load();
  HMODULE module_ = nullptr;
};

// An export's address as the typed pointer the caller wants.
template <class Fn>
Fn ExportOf(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

#if defined(__i386__)
#define TENU_CALLEE_POPS_CHECKED 1
// Calls fn with count 32-bit arguments and answers how many bytes of them
// the callee removed from the stack: 4 * count for callee-pops (stdcall), 0
// for caller-pops.
int BytesPoppedByCallee(const void* fn, const uint32_t* args, int count);
#else
// A 64-bit module has a single calling convention, with the arguments left
// to the caller: where the tests run on the 64-bit build, the callee-pops
// returns of the 32-bit module are checked in its disassembly instead.
#define TENU_CALLEE_POPS_CHECKED 0
inline constexpr char kCalleePopsCheckedElsewhere[] =
    "64-bit build: the 32-bit module's callee-pops returns are checked from its file by scripts/windows-tests.sh";
#endif

// ---- The settings key ------------------------------------------------------

constexpr char kEngineKeyPath[] = "Software\\VellSofts\\LUM\\Tenu";
constexpr char kVendorKeyPath[] = "Software\\VellSofts";

struct RegistryValue {
  bool present = false;
  DWORD type = 0;
  std::string bytes;
};

// Removes HKCU\Software\VellSofts and everything below it.
void ClearEngineRegistry();
// Stores a value under HKCU\path (created when missing).
void SetRegistryValue(const char* name, DWORD type, const std::string& bytes, const char* path = kEngineKeyPath);
void SetRegistryDword(const char* name, uint32_t value);
// A string value as the engine saves it: the text and its NUL.
void SetRegistryString(const char* name, const std::string& text);
RegistryValue ReadRegistryValue(const char* name, const char* path = kEngineKeyPath);
// The names of every value of the settings key.
std::vector<std::string> RegistryValueNames();
bool EngineKeyExists();
// Every value of the settings key as one text (name, type, bytes), for
// comparing the whole key before and after; "no key" when it is missing.
std::string RegistryDump();

// ---- Windows ---------------------------------------------------------------

// A plain top-level window at a given outer rectangle, standing in for the
// host's main window.
class TestWindow {
 public:
  static constexpr DWORD kFramed = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
  // Without a frame the window may be as small as wanted.
  static constexpr DWORD kBare = WS_POPUP | WS_VISIBLE;
  TestWindow(int left, int top, int right, int bottom, const char* title = "Tenu test host", DWORD style = kFramed);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND hwnd() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// Handles pumped through the test thread's queue until it is empty.
void PumpMessages();

std::string WindowText(HWND window);
std::string ClassNameOf(HWND window);
// The top-level dialog windows (class #32770) of a thread, visible or not.
std::vector<HWND> DialogWindowsOf(DWORD thread);

// ---- Driving modal dialogs ---------------------------------------------------

struct SeenMessageBox {
  std::string title;  // code page 932 bytes, as the host would read them
  std::string text;
  HWND owner = nullptr;
  bool error_icon = false;  // the stop icon
  bool ok_only = false;     // OK is its only button
};

// The steps a script can take on the dialogs of the test thread. Every wait
// gives up after a few seconds and aborts the script with a failure.
class UiScript {
 public:
  explicit UiScript(DWORD ui_thread) : ui_thread_(ui_thread) {}

  // A visible dialog window of the test thread with this exact title.
  HWND WaitForDialog(const char* title);
  // Waits for a message box owned by owner (null: an unowned one), reads it,
  // presses its OK and waits until it is gone.
  SeenMessageBox TakeMessageBox(HWND owner);
  // True when a message box owned by owner appears before the call returns.
  bool MessageBoxAppears(HWND owner);
  // True once the call that the script accompanies has returned.
  bool CallReturned() const { return call_done_ != nullptr && call_done_->load(); }

  std::string Text(HWND dialog, int id);
  void SetText(HWND dialog, int id, const std::string& text);
  int CheckState(HWND dialog, int id);
  void SetCheckState(HWND dialog, int id, int state);
  // BM_CLICK: only for buttons whose command opens no window.
  void Click(HWND dialog, int id);
  // WM_COMMAND posted, as OK or Cancel must be: a sent one would block until a
  // message box it opens is closed, which only this thread can do.
  void Command(HWND dialog, int id);
  void WaitUntilGone(HWND window);
  // The control that has the keyboard focus in the test thread.
  HWND FocusedControl();

  // Records a failure and ends the script.
  [[noreturn]] void Fail(const std::string& what);

 private:
  friend std::string RunWithScript(const std::function<void()>&, const std::function<void(UiScript&)>&);
  bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds);
  HWND FindMessageBox(HWND owner);
  DWORD ui_thread_;
  const std::atomic<bool>* call_done_ = nullptr;
  std::vector<std::string> failures_;
};

// Runs call on the test thread while script drives its dialogs from a
// helper thread. When the script fails, or ends while the call is still
// blocked, every dialog of the test thread is cancelled until the call
// returns, so that a broken dialog fails the test instead of hanging it.
// Answers the failures, empty when there were none.
std::string RunWithScript(const std::function<void()>& call, const std::function<void(UiScript&)>& script);

// The fields of the settings dialog as it shows them.
struct SetupDialogFields {
  std::string depth, exact, wld, path;
  int show_progress = -1, maemuki_cut = -1, use_joseki = -1, client_joseki = -1;
};
SetupDialogFields ReadSetupDialog(UiScript& ui, HWND dialog);

// The settings dialog's title and the engine's message title.
extern const char kSetupDialogTitle[];
extern const char kEngineTitle[];
