"""The ticker window's places a user aims at, and the user's own steps: typing a stock code and
two warning prices, pressing Start, reading the price label's colour from the screen."""

import time

from desktop import DESKTOP, Screen, near

RED, GREEN, WHITE, GREY = (255, 0, 0), (0, 255, 0), (255, 255, 255), (128, 128, 128)
CODE_BOX, LOWER_BOX, START_BUTTON, UPPER_BOX = (28, 39), (28, 59), (87, 39), (87, 59)
PRICE_LABEL = (2, 4, 66, 24)


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
        rect = (self.left + PRICE_LABEL[0], self.top + PRICE_LABEL[1], self.left + PRICE_LABEL[2], self.top + PRICE_LABEL[3])
        return screen.count(rect, lambda p: near(p, colour, 0))

    def digit_point(self):
        """A pixel of the drawn price digits: the rest of the label lets the mouse through."""
        rect = (self.left + PRICE_LABEL[0], self.top + PRICE_LABEL[1], self.left + PRICE_LABEL[2], self.top + PRICE_LABEL[3])
        found = self.screen().find(rect, lambda p: not near(p, DESKTOP, 2))
        if found is None:
            raise AssertionError("no digit of the price is drawn")
        return found

    def wait_price_colour(self, colour, seconds=10):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if self.price_pixels(self.screen(), colour) > 20:
                return True
            time.sleep(0.2)
        return False

    def is_desktop_at(self, screen, x, y):
        return near(screen.pixel(*self.at(x, y)), DESKTOP, 2)

    def start(self, code, lower, upper):
        """Types the inputs as a user does (a click in the code box empties all three) and presses Start."""
        self.type_into(*CODE_BOX, code)
        self.type_into(*LOWER_BOX, lower)
        self.type_into(*UPPER_BOX, upper)
        self.click(*START_BUTTON)
