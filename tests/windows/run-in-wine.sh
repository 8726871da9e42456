#!/usr/bin/env bash
# Runs one Windows program under Wine in a prefix of its own: a hard-linked
# copy of the template that scripts/test-windows made (registry files copied,
# since Wine rewrites them), with its own Documents folder, so no test sees
# another's config.json, log or Run value. Ends every process of that prefix.
#   run-in-wine.sh PROGRAM.exe [ARGUMENT...]    a Qt Test program under Wine
#   run-in-wine.sh --shell COMMAND [ARGUMENT...] a script that calls wine itself
# Each runs on an X server of its own: Wine makes no window at all, not even a
# hidden one for device or power messages, without a display.
set -u
template=${VOXBENCH_WINE_TEMPLATE:?run through scripts/test-windows, which makes the Wine template}
root=$(mktemp -d "${TMPDIR:-/tmp}/voxbench-wine.XXXXXX")
export WINEPREFIX="$root/pfx"
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    rm -rf "$root"
}
trap cleanup EXIT
cp -al "$template" "$WINEPREFIX"
for reg in "$template"/*.reg; do
    cp --remove-destination "$reg" "$WINEPREFIX/"
done
mkdir -p "$root/home" "$root/run"
chmod 700 "$root/run"
# A folder of the prefix's own, not a link to a home: a test may delete and
# make it again.
for user in "$WINEPREFIX"/drive_c/users/*/; do
    if [ -L "${user}Documents" ]; then
        rm "${user}Documents"
        mkdir "${user}Documents"
    fi
done
export HOME="$root/home" XDG_RUNTIME_DIR="$root/run"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
# The server picks a free display itself: no race with others starting now.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$root/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do
    [ -s "$root/display" ] && break
    sleep 0.2
done
[ -s "$root/display" ] || { echo "no X server could be started"; exit 1; }
export DISPLAY=":$(head -n 1 "$root/display")"
if [ "${1:-}" = --shell ]; then
    shift
    "$@"
    exit
fi
# Qt Test writes nothing to a pipe under Wine (it takes the console's own
# way): its log goes to a file, shown afterwards.
log="$root/test.txt"
wine "$@" -o "Z:${log//\//\\},txt"
status=$?
cat "$log" 2>/dev/null
exit $status
