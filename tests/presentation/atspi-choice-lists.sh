#!/bin/sh
# Starts the address book in an application folder of its own on an X
# server of its own, with a session bus and the AT-SPI accessibility bus,
# and reads its choice lists the way a screen reader does.
# Usage: atspi-choice-lists.sh orvane orvane-createdb
set -eu
program=$1
createdb=$2
here=$(dirname "$0")
# The Debian Python that carries pyatspi, whatever python3 comes first on PATH.
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null || { echo "pyatspi is not installed (python3-pyatspi)"; exit 1; }

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir -p "$folder/Database" "$folder/Lists" "$folder/Documents"
cp "$program" "$folder/orvane"
printf 'Alberta\r\nManitoba\r\nOntario\r\nYukon\r\n' >"$folder/Lists/StateProvince.txt"
printf 'Canada\r\nMexico\r\nUnited States\r\n' >"$folder/Lists/Country.txt"
printf '{\\rtf1\\ansi About\\par}' >"$folder/Documents/Orvane.rtf"
"$createdb" "$folder/Database/Addressbook.mdb" >/dev/null

export ORVANE_TEST_FOLDER="$folder" ORVANE_TEST_PYTHON="$python" ORVANE_TEST_SCRIPT="$here/atspi-choice-lists.py"
exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- sh -c '
  QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$ORVANE_TEST_FOLDER/orvane" &
  app=$!
  status=0
  "$ORVANE_TEST_PYTHON" "$ORVANE_TEST_SCRIPT" \
    "State/Province=Alberta,Manitoba,Ontario,Yukon" "Country=Canada,Mexico,United States" || status=$?
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  exit "$status"
'
