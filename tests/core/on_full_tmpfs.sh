#!/usr/bin/env bash
# Runs a test with NEMBRA_FULL_DIR pointing at a 64 KiB tmpfs that exists only
# in a mount namespace of the test's own (as root, or as a user where user
# namespaces are allowed). Exit code 77 (skipped) where none can be made.
set -u
test_bin=$1
shift
if [ "$(id -u)" -eq 0 ]; then ns=(unshare --mount --propagation private); else ns=(unshare --map-root-user --mount --propagation private); fi
if ! "${ns[@]}" mount -t tmpfs -o size=64k tmpfs /mnt 2>/dev/null; then
  echo "SKIP: no mount namespace with a tmpfs of its own can be made here"
  exit 77
fi
exec "${ns[@]}" bash -c 'mount -t tmpfs -o size=64k tmpfs /mnt && NEMBRA_FULL_DIR=/mnt exec "$0" "$@"' "$test_bin" "$@"
