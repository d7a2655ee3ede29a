#!/usr/bin/env bash
# Checks that every tracked C++ source is formatted as .clang-format says;
# names the files that are not (run clang-format -i on them).
source "$(dirname "$0")/common.sh"
NEMBRA_PACKAGES=(clang-format)
ensure_packages
cd "$NEMBRA_ROOT"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/nembra-format.$$; then
  echo "format: these files differ from .clang-format:" >&2
  grep -oE '^[^:]+\.(cpp|h)' /tmp/nembra-format.$$ | sort -u >&2
  rm -f /tmp/nembra-format.$$
  exit 1
fi
rm -f /tmp/nembra-format.$$
echo "format: ${#files[@]} files as .clang-format says"
