#!/usr/bin/env bash
# Runs the show built by the windows-x64 preset (windows-x86 with SHOW_ARCH=x86) under Wine;
# builds nothing itself.
#  - With a display (a desktop session): starts show.exe in a private Wine prefix under build/
#    and waits until it ends (the "Intro" dialog, then the show; Escape or the close button),
#    with the session's own sound: there the user is meant to hear it.
#  - Without one: a private Xvfb, Wine prefix and PulseAudio null sink (paced like a real sound
#    card, unlike ALSA's null device); presses "Demo" on the launcher's defaults with the
#    keyboard, records picture and sound with ffmpeg and ends the show with Escape.
#    SHOW_DEMO_SECONDS (40) sets the length, SHOW_DEMO_SIZE (1280x720) the screen and so the
#    full-screen resolution, SHOW_DEMO_OUTPUT (build/show.mp4) the file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${SHOW_ARCH:-x64}
case "$arch" in
x64) winearch=win64 ;;
x86) winearch=win32 ;;
*) echo "demo: SHOW_ARCH must be x64 or x86" >&2; exit 2 ;;
esac
build="$root/build/windows-$arch"
show="$build/src/app/show.exe"
checker="$build/tests/audio/audio_capture_check.exe"
seconds=${SHOW_DEMO_SECONDS:-40}
size=${SHOW_DEMO_SIZE:-1280x720}
output=${SHOW_DEMO_OUTPUT:-$root/build/show.mp4}

if [ ! -f "$show" ]; then
    echo "demo: $show is missing; build it with 'make demo' or the windows-$arch preset" >&2
    exit 1
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export WINEPREFIX="$build/demo/prefix" WINEARCH=$winearch
    export WINEDEBUG="${WINEDEBUG:--all}"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "demo: preparing the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    fi
    cd "$(dirname "$show")"
    exec wine "$show"
fi

