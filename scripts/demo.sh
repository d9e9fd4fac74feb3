#!/usr/bin/env bash
# Sets up, builds and runs the main job: creates the sample order database, applies the sample
# upgrade script to it with `vortab apply`, applies it again (every step is then skipped: the
# upgrade log shows it applied) and shows where the database stands with `vortab status`.
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
echo "== vortab apply examples/upgrade.txt $db"
build/cli/vortab apply examples/upgrade.txt "$db"
echo "== vortab apply examples/upgrade.txt $db   (again)"
build/cli/vortab apply examples/upgrade.txt "$db"
echo "== vortab status examples/upgrade.txt $db"
build/cli/vortab status examples/upgrade.txt "$db"
