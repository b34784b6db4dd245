#!/bin/bash
# Runs the whole test suite N times (default 20), each time beside a fresh
# private sound server (tests/with-pulse.sh), while two busy loops compete for
# the cores, and says how many runs were green. Builds first, like
# scripts/test.sh; CORVALLE_REPEAT_BUILD chooses the build folder. The log of
# every failed run is kept and named.
set -euo pipefail
runs="${1:-20}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${CORVALLE_REPEAT_BUILD:-$root/build-test}"
"$root/scripts/install-deps.sh" --tests
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"

logs="$(mktemp -d /tmp/corvalle-repeat.XXXXXX)"
busy=()
cleanup() { [ ${#busy[@]} -eq 0 ] || kill "${busy[@]}" 2>/dev/null || true; }
trap cleanup EXIT
for _ in 1 2; do
  bash -c 'while :; do :; done' &
  busy+=($!)
done

green=0
for i in $(seq 1 "$runs"); do
  log="$logs/run-$i.log"
  start=$(date +%s)
  if (cd "$build" && "$root/tests/with-pulse.sh" ctest --output-on-failure --timeout 300) >"$log" 2>&1; then
    green=$((green + 1))
    echo "run $i of $runs: green ($(( $(date +%s) - start )) s)"
    rm -f "$log"
  else
    echo "run $i of $runs: FAILED ($(( $(date +%s) - start )) s), log kept in $log"
    grep -E '^\s+[0-9]+ - |FAIL!' "$log" | head -20 || true
  fi
done
echo "$green of $runs runs green"
[ "$green" -eq "$runs" ]
