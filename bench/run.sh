#!/usr/bin/env bash
# Whole-run benchmark: documents generated projects of three sizes with quillscope-cli and, side by
# side in the same run, counts the words of the same files with `LC_ALL=C wc -w`.
#
#   bench/run.sh [--runs N] [--sizes "S M L"] [--regenerate] [--against OTHER-CLI]
#                [--cli-args "ARGS"] [--against-args "ARGS"] [--no-dot]
#
# --cli-args passes further arguments to every quillscope-cli run (both builds with --against),
# for example --cli-args "--json" to measure the run with its JSON export; the sizes of the
# report and of the exports written are then printed per size too. --against-args gives the
# --against program these arguments instead (without --against: this tree's quillscope-cli), so
# that one build is compared with itself, e.g. --cli-args "--json" --against-args "" measures
# what the export adds to the report-only run, in the same rounds.
#
# With --cli-args "--site" the site's size is printed per size too, and its links are checked
# (tools/check-site-links.py). --no-dot runs every quillscope-cli with a PATH that holds no
# program (so no Graphviz dot): the site without its pictures.
#
# --against runs a second quillscope-cli (an earlier commit's build, say) in the same rounds,
# alternating with this tree's, and prints its median and the change between the two.
#
# Sizes: S = 50 files, M = 500 files, L = 2000 files (more than 60 MB of source). The projects are
# generated once into build-bench/projects/ and reused while the generator source is unchanged.
# Every size gets one warm-up run of each program (which also fills the page cache), then N measured
# runs (default 5) in which the two programs alternate. Printed per size: source bytes, median wall
# time, MB of source per second, peak resident memory, and the ratio of the two median times.
#
# Environment: QS_BENCH_BUILD (build folder, default build-bench), QS_BENCH_JOBS (build jobs,
# default 2).
set -euo pipefail
shopt -s nullglob
# One locale for the whole script: decimal points in the clock and in awk, byte-wise wc.
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
build=${QS_BENCH_BUILD:-$root/build-bench}
jobs=${QS_BENCH_JOBS:-2}
projects=$build/projects
runs=5
sizes="S M L"
regenerate=0
against=""
cli_args=()
against_args=()
against_args_given=0
no_dot=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --regenerate) regenerate=1; shift ;;
    --against) against=$2; shift 2 ;;
    --cli-args) read -r -a cli_args <<<"$2"; shift 2 ;;
    --against-args) read -r -a against_args <<<"$2"; against_args_given=1; shift 2 ;;
    --no-dot) no_dot=1; shift ;;
    -h|--help) sed -n '2,28p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument $1 (try --help)" >&2; exit 2 ;;
  esac
done
case "$runs" in ''|*[!0-9]*|0) echo "run.sh: --runs needs a positive number" >&2; exit 2 ;; esac
if [ -n "$against" ] && [ ! -x "$against" ]; then
  echo "run.sh: --against needs a program: $against" >&2
  exit 2
fi

files_of() { case "$1" in S) echo 50 ;; M) echo 500 ;; L) echo 2000 ;; *) return 1 ;; esac; }
for size in $sizes; do
  files_of "$size" >/dev/null || { echo "run.sh: unknown size $size (S, M or L)" >&2; exit 2; }
done

# Peak resident memory comes from GNU time; Debian ships it as the package "time".
if [ ! -x /usr/bin/time ]; then
  echo "Installing the package time (for /usr/bin/time -v)" >&2
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq time >/dev/null
fi

# An optimised build of its own, so that the debug and sanitizer builds are left alone.
if [ ! -f "$build/CMakeCache.txt" ]; then
  generator=()
  command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DQUILLSCOPE_BUILD_UI=OFF -DQUILLSCOPE_BUILD_TESTS=OFF >/dev/null
fi
if ! cmake --build "$build" --target gen_project_tool quillscope-cli --parallel "$jobs" \
    >"$build/bench-build.log" 2>&1; then
  cat "$build/bench-build.log" >&2
  exit 1
