#!/usr/bin/env bash
# Compares two Release builds run after run on one generated mission, A then
# B in each pair, so that the machine's drift falls on both alike. Prints the
# median of each figure for A and B and their ratio. See bench/README.md.
#
#   bench/ab.sh BUILD_A BUILD_B [--pairs N] [--size MB] [--seed N] [--shape NAME] [--figures "front fresh null fmt"]
#
# Figures: front = `zebbench --frontend FILE --reps 3` (its median, in one
# process); fresh = `zebparser` on the mission with one `}` too many (the
# front end in a fresh process); null = `zebparser FILE >/dev/null`; fmt =
# `zeb fmt FILE >/dev/null`. fresh, null and fmt also give the CPU time
# (user + system, from /usr/bin/time), which a busy machine moves less than
# the wall clock.
set -euo pipefail

[[ $# -ge 2 ]] || { sed -n '2,12p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 2; }
a=$1
b=$2
shift 2
pairs=8
size_mb=100
seed=1
shape=member
figures="front fresh null"
while [[ $# -gt 0 ]]; do
    case "$1" in
        --pairs) pairs=$2; shift 2 ;;
        --size) size_mb=$2; shift 2 ;;
        --seed) seed=$2; shift 2 ;;
        --shape) shape=$2; shift 2 ;;
        --figures) figures=$2; shift 2 ;;
        *) echo "ab.sh: unknown argument '$1'" >&2; exit 2 ;;
    esac
done
[[ -x /usr/bin/time ]] || { echo "ab.sh: needs /usr/bin/time (Debian package 'time')" >&2; exit 1; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zebab.XXXXXX")
trap 'rm -rf "$tmp"' EXIT INT TERM
input="$tmp/input.mission"
fails="$tmp/fails-at-end.mission"
"$a/bench/zebbench" --generate-bytes $((size_mb * 1000000)) --seed "$seed" --shape "$shape" >"$input"
printf '}\n' | cat "$input" - >"$fails"
cat "$input" "$fails" >/dev/null

now_us() { echo $(($(date +%s%N) / 1000)); }
# Wall-clock µs of one run; its CPU µs go to $tmp/cpu.
timed() {
    local start end
    start=$(now_us)
    /usr/bin/time -f "%U %S" -o "$tmp/time" "$@" >/dev/null 2>/dev/null || true
    end=$(now_us)
    tail -n 1 "$tmp/time" | awk '{ printf "%d\n", ($1 + $2) * 1e6 }' >"$tmp/cpu"
    echo $((end - start))
}
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A runs
for ((i = 0; i < pairs; i++)); do
    for side in a b; do
        build=${!side}
        for figure in $figures; do
            case $figure in
                front)
                    runs[$side.front]+="$("$build/bench/zebbench" --frontend "$input" --reps 3 |
                        awk '{ for (i = 1; i < NF; i++) if ($i == "median") print $(i + 1) * 1000 }') "
                    ;;
                fresh | null)
                    file=$input
                    [[ $figure == fresh ]] && file=$fails
                    runs[$side.$figure]+="$(timed "$build/zebparser" "$file") "
                    runs[$side.$figure-cpu]+="$(cat "$tmp/cpu") "
                    ;;
                fmt)
                    runs[$side.fmt]+="$(timed "$build/zeb" fmt "$input") "
                    runs[$side.fmt-cpu]+="$(cat "$tmp/cpu") "
                    ;;
                *) echo "ab.sh: unknown figure '$figure'" >&2; exit 2 ;;
            esac
        done
    done
done

echo "A = $a"
echo "B = $b"
echo "$pairs pairs, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the end; medians in ms"
for key in $(printf '%s\n' "${!runs[@]}" | sed 's/^[ab]\.//' | sort -u); do
    ma=$(tr ' ' '\n' <<<"${runs[a.$key]}" | grep . | median)
    mb=$(tr ' ' '\n' <<<"${runs[b.$key]}" | grep . | median)
    awk -v k="$key" -v a="$ma" -v b="$mb" 'BEGIN { printf "%-10s A %9.1f   B %9.1f   B/A %.3f\n", k, a / 1000, b / 1000, b / a }'
done
