"""What the desktop tests share: a private X server and folders for the program under test.

The tests run the built program as a user would meet it, on a private X server with private
XDG folders and a copy of the built data set, and stop everything they started at the end.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77


def skip(reason):
    print("skipped: " + reason)
    sys.exit(SKIP)


def fail(reason):
    print("FAIL: " + reason)
    sys.exit(1)


def start_with_fd_line(argv, env):
    """Starts a server that writes where it listens as one line to a descriptor."""
    r, w = os.pipe()
    proc = subprocess.Popen([a.replace("{fd}", str(w)) for a in argv], pass_fds=(w,), env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    line = b""
    deadline = time.monotonic() + 15
    while not line.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(r, 256)
        if not chunk:
            break
        line += chunk
    os.close(r)
    return proc, line.decode().strip()


def wait_for(what, condition, seconds=20.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            value = condition()
        except Exception:  # what is looked at changes under the look; ask again
            value = None
        if value:
            return value
        time.sleep(0.1)
    fail("never happened: " + what)


class PrivateDesktop:
    """A work folder with private XDG folders and a copy of the built data set, and the
    servers started for it (stopped, last first, when the `with` block ends)."""

    def __init__(self, built_app_dir, prefix):
        self.work = tempfile.mkdtemp(prefix=prefix)
        self.servers = []
        env = dict(os.environ)
        for key in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
                    "AT_SPI_BUS_ADDRESS"):
            env.pop(key, None)
        for sub in ("run", "home", "data", "cache", "config"):
            os.makedirs(os.path.join(self.work, sub), mode=0o700)
        env.update(XDG_RUNTIME_DIR=os.path.join(self.work, "run"),
                   HOME=os.path.join(self.work, "home"),
                   XDG_DATA_HOME=os.path.join(self.work, "data"),
                   XDG_CACHE_HOME=os.path.join(self.work, "cache"),
                   XDG_CONFIG_HOME=os.path.join(self.work, "config"))
        self.env = env
        self.app_dir = os.path.join(self.work, "app")
        shutil.copytree(os.path.join(built_app_dir, "skins"), os.path.join(self.app_dir, "skins"))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for proc in reversed(self.servers):
            if proc.poll() is None:
                proc.terminate()
        for proc in reversed(self.servers):
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()
        shutil.rmtree(self.work, ignore_errors=True)
        return False

    def start(self, argv, **kwargs):
        """Starts a process that is stopped with the desktop."""
        proc = subprocess.Popen(argv, **kwargs)
        self.servers.append(proc)
        return proc

    def start_x(self, screen):
        """A private X server of `screen` ("WxH"); sets DISPLAY in the environment."""
        xvfb, display = start_with_fd_line(
            ["Xvfb", "-displayfd", "{fd}", "-screen", "0", screen + "x24", "-noreset",
             "-nolisten", "tcp"], self.env)
        self.servers.append(xvfb)
        if not display:
            skip("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display
