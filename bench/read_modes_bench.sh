#!/usr/bin/env bash
# The catalog reads of skelder-cli against tdsim, database by database (the default) and
# object by object (--per-object-reads):
#   1. requests (as tdsim counts them), rows' bytes sent and wall time for one run of
#      every option on the demo database and on synthetic databases with constraints;
#   2. wall time against FreeTDS's defncopy on the same 200 tables (2 indexes each) and
#      200 procedures at tdsim --latency-ms 0, 5 and 20, in one run;
#   3. wall time and peak resident memory (/usr/bin/time -v) scripting 5,000 tables with
#      every option at 20 ms latency.
#   bench/read_modes_bench.sh [large-tables]     BUILD_DIR selects the build (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
large_tables=${1:-5000}
source scripts/demo-server.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/skelder-read-bench-XXXXXX")
trap 'demo_server_stop; rm -rf "$work"' EXIT

# requests and bytes_out of the server so far, as "requests bytes".
server_stats() {
  printf 'exec sp_tdsim_stats\ngo\n' >"$work/stats.sql"
  bsqldb -S DEMO -U sa -P '' -q -t ' ' -i "$work/stats.sql" 2>/dev/null |
    awk '$1 ~ /^[0-9]+$/ { print $1, $5; exit }'
}

cli() {
  "$build_dir/bin/skelder-cli" -S DEMO -U sa -P '' --settings /dev/null --quiet "$@"
}

every_option=(--drop --triggers --indexes --grants --prefix-db --no-header)

# One scripting run of `database` with the read mode's flags; prints the figures of a row.
measure_requests() {
  local label=$1 database=$2
  shift 2
  local objects base probe before after started finished
  objects=$(cli -D "$database" --list | wc -l)
  base=$(server_stats)
  probe=$(server_stats)
  # What asking for the figures costs, itself, is taken off.
  local cost_requests=$((${probe% *} - ${base% *})) cost_bytes=$((${probe#* } - ${base#* }))
  before=$(server_stats)
  started=$(date +%s.%N)
  cli -D "$database" "${every_option[@]}" -o "$work/$label.sql" "$@"
  finished=$(date +%s.%N)
  after=$(server_stats)
  awk -v l="$label" -v o="$objects" -v s="$started" -v f="$finished" \
    -v r=$((${after% *} - ${before% *} - cost_requests)) \
    -v b=$((${after#* } - ${before#* } - cost_bytes)) 'BEGIN {
      printf "%-34s %6d objects %7d requests %7.2f requests/object %9.1f KiB sent %7.2f s\n",
             l, o, r, r / o, b / 1024, f - s }'
}

echo "== requests per database: login, listing and script of every object, every option"
python3 testdata/generate_large_db.py --tables 200 --columns 10 --constraints --database big \
  >"$work/big.sql"
demo_server_start "$build_dir" testdata/demo.sql "$work/big.sql"
for database in demo big; do
  measure_requests "$database, whole database" "$database"
  measure_requests "$database, per object" "$database" --per-object-reads
  cmp -s "$work/$database, whole database.sql" "$work/$database, per object.sql" ||
    echo "  the two scripts of $database differ" >&2
done
demo_server_stop

echo "== 200 tables (2 indexes each) and 200 procedures: skelder-cli against defncopy"
python3 testdata/generate_large_db.py --tables 200 --columns 10 --procedure-every 1 \
  --database perf >"$work/perf.sql"
objects=()
for ((t = 0; t < 200; ++t)); do
  objects+=("$(printf 'dbo.tab_%05d' "$t")" "$(printf 'dbo.tab_%05d_get' "$t")")
done
for latency in 0 5 20; do
  DEMO_TDSIM_ARGS="--latency-ms $latency" demo_server_start "$build_dir" "$work/perf.sql"
  started=$(date +%s.%N)
  cli -D perf --kind tables --kind procedures --indexes --no-drop --no-header \
    -o "$work/perf-skelder.sql"
  middle=$(date +%s.%N)
  defncopy -S DEMO -U sa -P '' -D perf -o "$work/perf-defncopy.sql" "${objects[@]}" >/dev/null
  finished=$(date +%s.%N)
  awk -v l="$latency" -v s="$started" -v m="$middle" -v f="$finished" 'BEGIN {
    printf "latency %2d ms: skelder-cli %7.2f s, defncopy %7.2f s, ratio %.3f\n",
           l, m - s, f - m, (m - s) / (f - m) }'
  demo_server_stop
done

echo "== $large_tables tables with constraints, every option, at 20 ms latency"
python3 testdata/generate_large_db.py --tables "$large_tables" --columns 10 --constraints \
  --database large >"$work/large.sql"
DEMO_TDSIM_ARGS="--latency-ms 20" demo_server_start "$build_dir" "$work/large.sql"
/usr/bin/time -v "$build_dir/bin/skelder-cli" -S DEMO -U sa -P '' --settings /dev/null --quiet \
  -D large "${every_option[@]}" -o "$work/large-script.sql" 2>"$work/time.txt"
awk -F': ' '/Elapsed \(wall clock\)/ { wall = $2 } /Maximum resident set size/ { rss = $2 }
  END { printf "wall %s, peak resident memory %.1f MiB\n", wall, rss / 1024 }' "$work/time.txt"
awk -v lines="$(wc -l <"$work/large-script.sql")" -v bytes="$(stat -c %s "$work/large-script.sql")" \
  'BEGIN { printf "script: %d lines, %.1f MiB\n", lines, bytes / 1048576 }'
