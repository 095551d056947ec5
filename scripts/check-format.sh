#!/usr/bin/env bash
# Checks that the tracked C++ sources (*.cpp, *.h) are formatted as
# .clang-format says, without changing any file. Prints each file that
# clang-format would change, with the number of places, and exits 1 if there
# is any; 0 when all are clean.
#   scripts/check-format.sh [-v] [path...]
#     -v       also print clang-format's report of every place
#     path...  check only the tracked files under these paths
# CLANG_FORMAT names the binary (default: clang-format). .clang-format was
# tuned with Debian's clang-format 14; other versions may format differently.
set -uo pipefail
cd "$(dirname "$0")/.."

verbose=0
if [ "${1:-}" = "-v" ]; then
  verbose=1
  shift
fi

cf=${CLANG_FORMAT:-clang-format}
if ! command -v "$cf" >/dev/null 2>&1; then
  echo "check-format: $cf not found (apt-get install clang-format)" >&2
  exit 2
fi
version=$("$cf" --version 2>/dev/null | sed -n 's/.*version \([0-9][0-9]*\)\..*/\1/p' | head -n1)
if [ -n "$version" ] && [ "$version" != 14 ]; then
  echo "check-format: note: $cf is version $version; .clang-format was tuned with version 14" >&2
fi

pathspecs=('*.cpp' '*.h')
if [ $# -gt 0 ]; then
  pathspecs=()
  for p in "$@"; do
    pathspecs+=("${p%/}/*.cpp" "${p%/}/*.h" "$p")
  done
fi

files=()
while IFS= read -r -d '' f; do
  case "$f" in
    *.cpp|*.h) [ -f "$f" ] && files+=("$f") ;;
  esac
done < <(git ls-files -z -- "${pathspecs[@]}")

if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no tracked C++ files to check" >&2
  exit 0
fi

bad_files=0
bad_places=0
for f in "${files[@]}"; do
  report=$("$cf" --dry-run --Werror --style=file "$f" 2>&1)
  status=$?
  if [ $status -ne 0 ]; then
    places=$(printf '%s\n' "$report" | grep -c -- '-Wclang-format-violations')
    if [ "$places" -eq 0 ]; then
      # clang-format itself failed (bad .clang-format, unreadable file).
      printf '%s\n' "$report" >&2
      exit 2
    fi
    bad_files=$((bad_files + 1))
    bad_places=$((bad_places + places))
    echo "$f: $places place(s)"
    [ $verbose -eq 1 ] && printf '%s\n' "$report"
  fi
done

if [ $bad_files -ne 0 ]; then
  echo "check-format: $bad_files of ${#files[@]} files need formatting ($bad_places places);" \
    "see them with: clang-format --style=file FILE | diff -u FILE -" >&2
  exit 1
fi
echo "check-format: all ${#files[@]} files formatted"
