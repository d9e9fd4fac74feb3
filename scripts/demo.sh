#!/usr/bin/env bash
# Sets up, builds and runs the main job: checks the sample upgrade script.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then scripts/install-deps.sh; fi
scripts/build.sh
build/cli/vortab check examples/upgrade.txt
