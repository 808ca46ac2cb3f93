#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent; runs as root
# on a fresh machine and through sudo otherwise.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libgtest-dev googletest
  libxml2-dev libinih-dev libfcgi-dev
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils firebird3.0-server
  lighttpd php8.2-cli php8.2-soap curl
  apache2 libapache2-mod-fcgid nginx fcgiwrap spawn-fcgi
  dpkg-dev fakeroot
  php8.2-fpm php8.2-interbase
  clang libclang-rt-14-dev wrk locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo -E "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
# The Firebird server package must neither start a service nor ask for a
# password: tests start their own server on a private root.
echo "firebird3.0-server shared/firebird/enabled boolean false" | as_root debconf-set-selections
echo "firebird3.0-server shared/firebird/sysdba_password/new_password password masterkey" | as_root debconf-set-selections
# The web servers are for the tests, which start their own: none of them
# may start a service (or take port 80) when it is installed.
if [ ! -e /usr/sbin/policy-rc.d ]; then
  as_root sh -c 'printf "#!/bin/sh\nexit 101\n" > /usr/sbin/policy-rc.d && chmod 755 /usr/sbin/policy-rc.d'
  trap 'as_root rm -f /usr/sbin/policy-rc.d' EXIT
fi
as_root apt-get update -qq
as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
