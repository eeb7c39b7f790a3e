"""What the reliability tests share: starting a watch with the real mouse and keyboard, waiting
for the price label's colour, and the Windows probe that looks at the ticker from outside."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from desktop import WINE_RUN, Screen, near  # noqa: E402

RED, GREEN, WHITE, GREY = (255, 0, 0), (0, 255, 0), (255, 255, 255), (128, 128, 128)


class Watch:
    def __init__(self, ticker, env, left, top):
        self.ticker, self.env, self.left, self.top = ticker, env, left, top

    def at(self, x, y):
        return self.left + x, self.top + y

    def click(self, x, y, button=1):
        self.ticker.xdotool("mousemove", *self.at(x, y))
        self.ticker.xdotool("click", button)
        self.ticker.xdotool("mousemove", 5, 5)

    def type_into(self, x, y, text):
        self.ticker.xdotool("mousemove", *self.at(x, y))
        self.ticker.xdotool("click", 1)
        self.ticker.xdotool("type", "--delay", 40, text)

    def start(self, code, lower, upper):
        """Types the three inputs and presses Start."""
        self.type_into(28, 39, code)
        self.type_into(28, 59, lower)
        self.type_into(87, 59, upper)
        self.click(87, 39)

    def price_pixels(self, colour, screen=None):
        screen = screen or Screen(self.env)
        rect = (self.left + 2, self.top + 4, self.left + 66, self.top + 24)
        return screen.count(rect, lambda p: near(p, colour, 0))

    def wait_price_colour(self, colour, seconds=10):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if self.price_pixels(colour) > 20:
                return True
            time.sleep(0.2)
        return False


def wait_requests_since(service, since, count, seconds):
    """The quote requests that reached the service after `since`, once there are `count` of them."""
    deadline = time.time() + seconds
    while True:
        requests = [r for r in service.requests() if r["time"] >= since]
        if len(requests) >= count or time.time() > deadline:
            return requests
        time.sleep(0.2)


class Probe:
    """tests/win32/process_probe.cpp, run in the session."""

    def __init__(self, env, exe):
        self.env, self.exe = env, exe

    def counts(self):
        out = subprocess.run([WINE_RUN, self.exe, "counts"], env=self.env, capture_output=True, text=True,
                             timeout=60).stdout
        fields = dict(item.split("=", 1) for item in out.split() if "=" in item)
        if "error" in fields:
            raise AssertionError("process_probe: " + out.strip())
        return {name: int(value) for name, value in fields.items()}

    def point(self, text):
        """The screen point at the centre of the window or control showing `text`, or None."""
        out = subprocess.run([WINE_RUN, self.exe, "point", text], env=self.env, capture_output=True, text=True,
                             timeout=60).stdout
        fields = dict(item.split("=", 1) for item in out.split() if "=" in item)
        return (int(fields["x"]), int(fields["y"])) if "x" in fields else None

    def start_latency(self, seconds, log_path):
        """A probe that keeps sending the window a harmless message until it goes away; stopped by
        its PID with stop_latency if it outlives the test."""
        self.latency_log = open(log_path, "w")
        self.latency = subprocess.Popen([WINE_RUN, self.exe, "latency", str(seconds)], env=self.env,
                                        stdin=subprocess.DEVNULL, stdout=self.latency_log,
                                        stderr=subprocess.DEVNULL, start_new_session=True)

    def stop_latency(self, seconds=15):
        """Waits for the probe to see the window go; returns its lines."""
        try:
            self.latency.wait(seconds)
        except subprocess.TimeoutExpired:
            os.killpg(self.latency.pid, 15)
            self.latency.wait()
        self.latency_log.close()
        with open(self.latency_log.name) as f:
            return [line.strip() for line in f if line.strip()]


def digit_point(watch, colours=(RED, GREY, (0, 255, 0))):
    """A window point on a drawn digit of the price: the key colour elsewhere lets clicks through."""
    screen = Screen(watch.env)
    rect = (watch.left + 2, watch.top + 4, watch.left + 66, watch.top + 24)
    for colour in colours:
        found = screen.find(rect, lambda p: near(p, colour, 0))
        if found:
            return found[0] - watch.left, found[1] - watch.top
    return None


def wait_growth(path, seconds):
    """True once the file exists and grows: a clip is being written into the sound sink."""
    deadline = time.time() + seconds
    size = os.path.getsize(path) if os.path.exists(path) else 0
    while time.time() < deadline:
        now = os.path.getsize(path) if os.path.exists(path) else 0
        if now > size:
            return True
        size = now
        time.sleep(0.02)
    return False
