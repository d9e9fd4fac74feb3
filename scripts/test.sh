#!/usr/bin/env bash
# Builds and runs every test suite; --sanitize uses the address/undefined-behaviour build.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build; [ "${1:-}" = "--sanitize" ] && dir=build-sanitize
scripts/build.sh "$@"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
