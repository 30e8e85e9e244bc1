#!/usr/bin/env bash
# The build-list check on small made-up trees: it names each source left out
# of every list, and only those, whether the tree is a git checkout or not.
#   check_build_lists_test.sh CMAKE CHECK_SCRIPT
set -euo pipefail
cmake=$1 check=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# run TREE: the check's output, with its exit status in $status.
run() {
  status=0
  output=$("$cmake" -DTSL_SOURCE_DIR="$1" -P "$check" 2>&1) || status=$?
}

tree=$work/plain
mkdir -p "$tree"/src/core "$tree"/tests/core "$tree"/bench
touch "$tree"/src/core/{listed,forgotten}.cpp "$tree"/src/top.cpp "$tree"/tests/core/{a,b}_test.cpp \
  "$tree"/bench/{kept,unbuilt}.cpp "$tree"/src/core/header.h
cat > "$tree/CMakeLists.txt" <<'LIST'
add_library(core src/top.cpp)
add_subdirectory(src/core)
LIST
echo 'add_library(core_parts STATIC listed.cpp)' > "$tree/src/core/CMakeLists.txt"
cat > "$tree/tests/CMakeLists.txt" <<'LIST'
foreach(source
    core/a_test.cpp)
endforeach()
LIST
cat > "$tree/bench/CMakeLists.txt" <<'LIST'
add_executable(kept ${CMAKE_CURRENT_SOURCE_DIR}/kept.cpp)
# unbuilt.cpp is not built: it needs a library Debian does not carry.
LIST

run "$tree"
[ "$status" -ne 0 ] || fail "a tree with unlisted sources passed"
grep -q "src/core/forgotten.cpp" <<< "$output" || fail "src/core/forgotten.cpp not reported: $output"
grep -q "tests/core/b_test.cpp" <<< "$output" || fail "tests/core/b_test.cpp not reported: $output"
for listed in src/top.cpp src/core/listed.cpp tests/core/a_test.cpp bench/kept.cpp bench/unbuilt.cpp header.h; do
  grep -q "$listed" <<< "$output" && fail "$listed reported although named: $output"
done

# A name in another folder's list does not count for this one.
echo 'add_executable(other forgotten.cpp)' > "$tree/bench/CMakeLists.txt"
run "$tree"
grep -q "src/core/forgotten.cpp" <<< "$output" || fail "a name in bench/ counted for src/core/: $output"

# Listed everywhere: the check passes.
echo 'add_library(core_parts STATIC listed.cpp forgotten.cpp)' > "$tree/src/core/CMakeLists.txt"
printf 'add_executable(t core/a_test.cpp core/b_test.cpp)\n' > "$tree/tests/CMakeLists.txt"
printf 'add_executable(kept kept.cpp)\n# not built: unbuilt.cpp\n' > "$tree/bench/CMakeLists.txt"
run "$tree"
[ "$status" -eq 0 ] || fail "a fully listed tree failed: $output"

# In a git checkout: new files count, ignored ones (a build folder) do not.
if command -v git > /dev/null; then
  git -C "$tree" init -q
  echo '/src/scratch/' > "$tree/.gitignore"
  mkdir -p "$tree/src/scratch" "$tree/tests/new"
  touch "$tree/src/scratch/ignored.cpp" "$tree/tests/new/new_test.cpp"
  run "$tree"
  [ "$status" -ne 0 ] || fail "an untracked new source passed in a git checkout"
  grep -q "tests/new/new_test.cpp" <<< "$output" || fail "tests/new/new_test.cpp not reported: $output"
  grep -q "ignored.cpp" <<< "$output" && fail "an ignored file was reported: $output"
fi

[ "$failures" -eq 0 ] && echo "build-list check: all cases passed"
exit "$failures"
