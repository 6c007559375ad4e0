# Shared by scripts/test and scripts/run: where things live, and the set-up
# steps both need. Sourced, not run.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TAVRIN_BUILD_DIR:-$repo/build}
jobs=${TAVRIN_JOBS:-$(nproc)}

# Installs packages, cross-builds the codec libraries, configures and builds.
tavrin_prepare() {
  "$repo/scripts/setup"
  local deps
  deps=$("$repo/scripts/build-deps" | tail -n 1)
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  # CI only tests its build: no debug information, which takes a good part of
  # the compiling and most of the linking.
  local options=()
  if [ "${CI:-}" = true ]; then
    options+=(-DTAVRIN_DEBUG_INFO=OFF)
  fi
  cmake -S "$repo" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw64.cmake" \
        -DTAVRIN_DEPS_PREFIX="$deps" "${launcher[@]}" "${options[@]}" >/dev/null
  # Initialises the build's Wine prefix on first use (slow once, then cached),
  # meanwhile the build runs: it needs nothing the build makes.
  "$build/wine-run" cmd /c exit </dev/null >/dev/null 2>&1 &
  local prefix=$!
  local status=0
  cmake --build "$build" -j "$jobs" || status=$?
  wait "$prefix" || true
  return $status
}
