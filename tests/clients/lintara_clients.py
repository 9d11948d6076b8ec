#!/usr/bin/env python3
"""Real Debian clients against real servers: the built Lintara with the sample settings
on a private Xvfb, a type chosen and Connect clicked with xdotool, and the server's own
word that the client arrived. The servers listen on 127.0.0.1 (and ::1) only, each with
throw-away settings in a temporary folder, and are stopped by their ids at the end.
Usage (as root: sshd, smbd and the ping watch need it):
    lintara_clients.py LINTARA SAMPLE_INI [TEST ...]"""
import glob
import os
import shutil
import socket
import ssl
import struct
import subprocess
import sys
import tempfile
import threading
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from desktop_harness import Display, Driver, Run, sweep, wait_for  # noqa: E402

LINTARA, SAMPLE_INI = sys.argv[1:3]
PYTHON = "/usr/bin/python3"
SYSTEM_PATH = "/usr/sbin:/usr/bin:/sbin:/bin"
PREFIX = "lintara-clients-"
# A client's first connection (a TLS handshake, a share's mount) on a busy 2-core machine.
ARRIVAL = 40.0
SMB_USER, SMB_PASSWORD = "lintara", "Secret-4-share"

# Places of controls in the main window, in pixels at 96 dpi (twips / 15).
MAIN = {"Host": (168, 33), "Port": (284, 34), "Connect": (348, 33),
        "Remote Desktop": (111, 69), "RDP Console": (183, 69), "VNC": (247, 69),
        "Telnet": (319, 69), "SSH": (383, 69), "Map a Drive": (87, 105), "HTTP": (183, 105),
        "HTTPS": (247, 105), "FTP": (319, 105), "Ping": (383, 105),
        "User": (116, 209), "Password": (300, 209)}
MISSING = "Missing or Bad application for this type of connection!"


def free_port(families=(socket.AF_INET, socket.AF_INET6)):
    """A TCP port free on 127.0.0.1 and ::1 alike."""
    while True:
        with socket.socket(socket.AF_INET) as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        try:
            for family in families[1:]:
                with socket.socket(family) as other:
                    other.bind(("::1", port))
            return port
        except OSError:
            continue


def free_display():
    return next(n for n in range(300, 400) if not os.path.exists("/tmp/.X11-unix/X%d" % n)
                and not os.path.exists("/tmp/.X%d-lock" % n))


def text_of(path):
    try:
        with open(path, errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


def write(path, text, mode=0o644):
    with open(path, "w") as f:
        f.write(text)
    os.chmod(path, mode)


class EchoWatch(threading.Thread):
    """Counts the ICMP echo requests that reach this machine for one address."""

    def __init__(self, address):
        super().__init__(daemon=True)
        self.target = socket.inet_aton(address)
        self.count = 0
        self.stopped = threading.Event()
        self.socket = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_ICMP)
        self.socket.settimeout(0.2)

    def run(self):
        while not self.stopped.is_set():
            try:
                packet = self.socket.recv(65535)
            except socket.timeout:
                continue
            header = (packet[0] & 0x0F) * 4
            if packet[16:20] == self.target and packet[header] == 8:
                self.count += 1

    def stop(self):
        self.stopped.set()
        self.join(5)
        self.socket.close()


class Listener(threading.Thread):
    """Accepts connections on one address until stopped, each handed to accepted()."""

    def __init__(self, address, port):
        super().__init__(daemon=True)
        family = socket.AF_INET6 if ":" in address else socket.AF_INET
        self.listener = socket.create_server((address, port), family=family)
        self.listener.settimeout(0.2)
        self.stopped = threading.Event()

    def run(self):
        while not self.stopped.is_set():
            try:
                connection, _ = self.listener.accept()
            except socket.timeout:
                continue
            connection.settimeout(None)
            self.accepted(connection)

    def stop(self):
        self.stopped.set()
        self.join(5)
        self.listener.close()


class TelnetService(Listener):
    """Listens as inetd would and hands each connection to telnetd."""

    def __init__(self, address, port, session, env, spawned):
        super().__init__(address, port)
        self.command = ["/usr/sbin/telnetd", "--no-hostinfo", "--exec-login=" + session]
        self.env, self.spawned = env, spawned

    def accepted(self, connection):
        with connection:
            self.spawned.append(subprocess.Popen(
                self.command, stdin=connection, stdout=connection,
                stderr=subprocess.DEVNULL, env=self.env))


