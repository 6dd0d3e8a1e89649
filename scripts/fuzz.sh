#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into $QEL_FUZZ_BUILD_DIR
# (default build-fuzz; everything instrumented with AddressSanitizer,
# UndefinedBehaviorSanitizer and the fuzzer's coverage) and runs each for a
# bounded time, $QEL_FUZZ_JOBS (default 2) at a time.
#
# Usage: scripts/fuzz.sh [--build-only] [--seconds S] [target...]
#   S: seconds per target (default $QEL_FUZZ_SECONDS, else 20)
#   targets: names like din_answer_fuzz (default: every one built)
#
# Each target's corpus is build-fuzz/corpus/<target>: it starts from the
# seeds in fuzz/seeds/ - <target>/ (files as they are), <target>.hex (one
# input a line, hex, '#' comments) and <target>.samples (globs of generated
# files in the build tree, one a line) - and keeps what the fuzzer adds. A
# fault leaves its input in build-fuzz/artifacts/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${QEL_FUZZ_BUILD_DIR:-build-fuzz}
seconds=${QEL_FUZZ_SECONDS:-20}
jobs=${QEL_FUZZ_JOBS:-2}
# QEL_FUZZ_SEED: a fixed random seed (a repeatable run; unset, a new one each run).
build_only=0
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-only) build_only=1 ;;
    --seconds) seconds=$2; shift ;;
    *) targets+=("$1") ;;
  esac
  shift
done

bash scripts/install-deps.sh
# shellcheck disable=SC2086
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
  -DQEL_FUZZ=ON -DQEL_SANITIZE=address,undefined,fuzzer-no-link ${QEL_CMAKE_ARGS:-} >/dev/null
# The generators run instrumented too; leaks of a short-lived tool are no
# finding.
ASAN_OPTIONS=detect_leaks=0 cmake --build "$build" -j "${QEL_BUILD_JOBS:-$(nproc)}" --target qel_fuzz
[ "$build_only" -eq 1 ] && exit 0

if [ ${#targets[@]} -eq 0 ]; then
  for bin in "$build"/fuzz/*_fuzz; do
    [ -x "$bin" ] && targets+=("$(basename "$bin")")
  done
fi

seed_corpus() {
  local t=$1 dir=$build/corpus/$1
  mkdir -p "$dir"
  if [ -d "fuzz/seeds/$t" ]; then
    cp -f fuzz/seeds/"$t"/* "$dir"/ 2>/dev/null || true
  fi
  if [ -f "fuzz/seeds/$t.hex" ]; then
    local n=0 line
    while IFS= read -r line; do
      line=${line%%#*}
      line=${line//[[:space:]]/}
      [ -z "$line" ] && continue
      n=$((n + 1))
      printf '%s' "$line" | xxd -r -p > "$dir/seed-hex-$n"
    done < "fuzz/seeds/$t.hex"
  fi
  if [ -f "fuzz/seeds/$t.samples" ]; then
    local glob f
    while IFS= read -r glob; do
      [ -z "$glob" ] && continue
      for f in "$build"/$glob; do
        [ -f "$f" ] && cp -f "$f" "$dir/seed-$(basename "$f")"
      done
    done < "fuzz/seeds/$t.samples"
  fi
}

mkdir -p "$build/artifacts" "$build/logs"
for t in "${targets[@]}"; do
  seed_corpus "$t"
done

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/.ci/lsan.supp
export QT_QPA_PLATFORM=offscreen
run_one() {
  local t=$1
  if "$build/fuzz/$t" -max_total_time="$seconds" -timeout=2 -malloc_limit_mb=64 -rss_limit_mb=2048 \
      ${QEL_FUZZ_SEED:+-seed="$QEL_FUZZ_SEED"} -artifact_prefix="$build/artifacts/$t-" -print_final_stats=1 \
      "$build/corpus/$t" > "$build/logs/$t.log" 2>&1; then
    echo "$t: ok ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/logs/$t.log" | grep -o '[0-9]*$') runs)"
  else
    echo "$t: FAILED (log: $build/logs/$t.log)"
    tail -n 40 "$build/logs/$t.log"
    return 1
  fi
}
export -f run_one
export build seconds
echo "Fuzzing ${#targets[@]} targets for ${seconds} s each, ${jobs} at a time"
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}'
