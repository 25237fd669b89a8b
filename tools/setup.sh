# Shared by ./run, ./test and ./package: installs the Debian packages Kelvo needs that are
# missing, then configures and builds. Sourced, not run.

# What building the two programs needs.
KELVO_BUILD_PACKAGES=(
  make g++ cmake qt6-base-dev libqt6opengl6-dev qt6-svg-dev libocct-visualization-dev
  libocct-data-exchange-dev libtbb-dev libfontconfig-dev libcli11-dev nlohmann-json3-dev
)

# Everything ./run and ./test build (tests and benchmarks too), and what the window and the
# tests need to run: an X server for the tests, OpenGL, the Song font the window is drawn with,
# and poppler's pdftotext and pdfimages, which read the report's PDF back;
# Qt's own Chinese translations (its buttons and dialogs: 确定, 取消, 保存).
KELVO_PACKAGES=(
  "${KELVO_BUILD_PACKAGES[@]}" libgtest-dev libbenchmark-dev
  xvfb xauth x11-utils libgl1-mesa-dri fonts-arphic-uming poppler-utils qt6-translations-l10n
)

# The Debian package of ./package: CPack's DEB generator runs file and dpkg-shlibdeps.
KELVO_PACKAGING_PACKAGES=(dpkg-dev file)

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
