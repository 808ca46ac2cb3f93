#!/usr/bin/env bash
# Soundness of the fast exit: a few thousand requests, status updates among
# them, each process ending with _exit right after its shutdown, must leave
# a database that gfix -v -full finds clean and that holds every update.
# Run once embedded (Classic mode) and once through a Firebird server
# started here, each on its own copy of the demo database.
#
#   bench/soundness.sh [cgi|fastcgi]
#                           (REQUESTS per mode, default 2000; ORDERS to mark
#                            invoiced per company, default 150; BUILD_DIR)
#
# cgi (the default) runs every request as its own process; fastcgi sends
# them through lighttpd to two persistent FastCGI workers of the
# executable, which are stopped (and so detach) before the checks.
#
# Besides the demo orders 001/00000104 (pre-sales: status 02, coupon
# cleared) and 002/00000201 (status 00, coupon kept), ORDERS copies of each
# are added (001/S0000001..., 002/T0000001...), every one marked invoiced by
# exactly one request; the rest of the requests read orders. Two requests
# run at a time.
source "$(dirname "$0")/common.sh"

RUN_AS=${1:-cgi}
case $RUN_AS in cgi | fastcgi) ;; *) echo "usage: $0 [cgi|fastcgi]" >&2; exit 2 ;; esac
REQUESTS=${REQUESTS:-2000}
ORDERS=${ORDERS:-150}
REQ="$REPO/bench/requests"
COLUMNS_REST="CODCLIENTE, CODVENDEDOR, CODVENDEDOR2, DATAPEDIDO, CODPRAZO, DESCONTOPERC, DESCONTOVLR, FATURADO,
  VLRACRESCIMO, TOTALPEDIDO, STATUSPEDIDO, CONFERIDO, CODIGOMIDIA, DESCCREDITO, DESCONTOTROCA, OBSERVACAO1,
  NUMCUPOM, COODAVIMPFISCAL, MAQUINA, CODPEDIDOVENDA, TIPOFRETE, FRETE"

bench_build
bench_database "$WORK/base.fdb"
{
  echo "SET SQL DIALECT 1;"
  for i in $(seq "$ORDERS"); do
    printf "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, %s) SELECT CODEMPRESA, TIPOPEDIDO, 'S%07d', %s FROM PEDIDOC WHERE CODEMPRESA = '001' AND CODPEDIDO = '00000104';\n" "$COLUMNS_REST" "$i" "$COLUMNS_REST"
    printf "INSERT INTO PEDIDOC (CODEMPRESA, TIPOPEDIDO, CODPEDIDO, %s) SELECT CODEMPRESA, TIPOPEDIDO, 'T%07d', %s FROM PEDIDOC WHERE CODEMPRESA = '002' AND CODPEDIDO = '00000201';\n" "$COLUMNS_REST" "$i" "$COLUMNS_REST"
  done
  echo "COMMIT;"
} > "$WORK/orders.sql"
FIREBIRD="$FBROOT" isql-fb -q -b -user SYSDBA -i "$WORK/orders.sql" "$WORK/base.fdb"

# The request list: one update per added order and per demo order, reads
# filling up to REQUESTS, shuffled.
envelope() { # operation empresa pedido
  printf '%s' "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><SOAP-ENV:Body><NS1:$1 xmlns:NS1=\"urn:VelmoraIntf-IVelmora\"><pChavePedido><CodEmpresa xsi:type=\"xsd:string\">$2</CodEmpresa><CodPedido xsi:type=\"xsd:string\">$3</CodPedido><TipoPedido xsi:type=\"xsd:string\">P</TipoPedido></pChavePedido></NS1:$1></SOAP-ENV:Body></SOAP-ENV:Envelope>"
}
B="$WORK/bodies"; mkdir -p "$B"
LIST="$WORK/list"; : > "$LIST"
for i in $(seq "$ORDERS"); do
  s=$(printf 'S%07d' "$i"); t=$(printf 'T%07d' "$i")
  envelope FAtualizaStatusPedido 001 "$s" > "$B/upd-$s.xml"; echo "FAtualizaStatusPedido $B/upd-$s.xml" >> "$LIST"
  envelope FAtualizaStatusPedido 002 "$t" > "$B/upd-$t.xml"; echo "FAtualizaStatusPedido $B/upd-$t.xml" >> "$LIST"
