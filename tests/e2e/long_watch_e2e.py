#!/usr/bin/env python3
"""A long watch: many refreshes of a wandering quote with both alarm clips sounding at every one
of them into a file sink. The program's handles, GDI and USER objects and memory are read at the
start and at the end, and must stay flat.

    long_watch_e2e.py PROBE_EXE FAST_TICKER_EXE [REFRESHES]

FAST_TICKER_EXE is the program built with a short refresh period."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from reliability_support import RED, Probe, Watch, wait_requests_since  # noqa: E402
from desktop import Ticker, check, session_env  # noqa: E402
from quote_service_control import QuoteService  # noqa: E402

# Longer than the longest clip lasts, so that the playbacks started at each refresh have reached
# their steady number before the first reading.
WARM_UP_REFRESHES = 120
# The price moves one tick every this many refreshes: it wanders, yet most refreshes do not flash.
STEADY_REFRESHES = 60
# Lower 11 and upper 10 hold every price of the walk: both clips sound at every refresh.
LIMITS = ("11", "10")
# How far the median of the later readings may lie above that of the earlier ones: far below what
# a leak of one object per ten refreshes would add over the run.
HANDLE_SLACK = 30
GUI_SLACK = 10
MEMORY_SLACK_BYTES = 12 * 1024 * 1024
READING_INTERVAL_S = 5
SERIES_KEYS = ("refreshes", "table_handles", "fds", "RssAnon_kib", "VmRSS_kib")


def wandering_quotes(count):
    steps = []
    for i in range(count):
        cents = 35 + (i // STEADY_REFRESHES) % 20  # 10.35 up to 10.54, then back to 10.35
        steps.append({"name": "浦发银行", "reference": "10.20", "price": "10.%02d" % cents})
    return steps


def linux_memory(env, exe_name):
    """VmRSS and RssAnon in KiB of the Linux process that runs the exe in this session's prefix."""
    prefix = ("WINEPREFIX=" + env["WINEPREFIX"]).encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmdline = f.read()
            with open(f"/proc/{pid}/environ", "rb") as f:
                environ = f.read().split(b"\0")
            if exe_name.encode() not in cmdline or prefix not in environ or b"wine-run" in cmdline:
                continue
            with open(f"/proc/{pid}/status") as f:
                status = dict(line.split(":", 1) for line in f if ":" in line)
            return {"VmRSS_kib": int(status["VmRSS"].split()[0]), "RssAnon_kib": int(status["RssAnon"].split()[0]),
                    "fds": len(os.listdir(f"/proc/{pid}/fd"))}
        except (OSError, KeyError, ValueError):
            continue
    return {}


def reading(probe, env, exe_name, service):
    figures = probe.counts()
    figures.update(linux_memory(env, exe_name))
    figures["refreshes"] = len(service.requests())
    return figures


def median(values):
    ordered = sorted(values)
    return ordered[len(ordered) // 2]


def check_flat(series):
    """The figures swing with the number of clips sounding at the moment of a reading (each plays
    longer than many refreshes last), so the medians of the first and the second half of the
    readings are compared: a leak of even one object in ten refreshes would lift the second.
    Wine answers GetProcessHandleCount, GetGuiResources and PrivateUsage with 0 for every process;
    a figure that reads 0 throughout is reported as not available instead of checked."""
    limits = [("table_handles", HANDLE_SLACK, "handles in the system handle table"),
              ("handles", HANDLE_SLACK, "GetProcessHandleCount"),
              ("gdi", GUI_SLACK, "GDI objects"),
              ("user", GUI_SLACK, "USER objects"),
              ("private", MEMORY_SLACK_BYTES, "private memory (bytes)"),
              ("RssAnon_kib", MEMORY_SLACK_BYTES // 1024, "anonymous memory of the Linux process (KiB)"),
              ("fds", 2 * HANDLE_SLACK, "file descriptors of the Linux process")]
    half = len(series) // 2
    measured = 0
    for key, slack, what in limits:
        values = [reading.get(key, 0) for reading in series]
        if max(values) <= 0:
            print(f"not available here: {what} ({key} reads 0 throughout)", flush=True)
            continue
        measured += 1
        first, second = median(values[:half]), median(values[half:])
        check(second - first <= slack,
              f"{what} stay flat: median {first} in the first half of the readings, {second} in the second "
              f"(range {min(values)}..{max(values)})")
    check(measured >= 3, f"{measured} resource figures could be read and compared")


def main():
    probe_exe, fast_exe = sys.argv[1], sys.argv[2]
    refreshes = int(sys.argv[3]) if len(sys.argv) > 3 else 1200
    os.environ["TICKER_EXE"] = fast_exe
    exe_name = os.path.basename(fast_exe)
    env = session_env()
    probe = Probe(env, probe_exe)
    sink = os.path.join(env["WINE_SESSION"], "long-watch.wav")
    if os.path.exists(sink):
        os.remove(sink)
    steps = wandering_quotes(WARM_UP_REFRESHES + refreshes + 100)
    with QuoteService(script=steps, workdir=env["WINE_SESSION"]) as service, \
            Ticker(env, {"http_proxy": service.proxy, "WINE_ALSA_SINK": sink}) as ticker:
        left, top, _, _ = ticker.wait_window(116, 70)
        watch = Watch(ticker, env, left, top)
        begun = time.time()
        watch.start("sh600000", *LIMITS)
        check(watch.wait_price_colour(RED, 15), "watching: the price is shown")
        wait_requests_since(service, 0, WARM_UP_REFRESHES, 120)
        start = reading(probe, env, exe_name, service)
        print("start:", start, flush=True)
        target = start["refreshes"] + refreshes
        deadline = time.time() + refreshes * 2 + 120
        sink_sizes = []
        series = [start]
        while len(service.requests()) < target and time.time() < deadline:
            if ticker.process.poll() is not None:
                raise AssertionError(f"the program ended with {ticker.process.returncode} during the watch")
            sink_sizes.append(os.path.getsize(sink) if os.path.exists(sink) else 0)
            time.sleep(READING_INTERVAL_S)
            series.append(reading(probe, env, exe_name, service))
            print("  ", {k: series[-1].get(k) for k in SERIES_KEYS}, flush=True)
        end = series[-1]
        print("end:  ", end, flush=True)
        watched = end["refreshes"] - start["refreshes"]
        elapsed = time.time() - begun
        print(f"{watched} refreshes between the readings, {elapsed:.0f} s in all; "
              f"sound sink sizes seen: {sorted(set(sink_sizes))[:3]}...{max(sink_sizes or [0])} bytes", flush=True)
        check(watched >= refreshes, f"{refreshes} refreshes were watched")
        check(max(sink_sizes or [0]) > 0, "the clips were sounding into the sink")
        check(len(series) >= 6, f"{len(series)} readings were taken")
        check_flat(series)
        ticker.xdotool("mousemove", 5, 5)
        ticker.xdotool("key", "Escape")
        check(ticker.wait_exit(10) == 0, "Esc ends the program with exit code 0 after the long watch")
    if os.path.exists(sink):
        os.remove(sink)
    print("long watch end-to-end: passed")


if __name__ == "__main__":
    main()