class ConsoleWatch(Listener):
    """Stands between RDP clients and xrdp on 127.0.0.1 and reads, inside the TLS both
    sides speak, the cluster flags of each client's conference request, which say
    whether it asks for the console session. xrdp itself does not log them."""

    CONSOLE = 0x02  # REDIRECTED_SESSIONID_FIELD_VALID

    def __init__(self, port, server_port, certificate, key):
        super().__init__("127.0.0.1", port)
        self.server_port = server_port
        self.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.tls.load_cert_chain(certificate, key)
        self.upstream = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
        self.upstream.check_hostname = False
        self.upstream.verify_mode = ssl.CERT_NONE
        self.flags = []
        self.sockets = []

    @staticmethod
    def packet(sock):
        """One TPKT packet."""
        header = b""
        while len(header) < 4:
            chunk = sock.recv(4 - len(header))
            if not chunk:
                raise ConnectionError("closed")
            header += chunk
        length = struct.unpack(">H", header[2:4])[0]
        body = b""
        while len(body) < length - 4:
            chunk = sock.recv(length - 4 - len(body))
            if not chunk:
                raise ConnectionError("closed")
            body += chunk
        return header + body

    def relay(self, source, target):
        try:
            while True:
                data = source.recv(65536)
                if not data:
                    break
                target.sendall(data)
        except OSError:
            pass
        for end in (source, target):
            end.close()

    def handle(self, client):
        server = socket.create_connection(("127.0.0.1", self.server_port))
        self.sockets += [client, server]
        try:
            # The X.224 request and its confirmation go as they are; then TLS.
            server.sendall(self.packet(client))
            client.sendall(self.packet(server))
            client = self.tls.wrap_socket(client, server_side=True)
            server = self.upstream.wrap_socket(server)
            self.sockets += [client, server]
            # The MCS connect initial, whose conference data hold CS_CLUSTER (12 bytes).
            initial = self.packet(client)
            at = initial.find(b"\x04\xc0\x0c\x00")
            self.flags.append(struct.unpack("<I", initial[at + 4:at + 8])[0] if at >= 0 else None)
            server.sendall(initial)
        except (OSError, ConnectionError, ssl.SSLError):
            client.close()
            server.close()
            return
        threading.Thread(target=self.relay, args=(client, server), daemon=True).start()
        threading.Thread(target=self.relay, args=(server, client), daemon=True).start()

    def accepted(self, client):
        threading.Thread(target=self.handle, args=(client,), daemon=True).start()

    def stop(self):
        super().stop()
        for end in self.sockets:
            end.close()


