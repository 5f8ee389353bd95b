#!/usr/bin/env bash
# Checks the Debian package: unpacks it into a scratch root, looks for every installed file,
# validates the desktop entry, the AppStream metainfo and the manual page, compares the Depends
# line with the libraries the program and its front-end library link, and runs the unpacked
# `kovra --dump`, which reads per-process traffic in-process: the package holds no other program.
#   tests/package/check_package.sh [path/to/kovra_<version>_<arch>.deb]
# Without an argument it builds the package first (scripts/package.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."

deb=${1:-}
if [ -z "$deb" ]; then
  deb=$(bash scripts/package.sh | tail -1)
fi
[ -f "$deb" ] || { echo "check_package: no package at '$deb'" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

echo "-- files"
[ -x "$root/usr/bin/kovra" ] || fail "usr/bin/kovra missing or not executable"
others=$(cd "$root/usr/bin" && ls | grep -vx kovra || true)
[ -z "$others" ] || fail "unexpected programs in usr/bin: $others"
for f in usr/share/applications/com.example.Kovra.desktop \
         usr/share/icons/hicolor/scalable/apps/com.example.Kovra.svg \
         usr/share/icons/hicolor/symbolic/apps/com.example.Kovra-symbolic.svg \
         usr/share/metainfo/com.example.Kovra.metainfo.xml \
         usr/share/man/man1/kovra.1.gz \
         usr/share/doc/kovra/copyright \
         usr/share/doc/kovra/changelog.gz; do
  [ -s "$root/$f" ] || fail "$f missing or empty"
done
# The front end is one private library; kovra itself never loads the toolkit.
front=$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/kovra/libkovra-front.so
[ -f "$front" ] || fail "the front end's library is missing: ${front#"$root"}"
private=$(cd "$root/usr/lib" && find . -type f | grep -vx "./$(dpkg-architecture -qDEB_HOST_MULTIARCH)/kovra/libkovra-front.so" || true)
[ -z "$private" ] || fail "unexpected files in usr/lib: $private"
if objdump -p "$root/usr/bin/kovra" | awk '$1 == "NEEDED" { print $2 }' | grep -q '^libQt6'; then
  fail "usr/bin/kovra links the toolkit"
fi
if [ -f "$front" ]; then
  nm -D --defined-only "$front" | awk '{ print $NF }' | grep -qx kovra_front_main || fail "the front end's library exports no entry"
fi
# Nothing outside /usr, nothing writable by others.
extra=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$extra" ] || fail "unexpected top-level entries: $extra"
loose=$(find "$root" -perm -o+w ! -type l)
[ -z "$loose" ] || fail "world-writable: $loose"

echo "-- desktop entry, metainfo, manual page"
desktop-file-validate "$root/usr/share/applications/com.example.Kovra.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.example.Kovra.metainfo.xml" || fail "appstreamcli validate"
grep -qx 'Icon=com.example.Kovra' "$root/usr/share/applications/com.example.Kovra.desktop" || fail "desktop entry icon"
for svg in "$root"/usr/share/icons/hicolor/*/apps/*.svg; do
  python3 -c 'import sys, xml.etree.ElementTree as E; sys.exit(E.parse(sys.argv[1]).getroot().tag != "{http://www.w3.org/2000/svg}svg")' \
    "$svg" || fail "$(basename "$svg") is not an SVG document"
done
if command -v groff >/dev/null && command -v preconv >/dev/null; then
  warnings=$(zcat "$root/usr/share/man/man1/kovra.1.gz" | preconv | groff -man -Tutf8 -ww -z 2>&1 || true)
  [ -z "$warnings" ] || fail "manual page: $warnings"
fi

echo "-- dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
has_dep() { [[ ", $depends," == *", $1 "* || ", $depends," == *", $1,"* ]]; }
# Every library the programs link must come from a package the Depends line names.
for bin in "$root/usr/bin/kovra" "$front"; do
  [ -f "$bin" ] || continue
  for soname in $(objdump -p "$bin" | awk '$1 == "NEEDED" { print $2 }'); do
    # Each reader consumes its whole input: an early exit would end the writer with SIGPIPE,
    # which pipefail turns into a failed check.
    path=$(ldconfig -p | awk -v s="$soname" '$1 == s && !found { print $NF; found = 1 }')
    [ -n "$path" ] || { fail "$soname (needed by $(basename "$bin")) not found on this machine"; continue; }
    owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | awk -F: 'NR == 1 { print $1 }') ||
      owner=$(dpkg -S "$path" 2>/dev/null | awk -F: 'NR == 1 { print $1 }') || true
    [ -n "$owner" ] || { fail "no package owns $path"; continue; }
    has_dep "$owner" || fail "$soname comes from $owner, which Depends does not name"
  done
done
needed=$(objdump -p "$front" 2>/dev/null || true)
if [[ $needed == *NEEDED*libQt6* ]]; then
  for p in qt6-qpa-plugins libqt6svg6 fonts-dejavu-core; do
    has_dep "$p" || fail "Depends lacks $p"
  done
fi

echo "-- kovra --dump from the scratch root"
out=$scratch/dump.json
KOVRA_LOG=stderr timeout 60 "$root/usr/bin/kovra" --dump >"$out" || fail "kovra --dump exited with $?"
python3 - "$out" <<'PY' || fail "dump document"
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
allowed = {"memory", "cpu", "network", "disk", "processes", "battery", "processNetwork", "errors", "timestamp"}
assert set(doc) <= allowed, f"unknown keys {set(doc) - allowed}"
assert "timestamp" in doc and isinstance(doc["errors"], list), "timestamp or errors missing"
assert not [e for e in doc["errors"] if "nettop" in e], "the dump still runs a traffic program"
print("keys:", ", ".join(sorted(doc)), "| errors:", doc["errors"])
PY
size=$(stat -c %s "$deb")
echo "package: $deb, $size bytes"
[ "$failures" -eq 0 ] || { echo "check_package: $failures failure(s)" >&2; exit 1; }
echo "check_package: ok"
