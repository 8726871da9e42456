#!/usr/bin/env bash
# End to end on Windows, under Wine: the unmodified VoxBench.exe with the
# emulator standing in for hidapi.dll (build-windows/emulated), on a virtual
# X server through Qt's windows platform plugin, driven by voxbench.com.
# Run inside a prefix and on an X server of its own by run-in-wine.sh --shell.
#
#   e2e-windows.sh EMULATED_FOLDER DEFAULT_FILE_FOLDER [SCREENSHOT]
#
# Exits 0 when every step passes, 1 when one fails.
set -uo pipefail
emulated=$1
defaults=$2
shot=${3:-}
root=$(mktemp -d "${TMPDIR:-/tmp}/voxbench-e2e-win.XXXXXX")
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
wait_until() { # SECONDS COMMAND...
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.2
    done
}

# run-in-wine.sh gave us an X server of our own.
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no X server"; exit 77; }
cleanup() {
    wineserver -k >/dev/null 2>&1
    rm -rf "$root"
}
trap cleanup EXIT

export VOXBENCH_EMU_LOG="$root/emu.log"
gui="$emulated/VoxBench.exe"
cli="$emulated/voxbench.com"
lines() { [ -f "$VOXBENCH_EMU_LOG" ] && wc -l <"$VOXBENCH_EMU_LOG" || echo 0; }
# The SetPEQ reports (command 0x21) after line $1.
peqs_after() { tail -n +$(($1 + 1)) "$VOXBENCH_EMU_LOG" 2>/dev/null | grep -E '^[0-9]+ 4F 30 80 18 21 ' ; }

wine "$gui" -platform windows >"$root/program.out" 2>&1 &
program=$!
if wait_until 40 sh -c "[ \$(grep -c ' 4F 30 80 18 21 ' '$VOXBENCH_EMU_LOG' 2>/dev/null) -ge 4 ]"; then
    pass "VoxBench.exe attached to the stand-in and uploaded both tabs' modes"
else
    fail "no uploads from VoxBench.exe; log: $(head -c 600 "$VOXBENCH_EMU_LOG" 2>/dev/null)"
fi

