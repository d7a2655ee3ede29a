#!/bin/sh
# Runs a test as a normal user (nobody) in a network namespace of its own
# where ICMP sockets are refused (ping_group_range "1 0", no raw sockets
# without root): the situation of a stock desktop. Only loopback exists
# there. The executable runs as a copy in a folder that nobody owns, since
# the build tree may lie where nobody may not enter (/root). Exit 77
# (skipped) where this cannot be arranged (not root, no namespaces).
[ "$(id -u)" -eq 0 ] || { echo "needs root to arrange the namespace: skipped"; exit 77; }
unshare -n true 2>/dev/null || { echo "no network namespace here: skipped"; exit 77; }
exe=$1
shift
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$exe" "$home/"
chown -R nobody "$home"
unshare -n sh -c 'ip link set lo up && echo "1 0" > /proc/sys/net/ipv4/ping_group_range &&
  home=$0 && exec setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$home" NEMBRA_EXPECT_NO_ICMP=1 "$@"' \
  "$home" "$home/$(basename "$exe")" "$@"