fi
gen=$build/bench/gen_project_tool
cli=$build/quillscope-cli
if [ $against_args_given -eq 1 ]; then
  [ -n "$against" ] || against=$cli
else
  against_args=(${cli_args[@]+"${cli_args[@]}"})
fi

# Generate each size once; a stamp holding the generator's checksum and arguments tells whether
# the cached copy is still what the generator would write.
stamp_of() { echo "$(sha256sum <"$root/bench/gen_project_tool.cpp" | cut -d' ' -f1) files=$1"; }
for size in $sizes; do
  n=$(files_of "$size")
  dir=$projects/$size
  if [ $regenerate -eq 1 ] || [ "$(cat "$dir/.stamp" 2>/dev/null)" != "$(stamp_of "$n")" ]; then
    rm -rf "$dir" "$dir.tmp"
    "$gen" --files "$n" --out "$dir.tmp" --name "Bench$size" >/dev/null
    stamp_of "$n" >"$dir.tmp/.stamp"
    mv "$dir.tmp" "$dir"
  fi
done

out_root=$(mktemp -d "${TMPDIR:-/tmp}/qs-bench.XXXXXX")
trap 'rm -rf "$out_root"' EXIT
# The programs measured are started through env, with an empty PATH folder under --no-dot.
run_env=(env)
if [ $no_dot -eq 1 ]; then
  mkdir -p "$out_root/no-programs"
  run_env=(env PATH="$out_root/no-programs")
fi

# Runs one command under /usr/bin/time -v. Sets `wall` (seconds, from the shell's microsecond
# clock), `rss` (peak resident set, KiB) and `status` (the command's exit status).
measure() {
  local log=$out_root/time.log t0 t1
  t0=$EPOCHREALTIME
  set +e
  /usr/bin/time -v -o "$log" "$@" >/dev/null 2>"$out_root/stderr.log"
  status=$?
  set -e
  t1=$EPOCHREALTIME
  wall=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }')
  rss=$(awk -F': *' '/Maximum resident set size/ { print $2 }' "$log")
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.6f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { sort -g | tail -n 1; }

# One line of the table: size, file count, bytes, program, median seconds, peak KiB, note.
row() {
  awk -v s="$1" -v f="$2" -v b="$3" -v p="$4" -v t="$5" -v r="$6" -v n="$7" 'BEGIN {
    printf "%-4s %6s %12d  %-15s %10.4f %9.1f %13.1f  %s\n", s, f, b, p, t, (t > 0 ? b / 1e6 / t : 0), r / 1024, n }'
}

