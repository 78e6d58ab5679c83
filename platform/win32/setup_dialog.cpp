// The settings dialog: a modal dialog owned by the host's window. What it
// shows, what the level buttons fill in and how OK validates and stores are
// the shared form rules; this file only moves the fields between the form
// and the dialog's controls.
#include <windows.h>

#include "core/platform.h"
#include "platform/win32/host_handles.h"
#include "platform/win32/resource_ids.h"
#include "ui/setup_form.h"

namespace {

struct CheckControl {
  int id;
  int SetupFormFields::*state;
};

// In the order in which the check boxes are filled and read.
constexpr CheckControl kCheckControls[] = {
    {IDC_SHOW_PROGRESS, &SetupFormFields::show_progress},
    {IDC_MAEMUKI_CUT, &SetupFormFields::maemuki_cut},
    {IDC_USE_JOSEKI, &SetupFormFields::use_joseki},
    {IDC_CLIENT_JOSEKI, &SetupFormFields::client_joseki},
};

void SetNumberFields(HWND dialog, const SetupFormFields& fields) {
  SetDlgItemTextA(dialog, IDC_DEPTH, fields.depth);
  SetDlgItemTextA(dialog, IDC_EXACT, fields.exact);
  SetDlgItemTextA(dialog, IDC_WLD, fields.wld);
}

void ShowFields(HWND dialog, const SetupFormFields& fields) {
  SetNumberFields(dialog, fields);
  for (const CheckControl& check : kCheckControls) {
    SendDlgItemMessageA(dialog, check.id, BM_SETCHECK, static_cast<WPARAM>(fields.*check.state), 0);
  }
  SetDlgItemTextA(dialog, IDC_JOSEKI_FILE, fields.path);
}

void ReadFields(HWND dialog, SetupFormFields& fields) {
  GetDlgItemTextA(dialog, IDC_DEPTH, fields.depth, kSetupNumberSize);
  GetDlgItemTextA(dialog, IDC_EXACT, fields.exact, kSetupNumberSize);
  GetDlgItemTextA(dialog, IDC_WLD, fields.wld, kSetupNumberSize);
  for (const CheckControl& check : kCheckControls) {
    fields.*check.state = static_cast<int>(SendDlgItemMessageA(dialog, check.id, BM_GETCHECK, 0, 0));
  }
  GetDlgItemTextA(dialog, IDC_JOSEKI_FILE, fields.path, kJosekiPathSize);
}

// A level button fills only the three number fields; nothing is stored
// until OK.
void ApplyLevel(HWND dialog, int level) {
  SetupFormFields fields{};
  ApplySetupLevel(fields, level);
  SetNumberFields(dialog, fields);
}

void Submit(HWND dialog) {
  SetupFormFields fields{};
  ReadFields(dialog, fields);
  const SetupVerdict verdict = SubmitSetupForm(fields);
  if (verdict != SetupVerdict::Accepted) {
    // The dialog stays open for the user to correct the field.
    MessageBoxA(dialog, SetupVerdictMessage(verdict), kSetupTitle, MB_ICONERROR);
    return;
  }
  EndDialog(dialog, 1);
}

BOOL OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDOK: Submit(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;  // also Esc and the close box
    case IDC_LEVEL_WEAK: ApplyLevel(dialog, kLevelWeak); return TRUE;
    case IDC_LEVEL_NORMAL: ApplyLevel(dialog, kLevelNormal); return TRUE;
    case IDC_LEVEL_STRONG: ApplyLevel(dialog, kLevelStrong); return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM /*lparam*/) {
  switch (message) {
    case WM_INITDIALOG: {
      SetupFormFields fields{};
      FillSetupForm(fields);
      ShowFields(dialog, fields);
      return TRUE;  // the focus goes to the first tab stop, the OK button
    }
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wparam));
    default: return FALSE;
  }
}

}  // namespace

int RunSetupForm(HostWindow owner) {
  const INT_PTR result = DialogBoxParamA(ResourceModule(ModuleInstance), MAKEINTRESOURCEA(IDD_SETUP),
                                         OwnerWindow(owner), SetupDialogProc, 0);
  if (result == -1) return -1;
  return result == 0 ? 0 : 1;
}
