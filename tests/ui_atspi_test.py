#!/usr/bin/env python3
"""The window as a screen reader meets it on Linux: a real AT-SPI client on
the accessibility bus, against the application running under Xvfb.

`ui_atspi_test.py VERISTAMP PACKAGE` opens PACKAGE with the application (a run
starts at once) and checks what a reader is given: the window's name, the
focus announced once the window is active, each finished stage and the
verdict raised as notifications that appear (what Orca speaks whatever has
the focus), and the About sheet, opened from the keyboard, as a named dialog
with its statement, areas, version and build that leaves nothing behind it
offered to the reader, and gives the focus back to About as it closes.
Exits 77 (skipped) where there is no X server, AT-SPI or pyatspi to run it
with, such as on macOS.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
TIMEOUT = 130  # seconds for the run: the machine may be loaded, and a run is paced
DEADLINE = 215  # seconds for the whole test, set up and taken down, within CTest's 240
VERDICTS = ("READY TO SHIP", "REVIEW BEFORE SHIPPING", "DO NOT SHIP")
KEYS = shutil.which("xdotool") is not None


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


def find_bus_launcher():
    for path in ("/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher"):
        if os.access(path, os.X_OK):
            return path
    return None


class Session:
    """Xvfb, a private session bus, the accessibility bus and a window
    manager, each ended by its own id."""

    def __init__(self):
        self.processes = []
        self.home = tempfile.mkdtemp(prefix="veristamp-atspi-")
        self.env = dict(os.environ)
        for name in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"):
            folder = os.path.join(self.home, name.lower())
            os.makedirs(folder, mode=0o700)
            self.env[name] = folder

    def start(self, arguments, **kwargs):
        process = subprocess.Popen(arguments, env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                   start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def reported(self, arguments):
        """Starts a server that writes where it listens to a pipe ("{fd}" in its
        arguments) and returns that line, empty if it ended first."""
        read, write = os.pipe()
        self.start([argument.replace("{fd}", str(write)) for argument in arguments], pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as pipe:
            return pipe.readline().strip()

    def up(self):
        # A display number of our own: -displayfd has handed out a :0 that
        # could not be reached.
        self.env.pop("DISPLAY", None)
        for number in range(90, 140):
            socket = "/tmp/.X11-unix/X%d" % number
            if os.path.exists(socket) or os.path.exists("/tmp/.X%d-lock" % number):
                continue
            server = self.start(["Xvfb", ":%d" % number, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"])
            deadline = time.monotonic() + 10
            while server.poll() is None and not os.path.exists(socket) and time.monotonic() < deadline:
                time.sleep(0.1)
            if server.poll() is None and os.path.exists(socket):
                self.env["DISPLAY"] = ":%d" % number
                break
            self.processes.remove(server)
            self.end(server)
        else:
            raise RuntimeError("no X server would start")
        # The session bus is a child of ours, so it ends with the session.
        address = self.reported(["dbus-daemon", "--session", "--nofork", "--print-address={fd}"])
        if not address:
            raise RuntimeError("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.start([find_bus_launcher(), "--launch-immediately", "--a11y=1", "--screen-reader=1"])
        if shutil.which("openbox"):
            self.start(["openbox", "--sm-disable"])
        os.environ.update(self.env)
        # The client asks the session bus where the accessibility bus is: wait until it can answer.
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            asked = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                                    "org.a11y.Bus.GetAddress"], env=self.env, capture_output=True)
            if asked.returncode == 0:
                return
            time.sleep(0.5)
        raise RuntimeError("the accessibility bus did not come up")

    @staticmethod
    def end(process):
        """Ends a process and what it started (its own process group)."""
        for sent, wait in ((signal.SIGTERM, 5), (signal.SIGKILL, None)):
            try:
                os.killpg(process.pid, sent)
            except ProcessLookupError:
                pass
            try:
                process.wait(wait)
                return
            except subprocess.TimeoutExpired:
                continue

    def down(self):
        for process in reversed(self.processes):
            self.end(process)
        shutil.rmtree(self.home, ignore_errors=True)


def descendants(accessible, depth=0):
    if accessible is None or depth > 40:
        return
    yield accessible
    for index in range(accessible.childCount):
        try:
            child = accessible.getChildAtIndex(index)
        except Exception:
            continue
        yield from descendants(child, depth + 1)


def offered_outside(pyatspi, root):
    """What a reader is offered in the window outside the About sheet: the
    named or focusable elements that are showing."""
    offered = []

    def walk(accessible, depth):
        for index in range(accessible.childCount if depth < 40 else 0):
            child = accessible.getChildAtIndex(index)
            if child is None or (child.getRole() == pyatspi.ROLE_DIALOG and child.name == "About Veristamp"):
                continue
            states = child.getState()
            if states.contains(pyatspi.STATE_SHOWING) and (child.name or states.contains(pyatspi.STATE_FOCUSABLE)):
                offered.append("%s %r" % (child.getRoleName(), child.name))
            walk(child, depth + 1)

    walk(root, 0)
    return offered


def run_checks(pyatspi, GLib, session, application_path, package):
    heard = []     # names of notifications that appeared, in order
    focused = []   # names of what took the focus
    spoken = []    # both, in the order a reader says them
    failures = []

    def on_showing(event):
        try:
            if event.detail1 and event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
                heard.append(event.source.name)
                spoken.append(event.source.name)
        except Exception:
            pass

    def on_focused(event):
        try:
            if event.detail1:
                focused.append(event.source.name)
                spoken.append(event.source.name)
        except Exception:
            pass

    pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")
    pyatspi.Registry.registerEventListener(on_focused, "object:state-changed:focused")

    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb")
    app = subprocess.Popen([application_path, package], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           start_new_session=True)
    session.processes.append(app)
    started = time.monotonic()
    state = {"step": "run"}

    def application():
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            child = desktop.getChildAtIndex(index)
            if child is not None and child.name.lower() == "veristamp":
                return child
        return None

    def frame():
        found = application()
        return found.getChildAtIndex(0) if found is not None and found.childCount else None

    def find(role, predicate=lambda a: True):
        for accessible in descendants(frame()):
            try:
                if accessible.getRole() == role and predicate(accessible):
                    return accessible
            except Exception:
                continue
        return None

    def press(key):
        subprocess.run(["xdotool", "key", key], env=os.environ, check=False)

    def heard_verdict():
        return any(name.startswith(VERDICTS) for name in heard + focused)

    def open_sheet(now):
        """Tab to About as a keyboard user would and press Return; where
        xdotool is missing or the focus never gets there, the press action,
        asked again until the sheet opens."""
        if state.get("tabs", 0) < 12 and KEYS:
            if focused and focused[-1] == "About":
                press("Return")
                state["tabs"] = 99
            elif len(focused) > state.get("seen", -1) or now - state.get("tabbed", 0) > 2:
                state["seen"] = len(focused)
                state["tabbed"] = now
                state["tabs"] = state.get("tabs", 0) + 1
                press("Tab")
        elif now - state.get("pressed", 0) > 4:
            about = find(pyatspi.ROLE_PUSH_BUTTON, lambda a: a.name == "About")
            if about is not None:
                about.queryAction().doAction(0)
                state["pressed"] = now

    def step():
        now = time.monotonic()
        if now - started > TIMEOUT:
            failures.append("timed out at step %s; heard %r, focused %r" % (state["step"], heard, focused))
            pyatspi.Registry.stop()
            return False
        try:
            if state["step"] == "run" and heard_verdict():
                state["step"] = "about"
                state["asked"] = now
                state["run"] = list(spoken)
            elif state["step"] == "about":
                sheet = find(pyatspi.ROLE_DIALOG, lambda a: a.name == "About Veristamp")
                if sheet is not None:
                    state["sheet"] = [(a.getRole(), a.name) for a in descendants(sheet)]
                    state["step"] = "modal"
                    state["opened"] = now
                elif now - state["asked"] > 40:
                    print("NOTE: the About sheet did not open; its names not read here")
                    pyatspi.Registry.stop()
                    return False
                else:
                    open_sheet(now)
            elif state["step"] == "modal":
                # The window behind is withdrawn a frame or two after the sheet shows.
                state["behind"] = offered_outside(pyatspi, frame())
                if not state["behind"] or now - state["opened"] > 5:
                    state["step"] = "closing"
                    state["closing"] = (now, len(focused))
                    state["heard before closing"] = len(heard)
                    if KEYS:
                        press("Escape")
                    else:
                        find(pyatspi.ROLE_PUSH_BUTTON, lambda a: a.name == "Done").queryAction().doAction(0)
            elif state["step"] == "closing":
                at, mark = state["closing"]
                if "About" in focused[mark:] or now - at > 20:
                    state["refocused"] = focused[mark:]
                    state["after"] = offered_outside(pyatspi, frame())
                    pyatspi.Registry.stop()
                    return False
        except Exception as error:  # the tree changes under the walk: try again
            print("retrying: %s" % error)
        return True

    GLib.timeout_add(300, step)
    pyatspi.Registry.start()
    window_name = frame().name if frame() is not None else None
    app.terminate()
    try:
        app.wait(10)
    except subprocess.TimeoutExpired:
        app.kill()

    if failures:
        return failures
    if window_name != "Veristamp":
        failures.append("window name %r, not 'Veristamp'" % window_name)
    stages = [name for name in heard if ": " in name and not name.startswith(("READY", "REVIEW", "DO NOT"))]
    if len(stages) < 3 or not all(name.endswith((": passed", ": warning", ": failed")) for name in stages):
        failures.append("stages heard: %r" % heard)
    # Once: as a notification, or as the focus landing on it, not both.
    run = state.get("run", spoken)
    verdicts = [index for index, name in enumerate(run) if name.startswith(VERDICTS)]
    last_stage = max([index for index, name in enumerate(run) if name in stages] or [-1])
    if len(verdicts) != 1 or verdicts[0] < last_stage:
        failures.append("the verdict was not heard once, after the stages: %r" % run)
    # The focus placed as the window opened (the live card) reaches the reader
    # once a window manager has made the window active.
    if shutil.which("openbox") and not any(name.startswith("Inspecting") for name in focused):
        failures.append("the first focus was not announced: %r" % focused)
    if "sheet" not in state:
        return failures
    # The sheet is modal: nothing behind it is offered while it is up, and
    # all of it again, the focus back on About, once it closes.
    if state["behind"]:
        failures.append("offered behind the About sheet: %r" % state["behind"])
    if "heard before closing" in state and heard[state["heard before closing"]:]:
        failures.append("announced again as the sheet closed: %r" % heard[state["heard before closing"]:])
    if "About" not in state["refocused"]:
        failures.append("the focus did not return to About as the sheet closed: %r" % state["refocused"])
    if not any(item.startswith("push button 'About'") for item in state["after"]):
        failures.append("the window was not offered again after the sheet: %r" % state["after"])
    names = [name for _, name in state["sheet"]]
    wanted = ["Know what you are actually shipping.", "Version: ", "Build: "]
    for text in wanted:
        if not any(name.startswith(text) for name in names):
            failures.append("About sheet lacks %r: %r" % (text, names))
    if not any(name.startswith("Veristamp inspects the final macOS release artifact") for name in names):
        failures.append("About sheet lacks its statement: %r" % names)
    areas = [name for name in names if name.count(": ") == 1 and not name.startswith(("Version", "Build"))]
    if len(areas) != 6:
        failures.append("About sheet areas %r" % areas)
    return failures


def main():
    if sys.platform != "linux":
        skip("AT-SPI is the Linux accessibility bus")
    if len(sys.argv) < 3:
        print("usage: ui_atspi_test.py VERISTAMP PACKAGE")
        return 2
    if not shutil.which("Xvfb") or not shutil.which("dbus-daemon") or not find_bus_launcher():
        skip("Xvfb, dbus-daemon or at-spi-bus-launcher missing (scripts/install-deps installs them)")
    # Asked of a child: the bindings must load first in this process after the session is up.
    probe = "import gi; gi.require_version('Atspi', '2.0')"
    if subprocess.run([sys.executable, "-c", probe], capture_output=True).returncode != 0:
        # The distribution's bindings belong to its own Python, which may not be the first on PATH.
        system = "/usr/bin/python3"
        if os.path.realpath(sys.executable) != os.path.realpath(system) and os.access(system, os.X_OK):
            os.execv(system, [system] + sys.argv)
        skip("python3-pyatspi missing (scripts/install-deps installs it)")
    session = Session()

    # Ended from outside, or by its own deadline before CTest's, the run still
    # takes the window and its servers down.
    def interrupted(number, _frame):
        print("FAIL: ended by signal %d; the session taken down" % number, flush=True)
        session.down()
        os._exit(1)
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGALRM, interrupted)
    signal.alarm(DEADLINE)
    try:
        session.up()
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import GLib
        import pyatspi  # reads the session bus address as it loads
        failures = run_checks(pyatspi, GLib, session, sys.argv[1], sys.argv[2])
    finally:
        session.down()
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
