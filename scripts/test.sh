#!/bin/bash
# Installs what is missing, builds every test and runs them all through ctest
# beside a private PulseAudio daemon, then the sound tests (label "audio") once
# more beside a private PipeWire server (skipped, with a line that says so,
# where PipeWire cannot be installed or started), and checks the Debian package
# made from that build with lintian (scripts/package.sh); then runs the tests again with
# AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets for a bounded time
# (skip both with CORVALLE_SKIP_SANITIZERS=1; CORVALLE_FUZZ_SECONDS sets the time).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/install-deps.sh" --tests

run_suite() {
  local dir="$1"; shift
  cmake -S "$root" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && "$root/tests/with-pulse.sh" ctest --output-on-failure --timeout 300)
}

echo "== tests =="
run_suite "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== sound tests under PipeWire =="
(cd "$root/build-test" && "$root/tests/with-pipewire.sh" ctest -L audio --output-on-failure --timeout 300)
echo "== Debian package (cpack, lintian) =="
CORVALLE_INSTALL_DEPS=0 "$root/scripts/package.sh" "$root/build-test"
if [ "${CORVALLE_SKIP_SANITIZERS:-0}" != "1" ]; then
  echo "== fuzz targets, ${CORVALLE_FUZZ_SECONDS:-30} s each (ASan + UBSan) =="
  if [ "${CORVALLE_FUZZ_SECONDS:-30}" != "0" ]; then
    "$root/tests/fuzz/run-fuzzers.sh" "${CORVALLE_FUZZ_SECONDS:-30}"
  fi
  echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
  run_suite "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DCORVALLE_SANITIZE=ON -DCORVALLE_BUILD_BENCH=OFF
fi
