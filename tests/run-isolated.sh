#!/usr/bin/env bash
# Runs one test program with a home of its own, so nothing lands in the real
# home and no test sees another's config.json, log or autostart entry.
set -u
root=$(mktemp -d "${TMPDIR:-/tmp}/voxbench-test.XXXXXX")
trap 'rm -rf "$root"' EXIT
export HOME="$root/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$root/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
"$@"
