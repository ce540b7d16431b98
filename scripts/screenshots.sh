#!/usr/bin/env bash
# Renders the main window (also connected to a tdsim serving the demo databases, with an
# opened folder, marks and a generated script), the login dialog, the options dialog (both
# tabs), the help window and the progress window to PNG files under out/screenshots/
# (offscreen), and again at a 14-point font under out/screenshots/14pt/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build_dir=${BUILD_DIR:-build}
source scripts/demo-server.sh
demo_server_start "$build_dir" testdata/demo.sql
QT_QPA_PLATFORM=offscreen "$build_dir/app/skelder-screenshots" out/screenshots DEMO
# The same at a large font: nothing may be cut.
QT_QPA_PLATFORM=offscreen "$build_dir/app/skelder-screenshots" out/screenshots/14pt DEMO 14
