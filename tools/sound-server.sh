#!/usr/bin/env bash
# Makes sure a PulseAudio server runs for this user with a null sink named varnelo_null, which the
# sound integration test plays into and records from. Starts a private daemon when none answers.
#
#   tools/sound-server.sh [start [STATE]]
#       Exit status 0 when the sink is there; 1 (with the reason on stderr) when no server can be
#       had. With STATE, writes there what this call added: the daemon it started, the sink module
#       it loaded into a server that was already running.
#   tools/sound-server.sh stop STATE
#       Undoes what STATE records and removes it; leaves alone a server this script did not start,
#       which others may be using.
set -uo pipefail

sink=varnelo_null

# The daemon's process id, from the pid file beside the socket of the server pactl talks to.
daemon_pid() {
    local socket
    socket=$(pactl info 2>/dev/null | sed -n 's/^Server String: \(unix:\)\{0,1\}//p')
    [ -n "$socket" ] && [ -f "$(dirname "$socket")/pid" ] || return 1
    tr -dc '0-9' <"$(dirname "$socket")/pid"
}

stop() {
    local state=$1 what value
    [ -f "$state" ] || return 0
    while read -r what value; do
        case "$what" in
        module)
            pactl unload-module "$value" >/dev/null 2>&1 || true
            ;;
        daemon)
            # Only the daemon recorded, and only while that process id is still a PulseAudio one.
            if [ "$(cat "/proc/$value/comm" 2>/dev/null)" = pulseaudio ]; then
                kill -TERM "$value" 2>/dev/null
                for _ in $(seq 50); do
                    [ -d "/proc/$value" ] || break
                    sleep 0.1
                done
            fi
            ;;
        esac
    done <"$state"
    rm -f "$state"
}

start() {
    local state=${1:-/dev/null} index pid
    : >"$state" || return 1
    if ! command -v pactl >/dev/null 2>&1 || ! command -v pulseaudio >/dev/null 2>&1; then
        echo "pulseaudio or pactl is not installed" >&2
        return 1
    fi

    if ! pactl info >/dev/null 2>&1; then
        # As root the daemon warns but runs; -n skips the desktop's default modules (no real card).
        if ! pulseaudio --start --exit-idle-time=-1 -n \
            --load=module-native-protocol-unix \
            --load="module-null-sink sink_name=$sink" >/dev/null 2>&1; then
            echo "the PulseAudio daemon could not be started" >&2
            return 1
        fi
        for _ in $(seq 50); do
            pactl info >/dev/null 2>&1 && break
            sleep 0.1
        done
        if pid=$(daemon_pid) && [ -n "$pid" ]; then
            echo "daemon $pid" >>"$state"
        fi
    fi

    if ! pactl info >/dev/null 2>&1; then
        echo "no PulseAudio server answers" >&2
        return 1
    fi
    if ! pactl list short sinks 2>/dev/null | grep -q "[[:space:]]${sink}[[:space:]]"; then
        if ! index=$(pactl load-module module-null-sink sink_name="$sink"); then
            echo "the null sink could not be loaded" >&2
            return 1
        fi
        echo "module $index" >>"$state"
    fi
    return 0
}

case "${1:-start}" in
start)
    start "${2:-}"
    ;;
stop)
    if [ $# -ne 2 ]; then
        echo "usage: $0 stop STATE" >&2
        exit 2
    fi
    stop "$2"
    ;;
*)
    echo "usage: $0 [start [STATE]] | stop STATE" >&2
    exit 2
    ;;
esac
