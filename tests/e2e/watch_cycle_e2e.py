#!/usr/bin/env python3
"""Watching a stock as a user does: the inputs typed with the real mouse and keyboard, Start,
refreshes every 3 s from the local quote service, red and green, the white flash, grey while no
quote can be made, a double click back to the inputs, and the prompt for an empty code."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from desktop import DESKTOP, Screen, Ticker, check, near, session_env  # noqa: E402
from quote_service_control import QuoteService  # noqa: E402

RED, GREEN, WHITE, GREY = (255, 0, 0), (0, 255, 0), (255, 255, 255), (128, 128, 128)


class Watch:
    def __init__(self, ticker, env, left, top):
        self.ticker, self.env, self.left, self.top = ticker, env, left, top

    def at(self, x, y):
        return self.left + x, self.top + y

    def click(self, x, y, button=1, repeat=1):
        self.ticker.xdotool("mousemove", *self.at(x, y))
        self.ticker.xdotool("click", "--repeat", repeat, "--delay", 60, button)
        self.ticker.xdotool("mousemove", 5, 5)

    def type_into(self, x, y, text):
        self.ticker.xdotool("mousemove", *self.at(x, y))
        self.ticker.xdotool("click", 1)
        self.ticker.xdotool("type", "--delay", 40, text)

    def screen(self):
        return Screen(self.env)

    def price_pixels(self, screen, colour):
        rect = (self.left + 2, self.top + 4, self.left + 66, self.top + 24)
        return screen.count(rect, lambda p: near(p, colour, 0))

    def wait_price_colour(self, colour, seconds=10):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if self.price_pixels(self.screen(), colour) > 20:
                return True
            time.sleep(0.2)
        return False

    def is_desktop_at(self, screen, x, y):
        return near(screen.pixel(*self.at(x, y)), DESKTOP, 2)


def message_window_shown(env, title):
    out = subprocess.run(["xwininfo", "-root", "-tree"], env=env, capture_output=True).stdout.decode("utf-8", "replace")
    return f'"{title}"' in out


def wait_requests(service, count, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        requests = service.requests()
        if len(requests) >= count:
            return requests
        time.sleep(0.2)
    return service.requests()


def main():
    env = session_env()
    quote = {"name": "浦发银行", "reference": "10.20", "price": "10.35"}
    with QuoteService(script=[quote], workdir=env["WINE_SESSION"]) as service, \
            Ticker(env, {"http_proxy": service.proxy}) as ticker:
        left, top, _, _ = ticker.wait_window(116, 70)
        watch = Watch(ticker, env, left, top)

        watch.click(28, 39)  # the code box: empties all three boxes
        watch.click(87, 39)  # Start
        deadline = time.time() + 10
        while not message_window_shown(env, "提示") and time.time() < deadline:
            time.sleep(0.2)
        check(message_window_shown(env, "提示"), "Start with an empty code shows the 提示 message")
        ticker.xdotool("key", "Return")
        time.sleep(0.5)
        check(not message_window_shown(env, "提示"), "OK closes it")

        watch.type_into(28, 39, "sh600000")
        watch.type_into(28, 59, "9")
        watch.type_into(87, 59, "11")
        watch.click(87, 39)
        started = time.time()
        time.sleep(0.5)
        screen = watch.screen()
        check(all(watch.is_desktop_at(screen, x, y) for x, y in [(28, 39), (28, 59), (87, 39), (87, 59)]),
              "Start hides the inputs and the desktop shows where they were")

        check(watch.wait_price_colour(RED), "a price above the reference is red")
        requests = wait_requests(service, 4, 15)
        check(requests and requests[0]["code"] == "sh600000", "the service is asked for the typed code")
        times = [r["time"] for r in requests]
        spacing = [round(b - a, 2) for a, b in zip(times, times[1:])]
        print(f"first request {times[0] - started:.2f} s after Start; spacing {spacing} s", flush=True)
        check(all(2.5 < s < 5 for s in spacing), "a request about every 3 s")

        service.set_script([dict(quote, price="10.40")])
        flashed = False
        deadline = time.time() + 8
        while time.time() < deadline and not flashed:
            flashed = watch.price_pixels(watch.screen(), WHITE) > 20
        check(flashed, "a changed price flashes white")

        service.set_script([dict(quote, price="10.00")])
        check(watch.wait_price_colour(GREEN), "a price below the reference is green")

        service.set_script([{"fields": ["浦发银行", "10.00", "10.20"]}])
        check(watch.wait_price_colour(GREY), "a reply with fewer than four fields turns the numbers grey")
        service.set_script([dict(quote, price="10.50")])
        check(watch.wait_price_colour(RED), "the next good quote brings the colour back")

        grip = watch.screen().find((left + 2, top + 4, left + 66, top + 24), lambda p: near(p, RED, 0))
        time.sleep(1.5)  # past the flash
        watch.click(grip[0] - left, grip[1] - top, repeat=2)
        time.sleep(0.5)
        screen = watch.screen()
        check(not watch.is_desktop_at(screen, 28, 39) and not watch.is_desktop_at(screen, 87, 39),
              "a double click on the digits brings the inputs back")
        typed = screen.count((left + 2, top + 50, left + 55, top + 68), lambda p: near(p, (0, 128, 0), 60))
        check(typed > 5, "the lower box still shows its typed text")
        before = len(service.requests())
        time.sleep(4)
        after = len(service.requests())
        check(after - before <= 1, f"and the requests stop ({after - before} after the double click)")

        ticker.xdotool("mousemove", 5, 5)
        ticker.xdotool("key", "Escape")
        check(ticker.wait_exit(10) == 0, "Esc ends the program with exit code 0")
    print("watch cycle end-to-end: passed")


if __name__ == "__main__":
    main()
