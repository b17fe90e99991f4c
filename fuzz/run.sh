#!/usr/bin/env bash
# Usage: fuzz/run.sh SECONDS [NAME...]
#
# Builds the fuzz preset and runs each fuzz target for SECONDS over a copy of
# its seed corpus (the corpus in the repository stays as it is). A target
# NAME_fuzzer has its seeds in fuzz/corpus/NAME; without names, every corpus
# directory's target runs. Exits non-zero when a fuzzer finds a crash, a
# sanitizer report, a leak, a timeout or a failed check; the input that did
# it is kept under build/fuzz/findings/NAME/.
set -euo pipefail

seconds=${1:?usage: fuzz/run.sh SECONDS [NAME...]}
shift
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for corpus in fuzz/corpus/*/; do names+=("$(basename "$corpus")"); done
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for name in "${names[@]}"; do
  echo "=== fuzz: ${name}_fuzzer for ${seconds} s"
  findings=build/fuzz/findings/$name
  mkdir -p "$findings"
  cp -R "fuzz/corpus/$name" "$work/$name"
  if ! build/fuzz/bin/"${name}_fuzzer" "$work/$name" \
      -max_total_time="$seconds" \
      -max_len=4096 \
      -timeout=10 \
      -rss_limit_mb=2048 \
      -artifact_prefix="$findings/" \
      -print_final_stats=1; then
    echo "=== fuzz: ${name}_fuzzer FAILED; the input is under $findings/"
    status=1
  fi
done
exit $status
