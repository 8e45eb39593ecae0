"""A headless Chromium driven over its DevTools pipe: open a page, evaluate script in it,
wait (bounded) for a condition, take a screenshot. Used by the board's browser test, its
benchmark and its screenshot."""
import base64
import json
import os
import select
import shutil
import subprocess
import tempfile
import time

FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-dev-shm-usage", "--remote-debugging-pipe",
]


def chromium_path():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    raise RuntimeError("chromium is missing (scripts/install-deps)")


class Browser:
    def __init__(self, width=1920, height=1080):
        self.profile = tempfile.mkdtemp(prefix="zelagent-chromium-")
        to_chrome_r, self._to_chrome = os.pipe()
        self._from_chrome, from_chrome_w = os.pipe()

        def wire():
            os.dup2(to_chrome_r, 3)
            os.dup2(from_chrome_w, 4)

        self.proc = subprocess.Popen(
            [chromium_path(), *FLAGS, "--user-data-dir=" + self.profile,
             "--window-size=%d,%d" % (width, height), "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=wire, pass_fds=(3, 4))
        os.close(to_chrome_r)
        os.close(from_chrome_w)
        self._buffer = b""
        self._next_id = 0
        self.session = None

    def call(self, method, params=None, session=True, timeout=30.0):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self._to_chrome, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            while b"\0" in self._buffer:
                raw, self._buffer = self._buffer.split(b"\0", 1)
                reply = json.loads(raw)
                if reply.get("id") == self._next_id:
                    if "error" in reply:
                        raise RuntimeError("%s: %s" % (method, reply["error"]))
                    return reply.get("result", {})
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError(method)
            ready, _, _ = select.select([self._from_chrome], [], [], left)
            if ready:
                chunk = os.read(self._from_chrome, 1 << 20)
                if not chunk:
                    raise RuntimeError("chromium ended")
                self._buffer += chunk

    def open(self, url):
        target = self.call("Target.createTarget", {"url": "about:blank"}, session=False)
        attached = self.call("Target.attachToTarget",
                             {"targetId": target["targetId"], "flatten": True}, session=False)
        self.session = attached["sessionId"]
        self.call("Page.enable")
        self.call("Page.navigate", {"url": url})

    def eval(self, expression, timeout=60.0):
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True},
                           timeout=timeout)
        if "exceptionDetails" in result:
            return None
        return result.get("result", {}).get("value")

    def wait_for(self, expression, timeout, step=0.05):
        """Seconds until the expression was true, or None when the time ran out."""
        started = time.monotonic()
        while time.monotonic() - started < timeout:
            if self.eval(expression):
                return time.monotonic() - started
            time.sleep(step)
        return None

    def screenshot(self, path):
        data = self.call("Page.captureScreenshot", {"format": "png"})["data"]
        with open(path, "wb") as out:
            out.write(base64.b64decode(data))

    def close(self):
        try:
            self.proc.terminate()
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        os.close(self._to_chrome)
        os.close(self._from_chrome)
        shutil.rmtree(self.profile, ignore_errors=True)
