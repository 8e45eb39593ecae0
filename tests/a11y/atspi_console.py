#!/usr/bin/env python3
"""What a screen reader finds in the real zelagent, read over AT-SPI.

Run by atspi_console.sh inside its own session bus with a window manager under Xvfb:
    atspi_console.py <zelagent> <zelagent-callcenter> <client.cnf> <run folder> <svc> <tel>
Reads the sign-in dialog's tree, signs in, catches the announcement of a call, reads the
in-call console's tree and the message boxes' names, and closes the program.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

ZELAGENT, CALLCENTER, CNF, RUN_DIR, SVC, TEL = sys.argv[1:7]
PHONE = "0212345678"
failures = []


def check(what, ok):
    print(("a11y: ok: " if ok else "a11y: FAIL: ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def wait_for(seconds, fn):
    """fn() until it gives something true, at most seconds long; its last answer."""
    end = time.monotonic() + seconds
    while True:
        try:
            found = fn()
        except Exception:  # an object that went away while read: try again
            found = None
        if found or time.monotonic() > end:
            return found
        time.sleep(0.1)


def key(*keys):
    for k in keys:
        subprocess.run(["xdotool", "key", k], check=False)
        time.sleep(0.05)


def descendants(root, depth=0):
    if root is None or depth > 12:
        return
    for child in root:
        if child is None:
            continue
        yield child
        yield from descendants(child, depth + 1)


def role(obj):
    return obj.getRole()


def targets(obj, relation_type):
    for relation in obj.getRelationSet():
        if relation.getRelationType() == relation_type:
            return [relation.getTarget(i) for i in range(relation.getNTargets())]
    return []


def text_of(obj):
    text = obj.queryText()
    return text.getText(0, text.characterCount)


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def window(app, name, roles):
    for child in app:
        if child is not None and child.name == name and role(child) in roles:
            return child
    return None


def named(root, name, role_):
    return [o for o in descendants(root) if o.name == name and role(o) == role_]


def run_until(seconds, done):
    """The AT-SPI event loop until done() holds or the time is up."""
    def tick():
        if done() or time.monotonic() > end:
            pyatspi.Registry.stop()
            return False
        return True
    end = time.monotonic() + seconds
    GLib.timeout_add(100, tick)
    pyatspi.Registry.start()


def read_sign_in(dialog):
    fields = {
        "ZEL 사용자ID": pyatspi.ROLE_TEXT, "ZEL 서비스ID": pyatspi.ROLE_TEXT,
        "상담원명": pyatspi.ROLE_TEXT, "비밀번호": pyatspi.ROLE_PASSWORD_TEXT,
        "전화번호": pyatspi.ROLE_TEXT,
    }
    for name, field_role in fields.items():
        found = named(dialog, name, field_role)
        if not check(f"sign-in field {name} ({field_role})", len(found) == 1):
            continue
        labels = targets(found[0], pyatspi.RELATION_LABELLED_BY)
        check(f"sign-in field {name} labelled by the label {name}",
              [(l.name, role(l)) for l in labels] == [(name, pyatspi.ROLE_LABEL)])
    for caption in ("로그인", "취소", "설정"):
        check(f"sign-in button {caption}", len(named(dialog, caption, pyatspi.ROLE_PUSH_BUTTON)) == 1)
    password = named(dialog, "비밀번호", pyatspi.ROLE_PASSWORD_TEXT)
    check("the password field has the keyboard",
          bool(password) and password[0].getState().contains(pyatspi.STATE_FOCUSED))


def read_console(console):
    radios = [o for o in descendants(console) if role(o) == pyatspi.ROLE_RADIO_BUTTON]
    check("seven grades in the tree, no hidden eighth", [r.name for r in radios] ==
          ["적극호응", "소극호응", "중도", "소극적대", "적극적대", "기타", "수신거부"])
    for radio in radios:
        check(f"grade {radio.name} in the group 호응도",
              [t.name for t in targets(radio, pyatspi.RELATION_LABELLED_BY)] == ["호응도"])
        check(f"grade {radio.name} one of seven",
              len(targets(radio, pyatspi.RELATION_MEMBER_OF)) == 7)
    for caption in ("로그인", "대기중", "휴식중", "로그아웃", "통화결과 등록"):
        check(f"button {caption}", len(named(console, caption, pyatspi.ROLE_PUSH_BUTTON)) == 1)
    caller = named(console, "전화번호", pyatspi.ROLE_TEXT)
    check("the caller's number named 전화번호 shows the call",
          len(caller) == 1 and "1234" in text_of(caller[0]))
    memo = named(console, "통화내용메모", pyatspi.ROLE_TEXT)
    check("the memo has the keyboard during the call",
          len(memo) == 1 and memo[0].getState().contains(pyatspi.STATE_FOCUSED))
    values = {}
    for obj in descendants(console):
        if role(obj) == pyatspi.ROLE_LABEL:
            for label in targets(obj, pyatspi.RELATION_LABELLED_BY):
                values[label.name] = obj.name
    check(f"statistics labelled by their captions: {values}",
          set(values) >= {"통화시간", "금일 통화 콜수", "금일 통화 시간"}
          and values["금일 통화 콜수"].isdigit())


def box(app, title):
    return wait_for(10, lambda: window(app, title, (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG)))


def main():
    agent = subprocess.Popen([ZELAGENT], cwd=RUN_DIR, stdout=subprocess.DEVNULL,
                             stderr=open(f"{RUN_DIR}/agent.log", "w"))
    try:
        run(agent)
    finally:
        if agent.poll() is None:
            agent.kill()
            agent.wait()
    return 1 if failures else 0


def run(agent):
    app = wait_for(30, lambda: application(agent.pid))
    if not check("the program is on the accessibility bus", app is not None):
        return
    dialog = wait_for(30, lambda: window(app, "로그인", (pyatspi.ROLE_DIALOG, pyatspi.ROLE_FRAME)))
    if not check("sign-in window", dialog is not None):
        return
    check("sign-in is a dialog", role(dialog) == pyatspi.ROLE_DIALOG)
    time.sleep(0.5)
    read_sign_in(dialog)
    key("p", "w", "minus", "a", "1", "1", "y", "Return")
    ready = f"ZELAgent-{TEL}-대기중"
    console = wait_for(20, lambda: window(app, ready, (pyatspi.ROLE_FRAME,)))
    if not check("signed in: the console, a frame", console is not None):
        return

    heard = []

    def on_announcement(event):
        heard.append(str(event.any_data or event.detail1 or ""))

    pyatspi.Registry.registerEventListener(on_announcement, "object:announcement")
    time.sleep(1.0)
    subprocess.run([CALLCENTER, "--cnf", CNF, "transfer", "--svc", SVC, "--tel", TEL,
                    "--xan", "562001", "--phone", PHONE, "--cust", "접근성 고객"],
                   check=True, stdout=subprocess.DEVNULL)
    run_until(10, lambda: any("1234" in h for h in heard))
    pyatspi.Registry.deregisterEventListener(on_announcement, "object:announcement")
    check(f"a call's arrival announced with the number: {heard}",
          any(h.startswith("전화 연결") and "1234" in h and "5678" in h for h in heard))

    in_call = f"ZELAgent-{TEL}-통화중"
    console = wait_for(10, lambda: window(app, in_call, (pyatspi.ROLE_FRAME,)))
    if not check("in a call", console is not None):
        return
    time.sleep(0.5)
    read_console(console)

    key("F12")  # no grade chosen: the question
    question = box(app, "확인")
    check("the question box is named 확인", question is not None)
    key("Escape")
    wait_for(10, lambda: window(app, "확인", (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG)) is None)
    key("F5", "F12")
    info = box(app, "알림")
    check("the information box is named 알림, an alert",
          info is not None and role(info) == pyatspi.ROLE_ALERT)
    key("Return")
    wait_for(10, lambda: window(app, "알림", (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG)) is None)
    key("alt+F4")  # signed in: the question before closing
    check("the close question is named 에러", box(app, "에러") is not None)
    key("Return")
    try:
        status = agent.wait(timeout=20)
    except subprocess.TimeoutExpired:
        status = None
    check(f"the program ended after Yes (status {status})", status == 0)


if __name__ == "__main__":
    sys.exit(main())
