#!/usr/bin/env bash
# Runs the GUI tests once more on a real X server (Xvfb, through xvfb-run) instead of the
# offscreen platform, writing their screenshots to <build>/screenshots-xvfb/<suite>/.
#
#   scripts/gui-screenshots.sh [BUILD]     (BUILD defaults to ./build, already built)
set -euo pipefail
build="${1:-build}"
build="$(cd "$build" && pwd)"
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing: bash scripts/install-deps.sh" >&2; exit 2; }
export QT_QPA_PLATFORM=xcb
export WK_SCREENSHOT_DIR="$build/screenshots-xvfb"
export LANG=C.UTF-8
status=0
for suite in platform_gui controls ui; do
    for kind in tests threaded_tests; do
        exe="$build/tests/${suite}_${kind}"
        [ -x "$exe" ] || continue
        echo "== $suite ($kind) on Xvfb"
        xvfb-run -a -s "-screen 0 1280x1024x24" "$exe" || status=1
    done
done
echo "Screenshots: $WK_SCREENSHOT_DIR"
exit $status
