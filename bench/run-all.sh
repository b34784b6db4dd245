#!/bin/bash
# Builds the benchmarks in Release and runs them all, then prints one table:
# figure, ours, reference (another program measured in the same run, or the
# target), ratio. Each benchmark prints lines "figure key=value ...", the
# first value being ours and the second the reference.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
"$root/scripts/install-deps.sh" --tests
# mpg123 is the playback reference and Audacious the idle window's and a
# second playing one; Openbox lets the playing window be minimized. The
# player needs none of them.
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
for reference in mpg123:playback audacious:idle openbox:minimized xdotool:minimized; do
  program="${reference%%:*}"
  if ! command -v "$program" >/dev/null 2>&1; then
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$program" >/dev/null ||
      echo "$program could not be installed: the ${reference#*:} reference will be missing" >&2
  fi
done
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCORVALLE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
cd "$build/bench"
for b in startup_bench window_bench search_bench playback_bench desktop_bench; do
  if [ -x "./$b" ]; then
    echo "running $b ..." >&2
    if [ "$b" = playback_bench ]; then
      "$root/tests/with-pulse.sh" "./$b" >>"$out" 2>/dev/null || echo "$b failed" >&2
    elif [ "$b" = desktop_bench ]; then
      "$root/tests/with-pulse.sh" "$root/tests/with-xvfb.sh" "./$b" >>"$out" 2>/dev/null || echo "$b failed" >&2
    else
      "./$b" >>"$out" 2>/dev/null || echo "$b failed" >&2
    fi
  fi
done
printf '%-22s %-24s %-24s %s\n' figure ours reference ratio
grep -E '^[a-z_0-9]+ ' "$out" | while read -r figure rest; do
  set -- $rest
  ours="${1:-}"; ref="${2:-}"; ratio=""
  for kv in "$@"; do case "$kv" in ratio=*) ratio="${kv#ratio=}";; esac; done
  printf '%-22s %-24s %-24s %s\n' "$figure" "$ours" "$ref" "$ratio"
done
echo
grep -E '^\|' "$out" || true
