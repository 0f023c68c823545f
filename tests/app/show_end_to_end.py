#!/usr/bin/env python3
"""show.exe from the outside, under Wine and Xvfb.

    show_end_to_end.py WINE_ENV SHOW_EXE PROBE_EXE WINE_RUN

It must open one visible window of class and title "OpenGL" with a 1280 x 720 client area, write
the three driver strings to the debugger output, ignore other keys, and exit with code 0 within
a second of Escape or of a click on the close button. Without a usable OpenGL driver it must
exit with code 1 and leave no window.

Wine normally leaves window decorations to a window manager and, when a window goes, waits up to
two seconds for one that Xvfb does not have. The test therefore lets Wine draw the caption itself
(X11 driver "Managed" = N) for its runs: that also gives it a real close button to click.
"""
import os
import re
import subprocess
import sys
import tempfile
import time

ENV_DIR, SHOW_EXE, PROBE_EXE, WINE_RUN = sys.argv[1:5]
DISPLAY = open(os.path.join(ENV_DIR, "display")).read().strip()
X11_KEY = r"HKCU\Software\Wine\X11 Driver"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message, flush=True)
    return condition


def wine(*args, extra_env=None, **kwargs):
    env = dict(os.environ, DISPLAY=DISPLAY, **(extra_env or {}))
    return subprocess.run([WINE_RUN, ENV_DIR, *args], env=env, **kwargs)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=DISPLAY),
                          capture_output=True, text=True)


def visible_show_windows():
    return xdotool("search", "--onlyvisible", "--name", "^OpenGL$").stdout.split()


def probe():
    """The probe's lines for windows of class "OpenGL" that belong to show.exe."""
    result = wine(PROBE_EXE, capture_output=True, text=True)
    out = result.stdout
    if os.environ.get("SHOW_E2E_VERBOSE"):
        print("probe:", result.returncode, repr(out), flush=True)
    rows = []
    for line in out.splitlines():
        fields = dict(f.split("=", 1) for f in line.split()[1:] if "=" in f)
        if fields.get("image", "").lower() == "show.exe":
            rows.append(fields)
    return rows


# The frame loop clears each scene's frames to a stand-in colour of its own until the scenes
# land (linear values, written through sRGB conversion). Replace with the scenes' own picture
# checks then.
STAND_IN_COLOURS = {"text": (0.85, 0.8, 0.7), "tunnel": (0.05, 0.1, 0.3)}


def srgb(linear):
    c = 12.92 * linear if linear <= 0.0031308 else 1.055 * linear ** (1 / 2.4) - 0.055
    return round(255 * c)


