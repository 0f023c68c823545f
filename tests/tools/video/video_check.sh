#!/usr/bin/env bash
# The Windows video writer end to end, in the test run's Wine environment: 2.5 s of the show from
# its start at 320x180 through scripts/video.sh, checked from the outside (ffprobe, ffmpeg, the
# writer's stills, the sound checker); the native writer (the linux preset's) against it at one
# show time; an earlier video through a full disk and Ctrl+C; bad input (one line, exit code 2).
#   video_check.sh ENV_DIR CAPTURE_CHECK WORK_DIR
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
env_dir=$1 checker=$2 work=$3
writer="$root/build/windows-x64/tools/video/video_writer.exe"
rm -rf "$work"
mkdir -p "$work/stills"
failures=0
check() { # CONDITION-STATUS MESSAGE
    if [ "$1" -ne 0 ]; then
        echo "FAIL: $2"
        failures=$((failures + 1))
    fi
}
run() { env VIDEO_WINE_ENV="$env_dir" VIDEO_WRITER=windows VIDEO_SIZE=320x180 VIDEO_FPS=60 "$@"; }

out="$work/cut.mp4"
run VIDEO_SECONDS=2.5 VIDEO_OUTPUT="$out" "$root/scripts/video.sh" >"$work/video.out" 2>&1
check $? "the writer did not write 2.5 s (see $work/video.out)"
[ "$(tail -n 1 "$work/video.out")" = "$out" ]
check $? "the last line is not the file's path"

probe() { ffprobe -v error -select_streams "$1" -show_entries "$2" -of csv=p=0 "$out"; }
video=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries \
    stream=codec_name,pix_fmt,r_frame_rate,nb_read_frames -of csv=p=0 "$out")
echo "video: $video; audio $(probe a:0 stream=duration) s"
[ "$video" = "h264,yuv420p,60/1,150" ]
check $? "not 150 frames of H.264 yuv420p at 60 fps"
# The index in front of the picture: "moov" before "mdat".
moov=$(grep -boa moov "$out" | head -n 1 | cut -d: -f1)
mdat=$(grep -boa mdat "$out" | head -n 1 | cut -d: -f1)
[ -n "$moov" ] && [ -n "$mdat" ] && [ "$moov" -lt "$mdat" ]
check $? "the index is not at the front"

# Frame k against the still of show time k / 60: the first frame, the last text frame and the
# first tunnel frame. One frame off gives about 17 dB at the switch, a right one about 36; a switch
# the encoder predicts from the text before it instead of coding afresh, 32.
SHOW_WINEDEBUG=-all "$root/scripts/wine-run.sh" "$env_dir" "$writer" still --size 320x180 \
    "$work/stills" 0 1.9833333333333334 2 >"$work/stills.out" 2>&1
check $? "no stills"
for pair in 0:00.00 119:01.98 120:02.00; do
    k=${pair%%:*}
    ffmpeg -loglevel error -y -i "$out" -vf "select=eq(n\,$k)" -frames:v 1 "$work/frame$k.png"
    psnr=$(compare -metric PSNR "$work/frame$k.png" \
        "$work/stills/frame-320x180-noaa-trilinear-t${pair#*:}.png" null: 2>&1)
    echo "frame $k against the still at ${pair#*:} s: PSNR $psnr dB"
    awk "BEGIN { exit !($psnr > 34) }"
    check $? "frame $k is not the picture of its show time"
done

# The sound from the file's first sample: the track from its start, in step with the picture.
ffmpeg -loglevel error -y -i "$out" -vn -f s16le -ac 2 -ar 44100 "$work/sound.raw"
report=$(SHOW_WINEDEBUG=-all "$root/scripts/wine-run.sh" "$env_dir" "$checker" \
    "$work/sound.raw" "$root/src/Data/TOTALLYANORIGINALTRACKNOTRIPPED.ogg" 2)
