#!/usr/bin/env bash
# The layers point one way: log/ at the bottom, then platform/ and device/,
# then presets/ (which takes the band count from the command table and syncs
# its saves through platform/), then the receiver model (model/), the command
# line's server (command/) and ui/, then window/, and app/ on top. Each folder
# may include only the folders listed for it; only platform/ may ask which
# system it is on. The model and the command server know no widget.
# Usage: check-layers.sh SOURCE_DIR
set -uo pipefail
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$top" || exit 2

declare -A allowed=(
    [log]="log"
    [platform]="platform log"
    [device]="device log"
    [presets]="presets device platform log"
    [model]="model presets device platform log"
    [command]="command model presets device platform log"
    [ui]="ui log"
    [window]="window model ui device presets platform log"
    [app]="app command window model ui device presets platform log"
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

# The model and the command server reach nothing of Qt Widgets or Gui.
while IFS= read -r line; do
    echo "layering: widget header below the window: $line"
    failures=$((failures + 1))
done < <(grep -rnE '^\s*#\s*include\s+<(Q(Widget|Application|AbstractButton|RadioButton|PushButton|CheckBox|Slider|Label|TabWidget|MessageBox|MainWindow|LineEdit|GroupBox|ButtonGroup|Gui[A-Za-z]*|tWidgets/[A-Za-z]+)|qcustomplot\.h)>' \
    model command --include='*.cpp' --include='*.h' 2>/dev/null)
while IFS= read -r line; do
    echo "layering: $line links Qt Widgets or Gui"
    failures=$((failures + 1))
done < <(grep -nE 'Qt5::(Widgets|Gui)' model/CMakeLists.txt command/CMakeLists.txt 2>/dev/null
    grep -nE 'Qt5::Widgets' platform/CMakeLists.txt 2>/dev/null)

while IFS= read -r line; do
    echo "layering: platform test outside platform/: $line"
    failures=$((failures + 1))
done < <(grep -rn 'Q_OS_' --include='*.cpp' --include='*.h' --include='*.txt' --include='*.cmake' \
    app command device model presets ui window log tools tests bench 2>/dev/null)

if [ "$failures" -ne 0 ]; then
    echo "layering: $failures violation(s)"
    exit 1
fi
echo "layering: every include points down, no platform test outside platform/"
