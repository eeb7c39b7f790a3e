#!/usr/bin/env python3
"""A local quote service for tests and demos.

It answers quote requests the way the public real-time quote service does: a GBK text
    var hq_str_<code>="name,open,reference,price,high,low,...";
followed by a line break, a record of 33 fields. It answers both as the host itself
(GET /list=sh600000) and as an HTTP proxy (GET http://hq.sinajs.cn:80/list=sh600000), so a
program pointed at it through http_proxy reaches it without knowing.

    quote_service.py [--port N] [--port-file F] [--log F.jsonl]
                     (--script S.json | --demo | --unresponsive) [--max-seconds N] [--seed N]

--script serves a JSON list of steps in order, one per quote request, the last one repeated
forever. A step is an object; its keys combine:
    {"price": "10.35", "reference": "10.20", "name": "浦发银行", "open": .., "high": .., "low": ..,
     "date": "2024-05-10", "time": "10:30:00"}   a proper 33-field record for the requested code
    {"fields": ["a", "b", "c"]}                  a record made of exactly these fields
    {"record": "a,b,,d,"}                        a record given as one text
    {"body": "text"}                             the whole body, encoded as GBK
    {"body_latin1": "a\\u0000b"}                 the whole body, one byte per character (NUL, bad GBK)
    {"body_hex": "00ff22"}                       the whole body as hex
    "status": 403, "reason": "Forbidden"         the status line (default 200 OK)
    "headers": {"Name": "value"}                 extra response headers
    "content_length": false | N                  omit Content-Length, or announce N bytes
    "pad_to": N                                  fill the body with "x" up to N bytes, streamed
                                                 in 64 KiB pieces (never built in memory)
    {"redirect": "/moved/list=sh600000"}         302 (or "status") to that Location
    {"stall": S}                                 wait S seconds before answering (at most 60)
    {"drop": true}                               close the connection without answering
    {"drip": S}                                  send the body one byte every S seconds
    {"stall_mid": S}                             send the head and half the body, wait S seconds,
                                                 then send the rest
    {"reset": true}                              reset the connection without answering (RST),
                                                 as a refused connection looks to the client
A step with no body key is a quote with the defaults below.

Control requests (never logged, never consume a step):
    POST /__script        a JSON list of steps replaces the script and starts it from the top
    GET  /__requests      the log of quote requests as a JSON list
    GET  /__last_request  the head of the last quote request exactly as it arrived

--log writes one JSON line per quote request: time (seconds since the epoch), request_line,
headers, code, path, step (the index of the step served, or null in the demo).
--demo serves securities whose prices wander around their reference, changing every few seconds.
--unresponsive plays a dead host: it listens but never accepts, so connecting hangs.
The port is written to --port-file once the service listens. SIGTERM, SIGINT or --max-seconds
stop it; every stall ends when it stops.
"""

import argparse
import datetime
import http
import json
import os
import random
import signal
import socket
import socketserver
import struct
import sys
import threading
import time
from decimal import ROUND_HALF_UP, Decimal

MAX_STALL_SECONDS = 60.0
MAX_HEAD_BYTES = 64 * 1024
PADDING_PIECE_BYTES = 64 * 1024
MAX_CONTROL_BODY_BYTES = 16 * 1024 * 1024
SOCKET_TIMEOUT_SECONDS = 30.0

DEFAULT_QUOTE = {"name": "测试股票", "reference": "10.20", "price": "10.35"}
BODY_KEYS = ("body", "body_latin1", "body_hex", "fields", "record")


class ScriptError(ValueError):
    pass


# ---------------------------------------------------------------------------------------------
# Records


def decimals_of(text):
    return len(text.split(".", 1)[1]) if "." in text else 0


def fixed(value, decimals):
    quantum = Decimal(1).scaleb(-decimals)
    return str(value.quantize(quantum, rounding=ROUND_HALF_UP))


