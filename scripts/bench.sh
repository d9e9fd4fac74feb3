#!/usr/bin/env bash
# Builds the Release benchmarks into build-bench/ (its own build directory), runs every benchmark
# executable found under build-bench/bench/ one after the other, and prints one table of the
# RATIO lines they printed (format: bench/README.md). Each benchmark's full output is kept in
# build-bench/bench-logs/<name>.log. VORTAB_BENCH_RECORDS sets the table size of the engine and
# restructure benchmarks (default 1,000,000).
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

printf '%-18s %-36s %10s  %s\n' benchmark ratio value against
printf '%-18s %-36s %10s  %s\n' --------- ----- ----- -------
for exe in "${benches[@]}"; do
  name=$(basename "$exe")
  awk -v bench="$name" '$1 == "RATIO" && NF >= 3 {
      against = ""; for (i = 4; i <= NF; ++i) against = against (i > 4 ? " " : "") $i
      printf "%-18s %-36s %10s  %s\n", bench, $2, $3, against }' "$logs/$name.log"
done
exit "$failed"
