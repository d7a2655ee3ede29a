#!/usr/bin/env bash
# Installs what is missing, builds the program, its tests and benchmarks, and
# runs every test; ends with ctest's summary.
source "$(dirname "$0")/scripts/common.sh"
ensure_packages
build -DNEMBRA_BUILD_TESTS=ON -DNEMBRA_BUILD_BENCH=ON
cd "$NEMBRA_BUILD"
# Browser tests need a display; everything else runs on the offscreen platform.
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure "$@"
