#!/usr/bin/env bash
# The benchmark: the service executable beside two floor programs in C
# (bench/hello.c, bench/attach-query.c), interleaved in one run.
#
#   bench/run.sh            (BUILD_DIR=<dir> picks another build tree)
#
# (a) as processes, with CGI variables and a request file: median and
#     spread of wall time and the median peak RSS (bench/runner.c);
# (b) through lighttpd on 127.0.0.1 with wrk at concurrency 1 and 2:
#     requests/s, p50 and p99 latency, errors;
# for FVerificaAtividade, FRetornaPedido, FRetornaPedidoItem, the WSDL and
# the service page; the database operations both embedded (Classic mode)
# and through a Firebird server started here; plus the growth case
# (FRetornaPedidoItem for 10, 100 and 1,000 items) and the number of
# database attachments each request makes. Prints one table with the
# ratios to the floors. Knobs: ROUNDS (processes without database, 200),
# DB_ROUNDS (processes with database, 40), WRK_SECONDS (5), DB_WRK_SECONDS
# (15: on loopback an occasional Firebird connection stalls for a 1 s TCP
# retransmission, floor and service alike; a longer run averages those
# stalls out of the ratio).
# Then the persistent mode's benchmark, bench/fastcgi.sh (FASTCGI=0 skips it).
# Run it on a quiet machine: it prints the load average it started with.
source "$(dirname "$0")/common.sh"

ROUNDS=${ROUNDS:-200}
DB_ROUNDS=${DB_ROUNDS:-40}
WRK_SECONDS=${WRK_SECONDS:-5}
DB_WRK_SECONDS=${DB_WRK_SECONDS:-15}
REQ="$REPO/bench/requests"
LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
START=$SECONDS

for tool in wrk lighttpd strace isql-fb; do
  command -v $tool >/dev/null || { echo "$0: $tool not found" >&2; exit 1; }
done
echo "building..." >&2
bench_build
echo "databases and server..." >&2
bench_database "$WORK/emb.fdb" growth
cp "$WORK/emb.fdb" "$WORK/srv.fdb"
bench_server
EMB="$WORK/emb"; SRV="$WORK/srv"
bench_site "$EMB" "$WORK/emb.fdb"
bench_site "$SRV" "127.0.0.1/$SRV_PORT:$WORK/srv.fdb"

C="$WORK/cases"; mkdir -p "$C"
# name site exe request path method action
while read -r name site exe input path method action; do
  dir=$EMB; [ "$site" = srv ] && dir=$SRV
  in="$REQ/$input"; [ "$input" = - ] && in=/dev/null
  bench_case "$C/$name.case" "$name" "$dir/$exe" "$in" "$path" "$method" "$action"
done <<'LIST'
hello               emb hello        FVerificaAtividade.xml      /soap/IVelmora POST FVerificaAtividade
FVerificaAtividade  emb velmora.cgi  FVerificaAtividade.xml      /soap/IVelmora POST FVerificaAtividade
wsdl                emb velmora.cgi  -                           /wsdl/IVelmora GET  -
page                emb velmora.cgi  -                           /              GET  -
fault               emb velmora.cgi  Fault.xml                   /soap/IVelmora POST FOperacaoInexistente
attach-query.emb    emb attach-query FRetornaPedido.xml          /soap/IVelmora POST FRetornaPedido
FRetornaPedido.emb  emb velmora.cgi  FRetornaPedido.xml          /soap/IVelmora POST FRetornaPedido
FRetornaPedidoItem.emb emb velmora.cgi FRetornaPedidoItem.xml    /soap/IVelmora POST FRetornaPedidoItem
attach-query.srv    srv attach-query FRetornaPedido.xml          /soap/IVelmora POST FRetornaPedido
FRetornaPedido.srv  srv velmora.cgi  FRetornaPedido.xml          /soap/IVelmora POST FRetornaPedido
FRetornaPedidoItem.srv srv velmora.cgi FRetornaPedidoItem.xml    /soap/IVelmora POST FRetornaPedidoItem
items0.emb          emb velmora.cgi  FRetornaPedidoItem-0.xml    /soap/IVelmora POST FRetornaPedidoItem
items10.emb         emb velmora.cgi  FRetornaPedidoItem-10.xml   /soap/IVelmora POST FRetornaPedidoItem
items100.emb        emb velmora.cgi  FRetornaPedidoItem-100.xml  /soap/IVelmora POST FRetornaPedidoItem
items1000.emb       emb velmora.cgi  FRetornaPedidoItem-1000.xml /soap/IVelmora POST FRetornaPedidoItem
items0.srv          srv velmora.cgi  FRetornaPedidoItem-0.xml    /soap/IVelmora POST FRetornaPedidoItem
items10.srv         srv velmora.cgi  FRetornaPedidoItem-10.xml   /soap/IVelmora POST FRetornaPedidoItem
items100.srv        srv velmora.cgi  FRetornaPedidoItem-100.xml  /soap/IVelmora POST FRetornaPedidoItem
items1000.srv       srv velmora.cgi  FRetornaPedidoItem-1000.xml /soap/IVelmora POST FRetornaPedidoItem
LIST

