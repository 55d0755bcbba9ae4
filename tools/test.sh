#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite as built
# for use, the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# and each libFuzzer target for a bounded time from its seed corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
fuzz_seconds=${TAVR_FUZZ_SECONDS:-20}
jobs=$(nproc)

bash "$root/tools/install-deps.sh"

summary=()
run_suite() {  # name, cmake options...
  local name=$1; shift
  echo "== $name: build"
  cmake -S "$root" -B "$build/$name" -G Ninja "$@" >/dev/null
  cmake --build "$build/$name"
  echo "== $name: tests"
  local log="$build/$name/ctest.log"
  ctest --test-dir "$build/$name" --output-on-failure -j "$jobs" --timeout 600 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  summary+=("$name: $(grep -E 'tests passed' "$log" | tail -n 1)")
  return "$status"
}

run_fuzzers() {
  echo "== fuzz: build"
  CXX=clang++-14 cmake -S "$root" -B "$build/fuzz" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVR_FUZZ=ON >/dev/null
  cmake --build "$build/fuzz"
  local ran=0
  for fuzzer in "$build"/fuzz/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    local name; name=$(basename "$fuzzer")
    local seeds="$root/fuzz/corpus/$name" found="$root/fuzz/regressions/$name"
    local work="$build/fuzz/work/$name"
    rm -rf "$work"; mkdir -p "$work" "$seeds"
    if [ -d "$found" ] && [ -n "$(ls -A "$found")" ]; then
      echo "== fuzz: $name replays $(ls "$found" | wc -l) regressions"
      "$fuzzer" -runs=0 "$found"/* >"$work.log" 2>&1 || { cat "$work.log"; return 1; }
    fi
    echo "== fuzz: $name for ${fuzz_seconds}s"
    (cd "$work" && "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
        "$work" "$seeds") >"$work.log" 2>&1 || { tail -n 60 "$work.log"; return 1; }
    tail -n 1 "$work.log"
    ran=$((ran + 1))
  done
  summary+=("fuzz: $ran targets ran ${fuzz_seconds}s each without a finding")
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_suite release -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_fuzzers
run_suite sanitize -DCMAKE_BUILD_TYPE=Debug -DTAVR_SANITIZE=ON

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
total=$(cat "$build"/release/ctest.log "$build"/sanitize/ctest.log |
  sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' |
  awk '{failed += $1; all += $2} END {print all - failed " passed, " failed " failed"}')
echo "tests: $total"
