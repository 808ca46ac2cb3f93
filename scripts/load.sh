#!/usr/bin/env bash
# Load run through the real web server: lighttpd on 127.0.0.1 serving the
# executable over the demo database, many concurrent clients mixing the six
# operations, the WSDL and the pages. The database is opened by the
# embedded engine in Classic mode, or with "server" through a private
# Firebird server started here (scripts/fbserver.sh). The executable runs
# as a CGI (a process per request) or, with "fastcgi", as persistent
# FastCGI workers that lighttpd starts (WORKERS of them, default 2).
#
#   scripts/load.sh [seconds, default 60] [clients, default 50] [embedded|server] [cgi|fastcgi]
#
# RESTART=1 (with "server"): the Firebird server is stopped a third of the
# way into the run and started again at two thirds. Requests meanwhile may
# get the designed failure answer (an empty document, false, or the fault
# an operation passes on); every request that starts once the server is
# back must be answered right.
#
# BUILD_DIR picks the build tree (default build). Not part of CI.
#
# Passes when: every answer came with status 200 and is well-formed; every
# answer about an order the load does not update (and every WSDL and page)
# equals the answer a lone request got before the load; every status
# update answered true or false; every line of the trace log is whole and
# each process's lines run from its start banner to its finish banner in
# time order (a line the writer could not lock in time is dropped by
# design and only counted); afterwards the updated order has faturado "X" and a status of
# "00" or "02", and no other order changed.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
DURATION=${1:-60}
CLIENTS=${2:-50}
MODE=${3:-embedded}
RUN_AS=${4:-cgi}
WORKERS=${WORKERS:-2}
usage() { echo "usage: $0 [seconds] [clients] [embedded|server] [cgi|fastcgi]" >&2; exit 2; }
case $MODE in embedded | server) ;; *) usage ;; esac
case $RUN_AS in cgi | fastcgi) ;; *) usage ;; esac
[ "${RESTART:-0}" = 1 ] && [ "$MODE" != server ] && { echo "$0: RESTART=1 needs server" >&2; exit 2; }
BUILD="$ROOT/${BUILD_DIR:-build}"

cmake -S . -B "$BUILD" >/dev/null
cmake --build "$BUILD" --target velmora.cgi -j2 >/dev/null

