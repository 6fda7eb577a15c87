#!/usr/bin/env bash
# One slice of the long fuzz campaign: TARGET for SECONDS on the campaign
# build, starting from the corpus kept in the tree. Inputs that reach new
# code are merged back into fuzz/corpus/TARGET (so the kept corpus only ever
# holds inputs that add coverage), and the slice's figures are appended to
# fuzz/campaign.tsv, which docs/reliability.md sums up.
#
#   fuzz/campaign.sh TARGET SECONDS
#
# TARGET is a libFuzzer target of fuzz/CMakeLists.txt. A crash stops the
# slice and leaves the input in build/campaign/artifacts/; it is logged with
# the slice. Run it under `nice` while other work goes on.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: fuzz/campaign.sh TARGET SECONDS}
seconds=${2:?usage: fuzz/campaign.sh TARGET SECONDS}

build=build/fuzz-campaign
[[ -f $build/build.ninja ]] || cmake --preset fuzz-campaign >/dev/null
cmake --build --preset fuzz-campaign --target "$target" >/dev/null

kept=fuzz/corpus/$target
work=build/campaign/$target
artifacts=build/campaign/artifacts
mkdir -p "$kept" "$work" "$artifacts"
# A target with a dictionary and seeds of its own (the language server's)
# uses them.
name=${target%_fuzzer}
dict=$build/fuzz/mission.dict
[[ -f $build/fuzz/$name.dict ]] && dict=$build/fuzz/$name.dict
seeds=()
if [[ -d $build/fuzz/${name}_seed_corpus ]]; then
  seeds+=("$build/fuzz/${name}_seed_corpus")
elif [[ -d $build/fuzz/seed_corpus ]]; then
  seeds+=("$build/fuzz/seed_corpus")
fi
[[ -d fuzz/seeds/$target ]] && seeds+=("fuzz/seeds/$target")

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
"$build/fuzz/$target" -dict="$dict" -max_len=8192 -timeout=30 -rss_limit_mb=2048 \
  -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/" \
  "$work" "$kept" "${seeds[@]}" >"$log" 2>&1 || status=$?

executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
# A slice that stops early prints no "Done" line; its rate then tells.
elapsed=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
[[ -n $elapsed ]] || elapsed=$(( ${rate:-0} > 0 ? ${executions:-0} / rate : 0 ))
outcome="no failure"
if (( status != 0 )); then
  outcome="failure: $(grep -m1 -E '^==[0-9]+==ERROR|^SUMMARY|the paths disagree|invariant broken|promise broken' "$log" || echo "status $status")"
  tail -n 60 "$log" >&2
fi

# Only what adds coverage to the kept corpus joins it.
"$build/fuzz/$target" -merge=1 -max_len=8192 -timeout=10 -rss_limit_mb=2048 "$kept" "$work" >/dev/null 2>&1 || true
files=$(find "$kept" -type f | wc -l)

[[ -f fuzz/campaign.tsv ]] ||
  printf 'date\tcommit\ttarget\texecutions\tseconds\tkept corpus files\toutcome\n' > fuzz/campaign.tsv
printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$(date -u +%Y-%m-%dT%H:%MZ)" "$(git rev-parse --short HEAD)" "$target" \
  "${executions:-0}" "$elapsed" "$files" "$outcome" >> fuzz/campaign.tsv
tail -n 1 fuzz/campaign.tsv
exit "$status"