# Every case answers what it should before it is timed.
check() {
  local out; out=$(bench_run_once "$C/$1.case" 2>&1 || true)
  grep -qF -- "$2" <<<"$out" || { echo "$0: case $1 does not answer with \"$2\":" >&2; head -c 600 <<<"$out" >&2; exit 1; }
}
check hello "<return xsi:type=\"xsd:boolean\">true</return>"
check FVerificaAtividade "<return xsi:type=\"xsd:boolean\">true</return>"
check wsdl "<definitions"
check page "IVelmora"
check fault "<faultcode>"
for s in emb srv; do
  check attach-query.$s "&lt;Pedido&gt;&lt;CODEMPRESA&gt;001"
  check FRetornaPedido.$s "&lt;Pedido&gt;&lt;CodEmpresa&gt;001"
  check FRetornaPedidoItem.$s "&lt;ListaItem&gt;"
done
for s in emb srv; do
  for n in 10 100 1000; do
    got=$(bench_run_once "$C/items$n.$s.case" | grep -o '&lt;Item&gt;' | wc -l)
    [ "$got" -eq "$n" ] || { echo "$0: items$n.$s answers $got items" >&2; exit 1; }
  done
done

# Attachments per request: opens of the embedded database file, connects
# to the server's port.
attaches() {
  local trace="$WORK/strace.$1"
  bench_run_once "$C/$1.case" strace -f -qq -e trace=openat,connect -o "$trace" >/dev/null 2>&1 || true
  local n
  # The engine opens the file twice per attachment, the second time O_DSYNC.
  n=$(grep -E "/(emb|srv)\.fdb\", |htons\($SRV_PORT\)" "$trace" | grep -vc O_DSYNC || true)
  echo "${n:-0}"
}
declare -A ATT
for name in hello FVerificaAtividade wsdl page fault attach-query.emb FRetornaPedido.emb FRetornaPedidoItem.emb \
            attach-query.srv FRetornaPedido.srv FRetornaPedidoItem.srv; do
  ATT[$name]=$(attaches "$name")
done

echo "processes: $ROUNDS rounds without database, $DB_ROUNDS with..." >&2
R="$WORK/results"
"$RUNNER" "$ROUNDS" "$C"/hello.case "$C"/FVerificaAtividade.case "$C"/wsdl.case "$C"/page.case "$C"/fault.case > "$R"
"$RUNNER" "$DB_ROUNDS" "$C"/attach-query.emb.case "$C"/FRetornaPedido.emb.case "$C"/FRetornaPedidoItem.emb.case \
  "$C"/attach-query.srv.case "$C"/FRetornaPedido.srv.case "$C"/FRetornaPedidoItem.srv.case \
  "$C"/items{0,10,100,1000}.{emb,srv}.case >> "$R"
declare -A MED P10 P90 RSS FAIL
while read -r name med p10 p90 _min _max rss fail; do
  MED[$name]=$med; P10[$name]=$p10; P90[$name]=$p90; RSS[$name]=$rss; FAIL[$name]=$fail
done < "$R"

echo "lighttpd and wrk, ${WRK_SECONDS}s per run (${DB_WRK_SECONDS}s with database)..." >&2
HTTP_PORT=$(bench_free_port)
mkdir -p "$WORK/docroot"
cat > "$WORK/lighttpd.conf" <<CONF
server.modules = ("mod_alias", "mod_setenv", "mod_cgi")
server.bind = "127.0.0.1"
server.port = $HTTP_PORT
server.document-root = "$WORK/docroot"
server.errorlog = "$WORK/lighttpd-error.log"
server.max-connections = 64
alias.url = ("/emb/" => "$EMB/", "/srv/" => "$SRV/")
\$HTTP["url"] =~ "^/(emb|srv)/" {
  cgi.assign = ("" => "")
}
setenv.add-environment = ("FIREBIRD" => "$FBROOT")
CONF
env -i PATH=/usr/sbin:/usr/bin:/bin lighttpd -D -f "$WORK/lighttpd.conf" &
LIGHTTPD_PID=$!
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$HTTP_PORT") 2>/dev/null && break; sleep 0.1; done
BASE="http://127.0.0.1:$HTTP_PORT"

