#!/usr/bin/env bash
# Sets up, builds and runs the main job: creates the sample order database, checks the sample
# upgrade script, applies it (then again: every step that changed the database is then already
# done) and shows the upgraded tables.
set -euo pipefail
cd "$(dirname "$0")/.."
# Packages are installed as root, or through sudo when it is there.
if [ "$(id -u)" = 0 ]; then
  scripts/install-deps.sh
elif command -v sudo >/dev/null; then
  sudo scripts/install-deps.sh
fi
scripts/build.sh
db=build/sample-database
rm -rf "$db"
build/examples/make_sample_database "$db"
build/cli/vortab check examples/upgrade.txt
echo "== applying examples/upgrade.txt to $db"
build/examples/apply_steps "$db" examples/upgrade.txt
echo "== applying it again"
build/examples/apply_steps "$db" examples/upgrade.txt
build/cli/vortab info "$db"
