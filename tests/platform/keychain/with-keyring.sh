#!/usr/bin/env bash
# Runs a command beside a real Secret Service: a private D-Bus session bus
# (dbus-run-session) with GNOME Keyring serving org.freedesktop.secrets,
# under a throw-away HOME and XDG_RUNTIME_DIR so that neither the keyring
# of the user running the tests nor any file of theirs is touched.
#
#   with-keyring.sh <command> [arguments...]
set -euo pipefail

if [[ ${ORVANE_INSIDE_KEYRING_SESSION:-} != 1 ]]; then
  scratch=$(mktemp -d /tmp/orvane-keyring.XXXXXX)
  trap 'rm -rf "$scratch"' EXIT
  mkdir -m 700 "$scratch/home" "$scratch/runtime"
  status=0
  env -u DBUS_SESSION_BUS_ADDRESS -u DISPLAY -u WAYLAND_DISPLAY -u XDG_CURRENT_DESKTOP \
    HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" ORVANE_INSIDE_KEYRING_SESSION=1 \
    dbus-run-session -- "$0" "$@" || status=$?
  exit "$status"
fi

# Inside the session: unlock (which creates) the login keyring with a
# password given on standard input, then start the secrets component on it.
eval "$(printf 'orvane-test\n' | gnome-keyring-daemon --unlock --components=secrets)"
eval "$(gnome-keyring-daemon --start --components=secrets)"
export GNOME_KEYRING_CONTROL
keyring_pid=${GNOME_KEYRING_PID:-}
status=0
"$@" || status=$?
if [[ -n $keyring_pid ]]; then kill "$keyring_pid" 2>/dev/null || true; fi
exit "$status"
