#!/usr/bin/env bash
# Usage: scripts/valgrind.sh BUILD_DIR [LABEL_REGEX] [CTEST_ARGS...]
#
# Runs the tests of a native build whose CTest label matches LABEL_REGEX
# (default "unit"; "e2e" for the end-to-end tests, "unit|e2e" for both)
# under valgrind's memcheck, following every child process, so that the
# end-to-end tests check Kelvor and the adapter simulator as well as the test
# programs. Further arguments select tests as they would for ctest (for
# example -R NAME).
#
# CTest lists every GoogleTest case as a test of its own; starting valgrind
# once per case would cost most of the run, so the cases of one program (with
# the same directory and environment) run in one process, with their filters
# joined. Other tests run as CTest would run them. Two processes at a time.
#
# Exits non-zero when a test fails or when valgrind reports any error or a
# definite or indirect leak in any process; the reports of those processes
# are printed, and every report is kept in BUILD_DIR/valgrind/PID.log.
#
# Needs valgrind and python3. On this machine (2 cores, with other work
# running) the unit tests take under a minute and the end-to-end tests about
# 15 minutes.
set -euo pipefail

build=${1:?usage: scripts/valgrind.sh BUILD_DIR [LABEL_REGEX] [CTEST_ARGS...]}
label=${2:-unit}
shift $(( $# < 2 ? $# : 2 ))

valgrind=$(command -v valgrind) || { echo "valgrind is not installed" >&2; exit 2; }
build=$(cd "$build" && pwd)
logs=$build/valgrind
rm -rf "$logs"
mkdir -p "$logs"

# Errors and real leaks fail the process that has them; memory that is still
# reachable at exit (the C++ runtime's, GoogleTest's) is not a leak.
export NICFW_VALGRIND="$valgrind --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect
  --show-leak-kinds=definite,indirect --num-callers=40 --trace-children=yes
  --trace-children-skip=/bin/*,/usr/bin/*,/usr/sbin/* --log-file=$logs/%p.log"

status=0
ctest --test-dir "$build" --show-only=json-v1 -L "^($label)\$" "$@" | python3 -c '
import concurrent.futures, json, os, subprocess, sys

valgrind = os.environ["NICFW_VALGRIND"].split()
runs = {}  # (program, directory, environment) -> [command, filters] or a whole command
for test in json.load(sys.stdin)["tests"]:
    command = test.get("command")
    if not command:
        continue
    properties = {p["name"]: p["value"] for p in test.get("properties", [])}
    directory = properties.get("WORKING_DIRECTORY", os.getcwd())
    environment = tuple(properties.get("ENVIRONMENT", []))
    filters = [a[len("--gtest_filter="):] for a in command[1:] if a.startswith("--gtest_filter=")]
    if filters:
        key = (command[0], directory, environment)
        runs.setdefault(key, [[command[0], "--gtest_also_run_disabled_tests"], []])[1].extend(filters)
    else:
        runs[(tuple(command), directory, environment)] = [command, []]

def run(item):
    (_, directory, environment), (command, filters) = item
    if filters:
        command = command + ["--gtest_filter=" + ":".join(filters)]
    env = dict(os.environ)
    env.update(entry.split("=", 1) for entry in environment)
    done = subprocess.run(valgrind + command, cwd=directory, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, timeout=3600)
    name = os.path.basename(command[0])
    if done.returncode != 0:
        return "=== FAILED (exit %d): %s\n%s" % (done.returncode, name, done.stdout.decode(errors="replace"))
    return "=== passed: %s (%d tests)" % (name, max(len(filters), 1))

failed = False
with concurrent.futures.ThreadPoolExecutor(2) as pool:
    for line in pool.map(run, runs.items()):
        print(line, flush=True)
        failed = failed or line.startswith("=== FAILED")
if not runs:
    print("no test has a label matching the pattern", file=sys.stderr)
sys.exit(1 if failed or not runs else 0)
' || status=1

shopt -s nullglob
reports=("$logs"/*.log)
for report in "${reports[@]}"; do
  if grep -qE 'ERROR SUMMARY: [1-9]|definitely lost: [1-9]|indirectly lost: [1-9]' "$report"; then
    echo "=== valgrind found errors in $(grep -m1 'Command:' "$report" | sed 's/^==[0-9]*== //')"
    cat "$report"
    status=1
  fi
done
echo "valgrind: ${#reports[@]} processes checked, reports in $logs"
exit $status
