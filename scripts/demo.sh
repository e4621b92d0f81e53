#!/usr/bin/env bash
# The program's main job without windows: makes two sample trees with changes on both
# sides, creates a profile over them, shows the plan, synchronises, and shows that a second
# scan finds nothing left to do. Usage: scripts/demo.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
tool="$build/tools/engine-run/engine-run"
if [ ! -x "$tool" ]; then
  echo "The engine driver is not built yet (expected $tool); the build itself succeeded."
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/left/docs" "$work/right"
echo "first draft" > "$work/left/docs/notes.txt"
echo "holiday" > "$work/left/photo.jpg"
"$tool" create "$work/demo.kem" "$work/left" "$work/right"
echo "== plan of the first scan"
"$tool" scan "$work/demo.kem"
echo "== first synchronisation"
"$tool" sync "$work/demo.kem" --ambiguous=best
echo "second draft" > "$work/right/docs/notes.txt"
echo "new on the left" > "$work/left/todo.txt"
rm "$work/left/photo.jpg"
echo "== plan after changes on both sides"
"$tool" scan "$work/demo.kem"
echo "== second synchronisation"
"$tool" sync "$work/demo.kem"
echo "== a rescan finds nothing to do"
"$tool" scan "$work/demo.kem"
diff -r "$work/left" "$work/right" && echo "both trees are equal"
