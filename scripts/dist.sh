#!/usr/bin/env bash
# Packs each Windows build into dist/<name>/ and dist/<name>.zip: show.exe, Data, and a note.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$root/dist"
mkdir -p "$root/dist"
for target in x64 x86; do
    build="$root/build/windows-$target/src/app"
    name="intro-windows-$target"
    out="$root/dist/$name"
    mkdir -p "$out"
    cp "$build/show.exe" "$out/"
    cp -r "$root/src/Data" "$out/Data"
    cat >"$out/README.txt" <<TEXT
Intro - a real-time audiovisual show (Windows $target)

Run show.exe. Keep the Data folder beside it: the show reads its shaders, images and music
from there. The "Intro" dialog lets you pick display, resolution, aspect, filtering,
antialiasing, full screen, vertical sync and GPU scaling; "Demo" starts the show, "Die" leaves.
Escape or the close button ends the show.

Needs: Windows 7 or later, a graphics driver with OpenGL 3.3, and DirectSound (any sound device).
Nothing else to install: the program carries its own runtime.
TEXT
    sed -i "s/\$/\r/" "$out/README.txt"
    (cd "$root/dist" && zip -qr "$name.zip" "$name")
    echo "dist/$name.zip"
done
