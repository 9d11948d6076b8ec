#!/usr/bin/env python3
"""Lintara.exe under Wine on the stage's Xvfb, driven by real clicks and keys (xdotool):
real MessageBoxW boxes, the real GetOpenFileNameW dialog, the real private-profile
functions, with a recorder standing in for each client program. A peek program reads
what a box or a control shows, as the user's eyes would. Screenshots of both windows
go beside Lintara.exe.
Usage: lintara_wine_e2e.py LINTARA_EXE RECORDER_EXE  (WINEPREFIX and DISPLAY set; the
prefix has one running wineserver)"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

from Xlib import X, display as xdisplay

import desktop_harness

LINTARA, RECORDER = (os.path.abspath(p) for p in sys.argv[1:3])
PEEK = os.path.join(os.path.dirname(RECORDER), "lintara_peek_win32.exe")
SHOTS = os.path.dirname(LINTARA)
PREFIX = os.environ["WINEPREFIX"]
MAIN_TITLE = " Lintara v. 1.2"
OPTIONS_TITLE = " Lintara Options"
BROWSER = r"C:\Program Files\Internet Explorer\iexplore.exe"
# Lintara watches what a closing launch started for 2 s.
WATCH_LIMIT = 15.0

# Places in twips (left, top, width, height) and the frame that holds each control.
MAIN_FRAMES = {"C": (120, 10), "M": (120, 2040)}
MAIN = {
    "ConnectButton": (4680, 320, 1095, 375, None), "ConnectText": (1560, 360, 1935, 285, None),
    "PortText": (3960, 360, 615, 315, None), "Options": (240, 720, 975, 615, "C"),
    "TermServiceOption": (1440, 840, 975, 375, "C"), "RDPConsoleOption": (2520, 840, 1095, 375, "C"),
    "VNCOption": (3480, 840, 735, 375, "C"), "TelnetOption": (4560, 840, 855, 375, "C"),
    "SSHOption": (5520, 840, 735, 375, "C"), "PingOption": (5520, 1440, 615, 255, "C"),
    "MapDriveOption": (1080, 1440, 1215, 255, "C"), "FTP": (4560, 1440, 615, 255, "C"),
    "HTTPOption": (2520, 1440, 855, 255, "C"), "HTTPSOption": (3480, 1440, 855, 255, "C"),
    "Anonymous": (5160, 920, 1215, 375, "M"), "PasswordText": (3840, 960, 1095, 285, "M"),
}
OPTIONS_FRAMES = {"TS": (40, 120), "D": (40, 8040)}
OPTIONS = {
    "TSText": (120, 360, 4575, 285, None), "TSChooseButton": (4800, 300, 1335, 375, None),
    "TSCommandLineOptionsText": (1920, 720, 3495, 285, "TS"),
    "RDPConsoleOption": (1320, 240, 1095, 615, "D"),
    "CancelButton": (5160, 9120, 1095, 375, None), "OKButton": (3960, 9120, 1095, 375, None),
}
# Control ids: 100 + the index in the window's table.
MAIN_IDS = {"ConnectButton": 102, "ConnectText": 103, "PortText": 104}
OPTIONS_IDS = {"TSText": 101, "TSChooseButton": 102, "RDPConsoleCommandLineOptionsText": 109,
               "SSHText": 121}
WINDOWS_SAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                              "resources", "windows", "Lintara.ini")

SAMPLE = ("[RemoteDesktop]\r\nProgram=CLIENT\r\nOptions=/v:HOST:PORT\r\n"
          "[RDPConsole]\r\nProgram=CLIENT\r\nOptions=/v:HOST:PORT /admin\r\n"
          "[VNC]\r\nProgram=CLIENT\r\nOptions=HOST::PORT\r\n"
          "[Telnet]\r\nProgram=CLIENT\r\nOptions=HOST PORT\r\n"
          "[SSH]\r\nProgram=CLIENT\r\nOptions=-p PORT HOST\r\n"
          "[FTP]\r\nProgram=CLIENT\r\n"
          "[DefaultConnection]\r\nType=SSH\r\n")


def wait_for(condition, timeout=15.0, what="condition"):
    # Wine's windows come and go more slowly than the toolkit's.
    return desktop_harness.wait_for(condition, timeout, what)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def pixels(twips, dpi=96):
    """MulDiv(twips, dpi, 1440): rounded to the nearest pixel."""
    return (twips * dpi + 720) // 1440


def twips_center(table, frames, name, dpi=96):
    left, top, width, height, frame = table[name]
    if frame:
        left += frames[frame][0]
        top += frames[frame][1]
    return (pixels(left + width // 2, dpi), pixels(top + height // 2, dpi))


def save_png(path, x, y, width, height, screen):
    """The screen's pixels in a rectangle, as a PNG file."""
    width = min(width, screen.width_in_pixels - x)
    height = min(height, screen.height_in_pixels - y)
    image = screen.root.get_image(x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data
    rows = bytearray()
    for row in range(height):
        rows.append(0)
        line = image[row * width * 4:(row + 1) * width * 4]
        for p in range(0, len(line), 4):
            rows += bytes((line[p + 2], line[p + 1], line[p]))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(bytes(rows))) + chunk(b"IEND", b""))


