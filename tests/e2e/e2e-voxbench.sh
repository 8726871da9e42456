#!/usr/bin/env bash
# End-to-end run of the real VoxBench program against the preloaded receiver
# emulator, on a virtual X server, driven the way a person drives it: mouse
# clicks, drags and key presses sent by xdotool to the real window.
#
#   e2e-voxbench.sh PROGRAM EMULATOR_LIBRARY [DESKTOP]
#
# DESKTOP picks the scenarios: "bare" (default; an X server without a window
# manager), "wayland" (weston's headless backend, then weston in the X server
# for the close without a tray), "openbox" (a window manager
# that moves windows), "xembed-tray" (trayer), "sni-tray" (a private D-Bus
# session bus with the tray watcher sni-watcher.py), "keyboard" (the keys alone,
# no mouse) or "atspi" (a private session bus with the accessibility bus, the
# tree read by atspi-tree.py as a screen reader reads it).
#
# Exits 0 when every scenario passes, 1 when one fails, 77 (skipped) when a
# tool it needs is missing or no X server can be started here.
set -uo pipefail

readonly kSkip=77

if [ $# -lt 2 ]; then
    echo "usage: $0 PROGRAM EMULATOR_LIBRARY [bare|wayland|openbox|xembed-tray|sni-tray|keyboard|atspi]" >&2
    exit 2
fi
program=$1
emulator=$2
desktop=${3:-bare}
here=$(cd "$(dirname "$0")" && pwd)

skip()
{
    echo "SKIP: $*; no $desktop end-to-end run"
    exit $kSkip
}
# need TOOL PACKAGE
need()
{
    command -v "$1" >/dev/null 2>&1 || skip "$1 is not installed (Debian package $2)"
}

if [ "${VOXBENCH_E2E_INSIDE:-}" != 1 ]; then
    case $desktop in
    bare) ;;
    wayland)
        need weston weston
        need dbus-daemon dbus
        need gdbus libglib2.0-bin
        compgen -G "/usr/lib/*/qt5/plugins/platforms/libqwayland-generic.so" >/dev/null ||
            skip "Qt's Wayland platform plugin is not installed (Debian package qtwayland5)"
        ;;
    openbox)
        need openbox openbox
        need xprop x11-utils
        ;;
    xembed-tray) need trayer trayer ;;
    sni-tray)
        need dbus-daemon dbus
        /usr/bin/python3 -c 'import dbus, dbus.mainloop.glib, gi' 2>/dev/null ||
            skip "Debian's Python has no D-Bus bindings (Debian packages python3-dbus, python3-gi)"
        ;;
    keyboard) ;;
    atspi)
        need dbus-daemon dbus
        [ -x /usr/libexec/at-spi-bus-launcher ] || skip "no accessibility bus (Debian package at-spi2-core)"
        /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
            skip "Debian's Python cannot read AT-SPI (Debian packages python3-gi, gir1.2-atspi-2.0)"
        ;;
    *)
        echo "unknown desktop $desktop" >&2
        exit 2
        ;;
    esac
fi

# Re-run inside a fresh X server; the inner run leaves a mark, so an X server
# that never came up is told apart from a failed scenario.
if [ "${VOXBENCH_E2E_INSIDE:-}" != 1 ]; then
    for tool in Xvfb xdotool import compare convert; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            skip "$tool is not installed (Debian packages xvfb, xdotool, imagemagick)"
        fi
    done
    mark=$(mktemp "${TMPDIR:-/tmp}/voxbench-e2e-mark.XXXXXX")
    rm -f "$mark"
    VOXBENCH_E2E_INSIDE=1 VOXBENCH_E2E_MARK=$mark "$here/../../scripts/with-xvfb" "$0" "$@"
    status=$?
    if [ ! -e "$mark" ]; then
        skip "no X server could be started (with-xvfb exit $status)"
    fi
    rm -f "$mark"
    exit $status
fi
[ -z "${VOXBENCH_E2E_MARK:-}" ] || : >"$VOXBENCH_E2E_MARK"
# The emulated receiver as it comes by default, whatever the caller's shell has set.
for variable in $(compgen -v VOXBENCH_EMU_); do
    unset "$variable"
done

root=$(mktemp -d "${TMPDIR:-/tmp}/voxbench-e2e.XXXXXX")
started=()
cleanup()
{
    local pid
    # Also what the scenarios' subshells started.
    [ -f "$root/pids" ] && mapfile -t -O "${#started[@]}" started <"$root/pids"
    # A negative number is a process group: a launcher and what it started.
    for pid in "${started[@]}"; do
        kill -KILL -- "$pid" 2>/dev/null
    done
    if [ -n "${VOXBENCH_E2E_KEEP:-}" ]; then
        echo "kept $root"
    else
        rm -rf "$root"
    fi
}
trap cleanup EXIT

passed=0
failed=0
current=""
# Each scenario runs in a subshell, so a failure ends only that scenario.
counted()
{
    if [ "$1" -eq 0 ]; then
        echo "PASS   : $current"
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
    fi
}
# Ends the scenario that calls it.
fail()
{
    echo "FAIL!  : $current: $*"
    # What the program said last, for a failure that only CI sees.
    if [ -n "${user:-}" ] && [ -f "$user/program.out" ]; then
        echo "--- last lines of $user/program.out"
        tail -n 40 "$user/program.out"
    fi
    exit 1
}

# --- Where things are on the window -------------------------------------------
# The window is frameless and fixed at 1176 x 700; these are offsets from its
# top-left corner, taken from the form (ui/VoxBenchForm.ui) as it lays out.
readonly kTab71=(225 131)      # tabWidget, page 0 "7.1 Surround Sound (Game)"
readonly kTabStereo=(587 131)  # page 1 "Stereo Sound (Music)"
readonly kTabMic=(949 131)     # page 2 "Mic ENC"
readonly kSurroundFps=(515 190) # radioButton_Surround_FPS
readonly kSurroundCustomize=(120 234) # radioButton_Surround_Customize
readonly kSurroundAdd=(198 234)       # pushButton_Surround_CustomAdd, once Customize is chosen
readonly kSlider30=(134 461)          # verticalSlider_30_2 handle at 0 dB
readonly kDbStep=12.3                 # pixels per dB on the band sliders
readonly kNameField=(160 667)         # lineEdit_CustomName
readonly kSave=(533 666)              # pushButton_CustomSave
readonly kSaveTop=(650 60 1)          # its top frame line: y, width, height
readonly kMicEnc=(63 212)             # checkBox_MicENC
readonly kSpectrum=500x300+610+340    # widget_Spectrum in groupBox_Stereo_Spectrum
readonly kLogoProbe=(25 25 20 20)     # label_Head_One, the logo: only on the device page
readonly kClose=(1122 41)             # pushButton_Close of the device page
readonly kDragFrom=(600 40)           # title strip, between the title picture and the buttons
readonly kTrayIcon=(1268 16)          # the tray icon at the right end of trayer's panel

