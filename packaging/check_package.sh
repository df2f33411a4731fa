#!/usr/bin/env bash
# Checks the package that `./build.sh package` made:
#   packaging/check_package.sh BUILD_DIR            lintian without errors, a valid
#                                                  desktop entry and AppStream data
#   packaging/check_package.sh BUILD_DIR --install  also, on a throw-away machine as
#       root: apt-get installs it, taviocr-cli from the PATH prints the version and
#       recognises a picture through the loopback cloud services, and a purge leaves
#       nothing of it behind
set -euo pipefail
build=$(cd "$1" && pwd)
deb=$(ls "$build"/taviocr_*_amd64.deb)
version=$(dpkg-deb -f "$deb" Version)

lintian --fail-on error --tag-display-limit 0 "$deb"
desktop-file-validate "$build/packaging/generated/taviocr.desktop"
appstreamcli validate --no-net "$build/packaging/generated/com.taviocr.TaviOCR.metainfo.xml"
echo "Package $deb: lintian, desktop entry and AppStream data pass"

[ "${2:-}" = --install ] || exit 0

scratch=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "Package check failed: $*" >&2; exit 1; }

DEBIAN_FRONTEND=noninteractive apt-get install --reinstall -y -qq "$deb" >/dev/null
[ "$(command -v taviocr-cli)" = /usr/bin/taviocr-cli ] || fail "taviocr-cli is not on the PATH"
[ "$(taviocr-cli --version)" = "taviocr-cli $version" ] || fail "taviocr-cli --version"
[ "$(taviocr --version)" = "taviocr $version" ] || fail "taviocr --version"
# The post-install script made the machine code and recorded the version.
store=$(iconv -f UTF-16 -t UTF-8 /var/lib/taviocr/machine.reg | tr -d '\r')
grep -q '^uid=sz:.\{16\}$' <<<"$store" || fail "no machine code in /var/lib/taviocr: $store"
grep -qx "Version=sz:$version" <<<"$store" || fail "the store does not name version $version"
[ "$(stat -c %a /var/lib/taviocr/machine.reg)" = 644 ] || fail "machine.reg is not 0644"

# A recognition through the installed program, with the service keys of the
# loopback services set as an administrator sets the real ones.
"$build/tests/fake_cloud_server" >"$scratch/endpoints.ini" &
server=$!
until grep -q '^; ALISK=' "$scratch/endpoints.ini" 2>/dev/null; do
  kill -0 "$server" 2>/dev/null || fail "the loopback cloud did not start"
  sleep 0.1
done
for key in AAK ASK ALIAK ALISK; do
  value=$(sed -n "s/^; $key=//p" "$scratch/endpoints.ini")
  for file in /usr/lib/taviocr/language/*.dat; do
    /usr/lib/taviocr/taviocr-lang set "$file" Text "$key" "$value"
  done
done
convert -size 240x80 xc:white "$scratch/page.png"
text=$(cd "$scratch" && TAVIOCR_ENDPOINTS="$scratch/endpoints.ini" taviocr-cli --engine cloud page.png)
grep -q "Hello TaviOCR" <<<"$text" || fail "no text from the installed taviocr-cli: $text"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq taviocr >/dev/null
for left in /usr/lib/taviocr /var/lib/taviocr /usr/bin/taviocr /usr/bin/taviocr-cli \
            /usr/share/applications/taviocr.desktop /usr/share/doc/taviocr; do
  [ ! -e "$left" ] || fail "$left is left after the purge"
done
! dpkg -s taviocr >/dev/null 2>&1 || fail "taviocr is still known to dpkg"
echo "Package $deb: installs, recognises, and purges cleanly"
