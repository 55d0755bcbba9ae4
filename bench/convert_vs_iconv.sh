#!/usr/bin/env bash
# Throughput and memory of the conversion against a reference run in the same
# script: `iconv -f SHIFT_JIS -t UTF-8` on the same cell text, writing a file
# and syncing it, as the conversion syncs its `csv`. For each size (MB,
# default 200) it makes a realistic document, converts it with convert_bench
# (Release build) under /usr/bin/time -v, transcodes the cells with iconv,
# and prints both throughputs over the cell text, their ratio (above 1: the
# conversion is faster) and the conversion's peak memory. Both run
# $TAVR_BENCH_RUNS times (default 3), taking turns; the fastest run of each
# counts, which keeps other work on the machine out of the ratio.
#
# The cells are made as real lists are, of common kana and kanji words and
# short ASCII (dates, numbers); TAVR_BENCH_TEXT=mixed gives the older kind,
# Japanese and ASCII cells of mixed lengths, a few of them long.
#
#   bench/convert_vs_iconv.sh [SIZE_MB...]
#
# Everything it writes goes under $TAVR_BENCH_WORK (default /tmp/tavr-bench);
# the build goes to $TAVR_BENCH_BUILD (default /tmp/tavr-bench-build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAVR_BENCH_BUILD:-/tmp/tavr-bench-build}
work=${TAVR_BENCH_WORK:-/tmp/tavr-bench}
runs=${TAVR_BENCH_RUNS:-3}
text=${TAVR_BENCH_TEXT:-words}
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(200)

if [ ! -x /usr/bin/time ]; then
  echo "/usr/bin/time is missing: install the Debian package \"time\"" >&2
  exit 1
fi
command -v iconv >/dev/null || { echo "iconv is missing" >&2; exit 1; }

mkdir -p "$work"
{ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVR_SHELL=OFF &&
  cmake --build "$build" --target convert_bench make_large_document; } >"$work/build.log" 2>&1 ||
  { cat "$work/build.log" >&2; exit 1; }

seconds_of() {  # command...: wall seconds of one run, process start included
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

least() {  # the smaller of two numbers; the first may be empty
  if [ -z "$1" ]; then echo "$2"; else awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; fi
}

convert() {  # size, output folder, document
  /usr/bin/time -v -o "$work/time-$1.txt" "$build/bench/convert_bench" "$2" "$3" \
    >"$work/bench-$1.txt" 2>"$work/cautions-$1.txt"
}

transcode() {  # cells, output
  iconv -f SHIFT_JIS -t UTF-8 "$1" >"$2" && sync "$2"
}

echo "text: $text"
printf '%-8s %12s %12s %12s %8s %14s\n' size_MB cells_MB conv_MB/s iconv_MB/s ratio peak_RSS_MB
for size in "${sizes[@]}"; do
  doc="$work/large-$size.tvr" cells="$work/large-$size.cells.txt" out="$work/out-$size"
  "$build/bench/make_large_document" "$doc" "$size" --cells "$cells" --text "$text" >/dev/null
  cat "$doc" "$cells" >/dev/null  # both runs start from the page cache

  conv_s="" iconv_s="" rss_kb=0
  for ((run = 0; run < runs; run++)); do
    rm -rf "$out" "$work/iconv-$size.txt"
    mkdir -p "$out"
    t=$(seconds_of convert "$size" "$out" "$doc")
    if [ -s "$work/cautions-$size.txt" ]; then
      echo "unexpected caution:" >&2; cat "$work/cautions-$size.txt" >&2; exit 1
    fi
    conv_s=$(least "$conv_s" "$t")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time-$size.txt")
    rss_kb=$((rss > rss_kb ? rss : rss_kb))
    t=$(seconds_of transcode "$cells" "$work/iconv-$size.txt")
    iconv_s=$(least "$iconv_s" "$t")
  done

  awk -v size="$size" -v cells="$(stat -c %s "$cells")" -v conv="$conv_s" -v iconv="$iconv_s" \
      -v rss="$rss_kb" 'BEGIN {
    printf "%-8s %12.1f %12.1f %12.1f %8.2f %14.1f\n", size, cells / 1e6, cells / 1e6 / conv,
           cells / 1e6 / iconv, iconv / conv, rss / 1024 }'
  rm -rf "$out" "$work/iconv-$size.txt" "$doc" "$cells"
done
