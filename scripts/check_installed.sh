#!/usr/bin/env bash
# Unpacks the Debian package into a throwaway root folder and starts the
# installed program once under Xvfb as a normal user (nobody) with a fresh
# HOME, the way the menu entry starts it; then checks that its window opened
# and that the settings, list and data folders are where the README says.
# Needs root (a mount namespace shows the package's files under /usr/share).
set -euo pipefail
deb=$1
if [ "$(id -u)" -ne 0 ]; then
  echo "check_installed: needs root for its mount namespace; skipped"
  exit 0
fi
command -v xwininfo >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq x11-utils >/dev/null
root=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$root" "$home"' EXIT
dpkg-deb -x "$deb" "$root"
chown nobody:nogroup "$home"
chmod 755 "$root"
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/de.nembra.Nembra.desktop")

created_share=
[ -d /usr/share/nembra ] || { mkdir /usr/share/nembra; created_share=1; }
status=0
unshare --mount --propagation private bash -s "$root" "$home" "$exec_line" <<'INNER' || status=$?
set -euo pipefail
root=$1 home=$2 exec_line=$3
mount --bind "$root/usr/share/nembra" /usr/share/nembra
setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env -i HOME="$home" PATH="$root/usr/bin:/usr/bin:/bin" LANG=de_DE.UTF-8 \
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    '"$exec_line"' & pid=$!
    for i in $(seq 1 40); do
      xwininfo -root -tree 2>/dev/null | grep -q "\"Nembra\"" && break
      sleep 0.5
    done
    xwininfo -root -tree > "$HOME/windows.txt" 2>&1 || true
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true'
INNER
[ -n "$created_share" ] && rmdir /usr/share/nembra

check() {
  if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; status=1; fi
}
check "the main window \"Nembra\" opened" 'grep -q "\"Nembra\"" "$home/windows.txt"'
check "no warning about a missing list" '! grep -q "\"Warnung\"" "$home/windows.txt"'
check "settings folder ~/.config/Nembra" '[ -d "$home/.config/Nembra" ]'
check "data folder ~/.local/share/Nembra" '[ -d "$home/.local/share/Nembra" ]'
check "folder for the CSV files ~/Documents/Nembra" '[ -d "$home/Documents/Nembra" ]'
check "owned by the user" '[ "$(stat -c %U "$home/Documents/Nembra")" = nobody ]'
exit "$status"
