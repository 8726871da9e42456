#!/usr/bin/env bash
# Retakes the README's screenshots (docs/*.png) of the program in BUILD_DIR
# (default build/) against the emulated receiver on a virtual screen.
#   docs/make-screenshots.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
if [ "${VOXBENCH_SHOTS_INSIDE:-}" != 1 ]; then
    VOXBENCH_SHOTS_INSIDE=1 exec xvfb-run -a -s '-screen 0 1280x800x24' "$0" "$build"
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
shot()
{
    import -window root -crop 1176x700+0+0 +repage -strip "$here/$1"
}

start env VOXBENCH_EMU_ABSENT=1
shot no-receiver.png
stop

start env
xdotool mousemove --sync 225 131 click 1
sleep 1
shot surround-tab.png
xdotool mousemove --sync 587 131 click 1
sleep 1.5
shot stereo-tab.png
xdotool mousemove --sync 949 131 click 1
sleep 0.7
shot mic-enc-tab.png
stop
