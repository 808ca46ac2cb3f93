#!/usr/bin/env bash
# Installs the Debian package in a clean Debian 12 root, serves the demo
# database through Apache httpd with it, calls every operation with PHP's
# SoapClient, then purges the package and shows that nothing is left.
#
#   scripts/package-check.sh [velmora_<version>_amd64.deb [a later version's .deb]]
#
# With a second package the run also upgrades to it and shows that the
# changed configuration is kept.
# Needs root and network access (deb.debian.org): the first run makes a
# minimal Debian 12 root with debootstrap in build-root/base (kept for the
# next runs), and each run works in a fresh copy of it, build-root/run.
# The package defaults to the newest build*/velmora_*.deb (scripts/package.sh
# makes one); the demo database is build/demo.fdb (scripts/demo-db.sh).
# PORT (default 18181) is the port Apache listens on, on 127.0.0.1.
# Not part of the test suite: it downloads.
set -euo pipefail
cd "$(dirname "$0")/.."
REPO=$(pwd)
[ "$(id -u)" -eq 0 ] || { echo "$0: needs root (debootstrap, chroot)" >&2; exit 1; }

DEB=${1:-$(ls -t build*/velmora_*.deb 2>/dev/null | head -n 1)}
[ -n "$DEB" ] && [ -f "$DEB" ] || { echo "$0: no package; run scripts/package.sh first" >&2; exit 1; }
DEMO=${DEMO_DB:-build/demo.fdb}
[ -f "$DEMO" ] || scripts/demo-db.sh "$DEMO"
PORT=${PORT:-18181}

ROOTS="$REPO/build-root"
BASE="$ROOTS/base"
RUN="$ROOTS/run"
step() { printf '\n==== %s\n' "$*"; }

if [ ! -x "$BASE/usr/bin/apt-get" ]; then
  command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap
  step "debootstrap bookworm (minbase) into $BASE"
  rm -rf "$BASE"
  debootstrap --variant=minbase bookworm "$BASE" http://deb.debian.org/debian >/dev/null
fi

