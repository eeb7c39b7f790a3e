#!/usr/bin/env python3
"""The ticker window as a user meets it: see-through background, digits, drag, Esc, and the
right-button release over the check box."""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from desktop import DESKTOP, KEY_COLOUR, SOURCE_DIR, Screen, Ticker, check, near, session_env  # noqa: E402

WIDTH, HEIGHT = 116, 70


def is_dark(p):
    return max(p) < 80


def test_looks_and_drags(env):
    with Ticker(env) as ticker:
        left, top, _, _ = ticker.wait_window(WIDTH, HEIGHT)
        check((left, top) == (342, 265), f"opens centred on 800x600 at (342, 265), found ({left}, {top})")
        screen = Screen(env)
        screen.save(os.path.join(env["WINE_SESSION"], "ticker-editing.png"), env,
                    crop=(left - 10, top - 10, left + WIDTH + 10, top + HEIGHT + 10))
        key_coloured = screen.count((left, top, left + WIDTH, top + HEIGHT), lambda p: near(p, KEY_COLOUR, 0))
        check(key_coloured == 0, f"no key-coloured pixel is drawn ({key_coloured} found)")
        gap = screen.pixel(left + 30, top + 27)  # between the price and the code box
        check(near(gap, DESKTOP, 2), f"the desktop shows through the background, pixel {gap}")
        price_area = (left + 2, top + 4, left + 66, top + 24)
        digits = screen.count(price_area, is_dark)
        check(digits > 40, f"the price digits 00.00 are drawn ({digits} dark pixels)")
        fringe = screen.count(price_area, lambda p: not is_dark(p) and not near(p, DESKTOP, 2))
        check(fringe == 0, f"the digits have no fringe of blended pixels ({fringe} found)")

        grip = screen.find(price_area, is_dark)
        ticker.xdotool("mousemove", grip[0], grip[1])
        ticker.xdotool("mousedown", 1)
        for step in range(1, 11):
            ticker.xdotool("mousemove", grip[0] + 4 * step, grip[1] + 3 * step)
        ticker.xdotool("mouseup", 1)
        moved = ticker.wait_window(WIDTH, HEIGHT)
        check(moved[:2] == (left + 40, top + 30), f"dragging a digit by (40, 30) moves the window to {moved[:2]}")

        ticker.xdotool("mousemove", 5, 5)
        ticker.xdotool("key", "Escape")
        code = ticker.wait_exit(10)
        check(code == 0, f"Esc closes the ticker and the program ends with exit code 0 (got {code})")


def test_right_release_over_check_box_ends(env):
    with Ticker(env) as ticker:
        left, top, _, _ = ticker.wait_window(WIDTH, HEIGHT)
        ticker.xdotool("mousemove", left + 110, top + 7)
        ticker.xdotool("mousedown", 3)
        check(ticker.wait_exit(1.5) is None, "pressing the right button over the check box does nothing")
        ticker.xdotool("mouseup", 3)
        code = ticker.wait_exit(10)
        check(code == 0, f"releasing it ends the program with exit code 0 (got {code})")


def test_place_on_another_screen_size():
    session = tempfile.mkdtemp(prefix="wine-1024-", dir=os.path.dirname(os.environ["WINE_SESSION"]))
    wine_env = os.path.join(SOURCE_DIR, "tools", "wine-env")
    # The shared session's prefix, copied: the program and its settings are the same, only the screen differs.
    subprocess.run(["cp", "-a", os.path.join(os.environ["WINE_SESSION"], "prefix"), os.path.join(session, "prefix")],
                   check=True)
    subprocess.run([wine_env, "start", session, "1024x768"], check=True)
    try:
        env = session_env(session)
        with Ticker(env) as ticker:
            left, top, _, _ = ticker.wait_window(WIDTH, HEIGHT)
            check((left, top) == (454, 349), f"opens centred on 1024x768 at (454, 349), found ({left}, {top})")
    finally:
        subprocess.run([wine_env, "stop", session], check=False)
        subprocess.run(["rm", "-rf", session], check=False)


def main():
    env = session_env()
    test_looks_and_drags(env)
    test_right_release_over_check_box_ends(env)
    test_place_on_another_screen_size()
    print("ticker window end-to-end: passed")


if __name__ == "__main__":
    main()
