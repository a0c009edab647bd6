#!/usr/bin/env bash
# Starts the program from the build tree. Without a desktop it prints the
# bundled sample card to a PDF instead and says where.
set -euo pipefail
build=${1:-build}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Tavelo needs a desktop (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  "$build/src/batch/tavelo-batch" print "$build/samples/sample.tvl" -o "$build/sample.pdf"
  echo "Printed the sample card to $build/sample.pdf instead."
  exit 0
fi
exec "$build/src/app/tavelo"
