#!/usr/bin/env python3
"""How long a state written to a desk's row takes to show in a real browser page of the
status board: headless Chromium shows the board (every service), a watcher in the page
notes when the desk's tile takes its new state, and the desk is switched between ready
and on break as the console writes it, at random moments of the board's second.

  board_update.py <board url> <client.cnf> <svc> <tel> <samples>
Prints: update_ms p50=.. p99=.. max=.. n=..
"""
import os
import random
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "board"))
import cdp  # noqa: E402

URL, CNF, SVC, TEL, SAMPLES = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5])
KEY = "%s/%s" % (SVC, TEL)

WATCH = """(() => {
  window.__state = null;
  const note = () => {
    const t = document.querySelector('[data-key="%s"]');
    const m = t && t.className.match(/st-[0-9]/);
    if (m && (!window.__state || window.__state.cls !== m[0])) window.__state = {cls: m[0], at: Date.now()};
  };
  new MutationObserver(note).observe(document.getElementById("desks"),
    {subtree: true, childList: true, attributes: true, attributeFilter: ["class"]});
  note();
  return true;
})()""" % KEY


def write_state(ready):
    subprocess.run(["mariadb", "--defaults-file=" + CNF, "NEW_XAN", "-e",
                    "update TRANSFER_NUM_INFO set IS_READY = %d, STATUS_START_TIME = "
                    "concat(F_MY_DATE(now()), F_MY_TIME(now())) where SVC_ID = %s and TEL_NUM = '%s'"
                    % (0 if ready else 1, SVC, TEL)], check=True)


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, max(0, int(-(-p * len(ordered) // 100)) - 1))]


browser = cdp.Browser()
try:
    browser.open(URL)
    if browser.wait_for("document.querySelector('[data-key=\"%s\"]') !== null" % KEY, 60) is None:
        print("update_ms p50=n/a p99=n/a max=n/a n=0 (the desk never showed)")
        sys.exit(1)
    browser.eval(WATCH)
    times, ready = [], False
    for _ in range(SAMPLES):
        time.sleep(random.uniform(0.2, 1.2))
        ready = not ready
        target = "st-1" if ready else "st-2"
        started = time.time() * 1000  # before the client starts: the figure is never early
        write_state(ready)
        try:
            seen = browser.wait_for("window.__state && window.__state.cls === '%s'" % target, 10, 0.02)
            times.append(browser.eval("window.__state.at") - started if seen is not None else 10000.0)
        except TimeoutError:  # the page did not answer within a minute
            times.append(60000.0)
    print("update_ms p50=%.0f p99=%.0f max=%.0f n=%d" % (percentile(times, 50), percentile(times, 99),
                                                     max(times), len(times)))
finally:
    browser.close()
