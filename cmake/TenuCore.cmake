# The portable engine core: plain C++20, no platform headers. Every fixed text
# of the engine is a code page 932 byte string, so the core is compiled with
# that execution character set from UTF-8 sources.
set(TENU_CORE_SOURCES
  board/board.cpp
  board/perft.cpp
  board/rules.cpp
  book/book.cpp
  book/lookup.cpp
  commentary/commentary.cpp
  engine/exports.cpp
  engine/position.cpp
  engine/startup.cpp
  engine/texts.cpp
  engine/think.cpp
  search/dispatch.cpp
  search/endgame.cpp
  search/evaluate.cpp
  search/fast/endgame.cpp
  search/fast/fast_search.cpp
  search/fast/hash_table.cpp
  search/fast/midgame.cpp
  search/fast/stability.cpp
  search/fast/wld.cpp
  search/midgame.cpp
  search/posstate.cpp
  search/root.cpp
  core/settings.cpp
  ui/settings.cpp
  ui/setup_form.cpp
)
list(TRANSFORM TENU_CORE_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(TENU_PLATFORM_INCLUDE "${PROJECT_SOURCE_DIR}/platform/win32/include")
else()
  set(TENU_PLATFORM_INCLUDE "${PROJECT_SOURCE_DIR}/platform/posix/include")
endif()

add_library(tenu_core STATIC ${TENU_CORE_SOURCES})
target_include_directories(tenu_core PUBLIC "${PROJECT_SOURCE_DIR}" "${TENU_PLATFORM_INCLUDE}")
# clang knows no execution character set but UTF-8, so the fuzz tree (built
# with clang) keeps the texts in UTF-8: their bytes differ, their handling not.
if(NOT (TENU_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
  target_compile_options(tenu_core PRIVATE -fexec-charset=CP932)
endif()
tenu_warnings(tenu_core)

