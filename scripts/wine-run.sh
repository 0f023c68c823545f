#!/usr/bin/env bash
# Runs a Windows program inside the environment that wine-env.sh started in DIR.
#   wine-run.sh DIR PROGRAM [ARGS...]
set -euo pipefail
dir=$(cd "$1" && pwd)
shift
export WINEPREFIX="$dir/prefix" WINEARCH=win64
export DISPLAY="${SHOW_DISPLAY:-$(cat "$dir/display")}"
export WINEDEBUG="${WINEDEBUG:--all}"
export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$dir/asound.conf"
export SHOW_WINE_ENV="$dir"
exec wine "$@"
