"""Drives the real ticker.exe in the Wine session's virtual display, with real mouse and keyboard
input (xdotool) and screenshots of the whole screen (ImageMagick)."""

import os
import re
import signal
import subprocess
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.environ.get("TICKER_SOURCE_DIR", os.path.normpath(os.path.join(HERE, "..")))
WINE_RUN = os.path.join(SOURCE_DIR, "tools", "wine-run")
KEY_COLOUR = (255, 23, 100)
DESKTOP = (0x3A, 0x6E, 0xA5)


def session_env(session=None):
    """The environment of the Wine session that tools/wine-env started."""
    session = session or os.environ["WINE_SESSION"]
    env = dict(os.environ, WINE_SESSION=session)
    with open(os.path.join(session, "session.env")) as f:
        for line in f:
            m = re.match(r'(?:export )?(\w+)="?([^"\n]*)"?', line.strip())
            if m:
                env[m.group(1)] = m.group(2)
    return env


class Screen:
    """One screenshot of the root window, as RGB pixels."""

    def __init__(self, env):
        size = subprocess.run(["xdpyinfo"], env=env, capture_output=True, text=True, check=True).stdout
        self.width, self.height = map(int, re.search(r"dimensions:\s+(\d+)x(\d+)", size).groups())
        self.pixels = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                                     env=env, capture_output=True, check=True).stdout

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def count(self, rect, predicate):
        left, top, right, bottom = rect
        return sum(1 for y in range(top, bottom) for x in range(left, right) if predicate(self.pixel(x, y)))

    def find(self, rect, predicate):
        left, top, right, bottom = rect
        for y in range(top, bottom):
            for x in range(left, right):
                if predicate(self.pixel(x, y)):
                    return x, y
        return None

    def save(self, path, env, crop=None):
        args = ["convert", "-size", f"{self.width}x{self.height}", "-depth", "8", "rgb:-"]
        if crop:
            left, top, right, bottom = crop
            args += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
        subprocess.run(args + [path], input=self.pixels, env=env, check=True)


def paint_desktop(env):
    """Wine's desktop process paints the root window black whenever it starts, which is with the
    first program of a session; a blue desktop tells see-through pixels from dark ones."""
    subprocess.run(["xsetroot", "-solid", "#%02x%02x%02x" % DESKTOP], env=env, check=True)


def near(colour, target, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, target))


class Ticker:
    """The real program, started in the session and stopped by its PID however the test ends."""

    def __init__(self, env, extra_env=None):
        self.env = dict(env, **(extra_env or {}))
        self.log = open(os.path.join(env["WINE_SESSION"], "ticker-e2e.log"), "ab")
        self.process = subprocess.Popen([WINE_RUN, os.environ["TICKER_EXE"]], env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log,
                                        start_new_session=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
        self.log.close()

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()

    def wait_exit(self, seconds):
        """The exit code, or None when the program is still running after `seconds`."""
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            return None

    def windows(self, width=None, height=None):
        """(left, top, width, height) of the program's visible top-level X windows."""
        out = subprocess.run(["xwininfo", "-root", "-children"], env=self.env, capture_output=True, text=True).stdout
        found = []
        for m in re.finditer(r'\("ticker\.exe" "ticker\.exe"\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)', out):
            w, h, x, y = map(int, m.groups())
            if (width is None or w == width) and (height is None or h == height):
                found.append((x, y, w, h))
        return found

    def stacking(self):
        """The sizes of the program's visible windows, topmost first as the X server stacks them."""
        return [(w, h) for _, _, w, h in self.windows() if w > 1 and h > 1]

    def wait_window(self, width, height, seconds=20):
        deadline = time.time() + seconds
        while time.time() < deadline:
            found = self.windows(width, height)
            if found:
                paint_desktop(self.env)
                time.sleep(0.5)  # let it paint
                return found[0]
            if self.process.poll() is not None:
                raise AssertionError(f"ticker.exe ended with {self.process.returncode} before its window showed")
            time.sleep(0.1)
        raise AssertionError(f"no {width}x{height} window of ticker.exe within {seconds} s")

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True)


def check(condition, message):
    if not condition:
        raise AssertionError(message)
    print("ok:", message, flush=True)
