#!/usr/bin/env python3
"""The running player as a screen reader sees it, over the real AT-SPI bus.

usage: accessibility_test.py PLAYER
Run on an X server with a session bus of its own (with-xvfb.sh and
dbus-run-session): starts at-spi-bus-launcher, then the player, and reads
its accessibility tree through pyatspi. The six transport labels must be
push buttons named by their captions whose Press action runs their command,
Random telling its on/off state (checked and pressed while on),
the volume slider and the playlist must carry their names, and no focusable
object may be nameless.
"""
import os
import subprocess
import sys
import tempfile
import time

DEADLINE = 30.0


def wait_for(what, probe):
    end = time.monotonic() + DEADLINE
    while time.monotonic() < end:
        try:
            found = probe()
        except Exception:  # the bus or the tree is still coming up
            found = None
        if found:
            return found
        time.sleep(0.05)
    sys.exit(f"FAIL: {what} (after {DEADLINE:.0f} s)")


def main():
    player = sys.argv[1]
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    work = tempfile.TemporaryDirectory()
    app_proc = None
    failures = []
    try:
        wait_for("the accessibility bus", lambda: subprocess.run(
            ["gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus",
             "--method", "org.a11y.Bus.GetAddress"], capture_output=True).returncode == 0)
        import pyatspi

        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        app_proc = subprocess.Popen([player], cwd=work.name, env=env)

        starts = [1]

        def find_app():
            nonlocal app_proc
            # On a loaded machine the player's first connection to the fresh
            # X server was once refused: a player that ended before it showed
            # up is started again, twice at most.
            if app_proc.poll() is not None and starts[0] < 3:
                print(f"the player ended ({app_proc.returncode}) before it showed up; starting it again",
                      file=sys.stderr)
                starts[0] += 1
                app_proc = subprocess.Popen([player], cwd=work.name, env=env)
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                a = desktop.getChildAtIndex(i)
                if a is not None and a.name == "Corvalle's MP3 Player" and a.childCount > 0:
                    return a
            return None

        app = wait_for("the player in the accessibility tree", find_app)

        def walk(node, out):
            out.append(node)
            for i in range(node.childCount):
                child = node.getChildAtIndex(i)
                if child is not None:
                    walk(child, out)
            return out

        def named(role, name):
            return [n for n in walk(app, []) if n.getRole() == role and n.name == name]

        def actions(node):
            action = node.queryAction()
            return [action.getName(i) for i in range(action.nActions)]

        buttons = {}
        for caption in ["Prev", "Play", "Stop", "Next", "Random", "Exit"]:
            found = wait_for(f"a push button named {caption}",
                             lambda c=caption: named(pyatspi.ROLE_PUSH_BUTTON, c))
            buttons[caption] = found[0]
            names = [a.lower() for a in actions(found[0])]
            if "press" not in names and "click" not in names:
                failures.append(f"{caption}: no Press action, only {names}")
        if not named(pyatspi.ROLE_PUSH_BUTTON, "Volume"):
            failures.append("no push button named Volume")
        volume_label = named(pyatspi.ROLE_PUSH_BUTTON, "Volume")[0]
        if not [n for n in walk(app, []) if n.name == "Playlist" and n.getRole() in (pyatspi.ROLE_LIST,
                                                                                   pyatspi.ROLE_LIST_BOX)]:
            failures.append("no list named Playlist")
        if not [n for n in walk(app, []) if n.name == "Theme picture"]:
            failures.append("the theme picture has no name")

        # No focusable object is nameless.
        for n in walk(app, []):
            states = n.getState()
            if states.contains(pyatspi.STATE_FOCUSABLE) and not n.name:
                failures.append(f"a focusable {n.getRoleName()} without a name")

        # Press runs the command: "Volume" shows the slider, named "Volume".
        def press(node):
            action = node.queryAction()
            for i in range(action.nActions):
                if action.getName(i).lower() in ("press", "click"):
                    return action.doAction(i)
            return False

        # Random tells its state, and a Press turns it on and off.
        random = buttons["Random"]

        def random_is(on):
            random.clear_cache()  # read afresh, as no event listener keeps the cache
            states = random.getState()
            return all(states.contains(s) == on for s in (pyatspi.STATE_CHECKED, pyatspi.STATE_PRESSED))

        if not random_is(False):
            failures.append("Random tells itself on at the start")
        press(random)
        wait_for("Random checked and pressed after a Press", lambda: random_is(True))
        press(random)
        wait_for("Random neither checked nor pressed after a second Press", lambda: random_is(False))

        press(volume_label)
        wait_for("the volume slider named Volume after pressing Volume",
                 lambda: [n for n in walk(app, []) if n.getRole() == pyatspi.ROLE_SCROLL_BAR and n.name == "Volume"
                          and n.getState().contains(pyatspi.STATE_SHOWING)])
        # ... and "Exit" ends the program.
        press(buttons["Exit"])
        wait_for("the player to end after pressing Exit", lambda: app_proc.poll() is not None)
        if app_proc.returncode != 0:
            failures.append(f"the player ended with {app_proc.returncode}")
    finally:
        if app_proc is not None and app_proc.poll() is None:
            app_proc.kill()
            app_proc.wait()
        launcher.terminate()
        launcher.wait()
        work.cleanup()
    for f in failures:
        print("FAIL:", f)
    if failures:
        sys.exit(1)
    print("PASS: accessibility over AT-SPI")


if __name__ == "__main__":
    main()
