#!/usr/bin/env bash
# Builds Quillscope and runs every test.
#   tools/test.sh             normal build in build/
#   tools/test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   tools/test.sh --tsan      ThreadSanitizer build of the core and its tests in build-tsan/ (the
#                             window is left out: Qt's own libraries are not instrumented)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
options=(-DQUILLSCOPE_SANITIZE=OFF)
dir="$root/build"
case "${1:-}" in
  --sanitize) options=(-DQUILLSCOPE_SANITIZE=ON); dir="$root/build-asan" ;;
  --tsan) options=(-DQUILLSCOPE_TSAN=ON -DQUILLSCOPE_BUILD_UI=OFF); dir="$root/build-tsan" ;;
  "") ;;
  *) echo "test.sh: unknown option $1 (--sanitize or --tsan)" >&2; exit 2 ;;
esac
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" "${generator[@]}" "${options[@]}" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
ctest --test-dir "$dir" --output-on-failure --parallel "$(nproc)"
