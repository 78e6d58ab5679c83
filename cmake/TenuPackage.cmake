# What `cmake --install` puts in place for the tenu program, and the Debian
# package that scripts/package.sh makes of it with CPack.
include(GNUInstallDirs)

set(TENU_BOOK_INSTALL_PATH "${CMAKE_INSTALL_FULL_DATADIR}/tenu/openings.txt")
# The program finds the installed book from its own place, so that a tree
# unpacked or installed elsewhere still names its own book.
file(RELATIVE_PATH TENU_BOOK_FROM_PROGRAM "${CMAKE_INSTALL_FULL_BINDIR}" "${TENU_BOOK_INSTALL_PATH}")
target_compile_definitions(tenu_host PRIVATE TENU_BOOK_FROM_PROGRAM="${TENU_BOOK_FROM_PROGRAM}"
  TENU_BOOK_INSTALL_PATH="${TENU_BOOK_INSTALL_PATH}")

install(TARGETS tenu RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/books/openings.txt" DESTINATION "${CMAKE_INSTALL_DATADIR}/tenu")

# The search limits that tenu warns about, as the program has them.
file(STRINGS "${PROJECT_SOURCE_DIR}/ui/search_limits.h" TENU_LIMIT_LINES REGEX "^constexpr int32_t k")
foreach(line IN LISTS TENU_LIMIT_LINES)
  if(line MATCHES "^constexpr int32_t k([A-Za-z]+) = ([0-9]+)")
    set(TENU_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
  endif()
endforeach()

# The manual page, with this build's version, book path and limits, compressed as
# Debian keeps manual pages (-n: no name or time stamp, the same bytes each build).
configure_file("${PROJECT_SOURCE_DIR}/docs/tenu.1.in" "${PROJECT_BINARY_DIR}/tenu.1" @ONLY)
find_program(TENU_GZIP gzip REQUIRED)
add_custom_command(OUTPUT "${PROJECT_BINARY_DIR}/tenu.1.gz"
  COMMAND "${TENU_GZIP}" -9n -c "${PROJECT_BINARY_DIR}/tenu.1" > "${PROJECT_BINARY_DIR}/tenu.1.gz"
  DEPENDS "${PROJECT_BINARY_DIR}/tenu.1"
  VERBATIM)
add_custom_target(tenu_manual ALL DEPENDS "${PROJECT_BINARY_DIR}/tenu.1.gz")
install(FILES "${PROJECT_BINARY_DIR}/tenu.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tenu)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reversi engine for the terminal and for NBoard-protocol GUIs")
# CPack puts the summary first and indents these lines as the control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tenu plays Reversi on the standard 8x8 board: a game in the terminal,
answers for scripts, or a session with a GUI that speaks the NBoard
protocol. An opening book of 71 named openings comes with it.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tenu developers <tenu@localhost.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The dependencies are the shared libraries the program links, found by
# dpkg-shlibdeps, and nothing else.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_OUTPUT_FILE_PREFIX "${PROJECT_SOURCE_DIR}/out")
include(CPack)
