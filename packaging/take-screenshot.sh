#!/usr/bin/env bash
# Takes the screenshot the AppStream metadata shows: the installed program's
# main window on a virtual screen, from a fresh user folder.
#   packaging/take-screenshot.sh PREFIX OUTPUT.png
set -euo pipefail
prefix="$(readlink -f "${1:?prefix}")"
out="${2:?output png}"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" SKYRENDEL_MEASURE_STARTUP=stay
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$0/bin/skyrendel" > "$HOME/out.txt" 2>&1 &
  pid=$!
  for i in $(seq 1 100); do grep -q "main window shown" "$HOME/out.txt" && break; sleep 0.1; done
  sleep 1
  # The screen is black around the window: cut down to the window.
  import -window root "$1"
  convert "$1" -trim +repage "$1"
  kill "$pid"
' "$prefix" "$out"
identify "$out"
