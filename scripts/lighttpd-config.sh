#!/usr/bin/env bash
# Writes a lighttpd configuration that serves one service directory's
# velmora.cgi at /velmora.cgi and nothing else:
#
#   scripts/lighttpd-config.sh [--fastcgi] <dir> <bind> <port> <service dir> <firebird root> <lock dir>
#
# <dir>/lighttpd.conf is scripts/lighttpd.conf.in filled in, and includes
# <dir>/velmora.conf, the package's deploy/lighttpd/50-velmora.conf with
# the installed paths replaced; <dir>/docroot is an empty document root and
# lighttpd's error log goes to <dir>/lighttpd-error.log. With --fastcgi the
# package's 50-velmora-fastcgi.conf is used instead: lighttpd starts the
# executable as persistent workers, their sockets in <dir>. The
# configuration is checked with lighttpd -tt.
set -euo pipefail
usage() { echo "usage: $0 [--fastcgi] <dir> <bind> <port> <service dir> <firebird root> <lock dir>" >&2; exit 2; }
conf=50-velmora.conf
if [ "${1:-}" = --fastcgi ]; then conf=50-velmora-fastcgi.conf; shift; fi
[ $# -eq 6 ] || usage
repo="$(cd "$(dirname "$0")/.." && pwd)"
dir=$1 bind=$2 port=$3 service=$4 firebird=$5 lock=$6

mkdir -p "$dir/docroot"
# The document root must stay empty.
find "$dir/docroot" -mindepth 1 -delete
# The root lies inside the service directory: it goes first.
sed -e "s|/usr/lib/velmora/firebird|$firebird|g" -e "s|/usr/lib/velmora|$service|g" \
    -e "s|/var/lib/velmora/lock|$lock|g" -e "s|/run/lighttpd|$dir|g" \
    "$repo/deploy/lighttpd/$conf" > "$dir/velmora.conf"
sed -e "s|@BIND@|$bind|g" -e "s|@PORT@|$port|g" -e "s|@DOCROOT@|$dir/docroot|g" \
    -e "s|@ERRORLOG@|$dir/lighttpd-error.log|g" -e "s|@VELMORA@|$dir/velmora.conf|g" \
    "$repo/scripts/lighttpd.conf.in" > "$dir/lighttpd.conf"
PATH=/usr/sbin:$PATH lighttpd -tt -f "$dir/lighttpd.conf" >/dev/null
