"""Starts tools/quote_service.py for a test or a demo, and talks to it: replace its script, read
the requests it received. Stopped by its PID however the caller ends."""

import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))


class QuoteService:
    def __init__(self, script=None, demo=False, workdir=None):
        self.workdir = tempfile.mkdtemp(prefix="quote-service-", dir=workdir)
        port_file = os.path.join(self.workdir, "port")
        args = [sys.executable, os.path.join(HERE, "quote_service.py"), "--port", "0", "--port-file", port_file]
        if demo:
            args.append("--demo")
        else:
            script_file = os.path.join(self.workdir, "script.json")
            with open(script_file, "w", encoding="utf-8") as f:
                json.dump(script or [{}], f, ensure_ascii=False)
            args += ["--script", script_file]
        self.log = open(os.path.join(self.workdir, "service.log"), "wb")
        self.process = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        deadline = time.time() + 10
        while not (os.path.exists(port_file) and open(port_file).read().strip()):
            if time.time() > deadline or self.process.poll() is not None:
                self.stop()
                raise RuntimeError("the quote service did not start")
            time.sleep(0.05)
        self.port = int(open(port_file).read().strip())
        self.proxy = f"http://127.0.0.1:{self.port}"

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()

    def _call(self, method, path, body=None):
        request = urllib.request.Request(f"{self.proxy}{path}", data=body, method=method)
        with urllib.request.urlopen(request, timeout=10) as reply:
            return reply.read()

    def set_script(self, steps):
        self._call("POST", "/__script", json.dumps(steps, ensure_ascii=False).encode("utf-8"))

    def requests(self):
        return json.loads(self._call("GET", "/__requests"))
