#include "ui/settings.h"

#include <cstring>

#include "core/platform.h"

const char kSettingsKeyPath[] = "Software\\VellSofts\\LUM\\Tenu";

namespace {

struct IntegerValue {
  const char* name;
  int32_t EngineSettingsRecord::*field;
};

// In the order in which they are loaded and saved.
constexpr IntegerValue kIntegerValues[] = {
    {"Depth", &EngineSettingsRecord::Depth},
    {"KansakiDepth", &EngineSettingsRecord::KansakiDepth},
    {"HisshoDepth", &EngineSettingsRecord::HisshoDepth},
    {"ShowProgress", &EngineSettingsRecord::ShowProgress},
    {"MaemukiCut", &EngineSettingsRecord::MaemukiCut},
    {"UseJoseki", &EngineSettingsRecord::UseJoseki},
    {"ClientJoseki", &EngineSettingsRecord::ClientJoseki},
};

constexpr char kPathValueName[] = "JosekiFile";

int32_t FromLittleEndian(const unsigned char bytes[4]) {
  const uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return static_cast<int32_t>(value);
}

void ToLittleEndian(int32_t value, unsigned char bytes[4]) {
  const auto bits = static_cast<uint32_t>(value);
  for (int k = 0; k < 4; ++k) bytes[k] = static_cast<unsigned char>(bits >> (8 * k));
}

}  // namespace

int LoadSettings() {
  StoreKey key = nullptr;
  if (!StoreOpenKey(kSettingsKeyPath, &key)) return 0;
  // Each value is read into a scratch buffer and taken only when its type and
  // size are what a save writes, so a foreign value never spills over a field.
  for (const IntegerValue& value : kIntegerValues) {
    unsigned char bytes[4];
    uint32_t type = 0;
    uint32_t size = sizeof bytes;
    if (StoreQueryValue(key, value.name, &type, bytes, &size) && type == kStoreTypeDword && size == 4) {
      EngineSettings.*value.field = FromLittleEndian(bytes);
    }
  }
  char path[kJosekiPathSize];
  uint32_t type = 0;
  uint32_t size = sizeof path;
  if (StoreQueryValue(key, kPathValueName, &type, path, &size) && type == kStoreTypeString) {
    // A stored string may lack its NUL; it is cut so that the path always ends
    // within its 260 bytes.
    const uint32_t end = size < sizeof path ? size : sizeof path - 1;
    path[end] = '\0';
    std::memcpy(EngineSettings.JosekiFile, path, sizeof path);
  }
  StoreCloseKey(key);
  return 1;
}

int SaveSettings() {
  StoreKey key = nullptr;
  if (!StoreCreateKey(kSettingsKeyPath, &key)) return 0;
  for (const IntegerValue& value : kIntegerValues) {
    unsigned char bytes[4];
    ToLittleEndian(EngineSettings.*value.field, bytes);
    StoreSetValue(key, value.name, kStoreTypeDword, bytes, 4);
  }
  const char* path = EngineSettings.JosekiFile;
  StoreSetValue(key, kPathValueName, kStoreTypeString, path,
                static_cast<uint32_t>(strnlen(path, kJosekiPathSize - 1) + 1));
  return StoreCloseKey(key);
}
