#!/usr/bin/env bash
# Runs a Windows program inside the environment that wine-env.sh started in DIR.
#   wine-run.sh DIR PROGRAM [ARGS...]     the program under wine
#   wine-run.sh DIR --server ARGS...      wineserver of the environment (-k, -w)
# The program sees only the environment's own settings, never the user's session: no sound
# server, ~/.asoundrc, WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES or DISPLAY of the caller gets in.
# Callers pass what they mean to change as SHOW_* variables (SHOW_WINEDEBUG,
# SHOW_WINEDLLOVERRIDES, SHOW_DISPLAY, SHOW_SOUND_FILE, ...), which are the only ones let through.
set -euo pipefail
dir=$(cd "$1" && pwd)
shift

winearch=win64
[ "$(cat "$dir/arch" 2>/dev/null)" = x86 ] && winearch=win32

sealed=(
    "PATH=/usr/local/bin:/usr/bin:/bin"
    "HOME=$dir/home"
    "USER=${USER:-$(id -un)}"
    "LANG=C.UTF-8"
    "TMPDIR=${TMPDIR:-/tmp}"
    "XDG_RUNTIME_DIR=$dir/run"
    "DISPLAY=${SHOW_DISPLAY:-$(cat "$dir/display")}"
    "WINEPREFIX=$dir/prefix"
    "WINEARCH=$winearch"
    "WINEDEBUG=${SHOW_WINEDEBUG:--all}"
    "WINEDLLOVERRIDES=${SHOW_WINEDLLOVERRIDES:-}"
    "ALSA_CONFIG_PATH=$dir/alsa.conf"
    "SHOW_WINE_ENV=$dir"
)
# A PulseAudio server of the caller's, for the environment's "pulse" sound device.
[ -n "${SHOW_PULSE_SERVER:-}" ] && sealed+=("PULSE_SERVER=$SHOW_PULSE_SERVER")
# Mesa's own override of the GL version it offers, to stand in for an older driver.
[ -n "${SHOW_MESA_GL_VERSION:-}" ] && sealed+=("MESA_GL_VERSION_OVERRIDE=$SHOW_MESA_GL_VERSION")
while IFS= read -r -d '' variable; do
    case "$variable" in SHOW_WINE_ENV=*) ;; SHOW_*) sealed+=("$variable") ;; esac
done < <(env -0)

if [ "${1:-}" = --server ]; then
    shift
    exec env -i "${sealed[@]}" wineserver "$@"
fi
exec env -i "${sealed[@]}" wine "$@"
