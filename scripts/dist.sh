#!/usr/bin/env bash
# Packs a Windows build as a user gets it: OUT/intro-windows-ARCH/ and OUT/intro-windows-ARCH.zip,
# holding show.exe, Data and a note.
#   dist.sh ARCH BUILD_DIR OUT    ARCH is x64 or x86, BUILD_DIR that preset's build folder
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$1
build=$2
out=$(mkdir -p "$3" && cd "$3" && pwd)
name="intro-windows-$arch"
rm -rf "${out:?}/$name" "$out/$name.zip"
mkdir -p "$out/$name"
cp "$build/src/app/show.exe" "$out/$name/"
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
