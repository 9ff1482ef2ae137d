# Sourced by the build scripts: a compiler cache outside the checkout, so that a second build
# (another clone on the same machine, CI after a developer's build) compiles only what
# changed. Paths are taken relative to the checkout, so clones in other folders share it.
# Without ccache, or without a cache folder it may write, nothing changes.
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_DIR=${CCACHE_DIR:-/var/cache/corvanta-ccache}
  if mkdir -p "$CCACHE_DIR" 2>/dev/null && [ -w "$CCACHE_DIR" ]; then
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(pwd)} CCACHE_NOHASHDIR=1
    export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-20G}
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  fi
fi