def quote_fields(quote, now):
    """The 33 fields of one quote: name, open, reference, price, high, low, bid, ask, volume,
    amount, five bid levels and five ask levels (volume, price), date, time, status."""
    price_text = str(quote.get("price", DEFAULT_QUOTE["price"]))
    reference_text = str(quote.get("reference", DEFAULT_QUOTE["reference"]))
    try:
        price = Decimal(price_text)
        reference = Decimal(reference_text)
    except ArithmeticError:
        price = reference = Decimal(0)
    decimals = max(decimals_of(price_text), 2)
    tick = Decimal(1).scaleb(-decimals)
    open_text = str(quote.get("open", fixed(reference, decimals)))
    try:
        opening = Decimal(open_text)
    except ArithmeticError:
        opening = reference
    high = str(quote.get("high", fixed(max(price, opening), decimals)))
    low = str(quote.get("low", fixed(min(price, opening), decimals)))
    traded = price > 0
    bid = fixed(price - tick, decimals) if traded else fixed(Decimal(0), decimals)
    ask = fixed(price, decimals) if traded else fixed(Decimal(0), decimals)
    volume = int(quote.get("volume", 123456700 if traded else 0))
    amount = fixed(Decimal(volume) * price, 3)
    bids, asks = [], []
    for level in range(5):
        step = tick * level
        bids += [str(1000 * (level + 1)), fixed(max(price - tick - step, Decimal(0)), decimals) if traded else bid]
        asks += [str(800 * (level + 1)), fixed(price + step, decimals) if traded else ask]
    date = str(quote.get("date", now.strftime("%Y-%m-%d")))
    clock = str(quote.get("time", now.strftime("%H:%M:%S")))
    return ([str(quote.get("name", DEFAULT_QUOTE["name"])), open_text, reference_text, price_text, high, low,
             bid, ask, str(volume), amount] + bids + asks + [date, clock, "00"])


def record_body(code, record_text):
    """The service's reply for one code; the code is echoed byte for byte."""
    return b"var hq_str_" + code + b'="' + record_text + b'";\n'


def gbk(text):
    return str(text).encode("gbk")


# ---------------------------------------------------------------------------------------------
# Script steps


def check_step(step):
    if not isinstance(step, dict):
        raise ScriptError("every step must be an object: %r" % (step,))
    if sum(key in step for key in BODY_KEYS) > 1:
        raise ScriptError("a step takes at most one of %s: %r" % (", ".join(BODY_KEYS), step))
    for key in ("stall", "drip", "stall_mid"):
        if key in step and not (isinstance(step[key], (int, float)) and step[key] >= 0):
            raise ScriptError("%s must be a number of seconds: %r" % (key, step))
    if "body_hex" in step:
        bytes.fromhex(step["body_hex"])
    if "body_latin1" in step:
        step["body_latin1"].encode("latin-1")
    if "headers" in step and not isinstance(step["headers"], dict):
        raise ScriptError("headers must be an object: %r" % (step,))


def check_script(steps):
    if isinstance(steps, dict):
        steps = [steps]
    if not isinstance(steps, list) or not steps:
        raise ScriptError("a script is a non-empty JSON list of steps")
    for step in steps:
        try:
            check_step(step)
        except (ValueError, UnicodeError) as error:
            raise ScriptError(str(error))
    return steps


def step_body(step, code, now):
    if "body" in step:
        body = gbk(step["body"])
    elif "body_latin1" in step:
        body = step["body_latin1"].encode("latin-1")
    elif "body_hex" in step:
        body = bytes.fromhex(step["body_hex"])
    elif "fields" in step:
        body = record_body(code, b",".join(gbk(field) for field in step["fields"]))
    elif "record" in step:
        body = record_body(code, gbk(step["record"]))
    else:
        body = record_body(code, b",".join(gbk(field) for field in quote_fields(step, now)))
    return body


def padding_of(step, body):
    """How many "x" bytes follow the body."""
    return max(0, int(step.get("pad_to", 0)) - len(body))


# ---------------------------------------------------------------------------------------------
# Demo securities


