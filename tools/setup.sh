# Shared by ./run and ./test: installs the Debian packages Kelvo needs that are missing,
# then configures and builds. Sourced, not run.

KELVO_PACKAGES=(
  g++ cmake qt6-base-dev libqt6opengl6-dev libocct-visualization-dev libocct-data-exchange-dev
  libtbb-dev libfontconfig-dev libgtest-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  xvfb xauth x11-utils libgl1-mesa-dri fonts-arphic-uming
)

# The fuzz targets of ./test: clang with libFuzzer and its sanitizer runtimes.
KELVO_FUZZ_PACKAGES=(clang-14 libfuzzer-14-dev libclang-rt-14-dev)

kelvo_missing_packages() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' ||
      echo "$package"
  done
}

kelvo_install_packages() {
  local missing
  missing=$(kelvo_missing_packages "$@")
  [ -z "$missing" ] && return 0
  echo "Installing missing packages:" $missing
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo -n)
  # shellcheck disable=SC2086
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q &&
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# kelvo_build BUILD_DIR [extra cmake arguments...]
kelvo_build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" &&
    cmake --build "$dir" -j "$(nproc)"
}