# --- Helpers ------------------------------------------------------------------
# A fresh user: home, Documents missing as on a new account, own runtime dir.
make_home()
{
    local home="$root/$1"
    mkdir -p "$home/home" "$home/run"
    chmod 700 "$home/run"
    echo "$home"
}

# The platform plugin, and the session bus: none but the sni-tray desktop's own.
qpa=xcb
session_bus="unix:path=$root/no-session-bus"

# start_program HOME_DIR [ARG...]: starts VoxBench with the emulator; sets $pid.
start_program()
{
    local dir=$1
    shift
    HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_RUNTIME_DIR="$dir/run" \
        QT_QPA_PLATFORM=$qpa DBUS_SESSION_BUS_ADDRESS=$session_bus \
        LD_PRELOAD="$emulator" VOXBENCH_EMU_LOG="$dir/emu.log" \
        "$program" "$@" >>"$dir/program.out" 2>&1 &
    pid=$!
    started+=("$pid")
    echo "$pid" >>"$root/pids"
}

# The visible top-level windows titled exactly $1.
windows_named()
{
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null
}

# wait_until SECONDS COMMAND...: polls COMMAND every 50 ms.
wait_until()
{
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.05
    done
}

# Lines of the emulator log as "COMMAND BYTES...", without the time stamp and
# the report id: e.g. "31 06 01 00 00 00 01 00 50 ..." for a Mic ENC switch.
commands()
{
    [ -f "$1" ] && cut -d' ' -f6- "$1"
}
log_lines()
{
    [ -f "$1" ] && wc -l <"$1" || echo 0
}
log_has_more_than()
{
    [ "$(log_lines "$1")" -gt "$2" ]
}
# The log lines after the first N.
log_after()
{
    tail -n +"$(($2 + 1))" "$1" | cut -d' ' -f6-
}