class Servers:
    """Every server of the run, in one folder, all with one marker in their environment."""

    def __init__(self, top, home, nss):
        self.folder = os.path.join(top, "servers")
        os.mkdir(self.folder)
        self.marker = "LINTARA_CLIENTS_SERVERS=" + self.folder
        self.env = dict(os.environ, LINTARA_CLIENTS_SERVERS=self.folder, HOME=home)
        self.processes, self.spawned = [], []
        self.ports = {}
        # Folders outside the test's own that a server insists on, made by the test.
        self.made = []
        self.displays = []
        self.telnet, self.echo, self.rdp = [], None, None
        self.nss = nss

    def path(self, *names):
        return os.path.join(self.folder, *names)

    def log(self, name):
        return text_of(self.path(name + ".log"))

    def start(self, name, argv, env=None):
        log = open(self.path(name + ".log"), "w")
        self.processes.append((name, subprocess.Popen(
            argv, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
            env=env or self.env, cwd=self.folder, start_new_session=True)))
        log.close()

    def listening(self, port, address="127.0.0.1"):
        family = socket.AF_INET6 if ":" in address else socket.AF_INET
        with socket.socket(family) as probe:
            return probe.connect_ex((address, port)) == 0

    def await_port(self, name, port, address="127.0.0.1"):
        wait_for(lambda: self.listening(port, address), 30,
                 "%s to listen on %s port %d: %s" % (name, address, port, self.log(name)[-800:]))

    def certificate(self):
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=localhost",
                        "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1",
                        "-keyout", self.path("key.pem"), "-out", self.path("cert.pem")],
                       check=True, capture_output=True)

    def start_all(self, client_key):
        self.certificate()
        self.start_ssh(client_key)
        self.start_telnet()
        self.start_rdp()
        self.start_vnc()
        self.start_web()
        self.start_ftp()
        self.start_smb()
        self.echo = EchoWatch("127.31.7.9")
        self.echo.start()
        for name, port, address in [("sshd", "ssh", "127.0.0.1"), ("sshd", "ssh", "::1"),
                                    ("xrdp", "xrdp", "127.0.0.1"), ("xrdp", "rdp", "127.0.0.1"), ("vnc", "vnc", "127.0.0.1"),
                                    ("vnc6", "vnc6", "::1"), ("http", "http", "127.0.0.1"),
                                    ("http6", "http6", "::1"), ("https", "https", "127.0.0.1"),
                                    ("ftp", "ftp", "127.0.0.1"), ("ftp6", "ftp6", "::1"),
                                    ("telnet", "telnet", "127.0.0.1"), ("telnet", "telnet", "::1"),
                                    ("smbd", "smb", "127.0.0.1")]:
            self.await_port(name, self.ports[port], address)

    def start_ssh(self, client_key):
        # sshd insists on its privilege separation folder.
        self.make("/run/sshd")
        subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f",
                        self.path("ssh_host_key")], check=True)
        shutil.copy(client_key + ".pub", self.path("authorized_keys"))
        port = self.ports["ssh"] = free_port()
        write(self.path("sshd_config"), "\n".join([
            "ListenAddress 127.0.0.1:%d" % port, "ListenAddress [::1]:%d" % port,
            "HostKey " + self.path("ssh_host_key"), "PidFile " + self.path("sshd.pid"),
            "AuthorizedKeysFile " + self.path("authorized_keys"),
            "StrictModes no", "UsePAM no", "PasswordAuthentication no",
            "KbdInteractiveAuthentication no", "PermitRootLogin prohibit-password",
            "LogLevel VERBOSE",
            # The remote session says where it came from, then stays until it is ended.
            'ForceCommand echo "$SSH_CONNECTION" >> %s; exec sleep 120'
            % self.path("ssh-sessions"), ""]))
        self.start("sshd", ["/usr/sbin/sshd", "-D", "-e", "-f", self.path("sshd_config")])

    def start_telnet(self):
        # The login program of this server: it greets, takes one line and keeps it.
        write(self.path("telnet-session"),
              "#!/bin/sh\nprintf 'Lintara telnet check\\r\\nname: '\n"
              "IFS= read -r line\nprintf '%%s\\n' \"$line\" >> %s\nexec sleep 120\n"
              % self.path("telnet-lines"), 0o755)
        port = self.ports["telnet"] = free_port()
        for address in ("127.0.0.1", "::1"):
            self.telnet.append(TelnetService(address, port, self.path("telnet-session"),
                                             self.env, self.spawned))
            self.telnet[-1].start()

    def make(self, folder):
        if not os.path.isdir(folder):
            os.makedirs(folder, 0o755)
            self.made.append(folder)

    def start_rdp(self):
        # xrdp makes its socket folder inside this one.
        self.make("/run/xrdp")
        port = self.ports["xrdp"] = free_port()
        # At DEBUG it says when it draws its login screen for the client.
        settings = {"port": "tcp://127.0.0.1:%d" % port, "fork": "false",
                    "certificate": self.path("cert.pem"), "key_file": self.path("key.pem"),
                    "LogFile": self.path("xrdp-own.log"), "LogLevel": "DEBUG",
                    "EnableSyslog": "false"}
        lines = []
        for line in text_of("/etc/xrdp/xrdp.ini").splitlines():
            key = line.split("=", 1)[0]
            lines.append(key + "=" + settings[key] if "=" in line and key in settings else line)
        write(self.path("xrdp.ini"), "\n".join(lines) + "\n")
        self.start("xrdp", ["/usr/sbin/xrdp", "--nodaemon", "--config", self.path("xrdp.ini")])
        # Clients connect through the watch, on a port of its own.
        self.ports["rdp"] = free_port()
        self.rdp = ConsoleWatch(self.ports["rdp"], port, self.path("cert.pem"),
                                self.path("key.pem"))
        self.rdp.start()

    def start_vnc(self):
        for name, address in (("vnc", "127.0.0.1"), ("vnc6", "::1")):
            port = self.ports[name] = free_port()
            self.displays.append(free_display())
            self.start(name, ["Xtigervnc", ":%d" % self.displays[-1], "-rfbport", str(port),
                              "-interface", address, "-SecurityTypes", "None", "-nolisten",
                              "tcp", "-geometry", "640x480", "-desktop", "lintara-check"])
            # Its display number is taken once its socket is there.
            self.await_port(name, port, address)

    def start_web(self):
        os.mkdir(self.path("www"))
        write(self.path("www", "index.html"), "<title>Lintara check</title>\n")
        for name, address in (("http", "127.0.0.1"), ("http6", "::1")):
            self.ports[name] = free_port()
            self.start(name, [PYTHON, "-m", "http.server", "--bind", address, "--directory",
                              self.path("www"), str(self.ports[name])])
        self.ports["https"] = free_port()
        write(self.path("https.py"), "\n".join([
            "import functools, http.server, ssl, sys",
            "handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=%r)"
            % self.path("www"),
            "server = http.server.HTTPServer(('127.0.0.1', %d), handler)" % self.ports["https"],
            "context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)",
            "context.load_cert_chain(%r, %r)" % (self.path("cert.pem"), self.path("key.pem")),
            "server.socket = context.wrap_socket(server.socket, server_side=True)",
            "server.serve_forever()", ""]))
        self.start("https", [PYTHON, "-u", self.path("https.py")])

    def start_ftp(self):
        os.mkdir(self.path("ftp"))
        write(self.path("ftp", "welcome.txt"), "Lintara check\n")
        for name, address in (("ftp", "127.0.0.1"), ("ftp6", "::1")):
            self.ports[name] = free_port()
            self.start(name, [PYTHON, "-m", "pyftpdlib", "-i", address, "-p",
                              str(self.ports[name]), "-d", self.path("ftp")])

    def start_smb(self):
        port = self.ports["smb"] = free_port()
        for name in ("private", "lock", "state", "cache", "pid", "ncalrpc", "log"):
            os.mkdir(self.path("smb-" + name))
        os.mkdir(self.path("share-c"))
        os.chmod(self.path("share-c"), 0o777)
        write(self.path("share-c", "boot.ini"), "[boot loader]\n")
        global_settings = {
            "interfaces": "127.0.0.1", "bind interfaces only": "yes", "smb ports": str(port),
            "disable netbios": "yes", "server role": "standalone server",
            "passdb backend": "tdbsam:" + self.path("smb-private", "passdb.tdb"),
            "load printers": "no", "printing": "bsd", "printcap name": "/dev/null",
            "disable spoolss": "yes", "map to guest": "never", "log level": "2",
            # It logs to its output; this folder takes its core dumps' folder too.
            "log file": self.path("smb-log", "log.%m"),
        }
        for name in ("private", "lock", "state", "cache", "pid", "ncalrpc"):
            key = name + (" directory" if name in ("lock", "state", "cache", "pid") else " dir")
            global_settings[key] = self.path("smb-" + name)
        config = ["[global]"] + ["  %s = %s" % item for item in global_settings.items()]
        config += ["[C$]", "  path = " + self.path("share-c"), "  read only = no", ""]
        write(self.path("smb.conf"), "\n".join(config))
        env = dict(self.env, **self.nss)
        subprocess.run(["smbpasswd", "-c", self.path("smb.conf"), "-s", "-a", SMB_USER],
                       input="%s\n%s\n" % (SMB_PASSWORD, SMB_PASSWORD), text=True, env=env,
                       check=True, capture_output=True)
        self.start("smbd", ["smbd", "--foreground", "--no-process-group", "--debug-stdout",
                            "--configfile=" + self.path("smb.conf")], env)

    def stop(self):
        for service in self.telnet + [self.echo, self.rdp]:
            if service:
                service.stop()
        for _, process in self.processes:
            process.terminate()
        for _, process in self.processes + [(None, p) for p in self.spawned]:
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait(10)
        # Connection children (sshd's, smbd's, telnetd's sessions).
        sweep(self.marker)
        for folder in reversed(self.made):
            shutil.rmtree(folder)
        # The VNC servers' X displays are closed: no socket or lock left in /tmp.
        for number in self.displays:
            wait_for(lambda: not os.path.exists("/tmp/.X11-unix/X%d" % number)
                     and not os.path.exists("/tmp/.X%d-lock" % number),
                     what="display :%d to close" % number)


