#!/usr/bin/env python3
"""The native show as a user meets it, in an Xvfb and a PulseAudio server of its own.

    native_show.py --show EXE --capture-check EXE --data DIR --work DIR [--only NAME ...]

The checks are show_end_to_end.py's: the window (from the X server), the picture (screenshots
compared in coarse blocks with the content's own images), the sound (recorded in real time from a
null sink, against the track), the lines on standard error and the exit code. Every wait polls
and has a deadline.
"""
import argparse
import ctypes
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

import show_end_to_end as e2e
from show_end_to_end import check, poll, xdotool

parser = argparse.ArgumentParser()
for option in ("show", "capture-check", "data", "work"):
    parser.add_argument("--" + option, required=True)
parser.add_argument("--only", nargs="*", default=None)
ARGS = parser.parse_args()
e2e.ARGS = ARGS
TRACK = os.path.join(ARGS.data, e2e.TRACK)


class NativeShow:
    """The show started with arguments, its sound played to the case's PulseAudio server."""

    def __init__(self, arguments, pulse, exe=None, env=None):
        self.log = tempfile.TemporaryFile()
        environment = dict(pulse.env, DISPLAY=e2e.DISPLAY)
        # Third-party libraries leak at exit (D-Bus through SDL; sound plugins unloaded before
        # the report, which LeakSanitizer cannot name then): the show's own objects are the unit
        # tests' to check for leaks. Every other sanitizer finding still fails the case.
        environment["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=1"
        environment.update(env or {})
        self.process = subprocess.Popen([exe or ARGS.show, *arguments], env=environment,
                                        stdout=subprocess.DEVNULL, stderr=self.log)

    def lines(self):
        self.log.seek(0)
        return self.log.read().decode("utf-8", "replace").splitlines()

    def window(self, name="OpenGL", timeout=60):
        """The X window of that title (xdotool does not find SDL's message box)."""
        def named():
            if name == "OpenGL":  # the show's, once shown (the bootstrap one is hidden)
                return xdotool("search", "--onlyvisible", "--name", "^OpenGL$").stdout.split()
            tree = subprocess.run(["xwininfo", "-root", "-tree", "-display", e2e.DISPLAY],
                                  capture_output=True, text=True).stdout
            return re.findall(r"^\s*(0x[0-9a-f]+) \"" + re.escape(name) + r"\"", tree, re.M)
        found = poll(lambda: named() or (None if self.process.poll() is None else "gone"),
                     timeout, 0.2)
        return str(int(found[0], 0)) if isinstance(found, list) else None

    def exit_code(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def geometry(window):
    out = xdotool("getwindowgeometry", "--shell", window).stdout
    values = dict(line.split("=") for line in out.split())
    return tuple(int(values[k]) for k in ("WIDTH", "HEIGHT", "X", "Y"))


def close(window):
    """The close button, as a window manager passes it on: WM_DELETE_WINDOW."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(e2e.DISPLAY.encode())

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                    ("pad", ctypes.c_long * 12)]  # an XEvent is 24 longs

    event = ClientMessage(33, 0, 1, display, int(window),
                          x11.XInternAtom(display, b"WM_PROTOCOLS", 0), 32,
                          (ctypes.c_long * 5)(x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)))
    x11.XSendEvent(display, int(window), 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def sound_is_track(sound, what, seconds):
    result = subprocess.run([ARGS.capture_check, sound, TRACK, str(seconds)], capture_output=True,
                            text=True, timeout=120)
    print(f"{what}: sound: {result.stdout.strip()}", flush=True)
    check(result.returncode == 0, f"{what}: the recorded sound is not the track from its start")


def recording(pulse, sound):
    """A recorder of the sink, once it has written: the show's start must be in it."""
    if os.path.exists(sound):
        os.remove(sound)
    recorder = pulse.record(sound)
    poll(lambda: os.path.exists(sound) and os.path.getsize(sound) > 8 * 4800, 15)
    return recorder


def end_with(show, action, what):
    started = time.monotonic()
    action()
    code = show.exit_code(20)
    print(f"{what}: exit code {code} {time.monotonic() - started:.2f} s after", flush=True)
    check(code == 0, f"{what}: exit code {code}; {show.lines()}")


def windowed(pulse):
    """A window of exactly the chosen size showing text page 1, then the tunnel on schedule; its
    sound is the track from its start; Escape ends it with 0 and nothing on standard error."""
    sound = os.path.join(ARGS.work, "windowed.f32")
    recorder = recording(pulse, sound)
    show = NativeShow(["--windowed", "--resolution", "1280x720"], pulse)
    try:
        window = show.window()
        if not check(window is not None, f"windowed: no window; {show.lines()}"):
            return
        width, height, x, y = geometry(window)
        print(f"windowed: window {width}x{height} at {x},{y}", flush=True)
        check((width, height) == (1280, 720), f"windowed: a window of {width}x{height}")
        seen = e2e.watch_picture((1280, 720, x, y))
        print("windowed: picture", e2e.summary(seen), flush=True)
        if check(seen and seen[0][1] == "page1", "windowed: text page 1 never appeared"):
            last_page = max(t for t, kind in seen if kind == "page1")
            check(1.2 <= last_page < 2.5, f"windowed: page 1 showed for {last_page} s, not 2 s")
            tunnel = [t for t, kind in seen if kind == "tunnel"]
            check(tunnel and 0.5 <= tunnel[0] <= 4.5, f"windowed: no tunnel on time: {seen}")
        e2e.save_png(e2e.screenshot(), "native-windowed.png")
        poll(lambda: os.path.getsize(sound) > 8 * 48000 * 8, 30, 0.5)
        end_with(show, lambda: xdotool("key", "--window", window, "Escape"), "windowed: Escape")
        check(show.lines() == [], f"windowed: standard error {show.lines()}")
    finally:
        recorder.send_signal(signal.SIGINT)
        recorder.wait()
        show.kill()
    sound_is_track(sound, "windowed", 5)


def fullscreen(pulse):
    """Full screen on the defaults: the display covered at its own mode, the picture scaled to
    fill it; the close button ends it with 0."""
    show = NativeShow([], pulse)
    try:
        window = show.window()
        if not check(window is not None, f"full screen: no window; {show.lines()}"):
            return
        poll(lambda: geometry(window) == (1920, 1080, 0, 0), 10, 0.2)
        print(f"full screen: window {geometry(window)}", flush=True)
        check(geometry(window) == (1920, 1080, 0, 0), "full screen: the display is not covered")
        # Once the picture is up (the window shows before the show has loaded): every quarter
        # of the display has picture in it.
        def filled():
            shot = e2e.screenshot()
            quarters = [e2e.blocks_of("xwd:-", (960, 540, qx, qy), shot)
                        for qx in (0, 960) for qy in (0, 540)]
            return shot if all(max(map(max, q)) > 40 for q in quarters) else None
        shot = poll(filled, 60, 0.5)
        check(shot is not None, "full screen: a quarter of the display stayed black")
        e2e.save_png(shot or e2e.screenshot(), "native-fullscreen.png")
        end_with(show, lambda: close(window), "full screen: close button")
    finally:
        show.kill()


def stalls(pulse):
    """Stopped for 1 s as a machine stops a process: the sound as heard keeps the offset to the
    show's clock it had before, within 20 ms (show_end_to_end.py's stalls)."""
    sound = os.path.join(ARGS.work, "stalls.f32")
    recorder, stopped = recording(pulse, sound), []
    show = NativeShow(["--windowed"], pulse)
    try:
        window = show.window()
        if not check(window is not None, f"stalls: no window; {show.lines()}"):
            return
        time.sleep(7)
        stopped.append((os.path.getsize(sound) / 8 / 48000, 1))
        show.process.send_signal(signal.SIGSTOP)
        time.sleep(1)
        show.process.send_signal(signal.SIGCONT)
        time.sleep(16)
        end_with(show, lambda: xdotool("key", "--window", window, "Escape"), "stalls: Escape")
    finally:
        recorder.send_signal(signal.SIGINT)
        recorder.wait()
        show.kill()
    e2e.judge_stalls(sound, stopped, (1,))


def broken(pulse):
    """Each broken piece: its one line on standard error, the same text in a box, exit code 1."""
    # ALSA's default device on a card that does not exist, and no sound server to take over
    # from it: no sound device.
    no_card = os.path.join(ARGS.work, "no-card.conf")
    with open(no_card, "w") as config:
        config.write("pcm.!default { type hw card 31 }\n")
    no_sound = {"ALSA_CONFIG_PATH": "/usr/share/alsa/alsa.conf:" + no_card,
                "PULSE_SERVER": "unix:" + os.path.join(ARGS.work, "no-server")}
    for name, damage, env in (
            ("missing_track", e2e.break_track, {}),
            ("corrupt_tunnel", e2e.break_tunnel_image, {}),
            ("bad_shader", e2e.break_shader, {}),
            ("no_sound_device",
             lambda data: [re.compile(r"Unable to open the sound device \(.+\)")], no_sound)):
        exe, expected = e2e.damaged_copy(name, ARGS.show, damage)
        show = NativeShow(["--windowed"], pulse, exe=exe, env=env)
        try:
            box = show.window("Intro")
            check(box is not None, f"{name}: no box; {show.lines()}")
            if box is not None:
                close(box)
            code = show.exit_code(30)
            lines = show.lines()
            print(f"{name}: exit code {code}, {lines}", flush=True)
            # A compiler's log (None) may take several lines; the failure's own line is last.
            last, first = expected[-1], [e for e in expected[:-1] if e is not None]
            check(code == 1 and lines and (last.fullmatch(lines[-1]) if isinstance(
                last, re.Pattern) else last == lines[-1]) and lines[:len(first)] == first and
                  (len(lines) == len(expected) or None in expected),
                  f"{name}: expected {expected}")
        finally:
            show.kill()


def refused(pulse):
    """An option this machine does not offer, or a malformed one: one line, exit code 2, before
    any window opens; no display at all: one line, exit code 1."""
    for arguments, code, pattern, env in (
            (["--resolution", "1234x567"], 2, r"show: no resolution \"1234x567\" .*", {}),
            (["--antialiasing", "MSAA 64x"], 2, r"show: no antialiasing entry .*", {}),
            (["--fullscreen"], 2, r"show: no option \"--fullscreen\" \(see --help\)", {}),
            ([], 1, r"Unable to open the display: .*", {"DISPLAY": "", "WAYLAND_DISPLAY": ""})):
        show = NativeShow(arguments, pulse, env=env)
        got = show.exit_code(60)
        lines = show.lines()
        print(f"refused {arguments}: exit code {got}, {lines}", flush=True)
        check(got == code and len(lines) == 1 and re.fullmatch(pattern, lines[0]),
              f"refused {arguments}: expected {code} and {pattern}")
        check(not xdotool("search", "--name", "^OpenGL$").stdout.strip(),
              f"refused {arguments}: a window was left")
        show.kill()


CASES = {"windowed": windowed, "fullscreen": fullscreen, "stalls": stalls, "broken": broken,
         "refused": refused}


def main():
    os.makedirs(ARGS.work, exist_ok=True)
    number = 120
    while os.path.exists(f"/tmp/.X{number}-lock"):
        number += 1
    e2e.DISPLAY = f":{number}"
    xvfb = subprocess.Popen(["Xvfb", e2e.DISPLAY, "-screen", "0", "1920x1080x24", "-nolisten",
                             "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    started = time.monotonic()
    try:
        if not poll(lambda: subprocess.run(["xdpyinfo", "-display", e2e.DISPLAY],
                                           capture_output=True).returncode == 0, 15):
            print("no Xvfb")
            return 1
        with e2e.PulseServer() as pulse:
            for name, case in CASES.items():
                if ARGS.only is not None and name not in ARGS.only:
                    continue
                before = len(e2e.failures)
                case_start = time.monotonic()
                case(pulse)
                print(f"{name}: {'ok' if len(e2e.failures) == before else 'FAILED'} "
                      f"({time.monotonic() - case_start:.1f} s)", flush=True)
    finally:
        xvfb.terminate()
        xvfb.wait()
    print(f"native end to end: {time.monotonic() - started:.0f} s; screenshots in {ARGS.work}")
    if e2e.failures:
        print(f"{len(e2e.failures)} check(s) failed")
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
