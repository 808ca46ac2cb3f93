# Shared by bench/run.sh and bench/soundness.sh (sourced, not run).
#
# Sets REPO, BUILD, FBROOT, RUNNER, WORK (a fresh temporary directory,
# removed at exit together with whatever was started) and offers:
#   bench_build                    builds the service and the floors
#   bench_database FILE [growth]   the demo store database (plus the growth orders)
#   bench_server                   a private Firebird server on 127.0.0.1; sets SRV_PORT
#   bench_site DIR CAMINHO         DIR with the executables and a caminhoBDQuindar.ini
#   bench_case FILE NAME EXE INPUT PATH_INFO METHOD [ACTION]   a runner case file
#   bench_to_ms WRK-TIME / bench_ratio A B / bench_verdict R le|ge T   for the tables
# Whatever else a script starts in the background it adds to BENCH_PIDS.
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
BENCH_PIDS=()

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
  local pid
  for pid in "${BENCH_PIDS[@]}"; do bench_stop "$pid"; done
  [ -n "$SRV_PID" ] && bench_stop "$SRV_PID"
  rm -rf "$WORK"
}
trap bench_cleanup EXIT

bench_build() {
  cmake -S "$REPO" -B "$BUILD" >/dev/null
  cmake --build "$BUILD" --target velmora.cgi hello attach-query fcgi-floor bench-runner -j2 >/dev/null
}

bench_database() {
  FIREBIRD="$FBROOT" "$REPO/scripts/demo-db.sh" "$1" "$FBROOT" >/dev/null
  if [ "${2:-}" = growth ]; then
    awk -f "$REPO/bench/growth.awk" > "$WORK/growth.sql"
    FIREBIRD="$FBROOT" isql-fb -q -b -user SYSDBA -i "$WORK/growth.sql" "$1" >/dev/null
  fi
}

source "$REPO/scripts/fbserver.sh"
bench_free_port() { fbserver_free_port; }

# The private Firebird server of scripts/fbserver.sh; sets SRV_PORT.
bench_server() {
  fbserver_start "$WORK/fbserver" "$FBROOT"
  SRV_PORT=$FBSRV_PORT
  SRV_PID=$FBSRV_PID
}

bench_site() {
  mkdir -p "$1"
  cp "$BUILD/velmora.cgi" "$BUILD/bench/hello" "$BUILD/bench/attach-query" "$BUILD/bench/fcgi-floor" "$1/"
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

# A wrk latency ("812.00us", "1.20ms", "1.03s") in milliseconds.
bench_to_ms() {
  awk -v v="$1" 'BEGIN { if (v ~ /us$/) printf "%.2f", v / 1000; else if (v ~ /ms$/) printf "%.2f", v + 0;
                         else if (v ~ /s$/) printf "%.2f", v * 1000; else print v }'
}
bench_ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 == 0) print "-"; else printf "%.2f", a / b }'; }
bench_verdict() {
  awk -v r="$1" -v op="$2" -v t="$3" 'BEGIN { if (r == "-" || r == "") print "";
    else if ((op == "le" && r + 0 <= t) || (op == "ge" && r + 0 >= t)) print "met"; else print "NOT met" }'
}
