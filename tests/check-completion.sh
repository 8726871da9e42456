#!/usr/bin/env bash
# Drives the completion of voxbench in bash, zsh and fish as typed on a command
# line, with a stand-in voxbench on the PATH that answers `modes --json` with
# names holding blanks, quotes and a non-ASCII letter, a built-in name on both
# tabs, and custom modes.
# Usage: check-completion.sh COMPLETION_DIR (voxbench.bash, _voxbench, voxbench.fish)
set -uo pipefail
dir=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/voxbench-completion.XXXXXX")
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_CONFIG_HOME=$work/.config XDG_DATA_HOME=$work/.local/share
mkdir -p "$work/bin" "$work/zsh"
cat >"$work/bin/voxbench" <<'EOF'
#!/bin/sh
# Completion must ask without starting VoxBench.
[ "$*" = "--no-start modes --json" ] || { echo "voxbench $*" >>"$HOME/wrong-calls"; exit 2; }
cat <<'JSON'
{"api_version":1,"attached":true,"modes":{"stereo":[{"built_in":true,"gains":[0,0,0,0,0,0,0,0,0,0],"name":"FPS"},{"built_in":false,"gains":[1,1,1,1,1,1,1,1,1,1],"name":"Say \"Hi\" \u00e9"}],
"surround":[{"built_in":true,"gains":null,"name":"FPS"},{"built_in":true,"gains":null,"name":"Moba"},{"built_in":false,"gains":[0,0,0,0,0,0,0,0,0,0],"name":"Night Raid"},{"built_in":false,"gains":[-3,0,0,0,0,0,0,0,0,12],"name":"Bob's Mix"}]}}
JSON
EOF
chmod +x "$work/bin/voxbench"
export PATH=$work/bin:$PATH
cp "$dir/_voxbench" "$work/zsh/"

failures=0
# expect SHELL LINE WANTED GOT: the offers (or the line) got against those wanted.
expect()
{
    if [ "$3" != "$4" ]; then
        printf '%s: "%s"\n  wanted: %s\n  got:    %s\n' "$1" "$2" "$3" "$4"
        failures=$((failures + 1))
    fi
}

