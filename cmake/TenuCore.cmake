# The portable engine core: plain C++20, no platform headers. Every fixed text
# of the engine is a code page 932 byte string, so the core is compiled with
# that execution character set from UTF-8 sources.
#
# Three libraries, each depending only on those below it:
#   tenu_settings  the settings record, the settings form's rules and the
#                  search limits: what a platform's seam implementation reads;
#   tenu_core      the engine: board, searches, book, commentary, the think
#                  driver and the exports. It calls the platform only through
#                  the seam (core/platform.h), which it does not implement;
#   a platform     platform/posix or platform/win32 implements the seam.
# A program links tenu_core and then a platform (see the platform folders'
# tenu_engine targets), so that the linker finds the seam after the core.
set(TENU_SETTINGS_SOURCES
  core/settings.cpp
  ui/search_limits.cpp
  ui/setup_form.cpp
)
set(TENU_CORE_SOURCES
  board/board.cpp
  board/perft.cpp
  board/rules.cpp
  book/book.cpp
  book/lookup.cpp
  commentary/commentary.cpp
  engine/exports.cpp
  engine/position.cpp
  engine/posstate.cpp
  engine/root.cpp
  engine/startup.cpp
  engine/texts.cpp
  engine/think.cpp
  search/engine/hash_table.cpp
  search/engine/ordering_eval.cpp
  search/engine/variants.cpp
  search/reference/endgame.cpp
  search/reference/evaluate.cpp
  search/reference/midgame.cpp
  search/reference/root.cpp
  search/search.cpp
  ui/settings.cpp
)
# The engine searches, built once for any processor and, on x86, once more
# for x86-64-v3 processors (see search/engine/isa.h).
set(TENU_ENGINE_SEARCH_SOURCES
  search/engine/engine.cpp
  search/engine/exact.cpp
  search/engine/midgame.cpp
  search/engine/ordering_search.cpp
  search/engine/root_search.cpp
  search/engine/stability.cpp
  search/engine/wld.cpp
)
list(APPEND TENU_CORE_SOURCES ${TENU_ENGINE_SEARCH_SOURCES})
list(TRANSFORM TENU_SETTINGS_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")
list(TRANSFORM TENU_CORE_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")
list(TRANSFORM TENU_ENGINE_SEARCH_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")
option(TENU_X86V3 "On x86, also build the engine searches for x86-64-v3 processors, chosen at run time" ON)
if(TENU_X86V3 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86)$")
  set(TENU_ENGINE_X86V3 ON)
else()
  set(TENU_ENGINE_X86V3 OFF)
endif()

# The ordering evaluation's weights, built in as a byte array generated from
# the data file (see search/engine/ordering_eval.h and train/).
set(TENU_ORDERING_WEIGHTS "${PROJECT_SOURCE_DIR}/search/engine/weights/ordering.bin")
set(TENU_ORDERING_WEIGHTS_SOURCE "${PROJECT_BINARY_DIR}/generated/ordering_weights.cpp")
add_custom_command(
  OUTPUT "${TENU_ORDERING_WEIGHTS_SOURCE}"
  COMMAND "${CMAKE_COMMAND}" -DINPUT=${TENU_ORDERING_WEIGHTS} -DOUTPUT=${TENU_ORDERING_WEIGHTS_SOURCE}
          -DNAMESPACE=engine::ordering -DSYMBOL=kBuiltInFile -P "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
  DEPENDS "${TENU_ORDERING_WEIGHTS}" "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
  COMMENT "Embedding the ordering evaluation's weights")
list(APPEND TENU_CORE_SOURCES "${TENU_ORDERING_WEIGHTS_SOURCE}")

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(TENU_PLATFORM_INCLUDE "${PROJECT_SOURCE_DIR}/platform/win32/include")
else()
  set(TENU_PLATFORM_INCLUDE "${PROJECT_SOURCE_DIR}/platform/posix/include")
endif()

add_library(tenu_settings STATIC ${TENU_SETTINGS_SOURCES})
add_library(tenu_core STATIC ${TENU_CORE_SOURCES})
target_link_libraries(tenu_core PUBLIC tenu_settings)
set(TENU_CORE_LIBRARIES tenu_settings tenu_core)
if(TENU_ENGINE_X86V3)
  add_library(tenu_engine_x86v3 OBJECT ${TENU_ENGINE_SEARCH_SOURCES})
  target_compile_definitions(tenu_engine_x86v3 PRIVATE TENU_ENGINE_ISA=x86v3 TENU_ENGINE_POPCNT=1
                                                   TENU_ENGINE_LANE_SHIFTS=1
                                                   TENU_ENGINE_API=X86v3Api)
  target_compile_options(tenu_engine_x86v3 PRIVATE -mpopcnt -mbmi -mbmi2 -mavx -mavx2 -mfma)
  target_sources(tenu_core PRIVATE $<TARGET_OBJECTS:tenu_engine_x86v3>)
  set_property(SOURCE "${PROJECT_SOURCE_DIR}/search/engine/variants.cpp" TARGET_DIRECTORY tenu_core
               APPEND PROPERTY COMPILE_DEFINITIONS TENU_ENGINE_X86V3=1)
  list(APPEND TENU_CORE_LIBRARIES tenu_engine_x86v3)
endif()
foreach(library ${TENU_CORE_LIBRARIES})
  target_include_directories(${library} PUBLIC "${PROJECT_SOURCE_DIR}" "${TENU_PLATFORM_INCLUDE}")
  # clang knows no execution character set but UTF-8, so the fuzz tree (built
  # with clang) keeps the texts in UTF-8: their bytes differ, their handling not.
  if(NOT (TENU_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
    target_compile_options(${library} PRIVATE -fexec-charset=CP932)
  endif()
  tenu_warnings(${library})
endforeach()
