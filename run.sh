#!/usr/bin/env bash
# Builds Quorvel and runs its main job on a replay (the sample replay when none is given): the
# program's window when there is a display, the command-line summary otherwise.
set -euo pipefail

replay="${1:-}"
[ -n "$replay" ] && replay="$(realpath -m -- "$replay")"
cd "$(dirname "$0")"
source tools/packages.sh
tools/ensure-packages.sh "${BUILD_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -- --quiet

replay="${replay:-$PWD/data/samples/sample.w3g}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/bin/quorvel ]; then
  exec build/bin/quorvel "$replay"
fi
exec build/bin/quorvel-cli info "$replay"
