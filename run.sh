#!/usr/bin/env bash
# The demo. Installs what is missing and builds, serves the demo databases from tdsim on
# a free port, and scripts every object of database "demo" with every option on through
# skelder-cli: one script in out/demo.sql, one file per object under out/demo/.
#   ./run.sh --gui   same server, but opens the Skelder GUI on it (server entry DEMO);
#                    without a display it runs under Xvfb and saves out/main-window.png.
set -euo pipefail
cd "$(dirname "$0")"
gui=false
case "${1:-}" in
  --gui) gui=true ;;
  "") ;;
  *) echo "usage: $0 [--gui]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
scripts/build.sh
build_dir=${BUILD_DIR:-build}
source scripts/demo-server.sh
mkdir -p out

started=$(date +%s.%N)
demo_server_start "$build_dir" testdata/demo.sql
echo "tdsim serves the demo databases on 127.0.0.1:$DEMO_PORT (server entry DEMO)"

if $gui; then
  if [ -n "${DISPLAY:-}" ]; then
    "$build_dir/app/skelder"
  else
    echo "no display: running under Xvfb, screenshot to out/main-window.png"
    SKELDER_SCREENSHOT="$PWD/out/main-window.png" \
      xvfb-run -a -s "-screen 0 1280x800x24" "$build_dir/app/skelder"
    ls -l out/main-window.png
  fi
  exit 0
fi

cli=("$build_dir/bin/skelder-cli" -S DEMO -U sa -P '' -D demo --settings /dev/null
     --drop --triggers --indexes --grants --prefix-db)
rm -rf out/demo out/demo.sql
"${cli[@]}" --quiet -o out/demo.sql
"${cli[@]}" --quiet --separate-files out/demo
finished=$(date +%s.%N)

echo
echo "Objects of database demo, by kind:"
"${cli[@]}" --list | cut -f2 | uniq -c | awk '{ printf "  %-12s %4d\n", $2, $1 }'
printf '  %-12s %4d\n' total "$("${cli[@]}" --list | wc -l)"
echo
echo "out/demo.sql: $(wc -l <out/demo.sql) lines"
echo "out/demo/:    $(find out/demo -type f | wc -l) files"
awk -v s="$started" -v f="$finished" 'BEGIN { printf "time:         %.1f s (server start and both runs)\n", f - s }'
