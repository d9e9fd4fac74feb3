#!/usr/bin/env bash
# Sets up, builds and runs the main job: checks the sample upgrade script.
set -euo pipefail
cd "$(dirname "$0")/.."
# Packages are installed as root, or through sudo when it is there.
if [ "$(id -u)" = 0 ]; then
  scripts/install-deps.sh
elif command -v sudo >/dev/null; then
  sudo scripts/install-deps.sh
fi
scripts/build.sh
build/cli/vortab check examples/upgrade.txt
