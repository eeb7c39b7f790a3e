#!/usr/bin/env python3
"""Every way the program ends: Esc in Editing, in Watching while both alarm clips sound, during a
flash, and with the modal usage window open; a right-button release over the check box while
clips sound and while the help window is open. Each ends with exit code 0, promptly once the
sound has stopped; the times are printed."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from reliability_support import RED, WHITE, Probe, Watch, digit_point, wait_growth  # noqa: E402
from desktop import Ticker, check, session_env  # noqa: E402
from quote_service_control import QuoteService  # noqa: E402

QUOTE = {"name": "浦发银行", "reference": "10.20", "price": "10.35"}
# Lower 11 and upper 10 put 10.35 at or below the one and at or above the other: both clips sound.
BOTH_ALARMS = ("11", "10")
NO_ALARM = ("1", "99")
END_LIMIT_S = 1.0


class Session:
    """One run of the program against its own quote service and sound sink."""

    def __init__(self, env, name):
        self.env, self.name = env, name
        self.sink = os.path.join(env["WINE_SESSION"], f"ends-{name}.wav")
        if os.path.exists(self.sink):
            os.remove(self.sink)

    def __enter__(self):
        self.service = QuoteService(script=[QUOTE], workdir=self.env["WINE_SESSION"])
        self.ticker = Ticker(self.env, {"http_proxy": self.service.proxy, "WINE_ALSA_SINK": self.sink})
        left, top, _, _ = self.ticker.wait_window(116, 70)
        self.watch = Watch(self.ticker, self.env, left, top)
        return self

    def __exit__(self, *exc):
        self.ticker.stop()
        self.ticker.log.close()
        self.service.stop()

    def watching(self, limits):
        self.watch.start("sh600000", *limits)
        check(self.watch.wait_price_colour(RED, 15), f"{self.name}: watching, the price is shown")

    def check_end(self, acted_at):
        """The program ends with 0 within the limit after the action and after the last sound."""
        code = self.ticker.wait_exit(15)
        ended = time.time()
        sound_stopped = max(acted_at, os.path.getmtime(self.sink)) if os.path.exists(self.sink) else acted_at
        print(f"{self.name}: exit code {code}, {ended - acted_at:.3f} s after the action, "
              f"{ended - sound_stopped:.3f} s after the last sound was written", flush=True)
        check(code == 0, f"{self.name}: the program ends with exit code 0")
        check(ended - sound_stopped <= END_LIMIT_S, f"{self.name}: it ends within {END_LIMIT_S} s of the sound stopping")

    def key(self, name):
        pressed = time.time()
        self.ticker.xdotool("key", name)
        return pressed

    def right_click_check_box(self):
        self.ticker.xdotool("mousemove", *self.watch.at(109, 6))
        pressed = time.time()
        self.ticker.xdotool("click", 3)
        return pressed


def esc_in_editing(env, probe):
    with Session(env, "esc_in_editing") as s:
        s.check_end(s.key("Escape"))


def esc_in_watching_while_clips_sound(env, probe):
    with Session(env, "esc_in_watching_while_clips_sound") as s:
        s.watching(BOTH_ALARMS)
        check(wait_growth(s.sink, 10), "esc_in_watching: the clips are sounding")
        s.check_end(s.key("Escape"))


def esc_during_a_flash(env, probe):
    with Session(env, "esc_during_a_flash") as s:
        s.watching(NO_ALARM)
        s.service.set_script([dict(QUOTE, price="10.45")])
        deadline = time.time() + 8
        while time.time() < deadline and s.watch.price_pixels(WHITE) <= 20:
            pass
        acted = s.key("Escape")
        check(acted < deadline, "esc_during_a_flash: Esc pressed while the price flashes white")
        s.check_end(acted)


def open_help(s, probe):
    x, y = digit_point(s.watch)
    s.watch.click(x, y, button=3)
    deadline = time.time() + 10
    while not s.ticker.windows(380, 250) and time.time() < deadline:
        time.sleep(0.2)
    check(s.ticker.windows(380, 250), f"{s.name}: a right click on the digits opens the help window")


def move_help_away(s, probe):
    """Under Wine with no window manager the help window covers the topmost ticker; dragging its
    title bar moves it out of the way."""
    help_x, help_y = probe.point("帮助")
    title_y = help_y - 125 + 12
    s.ticker.xdotool("mousemove", help_x, title_y, "mousedown", 1)
    s.ticker.xdotool("mousemove", help_x, title_y + 100)
    s.ticker.xdotool("mousemove", help_x, title_y + 260, "mouseup", 1)
    time.sleep(0.5)


def esc_with_the_usage_window_open(env, probe):
    with Session(env, "esc_with_the_usage_window_open") as s:
        s.watching(NO_ALARM)
        open_help(s, probe)
        s.ticker.xdotool("mousemove", *probe.point("使用操作"))
        s.ticker.xdotool("click", 1)
        deadline = time.time() + 10
        while not s.ticker.windows(380, 330) and time.time() < deadline:
            time.sleep(0.2)
        check(s.ticker.windows(380, 330), "the help window's 标签1 opens the modal usage window")
        s.key("Escape")
        time.sleep(1)
        check(not s.ticker.windows(380, 330) and s.ticker.windows(380, 250) and s.ticker.windows(116, 70)
              and s.ticker.process.poll() is None,
              "Esc with the usage window open closes only the usage window; the program runs on")
        move_help_away(s, probe)
        point = digit_point(s.watch)
        check(point is not None, "the ticker's digits show once the help window is moved away")
        s.watch.click(*point)  # the ticker is enabled again and takes the focus
        s.key("Escape")
        time.sleep(1)
        check(not s.ticker.windows(116, 70) and s.ticker.process.poll() is None,
              "Esc then closes the ticker window, and the open help window keeps the program running")
        s.ticker.xdotool("mousemove", *probe.point("帮助"))  # the middle of the help window, between its labels
        s.ticker.xdotool("click", 1)
        s.check_end(s.key("Escape"))


def right_release_while_clips_sound(env, probe):
    with Session(env, "right_release_while_clips_sound") as s:
        s.watching(BOTH_ALARMS)
        check(wait_growth(s.sink, 10), "right_release: the clips are sounding")
        s.check_end(s.right_click_check_box())


def right_release_with_the_help_window_open(env, probe):
    with Session(env, "right_release_with_the_help_window_open") as s:
        s.watching(BOTH_ALARMS)
        open_help(s, probe)
        move_help_away(s, probe)
        check(wait_growth(s.sink, 10), "right_release with help open: the clips are sounding")
        s.check_end(s.right_click_check_box())
        check(not s.ticker.windows(380, 250), "and the help window went with it")


def main():
    env = session_env()
    probe = Probe(env, sys.argv[1])
    for case in (esc_in_editing, esc_in_watching_while_clips_sound, esc_during_a_flash,
                 esc_with_the_usage_window_open, right_release_while_clips_sound,
                 right_release_with_the_help_window_open):
        case(env, probe)
    print("program ends end-to-end: passed")


if __name__ == "__main__":
    main()
