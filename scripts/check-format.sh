#!/usr/bin/env bash
# Holds every C++ file of the tree to the house style in .clang-format; names the files that
# differ and fails, so a change in style shows in review rather than in a later diff.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=0
while IFS= read -r -d '' file; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "not in the house style: $file"
    bad=1
  fi
done < <(find . -path ./build -prune -o -path ./.git -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0)
if [ "$bad" -ne 0 ]; then
  echo "To mend: clang-format -i FILE… (clang-format 14, the style in .clang-format)"
  exit 1
fi
echo "check-format: every C++ file is in the house style"
