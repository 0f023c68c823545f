#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12; with "linux", only what
# the native show (the linux preset) and its headless demo need: no cross-compilers, no Wine.
# Idempotent: does nothing when all of it is already present.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache="$here/.deps"
only_linux=0
[ "${1:-}" = linux ] && only_linux=1

packages=(
  cmake ninja-build make g++ clang clang-format libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64
  libstb-dev googletest libgtest-dev libegl-dev libopengl-dev libegl-mesa0 libgl1-mesa-dri
  libsdl2-dev libasound2-dev xfonts-base
  xvfb xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  xdotool x11-apps x11-utils imagemagick
  vorbis-tools sox ffmpeg pulseaudio pulseaudio-utils libasound2-plugins
  dpkg-dev xz-utils zip unzip python3 python3-numpy
  fonts-play fonts-wine
)

# What 32-bit Wine loads at run time for what the show uses: OpenGL through Mesa, the X
# extensions for modes, monitors and input, fonts, ALSA (its file plugin is built in) and
# PulseAudio for the demo.
packages32=(
  wine32:i386
  libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  libx11-6:i386 libxext6:i386 libxrender1:i386 libxrandr2:i386 libxinerama1:i386
  libxcursor1:i386 libxi6:i386 libxcomposite1:i386 libxxf86vm1:i386 libxfixes3:i386
  libfreetype6:i386 libfontconfig1:i386
  libasound2:i386 libasound2-plugins:i386 libpulse0:i386
)

# The native show, its build and its headless demo.
packages_linux=(
  cmake ninja-build make g++ dpkg-dev xz-utils
  libstb-dev googletest libgtest-dev libegl-dev libopengl-dev libegl-mesa0 libgl1-mesa-dri
  libsdl2-dev libasound2-dev
  xvfb x11-utils xdotool ffmpeg pulseaudio pulseaudio-utils libasound2-plugins xfonts-base
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

runs32=0
if [ $only_linux -eq 1 ]; then
  packages=("${packages_linux[@]}")
elif "$here/scripts/probe-32bit.sh"; then
  runs32=1
  packages+=("${packages32[@]}")
else
  echo "this machine cannot run 32-bit programs: the x86 build is compiled and linked, not run"
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done

# The GLEW tarball comes from a deb-src entry. Where there is none, one is derived from the
# machine's own entry for its release: the same URIs, suite, components and key.
has_deb_src() {
  grep -rqsE '^Types:.*deb-src' /etc/apt/sources.list.d/ ||
    grep -qsE '^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/*.list
}
derive_deb_src() {
  local codename=$1
  # deb822 files: the paragraph whose Types has deb and whose Suites has the release itself.
  awk -v want="$codename" '
    function flush() {
      if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " want " ") && uris != "") {
        print "Types: deb-src"; print "URIs: " uris; print "Suites: " want
        print "Components: " comps; if (key != "") print "Signed-By: " key
        found = 1; exit
      }
      types = suites = uris = comps = key = ""
    }
    /^[ \t]*#/ { next }
    /^[ \t]*$/ { flush(); next }
    { field = $1; sub(/:$/, "", field); $1 = ""; sub(/^ +/, "")
      if (field == "Types") types = $0; else if (field == "Suites") suites = $0
      else if (field == "URIs") uris = $0; else if (field == "Components") comps = $0
      else if (field == "Signed-By") key = $0 }
    END { if (!found) flush(); exit !found }
  ' /etc/apt/sources.list.d/*.sources 2>/dev/null && return 0
  # One-line entries: "deb [options] URI suite components...".
  awk -v want="$codename" '
    $1 == "deb" {
      opts = ""; i = 2
      if ($2 ~ /^\[/) { while ($i !~ /\]$/) { opts = opts " " $i; i++ } opts = opts " " $i; i++ }
      if ($(i + 1) != want) next
      key = ""
      if (match(opts, /signed-by=[^] ]+/)) key = substr(opts, RSTART + 10, RLENGTH - 10)
      comps = ""; for (j = i + 2; j <= NF; j++) comps = comps (comps ? " " : "") $j
      print "Types: deb-src"; print "URIs: " $i; print "Suites: " want
      print "Components: " comps; if (key != "") print "Signed-By: " key
      exit
    }
  ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null
}

need_update=0
if ! has_deb_src; then
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  entry=$(derive_deb_src "$codename")
  if [ -z "$entry" ]; then
    echo "bootstrap: no apt entry for $codename to derive a source entry from" >&2
    exit 1
  fi
  echo "bootstrap: adding a source entry derived from the $codename entry"
  echo "$entry" | $sudo tee /etc/apt/sources.list.d/show-deb-src.sources >/dev/null
  need_update=1
fi
if [ $runs32 -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "bootstrap: this machine runs 32-bit programs; adding the i386 architecture"
  $sudo dpkg --add-architecture i386
  need_update=1
fi
# libglvnd's loaders, for a GPU machine that lacks them (scripts/gpu-check.sh unpacks them there).
gpu_debs=(libegl1 libglvnd0 libopengl0 libgl1 libglx0)
gpu_debs_present() {
  local name
  for name in "${gpu_debs[@]}"; do
    compgen -G "$cache/gpu-debs/${name}_*.deb" >/dev/null || return 1
  done
}
# The GPU check's bundle is the full build's.
[ $only_linux -eq 1 ] && gpu_debs_present() { true; }
if [ ${#missing[@]} -gt 0 ] || [ ! -f "$cache/glew/src/glew.c" ] || ! gpu_debs_present; then
  need_update=1
fi
if [ $need_update -eq 1 ]; then $sudo apt-get update -q; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# As root, apt would drop to its sandbox user, which cannot write into the project.
sandbox=()
if [ "$(id -u)" -eq 0 ]; then sandbox=(-o APT::Sandbox::User=root); fi

# GLEW for every build: Debian's own source tarball, unpacked into the ignored cache.
if [ ! -f "$cache/glew/src/glew.c" ]; then
  mkdir -p "$cache/download"
  (cd "$cache/download" && apt-get source --download-only "${sandbox[@]}" glew)
  tarball=$(ls "$cache"/download/glew_*.orig.tar.* | head -n 1)
  rm -rf "$cache/glew" && mkdir -p "$cache/glew"
  tar -xf "$tarball" -C "$cache/glew" --strip-components=1
fi

if ! gpu_debs_present; then
  rm -rf "$cache/gpu-debs" && mkdir -p "$cache/gpu-debs"
  (cd "$cache/gpu-debs" && apt-get download "${sandbox[@]}" "${gpu_debs[@]}")
fi
