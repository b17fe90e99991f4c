#!/usr/bin/env bash
# The emulator through which CTest runs the Windows programs.
#
# A test that CTest gave a slot of the resource "wineprefix" (see
# tests/CMakeLists.txt) runs in that slot's own Wine prefix: every Windows run
# of the utility and the plug-in writes its logs under C:\ykzsystem of its
# prefix, and a test reads back what its own runs appended, so two tests may
# only run side by side in different prefixes. Slot 0 is the default prefix,
# which scripts/wine-env.sh prepares; any other slot's prefix is made on its
# first use, next to the default one, with a persistent wineserver.
set -euo pipefail

wine=${WINE:-/usr/lib/wine/wine64}
wineserver=${WINESERVER:-/usr/lib/wine/wineserver}
export WINEDEBUG=${WINEDEBUG:--all}

slot=
if [[ ${CTEST_RESOURCE_GROUP_COUNT:-0} -gt 0 ]]; then
  # "id:N,slots:1"
  slot=${CTEST_RESOURCE_GROUP_0_WINEPREFIX:-}
  slot=${slot#id:}
  slot=${slot%%,*}
fi

if [[ -n $slot && $slot != 0 ]]; then
  base=${WINEPREFIX:-$HOME/.wine}
  export WINEPREFIX=$base-slot$slot
  (
    flock 9
    # The server first, so that it persists, then the prefix. Neither may
    # hold the test's output open, nor the lock: the server and the
    # prefix's services live on, and the next test would wait for ever.
    # A server that is already there (status 2) was started here, under this
    # lock, and its prefix booted right after. The registry files are no
    # sign of a boot: the server writes them only half a minute later.
    mkdir -p "$WINEPREFIX"
    status=0
    "$wineserver" -p </dev/null >/dev/null 2>&1 9>&- || status=$?
    if [[ $status != 2 ]]; then
      # Any program boots the prefix. Never "wineboot --init": it starts a
      # second service control manager beside the boot's own, each with its
      # own list of services, so a service created through one is unknown
      # to the other.
      "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
  ) 9>"$base-slot$slot.lock"
fi

exec "$wine" "$@"
