#!/usr/bin/env bash
# Makes sure a PulseAudio server runs for this user with a null sink named varnelo_null, which the
# sound integration test plays into and records from. Starts a private daemon when none answers.
# Exit status 0 when the sink is there; 1 (with the reason on stderr) when no server can be had.
set -uo pipefail

sink=varnelo_null

if ! command -v pactl >/dev/null 2>&1 || ! command -v pulseaudio >/dev/null 2>&1; then
    echo "pulseaudio or pactl is not installed" >&2
    exit 1
fi

if ! pactl info >/dev/null 2>&1; then
    # As root the daemon warns but runs; -n skips the desktop's default modules (no real card).
    if ! pulseaudio --start --exit-idle-time=-1 -n \
        --load=module-native-protocol-unix \
        --load="module-null-sink sink_name=$sink" >/dev/null 2>&1; then
        echo "the PulseAudio daemon could not be started" >&2
        exit 1
    fi
    for _ in $(seq 50); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
fi

if ! pactl info >/dev/null 2>&1; then
    echo "no PulseAudio server answers" >&2
    exit 1
fi
if ! pactl list short sinks 2>/dev/null | grep -q "[[:space:]]$sink[[:space:]]"; then
    pactl load-module module-null-sink sink_name="$sink" >/dev/null || {
        echo "the null sink could not be loaded" >&2
        exit 1
    }
fi
exit 0