dir="$build/demo/headless"
rm -rf "$dir"
mkdir -p "$dir/pulse"
pids=()
cleanup() {
    [ -f "$dir/prefix/system.reg" ] && WINEPREFIX="$dir/prefix" wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
export DISPLAY=":$n"
echo "demo: no display; private Xvfb $DISPLAY at $size"
Xvfb "$DISPLAY" -screen 0 "${size}x24" -nolisten tcp >"$dir/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

echo "demo: PulseAudio with a null sink"
export PULSE_RUNTIME_PATH="$dir/pulse" PULSE_STATE_PATH="$dir/pulse" HOME="$dir"
export PULSE_SERVER="unix:$dir/pulse/native"
pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n --disallow-exit \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/pulse/native" \
    --load="module-null-sink sink_name=demo rate=48000" \
    --load="module-always-sink" >"$dir/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink demo

echo "demo: preparing a Wine prefix with the pulse sound driver"
export WINEPREFIX="$dir/prefix" WINEARCH=$winearch WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >"$dir/wineboot.log" 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d pulse /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
for font in /usr/share/wine/fonts/*.ttf; do
    [ -e "$font" ] && ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
wineserver -w

find_window() { # name, seconds
    for _ in $(seq $(($2 * 5))); do
        w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$w" ] && { echo "$w"; return 0; }
        kill -0 "$show_pid" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

echo "demo: starting show.exe"
# With PulseAudio's default buffer for Wine's stream, the null sink ran dry in bursts every few
# seconds (tens of milliseconds of silence a few times in a row), whatever the CPU priorities;
# 60 ms of buffer still left a few such gaps, 200 ms none.
PULSE_LATENCY_MSEC=200 WINEDEBUG=warn+seh wine "$show" 2>"$dir/show.log" &
show_pid=$!
pids+=("$show_pid")
dialog=$(find_window Intro 60) || { echo "demo: no \"Intro\" dialog" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$dialog")"
# A click between "Demo" and "Die" gives the dialog the keyboard; on the caption it begins a move,
# and a Return just after that was seen to end the launcher as if the user had left.
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 12)) click 1

# Recording starts while the dialog is up, so that it holds the music's start however quickly the
# show loads. The screen then goes black when the dialog closes and stays so while the content
# loads; the show's first frame ends that first stretch of black.
echo "demo: recording ${seconds} s of picture and sound (and the start-up before them)"
ffmpeg -loglevel error -y -thread_queue_size 1024 -f x11grab -draw_mouse 0 -framerate 30 \
    -video_size "$size" -i "$DISPLAY" -thread_queue_size 1024 -f pulse -i demo.monitor \
    -t "$((seconds + 20))" -c:v libx264 -preset ultrafast -qp 0 -c:a pcm_s16le \
    "$dir/raw.mkv" </dev/null &
recorder=$!
pids+=("$recorder")
for _ in $(seq 100); do [ -s "$dir/raw.mkv" ] && break; sleep 0.1; done
sleep 1
echo "demo: pressing \"Demo\" on the launcher's defaults"
xdotool key Return
window=$(find_window OpenGL 60) || { echo "demo: the show opened no window" >&2; exit 1; }
wait "$recorder" || true
xdotool key Escape
wait "$show_pid" && status=0 || status=$?
echo "demo: Escape ended the show with exit code $status"

first=$(ffmpeg -i "$dir/raw.mkv" -an -vf "blackdetect=d=0.03:pix_th=0.02" -f null - 2>&1 |
    awk -F'black_end:' '/black_start:/{split($2, a, " "); print a[1]; exit}')
first=${first:-0}
echo "demo: the show's first frame is at ${first} s of the raw recording"

# The music starts with the frame loop, a little before the first frame by design, and on a
# loaded machine up to some hundreds of milliseconds before it. The sound is checked from well
# before the first frame, so the track's start is found wherever it lies, and the cut keeps it.
before=$(awk "BEGIN { s = $first - 5; print (s < 0 ? 0 : s) }")
ffmpeg -loglevel error -y -ss "$before" -i "$dir/raw.mkv" -t "$((seconds + 5))" -vn -f f32le \
    -ac 2 -ar 48000 "$dir/sound.raw"
echo "demo: checking the sound"
sound_ok=1
music=""
if [ -f "$checker" ]; then
    report=$(wine "$checker" "$dir/sound.raw" "$root/src/Data/TOTALLYANORIGINALTRACKNOTRIPPED.ogg" \
        10) || sound_ok=0
    echo "$report" | sed 's/^/demo: sound /'
    at=$(echo "$report" | sed -n 's/.*track starts at \([0-9.]*\) s.*/\1/p')
    [ "$sound_ok" -eq 1 ] && [ -n "$at" ] && music=$(awk "BEGIN { print $before + $at }")
fi
if [ -n "$music" ]; then
    echo "demo: the music starts at ${music} s, $(awk "BEGIN { printf \"%.0f\", ($first - $music) * 1000 }") ms before the first frame"
    start=$(awk "BEGIN { s = ($music < $first ? $music : $first) - 0.2; print (s < 0 ? 0 : s) }")
else
    start=$(awk "BEGIN { s = $first - 0.2; print (s < 0 ? 0 : s) }")
fi
echo "demo: cutting at ${start} s"
ffmpeg -loglevel error -y -ss "$start" -i "$dir/raw.mkv" -t "$seconds" \
    -c:v libx264 -preset veryfast -crf 20 -pix_fmt yuv420p -r 30 -c:a aac -b:a 192k "$output"
duration() { ffprobe -v error -select_streams "$1" -show_entries stream=duration -of csv=p=0 "$output"; }
echo "demo: video $(duration v:0) s, audio $(duration a:0) s"
for t in 1 3 31; do
    ffmpeg -loglevel error -y -ss "$t" -i "$output" -frames:v 1 "$root/build/show-${t}s.png"
done
echo "demo: frames at 1 s, 3 s and 31 s in build/show-{1,3,31}s.png"
echo "$output"
if [ "$sound_ok" -ne 1 ]; then
    echo "demo: the sound is not the track from its start" >&2
    exit 1
fi
exit "$status"
