#!/usr/bin/env bash
# Regenerates the Ogg Vorbis test fixtures (sox and oggenc from Debian's sox and vorbis-tools).
# Sweeps rather than steady tones, so that any stretch of the audio matches itself at one
# offset only; the two stereo channels sweep different ranges so that a swap shows.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# 12 s stereo at 44.1 kHz: long enough for the ring to wrap round while the track still plays
# (the buffer and the ring hold 6 s ahead of the play cursor).
sox -R -n -r 44100 -c 2 -b 16 -e signed "$tmp/stereo.wav" synth 12 sine 200-1600 sine 300-2400 vol 0.5
oggenc -Q -q 0 -s 1001 -o stereo.ogg "$tmp/stereo.wav"
# 1.5 s mono at 22.05 kHz: shorter than one buffer length.
sox -R -n -r 22050 -c 1 -b 16 -e signed "$tmp/mono.wav" synth 1.5 sine 300-900 vol 0.5
oggenc -Q -q 0 -s 1002 -o mono.ogg "$tmp/mono.wav"
# 1 s 5.1 at 22.05 kHz, a different sweep in each channel: oggenc puts the WAV's channels
# (FL FR FC LFE BL BR) in Vorbis order (FL FC FR BL BR LFE).
sox -R -n -r 22050 -c 6 -b 16 -e signed "$tmp/surround.wav" synth 1 sine 200-400 sine 500-700 \
    sine 800-1000 sine 60-90 sine 1100-1300 sine 1400-1600 vol 0.5
oggenc -Q -q 0 -s 1003 -o surround.ogg "$tmp/surround.wav"
