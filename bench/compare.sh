#!/usr/bin/env bash
# Whole-process comparison on the largest provider file and on one ten times
# as large: tarifcheck (load; load and save) side by side with a plain read,
# a C INI parser (inih) and a plain safe copy, each run N times in turn;
# prints the median wall time, the ratios and tarifcheck's peak memory.
#
#   bench/compare.sh [BUILD_DIR] [RUNS]     (default build-rel, 21)
#
# With BEFORE=/path/to/an/older/tarifcheck, that program's load and save run
# in the same rounds, for before-and-after figures.
set -euo pipefail
build=${1:-build-rel}
runs=${2:-21}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_provider_file" "$work/Provider.ini" 1
"$build/bench/make_provider_file" "$work/Large.ini" 10
: >"$work/Empty.ini"
check="$build/tarifcheck"

declare -A cmd=(
    [start]="$check $work/Empty.ini"
    [read]="cat $work/Provider.ini"
    [inih]="$build/bench/inih_baseline $work/Provider.ini"
    [copy]="$build/bench/safe_copy $work/Provider.ini $work/copy.ini"
    [load]="$check $work/Provider.ini"
    [save]="$check --date 12/08/2026 --write $work/out.ini $work/Provider.ini"
    [load10]="$check $work/Large.ini"
    [save10]="$check --date 12/08/2026 --write $work/out10.ini $work/Large.ini"
)
names=(start read inih copy load save load10 save10)
if [ -n "${BEFORE:-}" ]; then
    cmd[load_before]="$BEFORE $work/Provider.ini"
    cmd[save_before]="$BEFORE --date 12/08/2026 --write $work/out.ini $work/Provider.ini"
    names+=(load_before save_before)
fi
[ -x "$build/bench/inih_baseline" ] || names=(${names[@]/inih})

# Rounds of every command in turn, so that a busy moment of the machine
# falls on all of them alike.
for ((r = 0; r < runs; ++r)); do
    for n in "${names[@]}"; do
        s=$(date +%s%N)
        ${cmd[$n]} >/dev/null 2>&1 || true
        e=$(date +%s%N)
        echo $(((e - s) / 1000)) >>"$work/$n.us"
    done
done
median() { sort -n "$work/$1.us" | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
declare -A med
for n in "${names[@]}"; do
    med[$n]=$(median "$n")
    printf '%-12s %8.2f ms   %s\n' "$n" "$(echo "${med[$n]}/1000" | bc -l)" "${cmd[$n]//$work\//}"
done
ratio() { printf '%-22s %6.2f\n' "$1" "$(echo "${med[$2]}/${med[$3]}" | bc -l)"; }
[ -n "${med[inih]:-}" ] && ratio "load / inih" load inih
ratio "save / safe copy" save copy
ratio "load 10x / load" load10 load
ratio "save 10x / save" save10 save
/usr/bin/time -o "$work/peak" -f %M ${cmd[save]} >/dev/null 2>&1 || true
peak=$(tail -n1 "$work/peak")
printf '%-22s %6.1f MiB\n' "peak of save" "$(echo "$peak/1024" | bc -l)"
if [ -n "${BEFORE:-}" ]; then
    ratio "load before / inih" load_before inih
    ratio "save before / copy" save_before copy
    /usr/bin/time -o "$work/peak" -f %M ${cmd[save_before]} >/dev/null 2>&1 || true
    printf '%-22s %6.1f MiB\n' "peak of save before" "$(echo "$(tail -n1 "$work/peak")/1024" | bc -l)"
fi