# Registered for HID arrivals at the window's own native handle.
debuglog=$(ls "$WINEPREFIX"/drive_c/users/*/Documents/VoxBench/debug.log 2>/dev/null | head -n 1)
if [ -n "$debuglog" ] && grep -a "Register Device" "$debuglog" | grep -qa "true"; then
    pass "device notifications registered: $(grep -a 'Register Device' "$debuglog" | tr -d '\r' | head -n 1)"
else
    fail "no \"Register Device\" / \"true\" record in ${debuglog:-debug.log}"
fi

# The FPS preset of the 7.1 tab, exactly as the receiver must see it.
sleep 1
before=$(lines)
if wine "$cli" mode FPS --tab surround >"$root/mode.out" 2>&1; then
    pass "voxbench.com mode FPS --tab surround: $(tr -d '\r' <"$root/mode.out")"
else
    fail "voxbench.com mode FPS: $(cat "$root/mode.out")"
fi
wait_until 5 sh -c "[ \$(tail -n +$((before + 1)) '$VOXBENCH_EMU_LOG' | grep -c ' 4F 30 80 18 21 ') -ge 2 ]"
peqs_after "$before" >"$root/fps.wire"
echo "wire after mode FPS:"
cut -c1-160 "$root/fps.wire"
if python3 - "$root/fps.wire" "$defaults" <<'PY'; then
import json, sys, glob
wire = [line.split()[1:] for line in open(sys.argv[1])]
preset = json.load(open(glob.glob(sys.argv[2] + "/VID-5A17&PID-4152.json")[0]))
fps = next(m for m in preset["defaultMode"] if m["name"] == "FPS" and m["type"] == 0)["parameter"]
halves = {}
for frame in wire:
    b = [int(x, 16) for x in frame]
    first, last = b[7], b[8]
    gains = [b[10 + 5 * i + 4] - 256 if b[10 + 5 * i + 4] > 127 else b[10 + 5 * i + 4] for i in range(5)]
    halves[first] = gains
    assert sum(b[:44]) & 0xFF == b[44], "checksum"
ok = halves.get(0, []) + halves.get(5, []) == fps
print("FPS gains on the wire:", halves.get(0, []) + halves.get(5, []), "preset:", fps)
sys.exit(0 if ok else 1)
PY
    pass "the FPS frames carry the preset's ten gains, both halves, checksums right"
else
    fail "the wire does not carry FPS"
fi

if wine "$cli" status --json >"$root/status.json" 2>&1 && grep -q '"FPS"' "$root/status.json"; then
    pass "voxbench.com status --json answers: $(tr -d '\r' <"$root/status.json" | cut -c1-200)"
else
    fail "status --json: $(cat "$root/status.json")"
fi

wine "$cli" watch --json >"$root/watch.out" 2>&1 &
watcher=$!
wait_until 10 test -s "$root/watch.out" || fail "watch printed nothing"
wine "$cli" mode Flat --tab surround >/dev/null 2>&1
if wait_until 10 grep -q '"Flat"' "$root/watch.out"; then
    pass "voxbench.com watch --json followed the change to Flat"
else
    fail "watch did not follow: $(cat "$root/watch.out")"
fi

# A second start: the box, then one instance.
wine "$gui" -platform windows >"$root/second.out" 2>&1 &
second=$!
if wait_until 20 sh -c "xdotool search --name '^prompt\$' >/dev/null 2>&1"; then
    pass "a second start shows its box titled prompt"
    [ -n "$shot" ] && import -window root "$root/second-start.png" 2>/dev/null
    box=$(xdotool search --name '^prompt$' | head -n 1)
    # Wine takes no focus handed over from outside: the OK button is clicked,
    # at the bottom right of the box.
    # A box just mapped may not take the click yet: again until it goes.
    for _ in 1 2 3 4 5; do
        sleep 1
        eval "$(xdotool getwindowgeometry --shell "$box" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
        xdotool mousemove $((X + WIDTH - 50)) $((Y + HEIGHT - 25)) click 1 2>/dev/null
        wait_until 3 sh -c "! kill -0 $second 2>/dev/null" && break
    done
else
    fail "no box from the second start"
fi
if wait_until 20 sh -c "! kill -0 $second 2>/dev/null"; then
    wait $second
    code=$?
    if [ $code -eq 0 ] && kill -0 $program 2>/dev/null; then
        pass "the second start ended with 0 and left the first instance alone"
    else
        fail "the second start ended with $code; first still running: $(kill -0 $program 2>/dev/null && echo yes || echo no)"
    fi
else
    fail "the second start did not end"
    kill $second 2>/dev/null
fi
kill -0 $program 2>/dev/null || fail "the first instance is gone"

run=$(wine reg query 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v VoxBench 2>/dev/null | tr -d '\r')
echo "Run value as the registry holds it:"
echo "$run"
winexe="Z:${gui//\//\\}"
if echo "$run" | grep -qF "REG_SZ    $winexe -autorun"; then
    pass "the Run value is the program's full native path and \" -autorun\""
else
    fail "Run value: $run (wanted $winexe -autorun)"
fi

# The command line's log-on switch acts on the same value.
wine "$cli" autostart off >/dev/null 2>&1
if wine reg query 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v VoxBench >/dev/null 2>&1; then
    fail "voxbench.com autostart off left the Run value"
else
    wine "$cli" autostart on >/dev/null 2>&1
    wine reg query 'HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run' /v VoxBench 2>/dev/null | tr -d '\r' |
        grep -qF "$winexe -autorun" && pass "voxbench.com autostart off removes the Run value, on writes it again" ||
        fail "voxbench.com autostart on did not write the Run value"
fi

if [ -n "$shot" ]; then
    wine "$cli" mode FPS --tab surround >/dev/null 2>&1
    wine "$cli" show >/dev/null 2>&1
    sleep 2
    import -window root -crop 1176x700+0+0 "$shot" && pass "screenshot kept in $shot"
fi

if wine "$cli" quit >/dev/null 2>&1 && wait_until 15 sh -c "! kill -0 $program 2>/dev/null"; then
    pass "voxbench.com quit ended VoxBench"
else
    fail "VoxBench did not quit"
fi
tail -n 1 "$VOXBENCH_EMU_LOG" | grep -q ' 4F 30 80 18 31 06 01 00 02 00 02 02 ' ||
    fail "the last report is not the farewell switch: $(tail -n 1 "$VOXBENCH_EMU_LOG" | cut -c1-80)"
kill $watcher 2>/dev/null
echo "$failures failed"
[ $failures -eq 0 ]
