#!/usr/bin/env bash
# Runs one test program with a home of its own, so nothing lands in the real
# home and no test sees another's config.json, log or autostart entry; and
# fails it when a process it started outlives it.
set -u
root=$(mktemp -d "${TMPDIR:-/tmp}/voxbench-test.XXXXXX")
trap 'rm -rf "$root"' EXIT
export HOME="$root/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$root/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# Every process the test starts inherits this mark, also one that leaves the
# test's session or process group (a detached start, a forking daemon).
readonly mark="VOXBENCH_TEST_RUN=$root"
export VOXBENCH_TEST_RUN="$root"

# The processes carrying the mark, read with builtins only: a helper program
# would carry it too.
leftovers()
{
    local environ pid vars
    for environ in /proc/[0-9]*/environ; do
        pid=${environ#/proc/}
        pid=${pid%/environ}
        [ "$pid" = $$ ] && continue
        mapfile -d '' vars 2>/dev/null <"$environ" || continue
        for var in "${vars[@]}"; do
            if [ "$var" = "$mark" ]; then
                echo "$pid"
                break
            fi
        done
    done
}

"$@"
status=$?

# What was told to end gets a moment to do so.
left=()
for _ in $(seq 50); do
    mapfile -t left < <(leftovers)
    [ ${#left[@]} -eq 0 ] && break
    sleep 0.1
done
if [ ${#left[@]} -gt 0 ]; then
    for pid in "${left[@]}"; do
        echo "run-isolated: process $pid outlived the test: $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" >&2
        kill -KILL "$pid" 2>/dev/null
    done
    [ "$status" -eq 0 ] && status=1
fi
exit "$status"
