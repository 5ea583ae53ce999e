# Shared by the scripts: the repository root and one configure-and-build step.
# Source it; do not run it.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# build DIR [cmake options...]: configures DIR once, then builds everything in it.
build() {
  local dir=$1; shift
  "$root/scripts/deps"
  if [[ ! -f $dir/CMakeCache.txt ]]; then
    cmake -S "$root" -B "$dir" "$@" >/dev/null
  fi
  cmake --build "$dir" --parallel "$(nproc)"
}
