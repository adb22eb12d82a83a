#!/usr/bin/env bash
# Installs every Debian package that building, testing and running the
# program needs. Idempotent: packages already present are skipped, and
# nothing is fetched from anywhere but the system's own package sources.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config
  # settings files of the modules
  libinih-dev
  # the drawing library: text, fonts, PNG frames
  libfreetype-dev libfontconfig-dev zlib1g-dev fonts-liberation2 fonts-dejavu-core
  # the window, input, joysticks (the application layer)
  libsdl2-dev libx11-dev
  # the credits video: demuxing, decoding, encoding, scaling
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  # end-to-end checks in a real window
  xvfb xdotool imagemagick x11-utils
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # the fuzz targets: clang with libFuzzer and its sanitizer runtimes
  clang libclang-rt-14-dev
  # the Debian package: dpkg-shlibdeps for its library dependencies, file
  # (which CPack uses to find the binaries), the desktop entry's validator,
  # Debian's package checker, the software centres' validator, man for the
  # manual pages
  dpkg-dev file desktop-file-utils lintian appstream man-db
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