class DemoSecurity:
    def __init__(self, name, reference, tick, rng):
        self.name = name
        self.reference = Decimal(reference)
        self.tick = Decimal(tick)
        self.decimals = -self.tick.as_tuple().exponent
        self.rng = rng
        self.price = self.on_tick(self.reference * Decimal(rng.uniform(0.98, 1.02)))
        self.opening = self.price
        self.high = self.low = self.price
        self.next_move = 0.0

    def step(self, now):
        if now < self.next_move:
            return
        self.next_move = now + self.rng.uniform(3.0, 8.0)
        # A random walk of about 0.05% a move, pulled back towards the reference and kept inside
        # the daily limit of 10%.
        pull = float((self.reference - self.price) / self.reference) * 0.05
        move = self.on_tick(self.price * Decimal(self.rng.gauss(pull, 0.0005)))
        if move == 0:
            move = self.tick * self.rng.choice([-1, 0, 0, 1])
        limit = self.on_tick(self.reference * Decimal("0.1"))
        self.price = min(max(self.price + move, self.reference - limit), self.reference + limit)
        self.high = max(self.high, self.price)
        self.low = min(self.low, self.price)

    def on_tick(self, value):
        return (value / self.tick).quantize(Decimal(1), rounding=ROUND_HALF_UP) * self.tick

    def quote(self):
        return {
            "name": self.name,
            "reference": fixed(self.reference, self.decimals),
            "open": fixed(self.opening, self.decimals),
            "price": fixed(self.price, self.decimals),
            "high": fixed(self.high, self.decimals),
            "low": fixed(self.low, self.decimals),
        }


class Demo:
    KNOWN = {
        b"sh000001": ("上证指数", "3087.512", "0.001"),
        b"sz399001": ("深证成指", "9521.306", "0.001"),
        b"sh600000": ("浦发银行", "7.81", "0.01"),
        b"sz000001": ("平安银行", "11.32", "0.01"),
    }

    def __init__(self, seed=None):
        self.rng = random.Random(seed)
        self.securities = {}
        self.lock = threading.Lock()

    def security(self, code):
        if code not in self.securities:
            if code in self.KNOWN:
                name, reference, tick = self.KNOWN[code]
            else:
                # Any other code is a plausible stock of its own, the same one on every request.
                own = random.Random(code)
                name = "演示" + code[-4:].decode("latin-1")
                reference, tick = "%.2f" % own.uniform(3, 80), "0.01"
            self.securities[code] = DemoSecurity(name, reference, tick, self.rng)
        return self.securities[code]

    def step_for(self, code):
        with self.lock:
            security = self.security(code)
            security.step(time.monotonic())
            return security.quote()


# ---------------------------------------------------------------------------------------------
# The service


class QuoteService:
    def __init__(self, steps, demo, log_path, stop_event):
        self.lock = threading.Lock()
        self.steps = steps
        self.demo = demo
        self.next_step = 0
        self.requests = []
        self.last_head = None
        self.log_file = open(log_path, "a", encoding="utf-8") if log_path else None
        self.stop_event = stop_event

    def replace_script(self, steps):
        with self.lock:
            self.steps = steps
            self.next_step = 0

    def take_step(self, code):
        """The step that answers this request, and its index (None in the demo)."""
        with self.lock:
            if self.steps is None:
                return self.demo.step_for(code), None
            index = min(self.next_step, len(self.steps) - 1)
            self.next_step = index + 1
            return self.steps[index], index

    def record(self, entry, head):
        with self.lock:
            self.requests.append(entry)
            self.last_head = head
            if self.log_file:
                self.log_file.write(json.dumps(entry, ensure_ascii=False) + "\n")
                self.log_file.flush()

    def request_log(self):
        with self.lock:
            return list(self.requests), self.last_head

    def sleep(self, seconds):
        """A bounded sleep that ends early when the service stops; False once it has stopped."""
        return not self.stop_event.wait(min(float(seconds), MAX_STALL_SECONDS))

    def close(self):
        if self.log_file:
            self.log_file.close()


def read_head(connection):
    data = b""
    while True:
        for end in (b"\r\n\r\n", b"\n\n"):
            at = data.find(end)
            if at >= 0:
                return data[:at + len(end)], data[at + len(end):]
        if len(data) > MAX_HEAD_BYTES:
            return None, b""
        chunk = connection.recv(4096)
        if not chunk:
            return None, b""
        data += chunk


