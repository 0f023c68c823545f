#!/usr/bin/env bash
# Runs the Windows tools of `make frames` and `make bench` in a throw-away Wine environment.
#   with-wine.sh frames "TIMES" [FILTERING]   PNGs of the window at 1280x720, without and with
#                                             MSAA 4x, at a launcher filtering entry (default 1)
#   with-wine.sh bench            frame and audio benchmarks
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
    for samples in 0 4; do
        # shellcheck disable=SC2086
        run "$build/tools/capture/capture.exe" --filtering "${3:-1}" "Z:${out//\//\\}" 1280 720 \
            "$samples" $2 |
            sed 's/.*frame-/build\/frames\/frame-/'
    done
    ;;
bench)
    run "$build/tools/bench/audio_bench.exe"
    run "$build/tools/bench/frame_bench.exe" 120
    ;;
esac
