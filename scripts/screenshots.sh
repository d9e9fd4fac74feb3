#!/usr/bin/env bash
# Renders the editor's windows on a virtual X display into doc/screenshots/: the main window
# with the sample script, and the dialogs as the widget suites leave them (run after a build;
# needs xvfb, xauth and imagemagick).
set -euo pipefail
cd "$(dirname "$0")/.."
out=doc/screenshots
mkdir -p "$out"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
  set -e
  export QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$1" VORTAB_DATE_ORDER=DMY VORTEDIT_SCREENSHOTS="$2"
  for suite in test_editor_settings test_select_database test_upgrade_info test_main_window; do
    build/tests/ui/$suite >/dev/null
  done
' _ "$config" "$out"
ls "$out"
