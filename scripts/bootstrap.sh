#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12.
# Idempotent: does nothing when all of it is already present.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache="$here/.deps"

packages=(
  cmake ninja-build make g++ clang clang-format libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64
  libstb-dev googletest libgtest-dev libglew-dev
  xvfb xdotool x11-apps x11-utils imagemagick
  vorbis-tools sox ffmpeg pulseaudio
  dpkg-dev xz-utils zip python3
  fonts-play fonts-wine
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Source entry for the GLEW tarball: same release and key as the binary entries.
src_list=/etc/apt/sources.list.d/debian-src.sources
need_src=0
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  need_src=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_src -eq 1 ] || [ ! -f "$cache/glew/src/glew.c" ]; then
  if [ $need_src -eq 1 ]; then
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    $sudo tee "$src_list" >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  fi
  $sudo apt-get update -q
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# GLEW for the Windows builds: Debian's own source tarball, unpacked into the ignored cache.
if [ ! -f "$cache/glew/src/glew.c" ]; then
  mkdir -p "$cache/download"
  (cd "$cache/download" && apt-get source --download-only glew)
  tarball=$(ls "$cache"/download/glew_*.orig.tar.* | head -n 1)
  rm -rf "$cache/glew" && mkdir -p "$cache/glew"
  tar -xf "$tarball" -C "$cache/glew" --strip-components=1
fi
