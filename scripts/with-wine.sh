#!/usr/bin/env bash
# Runs the Windows tools of `make bench` in a throw-away Wine environment, beside the native ones.
#   with-wine.sh bench            frame, audio and video writer benchmarks
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/windows-x64"
env_dir="$build/tools-wine-env"
"$root/scripts/wine-env.sh" start "$env_dir" >/dev/null
trap '"$root/scripts/wine-env.sh" stop "$env_dir"' EXIT
run() { "$root/scripts/wine-run.sh" "$env_dir" "$@"; }

case "$1" in
bench)
    run "$build/tools/bench/audio_bench.exe"
    run "$build/tools/bench/frame_bench.exe" 120
    echo "the frame bench, native (the linux preset, off-screen over EGL):"
    "$root/build/linux/tools/bench/frame_bench" 120
    VIDEO_WINE_ENV="$env_dir" "$root/scripts/video.sh" bench
    ;;
esac
