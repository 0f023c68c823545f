#!/usr/bin/env bash
# Runs the native show built by the linux preset (SHOW_ARCH=linux, the default), or the one built
# by the windows-x64 preset (windows-x86 with SHOW_ARCH=x86) under Wine; builds nothing itself.
#  - With a display (a desktop session): starts the show and waits until it ends, with the
#    session's own sound: there the user is meant to hear it. The native show runs full screen
#    with its defaults; show.exe runs in a private Wine prefix under build/, its "Intro" dialog
#    first.
#  - Without one: a private Xvfb and PulseAudio null sink (paced like a real sound card, unlike
#    ALSA's null device), and for show.exe a private Wine prefix whose launcher gets "Demo" on its
#    defaults from the keyboard; checks that the show's window opens and that the sound it plays
#    is the track, and ends the show with Escape. Then the video writer (scripts/video.sh, the
#    native one where it runs) writes the MP4: every frame at its exact show time, the sound in
#    step.
#    SHOW_DEMO_SECONDS (40) sets the MP4's length, SHOW_DEMO_SIZE (1280x720) the screen and the
#    MP4's size, SHOW_DEMO_FPS (60) its frame rate, SHOW_DEMO_OUTPUT (build/show.mp4) the file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${SHOW_ARCH:-linux}
case "$arch" in
linux) ;;
x64) winearch=win64 ;;
x86) winearch=win32 ;;
*) echo "demo: SHOW_ARCH must be linux, x64 or x86" >&2; exit 2 ;;
esac
if [ "$arch" = linux ]; then
    build="$root/build/linux"
    show="$build/src/app/show"
    checker="$build/tests/audio/audio_capture_check"
else
    build="$root/build/windows-$arch"
    show="$build/src/app/show.exe"
    checker="$build/tests/audio/audio_capture_check.exe"
fi
# Seconds of the show's sound recorded once its window is up: the track is read and the sound
# buffer primed after the window opens, which took 7 s on a loaded machine.
listen=20
seconds=${SHOW_DEMO_SECONDS:-40}
size=${SHOW_DEMO_SIZE:-1280x720}
fps=${SHOW_DEMO_FPS:-60}
output=${SHOW_DEMO_OUTPUT:-$root/build/show.mp4}

if [ ! -f "$show" ]; then
    echo "demo: $show is missing; build it with 'make demo'" >&2
    exit 1
fi

