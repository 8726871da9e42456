#!/usr/bin/env bash
# The installer under Wine, in a prefix of its own (run by run-in-wine.sh
# --shell): an earlier build installed silently and used (a custom mode, log-on
# start switched off), this build installed over it, then uninstalled.
#   package-test.sh EARLIER_SETUP SETUP STAND_IN_HIDAPI_DLL
set -uo pipefail
earlier=$1
setup=$2
standin=$3
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
user=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -n 1)
installed="${user}AppData/Local/Programs/VoxBench"
shortcut="${user}AppData/Roaming/Microsoft/Windows/Start Menu/Programs/VoxBench.lnk"
config="${user}Documents/VoxBench/config.json"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VoxBench'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }
export VOXBENCH_EMU_LOG="$WINEPREFIX/emu.log"

wine "$earlier" /S
wineserver -w
[ -x "$installed/VoxBench.exe" ] && [ -f "$installed/voxbench.com" ] && [ -f "$installed/platforms/qwindows.dll" ] &&
    pass "the earlier build installed per user into $(basename "$(dirname "$installed")")/VoxBench" ||
    fail "nothing installed in $installed"
echo "installed files: $(find "$installed" -type f | wc -l)"
[ -f "$shortcut" ] && pass "Start-menu shortcut" || fail "no Start-menu shortcut at $shortcut"
echo "uninstall entry:"
query "$uninstall_key" | sed -n '3,20p'
query "$uninstall_key" /v DisplayVersion | grep -q "0\.9\.0" && pass "Apps and features lists version 0.9.0" ||
    fail "no uninstall entry for the earlier build"
query "$run_key" /v VoxBench | grep -qF 'VoxBench.exe -autorun' &&
    pass "a first install starts at log-on: $(query "$run_key" /v VoxBench | grep REG_SZ)" ||
    fail "no Run value after the first install"

# Used against the emulated receiver: a custom mode, log-on start off.
cp "$standin" "$installed/hidapi.dll"
if wine "$installed/voxbench.com" status >"$WINEPREFIX/status.out" 2>&1 && grep -q "0a1b2c3d" "$WINEPREFIX/status.out"; then
    pass "voxbench.com status from the installed folder: $(tr -d '\r' <"$WINEPREFIX/status.out" | head -n 1)"
else
    fail "status from the installed folder: $(cat "$WINEPREFIX/status.out")"
fi
wine "$installed/voxbench.com" mode add Keep --gains 1 2 3 4 5 -1 -2 -3 -4 -5 >/dev/null 2>&1 ||
    fail "mode add failed"
wine "$installed/voxbench.com" autostart off >/dev/null 2>&1
grep -q '"Keep"' "$config" && pass "config.json holds the custom mode" || fail "no custom mode in config.json"
before=$(sha256sum "$config" | cut -d' ' -f1)

# This build over it, while the earlier one runs: it is asked to end first.
wine "$setup" /S
wineserver -w
query "$uninstall_key" /v DisplayVersion | grep -q "0\.9\.0" && fail "the upgrade left the old version" ||
    pass "the upgrade replaced the entry: $(query "$uninstall_key" /v DisplayVersion | grep REG_SZ)"
[ "$(sha256sum "$config" | cut -d' ' -f1)" = "$before" ] && pass "the upgrade kept config.json byte for byte" ||
    fail "the upgrade changed config.json"
query "$run_key" /v VoxBench | grep -q REG_SZ && fail "the upgrade switched log-on start on again" ||
    pass "the upgrade kept log-on start off"
[ "$(head -c 2 "$installed/hidapi.dll" | od -An -c | tr -d ' ')" = "MZ" ] || fail "hidapi.dll is missing"

wine "$installed/voxbench.com" autostart on >/dev/null 2>&1
echo "before uninstall:"
query "$run_key" /v VoxBench | grep REG_SZ
query "$uninstall_key" /v UninstallString | grep REG_SZ
wine "$installed/uninstall.exe" /S
wineserver -w
sleep 2
wineserver -w
echo "after uninstall:"
query "$run_key" /v VoxBench | grep REG_SZ || echo "    (no Run value)"
query "$uninstall_key" | grep -q DisplayName && fail "the uninstall entry is left" || echo "    (no uninstall entry)"
[ -e "$installed/VoxBench.exe" ] && fail "the program is left" || pass "the program is gone"
[ -d "$installed" ] && fail "the program's folder is left: $(ls "$installed")" || pass "its folder is gone"
[ -f "$shortcut" ] && fail "the shortcut is left" || pass "the shortcut is gone"
query "$run_key" /v VoxBench | grep -q REG_SZ && fail "the Run value is left" || pass "the Run value is gone"
[ "$(sha256sum "$config" 2>/dev/null | cut -d' ' -f1)" = "$before" ] &&
    pass "config.json with the custom mode is left byte for byte" || fail "config.json changed or went"
echo "$failures failed"
[ $failures -eq 0 ]
