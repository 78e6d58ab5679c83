// The settings key store on the current user's registry hive.
//
// A StoreKey is a small record around the registry handle that also notes
// whether a write through it failed, so that closing the key can tell the
// caller that its changes were not all kept.
#include <windows.h>

#include <cstring>
#include <new>

#include "core/platform.h"

static_assert(kStoreTypeString == REG_SZ, "the store's string type is the registry's");
static_assert(kStoreTypeDword == REG_DWORD, "the store's 32-bit type is the registry's");

namespace {

struct RegistryKey {
  HKEY handle;
  bool write_failed;
};

int Wrap(HKEY handle, StoreKey* key) {
  auto* wrapped = new (std::nothrow) RegistryKey{handle, false};
  if (wrapped == nullptr) {
    RegCloseKey(handle);
    return 0;
  }
  *key = wrapped;
  return 1;
}

// Small values (all the engine stores) are read through the stack; larger
// capacities get a heap buffer of their own.
constexpr DWORD kLocalScratchSize = 512;

}  // namespace

int StoreOpenKey(const char* path, StoreKey* key) {
  if (path == nullptr || key == nullptr) return 0;
  HKEY handle = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, path, &handle) != ERROR_SUCCESS) return 0;
  return Wrap(handle, key);
}

int StoreCreateKey(const char* path, StoreKey* key) {
  if (path == nullptr || key == nullptr) return 0;
  HKEY handle = nullptr;
  if (RegCreateKeyA(HKEY_CURRENT_USER, path, &handle) != ERROR_SUCCESS) return 0;
  return Wrap(handle, key);
}

int StoreQueryValue(StoreKey key, const char* name, uint32_t* type, void* data, uint32_t* size) {
  if (key == nullptr || name == nullptr || size == nullptr) return 0;
  const DWORD capacity = *size;
  // The registry may leave part of a value that does not fit in the buffer
  // it was given; reading into scratch first keeps the caller's buffer
  // untouched unless the whole value arrives.
  unsigned char local[kLocalScratchSize];
  unsigned char* scratch = local;
  if (capacity > kLocalScratchSize) {
    scratch = new (std::nothrow) unsigned char[capacity];
    if (scratch == nullptr) return 0;
  }
  DWORD value_type = 0;
  DWORD value_size = capacity;
  const LONG status =
      RegQueryValueExA(static_cast<RegistryKey*>(key)->handle, name, nullptr, &value_type, scratch, &value_size);
  int result = 0;
  if (status == ERROR_SUCCESS && value_size <= capacity && (data != nullptr || value_size == 0)) {
    if (value_size > 0) std::memcpy(data, scratch, value_size);
    *size = value_size;
    if (type != nullptr) *type = value_type;
    result = 1;
  }
  if (scratch != local) delete[] scratch;
  return result;
}

int StoreSetValue(StoreKey key, const char* name, uint32_t type, const void* data, uint32_t size) {
  if (key == nullptr) return 0;
  auto* wrapped = static_cast<RegistryKey*>(key);
  const bool ok = name != nullptr && (data != nullptr || size == 0) &&
                  RegSetValueExA(wrapped->handle, name, 0, type, static_cast<const BYTE*>(data), size) ==
                      ERROR_SUCCESS;
  if (!ok) wrapped->write_failed = true;
  return ok ? 1 : 0;
}

int StoreCloseKey(StoreKey key) {
  if (key == nullptr) return 0;
  auto* wrapped = static_cast<RegistryKey*>(key);
  const bool closed = RegCloseKey(wrapped->handle) == ERROR_SUCCESS;
  const bool kept = closed && !wrapped->write_failed;
  delete wrapped;
  return kept ? 1 : 0;
}