def parse_head(head):
    """Request line, method, target and headers. The target is everything between the method and
    the version, so that a blank sent unescaped in a path is still seen."""
    lines = head.decode("latin-1").replace("\r\n", "\n").split("\n")
    request_line = lines[0]
    method, _, rest = request_line.partition(" ")
    target, _, version = rest.rpartition(" ")
    if not version.startswith("HTTP/"):
        target, version = rest, ""
    headers = {}
    for line in lines[1:]:
        if ":" in line:
            name, _, value = line.partition(":")
            headers[name.strip()] = value.strip()
    return request_line, method, target, headers


def path_of(target):
    """The path of an origin-form or absolute-form (proxy) target."""
    for scheme in ("http://", "https://"):
        if target.lower().startswith(scheme):
            slash = target.find("/", len(scheme))
            return "/" if slash < 0 else target[slash:]
    return target


def response_head(status, reason, headers):
    lines = ["HTTP/1.1 %d %s" % (status, reason)]
    lines += ["%s: %s" % (name, value) for name, value in headers]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")


def reason_of(status):
    try:
        return http.HTTPStatus(status).phrase
    except ValueError:
        return "Status"


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        service = self.server.service
        self.request.settimeout(SOCKET_TIMEOUT_SECONDS)
        try:
            head, extra = read_head(self.request)
            if head is None:
                return
            request_line, method, target, headers = parse_head(head)
            path = path_of(target)
            if path.startswith("/__"):
                self.control(service, method, path, headers, extra)
            else:
                self.quote(service, head, request_line, target, path, headers)
        except (OSError, socket.timeout):
            pass

    def send(self, status, body, content_type="text/plain; charset=utf-8"):
        headers = [("Content-Type", content_type), ("Content-Length", str(len(body))), ("Connection", "close")]
        self.request.sendall(response_head(status, reason_of(status), headers) + body)

    def control(self, service, method, path, headers, extra):
        if method == "POST" and path == "/__script":
            length = min(int(headers.get("Content-Length", "0") or 0), MAX_CONTROL_BODY_BYTES)
            body = extra
            while len(body) < length:
                chunk = self.request.recv(65536)
                if not chunk:
                    break
                body += chunk
            try:
                steps = check_script(json.loads(body[:length].decode("utf-8")))
            except (ValueError, ScriptError) as error:
                self.send(400, ("bad script: %s\n" % error).encode("utf-8"))
                return
            service.replace_script(steps)
            self.send(200, b"ok\n")
        elif method == "GET" and path == "/__requests":
            requests, _ = service.request_log()
            self.send(200, json.dumps(requests, ensure_ascii=False).encode("utf-8"), "application/json")
        elif method == "GET" and path == "/__last_request":
            _, head = service.request_log()
            if head is None:
                self.send(404, b"no quote request yet\n")
            else:
                self.send(200, head, "application/octet-stream")
        else:
            self.send(404, b"unknown control request\n")

    def quote(self, service, head, request_line, target, path, headers):
        marker = path.find("list=")
        if marker < 0:
            self.send(404, b"not a quote request\n")
            return
        code_text = path[marker + len("list="):]
        code = code_text.encode("latin-1")
        step, index = service.take_step(code)
        service.record({"time": time.time(), "request_line": request_line, "headers": headers,
                        "code": code_text, "path": path, "target": target, "step": index}, head)
        self.answer(service, step, code)

    def answer(self, service, step, code):
        if step.get("stall") and not service.sleep(step["stall"]):
            return
        if step.get("drop"):
            self.request.shutdown(socket.SHUT_RDWR)
            return
        if step.get("reset"):
            self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.request.close()
            return
        status = int(step.get("status", 302 if "redirect" in step else 200))
        reason = str(step.get("reason", reason_of(status)))
        padding = 0
        if "redirect" in step:
            body = b"moved\n"
            content_type = "text/html"
        else:
            body = step_body(step, code, datetime.datetime.now())
            padding = padding_of(step, body)
            content_type = "application/javascript; charset=GBK"
        headers = [("Content-Type", content_type)]
        if "redirect" in step:
            headers.append(("Location", str(step["redirect"])))
        length = step.get("content_length", True)
        if length is True:
            headers.append(("Content-Length", str(len(body) + padding)))
        elif length is not False:
            headers.append(("Content-Length", str(int(length))))
        headers.append(("Connection", "close"))
        headers += [(str(name), str(value)) for name, value in step.get("headers", {}).items()]
        self.request.sendall(response_head(status, reason, headers))
        if step.get("drip"):
            self.drip(service, body + b"x" * padding, step["drip"])
            return
        if step.get("stall_mid"):
            half = len(body) // 2
            self.request.sendall(body[:half])
            if not service.sleep(step["stall_mid"]):
                return
            body = body[half:]
        self.request.sendall(body)
        self.stream_padding(service, padding)

    def stream_padding(self, service, count):
        piece = b"x" * PADDING_PIECE_BYTES
        while count > 0 and not service.stop_event.is_set():
            self.request.sendall(piece[:count])
            count -= len(piece)

    def drip(self, service, body, interval):
        deadline = time.monotonic() + MAX_STALL_SECONDS
        for at in range(len(body)):
            if at and (time.monotonic() >= deadline or not service.sleep(interval)):
                return
            self.request.sendall(body[at:at + 1])


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description="A local quote service for tests and demos.")
    parser.add_argument("--port", type=int, default=0, help="port on 127.0.0.1 (0: any free port)")
    parser.add_argument("--port-file", help="write the bound port here once listening")
    parser.add_argument("--log", help="append one JSON line per quote request to this file")
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--script", help="a JSON list of steps, served in order")
    source.add_argument("--demo", action="store_true", help="securities whose prices wander")
    source.add_argument("--unresponsive", action="store_true",
                        help="a dead host: connections are neither accepted nor refused")
    parser.add_argument("--max-seconds", type=float, help="stop after this many seconds")
    parser.add_argument("--seed", type=int, help="seed of the demo's random walk")
    return parser.parse_args(argv)


