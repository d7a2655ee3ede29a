#!/bin/sh
# Runs a test as a normal user (nobody) in a network namespace of its own
# where ICMP sockets are refused (ping_group_range "1 0", no raw sockets
# without root): the situation of a stock desktop. Only loopback exists
# there. Exit 77 (skipped) where this cannot be arranged (not root, no
# namespaces).
[ "$(id -u)" -eq 0 ] || { echo "needs root to arrange the namespace: skipped"; exit 77; }
unshare -n true 2>/dev/null || { echo "no network namespace here: skipped"; exit 77; }
home=$(mktemp -d)
chown nobody "$home"
trap 'rm -rf "$home"' EXIT
unshare -n sh -c 'ip link set lo up && echo "1 0" > /proc/sys/net/ipv4/ping_group_range &&
  exec setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$0" NEMBRA_EXPECT_NO_ICMP=1 "$@"' "$home" "$@"
