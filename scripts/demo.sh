#!/usr/bin/env bash
# Sets up everything, builds the native binaries and runs the whole utility
# on a fresh copy of the demo package: the installed firmware, the update
# status, an unattended update, the firmware again, a version report, a
# discovery report, the host stand-in with the plug-in and its verbose
# start-up log, and the utility's log.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" >/dev/null

demo=$(pwd)/build/native/demo
rm -rf "$demo"
cp -r build/native/package "$demo"
mkdir -p "$demo/systemdrive"
# On Linux the system drive is a directory; the logs land beneath it. The
# plug-in reads the Windows facts (version, services, PCI devices, model)
# from the package's simulated machine.
export SystemDrive="$demo/systemdrive"
export YKZ_MACHINE="$demo/machine"
cd "$demo"

step() { printf '\n\033[1m=== %s\033[0m\n' "$*"; }
run() {
  set +e
  "$@"
  local code=$?
  set -e
  printf '\033[1m--- exit code %s\033[0m\n' "$code"
}

step "Kelvor -h (the usage text, nothing logged)"
run ./Kelvor -h
step "Kelvor -ql (the identification probe: header only)"
run ./Kelvor -ql
step "Kelvor -c (installed and available firmware)"
run ./Kelvor -c
step "Kelvor -n (update status: 4 recommended, 5 same, 6 newer installed)"
run ./Kelvor -n
step "Kelvor -s (unattended update: older adapters are flashed)"
run ./Kelvor -s
step "Kelvor -c (after the update)"
run ./Kelvor -c
step "Kelvor -v version.xml (version-only report)"
run ./Kelvor -v version.xml
cat version.xml
step "Kelvor -d discovery.xml (discovery report written by the adapter tool)"
run ./Kelvor -d discovery.xml
head -n 12 discovery.xml
echo "..."
step "Zorvane /verbose_log (the host stand-in loads the plug-in, which starts up with a verbose log)"
run ./Zorvane /verbose_log
step "The plug-in's start-up in its verbose log"
cat "$SystemDrive"/ykzsystem/log/_YK*.TMP
step "Last lines of $SystemDrive/ykzsystem/log/zizador.log"
tail -n 30 "$SystemDrive/ykzsystem/log/zizador.log"
