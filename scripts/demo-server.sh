# Sourced, not run: demo_server_start BUILD_DIR INIT_FILE... starts tdsim on a free port
# with the given init scripts, writes an interfaces file naming it DEMO in a temporary
# SYBASE directory (never the user's), exports SYBASE and FREETDSCONF, and stops the
# server and removes the directory when the calling shell exits.

demo_server_stop() {
  if [ -n "${DEMO_PID:-}" ]; then
    kill "$DEMO_PID" 2>/dev/null || true
    wait "$DEMO_PID" 2>/dev/null || true
    DEMO_PID=
  fi
  if [ -n "${DEMO_SYBASE:-}" ]; then
    rm -rf "$DEMO_SYBASE"
    DEMO_SYBASE=
  fi
}

demo_server_start() {
  local build_dir=$1
  shift
  # DEMO_TDSIM_ARGS: further tdsim options, such as --latency-ms 20.
  local args=(${DEMO_TDSIM_ARGS:-})
  for file in "$@"; do
    args+=(--init "$file")
  done
  DEMO_SYBASE=$(mktemp -d "${TMPDIR:-/tmp}/skelder-demo-XXXXXX")
  mkdir -p "$DEMO_SYBASE/ini"
  trap demo_server_stop EXIT
  "$build_dir/bin/tdsim" --port 0 "${args[@]}" >"$DEMO_SYBASE/tdsim.out" 2>"$DEMO_SYBASE/tdsim.err" &
  DEMO_PID=$!
  # tdsim prints "listening on 127.0.0.1:PORT" once its init scripts have run.
  until grep -qs '^listening on ' "$DEMO_SYBASE/tdsim.out"; do
    if ! kill -0 "$DEMO_PID" 2>/dev/null; then
      echo "tdsim did not start:" >&2
      cat "$DEMO_SYBASE/tdsim.err" "$DEMO_SYBASE/tdsim.out" >&2
      DEMO_PID=
      return 1
    fi
    sleep 0.1
  done
  DEMO_PORT=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$DEMO_SYBASE/tdsim.out")
  printf '[DEMO]\n    host = 127.0.0.1\n    port = %s\n    tds version = 5.0\n' "$DEMO_PORT" \
    >"$DEMO_SYBASE/ini/sql.ini"
  export SYBASE=$DEMO_SYBASE FREETDSCONF=$DEMO_SYBASE/ini/sql.ini
}
