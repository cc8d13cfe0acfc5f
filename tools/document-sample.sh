#!/usr/bin/env bash
# Builds the command line (installing what is missing) and documents the bundled sample project
# into build/sample-report/, printing the report's path. Nothing is written into the source tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
dir="$root/build"
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
[ -f "$dir/CMakeCache.txt" ] || cmake -S "$root" -B "$dir" "${generator[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)" --target quillscope-cli >/dev/null
"$dir/quillscope-cli" --out-dir "$dir/sample-report" "$root/examples/Inventory/Inventory.vbp"
