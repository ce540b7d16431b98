#!/usr/bin/env bash
# Times skelder-cli scripting every object of a database with every option on, against
# tdsim: the demo database and a synthetic database of 1,000 tables (or the count given).
# Prints total time, objects per second and requests per object (tdsim's counters).
#   bench/cli_bench.sh [tables]        BUILD_DIR selects the build (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
tables=${1:-1000}
source scripts/demo-server.sh

stat_requests() {
  printf 'exec sp_tdsim_stats\ngo\n' >"$DEMO_SYBASE/stats.sql"
  bsqldb -S DEMO -U sa -P '' -q -t ' ' -i "$DEMO_SYBASE/stats.sql" 2>/dev/null |
    awk '$1 ~ /^[0-9]+$/ { print $1; exit }'
}

measure() {
  local label=$1 database=$2
  shift 2
  demo_server_start "$build_dir" "$@"
  local cli=("$build_dir/bin/skelder-cli" -S DEMO -U sa -P '' -D "$database" --settings /dev/null
             --quiet --drop --triggers --indexes --grants --prefix-db)
  local objects before after started finished
  objects=$("${cli[@]}" --list | wc -l)
  before=$(stat_requests)
  started=$(date +%s.%N)
  "${cli[@]}" -o "$DEMO_SYBASE/script.sql"
  finished=$(date +%s.%N)
  after=$(stat_requests)
  # One request of the difference is the counter query itself.
  awk -v l="$label" -v o="$objects" -v s="$started" -v f="$finished" -v r=$((after - before - 1)) \
    -v lines="$(wc -l <"$DEMO_SYBASE/script.sql")" 'BEGIN {
      t = f - s
      printf "%-22s %6d objects %8d lines %8.2f s %8.1f objects/s %6.1f requests/object\n",
             l, o, lines, t, o / t, r / o }'
  demo_server_stop
}

measure "demo" demo testdata/demo.sql
python3 testdata/generate_large_db.py --tables "$tables" --columns 10 --database big \
  >"${TMPDIR:-/tmp}/skelder-bench-big.sql"
measure "big ($tables tables)" big "${TMPDIR:-/tmp}/skelder-bench-big.sql"
rm -f "${TMPDIR:-/tmp}/skelder-bench-big.sql"
