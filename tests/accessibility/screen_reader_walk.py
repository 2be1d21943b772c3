#!/usr/bin/python3
"""The real program as a screen reader meets it: started over a small sample
tree, its accessible tree read over AT-SPI (Python's gi bindings to Atspi),
keys typed on the X server. Run under with-bridge.sh:

    with-bridge.sh /usr/bin/python3 screen_reader_walk.py BRIMLARK SAMPLE_GENERATOR

It reads the tiles a search leaves, the lock screens' fields (named, masked)
and their errors (told again when the same error comes again), and the
uninstaller's review rows (check boxes named by the file, with its path and
size, checked)."""

import os
import re
import subprocess
import sys
import tempfile
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# The bindings call the action's name by its older name.
warnings.filterwarnings("ignore", category=DeprecationWarning)
PASSWORD = "hunter2"
TIMEOUT = 60


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(what, check):
    """check()'s first true value; fails the walk after TIMEOUT seconds."""
    end = time.monotonic() + TIMEOUT
    while True:
        pump()
        try:
            value = check()
        except GLib.Error:
            value = None  # a node went away while it was read
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("never came: " + what)
        time.sleep(0.05)


def has(node, state):
    return node.get_state_set().contains(state)


def shown(node, depth=0):
    """Every node below node that is showing, depth first."""
    out = []
    for i in range(node.get_child_count() if depth < 60 else 0):
        child = node.get_child_at_index(i)
        if child is None or not has(child, Atspi.StateType.SHOWING):
            continue
        out.append(child)
        out.extend(shown(child, depth + 1))
    return out


def find(app, role, name=None):
    app.clear_cache()
    return [n for n in shown(app) if n.get_role_name() == role and (name is None or n.get_name() == name)]


def one(app, role, name):
    return wait_for("%s %r" % (role, name), lambda: (find(app, role, name) or [None])[0])


def press(node):
    names = [Atspi.Action.get_action_name(node, i) for i in range(Atspi.Action.get_n_actions(node))]
    assert "Press" in names, "%s has no Press: %s" % (node.get_name(), names)
    Atspi.Action.do_action(node, names.index("Press"))


def keys(*args):
    subprocess.run(["xdotool", *args], check=True)


def text_of(node):
    return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))


class Program:
    def __init__(self, binary, root, home):
        env = dict(os.environ, BRIMLARK_SYSTEM_ROOT=root, HOME=home, XDG_CONFIG_HOME=home + "/.config",
                   XDG_DATA_HOME=home + "/.local/share", XDG_CACHE_HOME=home + "/.cache")
        self.process = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL)
        self.app = wait_for("the program in the accessible tree", self._find)

    def _find(self):
        if self.process.poll() is not None:
            raise SystemExit("the program ended before its window came: status %d" % self.process.returncode)
        desktop = Atspi.get_desktop(0)
        desktop.clear_cache()
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def end(self):
        self.process.terminate()
        self.process.wait(timeout=TIMEOUT)


class Heard:
    """What a reader was told of an event (a node showing, or taking the
    keyboard): each node the event came true for, as role and name, in order.
    A name change alone tells nothing."""

    def __init__(self, event):
        self.event = event
        self.trail = []
        self.listener = Atspi.EventListener.new(self._heard)
        self.listener.register(event)

    def _heard(self, event):
        try:
            if event.detail1 == 1:
                self.trail.append((event.source.get_role_name(), event.source.get_name()))
        except GLib.Error:
            pass  # a node went away while it was read

    def end(self):
        self.listener.deregister(self.event)
        return self.trail


def search_leaves_its_tiles(app):
    field = one(app, "text", "Search Apps...")
    wait_for("the search field focused", lambda: has(field, Atspi.StateType.FOCUSED))
    keys("type", "--delay", "30", "Atlas")
    wait_for("only the tile the search leaves", lambda: [n.get_name() for n in find(app, "push button")
                                                          if n.get_description() == "Application"] == ["Atlas Maps"])


