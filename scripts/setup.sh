#!/usr/bin/env bash
# Installs everything this project needs on a fresh Debian 12 machine, as root.
# Idempotent: when every package is already there it only checks, which takes a second.
set -euo pipefail

packages=(
  # native build and tests
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # the Windows build
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  # running and driving the Windows build
  wine wine32:i386 wine64 xvfb xauth x11-utils xdotool imagemagick
  libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
  fonts-liberation fonts-dejavu-core fontconfig
  # servers and peers for the tests, the demo and the benchmarks
  nginx-light curl aria2 python3 file procps
)

missing=()
installed=$(dpkg-query -W -f='${Package}:${Architecture} ${Status}\n' 2>/dev/null || true)
native_arch=$(dpkg --print-architecture)
for pkg in "${packages[@]}"; do
  name=${pkg%%:*}
  arch=$native_arch
  [[ $pkg == *:* ]] && arch=${pkg##*:}
  if ! grep -q -x -F -e "${name}:${arch} install ok installed" -e "${name}:all install ok installed" <<<"$installed"; then
    missing+=("$pkg")
  fi
done

if ((${#missing[@]} == 0)); then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "setup: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# nginx-light starts a service listening on port 80 on installation; the project
# starts its own instances on loopback ports and never needs the system one.
if command -v systemctl >/dev/null && systemctl is-active --quiet nginx 2>/dev/null; then
  systemctl stop nginx || true
fi
echo "setup: done"