declare -A RPS LP50 LP99 ERR
to_ms() { awk -v v="$1" 'BEGIN { if (v ~ /us$/) printf "%.2f", v / 1000; else if (v ~ /ms$/) printf "%.2f", v + 0;
                                  else if (v ~ /s$/) printf "%.2f", v * 1000; else print v }'; }
wrk_run() { # key concurrency url [action body]
  local key=$1 conc=$2 url=$3 out secs=$WRK_SECONDS
  case $key in *.emb/* | *.srv/*) secs=$DB_WRK_SECONDS ;; esac
  if [ -n "${4:-}" ]; then
    out=$(BENCH_ACTION=$4 BENCH_BODY="$REQ/$5" wrk -t"$conc" -c"$conc" -d"${secs}s" --latency -s "$REPO/bench/post.lua" "$url")
  else
    out=$(wrk -t"$conc" -c"$conc" -d"${secs}s" --latency "$url")
  fi
  RPS[$key]=$(awk '/^Requests\/sec:/ { print $2 }' <<<"$out")
  LP50[$key]=$(to_ms "$(awk '$1 == "50%" { print $2 }' <<<"$out")")
  LP99[$key]=$(to_ms "$(awk '$1 == "99%" { print $2 }' <<<"$out")")
  local non2xx sock
  non2xx=$(awk '/Non-2xx/ { print $NF }' <<<"$out")
  sock=$(awk '/Socket errors/ { n = 0; for (i = 1; i <= NF; ++i) if ($i ~ /^[0-9]+,?$/) n += $i; print n }' <<<"$out")
  ERR[$key]=$(( ${non2xx:-0} + ${sock:-0} ))
}
for conc in 1 2; do
  wrk_run "hello/$conc" $conc "$BASE/emb/hello/soap/IVelmora" FVerificaAtividade FVerificaAtividade.xml
  wrk_run "FVerificaAtividade/$conc" $conc "$BASE/emb/velmora.cgi/soap/IVelmora" FVerificaAtividade FVerificaAtividade.xml
  wrk_run "wsdl/$conc" $conc "$BASE/emb/velmora.cgi/wsdl/IVelmora"
  wrk_run "page/$conc" $conc "$BASE/emb/velmora.cgi/"
  for s in emb srv; do
    wrk_run "attach-query.$s/$conc" $conc "$BASE/$s/attach-query/soap/IVelmora" FRetornaPedido FRetornaPedido.xml
    wrk_run "FRetornaPedido.$s/$conc" $conc "$BASE/$s/velmora.cgi/soap/IVelmora" FRetornaPedido FRetornaPedido.xml
    wrk_run "FRetornaPedidoItem.$s/$conc" $conc "$BASE/$s/velmora.cgi/soap/IVelmora" FRetornaPedidoItem FRetornaPedidoItem.xml
  done
done
bench_stop "$LIGHTTPD_PID"; LIGHTTPD_PID=""

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 == 0) print "-"; else printf "%.2f", a / b }'; }
verdict() { awk -v r="$1" -v op="$2" -v t="$3" 'BEGIN { if (r == "-") print "";
  else if ((op == "le" && r + 0 <= t) || (op == "ge" && r + 0 >= t)) print "met"; else print "NOT met" }'; }

echo
echo "velmora benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
echo "load average before: $LOAD_BEFORE; after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "(a) processes: wall ms median [p10-p90], peak RSS KB median; $ROUNDS rounds (no database), $DB_ROUNDS (database)"
printf '%-24s %9s %17s %8s %6s %5s  %-18s %7s %7s  %s\n' case median p10-p90 rss attach fail floor wall/fl rss/fl target
row() { # name floor wall-target rss-target
  local n=$1 f=${2:-} wr="" rr="" t=""
  if [ -n "$f" ]; then
    wr=$(ratio "${MED[$n]}" "${MED[$f]}"); rr=$(ratio "${RSS[$n]}" "${RSS[$f]}")
    [ -n "${3:-}" ] && t="wall<=${3}: $(verdict "$wr" le "$3")"
    [ -n "${4:-}" ] && t="$t; rss<=${4}: $(verdict "$rr" le "$4")"
  fi
  printf '%-24s %9s %17s %8s %6s %5s  %-18s %7s %7s  %s\n' "$n" "${MED[$n]}" "${P10[$n]}-${P90[$n]}" "${RSS[$n]}" \
    "${ATT[$n]:-}" "${FAIL[$n]}" "$f" "$wr" "$rr" "$t"
}
row hello
row FVerificaAtividade hello 1.5
row wsdl hello 1.5
row page hello 1.5
row fault hello
row attach-query.emb
row FRetornaPedido.emb attach-query.emb 1.10 1.25
row FRetornaPedidoItem.emb attach-query.emb
row attach-query.srv
row FRetornaPedido.srv attach-query.srv 1.10 1.25
row FRetornaPedidoItem.srv attach-query.srv
echo
echo "(b) lighttpd + wrk, ${WRK_SECONDS}s per run (${DB_WRK_SECONDS}s with database): requests/s, latency p50/p99 ms, errors (non-2xx + socket)"
printf '%-24s %4s %9s %9s %9s %6s  %-18s %7s  %s\n' case conc req/s p50 p99 errors floor rps/fl target
hrow() { # name conc floor target
  local k="$1/$2" f=${3:-} r="" t=""
  if [ -n "$f" ]; then
    r=$(ratio "${RPS[$k]}" "${RPS[$f/$2]}")
    [ -n "${4:-}" ] && t="rps>=${4}: $(verdict "$r" ge "$4"), errors: ${ERR[$k]}"
  fi
  printf '%-24s %4s %9s %9s %9s %6s  %-18s %7s  %s\n' "$1" "$2" "${RPS[$k]}" "${LP50[$k]}" "${LP99[$k]}" "${ERR[$k]}" "$f" "$r" "$t"
}
for conc in 1 2; do
  hrow hello $conc
  hrow FVerificaAtividade $conc hello
  hrow wsdl $conc hello
  hrow page $conc hello
  for s in emb srv; do
    hrow attach-query.$s $conc
    t=""; [ $conc = 2 ] && t=0.9
    hrow FRetornaPedido.$s $conc attach-query.$s $t
    hrow FRetornaPedidoItem.$s $conc attach-query.$s
  done
done
echo
echo "(c) growth, FRetornaPedidoItem: cost per item = (median(N) - median(order without items)) / N, in ms;"
echo "    marginal = (median(N) - median(previous N)) / (N - previous N)"
printf '%-8s %11s %9s %10s %11s %9s %10s\n' items emb.median per-item marginal srv.median per-item marginal
declare -A PER MARG
for s in emb srv; do
  prev=0
  for n in 10 100 1000; do
    PER[$s/$n]=$(awk -v a="${MED[items$n.$s]}" -v b="${MED[items0.$s]}" -v n=$n 'BEGIN { printf "%.4f", (a - b) / n }')
    MARG[$s/$n]=$(awk -v a="${MED[items$n.$s]}" -v b="${MED[items$prev.$s]}" -v n=$n -v p=$prev 'BEGIN { printf "%.4f", (a - b) / (n - p) }')
    prev=$n
  done
done
printf '%-8s %11s %9s %10s %11s %9s %10s\n' 0 "${MED[items0.emb]}" "" "" "${MED[items0.srv]}" "" ""
for n in 10 100 1000; do
  printf '%-8s %11s %9s %10s %11s %9s %10s\n' $n "${MED[items$n.emb]}" "${PER[emb/$n]}" "${MARG[emb/$n]}" \
    "${MED[items$n.srv]}" "${PER[srv/$n]}" "${MARG[srv/$n]}"
done
for s in emb srv; do
  gr=$(ratio "${PER[$s/1000]}" "${PER[$s/100]}"); gm=$(ratio "${MARG[$s/1000]}" "${MARG[$s/100]}")
  echo "$s: per item 1000 / per item 100: $gr (target <= 1.5: $(verdict "$gr" le 1.5)); marginal 1000 / marginal 100: $gm"
done
echo
echo "finished in $((SECONDS - START)) s"

if [ "${FASTCGI:-1}" != 0 ]; then
  # Nothing of this run is needed any more: no idle server beside the next one.
  fbserver_stop; SRV_PID=""
  echo
  "$REPO/bench/fastcgi.sh"
fi
