#include "search/engine/api.h"

namespace engine {

namespace {

const Api& Choose() {
#if TENU_ENGINE_X86V3
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") && __builtin_cpu_supports("bmi") &&
      __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt")) {
    return X86v3Api();
  }
#endif
  return BaselineApi();
}

const Api* Selected = nullptr;

}  // namespace

const Api& SelectedApi() {
  if (Selected == nullptr) Selected = &Choose();
  return *Selected;
}

}  // namespace engine