done
echo "FAtualizaStatusPedido $REQ/FAtualizaStatusPedido-104.xml" >> "$LIST"
echo "FAtualizaStatusPedido $REQ/FAtualizaStatusPedido-201.xml" >> "$LIST"
UPDATES=$(wc -l < "$LIST")
reads=(FRetornaPedido FRetornaPedidoItem FVerificaAtividade)
for i in $(seq $((REQUESTS - UPDATES))); do
  op=${reads[$((i % 3))]}
  echo "$op $REQ/$op.xml" >> "$LIST"
done
shuf "$LIST" -o "$LIST"

# One request: the executable with its CGI variables; the answer is kept.
cat > "$WORK/one.sh" <<'ONE'
#!/usr/bin/env bash
# one.sh SITE FIREBIRD OUTDIR INDEX OPERATION BODY
exec env -i PATH=/usr/bin:/bin FIREBIRD="$2" REQUEST_METHOD=POST PATH_INFO=/soap/IVelmora SCRIPT_NAME=/velmora.cgi \
  SERVER_PROTOCOL=HTTP/1.1 CONTENT_TYPE="text/xml; charset=utf-8" CONTENT_LENGTH="$(stat -c %s "$6")" \
  HTTP_SOAPACTION="\"urn:VelmoraIntf-IVelmora#$5\"" "$1/velmora.cgi" < "$6" > "$3/$4.$5.out"
ONE
if [ "$RUN_AS" = fastcgi ]; then
  # The same request through lighttpd to the site's FastCGI workers.
  cat > "$WORK/one.sh" <<'ONE'
#!/usr/bin/env bash
# one.sh URL FIREBIRD OUTDIR INDEX OPERATION BODY
exec curl -s -o "$3/$4.$5.out" -H 'Content-Type: text/xml; charset=utf-8' \
  -H "SOAPAction: \"urn:VelmoraIntf-IVelmora#$5\"" --data-binary "@$6" "$1/soap/IVelmora"
ONE
fi
chmod +x "$WORK/one.sh"

# lighttpd with the executable of a site as two FastCGI workers; sets
# LIGHTTPD_PID and SITE_URL.
fastcgi_start() { # site
  local port; port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  mkdir -p "$1/docroot"
  cat > "$1/lighttpd.conf" <<CONF
server.modules = ("mod_fastcgi")
server.bind = "127.0.0.1"
server.port = $port
server.document-root = "$1/docroot"
server.errorlog = "$1/lighttpd-error.log"
fastcgi.server = ("/velmora.cgi" => ((
  "bin-path" => "$1/velmora.cgi", "socket" => "$1/velmora.sock", "check-local" => "disable",
  "max-procs" => 2, "bin-environment" => ("FIREBIRD" => "$FBROOT"),
)))
CONF
  env -i PATH=/usr/sbin:/usr/bin:/bin lighttpd -D -f "$1/lighttpd.conf" &
  LIGHTTPD_PID=$!
  SITE_URL="http://127.0.0.1:$port/velmora.cgi"
  for _ in $(seq 100); do curl -s -o /dev/null "$SITE_URL/" && return 0; sleep 0.1; done
  echo "lighttpd did not start" >&2; return 1
}

isql_query() { # database sql
  echo "$2" > "$WORK/q.sql"
  FIREBIRD="$FBROOT" isql-fb -q -b -user SYSDBA -password masterkey -i "$WORK/q.sql" "$1" | awk 'NF { v = $NF } END { print v }'
}

