#!/bin/bash
# Installs what is missing, builds every test and runs them all through ctest
# beside a private PulseAudio daemon, then the sound tests (label "audio") once
# more beside a private PipeWire server (skipped, with a line that says so,
# where PipeWire cannot be installed or started), the program on a private
# headless Wayland compositor (skipped likewise where weston or qt6-wayland
# cannot be had), and checks the Debian package
# made from that build with lintian (scripts/package.sh); then runs the tests again with
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets for a bounded time, and the
# tests of what runs threads built with clang for ThreadSanitizer (that build also fails on a lock its
# thread-safety analysis finds missing); skip these three with CORVALLE_SKIP_SANITIZERS=1;
# CORVALLE_FUZZ_SECONDS sets the fuzzing time.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/install-deps.sh" --tests

# run_suite DIR [cmake options] [-- ctest options]
run_suite() {
  local dir="$1"; shift
  local configure=() select=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do configure+=("$1"); shift; done
  [ $# -gt 0 ] && shift && select=("$@")
  cmake -S "$root" -B "$dir" "${configure[@]}" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && "$root/tests/with-pulse.sh" ctest --output-on-failure --timeout 300 "${select[@]}")
}

echo "== tests =="
run_suite "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== sound tests under PipeWire =="
(cd "$root/build-test" && "$root/tests/with-pipewire.sh" ctest -L audio --output-on-failure --timeout 300)
echo "== Wayland leg: the real program on a private headless weston =="
"$root/tests/with-weston.sh" "$root/tests/with-pulse.sh" dbus-run-session -- \
  bash "$root/tests/player/wayland/wayland_test.sh" "$root/build-test/player/app/corvalle-mp3-player"
echo "== Debian package (cpack, lintian) =="
CORVALLE_INSTALL_DEPS=0 "$root/scripts/package.sh" "$root/build-test"
if [ "${CORVALLE_SKIP_SANITIZERS:-0}" != "1" ]; then
  echo "== fuzz targets, ${CORVALLE_FUZZ_SECONDS:-30} s each (ASan + UBSan) =="
  if [ "${CORVALLE_FUZZ_SECONDS:-30}" != "0" ]; then
    "$root/tests/fuzz/run-fuzzers.sh" "${CORVALLE_FUZZ_SECONDS:-30}"
  fi
  echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
  run_suite "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DCORVALLE_SANITIZE=ON -DCORVALLE_BUILD_BENCH=OFF
  echo "== threads: the player's and the folder search's tests under ThreadSanitizer (clang, thread-safety analysis) =="
  # Qt is not built for ThreadSanitizer: what its own code reads and writes,
  # and the locks it takes inside, are not seen (ignore_noninstrumented_modules),
  # so only our code's accesses are checked against each other. Any report
  # fails the test.
  TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 ignore_noninstrumented_modules=1 suppressions=$root/tests/tsan.supp" \
    run_suite "$root/build-tsan" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVALLE_SANITIZE_THREAD=ON -DCORVALLE_BUILD_BENCH=OFF -- -L threads
fi
