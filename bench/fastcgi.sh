#!/usr/bin/env bash
# The persistent mode's benchmark: FRetornaPedido through lighttpd with wrk,
# five programs side by side in one run, interleaved:
#
#   attach-query   the CGI floor (bench/attach-query.c), one process a request
#   cgi            the service as a CGI program
#   fcgi           the service in FastCGI mode (mod_fastcgi bin-path, max-procs 2)
#   warm           the warm floor (bench/fcgi-floor.c), the same way
#   warm-prep      the warm floor preparing its statement in every request
#   php            PHP's SoapServer under php-fpm (bench/php/velmora-soapserver.php,
#                  persistent PDO connection, a static pool of 2 children)
#
# each at concurrency 1, 2 and 50, embedded (Classic mode) and through a
# private Firebird server; then the soak: the RSS of a lone FastCGI worker
# (max-procs 1) after 1,000 and after 100,000 requests.
#
#   bench/fastcgi.sh        (BUILD_DIR=<dir> picks another build tree)
#
# Knobs: FCGI_WRK_SECONDS (10 s a run), FCGI_CONCURRENCY ("1 2 50"),
# FCGI_PROGRAMS (the names above, all of them),
# FCGI_PROCS (workers per FastCGI program and php-fpm children, 2),
# SOAK_FIRST (1000), SOAK_REQUESTS (100000; 0 skips the soak).
# Before anything is timed every program must answer the order documents of
# the demo orders as the service's CGI answers them (see check below).
# Run it on a quiet machine: it prints the load average before and after.
source "$(dirname "$0")/common.sh"

FCGI_WRK_SECONDS=${FCGI_WRK_SECONDS:-10}
FCGI_CONCURRENCY=${FCGI_CONCURRENCY:-1 2 50}
FCGI_PROCS=${FCGI_PROCS:-2}
SOAK_FIRST=${SOAK_FIRST:-1000}
SOAK_REQUESTS=${SOAK_REQUESTS:-100000}
REQ="$REPO/bench/requests"
PHP_FPM=$(command -v php-fpm8.2 || command -v php-fpm || echo /usr/sbin/php-fpm8.2)
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
START=$SECONDS

for tool in wrk lighttpd curl isql-fb "$PHP_FPM"; do
  command -v "$tool" >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done
# (grep -q ending first would make php's SIGPIPE fail the pipeline)
grep -qx PDO_Firebird <<<"$(php -m 2>/dev/null)" || { echo "$0: PHP has no PDO_Firebird (php8.2-interbase)" >&2; exit 1; }
echo "building..." >&2
bench_build
echo "databases and server..." >&2
bench_database "$WORK/emb.fdb"
cp "$WORK/emb.fdb" "$WORK/srv.fdb"
cp "$WORK/emb.fdb" "$WORK/soak.fdb"
bench_server
bench_site "$WORK/emb" "$WORK/emb.fdb"
bench_site "$WORK/srv" "127.0.0.1/$SRV_PORT:$WORK/srv.fdb"
bench_site "$WORK/soak" "$WORK/soak.fdb"
for s in emb srv; do cp "$REPO/bench/php/velmora-soapserver.php" "$WORK/$s/"; done

# php-fpm: one pool a site, a fixed number of children, a unix socket here.
# Run as root (CI, the build machine) it needs -R.
{
  printf '[global]\npid = %s\nerror_log = %s\ndaemonize = no\n' "$WORK/php-fpm.pid" "$WORK/php-fpm.log"
  for s in emb srv; do
    cat <<POOL
[$s]
user = $(id -un)
group = $(id -gn)
listen = $WORK/php-$s.sock
pm = static
pm.max_children = $FCGI_PROCS
pm.max_requests = 0
clear_env = yes
env[FIREBIRD] = $FBROOT
env[PATH] = /usr/bin:/bin
catch_workers_output = yes
POOL
  done
} > "$WORK/php-fpm.conf"
FPM_ROOT=(); [ "$(id -u)" -eq 0 ] && FPM_ROOT=(-R)