def write_port_file(path, port):
    temporary = path + ".tmp"
    with open(temporary, "w") as out:
        out.write("%d\n" % port)
    os.replace(temporary, path)


def serve_unresponsive(args, stop_event):
    """Listens with a full backlog and never accepts, so that a connection attempt hangs as it does
    to a host that has gone dead. The fillers are connections to itself."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", args.port))
    listener.listen(0)
    port = listener.getsockname()[1]
    fillers = []
    for _ in range(3):
        filler = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        filler.setblocking(False)
        filler.connect_ex(("127.0.0.1", port))
        fillers.append(filler)
    if args.port_file:
        write_port_file(args.port_file, port)
    print("quote_service: unresponsive on 127.0.0.1:%d" % port, file=sys.stderr, flush=True)
    stop_event.wait(args.max_seconds)
    for sock in fillers + [listener]:
        sock.close()
    return 0


def main(argv):
    args = parse_arguments(argv)
    stop_event = threading.Event()
    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: stop_event.set())
    if args.unresponsive:
        return serve_unresponsive(args, stop_event)
    steps = None
    if args.script:
        try:
            with open(args.script, encoding="utf-8") as script_file:
                steps = check_script(json.load(script_file))
        except (OSError, ValueError, ScriptError) as error:
            print("quote_service: %s: %s" % (args.script, error), file=sys.stderr)
            return 2
    service = QuoteService(steps, Demo(args.seed), args.log, stop_event)
    server = Server(("127.0.0.1", args.port), Handler)
    server.service = service
    serving = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True)
    serving.start()
    port = server.server_address[1]
    if args.port_file:
        write_port_file(args.port_file, port)
    print("quote_service: listening on 127.0.0.1:%d" % port, file=sys.stderr, flush=True)
    stop_event.wait(args.max_seconds)
    stop_event.set()
    server.shutdown()
    server.server_close()
    service.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
