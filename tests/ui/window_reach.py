#!/usr/bin/env python3
"""The main window under a window manager: warning boxes follow it, and it stays reachable.

Starts a private X server with the openbox window manager, runs the program on a new
simulated mouse (its first connection shows two warning boxes), and drives it with xdotool
as a user would:

- while the first box shows, the window manager moves the main window: the box moves by
  the same distance;
- the boxes are closed with their button, the waiting box having said that the factory
  profiles are on the mouse;
- the window is dragged by its title band past the right and bottom edges of the screen,
  and then past the left and top edges: once released, its title band is back on the
  screen, wide enough to be grabbed again.

With ZEL_RENDER_DIR set, the screen is written there as PNG after each drag. Exits 77
(skipped) when a tool is missing.

usage: window_reach.py PROGRAM BUILT_APP_DIR
"""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_run import PrivateDesktop, fail, skip, wait_for  # noqa: E402

SCREEN = (1600, 1000)
TITLE_BAND = 56    # height of the band at the window's top that drags it
MIN_VISIBLE = 120  # width of that band that must stay on the screen
# A point of the title band that is no element (between the product name and the tabs).
GRAB = (230, 10)


class Desktop:
    def __init__(self, env, pid, render_dir):
        self.env = env
        self.pid = pid
        self.render_dir = render_dir

    def xdotool(self, *args):
        done = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env,
                              capture_output=True, text=True)
        return done.stdout if done.returncode == 0 else None

    def windows(self):
        """The program's visible windows as {id: (x, y, width, height)}."""
        out = self.xdotool("search", "--onlyvisible", "--pid", self.pid)
        found = {}
        for wid in (out or "").split():
            geometry = self.geometry(wid)
            if geometry is not None:
                found[wid] = geometry
        return found

    def geometry(self, wid):
        out = self.xdotool("getwindowgeometry", "--shell", wid)
        if out is None:
            return None
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        try:
            return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        except (KeyError, ValueError):
            return None

    def main_window(self):
        for wid, g in self.windows().items():
            if g[2:] == (1000, 700):
                return wid, g
        return None

    def box(self):
        for wid, g in self.windows().items():
            if g[2:] != (1000, 700):
                return wid, g
        return None

    def click(self, x, y):
        self.xdotool("mousemove", x, y)
        time.sleep(0.1)
        self.xdotool("click", 1)

    def drag(self, start, end, steps=12):
        self.xdotool("mousemove", *start)
        time.sleep(0.15)
        self.xdotool("mousedown", 1)
        time.sleep(0.15)
        for i in range(1, steps + 1):
            self.xdotool("mousemove", start[0] + (end[0] - start[0]) * i // steps,
                         start[1] + (end[1] - start[1]) * i // steps)
            time.sleep(0.03)
        time.sleep(0.15)
        self.xdotool("mouseup", 1)

    def shoot(self, name):
        if not self.render_dir:
            return
        os.makedirs(self.render_dir, exist_ok=True)
        subprocess.run(["import", "-window", "root", os.path.join(self.render_dir, name)],
                       env=self.env, check=False)


def ok_button(app_dir):
    """The centre of the warning box's button, from its layout file."""
    with open(os.path.join(app_dir, "skins", "1_INI_EN", "LBWarning.ini"),
              encoding="utf-8") as f:
        for line in f:
            if line.startswith("0="):
                _, x, y, w, h = line[2:].split(",")[:5]
                return int(x) + int(w) // 2, int(y) + int(h) // 2
    fail("the warning layout has no button")


def band_reachable(g):
    x, y, w, _ = g
    visible = min(x + w, SCREEN[0]) - max(x, 0)
    return y >= 0 and y + TITLE_BAND <= SCREEN[1] and visible >= min(MIN_VISIBLE, w)


def main():
    if len(sys.argv) != 3:
        fail(__doc__)
    program, built_app_dir = sys.argv[1], sys.argv[2]
    for tool in ("Xvfb", "openbox", "xdotool"):
        if shutil.which(tool) is None:
            skip(tool + " is not installed")
    render_dir = os.environ.get("ZEL_RENDER_DIR", "")
    if render_dir and shutil.which("import") is None:
        render_dir = ""

    with PrivateDesktop(built_app_dir, "zel-reach-") as session:
        env, app_dir = session.env, session.app_dir
        session.start_x("%dx%d" % SCREEN)
        wm = session.start(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        time.sleep(1.0)
        if wm.poll() is not None:
            skip("openbox did not start")

        app = session.start([program, "--simulate=1201", "--app-dir", app_dir],
                            env=dict(env, QT_QPA_PLATFORM="xcb"))
        desk = Desktop(env, app.pid, render_dir)
        button = ok_button(app_dir)

        # The first box of the first connection shows over the main window.
        main_id, before = wait_for("the main window", desk.main_window)
        _, box_before = wait_for("the first warning box", desk.box)
        print("main %s, box %s" % (before, box_before))

        # The window manager moves the main window: the box keeps its place beside it.
        target = (before[0] + 180, before[1] + 120)
        desk.xdotool("windowmove", main_id, *target)
        moved = wait_for("the main window moved",
                         lambda: (lambda m: m if m and m[1][:2] != before[:2] else None)(
                             desk.main_window()))[1]
        delta = (moved[0] - before[0], moved[1] - before[1])

        def box_followed():
            b = desk.box()
            return b if b and (b[1][0] - box_before[0], b[1][1] - box_before[1]) == delta \
                else None

        box_id, box_after = wait_for("the box following its owner by %s" % (delta,),
                                     box_followed, 5)[0:2]
        print("moved by %s: main %s, box %s" % (delta, moved, box_after))
        desk.shoot("reach_box_follows.png")

        # Both boxes closed with their button; the second closes once it has said its word.
        desk.click(box_after[0] + button[0], box_after[1] + button[1])
        wait_for("the first box closing", lambda: desk.box() is None or desk.box()[0] != box_id)
        _, wait_box = wait_for("the waiting box", desk.box)
        time.sleep(1.0)  # the download of the factory profiles ends meanwhile
        desk.shoot("reach_first_connection_done.png")
        desk.click(wait_box[0] + button[0], wait_box[1] + button[1])
        wait_for("the waiting box closing", lambda: desk.box() is None)

        # Dragged past the right and bottom edges, then past the left and top ones.
        for name, end in (("reach_bottom_right.png", (SCREEN[0] - 1, SCREEN[1] - 1)),
                          ("reach_top_left.png", (0, 0))):
            _, g = desk.main_window()
            desk.drag((g[0] + GRAB[0], g[1] + GRAB[1]), end)
            # Where the drag alone leaves the window: its title band past the edge.
            dropped = (end[0] - GRAB[0], end[1] - GRAB[1])

            def settled():
                m = desk.main_window()
                return m[1] if m and band_reachable(m[1]) else None

            where = wait_for("the title band back on the screen after a drag to %s" % (end,),
                             settled, 5)
            print("dragged to %s: window at %s" % (end, where))
            if where[:2] == g[:2] or where[:2] == dropped:
                fail("the window was not dragged past the edge and brought back")
            desk.shoot(name)
        if app.poll() is not None:
            fail("the program ended")
        print("ok")


if __name__ == "__main__":
    main()
