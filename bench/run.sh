#!/usr/bin/env bash
# Times zebparser on one generated mission beside the I/O floors and prints
# every figure of the performance targets. See bench/README.md.
#
#   bench/run.sh [--size MB] [--runs N] [--scaling] [--big] [--build DIR] [--seed N]
#                [--shape member|plan|map|text|mix|all]
#
# Every shape (the default, all) gets a row of the shapes table; the member
# shape also gets the full table of figures. The companion's rows (zeb fmt,
# zeb check on a pack of small missions, zeb lsp) come last. --scaling runs
# the 1 to 256 MB series (--big adds 400 MB) for every shape --shape picks.
#
# MB are 10^6 bytes. Installs what it needs first (scripts/install-deps
# --tests --bench); a row whose tool is still missing says so.
set -euo pipefail

size_mb=100
runs=5
scaling=0
big=0
seed=1
shape=all
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/release"

usage() {
    sed -n '2,14p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit "${1:-0}"
}

while [[ $# -gt 0 ]]; do
    case "$1" in
        --size) size_mb=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --scaling) scaling=1; shift ;;
        --big) big=1; scaling=1; shift ;;
        --build) build=$2; shift 2 ;;
        --seed) seed=$2; shift 2 ;;
        --shape) shape=$2; shift 2 ;;
        -h|--help) usage 0 ;;
        *) echo "run.sh: unknown argument '$1'" >&2; usage 2 ;;
    esac
done
[[ $size_mb =~ ^[0-9]+$ && $size_mb -gt 0 ]] || { echo "run.sh: --size wants a whole number of MB" >&2; exit 2; }
[[ $runs =~ ^[0-9]+$ && $runs -gt 0 ]] || { echo "run.sh: --runs wants a positive number" >&2; exit 2; }
case "$shape" in
    all) shapes=(member plan map text mix) ;;
    member|plan|map|text|mix) shapes=("$shape") ;;
    *) echo "run.sh: --shape wants member, plan, map, text, mix or all" >&2; exit 2 ;;
esac

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zebbench.XXXXXX")
trap 'rm -rf "$tmp"' EXIT INT TERM

note() { printf '%s\n' "$*" >&2; }

# ---- tools and build -------------------------------------------------------
# Nothing happens here when everything is installed. Without apt-get the
# rows whose tool is missing say so.
"$root/scripts/install-deps" --tests --bench ||
    note "run.sh: could not install every tool (scripts/install-deps --tests --bench); going on"

# The release preset: the build that is shipped, with link-time optimisation
# and the C++ runtime linked in; --build only moves its folder.
note "== building the release preset in $build"
(cd "$root" && cmake --preset release -B "$build") >"$tmp/cmake.log" 2>&1 ||
    { cat "$tmp/cmake.log" >&2; exit 1; }
cmake --build "$build" --target zebparser zeb zebbench write_floor touch_floor >"$tmp/build.log" 2>&1 ||
    { cat "$tmp/build.log" >&2; exit 1; }
zebparser="$build/zebparser"
zeb="$build/zeb"
zebbench="$build/bench/zebbench"
write_floor="$build/bench/write_floor"
touch_floor="$build/bench/touch_floor"

# ---- helpers ----------------------------------------------------------------
now_ns() { date +%s%N; }

