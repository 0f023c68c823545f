#!/usr/bin/env bash
# Packs a Windows build as a user gets it: OUT/intro-windows-ARCH/ and OUT/intro-windows-ARCH.zip,
# holding show.exe stripped of its debug information, Data and a note. The debug information
# stays beside the zip in OUT/show-ARCH.debug, which the shipped show.exe names in its debug link,
# so a crash report from a user's machine can still be read.
#   dist.sh ARCH BUILD_DIR OUT    ARCH is x64 or x86, BUILD_DIR that preset's build folder
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$1
build=$2
out=$(mkdir -p "$3" && cd "$3" && pwd)
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