HTTP_PORT=$(bench_free_port)
BASE="http://127.0.0.1:$HTTP_PORT"
mkdir -p "$WORK/docroot"
# /<site>/velmora.cgi and /<site>/attach-query: CGI; /<site>/fcgi/velmora.cgi
# and /<site>/fcgi/fcgi-floor: FastCGI programs started by lighttpd;
# /<site>/velmora-soapserver.php: php-fpm; /soak/fcgi/velmora.cgi: one worker.
fastcgi_program() { # url-prefix executable socket procs [prepare-each]
  cat <<BACKEND
  "$1" => (( "socket" => "$3", "bin-path" => "$2", "max-procs" => $4, "check-local" => "disable",
             "bin-environment" => ("FIREBIRD" => "$FBROOT", "FLOOR_PREPARE_EACH" => "${5:-0}") )),
BACKEND
}
{
  cat <<CONF
server.modules = ("mod_alias", "mod_setenv", "mod_cgi", "mod_fastcgi")
server.bind = "127.0.0.1"
server.port = $HTTP_PORT
server.document-root = "$WORK/docroot"
server.errorlog = "$WORK/lighttpd-error.log"
server.max-connections = 256
alias.url = ("/emb/" => "$WORK/emb/", "/srv/" => "$WORK/srv/")
\$HTTP["url"] =~ "^/(emb|srv)/(velmora\\.cgi|attach-query)(/|\$)" {
  cgi.assign = ("" => "")
}
setenv.add-environment = ("FIREBIRD" => "$FBROOT")
fastcgi.server = (
CONF
  for s in emb srv; do
    fastcgi_program "/$s/fcgi/velmora.cgi" "$WORK/$s/velmora.cgi" "$WORK/fcgi-$s.sock" "$FCGI_PROCS"
    fastcgi_program "/$s/fcgi/fcgi-floor" "$WORK/$s/fcgi-floor" "$WORK/warm-$s.sock" "$FCGI_PROCS"
    fastcgi_program "/$s/fcgi/prepare-floor" "$WORK/$s/fcgi-floor" "$WORK/warm-prep-$s.sock" "$FCGI_PROCS" 1
    echo "  \"/$s/velmora-soapserver.php\" => (( \"socket\" => \"$WORK/php-$s.sock\" )),"
  done
  fastcgi_program "/soak/fcgi/velmora.cgi" "$WORK/soak/velmora.cgi" "$WORK/fcgi-soak.sock" 1
  echo ")"
} > "$WORK/lighttpd.conf"
echo "lighttpd and php-fpm..." >&2
env -i PATH=/usr/sbin:/usr/bin:/bin lighttpd -D -f "$WORK/lighttpd.conf" &
LIGHTTPD_PID=$!
for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$HTTP_PORT") 2>/dev/null && break; sleep 0.1; done

# The PHP peer's WSDL: the service's own, its location pointing at the peer.
for s in emb srv; do
  curl -sf "$BASE/$s/velmora.cgi/wsdl/IVelmora" |
    sed "s#<soap:address location=\"[^\"]*\"#<soap:address location=\"$BASE/$s/velmora-soapserver.php\"#" \
      > "$WORK/$s/IVelmora.wsdl"
  grep -q "velmora-soapserver.php" "$WORK/$s/IVelmora.wsdl" || { echo "$0: no WSDL from the service ($s)" >&2; exit 1; }
done
"$PHP_FPM" "${FPM_ROOT[@]}" -F -y "$WORK/php-fpm.conf" > "$WORK/php-fpm.out" 2>&1 &
FPM_PID=$!
BENCH_PIDS+=("$FPM_PID")
for _ in $(seq 100); do [ -S "$WORK/php-srv.sock" ] && break; sleep 0.1; done

post() { # url action body-file [headers-file]
  curl -s -o - ${4:+-D "$4"} -H 'Content-Type: text/xml; charset=utf-8' \
    -H "SOAPAction: \"urn:VelmoraIntf-IVelmora#$2\"" --data-binary @"$3" "$1"
}

# Every program answers before it is timed, for the demo orders, one that
# has no customer row and one that is not there: the service in FastCGI
# mode and the warm floor with the CGI answer's bytes (body and
# Content-Type); the PHP peer with the same order document in its <return>
# (its envelope is its own); the CGI floor with its fixed-shape document.
echo "checking the answers..." >&2
mkdir -p "$WORK/check"
for order in 00000101 00000102 00000103 00000104 00000105 00000999; do
  body="$WORK/check/$order.xml"
  sed "s#<CodPedido xsi:type=\"xsd:string\">00000101<#<CodPedido xsi:type=\"xsd:string\">$order<#" \
    "$REQ/FRetornaPedido.xml" > "$body"
  for s in emb srv; do
    k="$WORK/check/$s.$order"
    post "$BASE/$s/velmora.cgi/soap/IVelmora" FRetornaPedido "$body" "$k.cgi.head" > "$k.cgi"
    grep -q '<NS1:FRetornaPedidoResponse' "$k.cgi" || { echo "$0: $s cgi answers:" >&2; head -c 600 "$k.cgi" >&2; exit 1; }
    for p in fcgi/velmora.cgi fcgi/fcgi-floor fcgi/fcgi-floor-prep; do
      post "$BASE/$s/$p/soap/IVelmora" FRetornaPedido "$body" "$k.head" > "$k.out"
      if ! cmp -s "$k.cgi" "$k.out" || [ "$(grep -i '^Content-Type' "$k.head")" != "$(grep -i '^Content-Type' "$k.cgi.head")" ]; then
        echo "$0: $s/$p answers order $order unlike the CGI:" >&2; diff <(cat "$k.cgi.head" "$k.cgi") <(cat "$k.head" "$k.out") | head -20 >&2
        exit 1
      fi
    done
    # An empty string: <return .../> in ours, <return ...></return> in PHP's.
    post "$BASE/$s/velmora-soapserver.php" FRetornaPedido "$body" > "$k.php"
    want=$(grep -o '<return xsi:type="xsd:string"\(/>\|>.*</return>\)' "$k.cgi" | sed 's#"/>$#"></return>#')
    got=$(grep -o '<return xsi:type="xsd:string">.*</return>' "$k.php" || true)
    [ -n "$want" ] && [ "$want" = "$got" ] || {
      echo "$0: $s/php answers order $order with another document:" >&2; diff <(echo "$want") <(echo "$got") >&2; exit 1; }
  done
done
for s in emb srv; do
  grep -qF '&lt;Pedido&gt;&lt;CODEMPRESA&gt;001' <<<"$(post "$BASE/$s/attach-query/soap/IVelmora" FRetornaPedido \
    "$REQ/FRetornaPedido.xml")" || { echo "$0: $s/attach-query gives no order document" >&2; exit 1; }
done

# The PHP peer's connections are persistent: after the checks above, no
# more attachments of php-fpm to the server than it has children.
echo "SELECT COUNT(*) FROM MON\$ATTACHMENTS WHERE MON\$REMOTE_PROCESS CONTAINING 'php-fpm';" > "$WORK/php-attachments.sql"
PHP_ATTACHMENTS=$(FIREBIRD="$FBROOT" isql-fb -q -b -user SYSDBA -password masterkey -i "$WORK/php-attachments.sql" \
  "127.0.0.1/$SRV_PORT:$WORK/srv.fdb" | awk 'NF { v = $NF } END { print v }')
[ "${PHP_ATTACHMENTS:-0}" -ge 1 ] && [ "$PHP_ATTACHMENTS" -le "$FCGI_PROCS" ] ||
  { echo "$0: php-fpm holds ${PHP_ATTACHMENTS:-no} attachments to the server, its pool $FCGI_PROCS children" >&2; exit 1; }

# The FastCGI workers and php-fpm's children are all up by now (every
# program answered above); any other child of lighttpd is a CGI process.
# A run at 50 clients of a CGI program can leave some still ending (each
# one an embedded attachment in the lock table the next program shares):
# every run waits for them first, up to 10 s.
FCGI_WORKERS=" $(pgrep -P "$LIGHTTPD_PID" | tr '\n' ' ') "
settle() {
  local pid left
  for _ in $(seq 100); do
    left=0
    for pid in $(pgrep -P "$LIGHTTPD_PID"); do [[ $FCGI_WORKERS == *" $pid "* ]] || left=1; done
    [ "$left" = 0 ] && return 0
    sleep 0.1
  done
}

declare -A RPS LP50 LP99 ERR
wrk_run() { # key concurrency url
  settle
  local key=$1 conc=$2 out threads=$(( $2 < 2 ? $2 : 2 ))
  out=$(BENCH_ACTION=FRetornaPedido BENCH_BODY="$REQ/FRetornaPedido.xml" \
        wrk -t"$threads" -c"$conc" -d"${FCGI_WRK_SECONDS}s" --timeout 5s --latency -s "$REPO/bench/post.lua" "$3")
  RPS[$key]=$(awk '/^Requests\/sec:/ { print $2 }' <<<"$out")
  LP50[$key]=$(bench_to_ms "$(awk '$1 == "50%" { print $2 }' <<<"$out")")
  LP99[$key]=$(bench_to_ms "$(awk '$1 == "99%" { print $2 }' <<<"$out")")
  local non2xx sock
  non2xx=$(awk '/Non-2xx/ { print $NF }' <<<"$out")
  sock=$(awk '/Socket errors/ { n = 0; for (i = 1; i <= NF; ++i) if ($i ~ /^[0-9]+,?$/) n += $i; print n }' <<<"$out")
  ERR[$key]=$(( ${non2xx:-0} + ${sock:-0} ))
  [ "$(awk '/ requests in / { print $1 }' <<<"$out")" != 0 ] || { echo "$0: $key: no answer at all:" >&2; echo "$out" >&2; }
}
PROGRAMS=${FCGI_PROGRAMS:-attach-query cgi fcgi warm warm-prep php}
url_of() { # program site
  case $1 in
    attach-query) echo "$BASE/$2/attach-query/soap/IVelmora" ;;
    cgi) echo "$BASE/$2/velmora.cgi/soap/IVelmora" ;;
    fcgi) echo "$BASE/$2/fcgi/velmora.cgi/soap/IVelmora" ;;
    warm) echo "$BASE/$2/fcgi/fcgi-floor/soap/IVelmora" ;;
    warm-prep) echo "$BASE/$2/fcgi/prepare-floor/soap/IVelmora" ;;
    php) echo "$BASE/$2/velmora-soapserver.php" ;;
  esac
}
runs=$(( $(wc -w <<<"$FCGI_CONCURRENCY") * 2 * $(wc -w <<<"$PROGRAMS") ))
echo "wrk, $runs runs of ${FCGI_WRK_SECONDS}s..." >&2
for conc in $FCGI_CONCURRENCY; do
  for s in emb srv; do
    for p in $PROGRAMS; do wrk_run "$p.$s/$conc" "$conc" "$(url_of "$p" "$s")"; done
  done
