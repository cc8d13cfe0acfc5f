#!/usr/bin/env bash
# Saves PNG pictures of the desktop window during and after a run of the bundled sample project,
# and of the completion notice, on Qt's offscreen platform (no display needed).
#   tools/screenshots.sh [OUTPUT_FOLDER]     default: build/screenshots
# QUILLSCOPE_BUILD_DIR names another build folder than build/.
# The report of that run goes to OUTPUT_FOLDER/report; nothing is written into the source tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
dir="${QUILLSCOPE_BUILD_DIR:-$root/build}"   # the build folder to use
out="${1:-$dir/screenshots}"
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
[ -f "$dir/CMakeCache.txt" ] || cmake -S "$root" -B "$dir" "${generator[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target quillscope-screenshots >/dev/null
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$dir/quillscope-screenshots" "$out" \
  "$root/examples/Inventory/Inventory.vbp"
