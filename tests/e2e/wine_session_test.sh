#!/usr/bin/env bash
# The Wine session starts and stops cleanly twice in a row, and leaves no process of its own behind.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_env=$here/../../tools/wine-env
session=$(mktemp -d "${TMPDIR:-/tmp}/wine-session-test.XXXXXX")
trap '"$wine_env" stop "$session" >/dev/null 2>&1 || true; rm -rf "$session"' EXIT

# Every process whose environment names this session's prefix, Wine's own services included.
processes_of_session() {
    grep -lsz "WINEPREFIX=$session/prefix" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true
}

for round in 1 2; do
    "$wine_env" start "$session" || { echo "round $round: the session did not start (exit $?)"; exit 1; }
    # Read, not sourced: this shell's children must not carry the session's prefix themselves.
    setting() { sed -n "s/^\(export \)\?$1=//p" "$session/session.env"; }
    XVFB_PID=$(setting XVFB_PID) WINESERVER_PID=$(setting WINESERVER_PID) DISPLAY=$(setting DISPLAY)
    kill -0 "$XVFB_PID" || { echo "round $round: Xvfb $XVFB_PID is not running"; exit 1; }
    kill -0 "$WINESERVER_PID" || { echo "round $round: wineserver $WINESERVER_PID is not running"; cat "$session/wineserver.log"; exit 1; }
    xdpyinfo -display "$DISPLAY" >/dev/null || { echo "round $round: display $DISPLAY does not answer"; exit 1; }
    WINEPREFIX=$session/prefix WINEDEBUG=-all wine cmd /c exit ||
        { echo "round $round: a program did not run in the session (exit $?)"; cat "$session/wineserver.log"; exit 1; }
    "$wine_env" stop "$session"
    for pid in "$XVFB_PID" "$WINESERVER_PID"; do
        if kill -0 "$pid" 2>/dev/null; then echo "round $round: process $pid still running"; exit 1; fi
    done
    for _ in $(seq 50); do [ -z "$(processes_of_session)" ] && break; sleep 0.1; done
    left=$(processes_of_session)
    if [ -n "$left" ]; then echo "round $round: left behind: $left"; exit 1; fi
    echo "ok: round $round started on $DISPLAY and stopped with nothing left behind"
done
