#!/usr/bin/env bash
# What a run of requests leaves behind: the service under lighttpd (CGI)
# on 127.0.0.1 answers FRetornaPedido N times (ab, 2 at a time) over the
# demo database, embedded (Classic root) or through a private Firebird
# server; then the Firebird lock directory is counted, lighttpd's error log
# is searched for CGI processes ended by a signal, and no process of the
# service may remain.
#
#   scripts/lockdir-check.sh [requests, default 10000] [embedded|server]
#
# BUILD_DIR picks the build tree (default build). Not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
COUNT=${1:-10000}
MODE=${2:-embedded}
case $MODE in embedded | server) ;; *) echo "usage: $0 [requests] [embedded|server]" >&2; exit 2 ;; esac
BUILD="$ROOT/${BUILD_DIR:-build}"
[ ! -f "$BUILD/CMakeCache.txt" ] || cmake --build "$BUILD" --target velmora.cgi -j2 >/dev/null

WORK=$(mktemp -d /tmp/velmora-lockdir-XXXXXX)
chmod 755 "$WORK"
LIGHTTPD=
source scripts/fbserver.sh
cleanup() {
  [ -n "$LIGHTTPD" ] && kill -TERM "$LIGHTTPD" 2>/dev/null && wait "$LIGHTTPD" 2>/dev/null || true
  fbserver_stop
  rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$WORK/svc" "$WORK/docroot" "$WORK/lock"
cp "$BUILD/velmora.cgi" "$WORK/svc/"
scripts/demo-db.sh "$WORK/demo.fdb" "$BUILD/firebird" >/dev/null
database="$WORK/demo.fdb"
if [ "$MODE" = server ]; then
  fbserver_start "$WORK/fbsrv" "$BUILD/firebird"
  database="127.0.0.1/$FBSRV_PORT:$WORK/demo.fdb"
fi
printf '[DATABASE]\nCAMINHO=%s\nUSUARIO=SYSDBA\nSENHA=masterkey\n' "$database" > "$WORK/svc/caminhoBDQuindar.ini"

port=$(fbserver_free_port)
cat > "$WORK/lighttpd.conf" <<CONF
server.modules = ("mod_alias", "mod_setenv", "mod_cgi")
server.bind = "127.0.0.1"
server.port = $port
server.document-root = "$WORK/docroot"
server.errorlog = "$WORK/error.log"
\$HTTP["url"] =~ "^/velmora\.cgi(/|\$)" {
  alias.url = ("/velmora.cgi" => "$WORK/svc/velmora.cgi")
  cgi.assign = ("" => "")
  setenv.add-environment = ("FIREBIRD" => "$BUILD/firebird", "FIREBIRD_LOCK" => "$WORK/lock")
}
cgi.limits = ("read-timeout" => 20, "write-timeout" => 20)
CONF
env -i PATH=/usr/sbin:/usr/bin:/bin lighttpd -D -f "$WORK/lighttpd.conf" &
LIGHTTPD=$!
for _ in $(seq 50); do curl -s -o /dev/null "http://127.0.0.1:$port/velmora.cgi/" && break; sleep 0.1; done

url="http://127.0.0.1:$port/velmora.cgi/soap/IVelmora"
first=$(curl -s -H 'Content-Type: text/xml; charset=utf-8' -H 'SOAPAction: "urn:VelmoraIntf-IVelmora#FRetornaPedido"' \
  --data-binary @bench/requests/FRetornaPedido.xml "$url")
grep -q '&lt;Pedido&gt;' <<<"$first" || { echo "FRetornaPedido does not answer its document:" >&2; head -c 400 <<<"$first" >&2; exit 1; }
sleep 1
before=$(ls -A "$WORK/lock" | wc -l)

start=$SECONDS
ab -q -n "$COUNT" -c 2 -p bench/requests/FRetornaPedido.xml -T 'text/xml; charset=utf-8' \
  -H 'SOAPAction: "urn:VelmoraIntf-IVelmora#FRetornaPedido"' "$url" > "$WORK/ab.txt"
# The last processes finish their trace lines and detach after their answer.
sleep 2
failed=$(awk '/^Failed requests:/ {print $3}' "$WORK/ab.txt")
non2xx=$(awk '/^Non-2xx responses:/ {print $3}' "$WORK/ab.txt")
after=$(ls -A "$WORK/lock" | wc -l)
signals=$(grep -ciE 'signal|died|segmentation' "$WORK/error.log" || true)
left=$(pgrep -fc "$WORK/svc/velmora.cgi" || true)
finished=$(grep -ac 'Log finalizado' "$WORK/svc/log/"*.txt || true)
# The page that showed the server is up, the first call, then the run.
echo "$MODE: $((COUNT + 2)) requests in $((SECONDS - start)) s; failed ${failed:-0}, non-2xx ${non2xx:-0}"
echo "  lock directory: $before entries after 2 requests, $after after $((COUNT + 2)): $(ls -A "$WORK/lock" | tr '\n' ' ')"
echo "  lighttpd error log lines about signals: $signals; service processes left: $left; finish banners: $finished"
[ "$after" -le "$before" ] && [ "$signals" = 0 ] && [ "$left" = 0 ] && [ "${failed:-0}" = 0 ] &&
  [ "$finished" = $((COUNT + 2)) ]
