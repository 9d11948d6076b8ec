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
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime,
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
