#!/usr/bin/env bash
# Runs the Windows tools of `make frames` and `make bench` in a throw-away Wine environment.
#   with-wine.sh frames "TIMES" [FILTERING]   the video writer's stills at 1280x720, without and
#                                             with MSAA 4x, at a launcher filtering entry (default 1)
#   with-wine.sh bench            frame, audio and video writer benchmarks
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/windows-x64"
env_dir="$build/tools-wine-env"
"$root/scripts/wine-env.sh" start "$env_dir" >/dev/null
trap '"$root/scripts/wine-env.sh" stop "$env_dir"' EXIT
run() { "$root/scripts/wine-run.sh" "$env_dir" "$@"; }

case "$1" in
frames)
    out="$root/build/frames"
    mkdir -p "$out"
    # The launcher's antialiasing entries "None" and "MSAA 4x", by label: which entries a GL
    # offers depends on its sample limits.
    for antialiasing in None "MSAA 4x"; do
        # shellcheck disable=SC2086
        run "$build/tools/video/video_writer.exe" still --size 1280x720 --filtering "${3:-1}" \
            --antialiasing "$antialiasing" "$out" $2 |
            sed 's/.*frame-/build\/frames\/frame-/'
    done
    ;;
bench)
    run "$build/tools/bench/audio_bench.exe"
    run "$build/tools/bench/frame_bench.exe" 120
    VIDEO_WINE_ENV="$env_dir" "$root/scripts/video.sh" bench
    ;;
esac
