#!/usr/bin/env bash
# The show as an MP4, written by the video writer: the linux preset's where this machine runs it
# (an off-screen EGL context: no Wine, no X server), else the windows-x64 preset's in a throw-away
# Wine environment (or the running one named by VIDEO_WINE_ENV); builds nothing itself. Every
# frame is drawn at its exact show time and piped to ffmpeg as it is read back; the sound is the
# track as the show plays it.
#   video.sh         writes VIDEO_OUTPUT (build/video.mp4); the last line on stdout is its path
#   video.sh probe   exit code 0 where the native writer runs here
#   video.sh frames "TIMES" [FILTERING]
#                    the writer's stills at 1280x720 in build/frames, without and with MSAA 4x, at
#                    a launcher filtering entry (default 1)
#   video.sh bench   the native and the Windows writer's frames per second, written, on the same
#                    frames at 1920x1080, and each against the same frames drawn without writing
# VIDEO_SIZE (1920x1080), VIDEO_FPS (60), VIDEO_START (0 s), VIDEO_SECONDS (to the track's end),
# VIDEO_FILTERING (1, "Trilinear") and VIDEO_AA (0, "None"): the last two are launcher entries.
# VIDEO_WRITER=windows takes the Windows writer where the native one would run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/windows-x64"
windows_writer="$build/tools/video/video_writer.exe"
native_writer="$root/build/linux/tools/video/video_writer"
mode=${1:-video}

native_runs() { [ -x "$native_writer" ] && "$native_writer" probe >/dev/null 2>&1; }
if [ "$mode" = probe ]; then
    native_runs
    exit
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/video.XXXXXX")
env_dir=${VIDEO_WINE_ENV:-}
own_env=0
partial=
cleanup() {
    if [ "$own_env" -eq 1 ]; then
        "$root/scripts/wine-env.sh" stop "$env_dir"
        rm -rf "$env_dir"
    fi
    rm -rf "$work"
    [ -z "$partial" ] || rm -f "$partial"
}
trap cleanup EXIT
# An interrupted run cleans up too, then ends as the signal would have ended it.
trap 'cleanup; trap - INT EXIT; kill -INT $$' INT
trap 'cleanup; trap - TERM EXIT; kill -TERM $$' TERM
wine_writer() { # the Windows writer under Wine, an environment started on first use
    if [ -z "$env_dir" ]; then
        # One of its own: starting an environment stops whatever ran in the same folder before.
        mkdir -p "$build"
        env_dir=$(mktemp -d "$build/video-wine-env.XXXXXX")
        own_env=1
        "$root/scripts/wine-env.sh" start "$env_dir" x64 xvfb >/dev/null
    fi
    "$root/scripts/wine-run.sh" "$env_dir" "$windows_writer" "$@"
}
native_writer() { "$native_writer" "$@"; }
if [ "${VIDEO_WRITER:-}" != windows ] && { [ "$mode" = bench ] || native_runs; }; then
    writer=native_writer
elif [ -f "$windows_writer" ]; then
    writer=wine_writer
else
    echo "video: no video writer runs here: build the linux preset ('make video') or the" \
        "windows-x64 one" >&2
    exit 1
fi
run() { "$writer" "$@"; }

size=${VIDEO_SIZE:-1920x1080}
fps=${VIDEO_FPS:-60}
options=(--size "$size" --fps "$fps" --start "${VIDEO_START:-0}"
    --filtering "${VIDEO_FILTERING:-1}" --antialiasing "${VIDEO_AA:-0}")
[ -n "${VIDEO_SECONDS:-}" ] && options+=(--seconds "$VIDEO_SECONDS")

# Raw yuv420p frames (BT.709, limited range) on standard input; H.264 at a constant rate, tagged
# BT.709, AAC sound, the index at the front. The encoder shares the CPU with a GL that may draw on
# it, so it is "ultrafast" with CABAC, deblocking, the 8x8 transform and two B-frames put back: on
# the show's frames at 1920x1080 that took 25% fewer instructions (one thread, callgrind) than
# "superfast" at CRF 18, for a higher PSNR. The show changes on its two-second bars, so a key
# frame opens every bar of show time instead of x264 looking for the cuts (11% of its
# instructions); a cut coded from the frame before it would lose 6 dB.
encode() { # WAV OUTPUT START
    local bar # the output time of the first bar line at or after START, a microsecond early
    bar=$(awk "BEGIN { s = $3; o = (2 - s + 2 * int(s / 2)) % 2; print o - 1e-6 }")
    ffmpeg -loglevel error -y -thread_queue_size 16 -f rawvideo -pix_fmt yuv420p -s "$size" \
        -framerate "$fps" -i pipe:0 -i "$1" -map 0:v -map 1:a -c:v libx264 -preset ultrafast \
        -x264-params cabac=1:deblock=1:8x8dct=1:bframes=2:scenecut=0 -crf 17 \
        -force_key_frames "expr:gte(t,$bar+2*n_forced)" -colorspace bt709 -color_primaries bt709 \
        -color_trc bt709 -color_range tv -fps_mode cfr -c:a aac -b:a 192k -movflags +faststart \
        -f mp4 "$2"
}

