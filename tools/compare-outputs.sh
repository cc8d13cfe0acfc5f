#!/usr/bin/env bash
# Runs two quillscope-cli builds with the same arguments and compares everything they write, byte
# for byte: to show that a change meant to leave the output alone (a refactoring, say) does.
#
#   tools/compare-outputs.sh BASE_CLI NEW_CLI [--sizes "S M L"] [--keep DIR] [--projects DIR]
#                            [--gen GEN_PROJECT_TOOL] [--only REGEX]
#
# The projects: the bundled sample (examples/Inventory) and generated projects of the sizes asked
# for (bench/run.sh's S = 50, M = 500, L = 2000 files; default "S M L", --sizes "S M" or "" to
# skip the large ones), plus two estates (several projects in one call, with --json --site, so
# that estate_site/ is written): the sample with S, and a folder of three generated projects (two
# of which list the files of the third) with a group file.
#
# Every project is documented by each binary, in an output folder of its own (--out-dir):
#   report only; --json; --json --pretty; --site; --dump-analysis; --codepage 1251 --json;
#   --refs=NAME (the sample: a module's function, a global, a type member, a type, an ambiguous
#   and an unknown name; a generated project: the name docs/BENCHMARKS.md measures, or the first
#   module's counting function, and an ambiguous bare name); --unused; --unused --exposed;
#   --doc-coverage.
# Then every file written, stdout, stderr and the exit status are compared. What differs between
# any two runs is neutralised first, and nothing else:
#   - the report's time stamp (the CLI cannot pin it): in the first lines of each
#     *_document/*.html, "Weekday, Month D, YYYY HH:MM:SS" becomes <STAMP>;
#   - the program's folder in the report's style sheet link (file:///<folder>\QuillscopeStyle.css),
#     when the two binaries live in different folders;
#   - the output folder's absolute path (estate.json, the paths printed on stdout), which is
#     <OUT> on both sides;
#   - in the site's pictures (*_site/pictures/*.svg), the "page0,1_" that dot (Graphviz 2.43, at
#     least) puts before the id of the graph group, <g id="page0,1_graph0" class="graph">, of every
#     picture but the first that one dot process draws: which process draws which picture depends
#     on timing, so two runs of one binary differ there.
# A case whose base run does not end with the exit status it should (0, or 1 for an unknown and 2
# for an ambiguous --refs name), or whose base documenting run writes no file, fails too, so that
# a broken setup cannot pass as "same".
#
# One line per case, "same" or "DIFFERENT: <files>", then "N passed, N failed". Exit status 0 when
# every case is the same, 1 when one is not, 2 for a wrong command line or a failed setup.
# About a minute for S M L on two cores, most of it L (--sizes "S M": about 15 s). With --keep,
# L's outputs take about 2 GB.
#
# --projects DIR  where the generated projects are cached (default $TMPDIR/quillscope-compare-
#                 projects); they are made again only when the generator binary changes
# --gen PATH      the project generator (default: bench/gen_project_tool beside BASE_CLI, else
#                 beside NEW_CLI)
# --keep DIR      keep both sides' outputs in DIR/base/CASE and DIR/new/CASE (otherwise they go
#                 to a temporary folder, and each case's outputs are removed once compared)
# --only REGEX    run only the cases whose name (e.g. "M/site", "sample/refs=gInventory")
#                 matches the extended regular expression
set -euo pipefail
shopt -s nullglob
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; }
die() { echo "compare-outputs.sh: $*" >&2; exit 2; }

positional=()
sizes="S M L"
keep=""
projects=""
gen=""
only=""
while [ $# -gt 0 ]; do
  case "$1" in
    --sizes) [ $# -ge 2 ] || die "--sizes needs a value"; sizes=$2; shift 2 ;;
    --keep) [ $# -ge 2 ] || die "--keep needs a folder"; keep=$2; shift 2 ;;
    --projects) [ $# -ge 2 ] || die "--projects needs a folder"; projects=$2; shift 2 ;;
    --gen) [ $# -ge 2 ] || die "--gen needs a program"; gen=$2; shift 2 ;;
    --only) [ $# -ge 2 ] || die "--only needs a regular expression"; only=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    -*) die "unknown option $1 (try --help)" ;;
    *) positional+=("$1"); shift ;;
  esac
done
[ ${#positional[@]} -eq 2 ] || { usage >&2; exit 2; }
files_of() { case "$1" in S) echo 50 ;; M) echo 500 ;; L) echo 2000 ;; *) return 1 ;; esac; }
for size in $sizes; do
  files_of "$size" >/dev/null || die "unknown size $size (S, M or L)"
