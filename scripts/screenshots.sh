#!/usr/bin/env bash
# Renders the main window, the options dialog (both tabs) and the progress window to
# PNG files under out/screenshots/ (offscreen, no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
QT_QPA_PLATFORM=offscreen build/app/skelder-screenshots out/screenshots
