"""What the desktop test stages share: bounded waits, a private X server, a private
session bus, and the sweep that ends every process a test started, by its id."""
import os
import shutil
import signal
import subprocess
import tempfile
import time

from Xlib import X, display as xdisplay, protocol

SCREEN = (1024, 768)


def wait_for(condition, timeout=10.0, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.02)
    raise AssertionError("timed out waiting for " + what)


def xdotool(arguments, env=None):
    """xdotool's output as words. An X server that many clients connect to and leave at
    once (Wine's processes as they start and end) now and then refuses a connection: the
    call is made again, and a display that stays unreachable fails the test."""
    for _ in range(20):
        done = subprocess.run(["xdotool", *arguments], env=env, capture_output=True, text=True,
                              timeout=30)
        if "Can't open display" not in done.stderr:
            return done.stdout.split()
        time.sleep(0.05)
    raise AssertionError("xdotool could not open the display: " + done.stderr.strip())


def sweep(marker):
    """Ends every process started with marker in its environment (terminals, and the
    services a terminal's toolkit starts on the session bus), by its id."""
    needle = marker.encode() + b"\0"
    found = []
    for attempt in range(100):
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/stat" % pid) as f:
                    if f.read().rsplit(")", 1)[1].split()[0] == "Z":
                        continue
                with open("/proc/%s/environ" % pid, "rb") as f:
                    if needle in f.read() + b"\0" and int(pid) != os.getpid():
                        found.append(int(pid))
            except (OSError, ValueError, IndexError):
                pass
        if not found:
            return
        for pid in found:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        time.sleep(0.05)
    raise AssertionError("processes of %s did not end: %s" % (marker, found))


class Run:
    """What the whole run shares: a folder, a private session bus, and a marker in the
    environment of every process the run starts."""

    def __init__(self, prefix="lintara-e2e-run-", name="LINTARA_E2E_RUN"):
        self.folder = tempfile.mkdtemp(prefix=prefix)
        self.runtime = os.path.join(self.folder, "runtime")
        os.mkdir(self.runtime, 0o700)
        self.marker = name + "=" + self.folder
        self.bus = "unix:path=" + os.path.join(self.folder, "bus")
        # The toolkit's and the terminals' own settings and caches stay in the run's folder.
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime,
                        XDG_CONFIG_HOME=os.path.join(self.folder, "config"),
                        XDG_CACHE_HOME=os.path.join(self.folder, "cache"),
                        DBUS_SESSION_BUS_ADDRESS=self.bus, **{name: self.folder})
        self.env.pop("QT_QPA_PLATFORM", None)
        self.daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork",
                                        "--address=" + self.bus], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: os.path.exists(os.path.join(self.folder, "bus")), what="the bus")

    def stop(self):
        self.daemon.kill()
        self.daemon.wait(10)
        sweep(self.marker)
        shutil.rmtree(self.folder, ignore_errors=True)


class Display:
    def __init__(self):
        number = next(n for n in range(90, 190) if not os.path.exists("/tmp/.X11-unix/X%d" % n)
                      and not os.path.exists("/tmp/.X%d-lock" % n))
        self.name = ":%d" % number
        self.server = subprocess.Popen(
            ["Xvfb", self.name, "-screen", "0", "%dx%dx24" % SCREEN, "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: os.path.exists("/tmp/.X11-unix/X%d" % number), what="Xvfb")
        self.x = wait_for(lambda: self.connect(), what="Xvfb to take connections")

    def connect(self):
        try:
            return xdisplay.Display(self.name)
        except Exception:
            return None

    def close_from_title_bar(self, window):
        """What a window manager sends when the user closes a window from its title bar."""
        target = self.x.create_resource_object("window", int(window))
        protocols = self.x.intern_atom("WM_PROTOCOLS")
        event = protocol.event.ClientMessage(
            window=target, client_type=protocols,
            data=(32, [self.x.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        target.send_event(event, event_mask=X.NoEventMask)
        self.x.flush()

    def stop(self):
        self.x.close()
        self.server.terminate()
        self.server.wait(10)


class Driver:
    """Drives one started Lintara with xdotool: what a subclass provides is process,
    errors (its output file), marker, folder, and tool_env (the environment for xdotool)."""

    # How long a launch may take to end the program.
    end_limit = 10.0

    def xdo(self, *arguments):
        return xdotool(arguments, self.tool_env)

    def windows(self, title):
        return self.xdo("search", "--onlyvisible", "--name", title)

    def window(self, title, timeout=10.0):
        return wait_for(lambda: (self.windows(title) or [None])[0], timeout,
                        "a window named " + title + self.said())

    def visible(self, title):
        return bool(self.windows(title))

    def gone(self, title, timeout=10.0):
        wait_for(lambda: not self.visible(title), timeout, title + " to close")

    def focus(self, window, x=10, y=10):
        # Without a window manager the focus follows the pointer.
        self.xdo("mousemove", "--window", window, str(x), str(y))
        self.xdo("windowfocus", "--sync", window)

    def click(self, window, place):
        self.focus(window, *place)
        self.xdo("click", "1")

    def keys(self, window, *keys):
        self.focus(window)
        self.xdo("key", "--delay", "30", *keys)

    def type(self, window, text):
        self.focus(window)
        self.xdo("type", "--delay", "20", text)

    def alive(self):
        return self.process.poll() is None

    def said(self):
        self.errors.seek(0)
        text = self.errors.read().strip()
        return " (Lintara said: %s)" % text[-2000:] if text else ""

    def ended(self, timeout=None):
        wait_for(lambda: not self.alive(), timeout or self.end_limit,
                 "Lintara to end" + self.said())
        return self.process.returncode

    def close(self):
        if self.alive():
            self.process.kill()
        self.process.wait(10)
        # What it started: terminals, clients, recorders told to run on.
        sweep(self.marker)
        self.errors.close()
        shutil.rmtree(self.folder, ignore_errors=True)
