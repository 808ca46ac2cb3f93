#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehavior-
# Sanitizer) in build-fuzz and runs each for a while on its seed corpus.
#
#   scripts/fuzz.sh [seconds per target, default 60] [target ...]
#
# Targets: soap_request cgi_request multipart query_fields config (all by
# default).
# New inputs the fuzzer finds go to build-fuzz/corpus/<target> (the seeds in
# fuzz/corpus/<target> are only read); a crash, leak, broken rule or an
# input slower than the time limit leaves its input in
# build-fuzz/artifacts/<target>/ and makes the script fail. Attachments of
# multipart requests go to a private TMPDIR that must be empty afterwards.
#
# A long run: scripts/fuzz.sh 3600
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${1:-60}
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(soap_request cgi_request multipart query_fields config)
# Per input, wall clock; the service's bound is 1 s of CPU.
INPUT_TIMEOUT=${FUZZ_INPUT_TIMEOUT:-1}
BUILD=build-fuzz

FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$FLAGS" -DCMAKE_CXX_FLAGS="$FLAGS" \
  -DVELMORA_FUZZ=ON -DVELMORA_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target $(printf 'fuzz_%s ' "${TARGETS[@]}")

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
for t in "${TARGETS[@]}"; do
  case $t in
    soap_request) dict=fuzz/soap.dict; max_len=16384 ;;
    multipart) dict=fuzz/soap.dict; max_len=16384 ;;
    cgi_request) dict=fuzz/cgi.dict; max_len=16384 ;;
    query_fields) dict=fuzz/query.dict; max_len=4096 ;;
    config) dict=fuzz/ini.dict; max_len=8192 ;;
    *) echo "unknown target $t" >&2; exit 2 ;;
  esac
  corpus=$BUILD/corpus/$t
  artifacts=$BUILD/artifacts/$t
  tmp=$BUILD/tmp/$t
  log=$BUILD/logs/$t.log
  mkdir -p "$corpus" "$artifacts/" "$tmp" "$(dirname "$log")"
  echo "== $t: ${SECONDS_PER_TARGET}s"
  if ! TMPDIR=$(realpath "$tmp") "$BUILD/fuzz/fuzz_$t" "$corpus" "fuzz/corpus/$t" \
      -dict="$dict" -max_len=$max_len -timeout="$INPUT_TIMEOUT" -rss_limit_mb=2048 \
      -max_total_time="$SECONDS_PER_TARGET" -report_slow_units=1 -print_final_stats=1 \
      -artifact_prefix="$artifacts/" >"$log" 2>&1; then
    echo "!! $t failed; see $log" >&2
    tail -n 40 "$log" >&2
    status=1
  fi
  if [ -n "$(ls -A "$tmp")" ]; then
    echo "!! $t left files in its TMPDIR $tmp" >&2
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^stat::slowest_unit_time_sec|^stat::peak_rss_mb|Slowest unit|^Done ' "$log" || true
  slow=$(grep -c 'Slow unit' "$log" || true)
  echo "   slow-unit reports: $slow"
done
exit $status
