#!/usr/bin/env bash
# FRetornaPedido through the three web servers with the package's
# configurations (deploy/), side by side in one run: lighttpd (mod_cgi),
# Apache httpd 2.4 (event MPM with mod_cgid; prefork with mod_cgi) and
# nginx with fcgiwrap, plus each Apache without the configuration's
# keep-alive switch ("-keepalive", "-ka") to show what it saves. wrk at
# concurrency 1 and 2, rounds interleaved.
#
#   bench/webservers.sh        # about 4 minutes; ROUNDS (3), WRK_SECONDS (5)
#
# Each server has its own copy of the executable and of the demo database
# and its own lock directory; started by root, Apache and nginx hand their
# workers (and the CGI) to www-data, as installed.
source "$(dirname "$0")/common.sh"
ROUNDS=${ROUNDS:-3}
WRK_SECONDS=${WRK_SECONDS:-5}
for tool in wrk lighttpd apache2 nginx fcgiwrap spawn-fcgi isql-fb; do
  command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] || { echo "$0: $tool not found (scripts/setup.sh)" >&2; exit 1; }
done
bench_build
USER_ARGS=()
RUN_USER=""
[ "$(id -u)" -eq 0 ] && RUN_USER=www-data

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
wait_port() { for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done; return 1; }
# The package's file with the installed paths replaced by a site's.
deploy_conf() { # file site [socket]
  sed -e "s|/usr/lib/velmora/firebird|$FBROOT|g" -e "s|/usr/lib/velmora|$2/svc|g" \
      -e "s|/var/lib/velmora/lock|$2/lock|g" -e "s|/run/fcgiwrap.socket|${3:-/run/fcgiwrap.socket}|g" \
      "$REPO/$1"
}
site() { # dir
  mkdir -p "$1/svc" "$1/lock" "$1/docroot" "$1/data"
  cp "$BUILD/velmora.cgi" "$1/svc/"
  cp "$WORK/demo.fdb" "$1/data/demo.fdb"
  printf '[DATABASE]\r\nCAMINHO=%s\r\nUSUARIO=SYSDBA\r\nSENHA=masterkey\r\n' "$1/data/demo.fdb" > "$1/svc/caminhoBDQuindar.ini"
  [ -z "$RUN_USER" ] || chown -R "$RUN_USER:$RUN_USER" "$1"
}
PIDS=()
stop_all() { for p in "${PIDS[@]}"; do kill -TERM -- "-$p" 2>/dev/null || true; done; sleep 1; }
trap 'stop_all; [ "${KEEP:-0}" = 1 ] || bench_cleanup' EXIT

# The servers' users walk into the sites.
chmod 755 "$WORK"
scripts_demo() { "$REPO/scripts/demo-db.sh" "$WORK/demo.fdb" "$FBROOT" >/dev/null; }
scripts_demo
declare -A URL

# lighttpd, as scripts/serve.sh runs it.
site "$WORK/lighttpd"
P=$(free_port)
"$REPO/scripts/lighttpd-config.sh" "$WORK/lighttpd/conf" 127.0.0.1 "$P" "$WORK/lighttpd/svc" "$FBROOT" "$WORK/lighttpd/lock"
setsid env -i PATH=/usr/sbin:/usr/bin:/bin lighttpd -D -f "$WORK/lighttpd/conf/lighttpd.conf" >"$WORK/lighttpd.out" 2>&1 &
PIDS+=($!)
wait_port "$P"; URL[lighttpd]="http://127.0.0.1:$P/velmora.cgi"

apache() { # name conf-filter [prefork]
  local d="$WORK/$1" m=/usr/lib/apache2/modules p mpm
  mpm="LoadModule mpm_event_module $m/mod_mpm_event.so
LoadModule cgid_module $m/mod_cgid.so
ScriptSock $d/cgisock"
  [ "${3:-}" = prefork ] && mpm="LoadModule mpm_prefork_module $m/mod_mpm_prefork.so
LoadModule cgi_module $m/mod_cgi.so"
  site "$d"
  p=$(free_port)
  deploy_conf deploy/apache2/velmora.conf "$d" | $2 > "$d/velmora.conf"
  cat > "$d/httpd.conf" <<CONF
ServerRoot $d
ServerName 127.0.0.1
Listen 127.0.0.1:$p
PidFile $d/httpd.pid
DefaultRuntimeDir $d
Mutex file:$d default
ErrorLog $d/error.log
$mpm
LoadModule authz_core_module $m/mod_authz_core.so
LoadModule alias_module $m/mod_alias.so
LoadModule env_module $m/mod_env.so
${RUN_USER:+User $RUN_USER}
${RUN_USER:+Group $RUN_USER}
DocumentRoot $d/docroot
# As Debian's apache2.conf has it.
<Directory />
  AllowOverride None
  Require all denied
</Directory>
Include $d/velmora.conf
CONF
  [ -z "$RUN_USER" ] || chown -R "$RUN_USER:$RUN_USER" "$d"
  setsid env -i PATH=/usr/sbin:/usr/bin:/bin apache2 -f "$d/httpd.conf" -DFOREGROUND >"$d/out" 2>&1 &
  PIDS+=($!)
  wait_port "$p" || { cat "$d/out" "$d/error.log"; exit 1; }
  URL[$1]="http://127.0.0.1:$p/velmora.cgi"
}
apache apache cat
no_switch() { grep -v 'nokeepalive'; }
apache apache-keepalive no_switch
apache apache-prefork cat prefork
apache apache-prefork-ka no_switch prefork

