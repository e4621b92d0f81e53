#!/usr/bin/env bash
# The layer check passes on the checkout and fails, naming file and line, on each kind of
# wrong include in a small tree of its own.
set -uo pipefail
check="$1/scripts/check-layers"
failures=0
expect() {  # expect pass|fail DESCRIPTION FILE TEXT [MESSAGE]
    local want="$1" what="$2" file="$3" text="$4" message="${5:-}"
    local tree; tree=$(mktemp -d)
    mkdir -p "$tree/$(dirname "$file")"
    printf '%s\n' '// a comment line first' "$text" > "$tree/$file"
    local out; out=$("$check" "$tree" 2>&1); local rc=$?
    rm -rf "$tree"
    if [ "$want" = pass ] && [ $rc -ne 0 ]; then echo "FAIL ($what): refused: $out"; failures=$((failures+1)); fi
    if [ "$want" = fail ]; then
        if [ $rc -eq 0 ]; then echo "FAIL ($what): accepted"; failures=$((failures+1));
        elif [[ "$out" != *"$file:2:"*"$message"* ]]; then echo "FAIL ($what): message: $out"; failures=$((failures+1)); fi
    fi
}

expect pass "engine uses the platform" engine/a.cpp '#include "platform/core/cstring.h"'
expect pass "ui uses controls" ui/a.cpp '#include "controls/grid/grid_ctrl.h"'
expect pass "Qt in the windowing layer" platform/gui/a.cpp '#include <QWidget>'
expect pass "OS header in the platform" platform/core/a.cpp '#include <sys/stat.h>'
expect pass "a file beside this one" engine/a.cpp '#include "local.h"'
expect fail "engine reaches up to app" engine/tree/a.cpp '#include "app/file_logger.h"' "header of app"
expect fail "engine reaches the windowing layer" engine/a.h '#include "platform/gui/window.h"' "header of platform/gui"
expect fail "app reaches controls" app/a.cpp '#include "controls/msgbox.h"' "header of controls"
expect fail "app reaches ui" app/a.cpp '  #  include "ui/main_frame.h"' "header of ui"
expect fail "Qt in app" app/a.cpp '#include <QString>' "Qt header"
expect fail "Qt in the engine" engine/a.cpp '#include <QtCore/qstring.h>' "Qt header"
expect fail "OS header in the engine" engine/a.cpp '#include <unistd.h>' "operating-system header"
expect fail "OS header in app" app/a.cpp '#include <linux/fs.h>' "operating-system header"
expect fail "migration tool uses the engine" migrate-settings/a.cpp '#include "engine/watcher.h"' "header of engine"
expect fail "platform uses the engine" platform/core/a.cpp '#include "engine/error_info.h"' "header of engine"
expect fail "engine test reaches ui" tests/engine/a_test.cpp '#include "ui/app.h"' "header of ui"

out=$("$check" "$1" 2>&1) || { echo "FAIL (the checkout): $out"; failures=$((failures+1)); }
[ $failures -eq 0 ] && echo "check-layers: all cases behave"
exit $failures
