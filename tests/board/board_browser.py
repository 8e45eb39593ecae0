#!/usr/bin/env python3
"""The status board as a supervisor sees it, in headless Chromium against the private
database: the desks of a service, a transfer and a hang-up of zelagent-callcenter shown
within 2 s, an agent name with markup shown as text, the stale-data notice while the
board cannot reach the database (a relay between them is cut) and its end when the
database is back; beyond loopback a request without the password is refused, and the
board does not start without TLS or with an account that may write.

  board_browser.py <zelagent-board> <zelagent-callcenter> <client.cnf> <board.cnf>
"""
import base64
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cdp  # noqa: E402

BOARD, CALLCENTER, CNF, BOARD_CNF = sys.argv[1:5]
SVC = 576
MARKUP_NAME = "<svg/onload=_=1>굵게"  # 20 characters at most
failures = []
passed = []


def check(what, ok):
    passed.append(what) if ok else None
    print("board-browser: %s: %s" % ("ok" if ok else "FAIL", what), flush=True)
    if not ok:
        failures.append(what)


def sql(statement):
    subprocess.run(["mariadb", "--defaults-file=" + CNF, "-N", "-B", "NEW_XAN", "-e", statement],
                   check=True)


def cnf_value(key):
    for line in open(CNF):
        if line.strip().startswith(key + "="):
            return line.split("=", 1)[1].strip()
    return None


def free_port(address="127.0.0.1"):
    with socket.socket() as s:
        s.bind((address, 0))
        return s.getsockname()[1]


class Relay:
    """Forwards a local port to the database; cut() drops it and every connection."""

    def __init__(self, port, target):
        self.port, self.target = port, target
        self.server, self.conns, self.running = None, [], False

    def start(self):
        self.server = socket.socket()
        self.server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.server.bind(("127.0.0.1", self.port))
        self.server.listen(16)
        self.running = True
        threading.Thread(target=self._accept, args=(self.server,), daemon=True).start()

    def _accept(self, server):
        while self.running:
            try:
                client, _ = server.accept()
            except OSError:
                return
            upstream = socket.create_connection(self.target)
            self.conns += [client, upstream]
            for a, b in ((client, upstream), (upstream, client)):
                threading.Thread(target=self._pipe, args=(a, b), daemon=True).start()

    @staticmethod
    def _pipe(a, b):
        try:
            while True:
                data = a.recv(65536)
                if not data:
                    break
                b.sendall(data)
        except OSError:
            pass
        for s in (a, b):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def cut(self):
        self.running = False
        try:
            self.server.shutdown(socket.SHUT_RDWR)  # wakes the thread waiting in accept()
        except OSError:
            pass
        self.server.close()
        for s in self.conns:
            try:
                s.shutdown(socket.SHUT_RDWR)
                s.close()
            except OSError:
                pass
        self.conns = []


def write_conf(path, lines):
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")
    os.chmod(path, 0o600)


def start_board(conf):
    return subprocess.Popen([BOARD, "--config", conf], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True)


def wait_http(url, timeout, context=None, headers=None):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            request = urllib.request.Request(url, headers=headers or {})
            with urllib.request.urlopen(request, timeout=2, context=context) as reply:
                return reply.status, reply.read().decode()
        except urllib.error.HTTPError as e:
            return e.code, ""
        except OSError:
            time.sleep(0.1)
    return None, ""


