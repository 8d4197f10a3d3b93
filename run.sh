#!/usr/bin/env bash
# Builds Quorvel and runs its main job on a replay (the sample replay when none is given).
set -euo pipefail

replay="${1:-}"
[ -n "$replay" ] && replay="$(realpath -m -- "$replay")"
cd "$(dirname "$0")"
source tools/packages.sh
tools/ensure-packages.sh "${BUILD_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target quorvel-cli vantrel -- --quiet

exec build/bin/quorvel-cli info "${replay:-data/samples/sample.w3g}"