done

# The soak: one worker (max-procs 1); its RSS after SOAK_FIRST requests and
# after SOAK_REQUESTS in all.
vmrss() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
soak_to() { # total requests answered so far, wanted
  local n=$(( $2 - $1 )) done="$WORK/soak.done"
  rm -f "$done"
  BENCH_ACTION=FRetornaPedido BENCH_BODY="$REQ/FRetornaPedido.xml" BENCH_REQUESTS=$n BENCH_DONE="$done" \
    wrk -t1 -c2 -d3600s -s "$REPO/bench/post.lua" "$BASE/soak/fcgi/velmora.cgi/soap/IVelmora" > "$WORK/soak.wrk" &
  local wrk_pid=$!
  while [ ! -e "$done" ] && kill -0 "$wrk_pid" 2>/dev/null; do sleep 0.2; done
  kill -INT "$wrk_pid" 2>/dev/null || true
  wait "$wrk_pid" 2>/dev/null || true
  [ -e "$done" ] || { echo "$0: the soak's wrk ended early" >&2; cat "$WORK/soak.wrk" >&2; exit 1; }
}
SOAK_PID=""; RSS_FIRST=""; RSS_LAST=""; SOAK_RATE=""
if [ "$SOAK_REQUESTS" -gt 0 ]; then
  echo "soak: $SOAK_REQUESTS requests to one worker..." >&2
  grep -qF '&lt;Pedido&gt;&lt;CodEmpresa&gt;001' <<<"$(post "$BASE/soak/fcgi/velmora.cgi/soap/IVelmora" FRetornaPedido \
    "$REQ/FRetornaPedido.xml")" || { echo "$0: the soak worker gives no order document" >&2; exit 1; }
  for pid in $(pgrep -P "$LIGHTTPD_PID"); do
    [ "$(readlink "/proc/$pid/exe")" = "$WORK/soak/velmora.cgi" ] && SOAK_PID=$pid
  done
  [ -n "$SOAK_PID" ] || { echo "$0: no soak worker found" >&2; exit 1; }
  soak_to 1 "$SOAK_FIRST"
  RSS_FIRST=$(vmrss "$SOAK_PID")
  t0=$SECONDS
  soak_to "$SOAK_FIRST" "$SOAK_REQUESTS"
  RSS_LAST=$(vmrss "$SOAK_PID")
  SOAK_RATE=$(( (SOAK_REQUESTS - SOAK_FIRST) / (SECONDS - t0 > 0 ? SECONDS - t0 : 1) ))
  [ "$(readlink "/proc/$SOAK_PID/exe")" = "$WORK/soak/velmora.cgi" ] || { echo "$0: the soak worker was replaced" >&2; exit 1; }
