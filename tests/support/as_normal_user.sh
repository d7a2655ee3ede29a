#!/bin/sh
# Runs a test executable as a normal user: as root, a copy of it in a folder
# of its own that the user "nobody" owns (the build tree may lie where nobody
# may not enter, /root say) runs as nobody with that folder as its home; as a
# normal user it runs as it is. Exit 77 (skipped) where no user can be
# changed to.
# Usage: as_normal_user.sh EXECUTABLE [ARGUMENTS…]
exe=$1
shift
if [ "$(id -u)" -ne 0 ]; then
  exec "$exe" "$@"
fi
command -v setpriv >/dev/null 2>&1 || { echo "no setpriv here: skipped"; exit 77; }
id nobody >/dev/null 2>&1 || { echo "no user nobody here: skipped"; exit 77; }
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$exe" "$home/"
chown -R nobody "$home"
setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$home" "$home/$(basename "$exe")" "$@"
