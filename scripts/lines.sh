#!/bin/bash
# Lines of program code and of tests, as git keeps them, and the tests' share.
#
#   scripts/lines.sh          the lines of every tracked file
#   scripts/lines.sh BASE     the lines added and removed since BASE (`git diff --numstat BASE`:
#                             a commit or branch, to the working tree; or a range BASE..END)
#
# Program: src, res, installer, cmake, scripts and the two build files. Tests: the code and
# scripts under tests/ (.cpp .h .sh .cmake); the fuzzers' inputs and the reference pictures are
# data. The guideline: an issue's new test lines about a third of its new program lines, never
# more than half.
set -eu -o pipefail
cd "$(git rev-parse --show-toplevel)"
PATHS=(src res installer cmake scripts CMakeLists.txt Makefile tests)

# Reads "path<TAB>added<TAB>removed" lines; prints the sums by kind and the share.
sum() {
    awk -F'\t' -v title="$1" '
        $1 ~ /^tests\/.*\.(cpp|h|sh|cmake)$/ { k = "tests" }
        $1 !~ /^tests\// { k = "program" }
        $1 ~ /^tests\// && $1 !~ /\.(cpp|h|sh|cmake)$/ { next }
        $2 == "-" { next }  # binary
        { added[k] += $2; removed[k] += $3 }
        END {
            print title
            if (title == "all lines") {
                printf "program %6d\ntests   %6d\n", added["program"], added["tests"]
            } else {
                printf "program %+6d %+6d  net %+d\ntests   %+6d %+6d  net %+d\n", added["program"],
                       -removed["program"], added["program"] - removed["program"], added["tests"], -removed["tests"],
                       added["tests"] - removed["tests"]
            }
            share = added["program"] > 0 ? sprintf("%.2f", added["tests"] / added["program"]) : "-"
            printf "tests per program line: %s (aim about 0.33, never above 0.50 for new work)\n", share
        }'
}

if [ $# -eq 0 ]; then
    git ls-files -z -- "${PATHS[@]}" | { xargs -0 grep -Ic '' || true; } | awk -F: -v OFS='\t' '{ print $1, $2, 0 }' |
        sum "all lines"
else
    git diff --numstat "$1" -- "${PATHS[@]}" | awk -F'\t' -v OFS='\t' '{ print $3, $1, $2 }' |
        sum "since $1 (added, removed)"
fi
