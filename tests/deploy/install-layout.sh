#!/usr/bin/env bash
# The install layout the package is made from: "cmake --install" of the
# build tree into a staging directory must give every file and link in its
# place, the configuration's mode, and a daily clean-up that deletes only
# old trace files.
#
#   tests/deploy/install-layout.sh <build dir>
set -euo pipefail
build=$1
stage=$(mktemp -d /tmp/velmora-install-XXXXXX)
trap 'rm -rf "$stage"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null

for f in /usr/lib/velmora/velmora.cgi /usr/lib/velmora/firebird/firebird.conf \
         /etc/velmora/caminhoBDQuindar.ini /etc/velmora/velmora.env /etc/default/velmora \
         /etc/cron.daily/velmora /etc/apache2/conf-available/velmora.conf \
         /etc/nginx/snippets/velmora.conf /etc/lighttpd/conf-available/50-velmora.conf \
         /etc/apache2/conf-available/velmora-fastcgi.conf /etc/nginx/snippets/velmora-fastcgi.conf \
         /etc/lighttpd/conf-available/50-velmora-fastcgi.conf \
         /lib/systemd/system/velmora-fastcgi.socket /lib/systemd/system/velmora-fastcgi.service; do
  [ -f "$stage$f" ] || fail "$f is missing"
done
[ -x "$stage/usr/lib/velmora/velmora.cgi" ] || fail "velmora.cgi is not executable"
[ -x "$stage/etc/cron.daily/velmora" ] || fail "the clean-up is not executable"
[ "$(stat -c %a "$stage/etc/velmora/caminhoBDQuindar.ini")" = 640 ] || fail "the ini is not mode 0640"
grep -q '^ServerMode = Classic' "$stage/usr/lib/velmora/firebird/firebird.conf" || fail "firebird.conf is not Classic"

link() { # path target
  [ "$(readlink "$stage$1" 2>/dev/null)" = "$2" ] || fail "$1 does not link to $2"
}
link /usr/lib/velmora/caminhoBDQuindar.ini /etc/velmora/caminhoBDQuindar.ini
link /usr/lib/velmora/log /var/log/velmora
for e in plugins intl firebird.msg plugins.conf; do
  target=$(readlink "$stage/usr/lib/velmora/firebird/$e") || { fail "firebird/$e is not a link"; continue; }
  [ -e "$target" ] || fail "firebird/$e points at $target, which does not exist"
done
if [ -e "$stage/usr/lib/velmora/velmora-check" ]; then
  link /usr/sbin/velmora-check ../lib/velmora/velmora-check
fi

# Every value of the example ini is on a line of its own.
grep -E '^[A-Z]+=.*;' "$stage/etc/velmora/caminhoBDQuindar.ini" && fail "a comment follows a value in the ini"

# The clean-up, run on a copy of the layout: with the default and with a
# setting of its own, only Log*.txt older than that many days go.
run_cleanup() { # days or empty
  local root=$stage/run
  rm -rf "$root"
  mkdir -p "$root/log" "$root/lib"
  touch "$root/lib/velmora.cgi" && chmod +x "$root/lib/velmora.cgi"
  if [ -n "$1" ]; then echo "VELMORA_LOG_DAYS=$1" > "$root/default"; else : > "$root/default"; fi
  touch -d '120 days ago' "$root/log/Logvelmora20200101.txt" "$root/log/notes.txt"
  touch -d '40 days ago' "$root/log/Logvelmora20200301.txt"
  touch "$root/log/Logvelmora20200410.txt"
  sed -e "s|/var/log/velmora|$root/log|g" -e "s|/usr/lib/velmora|$root/lib|g" -e "s|/etc/default/velmora|$root/default|g" \
      "$stage/etc/cron.daily/velmora" > "$root/cleanup"
  sh "$root/cleanup"
  (cd "$root/log" && ls | tr '\n' ' ')
}
got=$(run_cleanup "")
[ "$got" = "Logvelmora20200301.txt Logvelmora20200410.txt notes.txt " ] || fail "default clean-up left: $got"
got=$(run_cleanup 30)
[ "$got" = "Logvelmora20200410.txt notes.txt " ] || fail "30-day clean-up left: $got"

[ "$failures" -eq 0 ] && echo "install layout: ok"
[ "$failures" -eq 0 ]
