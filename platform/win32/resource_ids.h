// Resource and control identifiers of the module, shared by the resource
// script, the dialog code and the tests. Plain #defines so that the resource
// compiler can read this file too.
#pragma once

// The progress strip shown below the host window while the engine thinks.
#define IDD_PROGRESS 101
#define IDC_PROGRESS_TEXT 1002

// The settings dialog and the engine's icon.
#define IDD_SETUP 102
#define IDI_ENGINE 103
#define IDC_DEPTH 1003
#define IDC_EXACT 1004
#define IDC_SHOW_PROGRESS 1005
#define IDC_WLD 1006
#define IDC_MAEMUKI_CUT 1007
#define IDC_USE_JOSEKI 1008
#define IDC_JOSEKI_FILE 1009
#define IDC_CLIENT_JOSEKI 1011
#define IDC_LEVEL_WEAK 1013
#define IDC_LEVEL_NORMAL 1014
#define IDC_LEVEL_STRONG 1015

// Statics the code never addresses.
#define IDC_UNUSED_STATIC -1
