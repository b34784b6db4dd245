#!/bin/bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# bounded time: first over its saved regression inputs, then fuzzing from its
# seed corpus. usage: run-fuzzers.sh [seconds-per-target] [target...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
seconds="${1:-30}"; shift || true
out="${CORVALLE_FUZZ_DIR:-$root/build-fuzz}"
mkdir -p "$out"
qt_flags=$(pkg-config --cflags Qt6Core)
qt_libs=$(pkg-config --libs Qt6Core)
cxx="clang++ -std=c++17 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined"
declare -A sources=(
  [playlist]="$root/playlist/playlist_file.cpp $root/playlist/playlist_model.cpp $root/common/case_fold.cpp $root/common/file_util.cpp $root/common/unique_fd.cpp $root/common/app_error.cpp"
  [playlist_formats]="$root/playlist/playlist_formats.cpp $root/playlist/dropped_paths.cpp $root/tags/ansi_text.cpp $root/tags/tag_record.cpp $root/common/file_util.cpp $root/common/error_text.cpp $root/common/log.cpp $root/common/unique_fd.cpp $root/common/app_error.cpp"
  [wildcard]="$root/search/wildcard.cpp"
  [settings]="$root/settings/user_settings.cpp $root/common/file_util.cpp $root/common/unique_fd.cpp $root/common/app_error.cpp"
  [tags]="$root/tags/tag_record.cpp $root/tags/ansi_text.cpp $root/common/unique_fd.cpp $root/common/app_error.cpp $root/common/log.cpp $root/common/error_text.cpp"
  [mpeg]="$root/player/engine/decoder.cpp $root/common/unique_fd.cpp $root/common/app_error.cpp"
)
declare -A libs=([mpeg]="-lmpg123 $(pkg-config --libs taglib)")  # TagLib reads APEv2 gains
# Whole MP3 files are longer than the other targets' inputs.
declare -A max_len=([mpeg]=16384)
for extra in "$here"/targets.d/*.sh; do [ -f "$extra" ] && . "$extra"; done
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${!sources[@]}")
status=0
for t in "${targets[@]}"; do
  bin="$out/fuzz_$t"
  moc_dir="$out/moc_$t"; mkdir -p "$moc_dir"
  extra_src=""
  # The playlist model is a Qt object: run moc over its header.
  if [ "$t" = playlist ]; then
    /usr/lib/qt6/libexec/moc "$root/playlist/playlist_model.h" -o "$moc_dir/moc_playlist_model.cpp"
    extra_src="$moc_dir/moc_playlist_model.cpp"
  fi
  # Headers are named with their folder ("common/app_error.h", "engine/decoder.h").
  $cxx $qt_flags -I"$root" -I"$root/player" "$here/fuzz_$t.cpp" ${sources[$t]} $extra_src $qt_libs ${libs[$t]:-} -o "$bin"
  corpus="$out/corpus_$t"; mkdir -p "$corpus"
  cp -n "$here/corpus/$t/"* "$corpus/" 2>/dev/null || true
  if [ "$t" = mpeg ]; then
    # Seeds made by lame now: short streams of several rates and channel
    # counts, and one whose format changes part-way.
    gen="$out/seed.raw"
    yes 'corvalle seed: not music' | head -c 17640 >"$gen" || true  # yes ends on SIGPIPE
    lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m m -b 32 "$gen" "$corpus/mono44.mp3" 2>/dev/null || true
    lame --quiet -r -s 22.05 --bitwidth 16 --signed --little-endian -m s -b 32 "$gen" "$corpus/stereo22.mp3" 2>/dev/null || true
    lame --quiet -r -s 8 --bitwidth 16 --signed --little-endian -m m -b 8 "$gen" "$corpus/mono8.mp3" 2>/dev/null || true
    cat "$corpus/mono44.mp3" "$corpus/stereo22.mp3" >"$corpus/changes.mp3" 2>/dev/null || true
    rm -f "$gen"
  fi
  if [ -d "$here/regressions/$t" ] && [ -n "$(ls -A "$here/regressions/$t")" ]; then
    "$bin" "$here/regressions/$t"/* >/dev/null 2>&1 || { echo "fuzz_$t: a regression input fails"; status=1; }
  fi
  echo "fuzz_$t: ${seconds}s"
  if ! "$bin" -max_total_time="$seconds" -max_len="${max_len[$t]:-4096}" -artifact_prefix="$out/crash_${t}_" "$corpus" 2>"$out/fuzz_$t.log"; then
    echo "fuzz_$t: crash found, see $out/fuzz_$t.log"; status=1
  fi
  grep -E '^#[0-9]+.*DONE|stat::number_of_executed_units' "$out/fuzz_$t.log" | tail -1 || true
  grep -E 'Done [0-9]+ runs' "$out/fuzz_$t.log" | tail -1 || true
done
exit $status
