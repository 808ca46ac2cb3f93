# A private Firebird server (Super mode) on 127.0.0.1, for the load run and
# the bench: its own root, free port, lock directory and security database
# holding SYSDBA / masterkey. Sourced, not run.
#
#   fbserver_start DIR FBROOT   starts it in DIR (FBROOT: the project's
#                               Firebird root, for plugins and messages);
#                               sets FBSRV_PORT and FBSRV_PID
#   fbserver_stop               ends it (TERM, then KILL after 5 s)

fbserver_free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])' 2>/dev/null ||
    echo $((20000 + RANDOM % 20000))
}

fbserver_start() {
  local root=$1 fbroot=$2 e
  mkdir -p "$root/lock"
  for e in plugins intl firebird.msg plugins.conf; do ln -sfn "$(readlink -f "$fbroot/$e")" "$root/$e"; done
  FBSRV_PORT=$(fbserver_free_port)
  cat > "$root/firebird.conf" <<CONF
ServerMode = Super
RemoteServicePort = $FBSRV_PORT
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $root/security3.fdb
IpcName = velmora_fbserver_$$
CONF
  echo "CREATE DATABASE '$root/security3.fdb';" > "$root/sec1.sql"
  echo "CREATE USER SYSDBA PASSWORD 'masterkey'; COMMIT;" > "$root/sec2.sql"
  FIREBIRD="$root" isql-fb -q -b -i "$root/sec1.sql" >/dev/null
  FIREBIRD="$root" isql-fb -q -b -i /usr/share/firebird/3.0/security.sql "$root/security3.fdb" >/dev/null
  FIREBIRD="$root" isql-fb -q -b -user SYSDBA -i "$root/sec2.sql" "$root/security3.fdb" >/dev/null
  FIREBIRD="$root" FIREBIRD_LOCK="$root/lock" /usr/sbin/firebird > "$root/server.out" 2>&1 &
  FBSRV_PID=$!
  for _ in $(seq 150); do
    (exec 3<>"/dev/tcp/127.0.0.1/$FBSRV_PORT") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "the Firebird server did not start" >&2
  cat "$root/server.out" >&2
  return 1
}

# Starts the server of fbserver_start again in the same DIR, on the same
# port (a server restart); sets FBSRV_PID.
fbserver_restart() {
  local root=$1
  FIREBIRD="$root" FIREBIRD_LOCK="$root/lock" /usr/sbin/firebird >> "$root/server.out" 2>&1 &
  FBSRV_PID=$!
  for _ in $(seq 150); do
    (exec 3<>"/dev/tcp/127.0.0.1/$FBSRV_PORT") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "the Firebird server did not start again" >&2
  return 1
}

fbserver_stop() {
  [ -n "${FBSRV_PID:-}" ] || return 0
  kill "$FBSRV_PID" 2>/dev/null || { FBSRV_PID=""; return 0; }
  for _ in $(seq 50); do kill -0 "$FBSRV_PID" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$FBSRV_PID" 2>/dev/null || true
  wait "$FBSRV_PID" 2>/dev/null || true
  FBSRV_PID=""
}
