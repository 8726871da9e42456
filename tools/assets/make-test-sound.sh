#!/usr/bin/env bash
# Regenerates resources/audio/test.wav, the speaker-test sound: each channel's
# name spoken in its own channel of a 7.1 file, at the moment the test lights
# that speaker (1.0, 2.6, 4.5, 6.2, 8.1, 9.8 and 11.6 s; 13.9 s in all).
# WAV 7.1 channel order: FL FR FC LFE BL BR SL SR.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out="$root/resources/audio/test.wav"
work=$(mktemp -d "${TMPDIR:-/tmp}/voxbench-sound.XXXXXX")
trap 'rm -rf "$work"' EXIT

rate=16000
length=13.9

# channel number (1-based, WAV order), start second, words
cues=(
    "1 1.0 front left"
    "3 2.6 center"
    "2 4.5 front right"
    "8 6.2 right"
    "6 8.1 back right"
    "5 9.8 back left"
    "7 11.6 left"
)

# The low-frequency channel stays silent.
sox -n -r $rate -b 16 -c 1 "$work/ch4.wav" trim 0 $length

for cue in "${cues[@]}"; do
    read -r ch start words <<<"$cue"
    espeak-ng -v en-us -s 150 -a 180 -w "$work/voice.wav" "$words"
    # Cut the voice's leading silence, so the word starts on its cue.
    sox -V1 "$work/voice.wav" -r $rate -b 16 -c 1 "$work/ch$ch.wav" \
        silence 1 0.01 0.5% norm -3 pad "$start" $length trim 0 $length
done

sox -M "$work"/ch1.wav "$work"/ch2.wav "$work"/ch3.wav "$work"/ch4.wav \
    "$work"/ch5.wav "$work"/ch6.wav "$work"/ch7.wav "$work"/ch8.wav \
    -r $rate -b 16 "$out"