# bash: COMP_WORDS as bash splits the line ("=" is a word break).
bash_offers()
{
    bash --norc -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _voxbench
        ((${#COMPREPLY[@]} == 0)) || printf "%s|" "${COMPREPLY[@]}"' bash "$dir/voxbench.bash" "$@"
}
expect bash "voxbench mode " "next|previous|add|rename|delete|export|import|FPS|Say\ \\\"Hi\\\"\ é|Moba|Night\ Raid|Bob\'s\ Mix|" \
    "$(bash_offers voxbench mode '')"
expect bash 'voxbench mode Night\ R' 'Night\ Raid|' "$(bash_offers voxbench mode 'Night\ R')"
expect bash "voxbench mode 'Bo" "Bob'\\''s Mix|" "$(bash_offers voxbench mode "'Bo")"
expect bash "voxbench --tab stereo mode F" 'FPS|' "$(bash_offers voxbench --tab stereo mode F)"
expect bash "voxbench mode --tab=stereo N" '' "$(bash_offers voxbench mode --tab = stereo N)"
expect bash "voxbench mode --tab=stereo S" 'Say\ \"Hi\"\ é|' "$(bash_offers voxbench mode --tab = stereo S)"
expect bash "voxbench mode --tab=" 'surround|stereo|' "$(bash_offers voxbench mode --tab = '')"
expect bash "voxbench mode --tab s" 'surround|stereo|' "$(bash_offers voxbench mode --tab s)"
expect bash "voxbench mode delete " 'Say\ \"Hi\"\ é|Night\ Raid|Bob\'"'"'s\ Mix|' "$(bash_offers voxbench mode delete '')"
expect bash "voxbench status --json --" '--no-start|' "$(bash_offers voxbench status --json --)"
expect bash "voxbench mode FPS --tab=surround --" '--no-start|' "$(bash_offers voxbench mode FPS --tab = surround --)"
expect bash "voxbench mode add X --" '--no-start|--tab|--gains|' "$(bash_offers voxbench mode add X --)"
expect bash "voxbench tab " 'surround|stereo|' "$(bash_offers voxbench tab '')"
expect bash "voxbench mode import f --channel " 'L|R|' "$(bash_offers voxbench mode import f --channel '')"
expect bash "voxbench enc t" 'toggle|' "$(bash_offers voxbench enc t)"
expect bash "voxbench rule " 'add|list|delete|pause|resume|' "$(bash_offers voxbench rule '')"
expect bash "voxbench rule add game --tab surround N" 'Night\ Raid|' "$(bash_offers voxbench rule add game --tab surround N)"

# bash for real: the line typed into an interactive bash, TAB, then a key bound
# to record what readline left on the line.
bash_line()
{
    zsh -f -c '
        zmodload zsh/zpty || exit 1
        : >$2
        zpty b bash --norc --noprofile -i
        zpty -w b "source ${(q)1}; bind -x '"'"'\"\\C-x\": printf \"%s\\n\" \"\$READLINE_LINE\" >>${(q)2}'"'"'"
        zpty -w -n b "$3"$'"'"'\t\x18'"'"'
        for i in {1..200}; do [ -s $2 ] && break; sleep 0.05; done
        zpty -d b' zsh "$dir/voxbench.bash" "$work/bash.out" "$1"
    cat "$work/bash.out"
}
expect bash "voxbench mode Ni (readline)" 'voxbench mode Night\ Raid ' "$(bash_line 'voxbench mode Ni')"
expect bash 'voxbench mode "Sa (readline)' 'voxbench mode "Say \"Hi\" é" ' "$(bash_line 'voxbench mode "Sa')"
expect bash "voxbench mode 'Bo (readline)" "voxbench mode 'Bob'\\''s Mix' " "$(bash_line "voxbench mode 'Bo")"
expect bash "voxbench mode --tab=st (readline)" 'voxbench mode --tab=stereo ' "$(bash_line 'voxbench mode --tab=st')"

# zsh: the line typed into an interactive zsh with compinit; a stand-in compadd
# records every match offered, a key bound after TAB the line it left.
zsh_offers()
{
    zsh -f -c '
        zmodload zsh/zpty || exit 1
        out=$2
        : >$out
        zpty z zsh -f -i
        zpty -w z "PS1=; fpath=(${(q)1} \$fpath); autoload -Uz compinit; compinit -u -D"
        zpty -w z "compadd() { local -a m; builtin compadd -O m \"\$@\"; print -rl -- \$m >>${(q)out}; builtin compadd \"\$@\"; }"
        zpty -w z "dump() { print -r -- \"=\$BUFFER\" >>${(q)out}; BUFFER=; }; zle -N dump; bindkey ^X dump"
        zpty -w -n z "$3"$'"'"'\t\x18'"'"'
        for i in {1..200}; do grep -q "^=" $out && break; sleep 0.05; done
        zpty -d z' zsh "$work/zsh" "$work/zsh.out" "$1"
    grep -v '^$' "$work/zsh.out" | tr '\n' '|'
}
expect zsh "voxbench mode " 'next|previous|add|rename|delete|export|import|FPS|Say "Hi" é|Moba|Night Raid|Bob'"'"'s Mix|=voxbench mode |' \
    "$(zsh_offers 'voxbench mode ')"
expect zsh "voxbench mode Ni" 'Night Raid|=voxbench mode Night\ Raid |' "$(zsh_offers 'voxbench mode Ni')"
expect zsh 'voxbench mode "Night R' 'Night Raid|=voxbench mode "Night Raid" |' "$(zsh_offers 'voxbench mode "Night R')"
expect zsh "voxbench mode Bo" 'Bob'"'"'s Mix|=voxbench mode Bob\'"'"'s\ Mix |' "$(zsh_offers 'voxbench mode Bo')"
expect zsh "voxbench --tab stereo mode F" 'FPS|=voxbench --tab stereo mode FPS |' "$(zsh_offers 'voxbench --tab stereo mode F')"
expect zsh "voxbench mode --tab=st" 'stereo|=voxbench mode --tab=stereo |' "$(zsh_offers 'voxbench mode --tab=st')"
expect zsh "voxbench status --json --" '--no-start|=voxbench status --json --no-start |' \
    "$(zsh_offers 'voxbench status --json --')"
expect zsh "voxbench rule add game Ni" 'Night Raid|=voxbench rule add game Night\ Raid |' "$(zsh_offers 'voxbench rule add game Ni')"

# fish: its own completion of the line, each offer without its description.
fish_offers()
{
    fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$dir/voxbench.fish" "$1" | cut -f1 | tr '\n' '|'
}
expect fish "voxbench mode " 'add|Bob'"'"'s Mix|delete|export|FPS|import|Moba|next|Night Raid|previous|rename|Say "Hi" é|' \
    "$(fish_offers 'voxbench mode ')"
expect fish 'voxbench mode "Night R' 'Night Raid|' "$(fish_offers 'voxbench mode "Night R')"
expect fish "voxbench mode 'Bo" "Bob's Mix|" "$(fish_offers "voxbench mode 'Bo")"
expect fish "voxbench --tab stereo mode F" 'FPS|' "$(fish_offers 'voxbench --tab stereo mode F')"
expect fish "voxbench mode --tab=st" '--tab=stereo|' "$(fish_offers 'voxbench mode --tab=st')"
expect fish "voxbench mode --tab " 'stereo|surround|' "$(fish_offers 'voxbench mode --tab ')"
expect fish "voxbench mode delete " 'Bob'"'"'s Mix|Night Raid|Say "Hi" é|' "$(fish_offers 'voxbench mode delete ')"
expect fish "voxbench status --json --" '--no-start|' "$(fish_offers 'voxbench status --json --')"
expect fish "voxbench tab " 'stereo|surround|' "$(fish_offers 'voxbench tab ')"
expect fish "voxbench rule add game N" 'Night Raid|' "$(fish_offers 'voxbench rule add game N')"

if [ -e "$HOME/wrong-calls" ]; then
    echo "completion called voxbench other than with --no-start modes --json:"
    cat "$HOME/wrong-calls"
    failures=$((failures + 1))
fi
if [ "$failures" -ne 0 ]; then
    echo "completion: $failures failure(s)"
    exit 1
fi
echo "completion: bash, zsh and fish offer each name once, quoted as the line needs, values after --tab=, no option twice"