def centre_colour(window):
    """The colour on screen at the centre of the X window."""
    info = subprocess.run(["xwininfo", "-id", window, "-display", DISPLAY],
                          capture_output=True, text=True).stdout
    value = lambda name: int(re.search(name + r":\s+(-?\d+)", info).group(1))
    x = value("Absolute upper-left X") + value("Width") // 2
    y = value("Absolute upper-left Y") + value("Height") // 2
    shot = subprocess.run(["xwd", "-silent", "-root", "-display", DISPLAY],
                          capture_output=True).stdout
    text = subprocess.run(["convert", "xwd:-", "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
                          input=shot, capture_output=True).stdout.decode()
    match = re.search(r"\((\d+),(\d+),(\d+)", text.split("\n", 1)[-1])
    return tuple(int(v) for v in match.groups()) if match else None


def unescape(text):
    return (text.replace(r"\n", "\n").replace(r"\t", "\t").replace(r"\"", '"')
            .replace("\\\\", "\\"))


class Show:
    def __init__(self, extra_env=None):
        self.log = tempfile.TemporaryFile()
        env = {"WINEDEBUG": "warn+seh"}
        env.update(extra_env or {})
        self.process = subprocess.Popen(
            [WINE_RUN, ENV_DIR, SHOW_EXE], stdout=subprocess.DEVNULL, stderr=self.log,
            env=dict(os.environ, DISPLAY=DISPLAY, **env))

    def debug_output(self):
        """Each OutputDebugString text, in order."""
        self.log.seek(0)
        texts = []
        for line in self.log.read().decode("utf-8", "replace").splitlines():
            match = re.search(r':warn:seh:OutputDebugStringA "(.*)"$', line)
            if match:
                texts.append(unescape(match.group(1)))
        return texts

    def wait_for_window(self, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and self.process.poll() is None:
            windows = visible_show_windows()
            if windows:
                return windows[0]
            time.sleep(0.1)
        return None

    def seconds_to_exit(self, timeout=10):
        started = time.monotonic()
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        return time.monotonic() - started

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def escape_and_other_keys():
    show = Show()
    try:
        window = show.wait_for_window()
        if not check(window is not None,
                     f"no visible window appeared (exit code {show.process.poll()})"):
            return
        rows = probe()
        check(len(rows) == 1, f"expected one window of class OpenGL, found {rows}")
        for row in rows:
            check(row.get("visible") == "1", f"window not visible: {row}")
            check(row.get("title") == "OpenGL", f"title: {row}")
            check(row.get("client") == "1280x720", f"client area: {row}")

        messages = show.debug_output()
        check(len(messages) == 3, f"expected the three driver strings, got {messages}")
        check(all(m.endswith("\n") and len(m) > 1 for m in messages),
              f"each driver string is its own line: {messages}")
        check(len(messages) == 3 and re.match(r"\d+\.\d+", messages[2]) is not None,
              f"the third string is the GL version: {messages}")

        colour = centre_colour(window)
        expected = {name: tuple(srgb(c) for c in rgb) for name, rgb in STAND_IN_COLOURS.items()}
        check(colour is not None and any(max(abs(a - b) for a, b in zip(colour, rgb)) <= 3
                                         for rgb in expected.values()),
              f"the window shows {colour}, not a scene's colour {expected}")

        # Real key presses (XTEST) into the focused window: the show has the keyboard once clicked.
        xdotool("mousemove", "--window", window, "640", "400", "click", "1")
        xdotool("key", "a", "space", "Return", "Tab", "F1", "Delete")
        time.sleep(1.0)
        check(show.process.poll() is None, "another key ended the show")
        check(len(visible_show_windows()) == 1, "another key changed the window")

        started = time.monotonic()
        xdotool("key", "Escape")
        elapsed = show.seconds_to_exit()
        if check(elapsed is not None, "Escape did not end the show"):
            elapsed = time.monotonic() - started
            print(f"Escape: exit code {show.process.returncode} after {elapsed:.3f} s", flush=True)
            check(show.process.returncode == 0, f"exit code {show.process.returncode}")
            check(elapsed < 1.0, f"exit took {elapsed:.3f} s")
        check(not visible_show_windows(), "a window outlived the show")
    finally:
        show.kill()


def close_button():
    show = Show()
    try:
        window = show.wait_for_window()
        if not check(window is not None,
                     f"no visible window appeared (exit code {show.process.poll()})"):
            return
        rows = probe()
        point = rows[0].get("close", "none") if rows else "none"
        if not check(point != "none", f"no close button found: {rows}"):
            return
        x, y = point.split(",")
        started = time.monotonic()
        xdotool("mousemove", x, y, "click", "1")
        elapsed = show.seconds_to_exit()
        if check(elapsed is not None, "the close button did not end the show"):
            elapsed = time.monotonic() - started
            print(f"close button: exit code {show.process.returncode} after {elapsed:.3f} s",
                  flush=True)
            check(show.process.returncode == 0, f"exit code {show.process.returncode}")
            check(elapsed < 1.0, f"exit took {elapsed:.3f} s")
    finally:
        show.kill()


def failed_start():
    # Mesa cannot load its driver, so no pixel format or context can be had.
    show = Show({"LIBGL_DRIVERS_PATH": "/nonexistent"})
    try:
        elapsed = show.seconds_to_exit(timeout=60)
        if check(elapsed is not None, "a failed start did not end"):
            print(f"failed start: exit code {show.process.returncode}", flush=True)
            check(show.process.returncode == 1,
                  f"a failed start exited with {show.process.returncode}, not 1")
        check(not visible_show_windows(), "a failed start left a window")
        check(show.debug_output() == [], f"a failed start wrote {show.debug_output()}")
    finally:
        show.kill()


def main():
    wine("reg", "add", X11_KEY, "/v", "Managed", "/t", "REG_SZ", "/d", "N", "/f",
         capture_output=True, check=True)
    try:
        escape_and_other_keys()
        close_button()
        failed_start()
    finally:
        wine("reg", "delete", X11_KEY, "/v", "Managed", "/f", capture_output=True)
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