def wine(*arguments, **options):
    # Bounded: a Wine service started by the call could hold its output open.
    return subprocess.run(["wine", *arguments], capture_output=True, timeout=60, **options)


def set_dpi(dpi):
    wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
         "/d", str(dpi), "/f")


class Session:
    """One Lintara.exe in a folder of its own (with a blank in its path), recorders beside
    it for ping, net and explorer, and one for the configured clients."""

    def __init__(self, ini=SAMPLE, arguments=(), recorders=("ping", "net", "explorer"),
                 environment=None):
        self.folder = tempfile.mkdtemp(prefix="lintara-wine-")
        self.program = os.path.join(self.folder, "Lintara.exe")
        shutil.copy(LINTARA, self.program)
        clients = os.path.join(self.folder, "clients")
        os.mkdir(clients)
        self.client = windows_path(os.path.join(clients, "client.exe"))
        shutil.copy(RECORDER, os.path.join(clients, "client.exe"))
        for name in recorders:
            shutil.copy(RECORDER, os.path.join(self.folder, name + ".exe"))
        self.ini = os.path.join(self.folder, "Lintara.ini")
        if ini is not None:
            with open(self.ini, "wb") as f:
                f.write(ini.replace("CLIENT", self.client).encode("cp1252"))
        self.records = os.path.join(self.folder, "records")
        os.mkdir(self.records)
        self.env = dict(os.environ, LINTARA_RECORD_DIR=windows_path(self.records))
        self.env.update(environment or {})
        self.errors = open(os.path.join(self.folder, "errors"), "w+")
        self.process = subprocess.Popen(["wine", self.program, *arguments], env=self.env,
                                        cwd=self.folder, stdout=self.errors,
                                        stderr=self.errors)

    # ---- what is on screen ----
    def xdo(self, *arguments):
        return desktop_harness.xdotool(arguments)

    def windows(self, title):
        return self.xdo("search", "--onlyvisible", "--name", "^" + title + "$")

    def visible(self, title):
        return bool(self.windows(title))

    def window(self, title, timeout=15.0):
        # Polled: a search that waits can fail while Wine creates the window.
        return wait_for(lambda: (self.windows(title) or [None])[0], timeout,
                        "a window named %r%s" % (title, self.said()))

    def gone(self, title, timeout=15.0):
        wait_for(lambda: not self.visible(title), timeout, repr(title) + " to close")

    def peek(self, *arguments):
        result = wine(PEEK, *arguments)
        return result.stdout.decode() if result.returncode == 0 else None

    def message(self, title):
        """The text of the box titled title, once it is on screen."""
        box = self.window(title)
        return box, wait_for(lambda: self.peek("message", title), what="the text of " + title)

    def dismiss(self, title):
        box, text = self.message(title)
        self.press_in(box, title, "Return")
        return text

    def press_in(self, window, title, key):
        """Presses key in a modal window until it closes. A box that comes up while the
        program is not the one in front (after its window was hidden) takes keys once the
        user has clicked it, as on Windows; the click lands beside its buttons."""
        for attempt in range(3):
            if attempt:
                self.focus(window, 25, self.geometry(window)["HEIGHT"] // 2)
                self.xdo("click", "1")
                time.sleep(0.3)
            self.keys(window, key)
            try:
                wait_for(lambda: window not in self.windows(title), 2.0, title + " to close")
                return
            except AssertionError:
                pass
        self.gone(title, 1.0)

    def focused(self, title):
        return int(wait_for(lambda: self.peek("focus", title), what="the focus"))

    def text(self, title, control_id, timeout=5.0):
        """What the control shows; None when the window or the control is not there.
        Polled like the other reads: a window just opened can be found a moment later."""
        deadline = time.monotonic() + timeout
        while True:
            shown = self.peek("text", title, str(control_id))
            if shown is not None or time.monotonic() > deadline:
                return shown
            time.sleep(0.05)

    # ---- what the user does ----
    def geometry(self, window):
        values = self.xdo("getwindowgeometry", "--shell", window)
        return {k: int(v) for k, v in (item.split("=") for item in values)}

    def client_origin(self, window, client_width, client_height):
        # Wine draws the frame itself: the border all round, the caption above.
        g = self.geometry(window)
        border = (g["WIDTH"] - client_width) // 2
        return border, g["HEIGHT"] - client_height - border

    def focus(self, window, x=20, y=8):
        # Without a window manager the focus follows the pointer.
        self.xdo("mousemove", "--window", window, str(x), str(y))
        self.xdo("windowfocus", "--sync", window)

    def click(self, window, place, client_size):
        dx, dy = self.client_origin(window, *client_size)
        x, y = place[0] + dx, place[1] + dy
        self.focus(window, x, y)
        self.xdo("click", "1")
        time.sleep(0.15)

    def click_main(self, window, name):
        self.click(window, twips_center(MAIN, MAIN_FRAMES, name), (453, 245))

    def click_options(self, window, name):
        self.click(window, twips_center(OPTIONS, OPTIONS_FRAMES, name), (422, 640))

    def keys(self, window, *keys):
        self.focus(window)
        self.xdo("key", "--delay", "40", *keys)
        time.sleep(0.15)

    def type(self, window, text):
        self.focus(window)
        self.xdo("type", "--delay", "30", text)
        time.sleep(0.15)

    # ---- what Lintara did ----
    def alive(self):
        return self.process.poll() is None

    def said(self):
        self.errors.seek(0)
        text = self.errors.read().strip()
        return " (it said: %s)" % text[-1500:] if text else ""

    def record(self, name="client", timeout=15.0):
        path = os.path.join(self.records, name + ".record")
        wait_for(lambda: os.path.exists(path), timeout, name + " to run" + self.said())
        with open(path, "rb") as f:
            return f.read().decode("utf-8")

    def recorded(self):
        return sorted(n for n in os.listdir(self.records) if n.endswith(".record"))

    def ended(self, timeout=WATCH_LIMIT):
        wait_for(lambda: not self.alive(), timeout, "Lintara to end" + self.said())
        return self.process.returncode

    def settings(self):
        with open(self.ini, "rb") as f:
            return f.read()

    def close(self):
        if self.alive():
            self.process.kill()
        self.process.wait(15)
        self.errors.close()
        shutil.rmtree(self.folder, ignore_errors=True)


class WineEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.x = xdisplay.Display()
        # The fixed browser path of the HTTP and HTTPS types.
        browser = os.path.join(PREFIX, "drive_c", "Program Files", "Internet Explorer")
        os.makedirs(browser, exist_ok=True)
        shutil.copy(RECORDER, os.path.join(browser, "iexplore.exe"))

    @classmethod
    def tearDownClass(cls):
        cls.x.close()

    def session(self, **options):
        s = Session(**options)
        self.addCleanup(s.close)
        return s

    def main_window(self, s):
        window = s.window(MAIN_TITLE)
        # Keys typed before the window takes them would be lost.
        wait_for(lambda: s.peek("focus", MAIN_TITLE), what="the main window's focus")
        return window

    # ---- start-up ----

    def test_without_a_host_the_host_box_has_the_focus_and_enter_connects(self):
        s = self.session(environment={"LINTARA_RECORD_SLEEP": "4000"})
        main = self.main_window(s)
        self.assertEqual(s.focused(MAIN_TITLE), MAIN_IDS["ConnectText"])
        s.type(main, "server1")
        s.keys(main, "Return")
        self.assertEqual(s.record(), s.client + " -p 22 server1")
        # Gone at once, while the watch still runs over the client.
        self.assertFalse(s.visible(MAIN_TITLE))
        self.assertTrue(s.alive())
        self.assertEqual(s.ended(), 0)

    def test_a_command_line_host_fills_the_box_and_connect_has_the_focus(self):
        s = self.session(arguments=["lintara://server2/ignored"])
        main = self.main_window(s)
        self.assertEqual(s.text(MAIN_TITLE, MAIN_IDS["ConnectText"]), "server2")
        self.assertEqual(s.focused(MAIN_TITLE), MAIN_IDS["ConnectButton"])
        s.keys(main, "space")
        self.assertEqual(s.record(), s.client + " -p 22 server2")
        self.assertEqual(s.ended(), 0)

    def test_a_missing_settings_file_is_fatal(self):
        s = self.session(ini=None)
        text = s.dismiss("Fatal Error")
        self.assertEqual(text, "Help! Can't find %s!     " % windows_path(s.ini))
        self.assertEqual(s.ended(), 0)
        self.assertEqual(s.recorded(), [])

    # ---- every type ----

    def test_every_type_starts_its_exact_command_line(self):
        rows = [
            # (option button, record, command line, the window stays)
            ("SSHOption", "client", "{client} -p 22 server1", False),
            ("TelnetOption", "client", "{client} server1 23", False),
            ("TermServiceOption", "client", "{client} /v:server1:3389", False),
            ("RDPConsoleOption", "client", "{client} /v:server1:3389 /admin", False),
            ("VNCOption", "client", "{client} server1::5900", False),
            # No Options key: the word stands in for them.
            ("FTP", "client", "{client} NOTCONFIGURED", False),
            ("HTTPOption", "iexplore", '"%s" http://server1' % BROWSER, False),
            ("HTTPSOption", "iexplore", '"%s" https://server1' % BROWSER, False),
            ("PingOption", "ping", "ping -t server1", True),
        ]
        for option, record, line, stays in rows:
            with self.subTest(option):
                s = Session()
                try:
                    main = self.main_window(s)
                    s.type(main, "server1")
                    s.click_main(main, option)
                    s.click_main(main, "ConnectButton")
                    self.assertEqual(s.record(record), line.format(client=s.client))
                    if stays:
                        time.sleep(3)
                        self.assertTrue(s.alive())
                        self.assertTrue(s.visible(MAIN_TITLE))
                    else:
                        self.assertEqual(s.ended(), 0)
                    self.assertEqual(s.recorded(), [record + ".record"])
                finally:
                    s.close()

    def test_map_a_drive_maps_and_opens_the_share(self):
        s = self.session()
        main = self.main_window(s)
        s.type(main, "server1")
        s.click_main(main, "MapDriveOption")
        s.click_main(main, "PasswordText")
        s.type(main, "secret")
        s.click_main(main, "ConnectButton")
        self.assertEqual(s.record("net"), r"net use Z: \\server1\C$ secret /USER:varo")
        self.assertEqual(s.record("explorer"), "explorer Z:")
        self.assertEqual(s.ended(), 0)

    def test_map_a_drive_without_a_host_falls_back_to_the_default_type(self):
        s = self.session(ini=SAMPLE.replace("Type=SSH", "Type=Telnet"))
        main = self.main_window(s)
        s.click_main(main, "MapDriveOption")
        self.assertEqual(s.dismiss("Error"), "You must enter a hostname or an IP address "
                         "before you can map a network drive!     ")
        self.assertEqual(s.focused(MAIN_TITLE), MAIN_IDS["ConnectText"])
        self.assertEqual(s.text(MAIN_TITLE, MAIN_IDS["PortText"]), "23")
        s.type(main, "server1")
        s.keys(main, "Return")
        self.assertEqual(s.record(), s.client + " server1 23")

    def test_a_failed_mapping_brings_the_window_back_and_says_so(self):
        # Wine's own net cannot map a share: the early-failure watch reports it.
        s = self.session(recorders=("explorer",))
        main = self.main_window(s)
        s.type(main, "server1")
        s.click_main(main, "MapDriveOption")
        s.click_main(main, "Anonymous")
        s.click_main(main, "ConnectButton")
        self.assertEqual(s.record("explorer"), "explorer Z:")
        box, text = s.message("Error")
        self.assertRegex(text, r"^net ended at once with exit status \d+\.$")
        # Shown before the box; Wine's X side may map it a moment after the box.
        s.window(MAIN_TITLE, timeout=5.0)
        s.press_in(box, "Error", "Return")
        self.assertTrue(s.alive())

    # ---- checks before connecting ----

    def test_empty_host_and_bad_port_give_two_messages_and_start_nothing(self):
        s = self.session()
        main = self.main_window(s)
        s.click_main(main, "PortText")
        s.keys(main, "End", "BackSpace", "BackSpace", "0")
        s.click_main(main, "ConnectButton")
        self.assertEqual(s.dismiss("Error"),
                         "You must enter a hostname or an IP address to connect to!     ")
        self.assertEqual(s.dismiss("Error"), "Please enter in a valid port number!     ")
        self.assertEqual(s.focused(MAIN_TITLE), MAIN_IDS["PortText"])
        self.assertTrue(s.alive())
        self.assertEqual(s.recorded(), [])

    def test_the_port_box_takes_five_characters(self):
        s = self.session()
        main = self.main_window(s)
        s.click_main(main, "PortText")
        s.type(main, "1234567")
        self.assertEqual(s.text(MAIN_TITLE, MAIN_IDS["PortText"]), "22123")

    # ---- the Options window ----

    def open_options(self, s, main):
        s.click_main(main, "Options")
        options = s.window(OPTIONS_TITLE)
        s.gone(MAIN_TITLE)
        wait_for(lambda: s.peek("focus", OPTIONS_TITLE), what="the Options window's focus")
        return options

    def test_ok_writes_the_thirteen_keys_and_returns_to_the_main_window(self):
        s = self.session()
        main = self.main_window(s)
        before = s.settings()
        options = self.open_options(s, main)
        self.assertEqual(s.focused(OPTIONS_TITLE), OPTIONS_IDS["TSChooseButton"])
        s.click_options(options, "TSCommandLineOptionsText")
        s.keys(options, "End")
        s.type(options, " /f")
        s.click_options(options, "RDPConsoleOption")
        s.click_options(options, "OKButton")
        s.gone(OPTIONS_TITLE)
        s.window(MAIN_TITLE)
        expected = (before.replace(b"Options=/v:HOST:PORT\r\n", b"Options=/v:HOST:PORT /f\r\n", 1)
                    .replace(b"[FTP]\r\nProgram=" + s.client.encode() + b"\r\n",
                             b"[FTP]\r\nProgram=" + s.client.encode() + b"\r\nOptions=\r\n")
                    .replace(b"Type=SSH", b"Type=RDPConsole"))
        self.assertEqual(s.settings(), expected)
        self.assertTrue(s.alive())

    def test_cancel_and_the_title_bar_write_nothing(self):
        s = self.session()
        main = self.main_window(s)
        before = s.settings()
        for close in ("Cancel", "title bar"):
            with self.subTest(close):
                options = self.open_options(s, main)
                s.click_options(options, "TSText")
                s.type(options, "edited")
                s.click_options(options, "RDPConsoleOption")
                if close == "Cancel":
                    s.click_options(options, "CancelButton")
                else:
                    s.keys(options, "alt+F4")
                s.gone(OPTIONS_TITLE)
                main = s.window(MAIN_TITLE)
                self.assertEqual(s.settings(), before)
                self.assertTrue(s.alive())

    def test_choose_program_fills_the_field_through_the_file_dialog(self):
        s = self.session()
        main = self.main_window(s)
        chosen = os.path.join(s.folder, "chosen programs", "chosen client.exe")
        os.mkdir(os.path.dirname(chosen))
        shutil.copy(RECORDER, chosen)
        options = self.open_options(s, main)
        s.click_options(options, "TSChooseButton")
        dialog = s.window("Open")
        time.sleep(0.5)
        s.type(dialog, windows_path(chosen))
        s.keys(dialog, "Return")
        s.gone("Open")
        self.assertEqual(s.text(OPTIONS_TITLE, OPTIONS_IDS["TSText"]), windows_path(chosen))
        # Closing the dialog without a choice keeps the field.
        s.click_options(options, "TSChooseButton")
        dialog = s.window("Open")
        time.sleep(0.5)
        s.keys(dialog, "Escape")
        s.gone("Open")
        self.assertEqual(s.text(OPTIONS_TITLE, OPTIONS_IDS["TSText"]), windows_path(chosen))
        s.click_options(options, "OKButton")
        main = s.window(MAIN_TITLE)
        self.assertIn(b"[RemoteDesktop]\r\nProgram=" + windows_path(chosen).encode() + b"\r\n",
                      s.settings())
        # The program goes on: the saved program starts at the next Connect.
        s.click_main(main, "ConnectText")
        s.type(main, "server1")
        s.click_main(main, "TermServiceOption")
        s.click_main(main, "ConnectButton")
        # Lintara hands over the path unquoted, as stored; Wine, resolving a program path
        # with a blank, passes it on in quotes (Windows passes the line unchanged).
        self.assertEqual(s.record("chosen client"),
                         '"%s" /v:server1:3389' % windows_path(chosen))
        self.assertEqual(s.ended(), 0)

    def test_the_windows_sample_settings_fill_the_options_window(self):
        with open(WINDOWS_SAMPLE, "rb") as f:
            sample = f.read().decode("cp1252")
        s = self.session(ini=sample)
        main = self.main_window(s)
        self.assertEqual(s.text(MAIN_TITLE, MAIN_IDS["PortText"]), "22")
        self.open_options(s, main)
        for name, value in [("TSText", r"C:\Windows\System32\mstsc.exe"),
                            ("RDPConsoleCommandLineOptionsText", "/v:HOST:PORT /admin"),
                            ("SSHText", r"C:\Windows\System32\OpenSSH\ssh.exe")]:
            self.assertEqual(s.text(OPTIONS_TITLE, OPTIONS_IDS[name]), value, name)

    # ---- how the windows look ----

    def shoot(self, s, window, name, client_size):
        dx, dy = s.client_origin(window, *client_size)
        g = s.geometry(window)
        # Painted once the box shows its text.
        time.sleep(1.0)
        save_png(os.path.join(SHOTS, name), g["X"], g["Y"], g["WIDTH"], g["HEIGHT"],
                 self.x.screen())

    def test_screenshots_at_96_and_144_dpi(self):
        try:
            for dpi in (96, 144):
                with self.subTest(dpi=dpi):
                    set_dpi(dpi)
                    s = Session()
                    try:
                        size = (pixels(6795, dpi), pixels(3675, dpi))
                        main = self.main_window(s)
                        g = s.geometry(main)
                        self.assertEqual(g["WIDTH"] - 2 * s.client_origin(main, *size)[0],
                                         size[0])
                        self.shoot(s, main, "wine_main_window_%d.png" % dpi, size)
                        s.click(main, twips_center(MAIN, MAIN_FRAMES, "Options", dpi), size)
                        options = s.window(OPTIONS_TITLE)
                        osize = (pixels(6330, dpi), pixels(9600, dpi))
                        self.shoot(s, options, "wine_options_window_%d.png" % dpi, osize)
                    finally:
                        s.close()
        finally:
            set_dpi(96)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)
