# Sourced by the scripts that run Windows binaries: the default Wine prefix,
# created once, and a persistent wineserver, so that every test program starts
# fast. CTest runs tests through scripts/wine-run.sh, which adds one prefix per
# further slot of parallel tests beside this one.
export WINEDEBUG=-all
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver

wine_start() {
  # The persistent server first: a server that wineboot started would end
  # soon after it. Neither it nor the prefix's own services may inherit our
  # output: a process that keeps a pipe open would hold up whoever reads this
  # script's output.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  wine_boot
}

# Boots the prefix, creating it when needed, and returns once it is ready.
# Any program does that: Wine boots a prefix whose server runs no services
# yet before it starts the program, and otherwise just waits for the boot.
# Never "wineboot --init": it starts one more service control manager each
# time, beside the one of the boot, and two of them each keep their own list
# of services, so a service created through one is unknown to the other.
wine_boot() {
  "$WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

wine_stop() {
  local base=${WINEPREFIX:-$HOME/.wine} prefix
  for prefix in "$base" "$base"-slot*; do
    [[ -d $prefix ]] || continue
    WINEPREFIX=$prefix "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  done
}
