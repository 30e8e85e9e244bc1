#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs
# from there: tsl finds its chart module in the library folder, the run
# paths lead nowhere into the build, and every file of the desktop is there.
#   installed_layout_test.sh BUILD_DIR EXAMPLES_DIR
set -euo pipefail
build=$1 examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/usr
cmake --install "$build" --prefix "$prefix" > "$work/install.log"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

for file in bin/tessaloom bin/tsl share/applications/org.zorbelin.Tessaloom.desktop \
    share/metainfo/org.zorbelin.Tessaloom.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.zorbelin.Tessaloom.svg \
    share/icons/hicolor/48x48/apps/org.zorbelin.Tessaloom.png \
    share/icons/hicolor/256x256/apps/org.zorbelin.Tessaloom.png \
    share/man/man1/tsl.1.gz share/man/man1/tessaloom.1.gz share/bash-completion/completions/tsl \
    share/doc/tessaloom/copyright share/doc/tessaloom/changelog.Debian.gz; do
  [ -s "$prefix/$file" ] || fail "$file not installed"
done
module=$(find "$prefix/lib" -name tsl_plot.so)
[ -n "$module" ] || fail "the chart module is not installed"
[ ! -e "$prefix/bin/tsl_plot.so" ] || fail "the chart module lies beside tsl"
for binary in "$prefix/bin/tsl" "$prefix/bin/tessaloom" $module; do
  if readelf -d "$binary" | grep -E 'R(UN)?PATH' | grep -qF "$(cd "$build" && pwd)"; then
    fail "$binary has a run path into the build"
  fi
done
file "$prefix/share/icons/hicolor/48x48/apps/org.zorbelin.Tessaloom.png" | grep -q "48 x 48" || fail "48 px icon"

[[ $("$prefix/bin/tsl" --version) == "tsl (Tessaloom) "* ]] || fail "tsl --version"
[[ $("$prefix/bin/tessaloom" --version) == "tessaloom (Tessaloom) "* ]] || fail "tessaloom --version"
cp "$examples"/* "$work/"
log=$(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TZ=UTC "$prefix/bin/tsl" \
  --interval 4 --date-format 6 --read vav_logger.csv --plot chart.png --save-xlsx merged.xlsx) ||
  fail "tsl ended $?: $log"
grep -q "^Chart of .* saved to file 'chart.png'" <<< "$log" || fail "no chart: $log"
[ -s "$work/chart.png" ] || fail "chart.png not written"
[ -s "$work/merged.xlsx" ] || fail "merged.xlsx not written"

[ "$failures" -eq 0 ] && echo "installed layout: all checks passed"
exit "$failures"
