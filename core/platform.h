// The seam between the portable engine and the platform it runs on. The core
// calls only these functions for anything that needs the operating system:
// windows and message boxes, the settings store, and text conversion. Each
// platform folder implements every one of them.
//
// Texts crossing this seam are code page 932 byte strings.
#pragma once

#include <cstdint>

// Opaque handles of the host: a window on Windows, unused elsewhere.
using HostWindow = void*;
using ModuleHandle = void*;

// ---- Module -----------------------------------------------------------------
// Keeps the module's instance handle at start-up: the windows are made from
// its dialog resources. Nothing to keep where there are none.
void KeepModuleInstance(ModuleHandle instance);

// ---- Progress strip -------------------------------------------------------
// The strip lives below the host window for the length of one think. Opening
// twice keeps the first strip; text and close do nothing when none exists.
void MarkProgressAbsent();
void OpenProgressWindow(HostWindow host);
void SetProgressText(const char* text);
void CloseProgressWindow();

// ---- Messages -------------------------------------------------------------
// A failure the user must see: a modal error box owned by owner on Windows,
// one line on standard error elsewhere.
void ShowErrorMessage(HostWindow owner, const char* title, const char* text);

// ---- Settings form --------------------------------------------------------
// Runs the settings form modally. Answers 1 after OK (the settings are then
// stored in memory), 0 after Cancel, -1 when the form could not be shown.
int RunSetupForm(HostWindow owner);

// ---- Settings key store ---------------------------------------------------
// A registry-shaped store of named values under one key of the current user.
using StoreKey = void*;
constexpr uint32_t kStoreTypeString = 1;  // a NUL-terminated byte string
constexpr uint32_t kStoreTypeDword = 4;   // 4 bytes, little-endian

// Each answers 1 on success and 0 on failure.
int StoreOpenKey(const char* path, StoreKey* key);    // never creates
int StoreCreateKey(const char* path, StoreKey* key);  // creates or opens
// Reads a value. On entry *size is the capacity of data; on success data and
// *size hold the value and *type its type. A missing value, or one larger than
// the capacity, answers 0 and writes nothing into data.
int StoreQueryValue(StoreKey key, const char* name, uint32_t* type, void* data, uint32_t* size);
int StoreSetValue(StoreKey key, const char* name, uint32_t type, const void* data, uint32_t size);
// Closes the key; answers 0 when changes made through it could not be kept.
int StoreCloseKey(StoreKey key);
