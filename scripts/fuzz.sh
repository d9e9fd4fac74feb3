#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan into build-fuzz/ and runs each for
# SECONDS (default 60), seeded from the fixtures, the sample scripts and the inputs kept under
# tests/fuzz/regressions/. Prints executions and findings per target; findings are left in
# build-fuzz/findings/<target>/ (copy each into tests/fuzz/regressions/<target>/ once fixed).
# Needs clang with its runtime (Debian: clang libclang-rt-14-dev).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
fixtures=${VORTAB_FIXTURES_DIR:-../shared/fixtures}
targets=(fuzz_line fuzz_db fuzz_index fuzz_mb fuzz_val fuzz_ini fuzz_reg fuzz_log fuzz_journal)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORTAB_BUILD_TESTS=OFF -DVORTAB_BUILD_FUZZERS=ON -DVORTAB_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

python3 tests/fuzz/make_seeds.py "$fixtures" "$build/seeds"

mkdir -p "$build/findings"
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"; findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  dict=(); [ -f "$build/seeds/$target.dict" ] && dict=(-dict="$build/seeds/$target.dict")
  log="$build/findings/$target.log"
  nice "$build/tests/fuzz/$target" "$corpus" "$build/seeds/$target" "tests/fuzz/regressions/$target" \
    "${dict[@]}" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || true
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  found=$(find "$findings" -type f | wc -l)
  printf '%-12s %12s executions  %d findings\n' "$target" "${runs:-0}" "$found"
done
