#!/usr/bin/env bash
# Installs what is missing (scripts/setup.sh), builds the service, creates
# the demo store database and serves the executable through lighttpd until
# Ctrl-C:
#
#   scripts/serve.sh [--listen ADDRESS] [--port PORT] [--fastcgi]
#
# The address and port default to 127.0.0.1 and 8080 (or LISTEN and PORT
# from the environment); a port that is taken is an error. BUILD_DIR picks
# another build tree (relative to the project). --fastcgi serves through
# lighttpd's mod_fastcgi with the package's 50-velmora-fastcgi.conf: two
# persistent workers that lighttpd starts and stops, instead of a process
# per request; the addresses and answers are the same.
#
# build/caminhoBDQuindar.ini is written for the demo database only when
# there is none: a configuration pointed at another database is kept.
#
# lighttpd runs in the foreground as the invoking user, and so does every
# CGI process (or worker) it starts: that user must be able to write the
# Firebird lock directory (FIREBIRD_LOCK, else /tmp/firebird, which isql-fb
# and scripts/velmora-call.sh use too) and build/log/.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD="$ROOT/${BUILD_DIR:-build}"
PORT=${PORT:-8080}
LISTEN=${LISTEN:-127.0.0.1}

MODE=()
usage() { echo "usage: $0 [--listen ADDRESS] [--port PORT] [--fastcgi]" >&2; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --fastcgi) MODE=(--fastcgi); shift ;;
    --port) [ $# -ge 2 ] || usage; PORT=$2; shift 2 ;;
    --port=*) PORT=${1#--port=}; shift ;;
    --listen) [ $# -ge 2 ] || usage; LISTEN=$2; shift 2 ;;
    --listen=*) LISTEN=${1#--listen=}; shift ;;
    -h|--help) usage ;;
    *) echo "$0: unknown argument $1" >&2; usage ;;
  esac
done
case "$PORT" in
  ''|*[!0-9]*) echo "$0: --port wants a number, not '$PORT'" >&2; exit 2 ;;
esac
[ "$PORT" -ge 1 ] && [ "$PORT" -le 65535 ] || { echo "$0: port $PORT is out of range" >&2; exit 2; }

scripts/setup.sh
cmake -S . -B "$BUILD"
cmake --build "$BUILD" --target velmora.cgi -j"$(nproc)"

[ -f "$BUILD/demo.fdb" ] || scripts/demo-db.sh "$BUILD/demo.fdb" "$BUILD/firebird"

INI="$BUILD/caminhoBDQuindar.ini"
DEMO_INI=$(printf '[DATABASE]\nCAMINHO=%s\nUSUARIO=SYSDBA\nSENHA=masterkey\n' "$BUILD/demo.fdb")
if [ ! -e "$INI" ]; then
  printf '%s\n' "$DEMO_INI" > "$INI"
elif [ "$(cat "$INI")" != "$DEMO_INI" ]; then
  echo "note: keeping $INI as it is (it is not the demo's); delete it to serve the demo database again" >&2
fi

SERVE="$BUILD/serve"
mkdir -p "$SERVE"
rm -f "$SERVE/lighttpd-error.log"
scripts/lighttpd-config.sh "${MODE[@]}" "$SERVE" "$LISTEN" "$PORT" "$BUILD" "$BUILD/firebird" "${FIREBIRD_LOCK:-/tmp/firebird}"

# An empty environment for the server and therefore for every CGI it
# starts; FIREBIRD and FIREBIRD_LOCK come from the configuration.
env -i PATH=/usr/sbin:/usr/bin:/bin lighttpd -D -f "$SERVE/lighttpd.conf" &
LIGHTTPD=$!
# Ctrl-C reaches the whole foreground group; either way lighttpd is asked to
# stop and waited for, so no server outlives the script.
trap 'kill -TERM $LIGHTTPD 2>/dev/null || true' INT TERM

# lighttpd has bound its port once it writes "server started" to its log;
# when it ends first, the port was taken (or the address is not this
# machine's).
for _ in $(seq 100); do
  if ! kill -0 "$LIGHTTPD" 2>/dev/null; then
    wait "$LIGHTTPD" 2>/dev/null || true
    echo "$0: lighttpd could not listen on $LISTEN:$PORT; is the port taken? (--port picks another)" >&2
    sed 's/^/  /' "$SERVE/lighttpd-error.log" >&2 2>/dev/null || true
    exit 1
  fi
  grep -q 'server started' "$SERVE/lighttpd-error.log" 2>/dev/null && break
  sleep 0.1
done

case "$LISTEN" in
  0.0.0.0|'') HOST=127.0.0.1 ;;
  *:*) HOST="[$LISTEN]" ;;
  *) HOST=$LISTEN ;;
esac
BASE="http://$HOST:$PORT/velmora.cgi"
cat <<MSG
Service page: $BASE/
WSDL:         $BASE/wsdl/IVelmora
Order 001/00000101 (type P) of the demo database, as its SOAP answer:
  curl -s -H 'Content-Type: text/xml; charset=utf-8' \\
       -H 'SOAPAction: "urn:VelmoraIntf-IVelmora#FRetornaPedido"' \\
       --data-binary @$ROOT/bench/requests/FRetornaPedido.xml \\
       $BASE/soap/IVelmora
Trace log:    $BUILD/log/
Press Ctrl-C to stop.
MSG

wait $LIGHTTPD || true
wait $LIGHTTPD 2>/dev/null || true
echo "stopped"
