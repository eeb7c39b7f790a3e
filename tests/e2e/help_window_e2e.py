#!/usr/bin/env python3
"""The help window reached from the ticker: a right click on the digits opens one help window,
however often; Esc in the ticker closes only the ticker, and the program ends when the help
window closes too; its 使用操作 label opens the modal usage window, which leaves the ticker deaf to
the mouse and to Esc until it closes; a right-button release over the alarm box ends the program
at once, the help window open or not."""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from desktop import Ticker, check, session_env  # noqa: E402
from watch import Watch  # noqa: E402

HELP, USAGE = (380, 250), (380, 330)


def open_help(ticker, grip, times):
    for _ in range(times):
        ticker.xdotool("mousemove", *grip)
        ticker.xdotool("click", 3)
        time.sleep(0.7)
    return ticker.wait_window(*HELP)


def client_point(window, x, y):
    """A point of a framed window's client area: Wine draws a 3-pixel fixed frame and a caption."""
    left, top, _, _ = window
    return left + 3 + x, top + 3 + 18 + y


def press_key_in(ticker, point, key):
    ticker.xdotool("mousemove", *point)
    ticker.xdotool("click", 1)
    ticker.xdotool("key", key)


def test_one_help_window_and_esc_in_the_ticker(env):
    with Ticker(env) as ticker:
        watch = Watch(ticker, env, *ticker.wait_window(116, 70)[:2])
        grip = watch.digit_point()  # found while nothing lies under the ticker but the desktop
        help_window = open_help(ticker, grip, 2)
        check(len(ticker.windows(*HELP)) == 1, "two right clicks on the digits open one help window")
        check(ticker.stacking() == [(116, 70), HELP], "the active help window stays below the topmost ticker")

        ticker.xdotool("mousemove", *grip)
        ticker.xdotool("click", 1)  # a press without a move activates the ticker and leaves it in place
        time.sleep(0.5)
        ticker.xdotool("key", "Escape")
        time.sleep(1)
        check(ticker.windows(116, 70) == [] and ticker.wait_exit(1) is None,
              "Esc in the ticker closes it while the help window keeps the program running")

        press_key_in(ticker, client_point(help_window, 190, 200), "Escape")
        code = ticker.wait_exit(10)
        check(code == 0, f"closing the help window then ends the program with exit code 0 (got {code})")


def test_modal_usage_window_then_check_box_release(env):
    with Ticker(env) as ticker:
        watch = Watch(ticker, env, *ticker.wait_window(116, 70)[:2])
        grip = watch.digit_point()
        help_window = open_help(ticker, grip, 1)
        ticker.xdotool("mousemove", *client_point(help_window, 67, 105))  # 标签1, 使用操作
        ticker.xdotool("click", 1)
        ticker.wait_window(*USAGE)
        check(ticker.stacking() == [(116, 70), USAGE, HELP], "使用操作 opens the usage window, below the ticker")

        ticker.xdotool("mousemove", *grip)
        ticker.xdotool("mousedown", 1)
        ticker.xdotool("mousemove", grip[0] + 30, grip[1] + 30)
        ticker.xdotool("mouseup", 1)
        time.sleep(0.5)
        check(ticker.windows(116, 70) == [(watch.left, watch.top, 116, 70)],
              "with the usage window open, the ticker stays on top but cannot be dragged")
        ticker.xdotool("key", "Escape")
        time.sleep(1)
        check(ticker.windows(116, 70) != [] and ticker.windows(*USAGE) == [],
              "and Esc goes to the usage window, which closes, not to the ticker")
        check(len(ticker.windows(*HELP)) == 1, "the help window stays open")

        ticker.xdotool("mousemove", *watch.at(110, 7))
        ticker.xdotool("click", 3)
        code = ticker.wait_exit(10)
        check(code == 0, f"a right-button release over the alarm box ends the program with the help window open (got {code})")


def main():
    env = session_env()
    test_one_help_window_and_esc_in_the_ticker(env)
    test_modal_usage_window_then_check_box_release(env)
    print("help window end-to-end: passed")


if __name__ == "__main__":
    main()
