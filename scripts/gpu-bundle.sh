#!/usr/bin/env bash
# Puts together what scripts/gpu-check.sh needs on a Linux machine with a GPU and nothing else:
# the native video writer and frame bench of a build folder with their Data, this machine's
# llvmpipe stills to compare with, and Debian's libglvnd loader packages.
#   gpu-bundle.sh BUILD OUT   BUILD: a native build folder (build/linux: release, libstdc++ and
#                             libgcc linked in); OUT: the folder to carry (build/gpu-check)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1 out=$2
for tool in tools/video/video_writer tools/bench/frame_bench; do
    if [ ! -x "$build/$tool" ]; then
        echo "gpu-bundle: $build/$tool is missing; build it first (make gpu-bundle)" >&2
        exit 1
    fi
done
rm -rf "$out"
mkdir -p "$out/bin" "$out/reference" "$out/debs"
cp "$build/tools/video/video_writer" "$build/tools/bench/frame_bench" "$out/bin/"
# Both read Data beside themselves; the bench's holds its floor shader as well.
cp -r "$build/tools/bench/Data" "$out/bin/Data"
# The stills of show times 1, 31 and 63 at 1920x1080 without antialiasing, drawn here.
"$out/bin/video_writer" still --size 1920x1080 --antialiasing None "$out/reference" 1 31 63 \
    >/dev/null
if compgen -G "$root/.deps/gpu-debs/*.deb" >/dev/null; then
    cp "$root"/.deps/gpu-debs/*.deb "$out/debs/"
fi
echo "gpu-bundle: $(du -sh "$out" | cut -f1) in $out"
