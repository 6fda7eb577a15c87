#!/usr/bin/env bash
# Counts how the tool ended on each file of one or more corpus directories,
# by the kind of its last report: how much of the fuzzers' ground lies past
# the scanner, the grammar and the name checks.
#   fuzz/classify_runs.sh <zebparser binary> <corpus dir>...
set -uo pipefail
binary=$1
shift
declare -A count=()
for file in $(find "$@" -type f); do
  err=$("$binary" "$file" 2>&1 >/dev/null)
  status=$?
  case "$err" in
    *"parsing completed, no errors found"*) class=accepted ;;
    *"CAUSE parser stack overflow"*) class=stack_limit ;;
    *"CAUSE parse error"*) class=syntax_error ;;
    *"CAUSE "*) class=name_error ;;
    *"found by lex"*) class=lexical_error ;;
    *) class="other(status $status)" ;;
  esac
  count[$class]=$(( ${count[$class]:-0} + 1 ))
done
for class in "${!count[@]}"; do printf '%-16s %d\n' "$class" "${count[$class]}"; done | sort
