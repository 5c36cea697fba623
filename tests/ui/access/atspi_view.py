#!/usr/bin/env python3
"""The program as a screen reader sees it, over a private accessibility bus.

Starts a private X server, session bus and accessibility bus, runs the program on the
simulated mouse with accessibility on, and walks its windows with pyatspi as a screen
reader would: the main window's elements with their texts and roles, Apply and the
Advanced tab pressed through their actions, a slider's value read and set, and the
assignment popup's rows as menu items. Exits 77 (skipped) when a tool is missing.

usage: atspi_view.py PROGRAM BUILT_APP_DIR
"""

import importlib.util
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from desktop_run import PrivateDesktop, fail, skip, start_with_fd_line, wait_for  # noqa: E402

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def children(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def find_child(node, name, role=None):
    for c in children(node):
        if c is not None and c.name == name and (role is None or c.getRoleName() == role):
            return c
    return None


def do_action(node, wanted):
    action = node.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    if wanted not in names:
        fail("%s has no action %s (%s)" % (node.name, wanted, names))
    action.doAction(names.index(wanted))


def main():
    if len(sys.argv) != 3:
        fail(__doc__)
    program, built_app_dir = sys.argv[1], sys.argv[2]
    for tool in ("Xvfb", "dbus-daemon"):
        if shutil.which(tool) is None:
            skip(tool + " is not installed")
    if not os.path.exists(LAUNCHER):
        skip("at-spi2-core is not installed")
    if importlib.util.find_spec("pyatspi") is None:
        skip("python3-pyatspi is not installed")

    with PrivateDesktop(built_app_dir, "zel-atspi-") as desk:
        env, app_dir, servers = desk.env, desk.app_dir, desk.servers
        desk.start_x("1600x1000")
        bus, address = start_with_fd_line(
            ["dbus-daemon", "--session", "--nofork", "--print-address={fd}"], env)
        servers.append(bus)
        if not address:
            skip("the session bus did not start")
        env.update(DBUS_SESSION_BUS_ADDRESS=address)
        # The accessibility bus and its registry, on the private session bus.
        servers.append(subprocess.Popen([LAUNCHER, "--launch-immediately"], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        time.sleep(0.5)

        app_env = dict(env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                       QT_ACCESSIBILITY="1")
        app = subprocess.Popen([program, "--simulate", "--app-dir", app_dir], env=app_env)
        servers.append(app)

        os.environ.update(env)
        import pyatspi  # reads the session bus of the environment when imported

        desktop = pyatspi.Registry.getDesktop(0)

        def application():
            for a in children(desktop):
                if a is not None and a.name == "zel-gmouse":
                    return a
            return None

        zel = wait_for("the program on the accessibility bus", application)

        def main_window():
            for w in children(zel):
                if w is not None and find_child(w, "Apply") is not None:
                    return w
            return None

        window = wait_for("the main window with its elements", main_window)
        print("main window: %r (%s)" % (window.name, window.getRoleName()))

        # The buttons page, as read out.
        listed = [(c.name, c.getRoleName()) for c in children(window)]
        for name, role in listed:
            print("  %-22s %s" % (name, role))
        names = [n for n, _ in listed]
        for expected in ("Apply", "Buttons", "Advanced", "Macros", "Lighting", "Profile 1",
                         "Left click", "Wheel normal", "DPI 1"):
            if expected not in names:
                fail("the buttons page does not list " + expected)
        roles = dict(listed)
        if roles["Advanced"] != "page tab" or roles["Apply"] != "push button":
            fail("unexpected roles: %s" % roles)
        if roles["Profile 1"] != "check box":
            fail("a profile is not a check box: " + roles["Profile 1"])
        if not find_child(window, "Profile 1").getState().contains(pyatspi.STATE_CHECKED):
            fail("the current profile is not checked")

        # A change made through the bus reaches the settings and the mouse with Apply: DPI
        # level 3 (on in the shipped settings) turned off.
        dpi3 = find_child(window, "DPI 3", "check box")
        if not dpi3.getState().contains(pyatspi.STATE_CHECKED):
            fail("DPI level 3 is not shown on")
        # A screen reader hears of the change: the bus carries it as an event.
        from gi.repository import GLib
        heard = []
        listener = lambda event: heard.append((event.type, event.source.name, event.detail1))
        pyatspi.Registry.registerEventListener(listener, "object:state-changed:checked")
        do_action(dpi3, "toggle")
        wait_for("DPI level 3 off",
                 lambda: not find_child(window, "DPI 3").getState().contains(
                     pyatspi.STATE_CHECKED))

        def heard_off():
            while GLib.MainContext.default().iteration(False):
                pass
            return ("object:state-changed:checked", "DPI 3", 0) in heard

        wait_for("the bus telling that DPI 3 went off", heard_off, 10)
        pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:checked")
        print("heard: DPI 3 no longer checked")
        # Apply is unavailable while the start-up download runs, and says so.
        wait_for("Apply available", lambda: find_child(window, "Apply").getState().contains(
            pyatspi.STATE_ENABLED))
        do_action(find_child(window, "Apply"), "press")
        config = os.path.join(app_dir, "skins", "config", "config.ini")
        wait_for("Apply writing the settings",
                 lambda: "DPI_SET_EN2=0" in open(config, encoding="utf-8").read())
        print("Apply: the settings were written")

        # The Advanced tab shows its page; its sliders tell their value.
        do_action(find_child(window, "Advanced"), "press")
        slider = wait_for("the advanced page's sliders",
                          lambda: find_child(window, "Pointer speed", "slider"))
        value = slider.queryValue()
        before = value.currentValue
        print("Pointer speed: %g (%g .. %g)" % (before, value.minimumValue, value.maximumValue))
        if not (value.minimumValue <= before <= value.maximumValue):
            fail("the slider's value is out of its range")
        wanted = 3 if before != 3 else 8
        value.currentValue = wanted
        wait_for("the slider taking %d" % wanted,
                 lambda: find_child(window, "Pointer speed", "slider").queryValue().currentValue
                 == wanted)
        print("Pointer speed set to %d" % wanted)

        # The assignment popup's rows.
        do_action(find_child(window, "Buttons"), "press")
        button = wait_for("the buttons page again", lambda: find_child(window, "Right click"))
        do_action(button, "press")

        def popup():
            for w in children(zel):
                if w is not None and w.getRoleName() in ("popup menu", "menu") and w.childCount:
                    return w
            return None

        menu = wait_for("the assignment popup", popup)
        rows = [(r.name, r.getRoleName()) for r in children(menu)]
        print("assignment popup: " + ", ".join(n for n, _ in rows))
        if any(role != "menu item" for _, role in rows):
            fail("a row is not a menu item: %s" % rows)
        if "Middle click" not in [n for n, _ in rows]:
            fail("the popup lacks its rows' texts")
        do_action(find_child(menu, "Middle click"), "press")
        wait_for("the second button taking the middle click",
                 lambda: len([c for c in children(window) if c.name == "Middle click"]) == 2)
        print("row chosen: the second button is now Middle click")
        print("PASS")
        return 0


if __name__ == "__main__":
    sys.exit(main())
