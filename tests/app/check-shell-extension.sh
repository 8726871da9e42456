#!/usr/bin/env bash
# The packaged extension in a headless GNOME Shell 43, on the session bus of
# the test (run under dbus-run-session with a home of its own), against the
# real program and the receiver emulator: shell-drive/ clicks through it as a
# user would, and the program must follow. A private bus stands in for the
# system bus, so that the shell finds its system services absent.
#   check-shell-extension.sh SOURCE_DIR INTERFACE_XML VOXBENCH CLIENT EMULATOR [SHOTS_DIR]
set -u
source_dir=$1 xml=$2 voxbench=$3 client=$4 emulator=$5
export DRIVE_OUT=${6:-$HOME/drive}
extensions=$HOME/.local/share/gnome-shell/extensions
uuid=voxbench@voxbench.github.io
mkdir -p "$extensions/$uuid" "$DRIVE_OUT"
cp "$source_dir"/packaging/gnome-shell/{metadata.json,extension.js,client.js} "$xml" "$extensions/$uuid/"
cp -r "$source_dir/tests/app/shell-drive" "$extensions/drive@voxbench.test"
rm -f "$DRIVE_OUT/report"

fail() { echo "FAIL: $*" >&2; cat "$DRIVE_OUT/report" "$HOME/shell.log" >&2 2>/dev/null; exit 1; }
step() { # waits for the driver's report of step $1
    for _ in $(seq 150); do
        grep -q "\"step\":\"$1\"" "$DRIVE_OUT/report" 2>/dev/null && { grep "\"step\":\"$1\"" "$DRIVE_OUT/report"; return; }
        sleep 0.2
    done
    fail "no step $1"
}

read -r address system_bus < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile | paste -s -d ' ')
trap 'kill $system_bus $shell $program 2>/dev/null' EXIT
gsettings set org.gnome.shell enabled-extensions "['$uuid', 'drive@voxbench.test']"
LD_PRELOAD=$emulator VOXBENCH_EMU_LOG=$HOME/emu.log QT_LOGGING_RULES='*.debug=false' "$voxbench" -autorun &
program=$!
DBUS_SYSTEM_BUS_ADDRESS=$address gnome-shell --headless --wayland --no-x11 --virtual-monitor 1280x800 \
    >"$HOME/shell.log" 2>&1 &
shell=$!

shown=$(step shown)
grep -q '"visible":true' <<<"$shown" || fail "not shown: $shown"
grep -q '"items":\["Stereo\[2\]","7.1 Surround","FPS","Moba","Flat","PelagoPlay Standard\[1\]","Next mode","Previous mode","Open VoxBench"\]' \
    <<<"$shown" || fail "menu: $shown"
checked=$(grep -o '"checked":[a-z]*' <<<"$shown")
[ "${checked#*:}" = true ] && flipped=false || flipped=true
step surround >/dev/null
step toggled >/dev/null
status=$("$client" status --json)
grep -q '"tab": *"surround"' <<<"$status" || fail "the tab did not follow: $status"
grep -Eq "\"mic_enc\": *$flipped" <<<"$status" || fail "Mic ENC did not follow: $status"
"$client" quit >/dev/null
step hidden >/dev/null
grep -q "JS ERROR" "$HOME/shell.log" && fail "the shell logged a JS error"
echo "PASS: the extension in gnome-shell $(gnome-shell --version | cut -d' ' -f3)"
