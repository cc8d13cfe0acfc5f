#!/usr/bin/env bash
# Estate benchmark: a generated folder of 20 projects, 19 of which list, besides their 20 own
# files, the 10 files of the 20th (BenchShared), so that a third of their files are shared; each
# also has a "*\A" reference to BenchShared. Times one quillscope-cli call documenting the folder
# against one call per project, one after another, alternating, and checks that both write the
# same reports (the stamp aside).
#   bench/estate.sh [--runs N] [--cli-args "ARGS"]   (default 5 runs)
# Environment: QS_BENCH_BUILD (build folder, default build-bench), QS_BENCH_JOBS (build jobs).
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QS_BENCH_BUILD:-$root/build-bench}
jobs=${QS_BENCH_JOBS:-2}
runs=5
cli_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --cli-args) read -r -a cli_args <<<"$2"; shift 2 ;;
    -h|--help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "estate.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
  esac
done

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLSCOPE_BUILD_UI=OFF \
    -DQUILLSCOPE_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target gen_project_tool quillscope-cli --parallel "$jobs" \
  >"$build/bench-build.log" 2>&1 || { cat "$build/bench-build.log" >&2; exit 1; }
gen=$build/bench/gen_project_tool
cli=$build/quillscope-cli

estate=$build/estate
stamp="$(sha256sum <"$root/bench/gen_project_tool.cpp" | cut -d' ' -f1) $(sha256sum <"$0" | cut -d' ' -f1)"
if [ "$(cat "$estate/.stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -rf "$estate" "$estate.tmp"
  "$gen" --files 10 --out "$estate.tmp/Shared" --name BenchShared --seed 100 >/dev/null
  shared_lines=$(grep -E '^(Module|Class|Form|UserControl)=' "$estate.tmp/Shared/BenchShared.vbp" |
    sed -E 's/^(Module|Class)=([^;]*); (.*)$/\1=\2; ..\\Shared\\\3/; s/^(Form|UserControl)=([^;]*)$/\1=..\\Shared\\\2/')
  for i in $(seq -w 1 19); do
    "$gen" --files 20 --out "$estate.tmp/P$i" --name "P$i" --seed "$((10#$i))" >/dev/null
    vbp="$estate.tmp/P$i/P$i.vbp"
    # The shared items go with the project's own, before its IconForm line.
    # (through the environment: awk -v would read the "\" of the paths as escapes)
    add=$shared_lines awk '/^IconForm=/ && !done { print ENVIRON["add"]; done = 1 } { print }' \
      "$vbp" >"$vbp.new"
    mv "$vbp.new" "$vbp"
  done
  echo "$stamp" >"$estate.tmp/.stamp"
  mv "$estate.tmp" "$estate"
fi
mapfile -t projects < <(find "$estate" -iname '*.vbp' | sort)
bytes=$(find "$estate" -type f ! -name '*.vbp' ! -name .stamp -printf '%s\n' | awk '{ s += $1 } END { print s }')
echo "estate: ${#projects[@]} projects, $bytes bytes of distinct source" >&2

out=$(mktemp -d "${TMPDIR:-/tmp}/qs-estate.XXXXXX")
trap 'rm -rf "$out"' EXIT
now() { date +%s.%N; }
one_call() { "$cli" ${cli_args[@]+"${cli_args[@]}"} --quiet --out-dir "$out/one" "$estate"; }
each_call() {
  local p
  for p in "${projects[@]}"; do
    "$cli" ${cli_args[@]+"${cli_args[@]}"} --quiet --out-dir "$out/each" "$p"
  done
}
# The report with its stamp (from its first line, "<!-- Generated STAMP -->") replaced.
without_stamp() {
  local stamp
  stamp=$(head -n 1 "$1" | sed -E 's/^<!-- Generated (.*) -->.*$/\1/' | sed 's/[][\.*^$/]/\\&/g')
  sed "s/$stamp/STAMP/g" "$1"
}
one_call
each_call  # warm-up, and the reports to compare
for p in "${projects[@]}"; do
  body=$(basename "${p%.*}")
  report="${body}_document/$body.html"
  if ! cmp -s <(without_stamp "$out/one/$report") <(without_stamp "$out/each/$report"); then
    echo "estate.sh: $report differs between the two ways" >&2
    exit 1
  fi
done
echo "reports: the same either way (stamp lines aside)" >&2

one=()
each=()
for ((r = 0; r < runs; ++r)); do
  t0=$(now); one_call; t1=$(now); each_call; t2=$(now)
  one+=("$(echo "$t1 - $t0" | bc)")
  each+=("$(echo "$t2 - $t1" | bc)")
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
m1=$(median "${one[@]}")
m2=$(median "${each[@]}")
printf 'one call for the folder:      median %.3f s over %d runs\n' "$m1" "$runs"
printf 'one call per project (%d):    median %.3f s\n' "${#projects[@]}" "$m2"
printf 'ratio one/each: %.2f\n' "$(echo "$m1 / $m2" | bc -l)"
