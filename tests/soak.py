#!/usr/bin/env python3
"""Random-input soak: seeded key scripts against the samples, under the sanitizer build.

Each seed gives one run: a window size, a drawing (or none: the start-up selector), a
printer (a PDF folder or none) and a key script of keys of every kind, typed text, clicks,
wheel, resizes, close answers, long digit runs, menu items 1..8 with their dialogues and
Esc storms. A run passes when it ends within its bound with status 0 (or the run-time
error report for an output name the system refuses), prints nothing else, leaves no
scratch or temporary file, keeps every file that was there byte for byte, and every file it
wrote reads back: a UGF through a batch conversion of the program, a PLT through hp2xx
(unless all it draws is one point, where hp2xx itself crashes), an SGB, PDF and PNG by
their structure.

  tests/soak.py --program build-asan/ugfview [--seconds 60] [--seed N ...]

The seeds in tests/soak_seeds.txt (each once found a fault) run first, every time. A
failing seed is printed with the command that replays it; its folder is kept.
"""

import argparse
import hashlib
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = os.path.join(HERE, "..", "samples")
SAMPLE_DRAWINGS = ["PART.UGF", "PLAN.UGF", "SPIRAL.UGF", "PENS.UGF", "POINTS.UGF"]
DRAWINGS = SAMPLE_DRAWINGS + ["LONG.UGF", "HUGE.UGF", "DOS.UGF"]
RUN_BOUND = 60.0  # seconds per run under the sanitizers (a 1000-pass export of SPIRAL takes 5)
REPORT = re.compile(r"Runtime error (\d+) at 0x[0-9A-F]{8}\n")
# Reports a run may end with: an output name the system refuses (too long, say). The
# drawings are sound, so a report about reading one is a fault.
DOCUMENTED = {2, 3, 5, 101}
SCRATCH = {"BUF.TMP", "BUFN.TMP", "BUF.ZBF"}
TEMPORARY = re.compile(r"^\..*\.[A-Za-z0-9]{6}$|^\.job-.*\.pdf$")  # output and print-job temporaries

# Output names: fresh ones only, so no output may replace a drawing that was there.
NAMES = ["OUT", "o1", "Выход", "X2", "ab_c", "Z", "чертёж", "N.1", "LONG_OUTPUT_NAME_12345"]
NAMED_KEYS = ["Left", "Right", "Up", "Down", "PgUp", "PgDn", "Home", "End", "Delete", "F1", "Insert"]
# Plain characters; never '/' nor '|' (the Russian layout makes it '/'): a typed path
# could leave the run's folder.
PLAIN = ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 !@#$%^&*()-_=+[]"
         ";:'\",.<>?`~йцукенгшщзхъфывапролджэячсмитьбюЁё")
COMMANDS = "BbRrZzVvGgEeXx!@$,<.>;+-[]"


