#!/usr/bin/env bash
# A throw-away Wine environment for one test run: its own prefix, X display, home and ALSA
# configuration whose default device writes what is played to a file. Nothing of the user's
# session reaches the programs run in it (see wine-run.sh).
#   wine-env.sh start DIR [x64|x86] [SCREEN]  boot it (replacing any earlier one in DIR)
#   wine-env.sh stop DIR                      end the X server and the wine server
#   wine-env.sh restore-modes DIR             put every monitor back in its first mode
# SCREEN is the X server behind it:
#   xorg   (default) Xorg on the dummy driver: one 1920x1080 monitor whose mode really switches
#   xorg2  the same with a second monitor, 1280x1024, right of the first
#   xvfb   Xvfb at 1920x1080, a single mode
# Xorg needs root here; for anyone else the environment falls back to Xvfb, says so, and
# records the screen it got in DIR/screen.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=$1
dir=$(mkdir -p "$2" && cd "$2" && pwd)
arch=${3:-x64}
screen=${4:-xorg}

stop() {
    if [ -f "$dir/prefix/system.reg" ] && [ -f "$dir/arch" ]; then
        "$here/wine-run.sh" "$dir" --server -k 2>/dev/null || true
    fi
    if [ -f "$dir/x.pid" ]; then
        pid=$(cat "$dir/x.pid")
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        if kill -0 "$pid" 2>/dev/null; then
            echo "wine-env.sh: the X server (pid $pid) did not end within 5 s; killed" >&2
            kill -KILL "$pid" 2>/dev/null || true
        fi
        rm -f "$dir/x.pid"
    fi
}

# The modes the monitors start in, as xrandr arguments per output.
layout() {
    case "$(cat "$dir/screen")" in
    xorg) echo "--output DUMMY0 --mode 1920x1080 --pos 0x0" ;;
    xorg2) echo "--output DUMMY0 --mode 1920x1080 --pos 0x0 --output DUMMY1 --mode 1280x1024 --pos 1920x0" ;;
    esac
}

# Prints what it found and did: "modes: as they were" or "modes: restored from ...".
restore_modes() {
    [ "$(cat "$dir/screen")" = xvfb ] && { echo "modes: xvfb has one"; return 0; }
    export DISPLAY
    DISPLAY=$(cat "$dir/display")
    local now expected
    now=$(xrandr --listmonitors | awk 'NR > 1 { print $3 }' | sed 's#/[0-9]*##g' | tr '\n' ' ')
    expected="1920x1080+0+0 "
    [ "$(cat "$dir/screen")" = xorg2 ] && expected="1920x1080+0+0 1280x1024+1920+0 "
    if [ "$now" = "$expected" ]; then
        echo "modes: as they were"
        return 0
    fi
    # shellcheck disable=SC2046
    xrandr $(layout)
    echo "modes: restored from $now"
}

case "$action" in
stop)
    stop
    ;;
restore-modes)
    restore_modes
    ;;
start)
    stop
    rm -rf "$dir/prefix" "$dir/sound" "$dir/home" "$dir/run"
    mkdir -p "$dir/sound" "$dir/home" "$dir/run"
    chmod 700 "$dir/run"
    case "$arch" in
    x64 | x86) echo "$arch" >"$dir/arch" ;;
    *) echo "wine-env.sh: unknown architecture $arch" >&2; exit 2 ;;
    esac

    case "$screen" in
    xorg | xorg2 | xvfb) ;;
    *) echo "wine-env.sh: unknown screen $screen" >&2; exit 2 ;;
    esac
    if [ "$screen" != xvfb ] && [ "$(id -u)" -ne 0 ]; then
        echo "wine-env.sh: Xorg on the dummy driver needs root; Xvfb instead, with one mode"
        screen=xvfb
    fi
    echo "$screen" >"$dir/screen"

    # A free display number: no lock file and no socket.
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    if [ "$screen" = xvfb ]; then
        Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >"$dir/x.log" 2>&1 &
    else
        conf="$here/xorg/dummy-one.conf"
        [ "$screen" = xorg2 ] && conf="$here/xorg/dummy-two.conf"
        Xorg ":$n" -config "$conf" -noreset -nolisten tcp -novtswitch -sharevts \
            -logfile "$dir/xorg.log" >"$dir/x.log" 2>&1 &
    fi
    echo $! >"$dir/x.pid"
    echo ":$n" >"$dir/display"
    up=no
    for _ in $(seq 100); do
        DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && { up=yes; break; }
        kill -0 "$(cat "$dir/x.pid")" 2>/dev/null || break
        sleep 0.1
    done
    if [ $up = no ]; then
        echo "wine-env.sh: the X server ($screen) on :$n did not come up within 10 s" >&2
        cat "$dir/x.log" >&2
        stop
        exit 1
    fi

    # ALSA's own configuration without its hook that loads /etc/asound.conf, ~/.asoundrc and the
    # conf.d folders, then a default device that lands in the file named by SHOW_SOUND_FILE (raw
    # PCM as the device was opened). SHOW_SOUND_SLAVE puts another device behind the file than
    # "null", e.g. a card that does not exist, for a machine without a usable sound device, or
    # "pulse", the PulseAudio server named by SHOW_PULSE_SERVER, paced like a real sound card.
    awk 'skip == 0 && /^@hooks \[/ { skip = 1; next } skip == 1 { if (/^\]/) skip = 2; next } 1' \
        /usr/share/alsa/alsa.conf >"$dir/alsa.conf"
    cat >>"$dir/alsa.conf" <<CONF

pcm.!default {
    type file
    slave.pcm { @func getenv vars [ SHOW_SOUND_SLAVE ] default "null" }
    file { @func getenv vars [ SHOW_SOUND_FILE ] default "$dir/sound/default.raw" }
    format "raw"
}
ctl.!default { type hw card 0 }
pcm.pulse { type pulse }
CONF

    run() { "$here/wine-run.sh" "$dir" "$@"; }
    # No Mono or Gecko installers, no crash dialogs that would wait for a click.
    SHOW_WINEDLLOVERRIDES="mscoree,mshtml=" run wineboot -i >"$dir/wineboot.log" 2>&1 || {
        echo "wine-env.sh: the Wine prefix did not come up (wineboot failed, see $dir/wineboot.log)" >&2
        stop
        exit 1
    }
    run reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # ALSA, never a sound server that happens to run in the session.
    run reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d alsa /f >/dev/null 2>&1
    # No window manager here: unmanaged windows get Wine's own frame, and closing one does not
    # wait two seconds for a manager that never answers.
    run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # Debian's Wine does not load its own fonts: without these, dialogs fall back to another
    # face and the caption buttons show letters.
    for font in /usr/share/wine/fonts/*.ttf; do
        [ -e "$font" ] && ln -sf "$font" "$dir/prefix/drive_c/windows/Fonts/"
    done
    run --server -w
    echo "wine environment ($arch, $screen) ready on :$n"
    ;;
*)
    echo "usage: $0 start DIR [x64|x86] [xorg|xorg2|xvfb] | stop DIR | restore-modes DIR" >&2
    exit 2
    ;;
esac
