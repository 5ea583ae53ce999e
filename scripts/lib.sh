# Shared by the scripts: the repository root and one configure-and-build step.
# Source it; do not run it.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# build DIR [cmake options...]: configures DIR with the options (again, when it was
# configured before, so changed options take effect), then builds everything in it.
build() {
  local dir=$1; shift
  "$root/scripts/deps"
  cmake -S "$root" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)"
}
