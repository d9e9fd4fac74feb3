#!/usr/bin/env bash
# Builds the Release benchmarks into build-bench/ (its own build directory), runs every benchmark
# executable found under build-bench/bench/ one after the other, and prints one table of the
# RATIO lines they printed (format: bench/README.md). Each benchmark's full output is kept in
# build-bench/bench-logs/<name>.log. VORTAB_BENCH_RECORDS sets the table size of the benchmarks
# of a big table (default 1,000,000). VORTAB_BENCH_LARGE_RECORDS (unset by default, so the usual
# run stays short) runs the engine, restructure, verify and export benchmarks again at that many
# records with 32 KB blocks (VORTAB_BENCH_LARGE_BLOCK_KB): 18,000,000 records make a table whose
# restructured form (two fields wider) just fits the 2 GB a level-7 table holds at most, a run of
# about 20 minutes more that needs about 8 GB of free disk. Their figures then print a second time,
# named "<ratio>@<records>". Every figure is the median of five interleaved runs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-bench
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORTAB_BUILD_BENCH=ON -DVORTAB_BUILD_TESTS=OFF \
  "${launcher[@]}" >/dev/null
CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}" cmake --build "$build" -j"$(nproc)" >/dev/null

logs="$build/bench-logs"
rm -rf "$logs"
mkdir -p "$logs"
failed=0
mapfile -t benches < <(find "$build/bench" -name CMakeFiles -prune -o -type f -perm -u+x -print | sort)
for exe in "${benches[@]}"; do
  name=$(basename "$exe")
  start=$(date +%s)
  if "$exe" >"$logs/$name.log" 2>&1; then
    echo "ran $name in $(($(date +%s) - start)) s" >&2
  else
    echo "$name failed (exit $?): see $logs/$name.log" >&2
    failed=1
  fi
done

large="${VORTAB_BENCH_LARGE_RECORDS:-}"
if [ -n "$large" ]; then
  for exe in "${benches[@]}"; do
    name=$(basename "$exe")
    case "$name" in bench_engine|bench_restructure|bench_verify|bench_export) ;; *) continue ;; esac
    start=$(date +%s)
    if "$exe" --records "$large" --block-size "${VORTAB_BENCH_LARGE_BLOCK_KB:-32}" >"$logs/$name-large.log" 2>&1; then
      echo "ran $name at $large records in $(($(date +%s) - start)) s" >&2
    else
      echo "$name at $large records failed (exit $?): see $logs/$name-large.log" >&2
      failed=1
    fi
  done
fi

# print_ratios LOG BENCH [SUFFIX]: the RATIO lines of one log as rows of the table.
print_ratios() {
  awk -v bench="$2" -v suffix="${3:-}" '$1 == "RATIO" && NF >= 3 {
      against = ""; for (i = 4; i <= NF; ++i) against = against (i > 4 ? " " : "") $i
      printf "%-18s %-36s %10s  %s\n", bench, $2 suffix, $3, against }' "$1"
}
printf '%-18s %-36s %10s  %s\n' benchmark ratio value against
printf '%-18s %-36s %10s  %s\n' --------- ----- ----- -------
for exe in "${benches[@]}"; do
  name=$(basename "$exe")
  print_ratios "$logs/$name.log" "$name"
  if [ -f "$logs/$name-large.log" ]; then print_ratios "$logs/$name-large.log" "$name" "@$large"; fi
done
exit "$failed"
