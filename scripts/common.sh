# Shared by run.sh and test.sh: installs the Debian packages the build needs
# when they are missing, then configures and builds into build/.
set -euo pipefail

NEMBRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
NEMBRA_BUILD=${NEMBRA_BUILD:-$NEMBRA_ROOT/build}

NEMBRA_PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  libbenchmark-dev qt6-webengine-dev libjs-leaflet iproute2
  libproj-dev proj-data proj-bin libexif-dev tzdata
  libqt6svg6 fonts-wine xvfb xauth fonts-dejavu-core fonts-liberation2
)

ensure_packages() {
  local missing=()
  for p in "${NEMBRA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Es fehlen Debian-Pakete. Bitte als root ausführen:" >&2
      echo "  apt-get install -y ${missing[*]}" >&2
      exit 1
    fi
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

# A build folder of another user (say, one root made) is not written into.
check_build_dir() {
  if [ -e "$NEMBRA_BUILD" ] && [ ! -O "$NEMBRA_BUILD" ] && [ "$(id -u)" -ne 0 ]; then
    echo "Der Build-Ordner $NEMBRA_BUILD gehört einem anderen Benutzer." >&2
    echo "Bitte einen eigenen wählen, z. B.: NEMBRA_BUILD=\$HOME/nembra-build $0" >&2
    exit 1
  fi
}

build() {
  check_build_dir
  cmake -S "$NEMBRA_ROOT" -B "$NEMBRA_BUILD" -G Ninja "$@" >/dev/null
  cmake --build "$NEMBRA_BUILD" -j "$(nproc)"
}
