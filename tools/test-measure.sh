#!/usr/bin/env bash
# Prints the size of the test code against the production code, in non-blank
# lines, and fails when the tests outgrow two fifths of the production code: a
# suite that keeps growing tends to restate the code instead of catching faults.
#
# Test code: the C, C++, shell and Python files under tests/ (fuzz targets
# included) and the package check script. Production code: every other
# tracked C and C++ file (the program, its libraries, brisendale-reg), so a
# new folder counts without anyone naming it. The benchmark is neither.
set -euo pipefail
cd "$(dirname "$0")/.."

nonblank() { grep -hv '^[[:space:]]*$' "$@" | wc -l; }

mapfile -t tests < <(git ls-files 'tests/*.cpp' 'tests/*.h' 'tests/*.c' 'tests/*.sh' \
    'tests/*.py' 'packaging/check-install.sh')
mapfile -t production < <(git ls-files -- '*.cpp' '*.h' '*.c' | grep -vE '^(tests|tools/bench)/')

test_lines=$(nonblank "${tests[@]}")
production_lines=$(nonblank "${production[@]}")
echo "test code: $test_lines non-blank lines; production code: $production_lines" \
    "(the tests may have at most $((production_lines * 2 / 5)))"
if [ $((test_lines * 5)) -gt $((production_lines * 2)) ]; then
    echo "the tests are more than two fifths of the production code: cut before adding" >&2
    exit 1
fi
