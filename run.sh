#!/usr/bin/env bash
# Installs what is missing, builds, and starts Nembra from the build folder
# with the bundled sample reference lists beside it.
source "$(dirname "$0")/scripts/common.sh"
ensure_packages
build -DNEMBRA_BUILD_TESTS=OFF
# Chromium, which shows the map, refuses to run as root inside its sandbox.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
exec "$NEMBRA_BUILD/bin/nembra" "$@"
