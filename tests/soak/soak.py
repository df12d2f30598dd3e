#!/usr/bin/python3
"""A long scripted session with the real program under a private X server, killed at random instants.

The driver makes entries the way a user does (F9, F10, typed text with Chinese characters, Enter), mixes in
edits (F7, a few characters added to an earlier entry in the plain view, F8), and kills the program with
SIGKILL at random instants: while it saves an entry, while it saves an edit, while the segment loops. After
every kill it checks the files on disk before anything else touches them, restarts the program on the same
video and answers Yes to edit the existing file, the way a user would.

What must hold after every kill and at the end:
- both files are whole SRT: numbered entries 1..n of four lines, CR LF, nothing torn;
- the two files agree on numbers and times, the plain text is the formatted text without its style tags;
- every entry and every edit the driver saw on disk before the kill is still there, byte for byte; only the
  one action under way at the kill may be missing (or, for an edit, be partly typed).
"""
import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

MAIN_TITLE = "SRT外挂字幕制作(免费)"
BOX_TITLE = "SRT外挂字幕制作"
ADDITIONS = ["改", "好", "!", " ok", "对"]
WORDS = ["你好", "字幕", "测试", "世界", "时间", "我们", "今天", "明白", "hello", "line", "ok", "42", "yes", "the end"]
TIME_LINE = re.compile(r"^(\d\d):(\d\d):(\d\d),(\d\d\d) --> (\d\d):(\d\d):(\d\d),(\d\d\d)$")


class SoakFailure(Exception):
    pass


def seconds(groups):
    h, m, s, ms = (int(g) for g in groups)
    return h * 3600 + m * 60 + s + ms / 1000


