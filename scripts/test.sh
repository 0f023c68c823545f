#!/usr/bin/env bash
# The test runs of `make test`, after its builds: native under the sanitizers, Windows x64 under
# Wine, and Windows x86 under 32-bit Wine where this machine runs 32-bit programs. Every run
# goes ahead whatever the one before it gave; the exit status is non-zero if any failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
failed=()
run() {
    echo "== ctest --preset $1"
    ctest --preset "$1" || failed+=("$1")
}
run native
run windows-x64
if scripts/probe-32bit.sh; then
    run windows-x86
else
    echo "this machine cannot run 32-bit programs: the x86 build is compiled and linked, not run"
fi
echo "make test: $(($(date +%s) - ${SHOW_MAKE_START:-$(date +%s)})) s wall time"
if [ ${#failed[@]} -gt 0 ]; then
    echo "make test: failures in ${failed[*]}"
    exit 1
fi
