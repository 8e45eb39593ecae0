#!/usr/bin/env python3
"""The control of a program that has the keyboard, as a screen reader finds it over AT-SPI.

    focused.py <pid>
Prints "<window>|<role>|<name>" of the focused control of the program with that process
id (nothing when none has the focus or the program is not on the accessibility bus yet).
"""
import sys

import pyatspi


def focused(root, window, depth=0):
    if root is None or depth > 12:
        return None
    for child in root:
        if child is None:
            continue
        if child.getState().contains(pyatspi.STATE_FOCUSED):
            return window, child
        found = focused(child, window, depth + 1)
        if found:
            return found
    return None


def main():
    pid = int(sys.argv[1])
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.get_process_id() != pid:
            continue
        for window in app:
            if window is not None and window.getState().contains(pyatspi.STATE_ACTIVE):
                found = focused(window, window)
                if found:
                    print(f"{found[0].name}|{found[1].getRoleName()}|{found[1].name}")
                    return


if __name__ == "__main__":
    try:
        main()
    except Exception:  # an object that went away while read: nothing found this time
        pass