# Seconds taken by one run of a command line, given as a string for bash -c
# so that its redirections are part of it; the cost of starting that shell
# (measured once, below) is taken off.
overhead=0
time_once() {
    local start end
    start=$(now_ns)
    bash -c "$1"
    end=$(now_ns)
    awk -v a="$start" -v b="$end" -v o="$overhead" 'BEGIN { t = (b - a) / 1e9 - o; printf "%.5f", (t > 0 ? t : 0) }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Median seconds of N runs of a command line.
time_median() {
    local n=$1 command=$2 i
    for ((i = 0; i < n; i++)); do time_once "$command"; echo; done | median
}

mbps() { awk -v b="$1" -v s="$2" 'BEGIN { printf "%.1f", b / 1e6 / s }'; }
ms() { awk -v s="$1" 'BEGIN { printf "%.1f", s * 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v v="$1" -v op="$2" -v t="$3" 'BEGIN { ok = (op == "<=") ? v <= t + 1e-9 : v >= t - 1e-9; print ok ? "met" : "MISSED" }'; }

# The full table is the member shape's; the other shapes only fill the
# shapes table.
rows=()
detail=1
row() { [[ $detail -eq 1 ]] && rows+=("$(printf '%-46s|%18s|%16s|%s' "$1" "$2" "$3" "$4")"); return 0; }
shape_rows=()
scan_rows=()
front_floor_rows=()
zeb_rows=()

load_start=$(cut -d' ' -f1-3 /proc/loadavg)
overhead=$(time_median 21 ":")

for kind in "${shapes[@]}"; do
detail=$([[ $kind == member ]] && echo 1 || echo 0)

# ---- the file -----------------------------------------------------------------
input="$tmp/input.mission"
formatted="$tmp/formatted.out"
bytes=$((size_mb * 1000000))
note "== generating $size_mb MB, shape $kind (seed $seed)"
"$zebbench" --generate-bytes "$bytes" --seed "$seed" --shape "$kind" >"$input"
in_bytes=$(stat -c %s "$input")
"$zebparser" "$input" >"$formatted" 2>"$tmp/err" || { cat "$tmp/err" >&2; exit 1; }
out_bytes=$(stat -c %s "$formatted")
out_lines=$(wc -l <"$formatted")
in_mb=$(awk -v b="$in_bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
out_mb=$(awk -v b="$out_bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
if [[ $detail -eq 1 ]]; then member_in_mb=$in_mb member_out_mb=$out_mb member_out_lines=$out_lines; fi
cat "$input" >/dev/null  # into the page cache, as for every run below

# ---- times on the one file ----------------------------------------------------
note "== timing, median of $runs runs each"
t_null=$(time_median "$runs" "'$zebparser' '$input' >/dev/null 2>/dev/null")
t_read=$(time_median "$runs" "cat '$input' >/dev/null")
t_write=$(time_median "$runs" "'$write_floor' '$formatted' >/dev/null")
frontend_line=$("$zebbench" --frontend "$input" --reps "$runs")
t_front=$(awk '{ for (i = 1; i < NF; i++) if ($i == "median") { v = $(i + 1); print v / 1000 } }' <<<"$frontend_line")
# The scanner alone: the least a front end can do with the text. A run
# that reads, scans and writes, and does nothing else, has the least ratio
# to the I/O floors any front end could reach on this shape.
scan_line=$("$zebbench" --scan "$input" --reps "$runs")
t_scan=$(awk '{ for (i = 1; i < NF; i++) if ($i == "median") { v = $(i + 1); print v / 1000 } }' <<<"$scan_line")
floor=$(awk -v a="$t_read" -v b="$t_write" 'BEGIN { print a + b }')
least_ratio=$(awk -v f="$floor" -v s="$t_scan" 'BEGIN { printf "%.2f", (f + s) / f }')
floor_ratio=$(ratio "$t_null" "$floor")
front_mbps=$(mbps "$in_bytes" "$t_front")
rss_shown=n/a
rss_met=n/a
if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -v "$zebparser" "$input" >/dev/null 2>"$tmp/time.log" || true
    rss_kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$tmp/time.log")
    if [[ -n $rss_kb ]]; then
        rss_shown=$(awk -v k="$rss_kb" -v b="$in_bytes" 'BEGIN { printf "%.1f MB %.2fx", k * 1024 / 1e6, k * 1024 / b }')
        rss_met=$(verdict "$((rss_kb * 1024))" "<=" "$((3 * in_bytes + 8 * 1048576))")
    fi
fi
shape_rows+=("$(printf '%-8s|%9s|%12s|%12s|%13s %-6s|%6s %-6s|%17s %-6s' "$kind" "$in_mb MB" "$(ms "$t_read") ms" \
    "$(ms "$t_write") ms" "$front_mbps MB/s" "$(verdict "$front_mbps" ">=" 250)" \
    "$floor_ratio" "$(verdict "$floor_ratio" "<=" 1.3)" "$rss_shown" "$rss_met")")
# The companion on the same file: zeb fmt against the listing (the target
# is set on a commented mission; every shape but map has comments) and
# zeb check against the front end.
if [[ -x $zeb ]]; then
    t_fmt_shape=$(time_median "$runs" "'$zeb' fmt '$input' >/dev/null 2>/dev/null")
    t_check_shape=$(time_median "$runs" "'$zeb' check '$input' >/dev/null 2>/dev/null")
    fmt_shape_ratio=$(ratio "$t_fmt_shape" "$t_null")
    fmt_verdict=$(verdict "$fmt_shape_ratio" "<=" 1.5)
    grep -q / "$input" || fmt_verdict="(no comment)"
    zeb_rows+=("$(printf '%-8s|%11s|%11s|%22s|%11s|%s' "$kind" "$(ms "$t_fmt_shape") ms" "$(ms "$t_null") ms" \
        "$fmt_shape_ratio $fmt_verdict" "$(ms "$t_check_shape") ms" \
        "$(ratio "$t_check_shape" "$t_front")")")
fi
scan_rows+=("$(printf '%-8s|%12s|%13s|%20s|%s' "$kind" "$(ms "$t_scan") ms" "$(mbps "$in_bytes" "$t_scan") MB/s" \
    "$least_ratio" "front end $(ms "$t_front") ms = scanner + $(ms "$(awk -v a="$t_front" -v b="$t_scan" 'BEGIN { print a - b }')") ms")")
# The front end's own floors, work it cannot leave out and each timed
# alone: the table walk (the scanner and every step of the parse, no record),
# the check of every label of the area lists and patrols against the index,
# and the first touch of the memory the run takes fresh. A large parse
# runs its actions (the checks and the record, which takes the fresh
# memory) on a second thread beside the walk, so the least a front end
# built this way can take is the longer of the walk and the other two.
walk_line=$("$zebbench" --walk "$input" --reps "$runs")
t_walk=$(awk '{ for (i = 1; i < NF; i++) if ($i == "median") { v = $(i + 1); print v / 1000 } }' <<<"$walk_line")
lookups_line=$("$zebbench" --lookups "$input" --reps "$runs")
t_lookups=$(awk '{ for (i = 1; i < NF; i++) if ($i == "median") { v = $(i + 1); print v / 1000 } }' <<<"$lookups_line")
t_fresh_touch=0
if [[ -n ${rss_kb:-} ]]; then
    fresh_now=$(awk -v k="$rss_kb" -v b="$in_bytes" 'BEGIN { f = k * 1024 - b; printf "%d", (f > 0 ? f : 0) }')
    t_fresh_touch=$(time_median "$runs" "'$touch_floor' $fresh_now >/dev/null")
fi
t_front_floor=$(awk -v a="$t_walk" -v b="$t_lookups" -v c="$t_fresh_touch" 'BEGIN { print (a > b + c) ? a : b + c }')
front_floor_mbps=$(mbps "$in_bytes" "$t_front_floor")
# The same floors under the whole run: reading, one write a line, and a
# front end that does only what it cannot leave out, with no printing at all.
least_run_ratio=$(awk -v f="$floor" -v s="$t_front_floor" 'BEGIN { printf "%.2f", (f + s) / f }')
front_floor_rows+=("$(printf '%-8s|%11s|%13s|%11s|%11s|%11s|%9s|%10s|%s' "$kind" "$(ms "$t_walk") ms" "$(ms "$t_lookups") ms" \
    "$(ms "$t_fresh_touch") ms" "$(ms "$t_front_floor") ms" "$(ms "$t_front") ms" "$(ratio "$t_front_floor" "$t_front")" \
    "$least_run_ratio" \
    "at most $front_floor_mbps MB/s: $(awk -v m="$front_floor_mbps" 'BEGIN { print (m >= 250) ? "250 MB/s within reach" : "floor below 250 MB/s" }'); run / floors $(awk -v r="$least_run_ratio" 'BEGIN { print (r <= 1.3) ? "1.3 within reach" : "floor above 1.3" }')")")
if [[ $detail -eq 0 ]]; then
    continue
fi
t_file=$(time_median "$runs" "'$zebparser' '$input' >'$tmp/out' 2>/dev/null; rm -f '$tmp/out'")
# The front end as the tool pays it, in a fresh process: the same mission
# with one token too many after it is read, parsed and checked whole, then
# refused at that last token, with nothing printed.
printf '}\n' | cat "$input" - >"$tmp/fails-at-end.mission"
t_front_fresh=$(time_median "$runs" "'$zebparser' '$tmp/fails-at-end.mission' >/dev/null 2>/dev/null")
rm -f "$tmp/fails-at-end.mission"

row "whole run > /dev/null" "$(ms "$t_null") ms" "$(mbps "$in_bytes" "$t_null") MB/s" ""
row "whole run > file" "$(ms "$t_file") ms" "$(mbps "$in_bytes" "$t_file") MB/s" ""
row "front end alone (read+lex+parse+Mission)" "$(ms "$t_front") ms" "$front_mbps MB/s" \
    "target >= 250 MB/s: $(verdict "$front_mbps" ">=" 250)"
row "front end, fresh process (fails at the end)" "$(ms "$t_front_fresh") ms" "$(mbps "$in_bytes" "$t_front_fresh") MB/s" ""
row "read floor: cat FILE > /dev/null" "$(ms "$t_read") ms" "$(mbps "$in_bytes" "$t_read") MB/s" ""
row "write floor: one write(2) per line" "$(ms "$t_write") ms" "$(mbps "$in_bytes" "$t_write") MB/s" \
    "$out_lines lines, $out_mb MB"
row "ratio: /dev/null run / (read + write floor)" "$floor_ratio" "" "target <= 1.3: $(verdict "$floor_ratio" "<=" 1.3)"

# ---- peak memory ----------------------------------------------------------------
if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -v "$zebparser" "$input" >/dev/null 2>"$tmp/time.log" || true
    rss_kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$tmp/time.log")
    rss_mb=$(awk -v k="$rss_kb" 'BEGIN { printf "%.1f", k * 1024 / 1e6 }')
    rss_limit=$(awk -v b="$in_bytes" 'BEGIN { printf "%.1f", (3 * b + 8 * 1048576) / 1e6 }')
    rss_ratio=$(awk -v k="$rss_kb" -v b="$in_bytes" 'BEGIN { printf "%.2f", k * 1024 / b }')
    row "peak RSS (whole run)" "$rss_mb MB" "${rss_ratio}x input" \
        "target <= 3x input + 8 MiB = $rss_limit MB: $(verdict "$rss_mb" "<=" "$rss_limit")"
    # The memory a run takes fresh from the system (its peak less the file's
    # own pages, which it maps): each page must be cleared once on first touch.
    fresh_bytes=$(awk -v k="$rss_kb" -v b="$in_bytes" 'BEGIN { f = k * 1024 - b; printf "%d", (f > 0 ? f : 0) }')
    t_touch=$(time_median "$runs" "'$touch_floor' $fresh_bytes >/dev/null")
    row "touch floor: first touch of fresh memory" "$(ms "$t_touch") ms" "$(awk -v b="$fresh_bytes" 'BEGIN { printf "%.1f MB", b / 1e6 }')" \
        "peak RSS less the mapped file"
else
    row "peak RSS" "n/a" "" "install /usr/bin/time (Debian package 'time')"
fi

# ---- system calls ---------------------------------------------------------------
if command -v strace >/dev/null; then
    # The count: strace -c over the whole run. Standard error gets the banner
    # and the completion line; how many writes those take is read from a full
    # trace of a run on a tiny mission and taken off the total.
    strace -c -e trace=read,write -o "$tmp/strace-c.log" "$zebparser" "$input" >/dev/null 2>/dev/null
    writes_all=$(awk '$NF == "write" { print $4 }' "$tmp/strace-c.log")
    reads_all=$(awk '$NF == "read" { print $4 }' "$tmp/strace-c.log")
    "$zebbench" --generate-bytes 1000 >"$tmp/tiny.mission"
    strace -e trace=write -o "$tmp/strace-tiny.log" "$zebparser" "$tmp/tiny.mission" >/dev/null 2>/dev/null
    writes_err=$(grep -c '^write(2,' "$tmp/strace-tiny.log" || true)
    writes_out=$((writes_all - writes_err))
    # The sizes asked of every read(2) of the mission file, from its openat
    # to its close. A read that only finds the end of the file (returns 0)
    # may ask for less; every read that returns data must ask 64 KiB or more.
    # A regular file is mapped instead: its mmap(2) calls are counted too.
    # The seccomp filter stops only at the traced calls, not at the millions
    # of writes; it needs -f, which puts the process id in front of each line.
    strace --seccomp-bpf -f -s 256 -e trace=openat,read,mmap,close -e signal=none -o "$tmp/strace.log" "$zebparser" "$input" >/dev/null 2>/dev/null
    read -r file_reads min_req max_req small_reads file_maps < <(
        sed -E 's/^[0-9]+ +//' "$tmp/strace.log" |
        sed -nE -e 's/^openat\(.*"([^"]*)".* = ([0-9]+)$/open \1 \2/p' \
            -e 's/^read\(([0-9]+), .*, ([0-9]+)\) += (-?[0-9]+).*$/read \1 \2 \3/p' \
            -e 's/^mmap\([^,]*, ([0-9]+), [^,]*, [^,]*, ([0-9]+), [^)]*\) += 0x.*$/mmap \2 \1/p' \
            -e 's/^close\(([0-9]+)\).*$/close \1/p' |
            awk -v path="$input" '
                $1 == "open" && $2 == path { fd = $3; next }
                $1 == "read" && fd != "" && $2 == fd {
                    n++; if (lo == "" || $3 < lo) lo = $3; if ($3 > hi) hi = $3
                    if ($4 > 0 && $3 < 65536) small++
                    next }
                $1 == "mmap" && fd != "" && $2 == fd { maps++; next }
                $1 == "close" && $2 == fd { fd = "" }
                END { print n + 0, lo + 0, hi + 0, small + 0, maps + 0 }')
    lines_ok=$([[ $writes_out -eq $out_lines ]] && echo met || echo MISSED)
    row "write(2) calls to stdout vs output lines" "$writes_out" "$out_lines lines" "must be equal: $lines_ok"
    row "strace -c: write / read calls, whole run" "$writes_all / $reads_all" "" "($writes_err writes to stderr)"
    reads_ok=$([[ $small_reads -eq 0 ]] && echo met || echo "MISSED ($small_reads)")
    row "reads of the file: count, sizes asked" "$file_reads" "$min_req..$max_req B" \
        "target >= 64 KiB each read with data: $reads_ok"
    row "mmap(2) calls on the file" "$file_maps" "" "(a regular file is mapped, not read)"
else
    row "strace rows" "n/a" "" "install strace (Debian package 'strace')"
fi
done
detail=1

# ---- a typical small mission ------------------------------------------------------
small="$tmp/small.mission"
"$zebbench" --generate-bytes 6000 --seed "$seed" >"$small"
small_lines=$(wc -l <"$small")
small_runs=200
loop() { printf 'for i in $(seq %d); do %s; done' "$small_runs" "$1"; }
t_small=$(time_median 3 "$(loop "'$zebparser' '$small' >/dev/null 2>/dev/null")")
t_small_cat=$(time_median 3 "$(loop "cat '$small' >/dev/null")")
small_ratio=$(ratio "$t_small" "$t_small_cat")
row "small mission ($small_lines lines): $small_runs runs" "$(ms "$t_small") ms" "cat: $(ms "$t_small_cat") ms" \
    "ratio $small_ratio, target <= 1.5: $(verdict "$small_ratio" "<=" 1.5)"

# ---- scaling --------------------------------------------------------------------
# Every shape picked, each over the whole series. A 4x step may take 4.4
# times as long; the 1.56x step from 256 to 400 MB as much in proportion.
scaling_rows=()
if [[ $scaling -eq 1 ]]; then
    sizes=(1 4 16 64 256)
    [[ $big -eq 1 ]] && sizes+=(400)
    for kind in "${shapes[@]}"; do
        previous=""
        previous_mb=""
        for mb in "${sizes[@]}"; do
            note "== scaling: $mb MB, shape $kind"
            file="$tmp/scale.mission"
            "$zebbench" --generate-bytes $((mb * 1000000)) --seed "$seed" --shape "$kind" >"$file"
            cat "$file" >/dev/null
            b=$(stat -c %s "$file")
            t=$(time_median "$runs" "'$zebparser' '$file' >/dev/null 2>/dev/null")
            per_mb=$(awk -v t="$t" -v b="$b" 'BEGIN { printf "%.2f", t * 1000 / (b / 1e6) }')
            step=""
            if [[ -n $previous ]]; then
                step_ratio=$(ratio "$t" "$previous")
                limit=$(awk -v a="$mb" -v b="$previous_mb" 'BEGIN { printf "%.2f", 4.4 * a / b / 4 }')
                step="x$step_ratio time for x$(ratio "$mb" "$previous_mb") input; target <= $limit: $(verdict "$step_ratio" "<=" "$limit")"
            fi
            scaling_rows+=("$(printf '%-8s|%10s|%14s|%14s|%s' "$kind" "$(awk -v b="$b" 'BEGIN { printf "%.1f MB", b / 1e6 }')" \
                "$(ms "$t") ms" "$per_mb ms/MB" "$step")")
            previous=$t
            previous_mb=$mb
            rm -f "$file"
        done
    done
fi

# ---- the companion -----------------------------------------------------------------
# zeb fmt on a commented mission (the text shape) against the listing of the
# same file, and zeb check on a pack of small missions against zebparser run
# once per file, both two at a time.
companion_rows=()
crow() { companion_rows+=("$(printf '%-46s|%18s|%16s|%s' "$1" "$2" "$3" "$4")"); }
note "== zeb fmt on a $size_mb MB text-shaped mission"
commented="$tmp/commented.mission"
"$zebbench" --generate-bytes "$bytes" --seed "$seed" --shape text >"$commented"
c_bytes=$(stat -c %s "$commented")
cat "$commented" >/dev/null
t_fmt=$(time_median "$runs" "'$zeb' fmt '$commented' >/dev/null 2>/dev/null")
t_listing=$(time_median "$runs" "'$zebparser' '$commented' >/dev/null 2>/dev/null")
fmt_ratio=$(ratio "$t_fmt" "$t_listing")
crow "zeb fmt, text shape, > /dev/null" "$(ms "$t_fmt") ms" "$(mbps "$c_bytes" "$t_fmt") MB/s" ""
crow "zebparser listing of the same, > /dev/null" "$(ms "$t_listing") ms" "$(mbps "$c_bytes" "$t_listing") MB/s" \
    "fmt / listing $fmt_ratio, target <= 1.5 (100 MB): $(verdict "$fmt_ratio" "<=" 1.5)"
rm -f "$commented"
# zeb map on a 10 MB map-shaped mission (thousands of locations, areas with
# long lists, routes of hundreds of teams), whatever --size says: the target
# is for that size.
note "== zeb map on a 10 MB map-shaped mission"
mapped="$tmp/mapped.mission"
"$zebbench" --generate-bytes 10000000 --seed "$seed" --shape map >"$mapped"
m_bytes=$(stat -c %s "$mapped")
cat "$mapped" >/dev/null
t_map=$(time_median "$runs" "'$zeb' map '$mapped' >/dev/null 2>/dev/null")
"$zeb" map "$mapped" >"$tmp/map.svg" 2>/dev/null
svg_mb=$(awk -v b="$(stat -c %s "$tmp/map.svg")" 'BEGIN { printf "%.1f", b / 1e6 }')
crow "zeb map, map shape, > /dev/null" "$(ms "$t_map") ms" "$(mbps "$m_bytes" "$t_map") MB/s" \
    "$svg_mb MB of SVG; target <= 2000 ms (10 MB): $(verdict "$t_map" "<=" 2)"
rm -f "$mapped" "$tmp/map.svg"
pack_count=10000
note "== zeb check on $pack_count small missions"
pack="$tmp/pack"
mkdir -p "$pack"
for ((i = 0; i < pack_count; i++)); do
    kinds=(member plan map text mix)
    "$zebbench" --generate-bytes $((1500 + i % 7 * 500)) --seed "$i" --shape "${kinds[i % 5]}" >"$pack/m$i.mission"
done
pack_bytes=$(du -sb "$pack" | cut -f1)
cat "$pack"/*.mission >/dev/null
t_check2=$(time_median 3 "'$zeb' check -j2 '$pack' >/dev/null 2>/dev/null")
t_check1=$(time_median 3 "'$zeb' check -j1 '$pack' >/dev/null 2>/dev/null")
t_xargs=$(time_median 3 "find '$pack' -name '*.mission' -print0 | xargs -0 -P2 -n1 '$zebparser' >/dev/null 2>/dev/null")
per_s() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.0f files/s", n / s }'; }
# Throughput ratios: the same files in less time is more throughput.
xargs_gain=$(ratio "$t_xargs" "$t_check2")
jobs_gain=$(ratio "$t_check1" "$t_check2")
crow "zeb check -j2 DIR ($pack_count files)" "$(ms "$t_check2") ms" "$(per_s "$pack_count" "$t_check2")" \
    "$(mbps "$pack_bytes" "$t_check2") MB/s"
crow "xargs -P2 -n1 zebparser, the same files" "$(ms "$t_xargs") ms" "$(per_s "$pack_count" "$t_xargs")" \
    "check -j2 ${xargs_gain}x its throughput, target >= 3: $(verdict "$xargs_gain" ">=" 3)"
crow "zeb check -j1 DIR" "$(ms "$t_check1") ms" "$(per_s "$pack_count" "$t_check1")" \
    "-j2 ${jobs_gain}x its throughput, target >= 1.7: $(verdict "$jobs_gain" ">=" 1.7)"
rm -rf "$pack"

# zeb lsp: a change to a generated mission until its diagnostics are
# published, against the language server's targets.
note "== zeb lsp, change to diagnostics, 1 and 10 MB"
if ! command -v python3 >/dev/null; then
    crow "zeb lsp rows" "n/a" "" "install python3 (Debian package 'python3')"
elif ! python3 "$root/bench/lsp_latency.py" --build "$build" --seed "$seed" 1 10 >"$tmp/lsp.log" 2>"$tmp/lsp.err"; then
    cat "$tmp/lsp.err" >&2
    crow "zeb lsp rows" "failed" "" "$(tail -n 1 "$tmp/lsp.err")"
else
    # Columns: MB, open ms, median ms, max ms, diagnostics, text MB, RSS MB, peak MB.
    while read -r l_mb l_open l_median l_max _ _ l_rss l_peak; do
        [[ $l_mb =~ ^[0-9.]+$ ]] || continue
        l_target=$(awk -v m="$l_mb" 'BEGIN { print (m < 5 ? 50 : 500) }')
        crow "zeb lsp, $l_mb MB: change -> diagnostics" "$l_median ms" "largest $l_max ms" \
            "target <= $l_target ms: median $(verdict "$l_median" "<=" "$l_target"), largest $(verdict "$l_max" "<=" "$l_target")"
        crow "zeb lsp, $l_mb MB: open, memory after" "$l_open ms" "$l_rss MB" "peak $l_peak MB"
    done <"$tmp/lsp.log"
fi

load_end=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- the table -------------------------------------------------------------------
echo
if [[ -n ${member_in_mb:-} ]]; then
    echo "zebparser on a generated mission (shape member): $member_in_mb MB in, $member_out_mb MB and $member_out_lines lines out (seed $seed)"
else
    echo "zebparser on generated missions of $size_mb MB (seed $seed)"
fi
echo "medians of $runs runs; $(nproc) cores; load average $load_start at the start, $load_end at the end"
echo "times are wall-clock, less $(ms "$overhead") ms of shell start-up each; MB = 10^6 bytes"
echo
printf '%-46s|%18s|%16s|%s\n' "figure" "value" "" "target"
printf '%s\n' "----------------------------------------------+------------------+----------------+------------------------------"
printf '%s\n' "${rows[@]}"
echo
echo "shapes: targets front end >= 250 MB/s; run / floors = whole run > /dev/null / (read + write floor) <= 1.3;"
echo "        peak RSS <= 3x input + 8 MiB"
printf '%-8s|%9s|%12s|%12s|%20s|%13s|%24s\n' "shape" "input" "read floor" "write floor" "front end" "run / floors" "peak RSS"
printf '%s\n' "--------+---------+------------+------------+--------------------+-------------+------------------------"
printf '%s\n' "${shape_rows[@]}"
echo
echo "the floors under the targets: the scanner alone (zebbench --scan: read and find every token, nothing else),"
echo "and the least run / floors ratio, (read + write floor + scanner) / (read + write floor)"
printf '%-8s|%12s|%13s|%20s|%s\n' "shape" "scanner" "" "least run / floors" ""
printf '%s\n' "--------+------------+-------------+--------------------+------------------------------"
printf '%s\n' "${scan_rows[@]}"
echo
echo "the front end's floors, each timed alone: the table walk (zebbench --walk: scanner and parse steps, no record),"
echo "the label checks (zebbench --lookups: every area-list and patrol label asked of the index once more)"
echo "and the first touch of the memory the run takes fresh (touch_floor); least: the walk, or the checks and the touch,"
echo "whichever is longer, as the actions run on a second thread beside the walk; least / front end near 1 leaves"
echo "nothing to win; least run: (read + write floor + least) / (read + write floor), a whole run that prints nothing"
printf '%-8s|%11s|%13s|%11s|%11s|%11s|%9s|%10s|%s\n' "shape" "table walk" "label checks" "touch" "least" "front end" "lst/front" "least run" "least front end; least run"
printf '%s\n' "--------+-----------+-------------+-----------+-----------+-----------+---------+----------+------------------------------"
printf '%s\n' "${front_floor_rows[@]}"
echo
echo "zeb on each shape's file: zeb fmt against the zebparser listing (target <= 1.5 on a commented mission),"
echo "and zeb check (every diagnostic, no output) against the front end alone"
printf '%-8s|%11s|%11s|%22s|%11s|%s\n' "shape" "zeb fmt" "listing" "fmt / listing" "zeb check" "check / front end"
printf '%s\n' "--------+-----------+-----------+----------------------+-----------+------------------"
printf '%s\n' "${zeb_rows[@]}"
echo
echo "the companion: zeb fmt against the listing, zeb map on a 10 MB map-shaped mission,"
echo "zeb check on a pack of small missions (medians of 3 there),"
echo "zeb lsp (bench/lsp_latency.py, median and largest of 9 changes)"
printf '%s\n' "${companion_rows[@]}"
if [[ ${#scaling_rows[@]} -gt 0 ]]; then
    echo
    echo "scaling: whole run > /dev/null, median of $runs runs each"
    printf '%-8s|%10s|%14s|%14s|%s\n' "shape" "input" "time" "per MB" "step from the size before"
    printf '%s\n' "--------+----------+--------------+--------------+------------------------------"
    printf '%s\n' "${scaling_rows[@]}"
fi
