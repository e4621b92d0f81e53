#!/usr/bin/env bash
# Measures the engine against the ordinary tools on the same trees, in one run, warm
# cache, median of 5 alternating runs, and appends the figures to bench/RESULTS.md.
#   bench/compare.sh BUILD_DIR [--large | --files N] [--work DIR] [--runs N] [--skip-big-file]
# Default trees: 100,000 files in 1,000 directories per side (sizes up to 1 MiB);
# --large: 500,000 in 5,000 (sizes up to 256 KiB, to keep the trees within a few GiB).
set -euo pipefail
build=${1:?usage: bench/compare.sh BUILD_DIR [--large] [--work DIR] [--runs N] [--skip-big-file]}
shift
files=100000; dirs=1000; runs=5; work=""; big=1; maxsize=1048576
while [ $# -gt 0 ]; do
  case "$1" in
    --large) files=500000; dirs=5000; maxsize=262144 ;;
    --files) files=$2; dirs=$(( $2 / 100 > 0 ? $2 / 100 : 1 )); shift ;;
    --work) work=$2; shift ;;
    --runs) runs=$2; shift ;;
    --skip-big-file) big=0 ;;
    *) echo "unknown option $1" >&2; exit 64 ;;
  esac
  shift
done
here=$(cd "$(dirname "$0")" && pwd)
tool=$(cd "$build" && pwd)/tools/engine-run/engine-run
[ -x "$tool" ] || { echo "engine-run not built in $build" >&2; exit 1; }

need=()
for p in rsync unison time python3; do
  command -v "$p" >/dev/null 2>&1 || need+=("$p")
done
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq rsync unison time python3
fi

work=${work:-$(mktemp -d /var/tmp/wk-bench.XXXXXX)}
mkdir -p "$work"
echo "work directory: $work"
L=$work/left; R=$work/right
if [ ! -d "$L" ]; then
  echo "generating $files files in $dirs directories"
  python3 "$here/make_tree.py" "$L" "$files" "$dirs" 20261210 "$maxsize"
  cp -a "$L" "$R"
fi
export UNISON=$work/unison-home; mkdir -p "$UNISON"

# measure NAME CMD...: runs the command once, prints "seconds peak_kb".
measure() {
  /usr/bin/time -o "$work/time.out" -f '%e %M' "$@" >/dev/null 2>&1 || true
  tail -1 "$work/time.out"
}
median() { sort -n | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }

prof=$work/bench.kem
if [ ! -f "$prof" ]; then
  "$tool" create "$prof" "$L" "$R" >/dev/null
  "$tool" sync "$prof" --ambiguous=best >/dev/null
fi
unison "$L" "$R" -batch -silent -times >/dev/null 2>&1 || true   # builds unison's archive

declare -A T M
names=(engine find rsync unison)
for ((i = 1; i <= runs; i++)); do
  for n in "${names[@]}"; do
    case $n in
      engine) r=$(measure "$tool" scan "$prof") ;;
      find) r=$(measure find "$L" "$R" -printf '%y%m %s %T@\n') ;;
      rsync) r=$(measure rsync -an "$L/" "$R/") ;;
      unison) r=$(measure unison "$L" "$R" -batch -silent -times) ;;
    esac
    T[$n]+="${r% *}"$'\n'; M[$n]+="${r#* }"$'\n'
  done
done
declare -A TM MM
for n in "${names[@]}"; do
  TM[$n]=$(printf '%s' "${T[$n]}" | median)
  MM[$n]=$(printf '%s' "${M[$n]}" | median)
done
entries=$(find "$L" "$R" | wc -l)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }

# First synchronisation of 50,000 small files against cp -a, each followed by sync -f.
S=$work/small-src
[ -d "$S" ] || python3 "$here/make_tree.py" "$S" 50000 500 7 4096
ts=""; tc=""
for ((i = 1; i <= runs; i++)); do
  rm -rf "$work/small-dst" "$work/small-cp" "$work/small.kem"; mkdir -p "$work/small-dst"; sync
  "$tool" create "$work/small.kem" "$S" "$work/small-dst" >/dev/null
  s=$(date +%s.%N); "$tool" sync "$work/small.kem" --ambiguous=best >/dev/null; sync -f "$work/small-dst"; e=$(date +%s.%N)
  ts+=$(awk -v a="$s" -v b="$e" 'BEGIN{print b-a}')$'\n'
  s=$(date +%s.%N); cp -a "$S" "$work/small-cp"; sync -f "$work/small-cp"; e=$(date +%s.%N)
  tc+=$(awk -v a="$s" -v b="$e" 'BEGIN{print b-a}')$'\n'
done
small_engine=$(printf '%s' "$ts" | median); small_cp=$(printf '%s' "$tc" | median)

big_engine=n/a; big_cp=n/a
if [ $big = 1 ]; then
  B=$work/big-src; mkdir -p "$B"
  [ -f "$B/big.bin" ] || head -c $((2 << 30)) /dev/urandom > "$B/big.bin"
  tb=""; tcp=""
  for ((i = 1; i <= runs; i++)); do
    rm -rf "$work/big-dst" "$work/big-cp" "$work/big.kem"; mkdir -p "$work/big-dst" "$work/big-cp"; sync
    "$tool" create "$work/big.kem" "$B" "$work/big-dst" >/dev/null
    s=$(date +%s.%N); "$tool" sync "$work/big.kem" --ambiguous=best >/dev/null; sync -f "$work/big-dst"; e=$(date +%s.%N)
    tb+=$(awk -v a="$s" -v b="$e" 'BEGIN{print b-a}')$'\n'
    s=$(date +%s.%N); cp --reflink=never "$B/big.bin" "$work/big-cp/big.bin"; sync -f "$work/big-cp"; e=$(date +%s.%N)
    tcp+=$(awk -v a="$s" -v b="$e" 'BEGIN{print b-a}')$'\n'
  done
  big_engine=$(printf '%s' "$tb" | median); big_cp=$(printf '%s' "$tcp" | median)
fi

prof_size=$(stat -c %s "$prof")
stats=$("$tool" scan "$prof" --stats 2>&1 >/dev/null | grep -E '^(phase|peak|save|load)' | tr '\n' ';' || true)

report=$(cat <<EOT
### $(date -u +%Y-%m-%d\ %H:%M) UTC: $files files in $dirs directories per side ($entries entries)
Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), file system $(stat -f -c %T "$work").

| no-change rescan | seconds (median of $runs) | peak RSS (KiB) | time ratio to find |
|---|---|---|---|
| engine-run scan | ${TM[engine]} | ${MM[engine]} | $(ratio "${TM[engine]}" "${TM[find]}") |
| find -printf | ${TM[find]} | ${MM[find]} | 1.00 |
| rsync -an | ${TM[rsync]} | ${MM[rsync]} | $(ratio "${TM[rsync]}" "${TM[find]}") |
| unison | ${TM[unison]} | ${MM[unison]} | $(ratio "${TM[unison]}" "${TM[find]}") |

Engine peak memory per entry: $(awk -v m="${MM[engine]}" -v e="$entries" 'BEGIN{printf "%.0f", m*1024/e}') bytes. Profile size: $prof_size bytes.

| first synchronisation | engine (s) | cp (s) | ratio |
|---|---|---|---|
| 50,000 small files | $small_engine | $small_cp | $(ratio "$small_engine" "$small_cp") |
| one 2 GiB file | $big_engine | $big_cp | $(ratio "$big_engine" "$big_cp") |

Engine phases (--stats): ${stats:-n/a}

EOT
)
printf '%s\n' "$report"
printf '%s\n' "$report" >> "$here/RESULTS.md"
