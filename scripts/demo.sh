#!/usr/bin/env bash
# Runs the show built by the windows-x64 preset under Wine; builds nothing itself.
#  - With a display (a desktop session): starts show.exe in a private Wine prefix under build/
#    and waits until it ends (Escape or the close button).
#  - Without one: boots a throw-away Wine environment with its own Xvfb, runs the show for a few
#    seconds, saves a screenshot to build/demo.png and ends the show with Escape.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
show="$root/build/windows-x64/src/app/show.exe"
seconds=${SHOW_DEMO_SECONDS:-5}

if [ ! -f "$show" ]; then
    echo "demo: $show is missing; build it with 'make demo' or the windows-x64 preset" >&2
    exit 1
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export WINEPREFIX="$root/build/windows-x64/demo/prefix" WINEARCH=win64
    export WINEDEBUG="${WINEDEBUG:--all}"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "demo: preparing the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
    fi
    cd "$(dirname "$show")"
    exec wine "$show"
fi

env_dir="$root/build/windows-x64/demo/env"
screenshot="$root/build/demo.png"
trap '"$root/scripts/wine-env.sh" stop "$env_dir"' EXIT
echo "demo: no display; booting a private Xvfb and Wine prefix in $env_dir"
"$root/scripts/wine-env.sh" start "$env_dir" >/dev/null
export DISPLAY
DISPLAY=$(cat "$env_dir/display")
run() { "$root/scripts/wine-run.sh" "$env_dir" "$@"; }
# Without a window manager Wine draws the caption itself (and does not wait for one at exit).
run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1

log="$env_dir/show.log"
WINEDEBUG=warn+seh run "$show" 2>"$log" &
pid=$!
window=""
for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name '^OpenGL$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] || ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.1
done
if [ -z "$window" ]; then
    wait "$pid" && status=0 || status=$?
    echo "demo: the show opened no window (exit code $status)" >&2
    exit 1
fi

sleep "$seconds"
xwd -silent -root | convert xwd:- "$screenshot"
echo "demo: screenshot after ${seconds} s in $screenshot"
echo "demo: driver strings on the debugger output:"
sed -n 's/.*:warn:seh:OutputDebugStringA "\(.*\)\\n"$/    \1/p' "$log"

xdotool mousemove --window "$window" 640 360 click 1 key Escape
wait "$pid" && status=0 || status=$?
echo "demo: Escape ended the show with exit code $status"
exit "$status"
