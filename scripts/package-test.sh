#!/bin/bash
# What a distribution checks, and an install on this machine: builds the package, validates the
# desktop entry, the AppStream metadata, the package (lintian) and the manual pages, installs it
# with apt, runs the installed orvelle-check (--version, and 3 names against a whois server on
# 127.0.0.1), starts the installed orvelle under Xvfb to its main window, removes the package
# and finds none of its files left. Run as root on a Debian 12 machine (CI does, after the tests).
#   scripts/package-test.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
[ "$(id -u)" -eq 0 ] || { echo "package-test.sh installs a package: run it as root" >&2; exit 2; }

scripts/install-deps.sh dpkg-dev file lintian desktop-file-utils appstream man-db xvfb xauth x11-utils
scripts/package.sh "$build"
deb="$(ls "$build"/orvelle_*.deb)"
echo "package: $deb, $(du -k "$deb" | cut -f1) KiB"
work="$(mktemp -d)"
trap 'rm -rf "$work"; [ -n "${whoisd:-}" ] && kill "$whoisd" 2>/dev/null; true' EXIT

echo "--- validators"
desktop-file-validate data/desktop/example.velquist.Orvelle.desktop
appstreamcli validate --no-net "$build/example.velquist.Orvelle.metainfo.xml"
lintian --allow-root "$deb" | tee "$work/lintian"
! grep -q '^E:' "$work/lintian"
for page in orvelle orvelle-check; do
    MANWIDTH=80 man -l "$build/man/$page.1.gz" > "$work/$page.txt"
    grep -q "^NAME" "$work/$page.txt"
done

echo "--- install"
DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb"
dpkg -L orvelle > "$work/files"
/usr/bin/orvelle-check --version | grep -qx "orvelle-check $(dpkg-query -W -f='${Version}' orvelle)"
/usr/bin/orvelle --version
if [ -e /usr/share/man/man1/orvelle-check.1.gz ]; then
    MANWIDTH=80 man orvelle-check | grep -q "orvelle-check"
else
    echo "dpkg's configuration here leaves manual pages out: man -l checked them above"
fi

echo "--- the installed orvelle-check against a whois server on 127.0.0.1"
"$build/orvelle-whoisd" --port 0 --free-pattern '^free' > "$work/whoisd" &
whoisd=$!
for _ in $(seq 100); do [ -s "$work/whoisd" ] && break; sleep 0.05; done
mkdir -p "$work/app"
printf 'com|127.0.0.1|%s|Enabled\r\n' "$(head -n1 "$work/whoisd")" > "$work/app/registrars.txt"
printf 'free-one\r\ntaken-two\r\nfree-three\r\n' > "$work/names.txt"
ORVELLE_APP_FOLDER="$work/app" ORVELLE_SETTINGS_DIR="$work/settings" \
    /usr/bin/orvelle-check --no-dns --host-limits "127.0.0.1=0/25" "$work/names.txt" > "$work/checked"
cat "$work/checked"
[ "$(grep -cP '^(High|Mid|Low)\tfree-(one|three)\.com' "$work/checked")" -eq 2 ]
grep -qP '^Registered\ttaken-two\.com' "$work/checked"

echo "--- the installed orvelle under Xvfb"
mkdir -p "$work/gui-app"
ORVELLE_APP_FOLDER="$work/gui-app" ORVELLE_SETTINGS_DIR="$work/gui-settings" QTWEBENGINE_DISABLE_SANDBOX=1 \
    QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu ORVELLE_SITE_ADDRESS=http://127.0.0.1:9/ \
    xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
        # The main window shows, and the word lists are copied from the install prefix into the
        # user'"'"'s folder.
        /usr/bin/orvelle & program=$!
        for _ in $(seq 120); do
            if xwininfo -root -tree | grep -q "\"Orvelle by Velquist\"" &&
                [ -n "$(find "$ORVELLE_APP_FOLDER" -iname AllTwoLetter.txt -size +0)" ]; then
                kill $program; exit 0
            fi
            sleep 0.5
        done
        kill $program; exit 1'
echo "main window shown, word lists copied"

echo "--- remove"
DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y orvelle
left=0
while read -r path; do
    if [ -e "$path" ] && [ ! -d "$path" ]; then echo "left behind: $path"; left=1; fi
done < "$work/files"
[ -d /usr/share/orvelle ] && { echo "left behind: /usr/share/orvelle"; left=1; }
[ "$left" -eq 0 ]
echo "package test passed"