# nginx and fcgiwrap (two workers).
d="$WORK/nginx"; site "$d"; P=$(free_port)
cp /etc/nginx/fastcgi_params "$d/"
deploy_conf deploy/nginx/velmora.conf "$d" "$d/fcgiwrap.socket" > "$d/velmora.conf"
cat > "$d/nginx.conf" <<CONF
daemon off;
worker_processes 2;
${RUN_USER:+user $RUN_USER $RUN_USER;}
pid $d/nginx.pid;
error_log $d/error.log warn;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $d/client_body;
  fastcgi_temp_path $d/fastcgi;
  server {
    listen 127.0.0.1:$P;
    root $d/docroot;
    include $d/velmora.conf;
  }
}
CONF
[ -z "$RUN_USER" ] || USER_ARGS=(-u "$RUN_USER" -g "$RUN_USER" -U "$RUN_USER" -G "$RUN_USER")
setsid env -i spawn-fcgi -n -s "$d/fcgiwrap.socket" -M 0600 "${USER_ARGS[@]}" -- /usr/sbin/fcgiwrap -c 2 >"$d/fcgiwrap.out" 2>&1 &
PIDS+=($!)
for _ in $(seq 100); do [ -S "$d/fcgiwrap.socket" ] && break; sleep 0.1; done
setsid env -i PATH=/usr/sbin:/usr/bin:/bin nginx -p "$d" -c "$d/nginx.conf" >"$d/out" 2>&1 &
PIDS+=($!)
wait_port "$P" || { cat "$d/out" "$d/error.log"; exit 1; }
URL[nginx]="http://127.0.0.1:$P/velmora.cgi"

SERVERS=(lighttpd apache apache-keepalive apache-prefork apache-prefork-ka nginx)
# Every server answers with the same document first.
for s in "${SERVERS[@]}"; do
  curl -s -H 'Content-Type: text/xml; charset=utf-8' -H 'SOAPAction: "urn:VelmoraIntf-IVelmora#FRetornaPedido"' \
       --data-binary @"$REPO/bench/requests/FRetornaPedido.xml" "${URL[$s]}/soap/IVelmora" > "$WORK/$s.answer"
  cmp -s "$WORK/lighttpd.answer" "$WORK/$s.answer" || { echo "$0: $s answers differently (see $WORK)" >&2; exit 1; }
done
grep -q '&lt;Pedido&gt;' "$WORK/lighttpd.answer" || { echo "$0: no order document" >&2; exit 1; }

declare -A RPS
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
for round in $(seq "$ROUNDS"); do
  for conc in 1 2; do
    for s in "${SERVERS[@]}"; do
      out=$(BENCH_ACTION=FRetornaPedido BENCH_BODY="$REPO/bench/requests/FRetornaPedido.xml" \
            wrk -t"$conc" -c"$conc" -d"${WRK_SECONDS}s" --timeout 10s -s "$REPO/bench/post.lua" "${URL[$s]}/soap/IVelmora") || { echo "$0: wrk against $s failed: $out" >&2; exit 1; }
      errors=$(awk '/Non-2xx|Socket errors/ { n++ } END { print n + 0 }' <<<"$out")
      [ "$errors" -eq 0 ] || { echo "$0: $s had errors:"; echo "$out"; } >&2
      RPS[$s/$conc]+="$(awk '/^Requests\/sec:/ { print $2 }' <<<"$out") "
    done
  done
done

median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "FRetornaPedido through the web servers, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores; wrk ${WRK_SECONDS}s x $ROUNDS rounds, interleaved"
echo "load average before: $LOAD_BEFORE; after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-18s %5s %10s %12s %12s   %s\n' server conc "req/s" "ms/request" "time/lighttpd" "req/s of each round"
for conc in 1 2; do
  base=$(median "${RPS[lighttpd/$conc]}")
  for s in "${SERVERS[@]}"; do
    r=$(median "${RPS[$s/$conc]}")
    # Time per request: wrk's connections over the rate.
    printf '%-18s %5s %10.2f %12.2f %12.2f   %s\n' "$s" "$conc" "$r" "$(awk -v r="$r" -v c="$conc" 'BEGIN { print 1000 * c / r }')" \
      "$(awk -v r="$r" -v b="$base" 'BEGIN { print b / r }')" "${RPS[$s/$conc]}"
  done
done
