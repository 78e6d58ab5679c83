// The progress strip: a thin borderless dialog with one read-only edit line,
// placed directly below the host's window and as wide as it, for the length
// of one think. It is created hidden and shown only with ShowProgress set.
#include <windows.h>

#include "core/platform.h"
#include "platform/win32/host_handles.h"
#include "platform/win32/resource_ids.h"
#include "core/settings.h"

namespace {

HWND ProgressStrip = nullptr;

constexpr int kStripGap = 2;         // pixels between the host's bottom edge and the strip
constexpr int kStripHeight = 20;     // outer height; the strip has a one-pixel border
constexpr int kStripBorders = 2;     // the border on both sides
constexpr WPARAM kCaretStart = 255;  // past the end of every progress line

// The dialog manager does all the strip needs.
INT_PTR CALLBACK ProgressDialogProc(HWND /*strip*/, UINT /*message*/, WPARAM /*wparam*/, LPARAM /*lparam*/) {
  return FALSE;
}

}  // namespace

void MarkProgressAbsent() { ProgressStrip = nullptr; }

void OpenProgressWindow(HostWindow host) {
  if (ProgressStrip != nullptr) return;
  // The strip takes its place and width from the host's window. A handle that
  // names no window (null included) gives no place to put it, so no strip is
  // made: the think runs as when the strip cannot be created, and every
  // progress text is dropped.
  HWND owner = static_cast<HWND>(host);
  RECT host_rect;
  if (owner == nullptr || !IsWindow(owner) || !GetWindowRect(owner, &host_rect)) return;
  HWND strip = CreateDialogParamA(ResourceModule(ModuleInstance), MAKEINTRESOURCEA(IDD_PROGRESS), owner,
                                  ProgressDialogProc, 0);
  if (strip == nullptr) return;
  ProgressStrip = strip;
  const int width = host_rect.right - host_rect.left;
  MoveWindow(strip, host_rect.left, host_rect.bottom + kStripGap, width, kStripHeight, FALSE);
  const int inner_width = width > kStripBorders ? width - kStripBorders : 0;
  MoveWindow(GetDlgItem(strip, IDC_PROGRESS_TEXT), 0, 0, inner_width, kStripHeight - kStripBorders, FALSE);
  // Shown without activation, so the host keeps the keyboard focus.
  if (EngineSettings.ShowProgress != 0) ShowWindow(strip, SW_SHOWNA);
}

void SetProgressText(const char* text) {
  if (ProgressStrip == nullptr) return;
  SetDlgItemTextA(ProgressStrip, IDC_PROGRESS_TEXT, text != nullptr ? text : "");
  SendDlgItemMessageA(ProgressStrip, IDC_PROGRESS_TEXT, EM_SETSEL, kCaretStart, -1);
  // The engine runs no message loop while it thinks; painting now is what
  // makes each line visible during the search.
  UpdateWindow(ProgressStrip);
}

void CloseProgressWindow() {
  if (ProgressStrip == nullptr) return;
  DestroyWindow(ProgressStrip);
  ProgressStrip = nullptr;
}
