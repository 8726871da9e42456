#!/usr/bin/env bash
# Makes the Wine prefix that each Windows test copies: a fresh 64-bit prefix
# whose Documents point into a throwaway home (never the real one), with Qt's
# settings in the prefix's environment, since Wine keeps QT_* variables of
# the Unix environment from Windows programs.
#   usage: make-template.sh PREFIX BIN_DIR
set -euo pipefail
prefix=$1
bin=$2
home=$(dirname "$prefix")/home
mkdir -p "$home"
export WINEPREFIX=$prefix WINEDEBUG=-all HOME=$home
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
wineboot -i >/dev/null 2>&1
winbin="Z:${bin//\//\\}"
wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f >/dev/null 2>&1
wine reg add 'HKCU\Environment' /v QT_PLUGIN_PATH /d "$winbin" /f >/dev/null 2>&1
# Qt's offscreen platform on Windows reads fonts from a folder, not from the
# system: the DejaVu fonts the Linux tests draw with.
wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d 'Z:\usr\share\fonts\truetype\dejavu' /f >/dev/null 2>&1
wineserver -w
echo "Wine template: $prefix (Qt DLLs and plugins from $winbin)"
