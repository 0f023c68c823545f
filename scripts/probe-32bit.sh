#!/usr/bin/env bash
# Exits 0 when this machine executes 32-bit x86 code, 1 when it does not. It really runs a
# program: a 96-byte static i386 ELF whose only instructions are exit(42) through int 0x80.
# SHOW_PROBE_32BIT=no makes it answer no, to try the path of machines that cannot.
set -uo pipefail
[ "${SHOW_PROBE_32BIT:-}" = no ] && exit 1
# Inside the project, not /tmp: a noexec /tmp would look like a machine that cannot.
cache="$(cd "$(dirname "$0")/.." && pwd)/.deps"
mkdir -p "$cache"
probe=$(mktemp "$cache/probe32.XXXXXX")
trap 'rm -f "$probe"' EXIT
printf '%b' '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
    '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
    '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
    '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
    '\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00' \
    '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null
[ $? -eq 42 ]
