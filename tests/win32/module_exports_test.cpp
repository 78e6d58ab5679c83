// The module as a host sees it: its export directory, the calling
// convention of each export, the modules it needs, and the answers that
// depend on nothing but the process-attach start-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/win32/test_support.h"

namespace {

// The headers of the program's own word size: the data directories sit at
// another offset in a 64-bit module's optional header.
const IMAGE_NT_HEADERS* NtHeaders(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

struct ExportDirectory {
  std::string module_name;
  std::vector<std::string> names;
  DWORD functions = 0;
};

// Read from the loaded image, as the loader resolves GetProcAddress.
ExportDirectory ReadExports(HMODULE module) {
  ExportDirectory result;
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const IMAGE_DATA_DIRECTORY& entry = NtHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.VirtualAddress == 0) return result;
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  result.module_name = reinterpret_cast<const char*>(base + exports->Name);
  result.functions = exports->NumberOfFunctions;
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD k = 0; k < exports->NumberOfNames; ++k) {
    result.names.emplace_back(reinterpret_cast<const char*>(base + names[k]));
  }
  return result;
}

std::vector<std::string> ReadImportedModules(HMODULE module) {
  std::vector<std::string> modules;
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const IMAGE_DATA_DIRECTORY& entry = NtHeaders(module)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (entry.VirtualAddress == 0) return modules;
  for (const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + entry.VirtualAddress);
       import->Name != 0; ++import) {
    std::string name = reinterpret_cast<const char*>(base + import->Name);
    std::transform(name.begin(), name.end(), name.begin(), [](char c) {
      return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    });
    modules.push_back(name);
  }
  std::sort(modules.begin(), modules.end());
  return modules;
}

const void* Address(HMODULE module, const char* name) {
  return reinterpret_cast<const void*>(GetProcAddress(module, name));
}

}  // namespace

TEST(ModuleExports, EveryExportIsFoundByItsPlainName) {
  EngineModule module;
  ASSERT_NE(module.handle(), nullptr) << "LoadLibraryA failed for " << EngineModulePath();
  EXPECT_TRUE(module.ready());
  for (const char* decorated : {"LumThink@8", "_LumThink@8", "VellPosState@16", "LumVersion@0", "_LumInit@4"}) {
    EXPECT_EQ(Address(module.handle(), decorated), nullptr) << decorated;
  }
}

TEST(ModuleExports, DirectoryHoldsExactlyThePlainNames) {
  EngineModule module;
  ASSERT_NE(module.handle(), nullptr);
  const ExportDirectory exports = ReadExports(module.handle());
  EXPECT_EQ(exports.module_name, "Tenu.lum");
  const std::vector<std::string> expected = {"LumClientOpeningBook", "LumFinish", "LumInfo",  "LumInit",
                                             "LumSetup",             "LumThink",  "LumVersion", "VellPosState"};
  EXPECT_EQ(exports.names, expected);  // the loader wants them sorted, too
  EXPECT_EQ(exports.functions, expected.size());
  for (const std::string& name : exports.names) EXPECT_EQ(name.find('@'), std::string::npos) << name;
}

TEST(ModuleExports, NeedsOnlySystemModules) {
  EngineModule module;
  ASSERT_NE(module.handle(), nullptr);
  const std::vector<std::string> expected = {"ADVAPI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "USER32.DLL"};
  EXPECT_EQ(ReadImportedModules(module.handle()), expected);
}

TEST(ModuleExports, ExportsWithArgumentsRemoveThemFromTheStack) {
#if !TENU_CALLEE_POPS_CHECKED
  GTEST_SKIP() << kCalleePopsCheckedElsewhere;
#else
  EngineModule module;
  ASSERT_TRUE(module.ready());
  const HMODULE dll = module.handle();
  static const char kNotAPosition[] = "not a position";
  int8_t board[91] = {};
  const uint32_t think_args[] = {0, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(kNotAPosition))};
  const uint32_t posstate_args[] = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(board)), 10, 1, 0};
  const uint32_t window_arg[] = {0};
  const uint32_t no_args[] = {0};
  struct Case {
    const char* name;
    const uint32_t* args;
    int count;
  };
  // LumSetup opens a modal dialog; its convention is checked with the dialog
  // tests, which call it through a callee-pops pointer as well.
  const Case cases[] = {
      {"LumThink", think_args, 2},  {"VellPosState", posstate_args, 4}, {"LumInit", window_arg, 1},
      {"LumFinish", window_arg, 1}, {"LumVersion", no_args, 0},         {"LumInfo", no_args, 0},
      {"LumClientOpeningBook", no_args, 0},
  };
  for (const Case& c : cases) {
    const void* fn = Address(dll, c.name);
    ASSERT_NE(fn, nullptr) << c.name;
    EXPECT_EQ(BytesPoppedByCallee(fn, c.args, c.count), 4 * c.count) << c.name;
  }

  // The probe itself tells the two conventions apart: the C runtime's abs
  // leaves its argument to the caller, the system's Sleep removes its own.
  const uint32_t one_arg[] = {0};
  EXPECT_EQ(BytesPoppedByCallee(Address(GetModuleHandleA("msvcrt.dll"), "abs"), one_arg, 1), 0);
  EXPECT_EQ(BytesPoppedByCallee(Address(GetModuleHandleA("kernel32.dll"), "Sleep"), one_arg, 1), 4);
#endif
}

TEST(ModuleExports, VersionAndDisplayName) {
  EngineModule module;
  ASSERT_TRUE(module.ready());
  EXPECT_EQ(module.LumVersion(), 103);
  const char* name = module.LumInfo();
  ASSERT_NE(name, nullptr);
  EXPECT_STREQ(name, "\x82\xc4\x82\xca");  // てぬ in code page 932
  EXPECT_EQ(module.LumInfo(), name) << "the name is one static text";
}

TEST(ModuleExports, ClientOpeningBookIsReadFromTheRegistryWhenLoaded) {
  ClearEngineRegistry();
  EngineModule module;
  ASSERT_TRUE(module.ready());
  EXPECT_EQ(module.LumClientOpeningBook(), 1) << "the default";

  // Changed while the module is loaded: seen only after the next attach.
  SetRegistryDword("ClientJoseki", 0);
  EXPECT_EQ(module.LumClientOpeningBook(), 1);
  ASSERT_TRUE(module.Reload());
  EXPECT_EQ(module.LumClientOpeningBook(), 0);

  ClearEngineRegistry();
  ASSERT_TRUE(module.Reload());
  EXPECT_EQ(module.LumClientOpeningBook(), 1);
}

TEST(ModuleExports, LoadingCreatesNoRegistryKey) {
  ClearEngineRegistry();
  {
    EngineModule module;
    ASSERT_TRUE(module.ready());
    EXPECT_EQ(module.LumVersion(), 103);
  }
  EXPECT_FALSE(EngineKeyExists());
}
