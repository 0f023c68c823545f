#!/usr/bin/env bash
# A throw-away Wine environment for one test run: its own prefix, Xvfb display and ALSA
# configuration whose default device writes what is played to a file.
#   wine-env.sh start DIR   boot it (replacing any earlier one in DIR)
#   wine-env.sh stop DIR    end Xvfb and the wine server
set -euo pipefail
action=$1
dir=$(mkdir -p "$2" && cd "$2" && pwd)

stop() {
    if [ -f "$dir/prefix/system.reg" ]; then
        WINEPREFIX="$dir/prefix" wineserver -k 2>/dev/null || true
    fi
    if [ -f "$dir/xvfb.pid" ]; then
        kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
        rm -f "$dir/xvfb.pid"
    fi
}

case "$action" in
stop)
    stop
    ;;
start)
    stop
    rm -rf "$dir/prefix" "$dir/sound"
    mkdir -p "$dir/sound"

    # A free display number: no lock file and no socket.
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    echo ":$n" >"$dir/display"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done

    # Sound lands in the file named by SHOW_SOUND_FILE (raw PCM as the device was opened).
    cat >"$dir/asound.conf" <<CONF
pcm.!default {
    type file
    slave.pcm "null"
    file { @func getenv vars [ SHOW_SOUND_FILE ] default "$dir/sound/default.raw" }
    format "raw"
}
ctl.!default { type hw card 0 }
CONF

    export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEARCH=win64 DISPLAY=":$n"
    # No Mono or Gecko installers, no crash dialogs that would wait for a click.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >"$dir/wineboot.log" 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d alsa /f >/dev/null 2>&1
    # Debian's Wine does not load its own fonts: without these, dialogs fall back to another
    # face and the caption buttons show letters.
    for font in /usr/share/wine/fonts/*.ttf; do
        [ -e "$font" ] && ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
    done
    wineserver -w
    echo "wine environment ready on :$n"
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
