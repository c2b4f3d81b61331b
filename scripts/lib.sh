# Sourced by the scripts: where things are, and installing what is missing.
ostrand_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

say() { printf '\033[1m==> %s\033[0m\n' "$*" >&2; }

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# ensure_packages PKG...: installs the Debian packages that are not installed yet.
ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    as_root apt-get update -qq
    as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# What building and testing the native programs needs.
linux_packages=(cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev qt6-base-dev fonts-dejavu-core iproute2 locales)
# What the Windows cross build and its tests under Wine need.
windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest
  wine wine64 fonts-wine xvfb xauth fonts-wqy-microhei)
# The fuzz targets: clang with libFuzzer and the sanitizer runtimes.
fuzz_packages=(clang libclang-rt-14-dev)
