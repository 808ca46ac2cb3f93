#!/usr/bin/env bash
# Soundness of the fast exit: a few thousand requests, status updates among
# them, each process ending with _exit right after its shutdown, must leave
# a database that gfix -v -full finds clean and that holds every update.
# Run once embedded (Classic mode) and once through a Firebird server
# started here, each on its own copy of the demo database.
#
#   bench/soundness.sh      (REQUESTS per mode, default 2000; ORDERS to mark
#                            invoiced per company, default 150; BUILD_DIR)
#
# Besides the demo orders 001/00000104 (pre-sales: status 02, coupon
# cleared) and 002/00000201 (status 00, coupon kept), ORDERS copies of each
# are added (001/S0000001..., 002/T0000001...), every one marked invoiced by
# exactly one request; the rest of the requests read orders. Two requests
# run at a time.
source "$(dirname "$0")/common.sh"

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
chmod +x "$WORK/one.sh"

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
  start=$SECONDS
  awk '{ print NR, $1, $2 }' "$LIST" | xargs -P 2 -n 3 "$WORK/one.sh" "$site" "$FBROOT" "$out"
  took=$((SECONDS - start))

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

  echo "== $mode: $REQUESTS requests ($UPDATES status updates), 2 at a time, ${took}s"
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