def parse_srt(path):
    """Returns the entries of a file as (number, time line, text) or raises SoakFailure when it is torn."""
    raw = open(path, "rb").read()
    if raw == b"":
        return []
    if not raw.endswith(b"\r\n"):
        raise SoakFailure(f"{path}: does not end with CR LF ({len(raw)} bytes, ends {raw[-20:]!r})")
    lines = raw.decode("gbk").split("\r\n")[:-1]
    if len(lines) % 4:
        raise SoakFailure(f"{path}: {len(lines)} lines, not whole entries")
    entries = []
    for i in range(0, len(lines), 4):
        number, times, text, empty = lines[i : i + 4]
        if number != str(i // 4 + 1) or not TIME_LINE.match(times) or empty != "":
            raise SoakFailure(f"{path}: entry {i // 4 + 1} is malformed: {lines[i:i + 4]!r}")
        entries.append((int(number), times, text))
    return entries


def strip_style(formatted):
    """The typed text inside a formatted text line: the leading style block and a closing </b> removed."""
    match = re.match(r"^(\{[^}]*\}(<b>)?|<font[^>]*>\{[^}]*\})", formatted)
    if not match:
        raise SoakFailure(f"formatted text line without a style block: {formatted!r}")
    text = formatted[match.end() :]
    return text[:-4] if text.endswith("</b>") else text


def read_files(formatted_path, plain_path):
    """Both files as lists of (number, time line, typed text); the formatted one with its style removed."""
    formatted = parse_srt(formatted_path) if os.path.exists(formatted_path) else []
    plain = parse_srt(plain_path) if os.path.exists(plain_path) else []
    return [(n, t, strip_style(x)) for n, t, x in formatted], plain


class Session:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.rng = random.Random(args.seed)
        self.video = os.path.join(work, "soak video " + os.path.basename(args.video))
        shutil.copyfile(args.video, self.video)
        base = os.path.splitext(os.path.basename(self.video))[0]
        self.formatted_path = os.path.join(work, base + ".srt")
        self.plain_path = os.path.join(work, "NoFormat" + base + ".srt")
        self.env = dict(os.environ)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env["XDG_CONFIG_HOME"] = os.path.join(work, "config")
        self.env["VANTOR_AO"] = "null"
        os.makedirs(self.env["XDG_CONFIG_HOME"], exist_ok=True)
        self.log = open(os.path.join(work, "vantor.log"), "ab")
        self.xvfb = None
        self.program = None
        self.window = None
        # What the driver saw on disk: the entries (number, time line, plain text) both files hold.
        self.saved = []
        self.saved_plain = []
        self.kills = 0
        self.entries_made = 0
        self.entries_lost_in_flight = 0
        self.edits = 0
        self.restart_seconds = []

    # The X server and xdotool.
    def start_x(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.work, "xvfb.log"), "wb"))
        os.close(write_end)
        # The read end stays open for the server's life: it writes the number and the line break apart.
        self.display_pipe = read_end
        display = os.read(read_end, 64).decode().strip()
        if not display:
            raise SoakFailure("no X server could be started")
        self.env["DISPLAY"] = ":" + display

    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
        if check and result.returncode:
            raise SoakFailure(f"xdotool {' '.join(args)}: {result.stderr.strip()}")
        return result.stdout.split()

    def enter_text(self, text, delay=8):
        """Types the ASCII runs of `text` and pastes the others.

        Characters outside the keyboard map reach the program as synthetic key events with Unicode key
        symbols, and Qt's X11 input loses a few per cent of those at any typing speed (a bare QLineEdit
        shows the same), so Chinese text goes in through the clipboard, as a pasted line does.
        """
        for run in re.findall(r"[\x00-\x7f]+|[^\x00-\x7f]+", text):
            if run.isascii():
                self.xdotool("type", "--delay", str(delay), run)
                continue
            subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=run.encode(), env=self.env,
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.monotonic() + 5
            while subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=self.env,
                                 capture_output=True).stdout != run.encode():
                if time.monotonic() > deadline:
                    raise SoakFailure("the clipboard does not hold the text to paste")
                time.sleep(0.01)
            self.xdotool("key", "ctrl+v")

    def find_window(self, title, timeout):
        deadline = time.monotonic() + timeout
        pattern = "^" + re.escape(title) + "$"
        while time.monotonic() < deadline:
            if self.program.poll() is not None:
                raise SoakFailure(f"the program ended with status {self.program.returncode}"
                                  + ("" if self.xvfb.poll() is None else f"; the X server ended ({self.xvfb.returncode})"))
            ids = self.xdotool("search", "--name", pattern, check=False)
            if ids:
                return ids[0]
            time.sleep(0.05)
        return None

    def focus_main(self):
        self.xdotool("windowfocus", "--sync", self.window)

    # The program.
    def start_program(self, expect_question):
        began = time.monotonic()
        self.program = subprocess.Popen(
            # The Chinese interface, whose window titles the session looks for.
            [self.args.binary, "--lang", "zh", self.video], env=self.env, stdout=self.log, stderr=self.log)
        self.window = self.find_window(MAIN_TITLE, 30)
        if self.window is None:
            raise SoakFailure("the main window did not appear")
        if expect_question:
            box = self.find_window(BOX_TITLE, 30)
            if box is None:
                raise SoakFailure("the question about the existing file did not appear")
            # The user's answer: Yes is the box's default button.
            self.xdotool("windowfocus", "--sync", box)
            self.xdotool("key", "Return")
            deadline = time.monotonic() + 10
            while self.xdotool("search", "--name", "^" + re.escape(BOX_TITLE) + "$", check=False):
                if time.monotonic() > deadline:
                    raise SoakFailure("the question did not close on Return")
                time.sleep(0.05)
            # Loaded for editing: the plain view is shown; F8 goes back to capturing, F9 starts playback.
            self.focus_main()
            self.xdotool("key", "F8")
            time.sleep(0.1)
            self.xdotool("key", "F9")
        else:
            # A user starts marking once the video shows; libmpv opens it in the background.
            time.sleep(2.0)
            self.xdotool("key", "F9")
        self.restart_seconds.append(time.monotonic() - began)

    def kill_program(self):
        self.program.send_signal(signal.SIGKILL)
        self.program.wait()
        self.kills += 1

    def wait_until(self, condition, what, timeout=10):
        deadline = time.monotonic() + timeout
        last_error = None
        while time.monotonic() < deadline:
            try:
                files = read_files(self.formatted_path, self.plain_path)
                if condition(*files):
                    return files
            except (SoakFailure, UnicodeDecodeError, FileNotFoundError) as error:
                # A file is read while it is renamed into place: read again, the rename is atomic.
                last_error = error
            if self.program.poll() is not None:
                raise SoakFailure(f"the program ended with status {self.program.returncode} while {what}")
            time.sleep(0.02)
        raise SoakFailure(f"timed out while {what} (last error: {last_error})")

    # The checks after a kill.
    def check_after_kill(self, under_way):
        """Checks the files a kill left; `under_way` tells whether a state is a result of the interrupted action."""
        formatted, plain = read_files(self.formatted_path, self.plain_path)
        if formatted != self.saved and not under_way(formatted):
            raise SoakFailure(f"after kill {self.kills}: the formatted file is neither the saved state nor the "
                              "action under way" + describe_difference(self.saved, formatted))
        # The formatted file is written first: the plain one may still hold the state before the action.
        if plain not in (formatted, self.saved, self.saved_plain) and not under_way(plain):
            raise SoakFailure(f"after kill {self.kills}: the plain file is neither the saved state nor the "
                              "action under way" + describe_difference(formatted, plain))
        # What reached the formatted file before the kill is saved work from now on.
        self.saved = formatted
        self.saved_plain = plain
        return formatted

    # The user's actions.
    def random_text(self):
        return " ".join(self.rng.choice(WORDS) for _ in range(self.rng.randint(1, 3)))

    def make_entry(self, kill):
        """F10 (the start is where the loop last wrapped, or F9's mark), typed text, Enter."""
        text = self.random_text()
        time.sleep(self.rng.uniform(0.25, 0.45))
        self.xdotool("key", "F10")
        self.focus_main()
        self.enter_text(text)
        self.xdotool("key", "Return")
        number = len(self.saved) + 1
        if kill:
            time.sleep(self.rng.uniform(0, 0.04))
            self.kill_program()
            before = self.saved
            # The time line is the program's: any whole one, with the number and the text typed.
            state = self.check_after_kill(
                lambda s: s[:-1] == before and len(s) == number and s[-1][0] == number and s[-1][2] == text)
            if len(state) == number:
                self.entries_made += 1
            else:
                self.entries_lost_in_flight += 1
            return
        files = self.wait_until(lambda f, p: len(f) == number and len(p) == number, f"saving entry {number}")
        entry = files[0][-1]
        if entry[2] != text or files[1][-1] != entry:
            raise SoakFailure(f"entry {number} was saved as {entry!r} and {files[1][-1]!r}, typed {text!r}")
        if files[0][:-1] != self.saved:
            raise SoakFailure(f"entry {number} changed earlier entries" + describe_difference(self.saved, files[0][:-1]))
        self.saved = self.saved_plain = files[0]
        self.entries_made += 1

    def edit_entry(self, kill):
        """F7, caret onto an earlier entry's text line, a few characters added at its end, F8."""
        back = self.rng.randint(0, min(len(self.saved) - 1, 12))
        index = len(self.saved) - 1 - back
        addition = self.rng.choice(ADDITIONS) + str(self.rng.randint(0, 9))
        self.xdotool("key", "F7")
        time.sleep(0.1)
        self.focus_main()
        # The caret starts at the end of the plain view: the empty line after the last entry.
        self.xdotool("key", "ctrl+End")
        self.xdotool("key", "--delay", "5", *(["Up"] * (1 + 4 * back)))
        self.xdotool("key", "End")
        number, times, old = self.saved[index]
        if kill:
            # The kill lands while the addition goes in, keystroke by keystroke or as one paste.
            killer = threading.Timer(self.rng.uniform(0, 0.06), self.program.send_signal, (signal.SIGKILL,))
            killer.start()
            try:
                self.enter_text(addition, delay=15)
            except SoakFailure:
                pass
            killer.join()
            self.program.wait()
            self.kills += 1
            states = []
            for cut in range(len(addition) + 1):
                state = list(self.saved)
                state[index] = (number, times, old + addition[:cut])
                states.append(state)
            self.check_after_kill(lambda s: s in states)
            return
        self.enter_text(addition, delay=15)
        expected = list(self.saved)
        expected[index] = (number, times, old + addition)
        self.wait_until(lambda f, p: f == expected and p == expected, f"saving the edit of entry {number}")
        self.saved = self.saved_plain = expected
        self.edits += 1
        self.xdotool("key", "F8")
        time.sleep(0.1)
        self.xdotool("key", "F9")

    def loop_then_kill(self):
        """A kill while the segment loops and nothing is being saved."""
        time.sleep(self.rng.uniform(0.2, 0.4))
        self.xdotool("key", "F10")
        time.sleep(self.rng.uniform(0.1, 0.8))
        self.kill_program()
        self.check_after_kill(lambda s: False)

    def run(self):
        self.start_x()
        self.start_program(expect_question=False)
        started = time.monotonic()
        reported = 0
        while self.entries_made < self.args.entries:
            roll = self.rng.random()
            if self.saved and roll < self.args.edit_rate:
                self.edit_entry(kill=self.rng.random() < self.args.kill_rate * 2)
            elif roll < self.args.edit_rate + self.args.kill_rate / 3:
                self.loop_then_kill()
            else:
                self.make_entry(kill=self.rng.random() < self.args.kill_rate)
            if self.program.poll() is not None:
                self.start_program(expect_question=bool(self.saved) or os.path.exists(self.formatted_path))
            if self.args.progress and self.entries_made % 50 == 0 and self.entries_made != reported:
                reported = self.entries_made
                print(f"soak: {self.entries_made} entries, {self.kills} kills, {self.edits} edits", flush=True)
        self.kill_program()
        final, plain = read_files(self.formatted_path, self.plain_path)
        if final != self.saved or plain != self.saved:
            raise SoakFailure("at the end the files differ from what was saved" + describe_difference(self.saved, final))
        check_times(final)
        restarts = sorted(self.restart_seconds)
        print(f"soak: {self.entries_made} entries saved, {self.edits} edits saved, {self.kills} kills survived, "
              f"0 saved entries lost, {self.entries_lost_in_flight} entries killed before their save; "
              f"{len(final)} entries on disk; {time.monotonic() - started:.0f} s; "
              f"start to ready median {restarts[len(restarts) // 2]:.2f} s")

    def close(self):
        for process in (self.program, self.xvfb):
            if process is not None and process.poll() is None:
                process.kill()
                process.wait()


