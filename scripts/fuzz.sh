#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer included) into build-fuzz/ and runs each from its
# committed corpus for FUZZ_SECONDS (default 60). Ends non-zero when a target
# crashes or breaks one of its properties; the input is left in build-fuzz/.
source "$(dirname "$0")/common.sh"
NEMBRA_PACKAGES+=(clang libclang-rt-14-dev)
ensure_packages
seconds=${FUZZ_SECONDS:-60}
out=$NEMBRA_ROOT/build-fuzz
CC=clang CXX=clang++ cmake -S "$NEMBRA_ROOT" -B "$out" -G Ninja -DNEMBRA_BUILD_FUZZ=ON -DNEMBRA_BUILD_TESTS=OFF >/dev/null
cmake --build "$out" --target fuzz_all -j "$(nproc)"

# The form's target runs Qt's font database; its leaks are told apart from
# the program's as in the browser tests (see scripts/lsan.supp).
export LSAN_OPTIONS=suppressions=$NEMBRA_ROOT/scripts/lsan.supp:print_suppressions=0
status=0
for corpus in "$NEMBRA_ROOT"/fuzz/corpus/*/; do
  target=$(basename "$corpus")
  work=$(mktemp -d)
  cp "$corpus"/* "$work"/
  log=$out/$target.log
  context=
  [ "$target" = fuzz_draftform ] && context=malloc_context_size=2
  if (cd "$out" && ASAN_OPTIONS=$context "$out/bin/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$work" >"$log" 2>&1); then
    echo "fuzz: $target: $(grep -oE 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -1)s, no crash"
  else
    echo "fuzz: $target: FAILED (see $log)"
    tail -30 "$log"
    status=1
  fi
  rm -rf "$work"
done
exit "$status"
