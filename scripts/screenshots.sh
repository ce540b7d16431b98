#!/usr/bin/env bash
# Renders the main window (also connected to a tdsim serving the demo databases, with an
# opened folder, marks and a generated script), the login dialog, the options dialog (both
# tabs) and the progress window to PNG files under out/screenshots/ (offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

work=$(mktemp -d)
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
build/bin/tdsim --port 0 --init testdata/demo.sql > "$work/tdsim.out" &
server=$!
until grep -q '^listening on' "$work/tdsim.out" 2>/dev/null; do
  kill -0 "$server" 2>/dev/null || { cat "$work/tdsim.out" >&2; exit 1; }
  sleep 0.1
done
port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/tdsim.out")
mkdir -p "$work/ini"
printf '[DEMO]\n    host = 127.0.0.1\n    port = %s\n    tds version = 5.0\n' "$port" > "$work/ini/sql.ini"

SYBASE="$work" QT_QPA_PLATFORM=offscreen build/app/skelder-screenshots out/screenshots DEMO
