#!/usr/bin/env bash
# Builds the Debian package from the already-built build/ tree, checks its contents and control
# file, installs it as a user would (apt-get resolves its dependencies), runs the installed
# programs (the tool's version, its manual page, an upgrade of a fresh sample database, the
# editor without a display, the bash completion) and removes it again. Run as root; any failure
# ends the script with a message and a non-zero exit code.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
unset VORTAB_LIBRARY_DIR LD_LIBRARY_PATH

fail() { echo "package-check: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || fail "run as root (it installs and removes the package)"

work=$(mktemp -d)
installed=no
cleanup() {
  [ "$installed" = yes ] && apt-get remove -y vortab >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# --- build -----------------------------------------------------------------------------------
start=$SECONDS
rm -f build/vortab_*.deb
cmake --build build --target package >/dev/null
debs=(build/vortab_*_amd64.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one build/vortab_<version>_amd64.deb"
deb=${debs[0]}
echo "== built $deb in $((SECONDS - start)) s"

# --- contents and control file -----------------------------------------------------------------
version=$(dpkg-deb -f "$deb" Version)
[ "$deb" = "build/vortab_${version}_amd64.deb" ] || fail "file name $deb does not carry the version $version"
dpkg-deb -I "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
[ -n "$depends" ] || fail "the package has no Depends"
if grep -Eq -- '-dev\b' <<<"$depends"; then fail "Depends names a -dev package: $depends"; fi
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for path in ./usr/bin/vortab ./usr/bin/vortedit ./usr/lib/libvortab.so ./usr/lib/libparadox.so \
            ./usr/share/man/man1/vortab.1.gz ./usr/share/man/man1/vortedit.1.gz \
            ./usr/share/doc/vortedit/vortab-reference.html \
            ./usr/share/doc/vortab/copyright ./usr/share/doc/vortab/changelog.Debian.gz \
            ./usr/share/bash-completion/completions/vortab ./usr/share/applications/vortedit.desktop \
            ./usr/share/icons/hicolor/scalable/apps/vortedit.svg \
            ./usr/share/icons/hicolor/48x48/apps/vortedit.png; do
  grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
dpkg-deb -x "$deb" "$work/unpacked"
[ "$(dpkg-parsechangelog -l "$work/unpacked/usr/share/doc/vortab/changelog.Debian.gz" -S Version)" = "$version" ] \
  || fail "the changelog's newest entry is not version $version"
[[ "$(zcat "$work/unpacked/usr/share/man/man1/vortab.1.gz" | sed -n 1p)" == *"\"vortab $version\""* ]] \
  || fail "the manual page does not carry version $version"
echo "== contents, control file, changelog and manual page as expected (version $version)"

# --- install, run, remove ------------------------------------------------------------------------
dpkg -s vortab >/dev/null 2>&1 && apt-get remove -y vortab >/dev/null
start=$SECONDS
apt-get install -y "./$deb" >/dev/null
installed=yes
echo "== installed in $((SECONDS - start)) s"

echo "== /usr/bin/vortab --version"
/usr/bin/vortab --version | tee "$work/version"
[ "$(head -n1 "$work/version")" = "vortab $version" ] || fail "vortab --version does not show the package's version $version"
grep -q '^library .* /usr/lib/libvortab\.so$' "$work/version" || fail "the installed tool did not load /usr/lib/libvortab.so"

echo "== man -w vortab"
[ "$(man -w vortab)" = /usr/share/man/man1/vortab.1.gz ] || fail "man does not find the installed manual page"
man -w vortab

echo "== vortab apply examples/upgrade.txt on a fresh sample database"
build/examples/make_sample_database "$work/database" >/dev/null
/usr/bin/vortab apply examples/upgrade.txt "$work/database"
status=$(/usr/bin/vortab status examples/upgrade.txt "$work/database" --json)
grep -q '"pending": *\[\]' <<<"$status" || fail "steps still pending after the installed vortab applied the sample script"

echo "== vortedit without a display"
code=0
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/vortedit examples/upgrade.txt \
  >"$work/vortedit.log" 2>&1 || code=$?
if [ "$code" != 0 ] && [ "$code" != 124 ]; then
  cat "$work/vortedit.log" >&2
  fail "vortedit ended with exit code $code"
fi

echo "== bash completion"
bash -c 'source /usr/share/bash-completion/completions/vortab
         complete -p vortab
         COMP_WORDS=(vortab ap); COMP_CWORD=1; _vortab
         [ "${COMPREPLY[*]}" = apply ]' || fail "the bash completion does not complete \"vortab ap\" to apply"

apt-get remove -y vortab >/dev/null
installed=no
[ ! -e /usr/bin/vortab ] || fail "/usr/bin/vortab is still there after removing the package"
echo "== removed; package check passed"
