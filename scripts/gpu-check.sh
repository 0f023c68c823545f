#!/usr/bin/env bash
# The picture on a Linux machine with a GPU, headless over EGL, from a bundle made here
# (scripts/gpu-bundle.sh; no compiler, package install or network needed there): the GL it
# draws with, the frame bench at 1920x1080 and 3840x2160 without antialiasing and with the
# highest multisample and coverage entries the driver offers, and the stills of show times 1, 31
# and 63 against this machine's llvmpipe stills (PSNR). Fails on any GL debug message of type
# error or undefined behaviour, on a tool that fails, and on a still below 20 dB (another picture,
# not another rasteriser). Under four minutes. Only a GPU's figures mean anything: on a software
# renderer (llvmpipe, softpipe, a software EGL device) the full check fails after the probe.
#   gpu-check.sh [--short] [BUNDLE]   BUNDLE defaults to build/gpu-check; --short (one size, a few
#                                     frames, any renderer) is what the tests run here on llvmpipe
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
short=0
if [ "${1:-}" = --short ]; then
    short=1
    shift
fi
bundle=$(cd "${1:-$root/build/gpu-check}" && pwd) || exit 1
bin=$bundle/bin
work=$(mktemp -d "${TMPDIR:-/tmp}/gpu-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "gpu-check: FAIL: $*"
    failures=$((failures + 1))
}

# A GPU vendor's EGL needs libglvnd's loader; where the machine lacks it, Debian's is unpacked
# from the bundle (its vendor files, e.g. the NVIDIA driver's, stay the machine's own).
if ldd "$bin/video_writer" | grep -q 'not found'; then
    echo "gpu-check: no libglvnd here; unpacking $(ls "$bundle/debs" | tr '\n' ' ')"
    for deb in "$bundle"/debs/*.deb; do
        if command -v dpkg-deb >/dev/null; then
            dpkg-deb -x "$deb" "$work/root"
        else
            (cd "$work" && ar x "$deb" && mkdir -p root && tar -xf data.tar.* -C root && rm -f data.tar.* control.tar.* debian-binary)
        fi
    done
    export LD_LIBRARY_PATH="$work/root/usr/lib/x86_64-linux-gnu${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
fi

# Every line of every tool, with the GL's own faults (level 5) counted as they pass.
step() { # NAME COMMAND...
    local name=$1
    shift
    "$@" >"$work/out" 2>&1
    local status=$?
    cat "$work/out"
    grep -q '^\[5\]' "$work/out" && fail "$name: the GL reported an error"
    [ "$status" -eq 0 ] || fail "$name: exit code $status"
}

echo "gpu-check: the GL"
step probe "$bin/video_writer" probe
gl=$(sed -n 's/^\[[0-9]\] \(.* (EGL [a-z ]*)\)$/\1/p' "$work/out" | head -n 1)
software=1
if [ -n "$gl" ] && ! grep -Eqi 'llvmpipe|softpipe|swrast|software' <<<"$gl"; then
    software=0
fi
if [ "$software" -eq 1 ] && [ "$short" -eq 0 ]; then
    echo "gpu-check: FAIL: no GPU: ${gl:-the probe named no GL}; the full check needs one (--short runs on any)"
    exit 1
fi
echo "gpu-check: the frame bench"
if [ "$short" -eq 1 ]; then
    step bench "$bin/frame_bench" 10 quick
else
    step bench "$bin/frame_bench" 60 gpu
fi

echo "gpu-check: stills against llvmpipe's"
mkdir -p "$work/stills"
step stills "$bin/video_writer" still --size 1920x1080 --antialiasing None "$work/stills" 1 31 63
for reference in "$bundle"/reference/*.png; do
    name=$(basename "$reference")
    if [ ! -f "$work/stills/$name" ]; then
        fail "no still $name"
        continue
    fi
    psnr=$("$bin/video_writer" psnr "$work/stills/$name" "$reference")
    echo "$name: $psnr"
    [[ "$psnr" =~ ^PSNR\ (inf|[2-9][0-9]|[1-9][0-9][0-9]) ]] || fail "$name is another picture"
done

if [ "$failures" -gt 0 ]; then
    echo "gpu-check: $failures failures"
    exit 1
fi
if [ "$software" -eq 1 ]; then
    echo "gpu-check: passed, on a software renderer: the script works, no GPU was checked"
else
    echo "gpu-check: passed"
fi
