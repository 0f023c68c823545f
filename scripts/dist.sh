#!/usr/bin/env bash
# Packs a Windows build as a user gets it: OUT/intro-windows-ARCH/ and OUT/intro-windows-ARCH.zip,
# holding show.exe stripped of its debug information, Data and a note. The debug information
# stays beside the zip in OUT/show-ARCH.debug, which the shipped show.exe names in its debug link,
# so a crash report from a user's machine can still be read. ARCH linux packs the native show
# the same way, as OUT/intro-linux-x64/ and OUT/intro-linux-x64.tar.gz.
#   dist.sh ARCH BUILD_DIR OUT    ARCH is x64, x86 or linux, BUILD_DIR that preset's build folder
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$1
build=$2
out=$(mkdir -p "$3" && cd "$3" && pwd)
if [ "$arch" = linux ]; then
    name="intro-linux-x64"
    rm -rf "${out:?}/$name" "$out/$name.tar.gz"
    mkdir -p "$out/$name"
    built="$build/src/app/show"
    debug="$out/show-linux-x64.debug"
    rm -f "$debug"
    objcopy --only-keep-debug "$built" "$debug"
    objcopy --strip-all --add-gnu-debuglink="$debug" "$built" "$out/$name/show"
    # What the machine's glibc must have: 2.35 (Ubuntu 22.04) or newer.
    newest=$(objdump -T "$out/$name/show" | grep -o 'GLIBC_[0-9.]*' | sort -V | tail -n 1)
    if [ "$(printf '%s\nGLIBC_2.35\n' "$newest" | sort -V | tail -n 1)" != GLIBC_2.35 ]; then
        echo "dist.sh: the show needs $newest, newer than glibc 2.35" >&2
        exit 1
    fi
    echo "show (linux-x64): $(stat -c %s "$built") bytes built, $(stat -c %s "$out/$name/show") shipped, needs $newest"
    cp -r "$root/src/Data" "$out/$name/Data"
    cat >"$out/$name/README.txt" <<TEXT
Intro - a real-time audiovisual show (Linux x86-64)

Run ./show: full screen on the first display, at its own mode. Keep the Data folder beside it:
the show reads its shaders, images and music from there. ./show --help lists the options (the
Windows launcher's choices: display, resolution, aspect, filtering, antialiasing, windowed,
vertical sync) and ./show --list what this machine offers. Escape or the close button ends it.

Needs: glibc 2.35 or newer, an X11 or Wayland desktop with a graphics driver offering OpenGL 3.3
through EGL, and these libraries, which desktops carry (Debian and Ubuntu package names):
  libSDL2-2.0.so.0   SDL 2 (libsdl2-2.0-0)
  libEGL.so.1        libglvnd's EGL (libegl1)
  libOpenGL.so.0     libglvnd's OpenGL (libopengl0)
  libasound.so.2     ALSA (libasound2), with the PulseAudio or PipeWire plugin on a desktop
TEXT
    (cd "$out" && tar -czf "$name.tar.gz" "$name")
    echo "$out/$name.tar.gz"
    exit 0
fi
name="intro-windows-$arch"
rm -rf "${out:?}/$name" "$out/$name.zip"
mkdir -p "$out/$name"
case "$arch" in
x64) tools=x86_64-w64-mingw32 ;;
x86) tools=i686-w64-mingw32 ;;
*) echo "dist.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
built="$build/src/app/show.exe"
debug="$out/show-$arch.debug"
rm -f "$debug"
"$tools-objcopy" --only-keep-debug "$built" "$debug"
"$tools-objcopy" --strip-all --add-gnu-debuglink="$debug" "$built" "$out/$name/show.exe"
# Switchable-graphics drivers look for these in the export table; a build without them would
# run the show on the integrated GPU.
exports=$("$tools-objdump" -p "$out/$name/show.exe")
for symbol in NvOptimusEnablement AmdPowerXpressRequestHighPerformance; do
    if ! grep -Eq "^[[:space:]]*\[ *[0-9]+\] $symbol\$" <<<"$exports"; then
        echo "dist.sh: show.exe does not export $symbol" >&2
        exit 1
    fi
done
echo "show.exe ($arch): $(stat -c %s "$built") bytes built, $(stat -c %s "$out/$name/show.exe") shipped"
cp -r "$root/src/Data" "$out/$name/Data"
cat >"$out/$name/README.txt" <<TEXT
Intro - a real-time audiovisual show (Windows $arch)

Run show.exe. Keep the Data folder beside it: the show reads its shaders, images and music
from there. The "Intro" dialog lets you pick display, resolution, aspect, filtering,
antialiasing, full screen, vertical sync and GPU scaling; "Demo" starts the show, "Die" leaves.
Escape or the close button ends the show.

Needs: Windows 7 or later, a graphics driver with OpenGL 3.3, and DirectSound (any sound device).
Nothing else to install: the program carries its own runtime.
TEXT
sed -i "s/\$/\r/" "$out/$name/README.txt"
(cd "$out" && zip -qr "$name.zip" "$name")
echo "$out/$name.zip"
