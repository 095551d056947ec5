#!/usr/bin/env bash
# Checks that the program compiles against the Windows SDK (MinGW-w64's), so
# that it builds unchanged over a Windows implementation of platform/:
#  1. every .cpp of model/, support/, settings/, mainwnd/ and res/ passes
#     g++ -std=c++20 -fsyntax-only -Wall -Wextra;
#  2. every program file (.cpp and .h) and contract header reads the same
#     whether or not the SDK's headers came before it: an SDK macro
#     (LoadString, FindText, ...) must rename a name in every file or in none,
#     or the files stop linking;
#  3. the contract headers all compile together, including those that no
#     program file reaches yet: the Windows implementation includes them all.
# The files see what the CMake build lets program code see: copies of the
# program folders and of the contract headers platform/*.h in a private
# include root, and nothing of platform/'s implementations.
#
#   scripts/check-windows-syntax.sh [--werror]
#     --werror  warnings fail the check too
# MINGW_CXX names the compiler (default: x86_64-w64-mingw32-g++-posix); JOBS
# the number of compilers run at once (default: the number of processors).
# Exit status: 0 clean, 1 errors (or warnings with --werror), 2 cannot run.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
werror=0
for arg in "$@"; do
  case "$arg" in
    --werror) werror=1 ;;
    *) echo "usage: $0 [--werror]" >&2; exit 2 ;;
  esac
done

