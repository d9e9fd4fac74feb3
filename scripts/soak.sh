#!/usr/bin/env bash
# Runs the widget suites and the hardening tests N times (default 20) while busy loops keep
# every core loaded, then prints each test's passes and failures. Logs of failed runs stay in
# build/soak/. Exit status 1 when any run failed.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
labels='widgets|hardening'
scripts/build.sh >/dev/null
out=build/soak; rm -rf "$out"; mkdir -p "$out"

load=()
stop_load() { [ ${#load[@]} -eq 0 ] || kill "${load[@]}" 2>/dev/null || true; }
trap stop_load EXIT
for _ in $(seq "$(nproc)"); do (while :; do :; done) & load+=($!); done

results=$out/results.txt; : >"$results"
for run in $(seq "$runs"); do
  log=$out/run-$run.log
  ctest --test-dir build -L "$labels" -j"$(nproc)" --output-on-failure >"$log" 2>&1 || true
  # "  3/21 Test  #7: name ....   Passed    1.20 sec" / "***Failed" / "***Timeout"
  sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) \.*[* ]*\([A-Za-z]*\).*/\1 \2/p' "$log" >"$out/run.txt"
  cat "$out/run.txt" >>"$results"
  failed=$(grep -vc ' Passed$' "$out/run.txt" || true)
  echo "run $run/$runs: $failed failed"
  [ "$failed" -gt 0 ] || rm -f "$log"
done
stop_load

echo
printf '%-70s %6s %6s\n' test passed failed
awk '{ total[$1]++; if ($2 == "Passed") ok[$1]++ }
     END { for (t in total) printf "%-70s %6d %6d\n", t, ok[t], total[t] - ok[t] }' "$results" | sort
bad=$(grep -vc ' Passed$' "$results" || true)
echo "$(wc -l <"$results") test runs, $bad failed"
[ "$bad" -eq 0 ]
