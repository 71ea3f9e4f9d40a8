#!/usr/bin/env bash
# Builds Orvane, lays out its application folder and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
orvane_install_deps
orvane_build build

app=build/presentation
mkdir -p "$app/Database"
# A missing database is created empty; an existing one is never touched.
if [[ ! -e "$app/Database/Addressbook.mdb" ]]; then
  build/tools/orvane-createdb "$app/Database/Addressbook.mdb"
fi
echo "Application folder: $(pwd)/$app (Database/, Lists/, Documents/ beside the program)"

if [[ -x "$app/orvane" ]]; then
  if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: starting Orvane on a virtual one (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$app/orvane"
  fi
  exec "$app/orvane"
fi
echo "The address-book window is not built yet; the application folder is ready."