def password_fields(app, names):
    return wait_for("the password fields " + str(names),
                    lambda: (f := find(app, "password text")) and [n.get_name() for n in f] == names and f)


def told_twice(app, button_name, alert):
    """Presses the button twice; the same error is read out each time. Returns the button."""
    heard = Heard("object:state-changed:showing")
    button = one(app, "push button", button_name)
    for times in (1, 2):
        press(button)
        wait_for("%d announcements of %r" % (times, alert), lambda: heard.trail.count(("alert", alert)) >= times)
    heard.end()
    return button


def lock_screens(program):
    app = program.app
    press(one(app, "list item", "Hidden Apps"))
    first, confirm = password_fields(app, ["Enter Password", "Confirm Password"])
    wait_for("the first field focused", lambda: has(first, Atspi.StateType.FOCUSED))
    keys("type", "--delay", "30", PASSWORD)
    masked = wait_for("the typed password's mask", lambda: text_of(first) if len(text_of(first)) == len(PASSWORD)
                      else None)
    assert not any(c in masked for c in PASSWORD), "the password reads in clear: %r" % masked
    keys("key", "Tab")
    wait_for("the confirm field focused", lambda: has(confirm, Atspi.StateType.FOCUSED))
    keys("type", "--delay", "30", "hunter3")
    button = told_twice(app, "Set Password & Enable Lock", "Passwords do not match")
    keys("key", "ctrl+a", "BackSpace")
    keys("type", "--delay", "30", PASSWORD)
    press(button)
    press(one(app, "push button", "Lock"))
    (field,) = password_fields(app, ["Enter Password"])
    wait_for("the unlock field focused", lambda: has(field, Atspi.StateType.FOCUSED))
    keys("type", "--delay", "30", "wrong")
    told_twice(app, "Unlock", "Incorrect Password")
    press(one(app, "list item", "All Apps"))


def review_rows(app):
    tile = one(app, "push button", "Atlas Maps")
    x, y = tile.get_position(Atspi.CoordType.SCREEN).x, tile.get_position(Atspi.CoordType.SCREEN).y
    keys("mousemove", str(x + 20), str(y + 20), "click", "3")
    focus = Heard("object:state-changed:focused")
    press(one(app, "menu item", "Uninstall App\u2026"))
    rows = wait_for("the review rows", lambda: find(app, "check box") if find(app, "push button", "Move to Trash")
                    else None)
    # Each stage says what it is as it takes the keyboard; nothing focused is a bare panel.
    wait_for("the review stage focused", lambda: focus.trail and focus.trail[-1][1].startswith("Items found: "))
    trail = focus.end()
    assert all(name for _, name in trail), "focus went to a node without a name: %s" % trail
    by_name = {row.get_name(): row for row in rows}
    assert any(n.endswith(".plist") for n in by_name), list(by_name)
    for name, row in by_name.items():
        description = row.get_description()
        assert name and description, "a row without its name or path: %r %r" % (name, description)
        assert re.fullmatch(r"(.*\. )?~?/.*/.*, [\d.,]+ \S+", description), "no path and size: %r" % description
        if has(row, Atspi.StateType.CHECKABLE):
            assert has(row, Atspi.StateType.CHECKED), "a preselected row says it is unchecked: %r" % name
    press(one(app, "push button", "Cancel"))


def main():
    binary, generator = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="brimlark-walk.") as work:
        root, home = os.path.join(work, "root"), os.path.join(work, "home")
        subprocess.run([sys.executable, generator, root, "--home", home], check=True, stdout=subprocess.DEVNULL)
        program = Program(binary, root, home)
        try:
            search_leaves_its_tiles(program.app)
            review_rows(program.app)
            keys("key", "Escape")
            lock_screens(program)
        finally:
            program.end()
    print("the walk read every screen")


if __name__ == "__main__":
    main()