def stop(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def seed():
    cleanup()
    sql("insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values "
        "('brw1', '%s', 'x'), ('brw2', '이서연', 'x'), ('brw3', '박지훈', 'x');"
        "insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, IS_READY, STATUS_START_TIME) values "
        "(%d, '5761', 'brw1', 0, concat(F_MY_DATE(now()), F_MY_TIME(now()))),"
        "(%d, '5762', 'brw2', 1, concat(F_MY_DATE(now()), F_MY_TIME(now()))),"
        "(%d, '5763', 'brw3', 1, '00000000000000')"
        % (MARKUP_NAME.replace("'", "''"), SVC, SVC, SVC))


def cleanup():
    sql("delete from TRANSFER_HIST where SVC_ID = %d; delete from REQ_XAN where SVC_ID = %d;"
        "delete from TRANSFER_NUM_INFO where SVC_ID = %d;"
        "delete from USER_AGENT_INFO where USER_ID in ('brw1', 'brw2', 'brw3')" % (SVC, SVC, SVC))


def tile(key, what):
    return "(() => { const t = document.querySelector('[data-key=\"%s\"]'); return t && (%s); })()" % (key, what)


def loopback_board(work):
    db_port = int(cnf_value("port") or 8907)
    relay = Relay(free_port(), ("127.0.0.1", db_port))
    relay.start()
    port = free_port()
    conf = os.path.join(work, "board.conf")
    write_conf(conf, ["listen = 127.0.0.1", "port = %d" % port, "db_cnf = " + BOARD_CNF,
                      "db_port = %d" % relay.port, "break_alert_seconds = 1"])
    board = start_board(conf)
    browser = None
    try:
        status, _ = wait_http("http://127.0.0.1:%d/" % port, 15)
        check("the board serves its page on loopback", status == 200)
        browser = cdp.Browser()
        browser.open("http://127.0.0.1:%d/?svc=%d" % (port, SVC))
        shown = browser.wait_for("document.querySelectorAll('#desks .desk').length === 3", 10)
        check("the page shows the three desks of the service", shown is not None)
        check("states: ready, break, signed out",
              browser.wait_for(tile("%d/5761" % SVC, "t.classList.contains('st-1')") + " && " +
                               tile("%d/5762" % SVC, "t.classList.contains('st-2')") + " && " +
                               tile("%d/5763" % SVC, "t.classList.contains('st-0')"), 5) is not None)
        check("a break longer than its threshold is marked",
              browser.wait_for(tile("%d/5762" % SVC, "t.classList.contains('alert')"), 5) is not None)
        name = browser.eval(tile("%d/5761" % SVC, "[t.querySelector('.name').textContent, "
                                 "t.querySelector('.name').children.length, t.querySelectorAll('svg').length]"))
        check("an agent name with markup is shown as text", name == [MARKUP_NAME, 0, 0])
        check("no script of the name ran", browser.eval("window._ === undefined") is True)

        for action, state in (("transfer", 3), ("hangup", 1)):
            started = time.monotonic()
            subprocess.run([CALLCENTER, "--cnf", CNF, action, "--svc", str(SVC), "--tel", "5761"],
                           check=True, stdout=subprocess.DEVNULL)
            if action == "transfer":  # the console stamps its agent's name on the call it takes
                sql("update TRANSFER_HIST set AGENT_NM = '%s' where SVC_ID = %d"
                    % (MARKUP_NAME.replace("'", "''"), SVC))
            seen = browser.wait_for(tile("%d/5761" % SVC, "t.classList.contains('st-%d')" % state), 5)
            took = None if seen is None else time.monotonic() - started
            check("the %s is shown within 2 s (%s s)" % (action, took and round(took, 2)),
                  took is not None and took <= 2.0)
            if action == "transfer":
                check("sorted by state, the desk in a call comes first",
                      browser.eval("document.querySelector('#desks .desk').dataset.key") == "%d/5761" % SVC)
        check("the hung-up call counts among today's calls",
              browser.wait_for(tile("%d/5761" % SVC, "t.querySelector('.calls').textContent.startsWith('통화 1건')"), 3)
              is not None)

        relay.cut()
        notice = browser.wait_for("!document.getElementById('stale').hidden", 8)
        check("the stale-data notice appears when the database is lost (%s s)" % (notice and round(notice, 1)),
              notice is not None and notice >= 2.0)
        text = browser.eval("document.getElementById('stale').textContent") or ""
        check("the notice says the database is missing: " + text, "데이터베이스" in text)
        relay.start()
        gone = browser.wait_for("document.getElementById('stale').hidden", 8)
        check("the notice goes when the database is back", gone is not None)
    finally:
        if browser:
            browser.close()
        relay.cut()
        stop(board)


def guarded_board(work):
    address = "127.0.0.2"
    port = free_port(address)
    plain = os.path.join(work, "plain.conf")
    write_conf(plain, ["listen = " + address, "port = %d" % port, "db_cnf = " + BOARD_CNF])
    board = start_board(plain)
    try:
        board.wait(timeout=15)
    except subprocess.TimeoutExpired:
        pass
    check("beyond loopback without TLS and a password the board refuses to start",
          board.returncode == 1)
    stop(board)

    key, cert = os.path.join(work, "board.key"), os.path.join(work, "board.crt")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "1", "-subj", "/CN=" + address],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    guarded = os.path.join(work, "guarded.conf")
    write_conf(guarded, ["listen = " + address, "port = %d" % port, "db_cnf = " + BOARD_CNF,
                         "tls_cert = " + cert, "tls_key = " + key, "auth_user = supervisor",
                         "auth_password = correct horse"])
    board = start_board(guarded)
    try:
        context = ssl.create_default_context(cafile=cert)
        context.check_hostname = False
        url = "https://%s:%d/" % (address, port)
        status, _ = wait_http(url, 15, context)
        check("a request without the password is refused (%s)" % status, status == 401)
        status, _ = wait_http(url + "events", 5, context)
        check("the event stream without the password is refused (%s)" % status, status == 401)
        wrong = {"Authorization": "Basic " + base64.b64encode(b"supervisor:wrong").decode()}
        status, _ = wait_http(url, 5, context, wrong)
        check("a wrong password is refused (%s)" % status, status == 401)
        right = {"Authorization": "Basic " + base64.b64encode("supervisor:correct horse".encode()).decode()}
        status, body = wait_http(url, 5, context, right)
        check("the right password gets the page (%s)" % status, status == 200 and "상황판" in body)
    finally:
        stop(board)

    writable = os.path.join(work, "writable.conf")
    write_conf(writable, ["listen = 127.0.0.1", "port = %d" % free_port(), "db_cnf = " + CNF])
    board = start_board(writable)
    try:
        output, _ = board.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        output = ""
    check("an account that may write is refused", board.returncode == 1 and "refusing" in output)
    stop(board)


def main():
    work = tempfile.mkdtemp(prefix="zelagent-board-test-")
    try:
        seed()
        loopback_board(work)
        guarded_board(work)
    finally:
        cleanup()
        subprocess.run(["rm", "-rf", work])
    print("board-browser: %d passed, %d failed" % (len(passed), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
