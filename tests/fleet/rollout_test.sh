#!/usr/bin/env bash
# The fleet rollout (examples/fleet/rollout.yml) run with Ansible against
# local servers: each an inventory host with a local connection, its own
# copy of the package, simulated adapters, simulated Windows machine and
# system drive.
#
# Run 1, batches of six, a batch may have half its servers fail: three
# older, two the same, one newer, one without supported adapters, one whose
# adapter tool is broken, and three that cannot be worked on (unreachable,
# no package directory, a utility that ends with an unknown code). Only the
# older ones are flashed, every faulty one is reported as failed while the
# rollout goes on, and the summary and the fetched version reports match
# each server's state.
# Run 2, the broken server alone in the first batch: the rollout stops there
# and no later server is touched.
#
# rollout_test.sh <staged package directory> <playbook directory> <scratch directory>
set -uo pipefail

package=$1
playbook=$2/rollout.yml
scratch=$3
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

rm -rf "$scratch"
mkdir -p "$scratch"
# No ansible.cfg of this machine or user: the scratch one is empty.
touch "$scratch/ansible.cfg"
export ANSIBLE_CONFIG=$scratch/ansible.cfg ANSIBLE_PIPELINING=1 ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_FORKS=8
export ANSIBLE_LOCAL_TEMP=$scratch/ansible-local ANSIBLE_REMOTE_TEMP=$scratch/ansible-remote
export ANSIBLE_HOME=$scratch/ansible-home ANSIBLE_SSH_ARGS="-o ConnectTimeout=3 -o BatchMode=yes"

# One simulated adapter of the given model and firmware.
adapter() {
  local subdevid=$1 firmware=$2 devid=0A10 product="Tarn KX-2210 Dual Port 10GbE"
  if [[ $subdevid == 4100 ]]; then devid=0B40 product="Tarn KX-4100 Dual Port 100GbE"; fi
  printf '[adapter]\ndevice_id = P3P-%s\nvenid = 1E5A\ndevid = %s\nsubvenid = 1F3C\nsubdevid = %s\n' \
    "$subdevid" "$devid" "$subdevid"
  printf 'product = %s\nbus = 5\nfirmware = %s\n' "$product" "$firmware"
}

# server <run> <name> <kind>: a package copy with its machine for one server.
server() {
  local dir=$scratch/$1/$2 kind=$3
  mkdir -p "$dir/systemdrive"
  cp -r "$package" "$dir/package"
  case $kind in
    older) adapter 2210 4.0.534 > "$dir/package/rirador.state" ;;
    same) adapter 2210 4.0.550 > "$dir/package/rirador.state" ;;
    newer) adapter 2210 4.1.600 > "$dir/package/rirador.state" ;;
    unsupported) adapter 4100 2.1.14 > "$dir/package/rirador.state" ;;
    broken) { adapter 2210 4.0.534; printf '[faults]\ndiscover_exit = 9\n'; } > "$dir/package/rirador.state" ;;
    unknown) printf '#!/bin/sh\nexit 42\n' > "$dir/package/Kelvor" ;;
    missing) rm -rf "$dir/package" ;;
  esac
  local host="$2 ansible_connection=local ansible_python_interpreter=$(command -v python3)"
  if [[ $kind == unreachable ]]; then
    host="$2 ansible_connection=ssh ansible_host=127.0.0.1 ansible_port=9 ansible_user=nobody"
  fi
  echo "$host fleet_package_dir=$dir/package" \
    "fleet_environment='{\"SystemDrive\": \"$dir/systemdrive\", \"YKZ_MACHINE\": \"$dir/package/machine\"}'" \
    >> "$scratch/$1/inventory.ini"
}

# rollout <run> <name:kind>...: runs the playbook on those servers, in that
# order, with extra arguments from ROLLOUT_ARGS.
rollout() {
  local run=$1
  shift
  mkdir -p "$scratch/$run"
  echo "[fleet]" > "$scratch/$run/inventory.ini"
  for entry in "$@"; do server "$run" "${entry%%:*}" "${entry#*:}"; done
  local start=$SECONDS
  ansible-playbook -i "$scratch/$run/inventory.ini" "$playbook" -e "fleet_reports_dir=$scratch/$run/reports" \
    "${ROLLOUT_ARGS[@]}" > "$scratch/$run/output.txt" 2>&1
  echo $? > "$scratch/$run/status"
  echo "$run: ansible-playbook ended with $(cat "$scratch/$run/status") after $((SECONDS - start)) s"
}

