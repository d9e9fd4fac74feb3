#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the package check need (run as root):
# dpkg-dev gives dpkg-shlibdeps (the package's Depends), man-db and file what the check runs;
# sqlite3 and postgresql are what the SQL export's tests load their output into.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev
          libbenchmark-dev pxlib-dev locales qt6-base-dev libqscintilla2-qt6-dev
          poppler-utils fonts-dejavu-core dpkg-dev man-db file
          libsqlite3-dev sqlite3 postgresql)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ "${1:-}" = "--always" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${packages[@]}"
fi
# The real locales the locale-dependent tests use (they skip where these are missing).
if [ -f /etc/locale.gen ] && [ "$(locale -a 2>/dev/null | grep -ciE '^(de_DE|en_US)\.utf-?8$')" -lt 2 ]; then
  sed -i -e 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' -e 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  locale-gen >/dev/null
fi
