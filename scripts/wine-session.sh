# Sourced by the Windows scripts: the Wine session they share. Set PREFIX
# (a throwaway prefix in the build tree, never the user's own) before sourcing.
# LC_ALL (not LANG) gives Windows programs code page 932; glibc need not know
# the locale, so it is set only for the Wine commands.

wine_env() {
  env WINEPREFIX="$PREFIX" WINEARCH=win32 WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" "$@"
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
    wine_env LC_ALL=ja_JP.UTF-8 wineboot -i >/dev/null 2>&1
  fi
  # Non-ASCII arguments to wine reg must go in under a UTF-8 code page.
  wine_env LC_ALL=C.UTF-8 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}
