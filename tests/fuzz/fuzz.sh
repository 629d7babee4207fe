#!/bin/bash
# Runs one fuzzer over its corpus and regression inputs.
#   fuzz.sh smoke FUZZER FUZZ_DIR WORK RUNS     a short run with a fixed seed (make test)
#   fuzz.sh long  FUZZER FUZZ_DIR WORK SECONDS  a bounded run (make fuzz); prints its count on the last line
# New inputs go to WORK/NAME/corpus (never into the repository); a failing input is kept as
# WORK/NAME/crash-* and the fuzzer's exit status is returned.
set -u
mode=$1 fuzzer=$2 dir=$3 work=$4 amount=$5
name=$(basename "$fuzzer")
[ -x "$fuzzer" ] || { echo "$fuzzer: not built" >&2; exit 1; }
out="$work/$name"
mkdir -p "$out"
rm -rf "$out/corpus"
mkdir -p "$out/corpus"
inputs=("$out/corpus" "$dir/corpus/${name#fuzz_}")
[ -d "$dir/regressions/${name#fuzz_}" ] && inputs+=("$dir/regressions/${name#fuzz_}")
common=(-artifact_prefix="$out/" -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1)
case $mode in
smoke) exec "$fuzzer" "${common[@]}" -seed=1 -runs="$amount" "${inputs[@]}" ;;
long) "$fuzzer" "${common[@]}" -max_total_time="$amount" "${inputs[@]}" >"$out/log" 2>&1
      status=$?
      runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/log" | tail -1)
      crashes=$(find "$out" -maxdepth 1 -name 'crash-*' -o -maxdepth 1 -name 'leak-*' -o -maxdepth 1 -name 'timeout-*' | wc -l)
      printf '%-22s %12s runs  %5s new inputs  %s problem input(s)  exit %s\n' "$name" "${runs:-?}" \
             "$(ls "$out/corpus" | wc -l)" "$crashes" "$status"
      exit $status ;;
*) echo "unknown mode $mode" >&2; exit 2 ;;
esac
