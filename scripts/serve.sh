#!/usr/bin/env bash
# Builds the service, creates the demo store database and serves the
# executable through lighttpd on 127.0.0.1:${PORT:-8080} until Ctrl-C.
#
# lighttpd runs in the foreground as the invoking user, and so does every
# CGI process it starts: that user must be able to write the Firebird lock
# directory (/tmp/firebird by default) and build/log/.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
# BUILD_DIR picks another build tree (relative to the project).
BUILD="$ROOT/${BUILD_DIR:-build}"
PORT=${PORT:-8080}
BIND=127.0.0.1

cmake -S . -B "$BUILD"
cmake --build "$BUILD" --target velmora.cgi -j"$(nproc)"

if [ -x scripts/demo-db.sh ]; then
  [ -f "$BUILD/demo.fdb" ] || scripts/demo-db.sh "$BUILD/demo.fdb" "$BUILD/firebird"
else
  echo "notice: scripts/demo-db.sh not found; serving without a demo database" >&2
fi

cat > "$BUILD/caminhoBDQuindar.ini" <<INI
[DATABASE]
CAMINHO=$BUILD/demo.fdb
USUARIO=SYSDBA
SENHA=masterkey
INI

SERVE="$BUILD/serve"
mkdir -p "$SERVE/docroot"
# The document root must stay empty.
find "$SERVE/docroot" -mindepth 1 -delete
sed -e "s|@BIND@|$BIND|g" -e "s|@PORT@|$PORT|g" -e "s|@DOCROOT@|$SERVE/docroot|g" \
    -e "s|@CGI@|$BUILD/velmora.cgi|g" -e "s|@FIREBIRD@|$BUILD/firebird|g" \
    -e "s|@ERRORLOG@|$SERVE/lighttpd-error.log|g" \
    scripts/lighttpd.conf.in > "$SERVE/lighttpd.conf"
lighttpd -tt -f "$SERVE/lighttpd.conf" >/dev/null

BASE="http://$BIND:$PORT/velmora.cgi"
cat <<MSG
Service page: $BASE/
WSDL:         $BASE/wsdl/IVelmora
Liveness check:
  curl -s -H 'Content-Type: text/xml; charset=utf-8' \\
       -H 'SOAPAction: "urn:VelmoraIntf-IVelmora#FVerificaAtividade"' \\
       --data '<?xml version="1.0"?><soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/"><soap:Body><FVerificaAtividade xmlns="urn:VelmoraIntf-IVelmora"/></soap:Body></soap:Envelope>' \\
       $BASE/soap/IVelmora
Press Ctrl-C to stop.
MSG

# An empty environment for the server and therefore for every CGI it
# starts; FIREBIRD comes from the configuration.
env -i PATH=/usr/sbin:/usr/bin:/bin lighttpd -D -f "$SERVE/lighttpd.conf" &
LIGHTTPD=$!
# Ctrl-C reaches the whole foreground group; either way lighttpd is asked to
# stop and waited for, so no server outlives the script.
trap 'kill -TERM $LIGHTTPD 2>/dev/null || true' INT TERM
wait $LIGHTTPD || true
wait $LIGHTTPD 2>/dev/null || true
echo "stopped"
