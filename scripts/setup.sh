#!/usr/bin/env bash
# Installs everything this project needs on a fresh Debian 12 machine, as root.
# Idempotent: when every package is already there it only checks, which takes a second.
set -euo pipefail

packages=(
  # native build and tests
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  # the manifest keys (configure reads them; the development pair is made
  # with it) and the throwaway certificate authority of the https tests and the demo
  openssl
  # the Windows build
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  # running and driving the Windows build
  wine wine32:i386 wine64 xvfb xauth x11-utils xdotool imagemagick inotify-tools
  libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
  fonts-liberation fonts-dejavu-core fontconfig
  # signing the release's programs (scripts/release.sh) and checking signatures
  osslsigncode
  # servers and peers for the tests, the demo and the benchmarks
  nginx-light curl aria2 python3 file procps
  # the artwork generator (resources/art/make_art.py runs on Debian's Python)
  python3-pil
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
# A mirror caught mid-sync answers one index with the wrong size for a while:
# try again a few times, then go on with what was read, since the install
# itself says clearly if a package is really out of reach.
# If one still fails (seen: the security archive's i386 index), install the
# release's own versions: the amd64 and i386 halves of a library must match,
# and the security index of only one architecture would split them.
install_options=()
for attempt in 1 2 3 4 5; do
  apt-get update -qq && break
  if ((attempt == 5)); then
    . /etc/os-release
    echo "setup: apt-get update failed five times; installing ${VERSION_CODENAME}'s own versions" >&2
    install_options=(-o "APT::Default-Release=${VERSION_CODENAME}")
    break
  fi
  echo "setup: apt-get update failed (attempt $attempt), trying again in 15 s" >&2
  sleep 15
done
# Packages must not start services here (nginx would take port 80): the
# project starts its own servers on loopback ports when it needs them.
policy=/usr/sbin/policy-rc.d
own_policy=0
if [[ ! -e $policy ]]; then
  printf '#!/bin/sh\nexit 101\n' >"$policy"
  chmod +x "$policy"
  own_policy=1
fi
status=0
apt-get install -y -qq --no-install-recommends "${install_options[@]}" "${missing[@]}" >/dev/null || status=$?
((own_policy)) && rm -f "$policy"
((status == 0)) || { echo "setup: apt-get install failed ($status)" >&2; exit "$status"; }
echo "setup: done"
