#!/usr/bin/env bash
# Builds the Debian package dist/orvane_<version>_amd64.deb: installs what
# is missing, builds (build/), and packs the system layout with CPack.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
orvane_install_deps
orvane_build build
cpack --config build/CPackConfig.cmake
ls dist/orvane_*_amd64.deb
