#!/usr/bin/env bash
# Looks at the service page the way a person would: serves the demo
# (scripts/serve.sh), lets headless Chromium render the service
# information page into <build>/service-page.png, then checks in the
# browser's own DOM that the page shows both interfaces and that every link
# on it answers.  Run by hand; not part of the test suite.
#
#   scripts/screenshot.sh        PORT (default 8089) and BUILD_DIR as for serve.sh
#
# Chromium (Debian package "chromium") is installed on first use when
# missing; that needs root or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD="$ROOT/${BUILD_DIR:-build}"
PORT=${PORT:-8089}
BASE="http://127.0.0.1:$PORT/velmora.cgi"
SHOT="$BUILD/service-page.png"

if ! command -v chromium >/dev/null; then
  echo "chromium not found: installing the Debian package" >&2
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO -E apt-get install -y -qq --no-install-recommends chromium
fi

work=$(mktemp -d)
SERVER=""
cleanup() {
  if [ -n "$SERVER" ]; then
    kill -TERM "$SERVER" 2>/dev/null || true
    wait "$SERVER" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

PORT=$PORT BUILD_DIR="${BUILD_DIR:-build}" scripts/serve.sh >"$work/serve.log" 2>&1 &
SERVER=$!
# serve.sh builds first; give it time.
for _ in $(seq 1 600); do
  curl -sf -o /dev/null "$BASE/" && break
  kill -0 "$SERVER" 2>/dev/null || { cat "$work/serve.log" >&2; echo "screenshot: the demo server did not start" >&2; exit 1; }
  sleep 1
done
curl -sf -o /dev/null "$BASE/" || { echo "screenshot: no answer from $BASE/" >&2; exit 1; }

browser() {
  chromium --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update \
    --disable-sync --no-first-run --user-data-dir="$work/profile-$1" "${@:2}" 2>>"$work/chromium.log"
}

rm -f "$SHOT"
browser shot --hide-scrollbars --window-size=1280,900 --screenshot="$SHOT" "$BASE/" >/dev/null
[ -s "$SHOT" ] || { cat "$work/chromium.log" >&2; echo "screenshot: no image was written" >&2; exit 1; }
browser dom --dump-dom "$BASE/" >"$work/dom.html"

fail=0
for intf in IVelmora IWSDLPublish; do
  if grep -q "<a class=\"IntfName\" href=\"$BASE?intf=$intf\">$intf</a>" "$work/dom.html"; then
    echo "shown: $intf"
  else
    echo "NOT SHOWN: $intf" >&2
    fail=1
  fi
done

# Every link of the rendered page, as the browser resolved it.
grep -o 'href="[^"]*"' "$work/dom.html" | sed -e 's/^href="//' -e 's/"$//' -e 's/&amp;/\&/g' | sort -u >"$work/links"
[ -s "$work/links" ] || { echo "screenshot: the page has no links" >&2; fail=1; }
while read -r link; do
  answer=$(curl -s -o "$work/body" -w '%{http_code} %{content_type}' "$link" || echo "000 -")
  if [ "${answer%% *}" = 200 ] && [ -s "$work/body" ]; then
    echo "answers: $link ($answer)"
  else
    echo "BROKEN: $link ($answer)" >&2
    fail=1
  fi
done <"$work/links"

echo "screenshot: $SHOT"
exit $fail
