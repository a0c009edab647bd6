#!/usr/bin/env bash
# Starts the program from the build tree; without a desktop it says so.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Tavelo needs a desktop (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  exit 0
fi
exec "$build/src/app/tavelo"
