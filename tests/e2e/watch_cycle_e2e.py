#!/usr/bin/env python3
"""Watching a stock as a user does: the inputs typed with the real mouse and keyboard, Start,
refreshes every 3 s from the local quote service, red and green, the white flash, grey while no
quote can be made, a double click back to the inputs, and the prompt for an empty code."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from desktop import Ticker, check, near, session_env  # noqa: E402
from quote_service_control import QuoteService  # noqa: E402
from watch import CODE_BOX, GREEN, GREY, LOWER_BOX, RED, START_BUTTON, UPPER_BOX, WHITE, Watch  # noqa: E402



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

        watch.click(*CODE_BOX)  # empties all three boxes
        watch.click(*START_BUTTON)
        deadline = time.time() + 10
        while not message_window_shown(env, "提示") and time.time() < deadline:
            time.sleep(0.2)
        check(message_window_shown(env, "提示"), "Start with an empty code shows the 提示 message")
        ticker.xdotool("key", "Return")
        time.sleep(0.5)
        check(not message_window_shown(env, "提示"), "OK closes it")

        watch.start("sh600000", "9", "11")
        started = time.time()
        time.sleep(0.5)
        screen = watch.screen()
        check(all(watch.is_desktop_at(screen, x, y) for x, y in [CODE_BOX, LOWER_BOX, START_BUTTON, UPPER_BOX]),
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

        time.sleep(1.5)  # past the flash
        grip = watch.digit_point()
        watch.click(grip[0] - left, grip[1] - top, repeat=2)
        time.sleep(0.5)
        screen = watch.screen()
        check(not watch.is_desktop_at(screen, *CODE_BOX) and not watch.is_desktop_at(screen, *START_BUTTON),
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
