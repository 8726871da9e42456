#!/usr/bin/env bash
# The layers point one way: log/ at the bottom, then platform/ and device/,
# then presets/ (which takes the band count from the command table and syncs
# its saves through platform/), then ui/,
# then window/, and app/ on top. Each folder may include
# only the folders listed for it; only platform/ may ask which system it is on.
# Usage: check-layers.sh SOURCE_DIR
set -uo pipefail
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$top" || exit 2

declare -A allowed=(
    [log]="log"
    [platform]="platform log"
    [device]="device log"
    [presets]="presets device platform log"
    [ui]="ui log"
    [window]="window ui device presets platform log"
    [app]="app window ui device presets platform log"
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

while IFS= read -r line; do
    echo "layering: platform test outside platform/: $line"
    failures=$((failures + 1))
done < <(grep -rn 'Q_OS_' --include='*.cpp' --include='*.h' --include='*.txt' --include='*.cmake' \
    app device presets ui window log tools tests bench 2>/dev/null)

# platform/ is Core and Network: showing a window belongs above it.
while IFS= read -r line; do
    echo "layering: platform/ uses Qt Widgets or Gui: $line"
    failures=$((failures + 1))
done < <(grep -nE 'Qt5?::(Widgets|Gui)|Qt(Widgets|Gui)\b' platform/CMakeLists.txt 2>/dev/null
    grep -rnE '^\s*#\s*include\s+<(QtWidgets|QtGui)?/?Q(Application|GuiApplication|Widget|Window|MainWindow|Dialog|MessageBox|Screen)\b' \
        platform --include='*.cpp' --include='*.h' 2>/dev/null)

if [ "$failures" -ne 0 ]; then
    echo "layering: $failures violation(s)"
    exit 1
fi
echo "layering: every include points down, no platform test outside platform/, platform/ without widgets"
