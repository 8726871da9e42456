#!/usr/bin/env bash
# Retakes the README's screenshots (docs/*.png) of the program in BUILD_DIR
# (default build/) against the emulated receiver on a virtual screen, in the
# language of LANG; other than English, the files are named after it:
#   docs/make-screenshots.sh [BUILD_DIR]
#   LANG=zh_CN.UTF-8 docs/make-screenshots.sh     # docs/*-zh_CN.png
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
if [ "${VOXBENCH_SHOTS_INSIDE:-}" != 1 ]; then
    VOXBENCH_SHOTS_INSIDE=1 exec "$here/../scripts/with-xvfb" "$0" "$build"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/voxbench-shots.XXXXXX")
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
pid=""

start()
{
    rm -rf "$work/home" "$work/run"
    mkdir -p "$work/home" "$work/run"
    chmod 700 "$work/run"
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb \
        LD_PRELOAD="$build/lib/libvoxbench_hidemu.so" "$@" "$build/bin/VoxBench" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 100); do
        [ -n "$(xdotool search --onlyvisible --name '^VoxBench$' 2>/dev/null)" ] && break
        sleep 0.1
    done
    sleep 1.5
}
stop()
{
    kill -TERM "$pid"
    wait "$pid" || true
}
language=${LANG%%.*}
case $language in "" | C | POSIX | en*) suffix="" ;; *) suffix="-$language" ;; esac
shot()
{
    import -window root -crop 1176x700+0+0 +repage -strip "$here/${1%.png}$suffix.png"
}

start env VOXBENCH_EMU_ABSENT=1
shot no-receiver.png
stop

click()
{
    xdotool mousemove --sync "$1" "$2" click 1
    sleep "${3:-0.5}"
}
# Adds a custom mode on the 7.1 tab and names it. Once the tab has custom
# modes, their strip pushes "Customize" and its + up.
add_mode()
{
    click "$1" "$2" 1
    click 160 667
    xdotool key --clearmodifiers ctrl+a type --delay 10 "$3"
    click 533 666
}

# The + follows the "Customize" label, whose width is the language's.
case $language in zh*) plus=178 ;; *) plus=198 ;; esac
plus_raised=$((plus - 8))
start env
click 225 131 1
# Five custom modes, three of them with names of the full 20 characters.
click 120 234
add_mode "$plus" 234 "Footsteps and Reload"
add_mode "$plus_raised" 216 "Competitive Shooters"
add_mode "$plus_raised" 216 "Night"
add_mode "$plus_raised" 216 "Open World Adventure"
add_mode "$plus_raised" 216 "Racing"
sleep 0.5
shot surround-tab.png
# A name another mode has: the "warning" box over the window.
click 160 667
xdotool key --clearmodifiers ctrl+a type --delay 10 "Competitive Shooters"
click 533 666 1
shot name-taken.png
xdotool key Return
sleep 0.5
xdotool mousemove --sync 587 131 click 1
sleep 1.5
shot stereo-tab.png
xdotool mousemove --sync 949 131 click 1
sleep 0.7
shot mic-enc-tab.png
stop
