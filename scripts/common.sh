# Shared by run.sh and test.sh: installs the Debian packages the build needs
# when they are missing, then configures and builds into build/.
set -euo pipefail

NEMBRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
NEMBRA_BUILD=${NEMBRA_BUILD:-$NEMBRA_ROOT/build}

NEMBRA_PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  libbenchmark-dev qt6-webengine-dev libjs-leaflet iproute2
  libqt6svg6 xvfb xauth fonts-dejavu-core fonts-liberation2
)

ensure_packages() {
  local missing=()
  for p in "${NEMBRA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
  fi
}

build() {
  cmake -S "$NEMBRA_ROOT" -B "$NEMBRA_BUILD" -G Ninja "$@" >/dev/null
  cmake --build "$NEMBRA_BUILD" -j "$(nproc)"
}