# The summary row of a server: before, result and after, separated by "|".
row() {
  awk -F ' [|] ' -v host="$2" '{ sub(/ +$/, "", $1) } $1 == host { print $2 "|" $3 "|" $4 }' \
    "$scratch/$1/reports/summary.txt" 2>/dev/null | sed 's/ *|/|/g; s/ *$//'
}

flashed() {
  [[ -f $scratch/$1/$2/package/rirador.calls ]] && grep -q -- '\[-i\]' "$scratch/$1/$2/package/rirador.calls"
}

ansible-playbook --syntax-check -i "$(dirname "$playbook")/inventory.ini" "$playbook" > "$scratch/syntax.txt" 2>&1 ||
  fail "syntax check of the playbook (Windows path included): $(cat "$scratch/syntax.txt")"

ROLLOUT_ARGS=(-e '{"fleet_serial": 6, "fleet_max_fail_percentage": 50}')
rollout run1 old-1:older same-1:same broken:broken unreachable:unreachable \
  old-2:older same-2:same newer:newer nopackage:missing \
  old-3:older unsupported:unsupported unknown:unknown

# Ansible ends with 2 when servers failed: the rollout went on regardless.
[[ $(cat "$scratch/run1/status") == 2 ]] || fail "run 1: ansible-playbook ended with $(cat "$scratch/run1/status"), not 2"
while IFS='|' read -r host expected; do
  actual=$(row run1 "$host")
  [[ $actual == "$expected" ]] || fail "run 1, $host: summary '$actual', expected '$expected'"
done <<'TABLE'
old-1|older|updated|same
old-2|older|updated|same
old-3|older|updated|same
same-1|same|not needed|same
same-2|same|not needed|same
newer|newer|not needed|newer
unsupported|no supported adapter|not needed|no supported adapter
broken|failed: adapter discovery failed (exit 7)|failed: state unknown, not updated|-
unreachable|failed: unreachable|failed: state unknown, not updated|-
unknown|failed: unknown exit code 42|failed: state unknown, not updated|-
TABLE
[[ $(row run1 nopackage) == "failed: Kelvor did not run ("*"|failed: state unknown, not updated|-" ]] ||
  fail "run 1, nopackage: summary '$(row run1 nopackage)'"
grep -q "SERVER *| BEFORE *| RESULT *| AFTER" "$scratch/run1/output.txt" || fail "run 1 printed no summary table"
for host in old-1 old-2 old-3 same-1 same-2 newer unsupported broken; do
  if [[ $host == old-* ]]; then
    flashed run1 "$host" || fail "run 1: $host was not flashed"
    grep -q "firmware = 4.0.550" "$scratch/run1/$host/package/rirador.state" || fail "run 1: $host not at 4.0.550"
  else
    ! flashed run1 "$host" || fail "run 1: $host was flashed"
  fi
  report=$scratch/run1/reports/$host/version_report.xml
  if [[ $host == unsupported || $host == broken ]]; then
    [[ ! -e $report ]] || fail "run 1: a version report of $host"
  else
    grep -q "<package_version value=\"4.0.550\"/>" "$report" 2>/dev/null || fail "run 1: no version report of $host"
  fi
done

ROLLOUT_ARGS=(-e '{"fleet_serial": [1, 3], "fleet_max_fail_percentage": 50}')
rollout run2 broken:broken old-1:older old-2:older
[[ $(cat "$scratch/run2/status") == 2 ]] || fail "run 2: ansible-playbook ended with $(cat "$scratch/run2/status"), not 2"
for host in old-1 old-2; do
  ! flashed run2 "$host" || fail "run 2: $host was flashed after the first batch failed"
  [[ $(row run2 "$host") == "older|not reached: the rollout stopped|-" ]] ||
    fail "run 2, $host: summary '$(row run2 "$host")'"
done
[[ $(row run2 broken) == "failed: adapter discovery failed (exit 7)|failed: state unknown, not updated|-" ]] ||
  fail "run 2, broken: summary '$(row run2 broken)'"

if ((failures > 0)); then
  for run in run1 run2; do
    echo "---- $run output"
    cat "$scratch/$run/output.txt"
  done
  exit 1
fi
echo "rollout: all checks passed"
