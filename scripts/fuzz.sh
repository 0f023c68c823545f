#!/usr/bin/env bash
# Open-ended fuzzing, outside `make test`: every fuzz target of the native build for FUZZ_SECONDS
# (180 by default) from a random seed, its corpus kept in the build tree between runs. What a
# target finds is written to build/fuzz-findings/; once understood, it belongs in that target's
# fuzz/regressions/ folder, which every test run replays.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export SHOW_FUZZ_SECONDS=${FUZZ_SECONDS:-180}
export SHOW_FUZZ_FINDINGS="$root/build/fuzz-findings"
mkdir -p "$SHOW_FUZZ_FINDINGS"
# The targets' own commands and folders, as CTest would run them.
mapfile -t targets < <(ctest --preset native -L fuzz --show-only=json-v1 | python3 -c '
import json, shlex, sys
for test in json.load(sys.stdin)["tests"]:
    folder = next(p["value"] for p in test["properties"] if p["name"] == "WORKING_DIRECTORY")
    print(test["name"], shlex.quote(folder), " ".join(map(shlex.quote, test["command"])))')
failed=()
for target in "${targets[@]}"; do
    read -r name folder command <<<"$target"
    echo "== $name: ${SHOW_FUZZ_SECONDS} s from a random seed"
    log="$SHOW_FUZZ_FINDINGS/$name.log"
    if (eval cd "$folder" && eval "$command") >"$log" 2>&1; then status=ok; else
        status="FOUND SOMETHING"
        failed+=("$name")
    fi
    grep -m1 '^INFO: Seed:' "$log" || true
    grep -E '^#[0-9]+.*DONE|^Done [0-9]+ runs' "$log" | tail -2
    echo "$name: $status (log: $log)"
done
found=$(find "$SHOW_FUZZ_FINDINGS" -type f ! -name '*.log' | sort)
if [ -n "$found" ]; then
    echo "findings:"
    echo "$found"
fi
[ ${#failed[@]} -eq 0 ] || { echo "make fuzz: ${failed[*]} found something"; exit 1; }
echo "make fuzz: nothing found"
