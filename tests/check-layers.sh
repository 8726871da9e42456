#!/usr/bin/env bash
# The layers point one way: log/ at the bottom, then platform/ and device/,
# then presets/ (which takes the band count from the command table and syncs
# its saves through platform/), then the receiver model (model/), the command
# line's server (command/) with the session bus's object on it (bus/) and ui/,
# then window/, and app/ on top. Each folder
# may include only the folders listed for it; only platform/ may ask which
# system it is on. The model and the command server know no widget. The window
# and the command server stand side by side on the model: neither includes the
# other, and the window takes the receiver's numbers from the model, not from
# device/. The running instance in app/ is Qt Core only.
# The command-line client (voxbench) links Qt Core and Network only.
# Usage: check-layers.sh SOURCE_DIR [CLIENT_EXECUTABLE]
set -uo pipefail
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
client=${2:+$(realpath "$2")}
cd "$top" || exit 2

declare -A allowed=(
    [log]="log"
    [platform]="platform log"
    [device]="device log"
    [presets]="presets device platform log"
    [model]="model presets device platform log"
    [command]="command model presets device platform log"
    [bus]="bus command model presets device platform log"
    [ui]="ui log"
    [window]="window model ui presets platform log"
    [app]="app bus command window model ui device presets platform log"
)

failures=0
for folder in "${!allowed[@]}"; do
    while IFS= read -r line; do
        file=${line%%:*}
        included=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$line")
        [ -d "$included" ] || continue
        if ! grep -qw "$included" <<<"${allowed[$folder]}"; then
            echo "layering: $file includes $included/, which $folder/ may not use"
            failures=$((failures + 1))
        fi
    done < <(grep -rnE '^\s*#\s*include\s+"[a-z]+/' "$folder" --include='*.cpp' --include='*.h' 2>/dev/null)
done

# The model, the command server and the instance reach nothing of Qt Widgets or Gui.
while IFS= read -r line; do
    echo "layering: widget header below the window: $line"
    failures=$((failures + 1))
done < <(grep -rnE '^\s*#\s*include\s+<(Q(Widget|Application|AbstractButton|RadioButton|PushButton|CheckBox|Slider|Label|TabWidget|MessageBox|MainWindow|LineEdit|GroupBox|ButtonGroup|Gui[A-Za-z]*|tWidgets/[A-Za-z]+)|qcustomplot\.h)>' \
    model command bus app/VoxBenchInstance.h app/VoxBenchInstance.cpp --include='*.cpp' --include='*.h' 2>/dev/null)
while IFS= read -r line; do
    echo "layering: the instance reaches above the model: $line"
    failures=$((failures + 1))
done < <(grep -nE '^\s*#\s*include\s+"(window|ui)/' app/VoxBenchInstance.h app/VoxBenchInstance.cpp 2>/dev/null)
while IFS= read -r line; do
    echo "layering: $line links Qt Widgets or Gui"
    failures=$((failures + 1))
done < <(grep -nE 'Qt5::(Widgets|Gui)' model/CMakeLists.txt command/CMakeLists.txt bus/CMakeLists.txt 2>/dev/null
    sed -n '/^add_library(voxbench_instance/,/^$/p' app/CMakeLists.txt | grep -E 'Qt5::(Widgets|Gui)|voxbench_(window|ui)\b'
    grep -nE 'Qt5::Widgets' platform/CMakeLists.txt 2>/dev/null)

while IFS= read -r line; do
    echo "layering: platform test outside platform/: $line"
    failures=$((failures + 1))
done < <(grep -rn 'Q_OS_' --include='*.cpp' --include='*.h' --include='*.txt' --include='*.cmake' \
    app command device model presets ui window log tools tests bench 2>/dev/null)

# platform/ is Core and Network: showing a window belongs above it.
while IFS= read -r line; do
    echo "layering: platform/ uses Qt Widgets or Gui: $line"
    failures=$((failures + 1))
done < <(grep -nE 'Qt5?::(Widgets|Gui)|Qt(Widgets|Gui)\b' platform/CMakeLists.txt 2>/dev/null
    grep -rnE '^\s*#\s*include\s+<(QtWidgets|QtGui)?/?Q(Application|GuiApplication|Widget|Window|MainWindow|Dialog|MessageBox|Screen)\b' \
        platform --include='*.cpp' --include='*.h' 2>/dev/null)

# The client's sources reach nothing above Qt Core but the protocol's names, the
# receiver's numbers (a plain header), the mode files and the name rule (Qt Core only), and the
# built client loads neither Qt Gui nor Qt Widgets.
while IFS= read -r line; do
    echo "layering: the command-line client reaches beyond Qt Core: $line"
    failures=$((failures + 1))
done < <(grep -nE '^\s*#\s*include\s+("(window|ui|model|device|presets)/|"command/CommandServer|<Q(Gui|Widget|Application|GuiApplication))' \
    app/client_main.cpp app/CommandClient.cpp app/CommandLine.cpp app/Autorun.cpp app/ProgramPath.cpp \
    app/ModeTransfer.cpp app/ModeTransfer.h 2>/dev/null | grep -vE '"(device/UsbHidCommands|presets/ModeFile|presets/ModeNameRule)\.h"')
if [ -n "$client" ]; then
    needed=$(readelf -d "$client" | grep NEEDED)
    if ! grep -q 'libQt5Core' <<<"$needed"; then
        echo "layering: cannot read the libraries $client needs"
        failures=$((failures + 1))
    elif grep -Eq 'libQt5(Gui|Widgets)' <<<"$needed"; then
        echo "layering: $client needs Qt Gui or Widgets: $(grep -Eo 'libQt5(Gui|Widgets)[^]]*' <<<"$needed" | tr '\n' ' ')"
        failures=$((failures + 1))
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "layering: $failures violation(s)"
    exit 1
fi
echo "layering: every include points down, no platform test outside platform/, platform/, the instance and the client without widgets"
