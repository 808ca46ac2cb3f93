# Shared by bench/run.sh and bench/soundness.sh (sourced, not run).
#
# Sets REPO, BUILD, FBROOT, RUNNER, WORK (a fresh temporary directory,
# removed at exit together with whatever was started) and offers:
#   bench_build                    builds the service and the floors
#   bench_database FILE [growth]   the demo store database (plus the growth orders)
#   bench_server                   a private Firebird server on 127.0.0.1; sets SRV_PORT
#   bench_site DIR CAMINHO         DIR with the executables and a caminhoBDQuindar.ini
#   bench_case FILE NAME EXE INPUT PATH_INFO METHOD [ACTION]   a runner case file
set -euo pipefail

REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
case "${BUILD_DIR:-build}" in
  /*) BUILD="$BUILD_DIR" ;;
  *) BUILD="$REPO/${BUILD_DIR:-build}" ;;
esac
FBROOT="$BUILD/firebird"
RUNNER="$BUILD/bench/bench-runner"
WORK="$(mktemp -d /tmp/velmora-bench-XXXXXX)"
SRV_PID=""
LIGHTTPD_PID=""

# Asks a process of ours to end, and ends it after 5 s if it does not.
bench_stop() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

bench_cleanup() {
  set +e
  [ -n "$LIGHTTPD_PID" ] && bench_stop "$LIGHTTPD_PID"
  [ -n "$SRV_PID" ] && bench_stop "$SRV_PID"
  rm -rf "$WORK"
}
trap bench_cleanup EXIT

bench_build() {
  cmake -S "$REPO" -B "$BUILD" >/dev/null
  cmake --build "$BUILD" --target velmora.cgi hello attach-query bench-runner -j2 >/dev/null
}

bench_database() {
  FIREBIRD="$FBROOT" "$REPO/scripts/demo-db.sh" "$1" "$FBROOT" >/dev/null
  if [ "${2:-}" = growth ]; then
    awk -f "$REPO/bench/growth.awk" > "$WORK/growth.sql"
    FIREBIRD="$FBROOT" isql-fb -q -b -user SYSDBA -i "$WORK/growth.sql" "$1" >/dev/null
  fi
}

bench_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null ||
    echo $((20000 + RANDOM % 20000))
}

# A Firebird server of our own (Super mode), with its own root, port, lock
# directory and security database holding SYSDBA / masterkey.
bench_server() {
  local root="$WORK/fbserver"
  mkdir -p "$root/lock"
  for e in plugins intl firebird.msg plugins.conf; do ln -s "$(readlink -f "$FBROOT/$e")" "$root/$e"; done
  SRV_PORT=$(bench_free_port)
  cat > "$root/firebird.conf" <<CONF
ServerMode = Super
RemoteServicePort = $SRV_PORT
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $root/security3.fdb
IpcName = velmora_bench_$$
CONF
  echo "CREATE DATABASE '$root/security3.fdb';" > "$WORK/sec1.sql"
  echo "CREATE USER SYSDBA PASSWORD 'masterkey'; COMMIT;" > "$WORK/sec2.sql"
  FIREBIRD="$root" isql-fb -q -b -i "$WORK/sec1.sql" >/dev/null
  FIREBIRD="$root" isql-fb -q -b -i /usr/share/firebird/3.0/security.sql "$root/security3.fdb" >/dev/null
  FIREBIRD="$root" isql-fb -q -b -user SYSDBA -i "$WORK/sec2.sql" "$root/security3.fdb" >/dev/null
  FIREBIRD="$root" FIREBIRD_LOCK="$root/lock" /usr/sbin/firebird > "$root/server.out" 2>&1 &
  SRV_PID=$!
  for _ in $(seq 150); do
    (exec 3<>"/dev/tcp/127.0.0.1/$SRV_PORT") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "the Firebird server did not start" >&2
  cat "$root/server.out" >&2
  return 1
}

bench_site() {
  mkdir -p "$1"
  cp "$BUILD/velmora.cgi" "$BUILD/bench/hello" "$BUILD/bench/attach-query" "$1/"
  printf '[DATABASE]\nCAMINHO=%s\nUSUARIO=SYSDBA\nSENHA=masterkey\n' "$2" > "$1/caminhoBDQuindar.ini"
}

bench_case() {
  local file=$1 name=$2 exe=$3 input=$4 path=$5 method=$6 action=${7:-}
  {
    echo "$name"; echo "$exe"; echo "$input"
    echo "FIREBIRD=$FBROOT"
    echo "PATH=/usr/bin:/bin"
    echo "GATEWAY_INTERFACE=CGI/1.1"
    echo "SERVER_PROTOCOL=HTTP/1.1"
    echo "SERVER_SOFTWARE=bench"
    echo "SERVER_NAME=127.0.0.1"
    echo "SERVER_PORT=8080"
    echo "HTTP_HOST=127.0.0.1:8080"
    echo "REMOTE_ADDR=127.0.0.1"
    echo "REQUEST_METHOD=$method"
    echo "SCRIPT_NAME=/velmora.cgi"
    echo "PATH_INFO=$path"
    if [ "$method" = POST ]; then
      echo "CONTENT_TYPE=text/xml; charset=utf-8"
      echo "CONTENT_LENGTH=$(stat -c %s "$input")"
      echo "HTTP_SOAPACTION=\"urn:VelmoraIntf-IVelmora#$action\""
    fi
  } > "$file"
}

# Runs one case file once, standard output to stdout.
bench_run_once() {
  local file=$1; shift
  local exe input
  exe=$(sed -n 2p "$file"); input=$(sed -n 3p "$file")
  local -a vars
  mapfile -t vars < <(sed -n '4,$p' "$file")
  env -i "${vars[@]}" "$@" "$exe" < "$input"
}