class Script:
    """Builds a key script; the rng decides everything."""

    def __init__(self, rng, width, height):
        self.r = rng
        self.w, self.h = width, height
        self.items = []

    def add(self, *items):
        self.items.extend(items)

    def text(self, s):
        for c in s:
            self.add("\\\\" if c == "\\" else "\\{" if c == "{" else c)

    def point(self):
        r = self.r
        # Mostly inside the client, sometimes beyond it.
        return r.randint(0, self.w + 40), r.randint(0, self.h + 40)

    def key(self):
        r = self.r
        k = r.random()
        if k < 0.25:
            prefix = r.choice(["", "", "", "ctrl+", "shift+", "ctrl+shift+"])
            self.add("{%s%s}" % (prefix, r.choice(NAMED_KEYS)))
        elif k < 0.32:
            self.add("{ctrl+%s}" % r.choice("abcdefghijklmnopqrstuvwxyz"))
        elif k < 0.45:
            self.add(r.choice(["\\r", "\\e", "\\t", "\\b"]))
        elif k < 0.60:
            self.text(r.choice(COMMANDS))
        elif k < 0.75:
            self.text(r.choice("12345678"))
        elif k < 0.90:
            self.text(r.choice(PLAIN))
        else:
            b = r.randrange(256)
            if b not in (0x2F, 0x7C):
                self.add("\\x%02X" % b)

    def mouse(self):
        r = self.r
        x, y = self.point()
        k = r.random()
        if k < 0.5:
            self.add("{%s %d %d}" % (r.choice(["click", "click", "rclick", "mclick"]), x, y))
        elif k < 0.7:
            self.add("{move %d %d}" % (x, y))
        else:
            self.add("{wheel %d}" % r.choice([-5, -2, -1, 1, 2, 5]))

    def resize(self):
        self.w = self.r.randint(320, 1600)
        self.h = self.r.randint(240, 1200)
        self.add("{resize %d %d}" % (self.w, self.h))

    def digits(self, lo=1, hi=60):
        r = self.r
        s = "".join(r.choice("0123456789") for _ in range(r.randint(lo, hi)))
        if r.random() < 0.3:
            s = s[: len(s) // 2] + "." + s[len(s) // 2 :]
        if r.random() < 0.2:
            s = "-" + s
        self.text(s)

    def number(self):
        """A number field's answer: a small number, a long run, empty, or Esc."""
        r = self.r
        k = r.random()
        if k < 0.5:
            self.text(r.choice(["1", "0", "2.5", "0.1", "10", "100", "-3", "A", "1e5", ""]))
        elif k < 0.75:
            self.digits()
        elif k < 0.85:
            self.add("\\b", "\\b")
        self.add("\\e" if r.random() < 0.1 else r.choice(["\\r", "\\r", "]", " "]))

    def name(self, offered):
        r = self.r
        k = r.random()
        if k < 0.1:
            self.add("\\e")
            return
        if not offered or k < 0.5:
            if offered:
                self.add(*["\\b"] * r.randint(1, 12))
            if r.random() < 0.2:
                self.add("{ctrl+a}")  # the other layout
            self.text(r.choice(NAMES))
        self.add("\\r")

    def colours(self):
        r = self.r
        for _ in range(r.randint(0, 8)):
            k = r.random()
            if k < 0.7:
                self.add("{%s}" % r.choice(["Left", "Right", "Up", "Down"]))
            elif k < 0.85:
                # Small counts: every pass adds two copies of each line, and an export of an
                # export multiplies them (a user stops that with a key; a script cannot).
                self.add(" ")
                self.text(r.choice(["0", "1", "2", "3", "", "A"]))
                self.add(r.choice(["\\r", "\\e"]))
            else:
                self.key()
        self.add(r.choice(["\\r", "\\r", "\\e", " "]))

    def selector(self):
        r = self.r
        for _ in range(r.randint(0, 6)):
            k = r.random()
            if k < 0.6:
                self.add("{%s}" % r.choice(["Left", "Right", "Up", "Down"]))
            elif k < 0.7:
                self.add("\\t")
            else:
                self.key()
        self.add(r.choice(["\\r", "\\r", "\\r", "\\e"]))

    def cursor(self):
        r = self.r
        for _ in range(r.randint(0, 10)):
            k = r.random()
            if k < 0.4:
                self.add("{%s}" % r.choice(["Left", "Right", "Up", "Down", "End", "shift+Up", "shift+Down"]))
            elif k < 0.6:
                self.add("{move %d %d}" % self.point())
            elif k < 0.7:
                self.text(r.choice("+-=_,.<>"))
            elif k < 0.8:
                self.text("X")
                self.number()
            else:
                self.key()
        x, y = self.point()
        self.add(r.choice(["{click %d %d}" % (x, y), "{rclick %d %d}" % (x, y), "\\r", "\\e", " "]))

    def print_dialog(self):
        r = self.r
        self.add("4")
        for _ in range(r.randint(1, 5)):
            k = r.random()
            if k < 0.5:
                self.text(r.choice("12345"))  # a number row, edited in place
                self.number()
            elif k < 0.6:
                self.text("6")
            elif k < 0.8:
                self.text(r.choice("78"))
                self.number()
            else:
                self.key()
        if r.random() < 0.6:
            self.text("9")
            self.colours()
            self.number()
        else:
            self.add("\\e")

    def menu_item(self):
        r = self.r
        item = r.choice("123456789")
        if item == "1":
            self.add("1")
            self.selector()
        elif item == "2":
            self.add("2")
            self.name(False)
            self.number()  # new or old variant
            self.colours()
            self.number()  # the offset
        elif item == "3":
            self.add("3")
            self.name(True)
        elif item == "4":
            self.print_dialog()
        elif item == "5":
            self.add("5")
            self.name(True)
            self.number()
        elif item == "6":
            self.add("6")
            self.cursor()
        elif item in "78":
            self.add(item)
        else:  # view commands
            cmd = r.choice(["B", "R", "Z", "!", "@", "$", "\\t", "V", "{ctrl+v}", "G", "E", "X", ";",
                            "{ctrl+k}", "{ctrl+b}", "{ctrl+r}", ",", "<", ".", ">"])
            self.add(cmd)
            if cmd == "Z":
                self.add("{click %d %d}" % self.point(), "{click %d %d}" % self.point())
            elif cmd in ("V", "{ctrl+v}"):
                self.text(r.choice("0123456789"))
            elif cmd in ("G", "X"):
                self.number()

    def build(self, length):
        r = self.r
        if r.random() < 0.1:
            self.add("{+}")  # type-ahead: the first keys wait when the window opens
        for _ in range(length):
            k = r.random()
            if k < 0.35:
                self.menu_item()
            elif k < 0.60:
                self.key()
            elif k < 0.70:
                self.mouse()
            elif k < 0.74:
                self.resize()
            elif k < 0.78:
                self.add("{close-no}")
            elif k < 0.82:
                self.digits(20, 200)
            elif k < 0.86:
                self.add(*["\\e"] * r.randint(3, 15))
            elif k < 0.92:
                self.text("".join(r.choice(PLAIN) for _ in range(r.randint(1, 20))))
            elif k < 0.95:
                self.add("{shot s%d.png}" % r.randrange(3))
            else:
                # Keys that wait while a redraw runs.
                self.add("{%s}" % r.choice(["PgUp", "PgDn", "Left"]), "{+}")
                self.key()
        if r.random() < 0.05:
            self.add("{close-yes}")
        return "".join(self.items)


def make_long_drawing(path):
    """Old variant: one polyline of 2500 points (it spills into the scratch files) and a few
    short ones."""
    with open(path, "w", newline="") as f:
        f.write(" X   Y   PenNo (0-Pen up, -1-stop)\r\n")
        f.write("0.00 0.00 0\r\n")
        for i in range(2500):
            f.write("%.2f %.2f %d\r\n" % (i * 0.1, (i % 50) * 0.3, 2 + i // 700))
        for k in range(5):
            f.write("%d.00 -5.00 0\r\n%d.00 -10.00 %d\r\n" % (k * 20, k * 20 + 10, k + 9))
        f.write(" 0 0 -1\r\n")


def make_odd_drawings(folder):
    """HUGE.UGF: coordinates near the single limits (views and exports overflow them);
    DOS.UGF: numbers of thousands of digits and a DOS end-of-file byte."""
    with open(os.path.join(folder, "HUGE.UGF"), "wb") as f:
        f.write(b"huge\r\n3e38 3e38 1\r\n-3e38 -3e38 0\r\n3.4e38 -1e-40 0\r\n1e-40 -0 2\r\n"
                b"-3.4e38 0 7\r\n0 3.4e38 0\r\n2e38 2e38 15\r\n 0 0 -1\r\n")
    zeros = b"0" * 5000
    with open(os.path.join(folder, "DOS.UGF"), "wb") as f:
        f.write(b"dos\r\n0 0 4\r\n" + zeros + b"100." + zeros + b" 5" + zeros + b"e-" + zeros + b"4999 0\r\n"
                b"100 0 0\r\n0 0 0\r\n\x1a" + b"garbage after the end \x00\xff\r\n")


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def snapshot(top):
    files = {}
    for base, dirs, names in os.walk(top):
        for n in names:
            p = os.path.join(base, n)
            if os.path.isfile(p) and not os.path.islink(p):
                files[os.path.relpath(p, top)] = digest(p)
    return files


def check_sgb(path):
    with open(path, "rb") as f:
        data = f.read()
    if not data.endswith(b"\r\n"):
        return "does not end in CR LF"
    lines = data[:-2].split(b"\r\n")
    coord = re.compile(rb"^ *-?\d+\.\d{3}$")
    i = 0
    try:
        while True:
            if lines[i] == b" -1":
                return None if i == len(lines) - 1 else "lines after the end"
            kind = int(lines[i])
            if kind not in (1, 2, 4) or lines[i + 1] != b"1" or lines[i + 2] != b"1":
                return "bad record head at line %d" % (i + 1)
            int(lines[i + 3])
            n = kind if kind != 4 else int(lines[i + 4])
            i += 4 if kind != 4 else 5
            for k in range(2 * n):
                v = lines[i + k]
                if len(v) < 10 or not coord.match(v) or abs(float(v)) > 3.5e38:
                    return "bad coordinate %r at line %d" % (v, i + k + 1)
            i += 2 * n
    except (IndexError, ValueError) as e:
        return "malformed at line %d: %s" % (i + 1, e)


def check_plt(path):
    """(problem or None, whether all that is drawn is one point: hp2xx crashes on that)."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    head = re.match(rb"^IN;IW0,0,(-?\d+),(-?\d+);IP0,0,\1,\2;SP1;$", lines[0])
    if not head or lines[-2:] != [b"PU0,0;SP0;", b""]:
        return "bad head or end", False
    w, h = int(head.group(1)), int(head.group(2))
    if not (0 <= w <= 1 << 30 and 0 <= h <= 1 << 30):
        return "window %d x %d" % (w, h), False
    drawn, last = set(), None
    for line in lines[1:-2]:
        m = re.match(rb"^(PU|PD) (-?\d+),(-?\d+);$", line)
        if not m:
            if not re.match(rb"^SP\d+;$", line):
                return "bad line %r" % line[:40], False
            continue
        pt = (int(m.group(2)), int(m.group(3)))
        if not (0 <= pt[0] <= w and 0 <= pt[1] <= h):
            return "point %r outside the window" % (pt,), False
        if m.group(1) == b"PD":
            drawn.update((last, pt) if last else (pt,))
        last = pt
    return None, len(drawn) <= 1


def check_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return "no PNG signature"
    i, seen = 8, []
    while i < len(data):
        (length,) = struct.unpack(">I", data[i : i + 4])
        kind = data[i + 4 : i + 8]
        body = data[i + 8 : i + 8 + length]
        (crc,) = struct.unpack(">I", data[i + 8 + length : i + 12 + length])
        if zlib.crc32(kind + body) != crc:
            return "bad CRC in chunk %r" % kind
        seen.append(kind)
        i += 12 + length
    return None if seen[:1] == [b"IHDR"] and seen[-1:] == [b"IEND"] else "chunks %r" % seen


def read_back(program, path, work, env):
    """None when the program (or the peer reading the format) reads the file without error."""
    ext = os.path.splitext(path)[1].upper()
    if ext == ".UGF":
        out = os.path.join(work, "check.PLT")
        p = subprocess.run([program, "--plt", out, path], env=env, capture_output=True, timeout=RUN_BOUND)
        if os.path.exists(out):
            os.remove(out)
        if p.returncode != 0 or p.stderr:
            return "read back: status %d %s" % (p.returncode, p.stderr.decode(errors="replace").strip())
        return None
    if ext == ".PLT":
        why, one_point = check_plt(path)
        if why or one_point or not shutil.which("hp2xx"):
            return why
        out = os.path.join(work, "check.pbm")
        p = subprocess.run(["hp2xx", "-m", "pbm", "-f", out, path], stdin=subprocess.DEVNULL,
                           capture_output=True, timeout=RUN_BOUND)
        if os.path.exists(out):
            os.remove(out)
        err = p.stderr.decode(errors="replace")
        m = re.search(r"ignored:\s*(\d+)", err)
        if p.returncode != 0 or not m or m.group(1) != "0":
            return "hp2xx: status %d %s" % (p.returncode, err.strip()[-200:])
        return None
    if ext == ".SGB":
        return check_sgb(path)
    if ext == ".PDF":
        if not shutil.which("pdfinfo"):
            return None
        p = subprocess.run(["pdfinfo", path], capture_output=True, timeout=RUN_BOUND)
        if p.returncode != 0 or b"Pages:           1" not in p.stdout:
            return "pdfinfo: status %d %s" % (p.returncode, p.stderr.decode(errors="replace").strip())
        return None
    if ext == ".PNG":
        return check_png(path)
    return "an unexpected file"


def run_seed(program, seed, root, outputs):
    """Runs one seed in a fresh folder under root; returns (problems, run folder, script)."""
    rng = random.Random(seed)
    # The run's folder lies deep, so that the selector's ".." stays inside root; what the
    # user writes where the selector took them is an output like any other.
    deep = os.path.join(root, *["up"] * 40)
    run = os.path.join(deep, "run")
    shutil.rmtree(os.path.join(root, "up"), ignore_errors=True)
    os.makedirs(os.path.join(run, "sub"))
    os.makedirs(os.path.join(run, "jobs"))
    tmp = os.path.join(root, "tmp")
    shutil.rmtree(tmp, ignore_errors=True)
    os.makedirs(tmp)
    for name in SAMPLE_DRAWINGS:
        shutil.copy(os.path.join(SAMPLES, name), run)
    make_long_drawing(os.path.join(run, "LONG.UGF"))
    make_odd_drawings(run)
    shutil.copy(os.path.join(SAMPLES, "POINTS.UGF"), os.path.join(run, "sub", "SUB.UGF"))
    before = snapshot(run)
    top = os.path.join(root, "up")

    width, height = rng.choice([(640, 480), (1024, 768), (800, 600), (320, 320), (1280, 1024)])
    drawing = rng.choice(DRAWINGS + [None])
    script = Script(rng, width, height).build(rng.randint(5, 100))
    args = [program, "--size", "%dx%d" % (width, height), "--keys", script]
    if rng.random() < 0.3:
        args += ["--screenshot", "end.png"]
    if drawing:
        args.append(drawing if rng.random() < 0.8 else drawing.lower())
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "UGFVIEW_KEYLOG", "UGFVIEW_PRINT_DIR", "PRINTER", "LPDEST")}
    env.update(TMPDIR=tmp, CUPS_SERVER=os.path.join(root, "no-cups.sock"),
               ASAN_OPTIONS="detect_leaks=1:exitcode=86", UBSAN_OPTIONS="print_stacktrace=1:exitcode=87")
    if rng.random() < 0.8:
        env["UGFVIEW_PRINT_DIR"] = os.path.join(run, "jobs")

    problems, reports = [], []
    started = time.monotonic()
    try:
        p = subprocess.run(args, cwd=run, env=env, capture_output=True, timeout=RUN_BOUND)
        status, err = p.returncode, p.stderr.decode(errors="replace")
    except subprocess.TimeoutExpired as e:
        status, err = None, (e.stderr or b"").decode(errors="replace")
        problems.append("no end within %.0f s" % RUN_BOUND)
    took = time.monotonic() - started
    if status is not None:
        m = REPORT.match(err)
        if status == 0:
            if err:
                problems.append("status 0 with output: " + err.strip()[:300])
        elif m and int(m.group(1)) == status and status in DOCUMENTED and err[m.end():].startswith("ugfview: "):
            reports.append(status)
        else:
            problems.append("status %d: %s" % (status, err.strip()[-1500:]))

    # Nothing outside the folders, no scratch or temporary files, the drawings intact, and
    # every file written readable.
    if set(os.listdir(root)) - {"up", "tmp"}:
        problems.append("files written at the top: %s" % os.listdir(root))
    if os.listdir(tmp):
        problems.append("left in TMPDIR: %s" % os.listdir(tmp))
    after = {os.path.relpath(os.path.join(top, rel), run): d for rel, d in snapshot(top).items()}
    for rel, d in before.items():
        if after.get(rel) != d:
            problems.append("%s %s" % (rel, "changed" if rel in after else "removed"))
        after.pop(rel, None)
    for rel in sorted(after):
        base = os.path.basename(rel)
        if base in SCRATCH or TEMPORARY.match(base):
            problems.append("left behind: " + rel)
            continue
        kind = os.path.splitext(base)[1].upper() or base
        if kind == ".PNG" and os.path.dirname(rel):
            problems.append("screenshot away from the start folder: " + rel)
        outputs[kind] = outputs.get(kind, 0) + 1
        why = read_back(program, os.path.join(run, rel), tmp, env)
        if why:
            problems.append("%s: %s" % (rel, why))
    return problems, reports, run, script, took


def corpus_seeds(path):
    seeds = []
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                word = line.split("#", 1)[0].strip()
                if word:
                    seeds.append(int(word))
    return seeds


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--program", required=True)
    ap.add_argument("--seconds", type=float, default=float(os.environ.get("UGF_SOAK_SECONDS", 60)))
    ap.add_argument("--seed", type=int, action="append", help="run only these seeds")
    ap.add_argument("--corpus", default=os.path.join(HERE, "soak_seeds.txt"))
    ap.add_argument("--keep", default=None, help="folder for the runs of failing seeds")
    a = ap.parse_args()
    program = os.path.abspath(a.program)
    keep = os.path.abspath(a.keep or os.path.join(os.path.dirname(program), "soak-failures"))

    if a.seed:
        seeds, endless = list(a.seed), False
    else:
        seeds, endless = corpus_seeds(a.corpus), True
    fresh = random.Random()
    start = time.monotonic()
    runs, failed, slowest, ended, outputs = 0, [], (0.0, None), {}, {}
    root = tempfile.mkdtemp(prefix="ugfsoak-")
    try:
        i = 0
        while True:
            if i < len(seeds):
                seed = seeds[i]
            elif endless and time.monotonic() - start < a.seconds:
                seed = fresh.randrange(1 << 32)
            else:
                break
            i += 1
            problems, reports, run, script, took = run_seed(program, seed, root, outputs)
            runs += 1
            for code in reports:
                ended[code] = ended.get(code, 0) + 1
            slowest = max(slowest, (took, seed), key=lambda t: t[0])
            if problems:
                failed.append(seed)
                kept = os.path.join(keep, "seed-%d" % seed)
                shutil.rmtree(kept, ignore_errors=True)
                shutil.copytree(run, kept, symlinks=True)
                with open(os.path.join(kept, "SCRIPT.txt"), "w", encoding="utf-8") as f:
                    f.write(script + "\n")
                print("soak: seed %d FAILED:\n  %s\n  folder: %s\n  replay: %s %s --program %s --seed %d"
                      % (seed, "\n  ".join(problems), kept, sys.executable, os.path.abspath(__file__),
                         a.program, seed), flush=True)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("soak: %d runs in %.0f s (%d from the corpus), slowest %.1f s (seed %s); files read back: %s; "
          "ended by a report: %s; %d failed%s"
          % (runs, time.monotonic() - start, min(len(seeds), runs), slowest[0], slowest[1],
             ", ".join("%d %s" % (n, k) for k, n in sorted(outputs.items())) or "none",
             ", ".join("%d × code %d" % (n, c) for c, n in sorted(ended.items())) or "none",
             len(failed), ": " + " ".join(map(str, failed)) if failed else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