done

# The binaries with every link resolved: the report names the folder the program runs from.
declare -A cli program_folder
for i in 0 1; do
  side=$([ $i -eq 0 ] && echo base || echo new)
  if [ ! -f "${positional[$i]}" ] || [ ! -x "${positional[$i]}" ]; then
    die "not a program: ${positional[$i]}"
  fi
  cli[$side]=$(realpath "${positional[$i]}")
  program_folder[$side]=$(dirname "${cli[$side]}")
done
if [ -z "$gen" ]; then
  for candidate in "${program_folder[base]}/bench/gen_project_tool" \
                   "${program_folder[new]}/bench/gen_project_tool"; do
    if [ -x "$candidate" ]; then gen=$candidate; break; fi
  done
  [ -n "$gen" ] || die "no bench/gen_project_tool beside either binary: give one with --gen"
fi
[ -x "$gen" ] || die "not a program: $gen"
gen=$(realpath "$gen")
projects=$(realpath -m "${projects:-${TMPDIR:-/tmp}/quillscope-compare-projects}")
mkdir -p "$projects"

# ---------------------------------------------------------------------------------------------
# Projects, generated once: a stamp holding the generator's checksum and the arguments tells
# whether the cached copy is still what the generator would write.
gen_sum=$(sha256sum <"$gen" | cut -d' ' -f1)
generate() {  # SIZE
  local n dir=$projects/$1 stamp tmp
  n=$(files_of "$1")
  stamp="$gen_sum files=$n name=Bench$1"
  [ "$(cat "$dir/.stamp" 2>/dev/null)" = "$stamp" ] && return 0
  tmp=$(mktemp -d "$dir.tmp.XXXXXX")
  chmod 755 "$tmp"  # mktemp makes it private; the cache may be shared
  "$gen" --files "$n" --out "$tmp" --name "Bench$1" >/dev/null || die "the generator failed on $1"
  echo "$stamp" >"$tmp/.stamp"
  put_in_place "$tmp" "$dir"
}
# Moves a freshly generated folder to its place (another run may have put one there meanwhile).
put_in_place() {  # TMP DIR
  rm -rf "$2"
  if ! mv -T "$1" "$2" 2>/dev/null; then
    rm -rf "$1"
    [ -f "$2/.stamp" ] || die "cannot put the generated projects in $2"
  fi
}
# The estate folder: BenchShared (10 files) and P1, P2 (20 files each), which list BenchShared's
# files besides their own (as bench/estate.sh makes them), and a group file naming all three.
generate_estate() {
  local dir=$projects/estate stamp shared_lines p vbp tmp
  stamp="$gen_sum estate 1"
  [ "$(cat "$dir/.stamp" 2>/dev/null)" = "$stamp" ] && return 0
  tmp=$(mktemp -d "$dir.tmp.XXXXXX")
  chmod 755 "$tmp"  # mktemp makes it private; the cache may be shared
  "$gen" --files 10 --out "$tmp/Shared" --name BenchShared --seed 100 >/dev/null ||
    die "the generator failed on the estate"
  shared_lines=$(grep -E '^(Module|Class|Form|UserControl)=' "$tmp/Shared/BenchShared.vbp" |
    sed -E 's/^(Module|Class)=([^;]*); (.*)$/\1=\2; ..\\Shared\\\3/; s/^(Form|UserControl)=([^;]*)$/\1=..\\Shared\\\2/')
  for p in 1 2; do
    "$gen" --files 20 --out "$tmp/P$p" --name "P$p" --seed "$p" >/dev/null ||
      die "the generator failed on the estate"
    vbp=$tmp/P$p/P$p.vbp
    # (through the environment: awk -v would read the "\" of the paths as escapes)
    add=$shared_lines awk '/^IconForm=/ && !done { print ENVIRON["add"]; done = 1 } { print }' \
      "$vbp" >"$vbp.new"
    mv "$vbp.new" "$vbp"
  done
  printf 'VBGROUP 5.0\r\nStartupProject=P1\\P1.vbp\r\nProject=P2\\P2.vbp\r\nProject=Shared\\BenchShared.vbp\r\n' \
    >"$tmp/Estate.vbg"
  echo "$stamp" >"$tmp/.stamp"
  put_in_place "$tmp" "$dir"
}
generate S  # the estate with the sample needs S whatever the sizes
for size in $sizes; do generate "$size"; done
generate_estate