WORK=$(mktemp -d /tmp/velmora-load-XXXXXX)
chmod 755 "$WORK"
LIGHTTPD=
source scripts/fbserver.sh
cleanup() {
  [ -n "$LIGHTTPD" ] && kill -TERM "$LIGHTTPD" 2>/dev/null && wait "$LIGHTTPD" 2>/dev/null || true
  # A restarted server belongs to the background job that started it.
  [ -f "$WORK/restarted.pid" ] && FBSRV_PID=$(cat "$WORK/restarted.pid")
  fbserver_stop
  if [ "${KEEP:-0}" = 1 ]; then echo "kept $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT

FB_ROOT="$BUILD/firebird"
mkdir -p "$WORK/svc" "$WORK/docroot"
cp "$BUILD/velmora.cgi" "$WORK/svc/"
scripts/demo-db.sh "$WORK/demo.fdb" "$FB_ROOT" >/dev/null
DATABASE="$WORK/demo.fdb"
if [ "$MODE" = server ]; then
  fbserver_start "$WORK/fbserver" "$FB_ROOT"
  DATABASE="127.0.0.1/$FBSRV_PORT:$WORK/demo.fdb"
fi
echo "load: $DURATION s, $CLIENTS clients, $RUN_AS, database $DATABASE"
printf '[DATABASE]\r\nCAMINHO=%s\r\nUSUARIO=SYSDBA\r\nSENHA=masterkey\r\n' "$DATABASE" >"$WORK/svc/caminhoBDQuindar.ini"

PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# The lock directory is the one isql-fb uses below: one database file,
# one lock directory.
scripts/lighttpd-config.sh "$WORK" 127.0.0.1 "$PORT" "$WORK/svc" "$FB_ROOT" "${FIREBIRD_LOCK:-/tmp/firebird}"
if [ "$RUN_AS" = fastcgi ]; then
  # The same site with the executable as FastCGI workers lighttpd starts.
  cat > "$WORK/lighttpd.conf" <<CONF
server.modules = ("mod_fastcgi")
server.bind = "127.0.0.1"
server.port = $PORT
server.document-root = "$WORK/docroot"
server.errorlog = "$WORK/lighttpd-error.log"
server.max-request-size = 1024
fastcgi.server = ("/velmora.cgi" => ((
  "bin-path" => "$WORK/svc/velmora.cgi",
  "socket" => "$WORK/velmora.sock",
  "check-local" => "disable",
  "max-procs" => $WORKERS,
  "bin-environment" => ("FIREBIRD" => "$FB_ROOT", "FIREBIRD_LOCK" => "${FIREBIRD_LOCK:-/tmp/firebird}"),
)))
CONF
fi
env -i PATH=/usr/sbin:/usr/bin:/bin lighttpd -D -f "$WORK/lighttpd.conf" &
LIGHTTPD=$!
for _ in $(seq 100); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1', $PORT), 1)" 2>/dev/null && break
  sleep 0.1
done

orders() {
  local out="$WORK/orders-$1.txt"
  printf 'SELECT CODEMPRESA, TIPOPEDIDO, CODPEDIDO, STATUSPEDIDO, FATURADO, NUMCUPOM FROM PEDIDOC ORDER BY 1, 2, 3;\n' \
    >"$WORK/orders.sql"
  FIREBIRD="$FB_ROOT" isql-fb -q -user SYSDBA -password masterkey -i "$WORK/orders.sql" "$DATABASE" >"$out"
  echo "$out"
}
BEFORE=$(orders before)

if [ "${RESTART:-0}" = 1 ]; then
  (
    sleep "$(python3 -c "print($DURATION / 3)")"
    fbserver_stop
    date +%s.%N > "$WORK/server-down"
    sleep "$(python3 -c "print($DURATION / 3)")"
    fbserver_restart "$WORK/fbserver"
    echo "$FBSRV_PID" > "$WORK/restarted.pid"
    date +%s.%N > "$WORK/server-up"
  ) &
fi

python3 - "http://127.0.0.1:$PORT/velmora.cgi" "$DURATION" "$CLIENTS" "$WORK" "${RESTART:-0}" <<'PY'
import http.client, os, random, sys, threading, time, urllib.parse
import xml.dom.minidom

base, duration, clients = sys.argv[1], float(sys.argv[2]), int(sys.argv[3])
work, restart = sys.argv[4], sys.argv[5] == "1"
url = urllib.parse.urlparse(base)

def envelope(op, key=None):
    param = ""
    if key:
        param = ("<pChavePedido><CodEmpresa>%s</CodEmpresa><CodPedido>%s</CodPedido>"
                 "<TipoPedido>P</TipoPedido></pChavePedido>" % key)
    return ('<?xml version="1.0" encoding="UTF-8"?><soap:Envelope '
            'xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/"><soap:Body>'
            '<%s xmlns="urn:VelmoraIntf-IVelmora">%s</%s></soap:Body></soap:Envelope>' % (op, param, op))

READS = ["FRetornaPedido", "FRetornaPedidoItem", "FRetornaColConvenios", "FRetornaColFinancimentos"]
STABLE = [("001", "00000101"), ("001", "00000104")]  # never updated by the load
UPDATED = ("002", "00000201")
requests = [("soap", "FVerificaAtividade", None)]
requests += [("soap", op, key) for op in READS for key in STABLE]
requests += [("update", "FAtualizaStatusPedido", UPDATED)]
requests += [("get", path, None) for path in ("/", "/wsdl", "/wsdl/IVelmora")]

def call(kind, what, key):
    conn = http.client.HTTPConnection(url.hostname, url.port, timeout=60)
    try:
        if kind == "get":
            conn.request("GET", url.path + what)
        else:
            conn.request("POST", url.path + "/soap/IVelmora", envelope(what, key).encode(),
                         {"Content-Type": "text/xml; charset=utf-8",
                          "SOAPAction": '"urn:VelmoraIntf-IVelmora#%s"' % what})
        r = conn.getresponse()
        return r.status, r.getheader("Content-Type", ""), r.read()
    finally:
        conn.close()

def well_formed(ctype, body):
    if "xml" not in ctype:
        return True
    try:
        xml.dom.minidom.parseString(body)
        return True
    except Exception:
        return False

baseline = {}
for req in requests:
    if req[0] != "update":
        baseline[req] = call(*req)
        if baseline[req][0] != 200:
            sys.exit("lone request %r answered %d" % (req, baseline[req][0]))

lock = threading.Lock()
stats = {"total": 0, "failed": 0, "malformed": 0, "differs": 0, "update_true": 0, "update_false": 0,
         "designed_failure": 0}
latencies, problems, late = [], [], []
deadline = time.monotonic() + duration

def designed_failure(req, body):
    # What an operation answers while its database is unreachable: an empty
    # document, or the fault of an error it passes on to the caller.
    return (b'<return xsi:type="xsd:string"></return>' in body or b'<return xsi:type="xsd:string"/>' in body
            or b"<faultcode>SOAP-ENV:Server</faultcode>" in body)

def client(seed):
    rnd = random.Random(seed)
    while time.monotonic() < deadline:
        req = rnd.choice(requests)
        start = time.monotonic()
        wall = time.time()
        try:
            status, ctype, body = call(*req)
        except Exception as e:
            status, ctype, body = 0, "", str(e).encode()
        took = time.monotonic() - start
        with lock:
            stats["total"] += 1
            latencies.append(took)
            if status != 200:
                stats["failed"] += 1
                problems.append("%r: status %d %r" % (req, status, body[:200]))
            elif not well_formed(ctype, body):
                stats["malformed"] += 1
                problems.append("%r: malformed %r" % (req, body[:200]))
            elif req[0] == "update":
                if b'xsd:boolean">true<' in body:
                    stats["update_true"] += 1
                elif b'xsd:boolean">false<' in body:
                    stats["update_false"] += 1
                elif restart and designed_failure(req, body):
                    # The check before the update failed: passed on as a fault.
                    stats["designed_failure"] += 1
                    late.append((wall, req, body[:300]))
                else:
                    stats["failed"] += 1
                    problems.append("%r: %r" % (req, body[:300]))
            elif (status, ctype, body) != baseline[req]:
                if restart and designed_failure(req, body):
                    stats["designed_failure"] += 1
                    late.append((wall, req, body[:300]))
                else:
                    stats["differs"] += 1
                    problems.append("%r: differs from the lone answer: %r" % (req, body[:300]))

threads = [threading.Thread(target=client, args=(i,)) for i in range(clients)]
t0 = time.monotonic()
for t in threads: t.start()
for t in threads: t.join()
elapsed = time.monotonic() - t0
latencies.sort()
pct = lambda p: latencies[min(len(latencies) - 1, int(p * len(latencies)))] if latencies else 0
print("requests %d in %.1f s (%.1f/s), %d clients" % (stats["total"], elapsed, stats["total"] / elapsed, clients))
print("failed %d, malformed %d, differing %d; updates true %d, false %d"
      % (stats["failed"], stats["malformed"], stats["differs"], stats["update_true"], stats["update_false"]))
print("latency p50 %.3f s, p95 %.3f s, p99 %.3f s, max %.3f s" % (pct(0.5), pct(0.95), pct(0.99), pct(1.0)))
after_restart = 0
if restart:
    down = float(open(os.path.join(work, "server-down")).read())
    up = float(open(os.path.join(work, "server-up")).read())
    # A request that started once the server was back must be right.
    after_restart = sum(1 for t, _, _ in late if t >= up)
    print("server down %.1f s to %.1f s into the run: %d designed failure answers, %d of them after it was back"
          % (down - (time.time() - elapsed), up - (time.time() - elapsed), stats["designed_failure"], after_restart))
    for t, req, body in [x for x in late if x[0] >= up][:10]:
        print("  after the restart: %r %r" % (req, body))
for p in problems[:20]:
    print("  " + p)
sys.exit(1 if stats["failed"] or stats["malformed"] or stats["differs"] or after_restart or not stats["update_true"] else 0)
PY

# FastCGI workers end with lighttpd: their finish banners close the log.
if [ "$RUN_AS" = fastcgi ]; then
  kill -TERM "$LIGHTTPD" 2>/dev/null && wait "$LIGHTTPD" 2>/dev/null || true
  LIGHTTPD=
  sleep 1
fi
AFTER=$(orders after)
gfix_out=$(FIREBIRD="$FB_ROOT" gfix -v -full -user SYSDBA -password masterkey "$DATABASE" 2>&1) || gfix_out="exit $?: $gfix_out"
echo "gfix -v -full: ${gfix_out:-clean}"
[ -z "$gfix_out" ] || exit 1

python3 - "$WORK/svc/log" "$BEFORE" "$AFTER" <<'PY'
import glob, re, sys
log_dir, before, after = sys.argv[1:4]
line_re = re.compile(r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d) ([0-9A-F]{8}) (INFO  |ERRO  |DEBUG |ALERTA) : \[[^\]]*\] ")
bad, processes, current = [], {}, {}
files = glob.glob(log_dir + "/Log*.txt")
lines = 0
for name in files:
    data = open(name, "rb").read()
    if data and not data.endswith(b"\r\n"):
        bad.append("%s does not end with CR LF" % name)
    for raw in data.split(b"\r\n")[:-1]:
        lines += 1
        text = raw.decode("cp1252", "replace")
        m = line_re.match(text)
        if not m:
            if text == "" or text.startswith(" " * 74):
                continue  # the stack listing of an exception entry and its empty line
            bad.append("torn line: %r" % text[:120])
            continue
        stamp, tid = m.group(1), m.group(2)
        p = processes.setdefault(tid, {"open": False, "runs": 0, "last": ""})
        if "**** Log iniciado ****" in text:
            if p["open"]:
                bad.append("process %s starts again before it finished" % tid)
            p["open"], p["runs"] = True, p["runs"] + 1
        elif not p["open"]:
            bad.append("process %s writes outside its banners: %r" % (tid, text[:120]))
        if stamp < p["last"]:
            bad.append("process %s goes back in time at %r" % (tid, text[:60]))
        p["last"] = stamp
        if "**** Log finalizado ****" in text:
            p["open"] = False