bench_server
failures=0
for mode in embedded server; do
  db="$WORK/$mode.fdb"
  cp "$WORK/base.fdb" "$db"
  dbspec="$db"; [ "$mode" = server ] && dbspec="127.0.0.1/$SRV_PORT:$db"
  site="$WORK/site-$mode"; bench_site "$site" "$dbspec"
  out="$WORK/out-$mode"; mkdir -p "$out"
  target=$site
  if [ "$RUN_AS" = fastcgi ]; then fastcgi_start "$site"; target=$SITE_URL; fi
  start=$SECONDS
  awk '{ print NR, $1, $2 }' "$LIST" | xargs -P 2 -n 3 "$WORK/one.sh" "$target" "$FBROOT" "$out"
  took=$((SECONDS - start))
  if [ "$RUN_AS" = fastcgi ]; then
    # The workers end with lighttpd: finish banner, detach.
    kill -TERM "$LIGHTTPD_PID" 2>/dev/null; wait "$LIGHTTPD_PID" 2>/dev/null || true
    sleep 1
  fi

  answered=$(ls "$out" | wc -l)
  true_updates=$(grep -l '<return xsi:type="xsd:boolean">true</return>' "$out"/*.FAtualizaStatusPedido.out | wc -l)
  full_reads=$(grep -l '&lt;Pedido&gt;\|&lt;ListaItem&gt;' "$out"/*.FRetornaPedido*.out | wc -l)
  reads_sent=$(grep -c 'FRetornaPedido' "$LIST")
  faults=$(grep -l '<faultcode>' "$out"/*.out | wc -l || true)
  # gfix prints nothing for a clean database; its exit code is 0 then.
  gfix_out=$(FIREBIRD="$FBROOT" gfix -v -full -user SYSDBA -password masterkey "$dbspec" 2>&1) && gfix_rc=0 || gfix_rc=$?
  s_ok=$(isql_query "$dbspec" "SELECT COUNT(*) FROM PEDIDOC WHERE CODEMPRESA = '001' AND CODPEDIDO STARTING WITH 'S' AND STATUSPEDIDO = '02' AND FATURADO = 'X' AND NUMCUPOM IS NULL;")
  t_ok=$(isql_query "$dbspec" "SELECT COUNT(*) FROM PEDIDOC WHERE CODEMPRESA = '002' AND CODPEDIDO STARTING WITH 'T' AND STATUSPEDIDO = '00' AND FATURADO = 'X' AND NUMCUPOM IS NOT NULL;")
  d104=$(isql_query "$dbspec" "SELECT STATUSPEDIDO || '/' || FATURADO || '/' || COALESCE(NUMCUPOM, 'null') FROM PEDIDOC WHERE CODEMPRESA = '001' AND CODPEDIDO = '00000104';")
  d201=$(isql_query "$dbspec" "SELECT STATUSPEDIDO || '/' || FATURADO || '/' || COALESCE(NUMCUPOM, 'null') FROM PEDIDOC WHERE CODEMPRESA = '002' AND CODPEDIDO = '00000201';")

  echo "== $mode, $RUN_AS: $REQUESTS requests ($UPDATES status updates), 2 at a time, ${took}s"
  echo "   answers: $answered; updates answered true: $true_updates of $UPDATES; reads with a document: $full_reads of $reads_sent; faults: $faults"
  echo "   gfix -v -full: exit $gfix_rc, output: ${gfix_out:-(none)}"
  echo "   marked invoiced in the database: 001/S*: $s_ok of $ORDERS (02/X/null), 002/T*: $t_ok of $ORDERS (00/X/coupon kept)"
  echo "   001/00000104: $d104 (want 02/X/null); 002/00000201: $d201 (want 00/X/5531)"
  if [ "$answered" -ne "$REQUESTS" ] || [ "$true_updates" -ne "$UPDATES" ] || [ "$full_reads" -ne "$reads_sent" ] ||
     [ "$faults" -ne 0 ] || [ "$gfix_rc" -ne 0 ] || [ -n "$gfix_out" ] || [ "$s_ok" != "$ORDERS" ] ||
     [ "$t_ok" != "$ORDERS" ] || [ "$d104" != "02/X/null" ] || [ "$d201" != "00/X/5531" ]; then
    echo "   FAILED"; failures=$((failures + 1))
  else
    echo "   sound"
  fi
done
[ "$failures" -eq 0 ]