# On a terminal the writer's progress lines become one line that updates in place.
in_place() {
    while IFS= read -r line; do
        case "$line" in
        "video_writer: frame "*) printf '\r%s\033[K' "$line" ;;
        *) printf '\r%s\033[K\n' "$line" ;;
        esac
    done
}
frames_out() { # writes the frames to standard output, the progress to standard error
    if [ -t 2 ]; then
        { run video "$@" --progress often 2>&1 >&3 | in_place >&2; } 3>&1
    else
        run video "$@" --progress tenths
    fi
}

if [ "$mode" = frames ]; then
    out="$root/build/frames"
    mkdir -p "$out"
    # The launcher's antialiasing entries "None" and "MSAA 4x", by label: which entries a GL
    # offers depends on its sample limits.
    for antialiasing in None "MSAA 4x"; do
        # shellcheck disable=SC2086
        run still --size 1280x720 --filtering "${3:-1}" --antialiasing "$antialiasing" "$out" $2 |
            tr -d '\r' | sed 's/.*frame-/build\/frames\/frame-/'
    done
    exit 0
fi

if [ "$mode" = bench ]; then
    # A second of text pages and a second of tunnel, in alternating rounds so that a slow spell
    # of the shared machine lands on both writers. The written rate counts until ffmpeg has
    # finished, not only until the writer has handed over its last frame.
    native_runs || { echo "video: the native writer does not run here" >&2; exit 1; }
    size=1920x1080 fps=60 start=29
    options=(--size "$size" --fps "$fps" --start "$start" --seconds 2 --filtering 1 --antialiasing 0)
    native_writer sound "${options[@]}" "$work/sound.wav" >/dev/null
    seconds_of() { sed -n 's/.* frames in \([0-9.]*\) s,.*/\1/p' "$1"; }
    declare -A drawn=([native]=0 [windows]=0) written=([native]=0 [windows]=0)
    frames=120 rounds=5
    for round in $(seq $rounds); do
        for kind in native windows; do
            writer=${kind/windows/wine}_writer
            run draw "${options[@]}" 2>"$work/draw.log"
            drawn[$kind]=$(awk "BEGIN { print ${drawn[$kind]} + $(seconds_of "$work/draw.log") }")
            { run video "${options[@]}" 2>"$work/video.log"; date +%s.%N >"$work/handed"; } |
                encode "$work/sound.wav" "$work/bench.mp4" "$start"
            finished=$(date +%s.%N)
            loop=$(awk "BEGIN { print $(seconds_of "$work/video.log") + $finished - $(cat "$work/handed") }")
            written[$kind]=$(awk "BEGIN { print ${written[$kind]} + $loop }")
            echo "video writer round $round, $kind: drawn $(seconds_of "$work/draw.log") s, written $loop s"
        done
    done
    total=$((frames * rounds))
    for kind in native windows; do
        awk "BEGIN { printf \"video writer, $kind, at 1920x1080 ($total frames, show times 29 to 31 s, $rounds rounds): written %.2f fps, drawn without writing %.2f fps; written/drawn %.2f\n\", $total / ${written[$kind]}, $total / ${drawn[$kind]}, ${drawn[$kind]} / ${written[$kind]} }"
    done
    awk "BEGIN { printf \"native/Windows writer at 1920x1080, written: %.2f\n\", ${written[windows]} / ${written[native]} }"
    exit 0
fi

output=${VIDEO_OUTPUT:-$root/build/video.mp4}
case "$output" in /*) ;; *) output="$PWD/$output" ;; esac
# The video is written beside the output under a name of its own and renamed over it once it is
# whole and checked: a full disk, a failure or an interrupt leave an earlier video as it was.
if [ -d "$output" ] || ! mkdir -p "$(dirname "$output")" 2>/dev/null ||
    ! partial=$(mktemp "$(dirname "$output")/.$(basename "$output").XXXXXX" 2>/dev/null); then
    echo "video: cannot write $output" >&2
    exit 2
fi
# Bad input ends here, with the writer's line and its exit code 2, before any frame is drawn. The
# sound step prints how many frames the video gets.
expected=$(run sound "${options[@]}" "$work/sound.wav" | tr -d "\r") || exit
start=$(date +%s.%N)
frames_out "${options[@]}" | encode "$work/sound.wav" "$partial" "${VIDEO_START:-0}" || {
    status=$?
    echo "video: the writer or ffmpeg failed (exit code $status)" >&2
    exit 1
}
frames=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets \
    -of csv=p=0 "$partial")
echo "video: $frames frames at $size and $fps fps in $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $start }") s"
if [ "$frames" != "$expected" ]; then
    echo "video: the video holds $frames frames, not $expected; $output is left as it was" >&2
    exit 1
fi
# mktemp made it private; the video gets the mode a new file gets.
chmod "$(printf %o $((0666 & ~0$(umask))))" "$partial"
mv -f "$partial" "$output"
partial=
echo "$output"
