#!/usr/bin/env bash
# The show left running under Wine (SHOW_SOAK_SECONDS, ten minutes by default) past the track's
# end, watched from outside: handles and memory, the silence fed after the track, picture pauses.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/windows-x64"
env_dir="$build/soak-wine-env"
"$root/scripts/wine-env.sh" start "$env_dir" >/dev/null
trap '"$root/scripts/wine-env.sh" stop "$env_dir"' EXIT
python3 "$root/tests/e2e/show_end_to_end.py" --env "$env_dir" --show "$build/src/app/show.exe" \
    --probe "$build/tests/e2e/window_probe.exe" \
    --capture-check "$build/tests/audio/audio_capture_check.exe" \
    --wine-run "$root/scripts/wine-run.sh" --data "$root/src/Data" --work "$build/soak" \
    --only soak --soak-seconds "${SHOW_SOAK_SECONDS:-600}"
