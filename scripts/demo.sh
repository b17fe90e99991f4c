#!/usr/bin/env bash
# Sets up everything, builds the native binaries and runs the whole utility
# on a fresh copy of the demo package: the installed firmware, the update
# status, an unattended update, the firmware again, a version report, a
# discovery report; then, on a fresh copy, the host stand-in with the
# plug-in: install state, an unattended installation, discovery and version
# report through the host, the handed-over verbose log, ykzsetup.log and the
# utility's log.
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
# The host's road runs on a fresh copy of the package, so that its adapters
# start from the demo's states again.
host=$(pwd)/../demo-host
rm -rf "$host"
cp -r ../package "$host"
cd "$host"
export YKZ_MACHINE="$host/machine"
rm -f "$SystemDrive"/ykzsystem/log/Kelvor.exe.log
step "Zorvane --query-only (the host loads Tamsel and asks its properties: update recommended)"
run ./Zorvane --query-only
step "Zorvane --hand-over-log /verbose_log (unattended installation through the host: result 2, message 15)"
run ./Zorvane --hand-over-log /verbose_log
step "Zorvane --query-only (the install state again: nothing older left, one adapter newer)"
run ./Zorvane --query-only
step "Zorvane /d report.xml (discovery through the host: result 1, message 7, the report read back)"
run ./Zorvane /d report.xml
step "Zorvane /v (version report through the host: result 1, message 12)"
run ./Zorvane /v
step "The plug-in's verbose log, handed over to the host's and renamed Kelvor.exe.log (last lines)"
tail -n 12 "$SystemDrive"/ykzsystem/log/Kelvor.exe.log
step "Last lines of $SystemDrive/ykzsystem/log/ykzsetup.log"
tail -n 16 "$SystemDrive/ykzsystem/log/ykzsetup.log"
step "Last lines of $SystemDrive/ykzsystem/log/zizador.log"
tail -n 30 "$SystemDrive/ykzsystem/log/zizador.log"