# wait_for_exit PID SECONDS: reaps a child of this shell and sets $exit_code to
# its exit status, or to nothing when it still ran after SECONDS (it is killed).
wait_for_exit()
{
    local deadline=$((SECONDS + $2))
    while [ $SECONDS -lt $deadline ]; do
        if [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" != Z ] && kill -0 "$1" 2>/dev/null; then
            sleep 0.05
            continue
        fi
        wait "$1"
        exit_code=$?
        return
    done
    exit_code=""
    kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

# upload_after N: waits for the second SetPEQ packet of an upload that comes
# after the first N lines of the emulator log, and the switch its ack brings.
upload_after()
{
    wait_until 5 sh -c "tail -n +$(($1 + 1)) '$emu_log' | grep -q ' 21 26 01 05 09 '" || return 1
    sleep 0.2
}

click_at()
{
    xdotool mousemove --sync $((wx + $1)) $((wy + $2)) click 1
}

# Finds the program's window and its position on screen: sets $window, $wx, $wy.
find_window()
{
    window=$(windows_named VoxBench | head -n 1)
    [ -n "$window" ] || return 1
    local geometry
    geometry=$(xdotool getwindowgeometry --shell "$window") || return 1
    eval "$(echo "$geometry" | grep -E '^(X|Y)=')"
    wx=$X
    wy=$Y
}

# brightness_at X Y [W H]: mean brightness 0..255 of a screen area of the window.
brightness_at()
{
    import -window root -crop "${3:-1}x${4:-1}+$(($wx + $1))+$(($wy + $2))" +repage png:- 2>/dev/null |
        convert png:- -colorspace Gray -format '%[fx:int(255*mean)]' info:
}

# Succeeds when the window shows the device page (its logo), not the no-device page.
on_device_page()
{
    [ "$(brightness_at "${kLogoProbe[@]}")" -gt 60 ]
}

# Succeeds when the spectrum panel changes between two looks 0.3 s apart: a
# still panel differs in no pixel, a live one in thousands.
spectrum_moves()
{
    import -window root -crop "$kSpectrum" +repage "$1/spectrum-1.png"
    sleep 0.3
    import -window root -crop "$kSpectrum" +repage "$1/spectrum-2.png"
    local changed
    changed=$(compare -metric AE "$1/spectrum-1.png" "$1/spectrum-2.png" null: 2>&1)
    [ "${changed%%.*}" -gt 1000 ] 2>/dev/null
}

# Succeeds when the last report the receiver got is the farewell switch, (2,2,2).
farewell_last()
{
    tail -n 1 "$1" | grep -q ' 4F 30 80 18 31 06 01 00 02 00 02 02 '
}

# wait_for_first_uploads LOG [SECONDS]: waits for the first start's uploads and
# algorithm switches to end.
wait_for_first_uploads()
{
    wait_until "${2:-10}" sh -c "[ \$(cat '$1' 2>/dev/null | grep -c ' 31 06 01 00 ') -ge 3 ]" &&
        sleep 0.3
}

# The gain byte (signed) of band $2 in the SetPEQ line $1: "21 26 01 FIRST LAST MODE",
# then five bytes a band (frequency, Q, gain).
peq_gain()
{
    local fields=($1)
    local first=$((16#${fields[3]}))
    local byte=$((16#${fields[$((6 + ($2 - first) * 5 + 4))]}))
    echo $((byte > 127 ? byte - 256 : byte))
}

# The ten gains of the two SetPEQ lines $1 (bands 0-4) and $2 (bands 5-9).
peq_gains()
{
    local band out=()
    for band in 0 1 2 3 4; do out+=("$(peq_gain "$1" $band)"); done
    for band in 5 6 7 8 9; do out+=("$(peq_gain "$2" $band)"); done
    echo "${out[*]}"
}

# The gains of the preset named $2 of type $3 in the default file $1.
preset_gains()
{
    tr -d ' \r\n' <"$1" | grep -o "\"name\":\"${2// /}\",\"parameter\":\[[-0-9,]*\],\"type\":$3" |
        head -n 1 | sed 's/.*\[\(.*\)\].*/\1/' | tr ',' ' '
}

# --- Desktops -----------------------------------------------------------------
# Starts VoxBench for a desktop's scenarios and waits for its device page: sets
# $user, $emu_log, $main_pid and the window's place.
start_on_device_page()
{
    user=$(make_home "$1")
    emu_log="$user/emu.log"
    start_program "$user"
    main_pid=$pid
    # Generous: a sanitizer build on a busy machine starts slowly.
    wait_until 20 find_window || return 1
    wait_for_first_uploads "$emu_log" 20 && wait_until 5 on_device_page
}

# ends_with_farewell SECONDS: the program ends on its own with status 0 and the
# farewell switch as the last report.
ends_with_farewell()
{
    wait_for_exit "$main_pid" "$1"
    [ -n "$exit_code" ] || fail "still running $1 s after Quit"
    [ "$exit_code" -eq 0 ] || fail "exit status $exit_code, expected 0"
    farewell_last "$emu_log" || fail "last report is not the farewell switch: $(tail -n 1 "$emu_log" | cut -c1-60)"
}

# After the device page's close button hid the window: shown again on the
# stereo tab, the spectrum reports are switched on and the panel moves.
shown_with_spectrum()
{
    local before=$1
    wait_until 5 find_window || fail "the window did not come back"
    wait_until 3 sh -c "tail -n +$((before + 1)) '$emu_log' | grep -q ' 99 01 01 '" ||
        fail "no SpectrumSwitch on after the window came back: $(log_after "$emu_log" "$before" | cut -c1-12 | tr '\n' ,)"
    sleep 0.6
    spectrum_moves "$user" || fail "the spectrum panel stands still after the window came back"
}

# From the 7.1 tab to the stereo tab, which streams the spectrum.
to_stereo_tab()
{
    click_at "${kTab71[@]}"
    sleep 0.5
    local before
    before=$(log_lines "$emu_log")
    click_at "${kTabStereo[@]}"
    wait_until 5 sh -c "tail -n +$((before + 1)) '$emu_log' | grep -q ' 99 01 01 '" ||
        fail "no SpectrumSwitch on after choosing the stereo tab"
}

# Hides the window with the device page's close button on the stereo tab.
close_on_stereo_tab()
{
    local before
    before=$(log_lines "$emu_log")
    click_at "${kClose[@]}"
    wait_until 3 sh -c "[ -z \"\$(xdotool search --onlyvisible --name '^VoxBench\$' 2>/dev/null)\" ]" ||
        fail "the close button did not hide the window"
    kill -0 "$main_pid" 2>/dev/null || fail "the close button ended the program"
    log_after "$emu_log" "$before" | grep -q '^99 01 00 ' || fail "closing sent no SpectrumSwitch off"
}

desktop_wayland()
{
    qpa=wayland
    current="Wayland: starts, maps its window and ends on SIGTERM"
    user=$(make_home wayland)
    emu_log="$user/emu.log"
    local socket="voxbench-e2e-$$"
    XDG_RUNTIME_DIR="$user/run" weston --backend=headless-backend.so --use-pixman --socket="$socket" \
        --idle-time=0 >"$user/weston.log" 2>&1 &
    started+=("$!")
    (
        wait_until 10 test -S "$user/run/$socket" || fail "weston did not start: $(tail -n 3 "$user/weston.log")"
        WAYLAND_DISPLAY=$socket WAYLAND_DEBUG=client start_program "$user"
        main_pid=$pid
        wait_for_first_uploads "$emu_log" 20 || fail "no uploads to the receiver; log: $(commands "$emu_log")"
        # Mapped: the toplevel titled VoxBench acknowledged its configure and got a buffer.
        local out="$user/program.out"
        wait_until 5 grep -q 'xdg_toplevel@[0-9]*\.set_title("VoxBench")' "$out" || fail "no toplevel VoxBench"
        wait_until 5 sh -c "sed -n '/xdg_surface@[0-9]*\\.ack_configure/,\$p' '$out' | grep -q 'wl_surface@[0-9]*\\.attach(wl_buffer@'" ||
            fail "no buffer attached after the configure"
        grep -q 'Could not load the Qt platform plugin\|Aborted' "$out" && fail "the platform plugin failed"
        kill -TERM "$main_pid"
        ends_with_farewell 5
        exit 0
    )
    counted $?
    wayland_without_tray
}

# The command line of the user $user, on its own instance.
client()
{
    HOME="$user/home" XDG_CONFIG_HOME="$user/home/.config" XDG_RUNTIME_DIR="$user/run" \
        "$(dirname "$program")/voxbench" --no-start "$@"
}

# A property of the running VoxBench, read over its session bus as GVariant text.
bus_property()
{
    DBUS_SESSION_BUS_ADDRESS=$session_bus gdbus call --session --dest io.github.voxbench.VoxBench \
        --object-path /io/github/voxbench/VoxBench --method org.freedesktop.DBus.Properties.Get \
        io.github.voxbench.VoxBench1 "$1"
}

# focused TITLE FILE: the last box titled TITLE in the Wayland log FILE has had
# the keyboard since, so that a key goes to it.
focused()
{
    awk -v title="set_title(\"$1\")" 'index($0, title) { seen = 1; entered = 0 }
        seen && /wl_keyboard@[0-9]+\.enter\(/ { entered = 1 } END { exit !entered }' "$2"
}
background_is()
{
    [ "$(client background)" = "$1" ]
}
# The window's dark title strip against weston's grey backdrop.
window_shown()
{
    [ "$(brightness_at 0 0 300 100)" -lt 80 ] && on_device_page
}
window_gone()
{
    [ "$(brightness_at 0 0 300 100)" -gt 100 ]
}

# Weston as a window of the X server, so that xdotool's pointer and keys reach
# Wayland clients. No panel: a window as large as the output sits at its corner,
# which is the X server's corner.
wayland_without_tray()
{
    qpa=wayland
    current="Wayland without a tray: the window's changes reach the bus; the first close asks, keep running hides it, starting again brings it back, the next close asks nothing, show brings it back"
    user=$(make_home wayland-close)
    emu_log="$user/emu.log"
    local socket="voxbench-e2e-x11-$$"
    printf '[core]\nidle-time=0\n[shell]\npanel-position=none\nlocking=false\n' >"$user/weston.ini"
    XDG_RUNTIME_DIR="$user/run" weston --config="$user/weston.ini" --backend=x11-backend.so --use-pixman \
        --socket="$socket" --width=1176 --height=700 >"$user/weston.log" 2>&1 &
    started+=("$!")
    local address
    address=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>"$root/dbus.log" | head -n 2)
    session_bus=$(echo "$address" | sed -n 1p)
    started+=("$(echo "$address" | sed -n 2p)")
    (
        [ -n "$session_bus" ] || fail "no session bus: $(cat "$root/dbus.log")"
        wait_until 10 test -S "$user/run/$socket" || fail "weston did not start: $(tail -n 3 "$user/weston.log")"
        local out="$user/program.out"
        # No X display for the program: Wayland or nothing.
        DISPLAY="" WAYLAND_DISPLAY=$socket WAYLAND_DEBUG=client start_program "$user"
        main_pid=$pid
        wait_for_first_uploads "$emu_log" 20 || fail "no uploads to the receiver; log: $(commands "$emu_log")"
        wx=0 wy=0
        wait_until 5 window_shown || fail "no device page at the output's corner"

        # A click in the window is announced on the bus, as a command's change is.
        client mode Moba --tab surround >/dev/null || fail "mode Moba failed"
        DBUS_SESSION_BUS_ADDRESS=$session_bus gdbus monitor --session --dest io.github.voxbench.VoxBench \
            >"$user/monitor.out" 2>&1 &
        echo "$!" >>"$root/pids"
        sleep 0.5
        click_at "${kTab71[@]}"
        sleep 0.5
        click_at "${kSurroundFps[@]}"
        wait_until 5 grep -q "'SurroundMode': <'FPS'>" "$user/monitor.out" ||
            fail "no SurroundMode FPS announced after the click: $(tail -n 3 "$user/monitor.out")"
        [ "$(bus_property SurroundMode)" = "(<'FPS'>,)" ] || fail "SurroundMode reads $(bus_property SurroundMode)"
        [ "$(bus_property Tab)" = "(<'surround'>,)" ] || fail "Tab reads $(bus_property Tab)"
        local enc
        enc=$(bus_property MicEnc)
        click_at "${kTabMic[@]}"
        sleep 0.5
        click_at "${kMicEnc[@]}"
        wait_until 5 sh -c "grep -q \"'MicEnc': <$([ "$enc" = "(<true>,)" ] && echo false || echo true)>\" '$user/monitor.out'" ||
            fail "no MicEnc change announced after the click (it was $enc)"
        [ "$(bus_property MicEnc)" != "$enc" ] || fail "MicEnc still reads $enc after the click"
        click_at "${kTab71[@]}"

        [ "$(client background)" = "not chosen" ] || fail "background is $(client background) before any close"
        local asked='xdg_toplevel@[0-9]*\.set_title("Close VoxBench")'
        click_at "${kClose[@]}"
        wait_until 5 grep -q "$asked" "$out" || fail "closing asked nothing"
        kill -0 "$main_pid" 2>/dev/null || fail "closing ended the program"
        if [ -n "${VOXBENCH_E2E_SHOTS:-}" ]; then
            import -window root -crop 1176x700+0+0 "$VOXBENCH_E2E_SHOTS/close-choice-weston.png"
        fi
        # Keep running in the background is the default button.
        wait_until 5 focused "Close VoxBench" "$out" || fail "the question never had the keyboard"
        xdotool key Return
        wait_until 5 background_is on || fail "the answer was not kept: background $(client background)"
        grep -qx 'keep-running-in-background=true' "$user/home/.config/VoxBench/program.conf" ||
            fail "program.conf: $(cat "$user/home/.config/VoxBench/program.conf")"
        wait_until 3 window_gone || fail "the window is still on the output"
        kill -0 "$main_pid" 2>/dev/null || fail "keep running ended the program"
        farewell_last "$emu_log" && fail "the receiver got the farewell switch"

        # Started again, as from the app grid: "Program is running", then the window.
        local second="$user/second"
        mkdir -p "$second"
        HOME="$user/home" XDG_CONFIG_HOME="$user/home/.config" XDG_RUNTIME_DIR="$user/run" \
            QT_QPA_PLATFORM=wayland DISPLAY="" WAYLAND_DISPLAY=$socket WAYLAND_DEBUG=client \
            DBUS_SESSION_BUS_ADDRESS=$session_bus LD_PRELOAD="$emulator" VOXBENCH_EMU_LOG="$second/emu.log" \
            "$program" >"$second/program.out" 2>&1 &
        local second_pid=$!
        echo "$second_pid" >>"$root/pids"
        wait_until 20 focused prompt "$second/program.out" || fail "the second start showed no box with the keyboard"
        xdotool key Return
        wait_for_exit "$second_pid" 15
        [ "$exit_code" = 0 ] || fail "the second start ended with ${exit_code:-no exit within 15 s}"
        [ ! -s "$second/emu.log" ] || fail "the second start talked to the receiver"
        wait_until 5 window_shown || fail "starting again did not bring the window back"
        click_at "${kClose[@]}"
        wait_until 5 window_gone || fail "the second close did not hide the window"
        sleep 0.5
        [ "$(grep -c "$asked" "$out")" -eq 1 ] || fail "the second close asked again"
        kill -0 "$main_pid" 2>/dev/null || fail "the second close ended the program"

        [ "$(client show)" = shown ] || fail "show failed"
        wait_until 5 window_shown || fail "show did not bring the window back"

        [ "$(client quit)" = "VoxBench has ended" ] || fail "quit failed"
        ends_with_farewell 5
        exit 0
    )
    counted $?
}

desktop_openbox()
{
    current="openbox: a drag of the title strip moves the window, a preset click right after selects it"
    openbox --sm-disable >"$root/openbox.log" 2>&1 &
    started+=("$!")
    (
        wait_until 5 sh -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" ||
            fail "openbox did not start"
        start_on_device_page openbox || fail "no device page"
        local before
        before=$(log_lines "$emu_log")
        click_at "${kTab71[@]}"
        upload_after "$before" || fail "choosing the 7.1 tab sent no upload"
        # Away from the screen edges, which openbox makes sticky.
        local tx=$((wx < 50 ? 70 : 30)) ty=$((wy < 50 ? 70 : 30))
        local x=$((wx + kDragFrom[0])) y=$((wy + kDragFrom[1]))
        local dx=$((tx - wx)) dy=$((ty - wy))
        # The window manager takes over once the pointer has gone past the drag
        # distance (Qt's default 10 px), and moves the window from there on.
        x=$((x + 12))
        xdotool mousemove --sync $((x - 12)) $y mousedown 1 mousemove --sync $x $y sleep 0.1 \
            mousemove --sync $((x + dx / 2)) $((y + dy / 2)) sleep 0.1 \
            mousemove --sync $((x + dx)) $((y + dy)) sleep 0.2 mouseup 1
        sleep 0.3
        find_window || fail "the window is gone"
        [ "$wx,$wy" = "$tx,$ty" ] || fail "the window is at $wx,$wy after the drag, expected $tx,$ty"
        before=$(log_lines "$emu_log")
        click_at "${kSurroundFps[@]}"
        upload_after "$before" || fail "the preset click right after the drag sent no upload"
        local peqs
        peqs=$(log_after "$emu_log" "$before" | grep '^21 ')
        [ "$(peq_gains "$(echo "$peqs" | sed -n 1p)" "$(echo "$peqs" | sed -n 2p)")" = \
            "$(preset_gains "$defaults" FPS 0)" ] || fail "the click after the drag did not choose FPS"
        # Hover still reaches the window: a custom mode's Save button has a
        # white frame that turns violet under the pointer.
        click_at "${kSurroundCustomize[@]}"
        sleep 0.5
        click_at "${kSurroundAdd[@]}"
        xdotool mousemove --sync $((wx + 700)) $((wy + kSave[1]))
        sleep 0.5
        local plain hovered
        plain=$(brightness_at $((kSave[0] - 30)) "${kSaveTop[@]}")
        xdotool mousemove --sync $((wx + kSave[0])) $((wy + kSave[1]))
        sleep 0.5
        hovered=$(brightness_at $((kSave[0] - 30)) "${kSaveTop[@]}")
        [ "$plain" -gt 200 ] && [ "$hovered" -lt 120 ] ||
            fail "no hover on Save after the drag (frame brightness $plain, hovered $hovered)"
        exit 0
    )
    counted $?
}

desktop_xembed_tray()
{
    trayer --edge top --align right --widthtype pixel --width 200 --height 32 --transparent false \
        --tint 0x000000 >"$root/trayer.log" 2>&1 &
    started+=("$!")
    sleep 0.5
    current="XEmbed tray: close hides, the icon and Main Page show it with the spectrum on, Quit ends it"
    (
        start_on_device_page xembed || fail "no device page"
        to_stereo_tab
        local before

        close_on_stereo_tab
        before=$(log_lines "$emu_log")
        xdotool mousemove --sync "${kTrayIcon[@]}" click 1
        shown_with_spectrum "$before"

        close_on_stereo_tab
        before=$(log_lines "$emu_log")
        # The menu holds "Main Page", "Start at log-on", a separator and "Quit", and has the keyboard.
        xdotool mousemove --sync "${kTrayIcon[@]}" click 3 sleep 0.5 key Down Return
        shown_with_spectrum "$before"

        xdotool mousemove --sync "${kTrayIcon[@]}" click 3 sleep 0.5 key Down Down Down Return
        ends_with_farewell 5
        exit 0
    )
    counted $?
}

desktop_sni_tray()
{
    current="StatusNotifierItem tray: the icon registers, Activate shows the window, the menu switches log-on start off, its Quit ends it; a hidden instance offers the same menu before its window exists"
    local address
    address=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>"$root/dbus.log" | head -n 2)
    session_bus=$(echo "$address" | sed -n 1p)
    started+=("$(echo "$address" | sed -n 2p)")
    local items="$root/sni-items"
    DBUS_SESSION_BUS_ADDRESS=$session_bus /usr/bin/python3 "$here/sni-watcher.py" watch "$items" \
        >"$root/watcher.out" 2>&1 &
    started+=("$!")
    (
        [ -n "$session_bus" ] || fail "no session bus: $(cat "$root/dbus.log")"
        wait_until 5 grep -q watching "$root/watcher.out" || fail "the watcher did not start: $(cat "$root/watcher.out")"
        start_on_device_page sni || fail "no device page"
        wait_until 5 test -s "$items" || fail "no StatusNotifierItem registered"
        local item
        item=$(head -n 1 "$items")
        local sni="env DBUS_SESSION_BUS_ADDRESS=$session_bus /usr/bin/python3 $here/sni-watcher.py"

        to_stereo_tab
        local before
        close_on_stereo_tab
        before=$(log_lines "$emu_log")
        $sni activate "$item" || fail "Activate failed"
        shown_with_spectrum "$before"

        # "Start at log-on" in the panel's menu switches off what the first start registered.
        local entry="$user/home/.config/autostart/$(basename "$program").desktop"
        test -f "$entry" || fail "no log-on entry after the first start"
        $sni menu "$item" "Start at log-on" || fail "no Start at log-on in the item's menu"
        wait_until 5 test ! -e "$entry" || fail "the log-on entry is still there"

        $sni menu "$item" Quit || fail "no Quit in the item's menu"
        ends_with_farewell 5

        # Started by a command, hidden: its icon offers the same menu before any window exists.
        : >"$items"
        VOXBENCH_STARTED_BY_COMMAND=1 start_program "$user"
        main_pid=$pid
        wait_until 10 test -s "$items" || fail "no item registered by a VoxBench a command started"
        item=$(head -n 1 "$items")
        [ -z "$(windows_named VoxBench)" ] || fail "a window was built before anything asked for one"
        $sni menu "$item" "Start at log-on" || fail "no Start at log-on in the menu before the window exists"
        wait_until 5 test -f "$entry" || fail "the menu's Start at log-on made no log-on entry"
        $sni menu "$item" Quit || fail "no Quit in the menu before the window exists"
        ends_with_farewell 5
        exit 0
    )
    counted $?
}

# keys KEY...: xdotool key presses to the focused window, a little apart.
keys()
{
    xdotool key --delay 60 "$@"
    sleep 0.3
}

# The keys alone, as a person without a mouse: a preset on each tab, a custom
# mode added, three gains set, named and saved, deleted, and Mic ENC switched;
# the receiver and config.json end as after the same clicks.
desktop_keyboard()
{
    current="keyboard: presets, a custom mode with three gains named, saved and deleted, Mic ENC; keys only"
    (
        start_on_device_page keyboard || fail "no device page"
        local config="$user/home/Documents/VoxBench/config.json" before peqs
        # No window manager: hand the window the focus; it starts on the tab bar.
        xdotool windowfocus --sync "$window"
        before=$(log_lines "$emu_log")
        keys Left
        upload_after "$before" || fail "Left on the tab bar did not choose the 7.1 tab"

        before=$(log_lines "$emu_log")
        keys Tab Right
        upload_after "$before" || fail "Right in the presets sent no upload"
        peqs=$(log_after "$emu_log" "$before" | grep '^21 ')
        [ "$(peq_gains "$(echo "$peqs" | sed -n 1p)" "$(echo "$peqs" | sed -n 2p)")" = \
            "$(preset_gains "$defaults" FPS 0)" ] || fail "Right did not choose FPS"
        log_after "$emu_log" "$before" | grep -q '^31 06 01 00 01 00 00 00 ' || fail "no 7.1 switch after FPS"

        # Customize, then Enter on + adds Mode01.
        keys Right Right Right Tab Return
        wait_until 5 grep -q '"name": "Mode01"' "$config" || fail "config.json has no Mode01 after Enter on +"
        # Bin, the mode, then the sliders: 30 Hz +3, 60 Hz -2, 120 Hz +1, a dB a key.
        keys Tab Tab Tab Up Up Up Tab Down Down Tab Up
        sleep 1.5
        local last
        last=$(commands "$emu_log" | grep '^21 26 01 00 04 ' | tail -n 1)
        [ "$(peq_gain "$last" 0) $(peq_gain "$last" 1) $(peq_gain "$last" 2)" = "3 -2 1" ] ||
            fail "gains sent: $(peq_gain "$last" 0) $(peq_gain "$last" 1) $(peq_gain "$last" 2), expected 3 -2 1"
        # Seven sliders on to the name field; Enter there saves.
        keys Tab Tab Tab Tab Tab Tab Tab Tab ctrl+a
        xdotool type --delay 20 "Footsteps"
        keys Return
        wait_until 5 grep -q '"name": "Footsteps"' "$config" || fail "config.json has no mode named Footsteps"
        tr -d ' \r\n' <"$config" | grep -q '"name":"Footsteps","parameter":\[3,-2,1,0,0,0,0,0,0,0\]' ||
            fail "saved mode: $(tr -d ' \r\n' <"$config" | grep -o '"name":"Footsteps"[^]]*')"
        # Back over the sliders and the mode to the bin; Space deletes.
        keys shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab \
            shift+Tab shift+Tab shift+Tab space
        wait_until 5 sh -c "! grep -q Footsteps '$config'" || fail "Footsteps is still in config.json"

        # Back to the tab bar, the stereo tab and its next preset.
        keys shift+Tab shift+Tab shift+Tab
        before=$(log_lines "$emu_log")
        keys Right
        wait_until 5 sh -c "tail -n +$((before + 1)) '$emu_log' | grep -q ' 99 01 01 '" ||
            fail "Right on the tab bar did not choose the stereo tab"
        sleep 1
        before=$(log_lines "$emu_log")
        keys Tab Right
        upload_after "$before" || fail "Right in the stereo presets sent no upload"
        peqs=$(log_after "$emu_log" "$before" | grep '^21 ')
        [ "$(peq_gains "$(echo "$peqs" | sed -n 1p)" "$(echo "$peqs" | sed -n 2p)")" = \
            "$(preset_gains "$defaults" Pop 1)" ] || fail "Right did not choose Pop on the stereo tab"

        # Mic ENC's tab, its box, Space switches it off.
        keys shift+Tab Right
        before=$(log_lines "$emu_log")
        keys Tab space
        wait_until 3 sh -c "tail -n +$((before + 1)) '$emu_log' | grep -q '^[0-9]* 4F 30 80 18 31 06 01 00 00 00 02 00 '" ||
            fail "Space on Mic ENC sent no ENC byte 2"
        grep -q 'CLose ENC' "$user/home/Documents/VoxBench/debug.log" || fail "no CLose ENC record"
        exit 0
    )
    counted $?
}

# A screen reader's view: the tree of each page over AT-SPI, with Qt's bridge
# switched on; every shown control has a name. Pages are switched with keys.
desktop_atspi()
{
    current="AT-SPI: every shown control of every page has a name"
    local address
    address=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>"$root/dbus.log" | head -n 2)
    session_bus=$(echo "$address" | sed -n 1p)
    started+=("$(echo "$address" | sed -n 2p)")
    (
        [ -n "$session_bus" ] || fail "no session bus: $(cat "$root/dbus.log")"
        export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_LOGGING_RULES=qt.accessibility.atspi=true
        # The accessibility bus comes after the program's window. Qt's bridge,
        # always on, counts itself enabled the moment it sees org.a11y.Bus on the
        # session bus and registers with the registry before its asynchronous
        # connection to that bus is made: losing that race it says "Not connected
        # to D-Bus server" and never tries again. Published later, the bus is
        # connected first and registered after.
        # The launcher runs the accessibility bus's own dbus-daemon, which outlives
        # a launcher that is ended alone: both go as one process group.
        launcher=""
        a11y_bus_up()
        {
            DBUS_SESSION_BUS_ADDRESS=$session_bus XDG_RUNTIME_DIR=$root setsid /usr/libexec/at-spi-bus-launcher \
                --launch-immediately >>"$root/atspi-bus.log" 2>&1 &
            launcher=$!
            echo "-$launcher" >>"$root/pids"
            wait_until 10 env DBUS_SESSION_BUS_ADDRESS="$session_bus" dbus-send --session --print-reply \
                --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 ||
                fail "no accessibility bus on the session bus: $(cat "$root/atspi-bus.log")"
        }
        a11y_bus_down()
        {
            kill -TERM -- "-$launcher"
            wait "$launcher" 2>/dev/null
            wait_until 5 sh -c "! DBUS_SESSION_BUS_ADDRESS='$session_bus' dbus-send --session --print-reply \
                --dest=org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.GetNameOwner \
                string:org.a11y.Bus >/dev/null 2>&1"
        }
        # listing PAGE TEXT: the tree printed; fails on an unnamed control or without TEXT.
        listing()
        {
            local out="$root/atspi-$1.txt"
            wait_until 10 sh -c "DBUS_SESSION_BUS_ADDRESS=$session_bus /usr/bin/python3 '$here/atspi-tree.py' VoxBench >'$out' 2>&1; [ \$? -ne 2 ]" ||
                fail "$1: VoxBench is not on the accessibility bus: $(cat "$out")"
            echo "--- AT-SPI tree, $1"
            cat "$out"
            grep -q UNNAMED "$out" && fail "$1: $(grep -c UNNAMED "$out") unnamed control(s)"
            grep -q "$2" "$out" || fail "$1: no $2 in the tree"
        }
        user=$(make_home absent)
        VOXBENCH_EMU_ABSENT=1 start_program "$user"
        wait_until 20 find_window || fail "no window without a receiver"
        a11y_bus_up
        listing no-receiver "push button 'Close'"
        kill -TERM "$pid"
        wait_for_exit "$pid" 5
        a11y_bus_down

        start_on_device_page atspi || fail "no device page"
        a11y_bus_up
        xdotool windowfocus --sync "$window"
        # A preset's gains are read as shown, not as 0 dB: FPS has +2 dB at 250 Hz.
        keys Left Tab Right
        sleep 0.7
        listing surround-fps "slider '250 Hz, +2 dB'"
        keys Right Right Right Tab Return
        wait_until 5 grep -q '"name": "Mode01"' "$user/home/Documents/VoxBench/config.json" || fail "no mode added"
        listing surround "slider '250 Hz, 0 dB'"
        grep -q "push button 'Add mode'" "$root/atspi-surround.txt" || fail "no Add mode button"
        grep -q "push button 'Delete mode'" "$root/atspi-surround.txt" || fail "no Delete mode button"
        keys shift+Tab shift+Tab Right
        sleep 1
        listing stereo "page tab 'Stereo Sound (Music)'"
        # The stereo tab's standard preset: -3 dB at 250 Hz, +10 dB at 16 kHz.
        grep -q "slider '250 Hz, −3 dB'" "$root/atspi-stereo.txt" || fail "stereo: 250 Hz not read as −3 dB"
        grep -q "slider '16 kHz, +10 dB'" "$root/atspi-stereo.txt" || fail "stereo: 16 kHz not read as +10 dB"
        keys Right
        sleep 0.7
        listing mic-enc "check box 'Mic ENC(Environment Noise Cancellation)'"
        a11y_bus_down
        exit 0
    )
    counted $?
}

defaults="$(dirname "$program")/DefaultFile/VID-5A17&PID-4152.json"
if [ "$desktop" != bare ]; then
    "desktop_${desktop//-/_}"
    echo "Totals: $passed passed, $failed failed, 0 skipped"
    [ $failed -eq 0 ]
    exit
fi

# --- Scenarios ----------------------------------------------------------------
user=$(make_home first)
emu_log="$user/emu.log"

current="first start with a receiver"
start_program "$user"
main_pid=$pid
(
    wait_until 10 find_window || fail "no visible window titled VoxBench"
    # The open, the remembered mode of both tabs, Mic ENC, then the second
    # packets and the algorithm switch that each acknowledgement brings.
    wait_for_first_uploads "$emu_log" || fail "no algorithm switch after the uploads; log: $(commands "$emu_log")"
    codes=$(commands "$emu_log" | awk '{
        if ($1 == "21") printf "%s %s-%s\n", "SetPEQ", $4, $5;
        else if ($1 == "31" && $5 == "00" && $7 == "01" && $8 == "00") print "MicENC-on";
        else if ($1 == "31") print "AlgorithmSwitch";
        else if ($1 == "01") print ($2 == "00" && $3 == "00") ? "bare" : "ReadVersion";
        else if ($1 == "20") print "ReadAudio";
        else if ($1 == "32") print "ReadStatus";
        else if ($1 == "99") print "SpectrumSwitch-" $3;
        else print "other-" $1 }' | tr '\n' ',')
    # SpectrumSwitch (on or off) follows the tab each remembered mode is shown on.
    codes=$(echo "$codes" | sed 's/SpectrumSwitch-0[01],//g')
    expected="bare,ReadVersion,ReadAudio,ReadStatus,SetPEQ 00-04,SetPEQ 00-04,MicENC-on,SetPEQ 05-09,SetPEQ 05-09,AlgorithmSwitch,AlgorithmSwitch,"
    [ "$codes" = "$expected" ] || fail "reports in this order: $codes, expected $expected"
    on_device_page || fail "the window is not on the device page"
    # The first upload carries the surround tab's default preset.
    first_peq=$(commands "$emu_log" | grep '^21 ' | sed -n 1p)
    first_peq_b=$(commands "$emu_log" | grep '^21 26 01 05 09' | sed -n 1p)
    standard=$(preset_gains "$defaults" "Vorn Standard" 0)
    [ "$(peq_gains "$first_peq" "$first_peq_b")" = "$standard" ] ||
        fail "first upload $(peq_gains "$first_peq" "$first_peq_b"), expected $standard"
    [ -n "$(windows_named prompt)$(windows_named warning)" ] && fail "a message box is open"
    exit 0
)
counted $?

find_window

current="a preset click sends its two packets"
(
    before=$(log_lines "$emu_log")
    click_at "${kTab71[@]}"
    upload_after "$before" || fail "choosing the 7.1 tab sent no upload"
    before=$(log_lines "$emu_log")
    click_at "${kSurroundFps[@]}"
    wait_until 5 sh -c "[ \$(tail -n +$((before + 1)) '$emu_log' | grep -c ' 21 26 ') -ge 2 ]" ||
        fail "no two SetPEQ reports after the click"
    sleep 0.3
    peqs=$(log_after "$emu_log" "$before" | grep '^21 ')
    [ "$(echo "$peqs" | wc -l)" -eq 2 ] || fail "$(echo "$peqs" | wc -l) SetPEQ reports, expected 2"
    a=$(echo "$peqs" | sed -n 1p)
    b=$(echo "$peqs" | sed -n 2p)
    [[ $a == "21 26 01 00 04 "* && $b == "21 26 01 05 09 "* ]] || fail "bands not 0-4 then 5-9: $a / $b"
    fps=$(preset_gains "$defaults" FPS 0)
    [ "$(peq_gains "$a" "$b")" = "$fps" ] || fail "gains $(peq_gains "$a" "$b"), FPS is $fps"
    # The acknowledgement of the second packet brings the 7.1 algorithm switch.
    log_after "$emu_log" "$before" | grep -q '^31 06 01 00 01 00 00 00 ' ||
        fail "no 7.1 algorithm switch after the upload"
    exit 0
)
counted $?

current="a custom mode, a slider moved and saved under a new name"
(
    config="$user/home/Documents/VoxBench/config.json"
    # Customize shows + and the bin; + adds "Mode01" at 0 dB and chooses it.
    click_at "${kSurroundCustomize[@]}"
    sleep 0.5
    before=$(log_lines "$emu_log")
    click_at "${kSurroundAdd[@]}"
    upload_after "$before" || fail "adding a custom mode sent no upload"
    grep -q '"name": "Mode01"' "$config" || fail "config.json has no Mode01 after +"
    before=$(log_lines "$emu_log")
    # Drag the 30 Hz handle up by seven decibels.
    x=$((wx + kSlider30[0]))
    y=$((wy + kSlider30[1]))
    target=$(awk -v y=$y -v s=$kDbStep 'BEGIN { printf "%d", y - 7 * s }')
    xdotool mousemove --sync $x $y mousedown 1 mousemove --sync $x $((y - 30)) mousemove --sync $x "$target" \
        sleep 0.1 mouseup 1
    wait_until 5 sh -c "tail -n +$((before + 1)) '$emu_log' | grep -q ' 21 26 01 05 09 '" ||
        fail "moving the slider sent no upload"
    last_a=$(log_after "$emu_log" "$before" | grep '^21 26 01 00 04 ' | tail -n 1)
    [ "$(peq_gain "$last_a" 0)" = 7 ] || fail "30 Hz gain sent: $(peq_gain "$last_a" 0), expected 7"

    click_at "${kNameField[@]}"
    xdotool key --clearmodifiers ctrl+a type --delay 20 "Footsteps"
    click_at "${kSave[@]}"
    wait_until 5 grep -q '"name": "Footsteps"' "$config" || fail "config.json has no mode named Footsteps"
    mode=$(tr -d ' \r\n' <"$config" | grep -o '"algorithm":"Surround","customizeType":1,"index":0,"name":"Footsteps","parameter":\[[-0-9,]*\],"type":0')
    [[ $mode == *'[7,0,0,0,0,0,0,0,0,0]'* ]] || fail "saved mode: ${mode:-none}"
    grep -q '"name": "Mode01"' "$config" && fail "the old name Mode01 is still in config.json"
    # The new name is also the receiver's current mode.
    uuid=$(tr -d ' \r\n' <"$config" | grep -o '"name":"Footsteps",[^}]*"uuid":"[^"]*"' | sed 's/.*"uuid":"\([^"]*\)"/\1/')
    tr -d ' \r\n' <"$config" | grep -q "\"currentMode\":\[{\"deviceUuid\":\"0a1b2c3d\",\"pid\":\"0x4152\",\"uuid\":\"$uuid\"" ||
        fail "the current mode is not the saved one"
    exit 0
)
counted $?

current="the stereo tab streams the spectrum and the panel moves"
(
    before=$(log_lines "$emu_log")
    click_at "${kTabStereo[@]}"
    wait_until 5 sh -c "tail -n +$((before + 1)) '$emu_log' | grep -q ' 99 01 01 '" ||
        fail "no SpectrumSwitch on after choosing the stereo tab"
    sleep 0.6
    spectrum_moves "$user" || fail "the spectrum panel stands still"
    # Something is drawn: the comb is not the bare backdrop.
    colours=$(convert "$user/spectrum-2.png" -format '%k' info:)
    [ "$colours" -gt 20 ] || fail "the spectrum panel shows $colours colours"

    # Leaving the tab stops the stream.
    before=$(log_lines "$emu_log")
    click_at "${kTabMic[@]}"
    wait_until 5 sh -c "tail -n +$((before + 1)) '$emu_log' | grep -q ' 99 01 00 '" ||
        fail "no SpectrumSwitch off after leaving the stereo tab"
    exit 0
)
counted $?

current="Mic ENC check box"
(
    click_at "${kTabMic[@]}"
    sleep 0.5
    before=$(log_lines "$emu_log")
    click_at "${kMicEnc[@]}"
    wait_until 3 sh -c "tail -n +$((before + 1)) '$emu_log' | grep -q '^[0-9]* 4F 30 80 18 31 06 01 00 00 00 02 00 '" ||
        fail "clearing Mic ENC sent no ENC byte 2"
    before=$(log_lines "$emu_log")
    click_at "${kMicEnc[@]}"
    wait_until 3 sh -c "tail -n +$((before + 1)) '$emu_log' | grep -q '^[0-9]* 4F 30 80 18 31 06 01 00 00 00 01 00 50'" ||
        fail "ticking Mic ENC sent no ENC byte 1"
    grep -q 'CLose ENC' "$user/home/Documents/VoxBench/debug.log" || fail "no CLose ENC record in debug.log"
    exit 0
)
counted $?

current="a second start says Program is running and leaves one instance"
(
    second="$root/second"
    mkdir -p "$second"
    # The same user again: the second process shares the first one's home.
    HOME="$user/home" XDG_CONFIG_HOME="$user/home/.config" XDG_RUNTIME_DIR="$user/run" \
        QT_QPA_PLATFORM=xcb LD_PRELOAD="$emulator" VOXBENCH_EMU_LOG="$second/emu.log" \
        "$program" >"$second/program.out" 2>&1 &
    second_pid=$!
    wait_until 10 sh -c "[ -n \"\$(xdotool search --onlyvisible --name '^prompt\$' 2>/dev/null)\" ]" ||
        { kill -KILL $second_pid; fail "no box titled prompt"; }
    # No window manager gives the box the focus: hand it over, then answer.
    box=$(windows_named prompt | head -n 1)
    # In the window's dark theme, not Qt's light default.
    eval "$(xdotool getwindowgeometry --shell "$box" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    shade=$(import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage png:- 2>/dev/null |
        convert png:- -colorspace Gray -format '%[fx:int(255*mean)]' info:)
    [ "$shade" -lt 80 ] || { kill -KILL $second_pid; fail "the box is light (mean brightness $shade)"; }
    xdotool windowfocus --sync "$box" key Return 2>/dev/null
    wait_for_exit $second_pid 5
    [ "$exit_code" = 0 ] || fail "the second start ended with ${exit_code:-no exit within 5 s}"
    [ ! -s "$second/emu.log" ] || fail "the second start talked to the receiver"
    kill -0 "$main_pid" 2>/dev/null || fail "the first instance is gone"
    [ "$(windows_named VoxBench | wc -l)" -eq 1 ] || fail "$(windows_named VoxBench | wc -l) VoxBench windows"
    exit 0
)
counted $?

current="SIGTERM ends the program cleanly"
kill -TERM "$main_pid"
wait_for_exit "$main_pid" 5
(
    [ -n "$exit_code" ] || fail "still running 5 s after SIGTERM"
    [ "$exit_code" -eq 0 ] || fail "exit status $exit_code, expected 0"
    # On the way out the receiver gets the switch with all three bytes 2, as from the tray's Quit.
    farewell_last "$emu_log" || fail "last report is not the farewell switch: $(tail -n 1 "$emu_log" | cut -c1-60)"
    [ -z "$(windows_named VoxBench)" ] || fail "a VoxBench window is still shown"
    exit 0
)
counted $?

echo "Totals: $passed passed, $failed failed, 0 skipped"
[ $failed -eq 0 ]
