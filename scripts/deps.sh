#!/usr/bin/env bash
# Installs the Debian packages Orvane needs to build, run and test, if any
# are missing. Sourced by run.sh and test.sh.
set -euo pipefail

ORVANE_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-svg-dev libgl-dev libxcb1-dev
  libsqlite3-dev libicu-dev
  googletest libgtest-dev
  xvfb xauth fonts-dejavu-core openbox x11-utils libxtst-dev
  at-spi2-core dbus-daemon python3-pyatspi
  clang libclang-rt-14-dev
  dpkg-dev lintian appstream desktop-file-utils
  python3 python3-vobject
  qtkeychain-qt6-dev libsecret-1-0 gnome-keyring libsecret-tools dbus-daemon dbus-bin
  strace
  libcurl4-openssl-dev libssl-dev libxml2-dev openssl radicale vdirsyncer python3-bcrypt php-cli php-sqlite3 php-sabre-dav
)

orvane_install_deps() {
  local missing=()
  for pkg in "${ORVANE_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# Configures (once) and builds one build folder: orvane_build <dir> [cmake options...]
orvane_build() {
  local dir=$1
  shift
  if [[ ! -f "$dir/CMakeCache.txt" ]]; then
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
  fi
  # Paths relative to the checkout, and the folder left out of the key, so
  # that another clone of the same sources reuses the compiler's output.
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  cmake --build "$dir" --parallel "$(nproc)"
}
