// The settings store: the eight values of the settings record under one key
// of the current user, read at start-up and written after the form's OK.
#pragma once

#include "core/settings.h"

// The key under the current user that holds the eight values.
extern const char kSettingsKeyPath[];

// Overwrites the fields from the stored values that exist; 0 when the key
// cannot be opened (nothing changes then). Never creates the key.
int LoadSettings();
// Writes all eight values; 0 when the key can be neither created nor opened
// or the written values could not be kept.
int SaveSettings();
