#!/usr/bin/env python3
"""Clicks 开始 in the program's window on the X display, waits for the
"任务完成" message box of the pass, saves the screen, and dismisses the box.

    demo_screenshot.py FILE [TIMEOUT_SECONDS]

Used by tools/demo --screenshot (window mode). Needs xwininfo, ImageMagick's
import and libXtst, all on the project's package list.
"""

import ctypes
import re
import subprocess
import sys
import time

WINDOW_TITLE = "热点文章采集"
MESSAGE_TITLE = "信息："
# The start button's centre relative to the window's top-left corner as
# xwininfo reports it (the window is drawn without a frame).
START_BUTTON = (322, 325)


def find_window(title):
    """Absolute x, y, width, height of the first window with this title, or None."""
    out = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True).stdout.decode("utf-8", "replace")
    for line in out.splitlines():
        if '"%s"' % title in line:
            m = re.search(r"(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$", line)
            if m and int(m.group(1)) > 50:
                return int(m.group(3)), int(m.group(4)), int(m.group(1)), int(m.group(2))
    return None


def wait_for(title, seconds):
    end = time.time() + seconds
    while time.time() < end:
        where = find_window(title)
        if where:
            return where
        time.sleep(0.2)
    return None


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    seconds = float(argv[2]) if len(argv) > 2 else 120
    x11 = ctypes.CDLL("libX11.so.6")
    xtst = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    display = ctypes.c_void_p(x11.XOpenDisplay(None))
    if not display:
        print("demo_screenshot: no X display")
        return 1
    window = wait_for(WINDOW_TITLE, 60)
    if not window:
        print("demo_screenshot: the program's window did not appear")
        return 1
    time.sleep(1.0)  # let the window finish drawing
    x, y = window[0] + START_BUTTON[0], window[1] + START_BUTTON[1]
    xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
    xtst.XTestFakeButtonEvent(display, 1, True, 0)
    xtst.XTestFakeButtonEvent(display, 1, False, 0)
    x11.XFlush(display)
    if not wait_for(MESSAGE_TITLE, seconds):
        print("demo_screenshot: the pass did not end within %d s" % seconds)
        return 1
    time.sleep(0.5)
    # The window with its title bar, and a small margin.
    crop = "%dx%d+%d+%d" % (window[2] + 8, window[3] + 40, max(window[0] - 4, 0), max(window[1] - 4, 0))
    subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", argv[1]], check=True)
    print("screenshot:", argv[1])
    return_key = x11.XKeysymToKeycode(display, 0xFF0D)
    xtst.XTestFakeKeyEvent(display, return_key, True, 0)
    xtst.XTestFakeKeyEvent(display, return_key, False, 0)
    x11.XFlush(display)
    x11.XCloseDisplay(display)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
