#!/usr/bin/env python3
"""Runs the ticker in the Wine session's virtual display and saves a screenshot of it.
With --demo it types a stock code and two warning prices, presses Start and waits for the
local quote service's prices to show (http_proxy must point at tools/quote_service.py)."""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Screen, Ticker, session_env  # noqa: E402
from watch import Watch  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--demo", action="store_true")
    parser.add_argument("--code", default="sh600000")
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    env = session_env()
    with Ticker(env) as ticker:
        left, top, width, height = ticker.wait_window(116, 70)
        if args.demo:
            Watch(ticker, env, left, top).start(args.code, "1", "100000")
            time.sleep(8)  # two refreshes and their flashes
        margin = 40
        Screen(env).save(args.out, env, crop=(left - margin, top - margin, left + width + margin, top + height + margin))


if __name__ == "__main__":
    main()
