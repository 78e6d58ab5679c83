# Sourced by the Windows scripts: the Wine session they share. Set PREFIX
# (a throwaway prefix in the build tree, never the user's own) before sourcing.
# LC_ALL (not LANG) gives Windows programs code page 932; glibc need not know
# the locale, so it is set only for the Wine commands.
#
# Programs run through "$WINE" under wine_env. Wine is the 32-bit one unless
# use_wine win64 says otherwise (for the 64-bit build of the tests).

# Debian's place for the 64-bit loader, which is not in PATH.
WINE64_LOADER=/usr/lib/wine/wine64

# Chooses the Wine the session runs: win32 or win64. Debian's `wine` starts
# the 32-bit loader whenever that is installed, even where the kernel cannot
# run it, so the 64-bit loader is started by its path and told where it is
# (WINELOADER, as Debian's starter does) to start Wine's own programs.
use_wine() {
  WINE_ARCH="$1"
  if [[ "$WINE_ARCH" == win64 ]]; then
    WINE="$WINE64_LOADER"
  else
    WINE=wine
  fi
}
use_wine win32

wine_env() {
  local loader=()
  [[ "$WINE_ARCH" == win64 ]] && loader=(WINELOADER="$WINE64_LOADER")
  env WINEPREFIX="$PREFIX" WINEARCH="$WINE_ARCH" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" "${loader[@]}" "$@"
}

# Starts a persistent Wine server for the rest of the script (stopped on
# exit), creates the prefix when it is new, and marks X11 windows unmanaged:
# without a window manager every hidden or destroyed managed window waits for
# an answer that never comes.
start_wine_session() {
  mkdir -p "$PREFIX"
  wine_env wineserver -p
  trap 'wine_env wineserver -k >/dev/null 2>&1 || true' EXIT
  if [[ ! -f "$PREFIX/system.reg" ]]; then
    wine_env LC_ALL=ja_JP.UTF-8 "$WINE" wineboot -i >/dev/null 2>&1
  fi
  # Non-ASCII arguments to wine reg must go in under a UTF-8 code page.
  wine_env LC_ALL=C.UTF-8 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}