def describe_difference(expected, actual):
    for i, (e, a) in enumerate(zip(expected, actual)):
        if e != a:
            return f"; first difference at entry {i + 1}: expected {e!r}, found {a!r}"
    return f"; {len(expected)} entries expected, {len(actual)} found"


def check_times(entries):
    """Every entry ends after it starts, and starts no earlier than the previous one ended (less a frame)."""
    previous_end = 0.0
    for number, times, _ in entries:
        groups = TIME_LINE.match(times).groups()
        start, end = seconds(groups[:4]), seconds(groups[4:])
        if end < start or start + 0.041 < previous_end:
            raise SoakFailure(f"entry {number} has times {times} after an entry ending at {previous_end:.3f} s")
        previous_end = end


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--video", required=True)
    parser.add_argument("--entries", type=int, default=1000)
    parser.add_argument("--kill-rate", type=float, default=0.08, help="chance of a kill per action")
    parser.add_argument("--edit-rate", type=float, default=0.08, help="chance of an edit per action")
    parser.add_argument("--seed", type=int, default=int(time.time()))
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    parser.add_argument("--progress", action="store_true")
    args = parser.parse_args()
    print(f"soak: seed {args.seed}", flush=True)
    work = tempfile.mkdtemp(prefix="vantor-soak.")
    session = Session(args, work)
    try:
        session.run()
    except SoakFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        print(f"soak: work folder kept at {work}", file=sys.stderr)
        args.keep = True
        return 1
    finally:
        session.close()
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
