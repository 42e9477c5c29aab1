#!/usr/bin/env bash
# Completes prepared command lines with the installed completion's function and compares the
# offered words with the expected ones. Usage: completion_test.sh COMPLETION_FILE
set -uo pipefail
# shellcheck source=/dev/null
source "$1"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch a.c b.c notes.txt
mkdir sub

# Completes a line as bash would with the cursor at its end (a trailing blank starts a new
# word) and prints the offered words, sorted, on one line.
offered() {
    read -ra COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _brelmox 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' '
}

failures=0
while IFS='|' read -r line expected; do
    actual=$(offered "$line")
    if [ "$actual" != "$expected" ]; then
        echo "FAIL: '$line' offered '$actual', expected '$expected'"
        failures=$((failures + 1))
    fi
done <<'CASES'
brelmox |add cfg ci co cp get history lbl rm status sync unco
brelmox s|status sync
brelmox c|cfg ci co cp
brelmox add -|-d -f -p -r -t
brelmox ADD -R|-r
brelmox cfg -p|-pr -pw
brelmox history -|-f -json -props
brelmox sync -p|-pbw
brelmox add -f |a.c b.c notes.txt sub
brelmox ci -f a.c |a.c b.c notes.txt sub
brelmox status -F a.c b|b.c
brelmox add -f a.c -t |
brelmox add -f a.c -t Src |-d -f -p -r -t
brelmox add -d |
brelmox add -r |-d -f -p -r -t
brelmox get -t |sub
brelmox co -t s|sub
brelmox get -f |
brelmox get -f Src -t sub -|-d -f -l -p -r -t -v
brelmox unco -f |
brelmox rm |-f -r
brelmox nothing -|
CASES

[ "$failures" -eq 0 ] && echo "all completions as expected"
exit $((failures > 0))
