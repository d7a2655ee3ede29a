#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (gcc) into build-asan/ and runs the whole suite,
# browser tests included. QtWebEngine's own code needs
# new_delete_type_mismatch=0; scripts/lsan.supp names the leaks of the engine
# and of system libraries by the code that allocated them.
source "$(dirname "$0")/common.sh"
ensure_packages
out=$NEMBRA_ROOT/build-asan
cmake -S "$NEMBRA_ROOT" -B "$out" -G Ninja -DNEMBRA_SANITIZE=ON -DNEMBRA_BUILD_TESTS=ON -DNEMBRA_BUILD_BENCH=OFF >/dev/null
cmake --build "$out" -j "$(nproc)"
export ASAN_OPTIONS=new_delete_type_mismatch=0:detect_leaks=1
export LSAN_OPTIONS=suppressions=$NEMBRA_ROOT/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure "$@"