# ---------------------------------------------------------------------------------------------
# Where the two sides write.
if [ -n "$keep" ]; then
  work=$(realpath -m "$keep")
  mkdir -p "$work"
  rm -rf "$work/base" "$work/new"
else
  work=$(mktemp -d "${TMPDIR:-/tmp}/qs-compare.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi

# Text as a sed pattern (extended regular expression, "/" as the delimiter) and as a replacement.
sed_pattern() { printf '%s' "$1" | sed 's/[][\.*^$/+?(){}|]/\\&/g'; }
sed_replacement() { printf '%s' "$1" | sed 's/[\&/]/\\&/g'; }
# The style sheet link the report writes for a program folder (ReportWriter's StyleSheetHref on
# a system with "/" paths): leading "/" dropped, "/" written as "\", HTML-escaped.
style_href() {
  local folder=$1
  folder=${folder#"${folder%%[!/]*}"}
  folder=${folder//\//\\}
  folder=${folder//&/&amp;}
  folder=${folder//</&lt;}
  folder=${folder//>/&gt;}
  folder=${folder//\"/&quot;}
  printf 'file:///%s\\QuillscopeStyle.css' "$folder"
}
days='(Sunday|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday)'
months='(January|February|March|April|May|June|July|August|September|October|November|December)'
stamp_re="$days, $months [0-9]{1,2}, [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}"

# The sed program that neutralises one side's file: SIDE CASE_DIR KIND (report, picture, other).
normaliser() {
  local side=$1 out=$2 kind=$3 program
  program="s/$(sed_pattern "$out")/<OUT>/g"
  if [ "$kind" = report ]; then
    # The stamp is in the page's first lines: the comment, the title and "Generated by".
    program+=";1,20s/$stamp_re/<STAMP>/g"
    program+=";1,20s/$(sed_pattern "$(style_href "${program_folder[$side]}")")/$(sed_replacement 'file:///<PROGRAM>\QuillscopeStyle.css')/"
  elif [ "$kind" = picture ]; then
    program+=';s/^<g id="page[0-9]+,[0-9]+_(graph[0-9]+)" class="graph"/<g id="\1" class="graph"/'
  fi
  printf '%s' "$program"
}
normalised() {  # SIDE CASE_DIR KIND FILE
  sed -E "$(normaliser "$1" "$2" "$3")" -- "$4"
}

passed=0
failed=0
# Compares what the two sides of a case wrote; prints the case's line.
compare_case() {  # NAME DIR EXPECTED_STATUS WRITES_FILES (1: a documenting run, 0: a question)
  local name=$1 dir=$2 expected=$3 writes=$4 base=$work/base/$2 new=$work/new/$2 f kind
  local -a diffs=()
  local problem=""
  # The entries written (files, folders, links), by type and path.
  local base_list new_list
  base_list=$(cd "$base/out" 2>/dev/null && find . -mindepth 1 -printf '%y %p\n' | sort) || true
  new_list=$(cd "$new/out" 2>/dev/null && find . -mindepth 1 -printf '%y %p\n' | sort) || true
  while IFS= read -r f; do
    [ -n "$f" ] && diffs+=("${f#* ./} (only in base)")
  done < <(comm -23 <(echo "$base_list") <(echo "$new_list"))
  while IFS= read -r f; do
    [ -n "$f" ] && diffs+=("${f#* ./} (only in new)")
  done < <(comm -13 <(echo "$base_list") <(echo "$new_list"))
  while IFS= read -r f; do
    [ -n "$f" ] || continue
    case "$f" in f\ *) ;; *) continue ;; esac
    f=${f#f ./}
    cmp -s -- "$base/out/$f" "$new/out/$f" && continue
    kind=other
    case "$f" in
      *_document/*.html) kind=report ;;
      *_site/pictures/*.svg) kind=picture ;;
    esac
    cmp -s <(normalised base "$base/out" "$kind" "$base/out/$f") \
           <(normalised new "$new/out" "$kind" "$new/out/$f") || diffs+=("$f")
  done < <(comm -12 <(echo "$base_list") <(echo "$new_list"))
  for f in stdout stderr; do
    cmp -s -- "$base/$f" "$new/$f" && continue
    cmp -s <(normalised base "$base/out" other "$base/$f") \
           <(normalised new "$new/out" other "$new/$f") || diffs+=("($f)")
  done
  local base_status new_status
  base_status=$(cat "$base/status")
  new_status=$(cat "$new/status")
  [ "$base_status" = "$new_status" ] || diffs+=("(exit status $base_status, new $new_status)")
  [ "$base_status" = "$expected" ] ||
    problem="base exited $base_status, not $expected: $(head -c 300 "$base/stderr" | tr '\n' ' ')"
  if [ "$writes" = 1 ] && [ -z "$problem" ] && ! grep -q '^f ' <<<"$base_list"; then
    problem="base wrote no file"
  fi

  if [ ${#diffs[@]} -eq 0 ] && [ -z "$problem" ]; then
    printf '%-58s same\n' "$name"
    passed=$((passed + 1))
    [ -n "$keep" ] || rm -rf "$base" "$new"
  else
    local line=""
    if [ ${#diffs[@]} -gt 0 ]; then
      line="DIFFERENT: ${diffs[*]:0:8}"
      [ ${#diffs[@]} -le 8 ] || line+=" and $((${#diffs[@]} - 8)) more"
    fi
    [ -z "$problem" ] || line+="${line:+; }UNEXPECTED: $problem"
    printf '%-58s %s\n' "$name" "$line"
    failed=$((failed + 1))
  fi
}

# Runs one case on both sides and compares: NAME EXPECTED_STATUS OPTIONS... -- PATHS...
# The binaries start in the source tree's root (the sample is named relative to it), with the
# same environment; the output folder comes between the options and the paths.
run_case() {
  local name=$1 expected=$2 dir side writes=1
  shift 2
  if [ -n "$only" ] && ! grep -Eq -- "$only" <<<"$name"; then return 0; fi
  local -a options=() paths=()
  while [ "$1" != "--" ]; do
    case "$1" in --refs=*|--unused|--doc-coverage) writes=0 ;; esac
    options+=("$1")
    shift
  done
  shift
  paths=("$@")
  dir=$(printf '%s' "$name" | tr -c 'A-Za-z0-9._=-' '_')
  for side in base new; do
    mkdir -p "$work/$side/$dir"
    set +e
    (cd "$root" && exec "${cli[$side]}" ${options[@]+"${options[@]}"} --out-dir "$work/$side/$dir/out" \
      "${paths[@]}") >"$work/$side/$dir/stdout" 2>"$work/$side/$dir/stderr" </dev/null
    echo $? >"$work/$side/$dir/status"
    set -e
  done
  compare_case "$name" "$dir" "$expected" "$writes"
}

# Every case of one project: LABEL PATH REFS..., each REFS entry NAME:EXPECTED_STATUS.
project_cases() {
  local label=$1 path=$2 ref
  shift 2
  run_case "$label/report" 0 -- "$path"
  run_case "$label/json" 0 --json -- "$path"
  run_case "$label/json --pretty" 0 --json --pretty -- "$path"
  run_case "$label/site" 0 --site -- "$path"
  run_case "$label/dump-analysis" 0 --dump-analysis -- "$path"
  run_case "$label/codepage 1251 --json" 0 --codepage 1251 --json -- "$path"
  for ref in "$@"; do
    run_case "$label/refs=${ref%:*}" "${ref##*:}" "--refs=${ref%:*}" -- "$path"
  done
  run_case "$label/unused" 0 --unused -- "$path"
  run_case "$label/unused --exposed" 0 --unused --exposed -- "$path"
  run_case "$label/doc-coverage" 0 --doc-coverage -- "$path"
}

sample=examples/Inventory/Inventory.vbp
[ -f "$root/$sample" ] || die "no sample project: $root/$sample"
project_cases sample "$sample" modMain.FormatPrice:0 gInventory:0 modMain.InvItemRecord.UnitPrice:0 \
  modApi.RECT:0 Reset:2 NoSuchName:1
for size in $sizes; do
  vbp=$projects/$size/Bench$size.vbp
  # The name docs/BENCHMARKS.md measures when the project has it, else the first module's
  # counting function; and a bare name many modules declare.
  module=modAccountLayout303
  grep -q "^Module=$module;" "$vbp" ||
    module=$(grep -m1 '^Module=' "$vbp" | sed -E 's/^Module=([^;]*);.*$/\1/')
  [ -n "$module" ] || die "no module in $vbp"
  project_cases "$size" "$vbp" "$module.Count$module:0" RegOpenKeyEx:2
done
run_case "estate sample+S/json --site" 0 --json --site -- "$sample" "$projects/S/BenchS.vbp"
run_case "estate folder/json --site" 0 --json --site -- "$projects/estate"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