printf '%-4s %6s %12s  %-15s %10s %9s %13s  %s\n' size files "source bytes" program "median s" "MB/s" "peak RSS MiB" notes
declare -A bytes_of cli_time_of cli_rss_of
for size in $sizes; do
  dir=$projects/$size
  vbp=$dir/Bench$size.vbp
  # The same files for both programs: the project file and every source file it lists.
  sources=("$dir"/*.vbp "$dir"/*.frm "$dir"/*.bas "$dir"/*.cls "$dir"/*.ctl)
  bytes=$(cat -- "${sources[@]}" | wc -c)
  out=$out_root/$size
  mkdir -p "$out"
  cli_times=() cli_rss=() wc_times=() wc_rss=() other_times=() other_rss=() cli_status=0
  for ((i = 0; i <= runs; i++)); do
    measure "${run_env[@]}" "$cli" ${cli_args[@]+"${cli_args[@]}"} --out-dir "$out" "$vbp"
    [ "$status" -eq 0 ] || cli_status=$status
    if [ $i -gt 0 ]; then cli_times+=("$wall"); cli_rss+=("$rss"); fi
    measure env LC_ALL=C wc -w -- "${sources[@]}"
    [ "$status" -eq 0 ] || { echo "run.sh: wc failed on $size" >&2; exit 1; }
    if [ $i -gt 0 ]; then wc_times+=("$wall"); wc_rss+=("$rss"); fi
    if [ -n "$against" ]; then
      measure "${run_env[@]}" "$against" ${against_args[@]+"${against_args[@]}"} --out-dir "$out" "$vbp"
      if [ $i -gt 0 ]; then other_times+=("$wall"); other_rss+=("$rss"); fi
    fi
  done
  cli_med=$(printf '%s\n' "${cli_times[@]}" | median)
  wc_med=$(printf '%s\n' "${wc_times[@]}" | median)
  cli_peak=$(printf '%s\n' "${cli_rss[@]}" | maximum)
  wc_peak=$(printf '%s\n' "${wc_rss[@]}" | maximum)
  note=""
  [ "$cli_status" -eq 0 ] || note="exit status $cli_status: not a documentation run"
  row "$size" "${#sources[@]}" "$bytes" quillscope-cli "$cli_med" "$cli_peak" "$note"
  row "" "" "$bytes" "wc -w" "$wc_med" "$wc_peak" ""
  awk -v a="$cli_med" -v b="$wc_med" 'BEGIN { printf "%-4s %6s %12s  %-15s %10.2f\n", "", "", "", "time ratio", (b > 0 ? a / b : 0) }'
  if [ -n "$against" ]; then
    other_med=$(printf '%s\n' "${other_times[@]}" | median)
    other_peak=$(printf '%s\n' "${other_rss[@]}" | maximum)
    row "" "" "$bytes" "--against" "$other_med" "$other_peak" ""
    awk -v a="$cli_med" -v b="$other_med" 'BEGIN { printf "%-4s %6s %12s  %-15s %+9.1f%%\n", "", "", "", "change", (b > 0 ? (a / b - 1) * 100 : 0) }'
  fi
  # The sizes of what the last run wrote: the report and any export beside it.
  for written in "$out/Bench${size}_document/Bench$size".{html,json,analysis.json}; do
    [ -f "$written" ] && printf '%-4s %6s %12d  %s\n' "" "" "$(wc -c <"$written")" "bytes of ${written##*/}"
  done
  site=$out/Bench${size}_site
  if [ -d "$site" ]; then
    printf '%-4s %6s %12d  %s\n' "" "" "$(du -sb "$site" | cut -f1)" "bytes in ${site##*/} ($(find "$site" -type f | wc -l) files)"
    awk -v r="$cli_peak" -v b="$bytes" 'BEGIN {
      printf "%-4s %6s %12s  peak memory %.1f MiB, site limit 6 x source + 60 MiB = %.1f MiB\n", "", "", "", r / 1024, 6 * b / 1048576 + 60 }'
    /usr/bin/python3 "$root/tools/check-site-links.py" "$site" | sed 's/^/     link check: /'
  fi
  bytes_of[$size]=$bytes
  cli_time_of[$size]=$cli_med
  cli_rss_of[$size]=$cli_peak
done

# Growth: with S taken as the fixed overhead, L over M should follow the ratio of the source bytes.
if [ -n "${bytes_of[S]:-}" ] && [ -n "${bytes_of[M]:-}" ] && [ -n "${bytes_of[L]:-}" ]; then
  awk -v bs="${bytes_of[S]}" -v bm="${bytes_of[M]}" -v bl="${bytes_of[L]}" \
      -v ts="${cli_time_of[S]}" -v tm="${cli_time_of[M]}" -v tl="${cli_time_of[L]}" \
      -v rs="${cli_rss_of[S]}" -v rm="${cli_rss_of[M]}" -v rl="${cli_rss_of[L]}" 'BEGIN {
    q = (bl - bs) / (bm - bs)
    printf "\ngrowth L/M after subtracting S: source bytes %.2f, time %.2f, peak memory %.2f\n",
      q, (tm > ts ? (tl - ts) / (tm - ts) : 0), (rm > rs ? (rl - rs) / (rm - rs) : 0)
    printf "memory on L: %.1f MiB peak, limit 4 x source + 30 MiB = %.1f MiB\n",
      rl / 1024, (4 * bl / 1048576) + 30 }'
fi
