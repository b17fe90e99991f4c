# Sourced by the scripts that run Windows binaries: one Wine prefix, created
# once, and a persistent wineserver, so that every test program starts fast.
export WINEDEBUG=-all
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver

wine_start() {
  # The prefix's own services must not inherit our output: a process that
  # keeps a pipe open would hold up whoever reads this script's output.
  "$WINE" wineboot --init </dev/null >/dev/null 2>&1 || true
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
}

wine_stop() {
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
}
