#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite as built
# for use, each libFuzzer target for a bounded time from its seed corpus, and
# the same suite under AddressSanitizer and UndefinedBehaviorSanitizer. A
# stage that fails is reported and the others still run; the summary counts
# the tests of both suites, and the exit status is non-zero when any stage
# failed. In the source tree it writes only under build/.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
fuzz_seconds=${TAVR_FUZZ_SECONDS:-20}
jobs=$(nproc)

bash "$root/tools/install-deps.sh" || exit 1

summary=() failed=()
passed=0 failures=0 skipped=0

# One count from the head of a JUnit report written by ctest; 0 when absent.
count() {  # attribute, report
  local n
  n=$(grep -o -m 1 "\b$1=\"[0-9]*\"" "$2" | head -n 1 | tr -dc 0-9)
  echo "${n:-0}"
}

# Adds a suite's counts to the totals and its line to the summary. Tests that
# did not run (skipped or disabled) are not counted as passed.
add_counts() {  # name, report
  local all bad skip
  all=$(count tests "$2") bad=$(count failures "$2")
  skip=$(($(count skipped "$2") + $(count disabled "$2")))
  passed=$((passed + all - bad - skip)) failures=$((failures + bad)) skipped=$((skipped + skip))
  summary+=("$1: $((all - bad - skip)) passed, $bad failed, $skip skipped")
}

run_suite() {  # name, cmake options...
  local name=$1
  shift
  local dir="$build/$name" status=0
  echo "== $name: build"
  if ! cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null || ! cmake --build "$dir"; then
    summary+=("$name: the build failed")
    return 1
  fi
  echo "== $name: tests"
  rm -f "$dir/ctest.xml"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600 \
    --output-junit "$dir/ctest.xml" || status=$?
  if [ ! -f "$dir/ctest.xml" ]; then
    summary+=("$name: ctest wrote no report (status $status)")
    return 1
  fi
  add_counts "$name" "$dir/ctest.xml"
  return "$status"
}

# Runs one target: its regressions once, then its seeds for a while. New
# inputs go into its work folder under build/; the seeds are only read.
run_fuzzer() {  # fuzzer
  local name seeds found work
  name=$(basename "$1")
  seeds="$root/fuzz/corpus/$name" found="$root/fuzz/regressions/$name" work="$build/fuzz/work/$name"
  rm -rf "$work" && mkdir -p "$work" || return 1
  local corpora=("$work")
  [ -d "$seeds" ] && corpora+=("$seeds")
  if [ -d "$found" ] && [ -n "$(ls -A "$found")" ]; then
    echo "== fuzz: $name replays $(ls "$found" | wc -l) regressions"
    "$1" -runs=0 "$found"/* >"$work.log" 2>&1 || { cat "$work.log"; return 1; }
  fi
  echo "== fuzz: $name for ${fuzz_seconds}s"
  (cd "$work" && "$1" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
    "${corpora[@]}") >"$work.log" 2>&1 || { tail -n 60 "$work.log"; return 1; }
  tail -n 1 "$work.log"
}

run_fuzzers() {
  echo "== fuzz: build"
  if ! CXX=clang++-14 cmake -S "$root" -B "$build/fuzz" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVR_FUZZ=ON >/dev/null || ! cmake --build "$build/fuzz"; then
    summary+=("fuzz: the build failed")
    return 1
  fi
  local ran=0 found=()
  for fuzzer in "$build"/fuzz/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    ran=$((ran + 1))
    run_fuzzer "$fuzzer" || found+=("$(basename "$fuzzer")")
  done
  if [ ${#found[@]} -gt 0 ]; then
    summary+=("fuzz: $ran targets ran ${fuzz_seconds}s each; failed: ${found[*]}")
    return 1
  fi
  summary+=("fuzz: $ran targets ran ${fuzz_seconds}s each without a finding")
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_suite release -DCMAKE_BUILD_TYPE=RelWithDebInfo || failed+=(release)
run_fuzzers || failed+=(fuzz)
run_suite sanitize -DCMAKE_BUILD_TYPE=Debug -DTAVR_SANITIZE=ON || failed+=(sanitize)

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "tests: $passed passed, $failures failed, $skipped skipped"
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}"
  exit 1
fi
