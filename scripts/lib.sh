# Shared steps of scripts/run and scripts/test: install what is missing, build.
# shellcheck shell=bash
set -euo pipefail

SKARVEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SKARVEL_BUILD="${SKARVEL_BUILD:-$SKARVEL_ROOT/build}"

# Debian packages the build and the tests need.
SKARVEL_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev
  nlohmann-json3-dev
  libcfitsio-dev
  fontconfig fonts-dejavu-core
  libxml2-utils
  # HTTPS of the on-line star catalogs: Qt's OpenSSL backend and the system's certificates.
  libssl3 ca-certificates
  # The install test validates the desktop entry and the AppStream metainfo;
  # scripts/package builds the Debian package (dpkg-shlibdeps) and checks it.
  desktop-file-utils appstream man-db dpkg-dev fakeroot lintian
)

skarvel_install() {
  local missing=()
  local pkg
  for pkg in "${SKARVEL_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Run this script as root, or: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Optimised without debug information, which would make the build on two cores
# about a third slower (SKARVEL_DEBUG_INFO=1 keeps it, for gdb).
skarvel_configure() {
  local flags="-O2 -DNDEBUG"
  if [ "${SKARVEL_DEBUG_INFO:-0}" = "1" ]; then flags="-O2 -g -DNDEBUG"; fi
  cmake -S "$SKARVEL_ROOT" -B "$SKARVEL_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" "$@"
}

skarvel_build() {
  skarvel_configure "$@"
  cmake --build "$SKARVEL_BUILD" -j "$(nproc)"
}
