#!/usr/bin/env bash
# Builds each include probe and checks its outcome: "fails" must stop because
# the header is not found, "compiles" must compile.
# Usage: check_includes.sh BUILD_DIR TARGET:HEADER:EXPECT …
set -uo pipefail
build=$1
shift
status=0
for probe in "$@"; do
  IFS=: read -r target header expect <<<"$probe"
  out=$(cmake --build "$build" --target "$target" 2>&1)
  rc=$?
  case $expect in
  fails)
    if [ "$rc" -eq 0 ] || ! grep -q "$header: No such file or directory" <<<"$out"; then
      echo "FAIL: $target: $header is reachable"
      [ "$rc" -ne 0 ] && tail -5 <<<"$out"
      status=1
    fi
    ;;
  compiles)
    if [ "$rc" -ne 0 ]; then
      echo "FAIL: $target: $header does not compile"
      tail -10 <<<"$out"
      status=1
    fi
    ;;
  esac
done
[ "$status" -eq 0 ] && echo "includes: $# probes as expected"
exit "$status"