class Client:
    """The home, desktop settings and PATH every Lintara of the run uses: a terminal
    (xterm as x-terminal-emulator), a browser that fetches with curl, a file manager
    that lists with gio, an ssh key and settings, and a passwd naming this home."""

    def __init__(self, top):
        self.home = os.path.join(top, "home")
        self.bin = os.path.join(top, "bin")
        for folder in (self.home, self.bin, os.path.join(self.home, ".ssh"),
                       os.path.join(self.home, ".config"),
                       os.path.join(self.home, ".local", "share", "applications")):
            os.makedirs(folder, exist_ok=True)
        os.chmod(os.path.join(self.home, ".ssh"), 0o700)
        self.key = os.path.join(self.home, ".ssh", "id_ed25519")
        subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", self.key],
                       check=True)
        # The first connection to a new server adds its key, as a user saying yes would.
        write(os.path.join(self.home, ".ssh", "config"),
              "Host *\n    StrictHostKeyChecking accept-new\n", 0o600)
        xterm = shutil.which("xterm", path=SYSTEM_PATH)
        os.symlink(xterm, os.path.join(self.bin, "x-terminal-emulator"))
        os.symlink(xterm, os.path.join(self.bin, "xterm"))
        applications = os.path.join(self.home, ".local", "share", "applications")
        write(os.path.join(applications, "lintara-check-browser.desktop"),
              "[Desktop Entry]\nType=Application\nName=Fetch\nNoDisplay=true\n"
              "Exec=curl --silent --show-error --output /dev/null %u\n"
              "MimeType=x-scheme-handler/http;x-scheme-handler/https;\n")
        write(os.path.join(applications, "lintara-check-files.desktop"),
              "[Desktop Entry]\nType=Application\nName=Files\nNoDisplay=true\n"
              "Exec=gio list %u\nMimeType=x-scheme-handler/smb;\n")
        write(os.path.join(self.home, ".config", "mimeapps.list"),
              "[Default Applications]\n"
              "x-scheme-handler/http=lintara-check-browser.desktop\n"
              "x-scheme-handler/https=lintara-check-browser.desktop\n"
              "x-scheme-handler/smb=lintara-check-files.desktop\n")
        # ssh takes its home from the passwd entry, not from HOME: this one names ours.
        passwd, group = os.path.join(top, "passwd"), os.path.join(top, "group")
        write(passwd, "root:x:0:0:root:%s:/bin/sh\n%s:x:65534:65534::%s:/usr/sbin/nologin\n"
              "nobody:x:65534:65534:nobody:/nonexistent:/usr/sbin/nologin\n"
              % (self.home, SMB_USER, self.home))
        write(group, "root:x:0:\nnogroup:x:65534:\n")
        library = (glob.glob("/usr/lib/*/libnss_wrapper.so") or [None])[0]
        if not library:
            raise AssertionError("libnss_wrapper.so is missing (Debian package libnss-wrapper)")
        self.nss = {"LD_PRELOAD": library, "NSS_WRAPPER_PASSWD": passwd,
                    "NSS_WRAPPER_GROUP": group}
        self.env = {"HOME": self.home, "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
                    "XDG_DATA_HOME": os.path.join(self.home, ".local", "share"),
                    "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
                    "PATH": self.bin + ":" + SYSTEM_PATH}