fi
LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)
bench_stop "$LIGHTTPD_PID"; LIGHTTPD_PID=""

echo
echo "velmora FastCGI benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
echo "load average before: $LOAD_BEFORE; after: $LOAD_AFTER"
echo
echo "FRetornaPedido through lighttpd + wrk, ${FCGI_WRK_SECONDS}s a run, interleaved; $FCGI_PROCS workers a FastCGI program"
echo "and php-fpm children ($PHP_ATTACHMENTS persistent attachments of php-fpm to the server after 6 requests);"
echo "requests/s, latency p50/p99 ms, errors (non-2xx + socket, 5 s timeout);"
echo "ratios to the warm floor (warm), to the warm floor preparing in every request (warm-prep) and to the"
echo "CGI floor (attach-query) of the same site and concurrency"
printf '%-18s %4s %9s %9s %9s %6s %7s %7s %7s  %s\n' case conc req/s p50 p99 errors /warm /w-prep /cgi-fl target
for conc in $FCGI_CONCURRENCY; do
  for s in emb srv; do
    for p in $PROGRAMS; do
      k="$p.$s/$conc" t=""
      rw=$(bench_ratio "${RPS[$k]}" "${RPS[warm.$s/$conc]:-}")
      rp=$(bench_ratio "${RPS[$k]}" "${RPS[warm-prep.$s/$conc]:-}")
      rc=$(bench_ratio "${RPS[$k]}" "${RPS[attach-query.$s/$conc]:-}")
      if [ "$p" = fcgi ] && [ "$conc" = 2 ]; then
        t="rps>=10x cgi-fl: $(bench_verdict "$rc" ge 10); rps>=0.8x warm: $(bench_verdict "$rw" ge 0.8); errors: ${ERR[$k]}"
      elif [ "$p" = fcgi ] && [ "$conc" = 50 ]; then
        t="p99<=50: $(bench_verdict "${LP99[$k]}" le 50); errors: ${ERR[$k]}"
      fi
      printf '%-18s %4s %9s %9s %9s %6s %7s %7s %7s  %s\n' "$p.$s" "$conc" "${RPS[$k]}" "${LP50[$k]}" "${LP99[$k]}" \
        "${ERR[$k]}" "$rw" "$rp" "$rc" "$t"
    done
  done
done
if [ -n "$RSS_LAST" ]; then
  growth=$((RSS_LAST - RSS_FIRST))
  echo
  echo "soak: one FastCGI worker (embedded), FRetornaPedido, two connections; ~$SOAK_RATE requests/s"
  echo "VmRSS after $SOAK_FIRST requests: $RSS_FIRST KB; after $SOAK_REQUESTS: $RSS_LAST KB;" \
       "growth $growth KB (target <= 1024: $(bench_verdict "$growth" le 1024))"
fi
echo
echo "finished in $((SECONDS - START)) s"
