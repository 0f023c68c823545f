#!/usr/bin/python3
"""How the tunnel follows the track: frames of the real render path at 60 fps against the kick
onsets in the decoded track. Exits 1 when the pulse's peak misses the kick (see README.md).
  tools/sync/measure-sync.py [OUTDIR]     (default build/sync; frames already there are reused)"""
import glob, os, re, subprocess, sys
import numpy as np

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build/sync"))
FPS, END, CUTS = 60, 156, (30, 62, 94, 142)
frames, run = os.path.join(out, "frames"), lambda *a: subprocess.run(a, check=True, stdout=subprocess.PIPE).stdout


def capture(times):  # the only use of the video writer: its 320x180 stills
    env, exe = os.path.join(out, "wine-env"), os.path.join(root, "build/windows-x64/tools/video/video_writer.exe")
    run(os.path.join(root, "scripts/wine-env.sh"), "start", env)
    try:
        for i in range(0, len(times), 600):
            subprocess.run([os.path.join(root, "scripts/wine-run.sh"), env, exe, "still", "--size", "320x180",
                            "--antialiasing", "0", frames] + ["%.6f" % t for t in times[i:i + 600]], check=True, capture_output=True)
    finally:
        run(os.path.join(root, "scripts/wine-env.sh"), "stop", env)


shot = lambda path: float(re.search(r"-t([\d.]+)\.png$", path)[1])
times = np.arange(END * FPS) / FPS
os.makedirs(frames, exist_ok=True)
if len(glob.glob(frames + "/*.png")) != len(times):
    capture(times)
paths = sorted(glob.glob(frames + "/*.png"), key=shot)
rgb = np.concatenate([np.frombuffer(run("convert", *paths[i:i + 500], "-scale", "64x36", "-depth", "8", "rgb:-"),
                                    np.uint8).reshape(-1, 36, 64, 3) for i in range(0, len(paths), 500)]) * 1.0
colour, away = rgb.mean(axis=(1, 2)), np.ones((36, 64), bool)
away[0:22, 19:45] = False  # the cubes and their glow (rows from the top)
wall = (rgb[:, away] @ [0.2126, 0.7152, 0.0722]).mean(axis=1)
tunnel = (np.floor(times / 2) % 2 == 1) | (np.floor(times) > 30)
track = os.path.join(root, "src/Data/TOTALLYANORIGINALTRACKNOTRIPPED.ogg")
x = np.frombuffer(run("ffmpeg", "-v", "error", "-i", track, "-ac", "1", "-ar", "44100", "-f", "s16le", "-"), "<i2") / 32768
hop, win = 128, 1024
power = np.abs(np.fft.rfft(x[np.arange(win) + hop * np.arange((len(x) - win) // hop)[:, None]] * np.hanning(win))) ** 2
band = np.fft.rfftfreq(win, 1 / 44100)
flux = np.maximum(0, np.diff(power[:, (band > 100) & (band < 250)].sum(1), prepend=0))
flux /= np.percentile(flux, 99.5)
peaks = [i for i in range(len(flux)) if flux[i] > 0.2 and flux[i] == flux[max(0, i - 15):i + 16].max()]
kicks = (np.array(peaks) * hop + win / 2) / 44100
# The beat grid fitted to the onsets, then only the onsets on it (the bass's are not); the kick
# comes in on a downbeat, so the first also places the bars.
for _ in range(2):
    beat, origin = np.polyfit(np.round((kicks - kicks[0]) / np.median(np.diff(kicks))), kicks, 1)
    kicks = kicks[np.abs((kicks - origin) / beat - np.round((kicks - origin) / beat)) < 1 / 8]
bar_at = lambda b: origin + (b - 1 - round(origin / (4 * beat))) * 4 * beat
print("kick onsets: %d, %.3f BPM, first at %.3f s" % (len(kicks), 60 / beat, origin))
print("bar  start  RMS dB  kicks  wall  mean RGB (tunnel frames only)")
for b in range(1, int(len(x) / 44100 / (4 * beat)) + 2):
    t0, t1 = bar_at(b), bar_at(b + 1)
    s, part = slice(max(0, round(t0 * FPS)), round(t1 * FPS)), x[max(0, int(t0 * 44100)):int(t1 * 44100)]
    shown = tunnel[s]  # the text pages hide the tunnel before 30 s
    print("%3d %6.2f %7.1f %6d %5.1f  %s" % (b, t0, 10 * np.log10((part ** 2).mean() + 1e-12),
          ((kicks >= t0 - 0.02) & (kicks < t1 - 0.02)).sum(), wall[s][shown].mean() if shown.any() else 0,
          " ".join("%5.1f" % v for v in colour[s][shown].mean(0)) if shown.any() else "text"))
failed = False
for name, first, last in (("drop", 30, 62), ("second drop", 94, 126)):
    sel = (times >= first) & (times < last)
    onset = np.array([kicks[kicks <= t + 0.004].max() for t in times[sel]])  # the last kick
    bins = np.round((times[sel] - onset) / beat * 30).astype(int) % 30
    fold = np.array([wall[sel][bins == k].mean() for k in range(30)])
    peak = ((np.argmax(fold) + 15) % 30 - 15) / 30
    downbeat, head = np.round((onset - origin) / beat) % 4 == 0, bins < 4
    print("%s: the folded wall brightness peaks %+.0f ms from the kick onsets, peak/trough %.2f, "
          "downbeat/other beats over their first eighth %.2f" % (name, peak * beat * 1000, fold.max() / fold.min(),
          wall[sel][head & downbeat].mean() / wall[sel][head & ~downbeat].mean()))
    failed |= abs(peak) > 1 / 8 or fold.max() / fold.min() < 1.1
form = {int(v) for v in re.findall(r"constexpr int k\w+ = (\d+);",
                                   open(os.path.join(root, "tools/music/src/song/soundtrack.h")).read())}
change = {}
for b in range(2, 76):
    at = round(bar_at(b) * FPS)
    before = [i for i in range(max(0, at - 4 * 120), at) if tunnel[i]][-120:]
    if len(before) == 120 and tunnel[at:at + 120].all():
        change[b] = np.linalg.norm(colour[at:at + 120].mean(0) - colour[before].mean(0))
others = sorted((v, b) for b, v in change.items() if b not in form)
median = np.median([v for v, _ in others])
print("mean colour change (RGB distance) from the last bar shown before a bar line to the bar after it:")
print("  %d other bar lines: median %.2f, largest %.2f at bar %d" % (len(others), median, *others[-1]))
for b in sorted(form & change.keys()):
    print("  section at bar %d (%.2f s): %.2f, %.1fx" % (b, bar_at(b), change[b], change[b] / median))
for cut in CUTS:  # every half beat: on the beats and between them
    run("montage", *[p for p in paths if cut - 10 <= shot(p) < cut + 10][::15], "-tile", "10x",
        "-geometry", "128x72+1+1", os.path.join(out, "cut-%d.png" % cut))
sys.exit(1 if failed else 0)
