#!/usr/bin/env bash
# Builds the Debian package from a copy of the source tree into dist/ and
# checks it: lintian on the package, desktop-file-validate and appstreamcli on
# its menu entry and AppStream data. Prints the path of the .deb last.
source "$(dirname "$0")/common.sh"
NEMBRA_PACKAGES+=(dpkg-dev debhelper lintian desktop-file-utils appstream)
ensure_packages
version=$(dpkg-parsechangelog -l "$NEMBRA_ROOT/debian/changelog" -S Version)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src=$work/nembra-$version
mkdir -p "$src"
# The tracked files only: no build folders, nothing a user left beside them.
(cd "$NEMBRA_ROOT" && git ls-files -z | xargs -0 cp --parents -t "$src")
(cd "$src" && dpkg-buildpackage -us -uc -b >"$work/build.log" 2>&1) || { tail -40 "$work/build.log"; exit 1; }
mkdir -p "$NEMBRA_ROOT/dist"
deb=$(ls "$work"/nembra_"$version"_*.deb)
cp "$deb" "$NEMBRA_ROOT/dist/"
deb=$NEMBRA_ROOT/dist/$(basename "$deb")

# The checks report on stderr; stdout carries only the package's path.
{
  echo "== lintian"
  lintian --fail-on error "$deb"
  echo "== desktop-file-validate"
  desktop-file-validate "$NEMBRA_ROOT/packaging/de.nembra.Nembra.desktop"
  echo "== appstreamcli validate"
  appstreamcli validate --no-net "$NEMBRA_ROOT/packaging/de.nembra.Nembra.metainfo.xml"
} >&2
echo "$deb"