check $? "the sound is not the track"
echo "sound: $report" | head -n 1
at=$(sed -n 's/.*track starts at \([0-9.]*\) s.*/\1/p' <<<"$report")
awk "BEGIN { exit !(\"$at\" != \"\" && $at < 1 / 60) }"
check $? "the track starts at ${at:-?} s of the file, not within a frame of its start"

# The native writer draws the tunnel as the Windows one does, on the same llvmpipe.
native="$root/build/linux/tools/video/video_writer"
mkdir -p "$work/native" "$work/windows"
"$native" still --size 1920x1080 "$work/native" 31 >/dev/null 2>&1 &&
    SHOW_WINEDEBUG=-all "$root/scripts/wine-run.sh" "$env_dir" "$writer" still --size 1920x1080 \
        "$work/windows" 31 >/dev/null 2>&1
check $? "no stills at 31 s from both writers (is the linux preset built?)"
name=frame-1920x1080-noaa-trilinear-t31.00.png
psnr=$("$native" psnr "$work/native/$name" "$work/windows/$name")
echo "native against Windows writer at 31 s: $psnr"
[[ "$psnr" =~ ^PSNR\ (inf|[5-9][0-9]|[1-9][0-9][0-9]) ]]
check $? "the native writer's frame at 31 s is not the Windows writer's"

# An earlier video outlives a full disk (the encoder's file size capped) and Ctrl+C (SIGINT to the
# run's process group once frames flow): the same bytes, nothing beside it.
mkdir -p "$work/bin" "$work/kept" && cp "$out" "$work/kept/video.mp4"
kept() { cmp "$out" "$work/kept/video.mp4" && [ "$(ls -A "$work/kept")" = video.mp4 ]; }
into() { run VIDEO_OUTPUT="$work/kept/video.mp4" "$@" "$root/scripts/video.sh"; }
printf '#!/bin/sh\ntrap "" XFSZ; ulimit -f 16; exec %s "$@"\n' "$(command -v ffmpeg)" \
    >"$work/bin/ffmpeg" && chmod +x "$work/bin/ffmpeg"
into PATH="$work/bin:$PATH" VIDEO_SECONDS=1 &>/dev/null; [ $? -eq 1 ] && kept
check $? "a full disk did not leave the earlier video as it was"
set -m; into VIDEO_SECONDS=60 2>"$work/stop.err" & set +m
for _ in $(seq 600); do grep -q '^video_writer: frame' "$work/stop.err" && break; sleep 0.1; done
kill -INT -- -$!; wait $!; [ $? -eq 130 ] && kept
check $? "Ctrl+C did not leave the earlier video as it was"

# Bad input: one line on stderr, exit code 2, no file left behind.
while IFS='|' read -r name variables; do
    for kind in windows native; do
        rm -f "$work/bad.mp4"
        # shellcheck disable=SC2086
        env VIDEO_WINE_ENV="$env_dir" VIDEO_WRITER=$kind VIDEO_OUTPUT="$work/bad.mp4" $variables \
            "$root/scripts/video.sh" >/dev/null 2>"$work/bad.err"
        status=$?
        echo "$name, $kind: exit $status, $(cat "$work/bad.err")"
        [ "$status" -eq 2 ] && [ "$(wc -l <"$work/bad.err")" -eq 1 ] && [ ! -e "$work/bad.mp4" ]
        check $? "$name is not refused by the $kind writer with one line and exit code 2"
    done
done <<'CASES'
size 0|VIDEO_SIZE=0x180
size above the GL limit|VIDEO_SIZE=320x99999
odd size|VIDEO_SIZE=321x180
frame rate 0|VIDEO_FPS=0
start past the end|VIDEO_START=9999
no such antialiasing entry|VIDEO_AA=40
no such antialiasing label|VIDEO_AA=Supersampling
output that cannot be written|VIDEO_OUTPUT=/proc/video.mp4
CASES

"$native" still "$work/gone" 1 2>"$work/bad.err"; [ $? = 2 ] && [ "$(wc -l <"$work/bad.err")" = 1 ]
check $? "a still into a missing folder is not refused with one line and exit code 2"

[ "$failures" -eq 0 ]
