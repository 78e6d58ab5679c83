// A stand-in host that times the module's thinks: it writes the deep search
// settings into the module's registry key, loads the module as a host does
// and asks LumThink for a reply on each line of a positions file, printing
// the seconds each reply took and the reply itself. Built and run under Wine
// by benchmarks/wine/think-timing.sh; a benchmark, never run by the tests.
//
//   think_timer.exe MODULE POSITIONS
//
// Output: one "SECONDS<TAB>REPLY" line per position, then "total SECONDS".
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

using LumThinkFunction = const char*(__stdcall*)(void*, const char*);

// The settings of the timed thinks: a 12-ply search, exact from 24 empty
// squares, win/loss/draw from 26, no progress strip and no opening book.
bool WriteSettings() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VellSofts\\LUM\\Tenu", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const struct {
    const char* name;
    DWORD value;
  } settings[] = {{"Depth", 12}, {"KansakiDepth", 24}, {"HisshoDepth", 26}, {"ShowProgress", 0}, {"UseJoseki", 0}};
  bool written = true;
  for (const auto& setting : settings) {
    written = written && RegSetValueExA(key, setting.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&setting.value),
                                        sizeof setting.value) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: think_timer MODULE POSITIONS\n");
    return 2;
  }
  if (!WriteSettings()) {
    std::fprintf(stderr, "think_timer: cannot write the settings to the registry\n");
    return 1;
  }
  HMODULE module = LoadLibraryA(argv[1]);
  if (module == nullptr) {
    std::fprintf(stderr, "think_timer: cannot load %s (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  const auto think = reinterpret_cast<LumThinkFunction>(reinterpret_cast<void*>(GetProcAddress(module, "LumThink")));
  if (think == nullptr) {
    std::fprintf(stderr, "think_timer: %s exports no LumThink\n", argv[1]);
    return 1;
  }
  std::FILE* positions = std::fopen(argv[2], "r");
  if (positions == nullptr) {
    std::fprintf(stderr, "think_timer: cannot open %s\n", argv[2]);
    return 1;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double total = 0;
  char line[512];
  int status = 0;
  while (std::fgets(line, sizeof line, positions) != nullptr) {
    line[std::strcspn(line, "\r\n")] = '\0';
    if (line[0] == '\0') continue;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const char* reply = think(nullptr, line);
    QueryPerformanceCounter(&end);
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    total += seconds;
    if (reply == nullptr) {
      reply = "";
      status = 1;
    }
    std::printf("%.3f\t%s\n", seconds, reply);
    std::fflush(stdout);
  }
  std::fclose(positions);
  std::printf("total %.3f\n", total);
  FreeLibrary(module);
  return status;
}
