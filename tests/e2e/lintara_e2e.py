#!/usr/bin/env python3
"""The built Lintara on a private Xvfb, driven by real clicks and keys (xdotool): real
Qt message boxes, Qt's own file dialog and real terminals, with a recorder standing in
for each client program.
Usage: lintara_e2e.py LINTARA RECORDER SAMPLE_INI"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from desktop_harness import Display, Driver, Run, wait_for

LINTARA, RECORDER, SAMPLE_INI = sys.argv[1:4]
# Lintara watches what a closing launch started for 2 s; this leaves room for a slow
# machine without letting a program that never ends pass.
WATCH_LIMIT = 6.0
UNPRIVILEGED = 65534

# Places of controls inside their window, in pixels at 96 dpi (twips / 15).
MAIN = {"Connect": (348, 33), "Options": (56, 69), "Map a Drive": (87, 105),
        "Telnet": (319, 69), "Ping": (383, 105), "Password": (300, 209)}
OPTIONS = {"Remote Desktop program": (160, 33), "Choose Remote Desktop": (364, 32),
           "OK": (300, 620), "Cancel": (380, 620)}


def read(path):
    with open(path, "rb") as f:
        return f.read()


def read_record(path):
    """The fields a recorder wrote, as (name, bytes) pairs: "name size value\\n"."""
    with open(path, "rb") as f:
        data = f.read()
    fields, p = [], 0
    while p < len(data):
        space = data.index(b" ", p)
        space2 = data.index(b" ", space + 1)
        size = int(data[space + 1:space2])
        fields.append((data[p:space].decode(), data[space2 + 1:space2 + 1 + size]))
        p = space2 + 1 + size + 1
    return fields


class Session(Driver):
    """One Lintara in a folder of its own, with recorders for ssh, telnet, ping, gio and
    xdg-open first on PATH."""

    end_limit = WATCH_LIMIT

    def __init__(self, run, display, ini, arguments=(), environment=None, terminal=None,
                 user=None):
        self.display = display
        self.folder = tempfile.mkdtemp(prefix="lintara-e2e-")
        os.chmod(self.folder, 0o755)
        self.bin = os.path.join(self.folder, "bin")
        os.mkdir(self.bin)
        self.program = os.path.join(self.folder, "Lintara")
        shutil.copy(LINTARA, self.program)
        self.client = os.path.join(self.bin, "client")
        for name in ("client", "ssh", "telnet", "ping", "gio", "xdg-open"):
            shutil.copy(RECORDER, os.path.join(self.bin, name))
        if terminal:
            os.symlink(shutil.which(terminal), os.path.join(self.bin, "x-terminal-emulator"))
        self.ini = os.path.join(self.folder, "Lintara.ini")
        with open(self.ini, "w") as f:
            f.write(ini.replace("CLIENT", self.client))
        self.records = os.path.join(self.folder, "records")
        os.mkdir(self.records)
        os.chmod(self.records, 0o777)
        self.marker = "LINTARA_E2E_SESSION=" + self.folder
        self.env = dict(run.env, DISPLAY=display.name, LINTARA_RECORD_DIR=self.records,
                        PATH=self.bin + ":" + os.environ.get("PATH", "/usr/bin:/bin"),
                        LINTARA_E2E_SESSION=self.folder)
        self.env.update(environment or {})
        self.tool_env = self.env
        self.errors = open(os.path.join(self.folder, "errors"), "w+")
        start = {}
        if user is not None:
            # The user's own runtime folder and home, inside the session's.
            runtime = os.path.join(self.folder, "runtime")
            os.mkdir(runtime, 0o700)
            os.chown(runtime, user, user)
            self.env.update(XDG_RUNTIME_DIR=runtime, HOME=runtime,
                            XDG_CONFIG_HOME=os.path.join(runtime, "config"),
                            XDG_CACHE_HOME=os.path.join(runtime, "cache"))
            start = {"user": user, "group": user, "extra_groups": []}
        self.process = subprocess.Popen([self.program, *arguments], env=self.env,
                                        cwd=self.folder, stdout=self.errors, stderr=self.errors,
                                        **start)

    def settle(self, window):
        """Waits until window takes keys again, as after a modal dialog closed."""
        self.focus(window)
        wait_for(lambda: self.xdo("getwindowfocus") == [window], what="the focus")
        # Qt lifts the modal block on the next turn of its event loop.
        time.sleep(0.2)

    def record(self, name="client", timeout=10.0):
        path = os.path.join(self.records, name + ".record")
        wait_for(lambda: os.path.exists(path), timeout, name + " to run" + self.said())
        return read_record(path)

    def arguments(self, name="client", timeout=10.0):
        return [value.decode() for key, value in self.record(name, timeout) if key == "arg"]


SSH_INI = "[SSH]\nProgram=CLIENT\nOptions=-p PORT HOST\n"
# Hosts typed by the user reach the client as they are; each would run a command if a
# shell saw it.
HOSTILE_HOST = "h;touch${IFS}pwned1;$(touch${IFS}pwned2)`touch${IFS}pwned3`"


class EndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.shared = Run()
        cls.display = Display()

    @classmethod
    def tearDownClass(cls):
        cls.display.stop()
        cls.shared.stop()

    def session(self, ini=SSH_INI, **options):
        s = Session(self.shared, self.display, ini, **options)
        self.addCleanup(s.close)
        return s

    def sample(self, default_type):
        text = read(SAMPLE_INI).decode()
        return text.replace("Type=SSH", "Type=" + default_type)

    def connect_with_enter(self, s, host="server1"):
        main = s.window("Lintara v")
        s.type(main, host)
        s.keys(main, "Return")
        return main

    def assert_no_command_ran(self, s):
        left = [n for n in os.listdir(s.folder) if n.startswith("pwned")]
        self.assertEqual(left, [], "a shell ran the host's commands")

    # --- starting, and what follows a start ---------------------------------------

    def test_enter_in_the_host_box_starts_the_client_and_ends(self):
        s = self.session()
        self.connect_with_enter(s)
        self.assertEqual(s.arguments(), [s.client, "-p", "22", "server1"])
        self.assertEqual(s.ended(), 0)

    def test_the_watch_reports_early_failures_only(self):
        rows = [
            # (what the client does, environment, reported)
            ("exits 1 at once", {"LINTARA_RECORD_EXIT": "1"}, True),
            ("is killed by a signal", {"LINTARA_RECORD_SIGNAL": "9"}, True),
            ("exits 0 at once", {}, False),
            ("runs on", {"LINTARA_RECORD_SLEEP": "30"}, False),
        ]
        for what, environment, reported in rows:
            with self.subTest(what):
                s = self.session(environment=environment)
                main = self.connect_with_enter(s)
                s.record()
                if reported:
                    box = s.window("^Error$")
                    self.assertTrue(s.visible("Lintara v"))
                    s.keys(box, "Return")
                    s.gone("^Error$")
                    self.assertTrue(s.alive())
                    # The host is still there: Enter starts the same connection again.
                    os.remove(os.path.join(s.records, "client.record"))
                    s.keys(main, "Return")
                    self.assertEqual(s.arguments()[-1], "server1")
                else:
                    self.assertEqual(s.ended(), 0)
                    self.assertFalse(s.visible("^Error$"))
                s.close()

    def test_map_a_drive_opens_the_share_only_after_the_mount(self):
        rows = [
            # (gio's environment, mount succeeds)
            ({"LINTARA_RECORD_EXIT": "2",
              "LINTARA_RECORD_SAY": "gio: smb://server1/C$/: Failed to mount: Permission denied\n"},
             False),
            ({}, True),
        ]
        for environment, succeeds in rows:
            with self.subTest(succeeds=succeeds):
                s = self.session(environment=environment)
                main = s.window("Lintara v")
                s.type(main, "server1")
                s.click(main, MAIN["Map a Drive"])
                s.click(main, MAIN["Password"])
                s.type(main, "secret")
                s.click(main, MAIN["Connect"])
                mount = s.record("gio")
                arguments = [v.decode() for k, v in mount if k == "arg"]
                self.assertEqual(arguments[1], "mount")
                self.assertTrue(arguments[-1].endswith("@server1/C$"), arguments)
                self.assertNotIn("secret", " ".join(arguments))
                self.assertTrue(dict(mount)["stdin"].endswith(b"secret\n"))
                if succeeds:
                    self.assertTrue(s.arguments("xdg-open")[-1].endswith("@server1/C$"))
                    self.assertEqual(s.ended(), 0)
                else:
                    box = s.window("^Error$")
                    self.assertTrue(s.visible("Lintara v"))
                    self.assertFalse(os.path.exists(os.path.join(s.records, "xdg-open.record")))
                    s.keys(box, "Return")
                    s.gone("^Error$")
                    self.assertTrue(s.alive())
                s.close()

    # --- terminals ------------------------------------------------------------------

    def test_terminals_keep_the_host_one_argument(self):
        # terminology hands its command to a shell: Lintara passes it over for another.
        terminals = [t for t in ("xterm", "terminator", "terminology") if shutil.which(t)]
        self.assertIn("xterm", terminals)
        for terminal in terminals:
            for kind, client, expected in [
                    ("SSH", "ssh", ["ssh", "-p", "22", HOSTILE_HOST]),
                    ("Telnet", "telnet", ["telnet", HOSTILE_HOST, "23"]),
                    ("Ping", "ping", ["ping", HOSTILE_HOST])]:
                with self.subTest(terminal=terminal, type=kind):
                    s = self.session(ini=self.sample(kind), terminal=terminal)
                    self.connect_with_enter(s, HOSTILE_HOST)
                    arguments = s.arguments(client, timeout=20)
                    self.assertEqual(os.path.basename(arguments[0]), client)
                    self.assertEqual(arguments[1:], expected[1:])
                    if kind == "Ping":
                        # The window stays for the next host.
                        self.assertTrue(s.visible("Lintara v"))
                    else:
                        self.assertEqual(s.ended(20), 0)
                    self.assert_no_command_ran(s)
                    s.close()

    # --- the Options window: dialogs, boxes and closing never end the program ---------

    def open_options(self, s):
        main = s.window("Lintara v")
        s.click(main, MAIN["Options"])
        options = s.window("Lintara Options")
        self.assertFalse(s.visible("Lintara v"))
        return options

    def test_choose_program_through_the_real_file_dialog(self):
        s = self.session()
        before = read(s.ini)
        options = self.open_options(s)
        for typed in (None, "/usr/bin/env"):
            s.click(options, OPTIONS["Choose Remote Desktop"])
            # Qt's own dialog, titled by Qt since Lintara gives it no title.
            dialog = s.window("^Open$")
            time.sleep(0.3)  # the dialog's line edit takes keys once it has painted
            if typed:
                s.type(dialog, typed)
                s.keys(dialog, "Return")
            else:
                s.keys(dialog, "Escape")
            s.gone("^Open$")
            s.settle(options)
            self.assertTrue(s.alive())
            self.assertTrue(s.visible("Lintara Options"))
            self.assertFalse(s.visible("Lintara v"))
            if not typed:
                self.assertEqual(read(s.ini), before)
        s.click(options, OPTIONS["OK"])
        s.window("Lintara v")
        self.assertIn(b"[RemoteDesktop]\r\nProgram=/usr/bin/env\r\n", read(s.ini))
        self.assertTrue(s.alive())

    def test_a_failed_save_keeps_the_edits_and_the_program(self):
        # Root writes read-only files, so the program runs as an unprivileged user then.
        user = UNPRIVILEGED if os.geteuid() == 0 else None
        s = self.session(user=user)
        os.chmod(s.ini, 0o444)
        if user is None:
            os.chmod(s.folder, 0o555)
            self.addCleanup(os.chmod, s.folder, 0o755)
        before = read(s.ini)
        options = self.open_options(s)
        s.click(options, OPTIONS["Remote Desktop program"])
        s.type(options, "/usr/bin/edited")
        s.click(options, OPTIONS["OK"])
        box = s.window("^Error$")
        s.keys(box, "Return")
        s.gone("^Error$")
        s.settle(options)
        self.assertTrue(s.alive(), s.said())
        self.assertTrue(s.visible("Lintara Options"))
        self.assertFalse(s.visible("Lintara v"))
        self.assertEqual(read(s.ini), before)
        # The edit is still in its field: once the file may be written, OK stores it.
        os.chmod(s.ini, 0o666)
        if user is None:
            os.chmod(s.folder, 0o755)
        else:
            os.chown(s.folder, user, user)
        s.click(options, OPTIONS["OK"])
        s.window("Lintara v")
        self.assertIn(b"Program=/usr/bin/edited", read(s.ini))

    def test_closing_options_from_the_title_bar_brings_the_main_window_back(self):
        s = self.session()
        before = read(s.ini)
        options = self.open_options(s)
        s.click(options, OPTIONS["Remote Desktop program"])
        s.type(options, "/usr/bin/unsaved")
        self.display.close_from_title_bar(options)
        s.window("Lintara v")
        s.gone("Lintara Options")
        self.assertTrue(s.alive())
        self.assertEqual(read(s.ini), before)

    def test_cancel_brings_the_main_window_back(self):
        s = self.session()
        before = read(s.ini)
        options = self.open_options(s)
        s.click(options, OPTIONS["Remote Desktop program"])
        s.type(options, "/usr/bin/unsaved")
        s.click(options, OPTIONS["Cancel"])
        s.window("Lintara v")
        self.assertTrue(s.alive())
        self.assertEqual(read(s.ini), before)


if __name__ == "__main__":
    result = unittest.main(argv=[sys.argv[0]], verbosity=2, exit=False).result
    # The test folders are gone; nothing of Lintara's may be left in /tmp either.
    left = [n for n in os.listdir(tempfile.gettempdir()) if n.startswith("lintara-e2e-")]
    if left:
        print("left behind in /tmp:", left, file=sys.stderr)
    sys.exit(0 if result.wasSuccessful() and not left else 1)
