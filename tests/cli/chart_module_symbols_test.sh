#!/usr/bin/env bash
# tsl loads the chart module on its first --plot, and the module takes the
# core's functions from tsl. Every symbol the module leaves undefined must
# therefore be exported by tsl or defined by a library the module itself
# links; otherwise the first chart fails with "undefined symbol". This names
# the missing ones at test time instead.
#   chart_module_symbols_test.sh TSL MODULE
set -euo pipefail
tsl=$1 module=$2

# names FILE...: the dynamic symbols nm lists, without their versions.
names() { awk 'NF >= 2 { sub(/@.*/, "", $NF); print $NF }' | sort -u; }
# The paths of the libraries the module names as needed (not theirs in turn).
linkedLibraries() {
  ldd "$module" | awk -v names=" $(readelf -d "$module" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | tr '\n' ' ')" \
    '$2 == "=>" && $3 ~ /^\// && index(names, " " $1 " ") { print $3 }'
}

needed=$(nm -D --undefined-only "$module" | awk '$1 == "U"' | names)
provided=$( { nm -D --defined-only "$tsl"
              for library in $(linkedLibraries); do
                nm -D --defined-only "$library"
              done; } | names)
missing=$(comm -23 <(echo "$needed") <(echo "$provided"))
if [ -n "$missing" ]; then
  echo "The chart module needs symbols that neither tsl nor a library defines:"
  c++filt <<< "$missing" | sed 's/^/  /'
  exit 1
fi
echo "chart module: all $(grep -c . <<< "$needed") undefined symbols are defined by tsl or its libraries"
