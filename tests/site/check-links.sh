#!/bin/sh
# Writes the sites of the sample and of a generated project of the benchmark's size S, and checks
# that every internal link of every page resolves (tools/check-site-links.py).
#   check-links.sh CLI GEN_PROJECT_TOOL SAMPLE.vbp OUT_DIR CHECKER
set -eu
cli=$1 gen=$2 sample=$3 out=$4 checker=$5
rm -rf "$out"
mkdir -p "$out"
"$gen" --files 50 --out "$out/S" --name BenchS >/dev/null
"$cli" --site --out-dir "$out/sites" "$sample" "$out/S/BenchS.vbp" >/dev/null
/usr/bin/python3 "$checker" "$out/sites/Inventory_site" "$out/sites/BenchS_site"
