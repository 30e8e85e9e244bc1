#!/usr/bin/env bash
# The manual pages render without warnings and list every action that
# tsl --help lists; the bash completion completes actions and what each
# action takes.
#   docs_test.sh TSL PACKAGING_BUILD_DIR
set -euo pipefail
tsl=$1 docs=$2
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

for page in tsl.1 tessaloom.1; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$docs/$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
rendered=$(MANWIDTH=200 man -l "$docs/tsl.1" 2>/dev/null | col -b)
while read -r action; do
  grep -q -- "^ *$action\b" <<< "$rendered" || fail "tsl.1 does not list $action"
done < <("$tsl" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p')

# Each case: the words typed (the last is the one being completed), and
# what the completion offers.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/a.csv" "$work/b.csv"
cd "$work"
source "$docs/tsl.bash-completion"
complete_words() {
  COMP_WORDS=(tsl "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _tsl
  echo "${COMPREPLY[*]}"
}
check() { # expected, words...
  local expected=$1
  shift
  local got
  got=$(complete_words "$@")
  [ "$got" = "$expected" ] || fail "tsl $* -> '$got', not '$expected'"
}
check "--interval" --inter
check "0 1 2 3 4 5 6" --interval ""
check "on off" --bracket ""
check "a.csv b.csv" --read ""
check "a.csv b.csv" --read a.csv ""
check "--split" --save-csv out.csv --spl
check "" --delimiter ""
check "--save-csv --save-xlsx --save-xml" --interval 4 --save
[ "$(complete_words --clear "" | wc -w)" -gt 30 ] || fail "no actions offered after --clear"

[ "$failures" -eq 0 ] && echo "manual pages and completion: all checks passed"
exit "$failures"