# A writer that cannot get the file's lock in 16 tries drops its line; under
# heavy contention a process may so lose lines (its finish banner, say).
# Dropped lines are counted, torn or disordered ones fail the run.
unfinished = [t for t, p in processes.items() if p["open"]]
print("log: %d lines from %d processes in %d file(s), %d problems, %d processes lost their last line(s)"
      % (lines, sum(p["runs"] for p in processes.values()), len(files), len(bad), len(unfinished)))
for b in bad[:20]:
    print("  " + b)

def rows(path):
    out = {}
    for l in open(path, encoding="latin-1"):
        f = l.split()
        if len(f) >= 3 and re.fullmatch(r"\d{3}", f[0]) and f[1] == "P":
            out[tuple(f[:3])] = f[3:]
    return out
rb, ra = rows(before), rows(after)
db_bad = []
for key, values in rb.items():
    if key == ("002", "P", "00000201"):
        if len(ra.get(key, [])) < 2 or ra[key][1] != "X" or ra[key][0] not in ("00", "02"):
            db_bad.append("updated order %r is %r" % (key, ra.get(key)))
    elif ra.get(key) != values:
        db_bad.append("order %r changed from %r to %r" % (key, values, ra.get(key)))
if set(ra) != set(rb):
    db_bad.append("the set of orders changed")
print("database: %d orders checked, %d problems" % (len(rb), len(db_bad)))
for b in db_bad:
    print("  " + b)
sys.exit(1 if bad or db_bad or not rb else 0)
PY
echo "load run passed"
