#!/usr/bin/env bash
# The sound-capture test once more, from inside a hostile desktop session: a PulseAudio server of
# its own running, a private HOME whose ~/.asoundrc sends the default device elsewhere, and
# Wine variables that would break the run if they got through. The test environment must keep
# all of it out, so the capture still lands in the environment's own file.
#   sealed_capture.sh ENV_DIR TEST_EXE WORK_DIR
set -euo pipefail
env_dir=$1
test_exe=$2
work=$(mkdir -p "$3" && cd "$3" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)

session="$work/session"
rm -rf "$session"
mkdir -p "$session/home" "$session/run/pulse"
chmod 700 "$session/run"

pids=()
cleanup() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap cleanup EXIT

export HOME="$session/home" XDG_RUNTIME_DIR="$session/run"
export PULSE_RUNTIME_PATH="$session/run/pulse" PULSE_STATE_PATH="$session/home/.pulse"
export PULSE_SERVER="unix:$session/run/pulse/native"
pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n --disallow-exit \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$session/run/pulse/native" \
    --load="module-null-sink sink_name=desktop" >"$session/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null || { echo "sealed: the session's PulseAudio did not start" >&2; exit 1; }
echo "sealed: PulseAudio running at $PULSE_SERVER"

# The user's default device: a file of its own, so a leak is seen, not only an empty capture.
cat >"$HOME/.asoundrc" <<CONF
pcm.!default {
    type file
    slave.pcm "null"
    file "$session/leaked.raw"
    format "raw"
}
CONF
export WINEPREFIX="$session/not-a-prefix" WINEDEBUG="+all" WINEDLLOVERRIDES="dsound=d"
export DISPLAY=":999"

capture="$work/sealed.raw"
rm -f "$capture"
status=0
SHOW_SOUND_FILE="$capture" "$here/scripts/wine-run.sh" "$env_dir" "$test_exe" \
    --gtest_filter='MusicPlayerOnTheDevice.*' || status=$?
if [ -e "$session/leaked.raw" ]; then
    echo "sealed: the sound went to the session's ~/.asoundrc device" >&2
    exit 1
fi
echo "sealed: the test exited with $status; the environment's capture holds" \
    "$(stat -c %s "$capture" 2>/dev/null || echo 0) bytes, the session's device none"
exit $status
