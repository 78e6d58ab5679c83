# Warning flags shared by every target of the project.
function(tenu_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Wno-sign-conversion)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 reports -Wrestrict falsely inside std::string concatenation.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(TENU_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(TENU_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      # With the sanitizers GCC reports -Wmaybe-uninitialized falsely inside
      # the standard library (std::regex's std::function in GCC 12).
      target_compile_options(${target} PRIVATE -Wno-maybe-uninitialized)
    endif()
  endif()
  if(TENU_FUZZ)
    # Coverage for libFuzzer on every target; only the fuzzers link its driver.
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                           -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()
