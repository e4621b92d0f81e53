#!/usr/bin/env bash
# Fails when one of the given programs loads a Qt library: the layers below the windowing
# layer (platform/core, resources, engine, app) and the programs built on them alone must
# run without Qt.
set -uo pipefail
status=0
for program in "$@"; do
    if ! out=$(ldd "$program" 2>&1); then
        echo "FAIL: ldd $program: $out"; status=1; continue
    fi
    if qt=$(grep -i 'libQt6' <<<"$out"); then
        echo "FAIL: $program loads Qt:"; echo "$qt"; status=1
    fi
done
[ $status -eq 0 ] && echo "no Qt library in: $*"
exit $status
