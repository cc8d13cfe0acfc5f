#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz/) and runs each of them.
#   tools/fuzz.sh [SECONDS] [TARGET...]   SECONDS per target (default 60); all targets by default
# Seed corpora come from the sample project (examples/Inventory) and from small projects of the
# benchmark generator; the corpora grow in build-fuzz/corpus/<target>/. Findings (crash-*,
# timeout-*, oom-*) land in build-fuzz/findings/<target>/; the script ends with status 1 when
# any target found something. At the end it prints the executions of every target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
dir="$root/build-fuzz"
jobs=${FUZZ_BUILD_JOBS:-2}

all_targets=(fuzz_tokenize_code fuzz_tokenize_vbp fuzz_tokenize_form fuzz_tokenize_class
             fuzz_parse_vbp fuzz_parse_form_header fuzz_parse_class_header fuzz_code_scan
             fuzz_whole_run fuzz_doc_comments fuzz_cross_references fuzz_project_group
             fuzz_declarators fuzz_conditions)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CXX=clang++ cmake -S "$root" -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLSCOPE_FUZZ=ON -DQUILLSCOPE_BUILD_UI=OFF -DQUILLSCOPE_BUILD_TESTS=OFF \
    -DQUILLSCOPE_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$dir" --parallel "$jobs" --target "${targets[@]}" fuzz_gen_project

# ---- Seed corpora ----
seeds="$dir/seeds"
if [ ! -d "$seeds" ]; then
  mkdir -p "$seeds"/{vbp,form,class,code,run}
  gen="$seeds/gen"
  for n in 2 4 6; do
    "$dir/fuzz/fuzz_gen_project" --files "$n" --out "$gen/g$n" --seed "$n" --name "G$n" >/dev/null
  done
  i=0
  while IFS= read -r -d '' f; do
    i=$((i + 1))
    case "${f,,}" in
      *.vbp) cp "$f" "$seeds/vbp/s$i" ;;
      *.frm|*.ctl|*.pag|*.dob|*.dsr) cp "$f" "$seeds/form/s$i"; (printf '\001'; cat "$f") > "$seeds/code/s$i" ;;
      *.cls|*.bas) cp "$f" "$seeds/class/s$i"; (printf '\000'; cat "$f") > "$seeds/code/s$i" ;;
    esac
  done < <(find "$root/examples/Inventory" "$gen" -type f -size -200k -print0 | sort -z)
  # Whole-run seeds: a project file followed by its sources, each after "\n~~~~ NAME\n", with
  # the project's "\" paths written as "/" so the files land where the project looks for them.
  for proj in "$root/examples/Inventory/Inventory.vbp" "$gen"/g*/*.vbp; do
    pdir=$(dirname "$proj")
    out="$seeds/run/$(basename "$pdir")"
    cat "$proj" > "$out"
    while IFS= read -r -d '' f; do
      rel=${f#"$pdir"/}
      printf '\n~~~~ %s\n' "$rel" >> "$out"
      cat "$f" >> "$out"
    done < <(find "$pdir" -type f \( -iname '*.frm' -o -iname '*.bas' -o -iname '*.cls' \
             -o -iname '*.ctl' -o -iname '*.pag' -o -iname '*.dob' -o -iname '*.dsr' \) -size -64k \
             -print0 | sort -z)
  done
fi

if [ ! -d "$seeds/group" ]; then
  mkdir -p "$seeds/group"
  # Group files: members with blanks, any letter case, a start-up project, other lines; and a
  # project file with a "*\A" reference line.
  printf 'VBGROUP 5.0\r\nStartupProject=App\\App.vbp\r\nProject=..\\Lib\\LIB.VBP\r\n' \
    > "$seeds/group/g1"
  printf 'VBGROUP 6.0\nProject = My Lib\\Lib.vbp \nOther=1\n' > "$seeds/group/g2"
  printf 'Type=Exe\r\nReference=*\\A..\\Lib\\Lib.vbp#1.0#0#Lib\r\n' > "$seeds/group/p1"
fi

seed_of() {
  case "$1" in
    fuzz_tokenize_vbp|fuzz_parse_vbp) echo "$seeds/vbp" ;;
    fuzz_tokenize_form|fuzz_parse_form_header) echo "$seeds/form" ;;
    fuzz_tokenize_class|fuzz_parse_class_header) echo "$seeds/class" ;;
    fuzz_tokenize_code|fuzz_code_scan|fuzz_doc_comments|fuzz_declarators|fuzz_conditions) echo "$seeds/code" ;;
    fuzz_whole_run|fuzz_cross_references) echo "$seeds/run" ;;
    fuzz_project_group) echo "$seeds/group" ;;
  esac
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
summary=()
for t in "${targets[@]}"; do
  corpus="$dir/corpus/$t"
  findings="$dir/findings/$t"
  mkdir -p "$corpus" "$findings"
  log="$dir/findings/$t.log"
  max_len=65536
  [ "$t" = fuzz_whole_run ] && max_len=131072
  echo "== $t: ${seconds}s" >&2
  set +e
  "$dir/fuzz/$t" "$corpus" "$(seed_of "$t")" -max_total_time="$seconds" -timeout=20 \
    -rss_limit_mb=2048 -max_len="$max_len" -artifact_prefix="$findings/" -print_final_stats=1 \
    >"$log" 2>&1
  rc=$?
  set -e
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  found=$(find "$findings" -maxdepth 1 -type f | wc -l)
  [ "$rc" -eq 0 ] && [ "$found" -eq 0 ] || status=1
  summary+=("$(printf '%-26s %12s executions  exit %d  findings %d' "$t" "${execs:-?}" "$rc" "$found")")
done
echo
printf '%s\n' "${summary[@]}"
exit $status
