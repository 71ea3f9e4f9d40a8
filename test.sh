#!/usr/bin/env bash
# Builds Orvane and runs every test headless, ending with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
orvane_install_deps
export QT_QPA_PLATFORM=offscreen

orvane_build build
(cd build && ctest --output-on-failure --timeout 300 -j "$(nproc)")
