"""A screen for graphical programs under Wine in the tests: Xvfb on a display
number it picks itself, windows found and keys pressed with xdotool, and
screenshots of the whole screen (screen_shot.py)."""
import os
import subprocess
import tempfile
import time

from screen_shot import screen_shot

WIDTH, HEIGHT = 800, 600


class XScreen:
    def __init__(self, shots_dir):
        self.fb_dir = tempfile.mkdtemp(prefix="kw-xvfb-")
        self.shots_dir = shots_dir
        self.shots = []
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{WIDTH}x{HEIGHT}x24", "-fbdir", self.fb_dir,
             "-nolisten", "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            self.display = ":" + f.readline().strip()

    def close(self):
        self.server.terminate()
        self.server.wait(10)
        for name in os.listdir(self.fb_dir):
            os.remove(os.path.join(self.fb_dir, name))
        os.rmdir(self.fb_dir)

    def env(self):
        return dict(os.environ, DISPLAY=self.display)

    def xdotool(self, *args):
        done = subprocess.run(["xdotool", *args], env=self.env(), capture_output=True, text=True)
        return done.stdout.split()

    def windows(self, name):
        """The visible windows whose title holds the text `name`."""
        return [int(w) for w in self.xdotool("search", "--onlyvisible", "--name", name)]

    def title(self, window):
        done = subprocess.run(["xdotool", "getwindowname", str(window)], env=self.env(), capture_output=True)
        return done.stdout.decode("utf-8", "replace").strip()

    def wait(self, what, condition, timeout=60):
        """condition()'s first true answer, polled; fails with `what` after timeout seconds."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            answer = condition()
            if answer:
                return answer
            time.sleep(0.2)
        raise AssertionError(f"waited {timeout} s for {what}")

    def new_window(self, name, known=(), timeout=60):
        """A visible window titled `name` that is not among `known`."""
        try:
            return self.wait(f"a new window „{name}”",
                             lambda: next((w for w in self.windows(name) if w not in known), None), timeout)
        except AssertionError as failure:
            shown = [self.title(w) for w in self.windows("") if self.title(w)]
            raise AssertionError(f"{failure}; the screen shows {shown}") from None

    def press(self, window, *keys):
        self.xdotool("windowfocus", "--sync", str(window))
        self.xdotool("key", "--clearmodifiers", *keys)

    def type(self, window, text):
        self.xdotool("windowfocus", "--sync", str(window))
        self.xdotool("type", "--delay", "20", text)

    def shot(self, name, settle=0.8):
        """The screen now (after `settle` seconds for the painting) as NN-name.png."""
        self.xdotool("mousemove", str(WIDTH - 1), str(HEIGHT - 1))  # the pointer out of the picture
        time.sleep(settle)
        path = os.path.join(self.shots_dir, f"{len(self.shots) + 1:02d}-{name}.png")
        screen_shot(os.path.join(self.fb_dir, "Xvfb_screen0"), path)
        self.shots.append(path)
        return path