cxx=${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
if ! command -v "$cxx" >/dev/null 2>&1; then
  echo "check-windows-syntax: $cxx not found. Install MinGW-w64's C++ compiler:" >&2
  echo "  sudo apt-get install g++-mingw-w64-x86-64-posix   (Debian, Ubuntu)" >&2
  echo "or name another one that targets Windows in MINGW_CXX." >&2
  exit 2
fi

program_dirs=(model res support settings mainwnd)

tmp=$(mktemp -d "${TMPDIR:-/tmp}/talvo-winsyntax.XXXXXX") || exit 2
trap 'rm -rf "$tmp"' EXIT
inc=$tmp/include
gen=$tmp/generated
mkdir -p "$inc/platform" "$gen" "$tmp/log" "$tmp/empty" || exit 2
for dir in "${program_dirs[@]}"; do
  cp -R "$root/$dir" "$inc/$dir" || exit 2
done
cp "$root"/platform/*.h "$inc/platform/" || exit 2

# res/IconData.h, as res/CMakeLists.txt generates it from res/icons.
pairs=$(grep -o '"[a-z_]*;k[A-Za-z]*"' "$root/res/CMakeLists.txt" | tr -d '"')
if [ -z "$pairs" ]; then
  echo "check-windows-syntax: no icons found in res/CMakeLists.txt" >&2
  exit 2
fi
{
  printf '#pragma once\n#include <array>\n'
  for pair in $pairs; do
    svg=$root/res/icons/${pair%%;*}.svg
    [ -f "$svg" ] || { echo "check-windows-syntax: $svg missing" >&2; exit 2; }
    bytes=$(od -An -v -tx1 "$svg" | tr -s ' \n' '  ' | sed -E 's/ ?([0-9a-f]{2})/0x\1,/g; s/ //g')
    printf 'inline constexpr std::array<unsigned char, %s> %s{%s};\n' "$(wc -c <"$svg")" "${pair#*;}" "$bytes"
  done
} >"$gen/IconData.h" || exit 2

sources=()
files=()
while IFS= read -r -d '' f; do
  rel=${f#"$inc"/}
  files+=("$rel")
  case "$rel" in *.cpp) sources+=("$rel") ;; esac
done < <(find "${program_dirs[@]/#/$inc/}" "$inc/platform" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
if [ ${#sources[@]} -eq 0 ]; then
  echo "check-windows-syntax: no program sources found" >&2
  exit 2
fi
contract=contract-headers.cpp
for f in "${files[@]}"; do
  case "$f" in platform/*) printf '#include "%s"\n' "$f" ;; esac
done >"$inc/$contract"

# The lines of file $1 itself in the preprocessed text on stdin, as
# "line<TAB>text", blank ones left out. Exits 3 when one of them comes before
# platform/Win32.h was read: only such lines can read differently.
own_lines() {
  awk -v target="$1" '
    /^# [0-9]+ "/ {
      path = $0
      sub(/^# [0-9]+ "/, "", path)
      sub(/"[ 0-9]*$/, "", path)
      current = path
      line = $2 + 0
      if (path ~ /(^|\/)platform\/Win32\.h$/) sdk = 1
      next
    }
    {
      if (current == target && $0 ~ /[^ \t]/) {
        print line "\t" $0
        if (!sdk) early = 1
      }
      line++
    }
    END { exit early ? 3 : 0 }'
}

# One check of one file; its diagnostics go to stdout.
check() {
  local kind=$1 rel=$2
  local flags=(-std=c++20 -I"$inc")
  case "$rel" in res/*) flags+=(-I"$gen") ;; esac
  if [ "$kind" = syntax ]; then
    local output
    output=$(cd "$inc" && "$cxx" "${flags[@]}" -fsyntax-only -Wall -Wextra "$rel" 2>&1)
    local status=$?
    [ -n "$output" ] && printf '%s\n' "$output"
    # A compiler that fails without saying so still fails the check.
    if [ $status -ne 0 ] && ! grep -q ': \(fatal \)\?error:' <<<"$output"; then
      echo "$rel: error: $cxx failed (exit status $status)"
    fi
    return
  fi
  local plain=$tmp/log/plain.$$ sdkfirst=$tmp/log/sdkfirst.$$ status
  # From an empty folder: the one that the text on stdin includes from.
  cd "$tmp/empty" || return
  printf '#include "%s"\n' "$rel" | "$cxx" "${flags[@]}" -E -x c++ - 2>"$plain.err" | own_lines "$inc/$rel" >"$plain"
  status=("${PIPESTATUS[@]}")
  if [ "${status[1]}" -ne 0 ]; then
    cat "$plain.err"
    echo "$rel: error: the preprocessor failed"
  elif [ "${status[2]}" -eq 3 ]; then
    printf '#include "platform/Win32.h"\n#include "%s"\n' "$rel" | "$cxx" "${flags[@]}" -E -x c++ - 2>"$plain.err" |
      own_lines "$inc/$rel" >"$sdkfirst"
    status=("${PIPESTATUS[@]}")
    if [ "${status[1]}" -ne 0 ]; then
      cat "$plain.err"
      echo "$rel: error: the preprocessor failed after platform/Win32.h"
    elif ! cmp -s "$plain" "$sdkfirst"; then
      # The first lines that differ: as this file reads without the SDK, or,
      # when it only gained lines, as it reads after it.
      local lines
      lines=$(diff "$plain" "$sdkfirst" | sed -n 's/^< //p' | head -n 3)
      [ -n "$lines" ] || lines=$(diff "$plain" "$sdkfirst" | sed -n 's/^> //p' | head -n 3)
      while IFS=$'\t' read -r n text; do
        echo "$rel:$n: error: reads differently after the SDK's headers (one of their macros renames a name" \
          "here), so files that include it before them and after them disagree: $text"
      done <<<"$lines"
    fi
  fi
  rm -f "$plain" "$plain.err" "$sdkfirst"
}
export -f check own_lines
export cxx inc gen tmp

jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
{
  for f in "${sources[@]}" "$contract"; do printf 'syntax\0%s\0' "$f"; done
  for f in "${files[@]}"; do printf 'macros\0%s\0' "$f"; done
} | xargs -0 -n 2 -P "$jobs" bash -c 'check "$1" "$2" >"$tmp/log/$1.${2//\//_}.txt"' _

report=$(for f in "${sources[@]}" "$contract"; do cat "$tmp/log/syntax.${f//\//_}.txt"; done
         for f in "${files[@]}"; do cat "$tmp/log/macros.${f//\//_}.txt"; done)
report=${report//"$inc/"/}
[ -n "$report" ] && printf '%s\n' "$report"
errors=$(printf '%s\n' "$report" | grep -c ': \(fatal \)\?error:')
warnings=$(printf '%s\n' "$report" | grep -c ': warning:')

echo "check-windows-syntax: ${#sources[@]} files checked with $cxx, and the contract headers together" \
  "(${#files[@]} files for SDK macros): $errors error(s), $warnings warning(s)"
if [ "$errors" -ne 0 ] || { [ $werror -eq 1 ] && [ "$warnings" -ne 0 ]; }; then
  exit 1
fi
exit 0