# A fresh copy for this run; /proc is the only mount and goes first.
if mountpoint -q "$RUN/proc" 2>/dev/null; then umount "$RUN/proc"; fi
rm -rf "$RUN"
cp -a "$BASE" "$RUN"
mount -t proc proc "$RUN/proc"
cleanup() {
  chroot "$RUN" apache2ctl stop >/dev/null 2>&1 || true
  sleep 1
  mountpoint -q "$RUN/proc" && umount "$RUN/proc" || true
}
trap cleanup EXIT
# No service starts by itself inside the root; Apache is started by hand.
printf '#!/bin/sh\nexit 101\n' > "$RUN/usr/sbin/policy-rc.d"
chmod 755 "$RUN/usr/sbin/policy-rc.d"
cp /etc/resolv.conf "$RUN/etc/resolv.conf"
cp "$DEB" "$RUN/tmp/"
UPGRADE=${2:-}
[ -z "$UPGRADE" ] || cp "$UPGRADE" "$RUN/tmp/"
cp "$REPO/tests/php/wsdl_clients.php" "$RUN/tmp/"
in_root() { chroot "$RUN" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
# Shows a command and its output; a failure shows its exit code and the
# run goes on (the steps that must work are checked on their own).
sh_root() { echo "# $*"; local rc=0; in_root sh -c "$*" || rc=$?; [ $rc -eq 0 ] || echo "(exit code $rc)"; }

step "the root: $(cat "$RUN/etc/debian_version"), no velmora, no web server"
sh_root 'dpkg -l velmora apache2 2>&1 | tail -n 2; ls /usr/lib/velmora /etc/velmora 2>&1'

step "install the package with apt-get"
in_root apt-get update -qq
echo "# apt-get install -y --no-install-recommends ./tmp/$(basename "$DEB")"
in_root apt-get install -y -q --no-install-recommends "./tmp/$(basename "$DEB")" > "$ROOTS/install.log" 2>&1 ||
  { cat "$ROOTS/install.log"; exit 1; }
grep -E '^(Setting up|The following NEW|  )' "$ROOTS/install.log"
sh_root 'dpkg -s velmora | grep -E "^(Status|Version|Depends|Recommends):"'
sh_root 'dpkg -L velmora | sort'
sh_root 'ls -la /usr/lib/velmora /usr/lib/velmora/firebird; ls -ld /etc/velmora/caminhoBDQuindar.ini /var/log/velmora /var/lib/velmora/lock'
sh_root 'ls -l /usr/lib/velmora/velmora.cgi | awk "{print \$5, \$9}"; grep -c . /var/lib/dpkg/info/velmora.conffiles'

step "Apache httpd, PHP SoapClient, the demo database"
sh_root 'apt-get install -y -q --no-install-recommends apache2 php8.2-cli php8.2-soap 2>&1 | grep -E "^Setting up (apache2|php8.2-soap) "'
# The store's database is the operator's: it lives outside the package's
# directories and survives the purge.
mkdir -p "$RUN/srv/store"
install -o 33 -g 33 -m 0660 "$DEMO" "$RUN/srv/store/demo.fdb"
sh_root 'sed -i "s|^CAMINHO=.*|CAMINHO=/srv/store/demo.fdb|" /etc/velmora/caminhoBDQuindar.ini && cat /etc/velmora/caminhoBDQuindar.ini && ls -l /etc/velmora/caminhoBDQuindar.ini /srv/store/demo.fdb'
sh_root 'a2enmod -q cgid && a2enconf -q velmora && ls -l /etc/apache2/conf-enabled/velmora.conf'
sh_root "printf 'Listen 127.0.0.1:$PORT\nServerName 127.0.0.1\n' > /etc/apache2/ports.conf && sed -i 's/<VirtualHost \\*:80>/<VirtualHost *:$PORT>/' /etc/apache2/sites-enabled/000-default.conf"
sh_root 'apache2ctl configtest 2>&1 && apache2ctl start && sleep 1 && ps -o user=,args= -C apache2 | head -n 3'

step "every operation through Apache with PHP SoapClient (documents cut at 150 bytes)"
echo "# php /tmp/wsdl_clients.php http://127.0.0.1:$PORT/velmora.cgi"
in_root php /tmp/wsdl_clients.php "http://127.0.0.1:$PORT/velmora.cgi" > "$ROOTS/php.out" ||
  { echo "PHP SoapClient failed"; cat "$ROOTS/php.out"; tail "$RUN/var/log/apache2/error.log"; exit 1; }
cut -c1-150 "$ROOTS/php.out"

# The same calls through lighttpd on this machine (the build tree's
# executable, a fresh copy of the same database) give the same bytes.
ref="$ROOTS/reference"
rm -rf "$ref" && mkdir -p "$ref/svc"
cp "$REPO/build/velmora.cgi" "$ref/svc/" && cp "$DEMO" "$ref/demo.fdb"
printf '[DATABASE]\nCAMINHO=%s\nUSUARIO=SYSDBA\nSENHA=masterkey\n' "$ref/demo.fdb" > "$ref/svc/caminhoBDQuindar.ini"
ref_port=$((PORT + 1))
scripts/lighttpd-config.sh "$ref/conf" 127.0.0.1 "$ref_port" "$ref/svc" "$REPO/build/firebird" "$ref/lock"
mkdir -p "$ref/lock"
env -i PATH=/usr/sbin:/usr/bin:/bin lighttpd -D -f "$ref/conf/lighttpd.conf" > "$ref/lighttpd.out" 2>&1 &
ref_pid=$!
for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$ref_port") 2>/dev/null && break; sleep 0.1; done
php tests/php/wsdl_clients.php "http://127.0.0.1:$ref_port/velmora.cgi" > "$ROOTS/php-lighttpd.out" || true
kill "$ref_pid"; wait "$ref_pid" 2>/dev/null || true
echo "# the same calls through lighttpd on the build machine:"
if cmp "$ROOTS/php-lighttpd.out" "$ROOTS/php.out"; then
  echo "identical: $(wc -c < "$ROOTS/php.out") bytes, $(grep -c '^=== ' "$ROOTS/php.out") calls"
else
  echo "DIFFERENT from lighttpd's:"; diff "$ROOTS/php-lighttpd.out" "$ROOTS/php.out" | head -n 20; exit 1
fi

step "nothing but the executable is served"
sh_root "for p in /caminhoBDQuindar.ini /velmora.cgi/../caminhoBDQuindar.ini /log/ /store.fdb /velmora.cgi.ini; do php -r '\$c = @file_get_contents(\"http://127.0.0.1:$PORT\" . \$argv[1], false, stream_context_create([\"http\" => [\"ignore_errors\" => true]])); echo \$argv[1], \" \", \$http_response_header[0], (strpos((string)\$c, \"masterkey\") === false ? \"\" : \" SHOWS THE PASSWORD\"), PHP_EOL;' \"\$p\"; done"

if [ -n "$UPGRADE" ]; then
  step "upgrade to $(basename "$UPGRADE"): the changed configuration stays"
  in_root apt-get install -y -q --no-install-recommends "./tmp/$(basename "$UPGRADE")" 2>&1 | grep -E '^(Unpacking|Setting up) velmora'
  sh_root 'dpkg -s velmora | grep ^Version; grep ^CAMINHO /etc/velmora/caminhoBDQuindar.ini; ls -l /etc/velmora/caminhoBDQuindar.ini'
  sh_root "php /tmp/wsdl_clients.php http://127.0.0.1:$PORT/velmora.cgi | sed -n 2p"
fi

step "the trace log and its daily clean-up"
sh_root 'ls -l /var/log/velmora; grep -c "Entrando no procedimento" /var/log/velmora/Log*.txt'
sh_root 'touch -d "100 days ago" /var/log/velmora/Logvelmora20200101.txt && /etc/cron.daily/velmora && ls /var/log/velmora'
sh_root 'ls -l /var/lib/velmora/lock | head -n 4'

step "purge the package"
in_root apache2ctl stop
sleep 1
echo "# apt-get purge -y velmora"
in_root apt-get purge -y -q velmora 2>&1 | grep -vE "^(Reading|Building)"
sh_root 'dpkg -L velmora 2>&1; dpkg -l velmora 2>&1 | tail -n 1'
sh_root 'find / -xdev \( -path /proc -o -path /tmp \) -prune -o -name "*velmora*" -print; ls -d /etc/velmora /var/log/velmora /var/lib/velmora /usr/lib/velmora 2>&1; ls /etc/apache2/conf-enabled/'
left=$(in_root find / -xdev \( -path /proc -o -path /tmp \) -prune -o -name '*velmora*' -print)
step "result"
if [ -z "$left" ]; then echo "purged: nothing of velmora is left in the root"; else echo "LEFT: $left"; exit 1; fi
