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
  cmake -S "$repo" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-mingw64.cmake" \
        -DTAVRIN_DEPS_PREFIX="$deps" "${launcher[@]}" >/dev/null
  cmake --build "$build" -j "$jobs"
  # Initialises the build's Wine prefix on first use (slow once, then cached).
  "$build/wine-run" cmd /c exit >/dev/null 2>&1 || true
}