if [ "$arch" = linux ] && { [ -n "${WAYLAND_DISPLAY:-}" ] ||
    { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; }; then
    exec "$show"
fi
if [ "$arch" != linux ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
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
    # Gone for good, so that the video writer's own X server cannot meet a dying one on its number.
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# Polls a condition every 0.1 s for up to SECONDS; gives up with a line saying what did not come.
wait_for() { # WHAT SECONDS COMMAND...
    local what=$1 seconds=$2
    shift 2
    for _ in $(seq $((seconds * 10))); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "demo: $what did not come up within $seconds s" >&2
    exit 1
}

n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
export DISPLAY=":$n"
echo "demo: no display; private Xvfb $DISPLAY at $size"
Xvfb "$DISPLAY" -screen 0 "${size}x24" -nolisten tcp >"$dir/xvfb.log" 2>&1 &
pids+=($!)
wait_for "the private X server $DISPLAY" 10 xdpyinfo

echo "demo: PulseAudio with a null sink"
export PULSE_RUNTIME_PATH="$dir/pulse" PULSE_STATE_PATH="$dir/pulse" HOME="$dir"
export PULSE_SERVER="unix:$dir/pulse/native"
pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n --disallow-exit \
    --resample-method=speex-float-1 \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/pulse/native" \
    --load="module-null-sink sink_name=demo rate=48000" \
    --load="module-always-sink" >"$dir/pulse.log" 2>&1 &
pids+=($!)
wait_for "PulseAudio" 10 pactl info
pactl set-default-sink demo

if [ "$arch" != linux ]; then
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
fi

find_window() { # name, seconds
    for _ in $(seq $(($2 * 5))); do
        w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$w" ] && { echo "$w"; return 0; }
        kill -0 "$show_pid" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

# The sound is recorded from before the show starts, so that it holds the music's start however
# quickly the show loads.
sound="$dir/sound.raw"
bytes_per_second=$((48000 * 2 * 4))
ffmpeg -loglevel error -y -f pulse -i demo.monitor -f f32le -ac 2 -ar 48000 "$sound" </dev/null &
recorder=$!
pids+=("$recorder")
wait_for "the sound recording" 10 test -s "$sound"

if [ "$arch" = linux ]; then
    echo "demo: starting the native show, full screen on its defaults"
    "$show" 2>"$dir/show.log" &
    show_pid=$!
    pids+=("$show_pid")
else
    echo "demo: starting show.exe"
    # With PulseAudio's default buffer for Wine's stream, the null sink ran dry in bursts every
    # few seconds (tens of milliseconds of silence a few times in a row), whatever the CPU
    # priorities; 60 ms of buffer still left a few such gaps, 200 ms none.
    PULSE_LATENCY_MSEC=200 WINEDEBUG=warn+seh wine "$show" 2>"$dir/show.log" &
    show_pid=$!
    pids+=("$show_pid")
    dialog=$(find_window Intro 60) || { echo "demo: no \"Intro\" dialog" >&2; exit 1; }
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    # A click between "Demo" and "Die" gives the dialog the keyboard; on the caption it begins a
    # move, and a Return just after that was seen to end the launcher as if the user had left.
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 12)) click 1
    echo "demo: pressing \"Demo\" on the launcher's defaults"
    xdotool key Return
fi
window=$(find_window OpenGL 60) || { echo "demo: the show opened no window" >&2; exit 1; }
echo "demo: the show's window is up; listening to ${listen} s of its sound"
at_window=$(stat -c %s "$sound")
recorded_enough() { [ "$(stat -c %s "$sound")" -ge $((at_window + listen * bytes_per_second)) ]; }
wait_for "${listen} s of the show's sound" $((listen * 3)) recorded_enough
kill -INT "$recorder"
wait "$recorder" || true
xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
xdotool key Escape
wait "$show_pid" && status=0 || status=$?
echo "demo: Escape ended the show with exit code $status"

echo "demo: checking the show's sound against the track"
run_checker() { if [ "$arch" = linux ]; then "$checker" "$@"; else wine "$checker" "$@"; fi; }
report=$(run_checker "$sound" "$root/src/Data/TOTALLYANORIGINALTRACKNOTRIPPED.ogg" 10) &&
    sound_ok=1 || sound_ok=0
echo "$report" | sed 's/^/demo: the show played: /'
# The Xvfb, PulseAudio (and Wine prefix) of the real show are not needed any more.
cleanup
pids=()

echo "demo: writing ${seconds} s at ${size} and ${fps} fps with the video writer"
VIDEO_SIZE=$size VIDEO_FPS=$fps VIDEO_SECONDS=$seconds VIDEO_OUTPUT=$output \
    "$root/scripts/video.sh" >"$dir/video.out"
sed '$d' "$dir/video.out" | sed 's/^/demo: /'
duration() { ffprobe -v error -select_streams "$1" -show_entries stream=duration -of csv=p=0 "$output"; }
echo "demo: video $(duration v:0) s, audio $(duration a:0) s"
for t in 1 3 31; do
    ffmpeg -loglevel error -y -ss "$t" -i "$output" -frames:v 1 "$root/build/show-${t}s.png"
done
echo "demo: frames at 1 s, 3 s and 31 s in build/show-{1,3,31}s.png"
if [ "$sound_ok" -ne 1 ]; then
    echo "demo: the real show's sound is not the track from its start" >&2
    exit 1
fi
echo "$output"
exit "$status"
