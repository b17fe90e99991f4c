#!/usr/bin/env bash
# Usage: fuzz/run.sh SECONDS
#
# Builds the fuzz preset and runs the document parser's fuzz target for
# SECONDS over a copy of the seed corpus (the corpus in the repository stays
# as it is). Exits non-zero when the fuzzer finds a crash, a sanitizer report,
# a leak, a timeout or a failed check; the input that did it is kept under
# build/fuzz/findings/.
set -euo pipefail

seconds=${1:?usage: fuzz/run.sh SECONDS}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

cmake --preset fuzz
cmake --build --preset fuzz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R fuzz/corpus/dom "$work/corpus"
findings=build/fuzz/findings
mkdir -p "$findings"

build/fuzz/bin/dom_fuzzer "$work/corpus" \
    -max_total_time="$seconds" \
    -max_len=4096 \
    -timeout=10 \
    -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" \
    -print_final_stats=1
