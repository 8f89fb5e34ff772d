#!/usr/bin/env bash
# Runs a command as a user's session would: on a display and with the sound server. Without a
# DISPLAY it starts a private Xvfb for the command and ends it afterwards; the PulseAudio null
# sink comes from tools/sound-server.sh. The command's exit status is the script's.
# Usage: tools/xvfb-run-bench.sh COMMAND [ARGS...]
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# What this run adds to the sound server (a daemon, a sink) is undone when it ends.
sound_state="$(mktemp)"
if ! bash "$here/sound-server.sh" start "$sound_state"; then
    echo "[bench] no sound server: the recitation benchmarks will be skipped" >&2
fi

xvfb_pid=""
cleanup() {
    bash "$here/sound-server.sh" stop "$sound_state"
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    if ! command -v Xvfb >/dev/null 2>&1; then
        echo "[bench] Xvfb is not installed (make deps): the recitation benchmarks need a display" >&2
    else
        # Xvfb picks a free display number and writes it once it accepts connections.
        fifo="$(mktemp -u)"
        mkfifo "$fifo"
        Xvfb -displayfd 3 -screen 0 1366x900x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
        xvfb_pid=$!
        display=""
        read -r -t 10 display <"$fifo"
        rm -f "$fifo"
        if [ -n "$display" ]; then
            export DISPLAY=":$display"
        else
            echo "[bench] Xvfb did not start" >&2
        fi
    fi
fi

"$@"