class Session(Driver):
    """One Lintara copied into a folder of its own, beside a byte-for-byte copy of the
    sample settings (or of settings given)."""

    end_limit = 15.0

    def __init__(self, run, display, client, settings=None, path=None):
        self.folder = tempfile.mkdtemp(prefix=PREFIX + "session-")
        self.program = os.path.join(self.folder, "Lintara")
        shutil.copy(LINTARA, self.program)
        self.ini = os.path.join(self.folder, "Lintara.ini")
        if settings is None:
            shutil.copy(SAMPLE_INI, self.ini)
        else:
            write(self.ini, settings)
        self.marker = "LINTARA_CLIENTS_SESSION=" + self.folder
        self.env = dict(run.env, DISPLAY=display.name, LINTARA_CLIENTS_SESSION=self.folder)
        self.env.update(client.env)
        self.env.update(client.nss)
        if path is not None:
            self.env["PATH"] = path
        # The test's own X tools run from the system's PATH.
        self.tool_env = dict(self.env, PATH=SYSTEM_PATH)
        self.tool_env.pop("LD_PRELOAD")
        self.errors = open(os.path.join(self.folder, "errors"), "w+")
        self.process = subprocess.Popen([self.program], env=self.env, cwd=self.folder,
                                        stdout=self.errors, stderr=self.errors)

    def replace(self, window, field, text):
        self.click(window, MAIN[field])
        self.xdo("key", "ctrl+a")
        self.type(window, text)

    def connect(self, kind, host, port=None, user=None, password=None):
        main = self.window("Lintara v")
        self.replace(main, "Host", host)
        self.click(main, MAIN[kind])
        if port is not None:
            self.replace(main, "Port", str(port))
        if user is not None:
            self.replace(main, "User", user)
        if password is not None:
            self.replace(main, "Password", password)
        self.click(main, MAIN["Connect"])
        return main

    def message(self):
        """The text of the message box on screen, selected with the mouse as a user
        would (from its first letter, right of the icon, to past its end), read back
        from the X selection."""
        box = self.window("^Error$")
        geometry = dict(v.split("=") for v in self.xdo("getwindowgeometry", "--shell", box))
        # Whatever was selected before (a field's text) must not pass for the message.
        # xclip stays to serve it, so it gets no pipe of ours.
        subprocess.run(["xclip", "-selection", "primary", "-i", "/dev/null"],
                       env=self.tool_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=10)
        self.focus(box, 63, 18)
        self.xdo("mousedown", "1")
        self.xdo("mousemove", "--window", box, str(int(geometry["WIDTH"]) - 2),
                 str(int(geometry["HEIGHT"]) - 2))
        self.xdo("mouseup", "1")
        text = wait_for(lambda: subprocess.run(
            ["xclip", "-selection", "primary", "-o"], env=self.tool_env, capture_output=True,
            text=True, timeout=10).stdout, what="the message's text")
        return box, text

    def type_in_terminal(self, text):
        terminal = wait_for(lambda: (self.xdo("search", "--onlyvisible", "--class", "xterm")
                                     or [None])[0], ARRIVAL, "the terminal")
        self.type(terminal, text)
        self.xdo("key", "Return")

