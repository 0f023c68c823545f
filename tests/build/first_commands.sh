#!/usr/bin/env bash
# Every documented make target, as the first command in a fresh clone, installs what is missing
# and configures its builds before it builds or runs anything: a dry run of each in a folder
# holding only the Makefile (no build tree) must print the bootstrap, then the configure step of
# every preset it needs.
#   first_commands.sh MAKEFILE
set -uo pipefail
makefile=$1
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
cp "$makefile" "$fresh/Makefile"

failures=0
expect() { # target-and-variables..., then the presets it must configure after "--"
    local args=() presets=()
    while [ "$1" != -- ]; do args+=("$1"); shift; done
    shift
    presets=("$@")
    local out
    out=$(make -s -n -C "$fresh" "${args[@]}" 2>&1)
    local bootstrap_line
    bootstrap_line=$(grep -n 'scripts/bootstrap.sh' <<<"$out" | head -n 1 | cut -d: -f1)
    if [ -z "$bootstrap_line" ]; then
        echo "FAIL: make ${args[*]}: no bootstrap"
        failures=$((failures + 1))
        return
    fi
    local before=$failures
    for preset in "${presets[@]}"; do
        local configure build
        configure=$(grep -n "cmake --preset $preset\b" <<<"$out" | head -n 1 | cut -d: -f1)
        build=$(grep -n "cmake --build --preset $preset\b" <<<"$out" | head -n 1 | cut -d: -f1)
        if [ -z "$configure" ] || [ -z "$build" ] || [ "$configure" -lt "$bootstrap_line" ] ||
            [ "$build" -lt "$configure" ]; then
            echo "FAIL: make ${args[*]}: $preset is not bootstrapped, configured, then built"
            failures=$((failures + 1))
        fi
    done
    [ "$failures" -eq "$before" ] &&
        echo "make ${args[*]}: bootstrap, then ${presets[*]} configured and built"
}

expect demo -- linux
expect demo SHOW_ARCH=x64 -- windows-x64 linux
expect demo SHOW_ARCH=x86 -- windows-x86 linux
expect test -- native windows-x86 windows-x64 linux
expect frames -- linux
expect bench -- windows-x64 linux
expect video -- linux
expect video VIDEO_SIZE=640x360 VIDEO_SECONDS=2 -- linux
expect dist -- windows-x64 windows-x86 linux
expect soak -- windows-x64
expect gpu-bundle -- linux
[ "$failures" -eq 0 ]
