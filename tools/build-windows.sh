#!/usr/bin/env bash
# Cross-builds the core, quillscope-cli.exe and the core's test programs for 64-bit Windows into
# build-windows/ with MinGW-w64 (installing what is missing), linked statically so that they run
# on a bare Windows. GoogleTest is built first from Debian's googletest sources with the same
# compiler, into build-windows/googletest/.
#   tools/build-windows.sh            build
#   (cd build-windows && cpack -G ZIP)  then quillscope-<version>-win64.zip
# tools/test-windows.sh runs the result under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh" g++-mingw-w64-x86-64-posix
dir="$root/build-windows"
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
jobs=$(nproc)

gtest="$dir/googletest"
if [ ! -f "$gtest/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$dir/googletest-build" "${generator[@]}" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
    -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON -DCMAKE_INSTALL_PREFIX="$gtest" >/dev/null
  cmake --build "$dir/googletest-build" --parallel "$jobs" >/dev/null
  cmake --install "$dir/googletest-build" >/dev/null
fi

# RapidJSON is header-only: the build machine's headers serve the cross build too, through a
# folder of their own (the rest of /usr/include is Linux's).
mkdir -p "$dir/rapidjson-include"
ln -sfn /usr/include/rapidjson "$dir/rapidjson-include/rapidjson"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  # The Qt window and the benchmarks stay Linux-only; the tests run under Wine through the
  # emulator.
  cmake -S "$root" -B "$dir" "${generator[@]}" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DQUILLSCOPE_BUILD_UI=OFF -DQUILLSCOPE_BUILD_BENCH=OFF \
    -DQS_RAPIDJSON_INCLUDE="$dir/rapidjson-include" -DGTest_DIR="$gtest/lib/cmake/GTest" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/wine-run.sh" >/dev/null
fi
cmake --build "$dir" --parallel "$jobs"