class RealClients(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.top = tempfile.mkdtemp(prefix=PREFIX)
        # smbd serves the share as the share's user, who has to reach it.
        os.chmod(cls.top, 0o755)
        cls.client = Client(cls.top)
        cls.servers = Servers(cls.top, cls.client.home, cls.client.nss)
        try:
            cls.servers.start_all(cls.client.key)
            cls.client.env["CURL_CA_BUNDLE"] = cls.servers.path("cert.pem")
            # The bus's services (gvfs) keep to the test's home too.
            os.environ.update(HOME=cls.client.home, XDG_CONFIG_HOME=cls.client.env["XDG_CONFIG_HOME"],
                              XDG_DATA_HOME=cls.client.env["XDG_DATA_HOME"],
                              XDG_CACHE_HOME=cls.client.env["XDG_CACHE_HOME"])
            cls.run_ = Run(prefix=PREFIX + "run-", name="LINTARA_CLIENTS_RUN")
            cls.display = Display()
        except BaseException:
            cls.servers.stop()
            shutil.rmtree(cls.top, ignore_errors=True)
            raise

    @classmethod
    def tearDownClass(cls):
        cls.display.stop()
        cls.run_.stop()
        cls.servers.stop()
        shutil.rmtree(cls.top, ignore_errors=True)

    def session(self, **options):
        s = Session(self.run_, self.display, self.client, **options)
        self.addCleanup(s.close)
        return s

    def arrives(self, what, condition):
        return wait_for(condition, ARRIVAL, what)

    def log_grows(self, name, needle, before):
        self.arrives("%s to log %r" % (name, needle),
                     lambda: self.servers.log(name).count(needle) > before)

    def mounts(self):
        return subprocess.run(["gio", "mount", "-l"], env=self.run_.env, capture_output=True,
                              text=True).stdout

    # --- each type with the sample settings -----------------------------------------

    def test_ssh_logs_in_with_the_key_over_ipv4_ipv6_and_a_host_name(self):
        for host, origin in (("127.0.0.1", "127.0.0.1"), ("::1", "::1"),
                             ("localhost", None)):
            with self.subTest(host=host):
                before = self.servers.log("sshd").count("Accepted publickey for root")
                sessions = len(text_of(self.servers.path("ssh-sessions")).splitlines())
                s = self.session()
                s.connect("SSH", host, self.servers.ports["ssh"])
                self.log_grows("sshd", "Accepted publickey for root", before)
                # The remote session itself ran, and says where it came from.
                lines = self.arrives("the ssh session", lambda: text_of(
                    self.servers.path("ssh-sessions")).splitlines()[sessions:])
                if origin:
                    self.assertEqual(lines[0].split()[0], origin)
                self.assertEqual(s.ended(), 0)
                s.close()

    def test_telnet_reaches_the_servers_login_over_ipv4_and_ipv6(self):
        for host in ("localhost", "::1"):
            with self.subTest(host=host):
                s = self.session()
                s.connect("Telnet", host, self.servers.ports["telnet"])
                self.assertEqual(s.ended(), 0)
                # Typed into the real terminal, received by the session telnetd started.
                line = "typed-through-telnet-to-" + host
                s.type_in_terminal(line)
                self.arrives("the telnet session's line", lambda: line in text_of(
                    self.servers.path("telnet-lines")).splitlines())
                s.close()

    def test_remote_desktop_and_the_console_reach_xrdp(self):
        for kind, console in (("Remote Desktop", 0), ("RDP Console", ConsoleWatch.CONSOLE)):
            with self.subTest(kind):
                log = self.servers.path("xrdp-own.log")
                before = text_of(log).count("TLS connection established from 127.0.0.1")
                requests = len(self.servers.rdp.flags)
                s = self.session()
                s.connect(kind, "127.0.0.1", self.servers.ports["rdp"])
                # Self-signed, as xrdp's own certificate is: trusted on first use.
                self.arrives("xrdp's TLS connection", lambda: text_of(log).count(
                    "TLS connection established from 127.0.0.1") > before)
                self.arrives("xrdp's login screen", lambda: text_of(log).count(
                    "draw login window") > before)
                flags = self.servers.rdp.flags[requests:]
                self.assertEqual(len(flags), 1, flags)
                self.assertIsNotNone(flags[0], "no cluster data in the request")
                self.assertEqual(flags[0] & ConsoleWatch.CONSOLE, console, flags)
                self.assertEqual(s.ended(), 0)
                s.close()

    def test_vnc_reaches_the_server_over_ipv4_ipv6_and_a_host_name(self):
        for host, server, shown in (("127.0.0.1", "vnc", "accepted: 127.0.0.1::"),
                                    ("::1", "vnc6", "accepted: [::1]::"),
                                    ("localhost", "vnc", "accepted: 127.0.0.1::")):
            with self.subTest(host=host):
                before = self.servers.log(server).count(shown)
                s = self.session()
                s.connect("VNC", host, self.servers.ports[server])
                self.log_grows(server, shown, before)
                self.assertEqual(s.ended(), 0)
                s.close()

    def test_ftp_logs_in_at_once_over_ipv4_ipv6_and_a_host_name(self):
        for host, server in (("127.0.0.1", "ftp"), ("::1", "ftp6"), ("localhost", "ftp")):
            with self.subTest(host=host):
                before = self.servers.log(server).count("USER 'anonymous' logged in")
                s = self.session()
                s.connect("FTP", host, self.servers.ports[server])
                self.log_grows(server, "USER 'anonymous' logged in", before)
                self.assertEqual(s.ended(), 0)
                s.close()

    def test_web_pages_are_fetched_by_the_desktops_browser(self):
        ports = self.servers.ports
        for kind, host, name in (("HTTP", "127.0.0.1:%d" % ports["http"], "http"),
                                 ("HTTP", "[::1]:%d" % ports["http6"], "http6"),
                                 ("HTTPS", "localhost:%d" % ports["https"], "https")):
            with self.subTest(host=host):
                before = self.servers.log(name).count('"GET / HTTP/1.1" 200')
                s = self.session()
                s.connect(kind, host)
                self.log_grows(name, '"GET / HTTP/1.1" 200', before)
                self.assertEqual(s.ended(), 0)
                s.close()

    def test_ping_reaches_the_address_and_the_window_stays(self):
        before = self.servers.echo.count
        s = self.session()
        s.connect("Ping", "127.31.7.9")
        # A continuous ping: echo after echo.
        self.arrives("three echo requests", lambda: self.servers.echo.count >= before + 3)
        self.assertTrue(s.alive())
        self.assertTrue(s.visible("Lintara v"))

    def test_map_a_drive_mounts_the_share_or_says_why_not(self):
        host = "127.0.0.1:%d" % self.servers.ports["smb"]
        share = "smb://%s@%s/c$/" % (SMB_USER, host)
        # A wrong password first: gio's own words, the window back, nothing mounted.
        s = self.session()
        main = s.connect("Map a Drive", host, user=SMB_USER, password="not-the-password")
        box, text = s.message()
        self.assertIn("gio ended at once", text)
        # gio gives no reason of its own: its asking again says the password was refused.
        self.assertEqual(text.count("Authentication Required"), 2, text)
        self.assertTrue(s.visible("Lintara v"))
        self.assertNotIn(share, self.mounts())
        s.keys(box, "Return")
        wait_for(lambda: not s.visible("^Error$"), what="the box to close")
        # The right one in the same window: mounted, then opened by the file manager.
        before = self.servers.log("smbd").count("connect to service C$ initially as user " +
                                                SMB_USER)
        s.replace(main, "Password", SMB_PASSWORD)
        s.click(main, MAIN["Connect"])
        self.arrives("the mount", lambda: share in self.mounts() or (
            s.visible("^Error$") and self.fail("the mount failed: " + s.message()[1])))
        self.log_grows("smbd", "connect to service C$ initially as user " + SMB_USER, before)
        self.assertEqual(s.ended(), 0)
        subprocess.run(["gio", "mount", "-u", share], env=self.run_.env, capture_output=True)

    # --- what the user hears when a client is missing -----------------------------------

    def test_each_missing_client_is_reported_and_the_window_stays(self):
        sample = text_of(SAMPLE_INI)
        # PATH with the terminal alone: no ssh, xdg-open, ping or gio on it.
        bare = self.client.bin
        rows = [(kind, sample.replace("[%s]\nProgram=%s" % (section, program),
                                      "[%s]\nProgram=/usr/bin/lintara-missing" % section),
                 None, MISSING)
                for kind, section, program in (
                    ("Remote Desktop", "RemoteDesktop", "/usr/bin/xfreerdp"),
                    ("RDP Console", "RDPConsole", "/usr/bin/xfreerdp"),
                    ("VNC", "VNC", "/usr/bin/xtigervncviewer"),
                    ("Telnet", "Telnet", "/usr/bin/x-terminal-emulator"),
                    ("SSH", "SSH", "/usr/bin/x-terminal-emulator"),
                    ("FTP", "FTP", "/usr/bin/x-terminal-emulator"))]
        rows += [
            ("SSH", sample, bare, "ssh was not found on PATH (Debian package openssh-client)"),
            ("Telnet", sample, bare, "telnet was not found on PATH (Debian package telnet)"),
            ("FTP", sample, bare, "lftp was not found on PATH (Debian package lftp)"),
            ("HTTP", sample, bare, "xdg-open was not found on PATH (Debian package xdg-utils)"),
            ("Ping", sample, bare, "ping was not found on PATH (Debian package iputils-ping)"),
            ("Map a Drive", sample, bare,
             "gio was not found on PATH (Debian package libglib2.0-bin)"),
        ]
        for kind, settings, path, expected in rows:
            with self.subTest(kind=kind, expected=expected):
                if path is None:
                    self.assertNotEqual(settings, sample, "no program was taken away")
                s = self.session(settings=settings, path=path)
                s.connect(kind, "127.0.0.1")
                box, text = s.message()
                self.assertIn(expected, text)
                s.keys(box, "Return")
                wait_for(lambda: not s.visible("^Error$"), what="the box to close")
                self.assertTrue(s.alive())
                self.assertTrue(s.visible("Lintara v"))
                s.close()


def main():
    if os.geteuid() != 0:
        print("the clients stage runs as root (sshd, smbd and the ping watch need it)",
              file=sys.stderr)
        return 1
    # Further arguments pick tests, as unittest takes them.
    result = unittest.main(argv=[sys.argv[0], *sys.argv[3:]], verbosity=2, exit=False).result
    left = [n for n in os.listdir(tempfile.gettempdir()) if n.startswith(PREFIX)]
    if left:
        print("left behind in /tmp:", left, file=sys.stderr)
    return 0 if result.wasSuccessful() and not left else 1


if __name__ == "__main__":
    sys.exit(main())
