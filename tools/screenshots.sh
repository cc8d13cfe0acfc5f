#!/usr/bin/env bash
# Saves PNG pictures of the desktop window during and after a run of the bundled sample project,
# and of the completion notice, on Qt's offscreen platform (no display needed); then of the
# sample's documentation site (its index, a module page and a source page) in headless Chromium.
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
cmake --build "$dir" --parallel "$(nproc)" --target quillscope-screenshots quillscope-cli >/dev/null
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$dir/quillscope-screenshots" "$out" \
  "$root/examples/Inventory/Inventory.vbp"

# The site, written by the command line and pictured by the browser the tests use.
"$dir/quillscope-cli" --site --out-dir "$out/site-run" "$root/examples/Inventory/Inventory.vbp" \
  >/dev/null
site="$out/site-run/Inventory_site"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
for page in index.html:site-index.png m4-modMain.html:site-module.png s4-modMain.html:site-source.png; do
  chromium --headless=new --no-sandbox --disable-gpu --disable-dev-shm-usage \
    --disable-background-networking --disable-component-update --no-first-run --disable-sync \
    --user-data-dir="$profile" --window-size=1280,900 --hide-scrollbars \
    --screenshot="$out/${page#*:}" "file://$site/${page%%:*}" >/dev/null 2>&1
  echo "wrote $out/${page#*:}"
done
