#!/usr/bin/env python3
"""The alarm as a user hears it: with the price at or above the upper warning price, the
high-limit clip sounds at every refresh; unchecking the alarm box stops new sound from the next
refresh on. Every stream the program opens is recorded to a WAV file of its own."""

import glob
import os
import sys
import tempfile
import time
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from desktop import SOURCE_DIR, Ticker, check, session_env  # noqa: E402
from quote_service_control import QuoteService  # noqa: E402
from watch import Watch  # noqa: E402


def recording_home(workdir):
    """A HOME whose ALSA default device writes each stream to sink/stream.wav, .0001, ..."""
    home = tempfile.mkdtemp(prefix="alarm-home-", dir=workdir)
    sink = os.path.join(home, "sink")
    os.mkdir(sink)
    with open(os.path.join(home, ".asoundrc"), "w") as f:
        f.write('pcm.!default { type file; slave.pcm "null"; file "%s/stream.wav"; truncate false; format "wav" }\n' % sink)
    return home, sink


def streams(sink):
    return sorted(glob.glob(os.path.join(sink, "stream.wav*")))


def clip_samples(name):
    with wave.open(os.path.join(SOURCE_DIR, "assets", name)) as w:
        return w.getframerate(), w.readframes(w.getnframes())


def heard(data):
    """The recording without the silence the audio system pads a stream with."""
    return data.strip(b"\0")


def wait_requests(service, count, seconds=20):
    deadline = time.time() + seconds
    while len(service.requests()) < count and time.time() < deadline:
        time.sleep(0.1)
    return len(service.requests())


def main():
    env = session_env()
    home, sink = recording_home(env["WINE_SESSION"])
    rate, high_limit = clip_samples("high_limit.wav")
    with QuoteService(script=[{"reference": "10.20", "price": "11.50"}], workdir=env["WINE_SESSION"]) as service, \
            Ticker(env, {"http_proxy": service.proxy, "HOME": home}) as ticker:
        watch = Watch(ticker, env, *ticker.wait_window(116, 70)[:2])
        watch.start("sh600000", "9", "11")

        refreshes = wait_requests(service, 3)
        time.sleep(2)  # the third refresh's flash and alarm step
        opened = streams(sink)
        print(f"{refreshes} refreshes, {len(opened)} streams opened", flush=True)
        check(len(opened) == refreshes, "a new high-limit playback starts at every refresh")
        with wave.open(opened[0]) as first:
            check(first.getframerate() == rate, f"it is the high-limit clip's rate, {rate} Hz")
        with open(opened[0], "rb") as f:
            recording = heard(f.read()[44:])
        check(recording[:65536] == heard(high_limit)[:65536], "what reaches the device is the clip's sound")

        watch.click(110, 7)  # the alarm box
        unchecked_at = len(service.requests())
        wait_requests(service, unchecked_at + 3)
        time.sleep(1)
        after = streams(sink)
        check(len(after) <= len(opened) + 1,
              f"unchecking the box stops new sound from the next refresh on ({len(after) - len(opened)} more streams)")

        ticker.xdotool("key", "Escape")
        check(ticker.wait_exit(10) == 0, "Esc ends the program with exit code 0")
    print("alarm sound end-to-end: passed")


if __name__ == "__main__":
    main()
