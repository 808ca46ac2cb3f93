#!/usr/bin/env bash
# Creates the demo store database: an embedded Firebird file built from
# demo/schema.sql and demo/data.sql with isql-fb.  An existing file is
# replaced.
#
#   scripts/demo-db.sh [--check] <output.fdb> [firebird root]
#
# The Firebird root (the directory FIREBIRD points at, with a firebird.conf
# for embedded Classic mode) is the second argument, else the FIREBIRD of the
# environment, else build/firebird.  When none of them has a firebird.conf, a
# private root is made in a temporary directory for this run.
#
# --check then runs demo/check-statements.sql on the new file, block by
# block, and fails unless every statement gives the rows its block expects.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
usage() { echo "usage: $0 [--check] <output.fdb> [firebird root]" >&2; exit 2; }

check=0
args=()
for a in "$@"; do
  case "$a" in
    --check) check=1 ;;
    -h|--help) usage ;;
    -*) echo "$0: unknown option $a" >&2; usage ;;
    *) args+=("$a") ;;
  esac
done
[ ${#args[@]} -ge 1 ] && [ ${#args[@]} -le 2 ] || usage

command -v isql-fb >/dev/null || { echo "$0: isql-fb not found (scripts/setup.sh installs it)" >&2; exit 1; }

out_dir="$(dirname "${args[0]}")"
[ -d "$out_dir" ] || { echo "$0: directory $out_dir does not exist" >&2; exit 1; }
db="$(cd "$out_dir" && pwd)/$(basename "${args[0]}")"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fbdir=/usr/lib/x86_64-linux-gnu/firebird/3.0
if [ ${#args[@]} -eq 2 ]; then
  root="$(cd "${args[1]}" && pwd)"
elif [ -n "${FIREBIRD:-}" ] && [ -f "$FIREBIRD/firebird.conf" ]; then
  root="$FIREBIRD"
elif [ -f "$repo/build/firebird/firebird.conf" ]; then
  root="$repo/build/firebird"
else
  # Same layout as the root the build makes: the engine's plugins and
  # messages linked in, Classic mode so that several processes can open
  # one file embedded.
  root="$work/firebird"
  mkdir "$root"
  for f in plugins intl firebird.msg; do ln -s "$fbdir/$f" "$root/"; done
  cp /etc/firebird/3.0/plugins.conf "$root/"
  printf 'ServerMode = Classic\n' > "$root/firebird.conf"
  echo "$0: no Firebird root found, using a temporary one" >&2
fi
export FIREBIRD="$root"

# isql-fb drops non-ASCII bytes read from a pipe, so every script goes
# through -i.  -b stops at the first error with a non-zero exit code.
isql() { isql-fb -q -b "$@"; }

rm -f "$db"
sql_path=${db//\'/\'\'}
cat > "$work/create.sql" <<EOF
SET SQL DIALECT 1;
CREATE DATABASE '$sql_path' PAGE_SIZE 8192 DEFAULT CHARACTER SET NONE;
EOF
isql -i "$work/create.sql"
# isql warns that a dialect-1 DATE is a TIMESTAMP; that is the point of it.
isql -i "$repo/demo/schema.sql" "$db" 2>&1 | { grep -v -e 'SQL warning code = 301' -e 'DATE data type is now called TIMESTAMP' || true; }
[ "${PIPESTATUS[0]}" -eq 0 ] || { echo "$0: demo/schema.sql failed" >&2; exit 1; }
isql -i "$repo/demo/data.sql" "$db"
echo "demo database: $db"

[ "$check" -eq 1 ] || exit 0

# Split check-statements.sql into its blocks: the settings before the first
# "-- @check" go in front of every block.
checks="$repo/demo/check-statements.sql"
LC_ALL=C awk -v dir="$work" '
  /^-- @check / { n++; file = sprintf("%s/check%03d.sql", dir, n); printf "%s", head > file }
  n == 0 { head = head $0 "\n"; next }
  { print >> file }
' "$checks"

failed=0
total=0
for block in "$work"/check*.sql; do
  total=$((total + 1))
  title="$(LC_ALL=C sed -n 's/^-- @check //p' "$block")"
  want="$(sed -n 's/^-- @rows //p' "$block")"
  result="$work/result.txt"
  if ! isql -i "$block" "$db" > "$result" 2>&1; then
    echo "FAIL  $title: the statement failed"
    sed 's/^/      /' "$result"
    failed=$((failed + 1))
    continue
  fi
  got="$(sed -n 's/^Records affected: //p' "$result" | head -n 1)"
  squeezed="$(LC_ALL=C tr -s ' \t' '  ' < "$result")"
  problems=()
  [ "$got" = "$want" ] || problems+=("rows $got, expected $want")
  while IFS= read -r text; do
    grep -qF -- "$text" <<<"$squeezed" || problems+=("missing \"$text\"")
  done < <(LC_ALL=C sed -n 's/^-- @expect //p' "$block")
  if [ ${#problems[@]} -eq 0 ]; then
    printf 'ok    rows %-2s %s\n' "$got" "$title"
  else
    printf -v why '%s; ' "${problems[@]}"
    echo "FAIL  $title: ${why%; }"
    sed 's/^/      /' "$result"
    failed=$((failed + 1))
  fi
done

echo "$((total - failed)) of $total statement checks passed"
[ "$failed" -eq 0 ]
