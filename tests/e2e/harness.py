"""Drives the real borvik program as a user does: its own X server (Xvfb) with a window manager
(openbox), its own session bus for the accessibility tree, fresh settings and documents folders.

A test builds a `Session`, starts the program in it and works through the X server (keys, clicks)
while it reads what the user would see: the X windows and their geometry, which window has the
keyboard, and, through the accessibility tree, the windows and fields inside the main window.

Nothing here touches the user's own display, session bus or files: every process gets an
environment made from scratch, and every process started here ends by its own process id.

A case is a file `test_*.py` beside this one (each file is one ctest, on its own display):

    from harness import BorvikTestCase, main, write_project

    class Quitting(BorvikTestCase):
        def test_something(self):
            s = self.s                                   # the Session
            write_project(os.path.join(s.work, "a.bvp"), box_type=1)
            s.start("a.bvp", scale=1.5)                  # the program, from s.work
            project = s.a11y().child_window(r"^\[1\]")    # a window inside the main window
            s.a11y().click(project)                       # clicks as the user does
            s.key("ctrl+s")
            dialog = s.wait_window("Save project")       # a top-level window by title
            ...

    if __name__ == "__main__":
        main()

Every wait polls with a deadline (`wait_until`); a failing case leaves a screenshot in the
build folder's tests/e2e/failures.
"""

import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

# Generous bounds: the suite also runs on a loaded machine and under the sanitizers.
DEFAULT_TIMEOUT = float(os.environ.get("BORVIK_E2E_TIMEOUT", "60"))
POLL_INTERVAL = 0.05

# Tools the suite needs; a missing one fails the test (the test command installs them).
REQUIRED_TOOLS = ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "dbus-daemon", "import")


class E2EError(AssertionError):
    """A condition the user would have seen did not come about in time."""


def _adopt_orphans():
    # Helpers of the session bus outlive their parents for a moment when the bus ends; this
    # process adopts them so that it can reap them instead of leaving them to the machine.
    try:
        import ctypes
        ctypes.CDLL(None, use_errno=True).prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
    except (OSError, AttributeError):
        pass


def _reap():
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


def read_bytes(path):
    with open(path, "rb") as handle:
        return handle.read()


def require_tools():
    missing = [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]
    if missing:
        raise E2EError("tools missing for the end-to-end tests (scripts/ensure-deps.sh installs "
                       "them): " + ", ".join(missing))


def wait_until(condition, timeout=DEFAULT_TIMEOUT, what="condition", session=None):
    """Polls `condition` until it returns something true and returns that; fails after
    `timeout` seconds with `what` (and a screenshot when a session is given)."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = condition()
            if value:
                return value
        except E2EError:
            raise
        except Exception as error:  # a window vanishing mid-query: try again
            last_error = error
        if time.monotonic() > deadline:
            detail = f" (last error: {last_error!r})" if last_error else ""
            if session is not None:
                session.screenshot_failure(what)
            raise E2EError(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(POLL_INTERVAL)


def _read_line(fd, timeout, what):
    deadline = time.monotonic() + timeout
    data = b""
    while b"\n" not in data:
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            raise E2EError(f"timed out after {timeout:.0f} s waiting for {what}")
        ready, _, _ = select.select([fd], [], [], remaining)
        if ready:
            chunk = os.read(fd, 4096)
            if not chunk:
                raise E2EError(f"{what}: the process ended before it answered")
            data += chunk
    return data.split(b"\n", 1)[0].decode().strip()


def _children_of(pid):
    """Every process whose ancestry leads to `pid`, deepest first."""
    parents = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            parents[int(entry)] = int(fields[1])
        except (OSError, IndexError, ValueError):
            continue
    found = []

    def walk(parent, depth):
        for child, ppid in parents.items():
            if ppid == parent:
                walk(child, depth + 1)
                found.append(child)

    walk(pid, 0)
    return found


def _end_process(process, timeout=10.0):
    """Ends `process` and everything it started, each by its process id."""
    if process is None:
        return
    pids = _children_of(process.pid)
    for pid in pids:
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout)
    for pid in pids:
        deadline = time.monotonic() + timeout
        while os.path.exists(f"/proc/{pid}") and time.monotonic() < deadline:
            try:
                with open(f"/proc/{pid}/stat") as stat:
                    if stat.read().rsplit(")", 1)[1].split()[0] == "Z":
                        break
            except OSError:
                break
            time.sleep(POLL_INTERVAL)
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")

# The box types as the program names them in captions.
BOX_TYPES = {0: "closed", 1: "vented", 2: "4th order bandpass", 3: "6th order bandpass",
             4: "passive radiator"}


def write_project(path, box_type=1, vr=0.05, fr=28.0, model="W8"):
    """Writes a project file (a complete driver, the given box) made from the suite's template,
    and returns its path."""
    with open(os.path.join(DATA, "project.bvp"), encoding="latin-1") as template:
        text = template.read()
    for key, value in (("BType", box_type), ("Vr", vr), ("Fr", fr), ("Model", model)):
        text = re.sub(rf"(?m)^{key}=.*$", f"{key}={value}", text, count=1)
    with open(path, "w", encoding="latin-1", newline="\r\n") as out:
        out.write(text)
    return path


def ini_value(path, section, key):
    """One value of an INI file the program wrote (None when missing)."""
    current = None
    with open(path, "rb") as ini:
        for raw in ini.read().decode("utf-8", "replace").splitlines():
            line = raw.strip()
            if line.startswith("[") and line.endswith("]"):
                current = line[1:-1]
            elif current == section and "=" in line:
                name, value = line.split("=", 1)
                if name == key:
                    return value
    return None


class Rect:
    def __init__(self, x, y, width, height):
        self.x, self.y, self.width, self.height = int(x), int(y), int(width), int(height)

    @property
    def right(self):
        return self.x + self.width

    @property
    def bottom(self):
        return self.y + self.height

    def center(self):
        return self.x + self.width // 2, self.y + self.height // 2

    def contains(self, other):
        return (other.x >= self.x and other.y >= self.y and other.right <= self.right
                and other.bottom <= self.bottom)

    def intersects(self, other):
        return (self.x < other.right and other.x < self.right and self.y < other.bottom
                and other.y < self.bottom)

    def __eq__(self, other):
        return (self.x, self.y, self.width, self.height) == (other.x, other.y, other.width,
                                                              other.height)

    def __repr__(self):
        return f"Rect({self.x}, {self.y}, {self.width}x{self.height})"


class Session:
    """One X server with a window manager, a session bus and fresh folders, for one program run
    (or several, one after another, sharing the same folders)."""

    def __init__(self, name, screen=(1920, 1200)):
        require_tools()
        _adopt_orphans()
        self.name = name
        self.screen = screen
        self.root = tempfile.mkdtemp(prefix=f"borvik-e2e-{name}-")
        self.home = self._folder("home")
        self.config = self._folder("config")
        self.data = self._folder("data")
        self.documents = self._folder("documents")
        self.runtime = self._folder("runtime")
        os.chmod(self.runtime, 0o700)
        self.work = self._folder("work")
        self.artifacts = os.environ.get("BORVIK_E2E_ARTIFACTS", self.root)
        self.program = None
        self.program_log = None
        self._xvfb = self._wm = self._bus = None
        self._logs = []
        self.display = None
        self.bus_address = None
        self._a11y = None
        try:
            self._start_x()
            self._start_wm()
            self._start_bus()
        except BaseException:
            self.close()
            raise

    # --- set-up and tear-down -------------------------------------------------------------

    def _folder(self, name):
        path = os.path.join(self.root, name)
        os.makedirs(path, exist_ok=True)
        return path

    def _log(self, name):
        handle = open(os.path.join(self.root, name + ".log"), "wb")
        self._logs.append(handle)
        return handle

    def environment(self, **extra):
        """An environment from scratch: nothing of the user's display, bus or folders."""
        keep = ("PATH", "LANG", "LC_ALL", "LC_NUMERIC", "ASAN_OPTIONS", "UBSAN_OPTIONS",
                "LSAN_OPTIONS", "TMPDIR")
        env = {key: os.environ[key] for key in keep if key in os.environ}
        env.update(HOME=self.home, XDG_CONFIG_HOME=self.config, XDG_DATA_HOME=self.data,
                   XDG_CACHE_HOME=self._folder("cache"), XDG_RUNTIME_DIR=self.runtime,
                   BORVIK_HOME=self.documents)
        if self.display is not None:
            env["DISPLAY"] = self.display
        if self.bus_address is not None:
            env["DBUS_SESSION_BUS_ADDRESS"] = self.bus_address
        env.update({key: str(value) for key, value in extra.items()})
        return env

    def _start_x(self):
        read_end, write_end = os.pipe()
        width, height = self.screen
        try:
            self._xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=self._log("xvfb"),
                stderr=subprocess.STDOUT, env=self.environment())
            os.close(write_end)
            write_end = None
            number = _read_line(read_end, DEFAULT_TIMEOUT, "the X server")
        finally:
            if write_end is not None:
                os.close(write_end)
            os.close(read_end)
        self.display = ":" + number
        wait_until(lambda: self._x(["xprop", "-root", "_NET_NUMBER_OF_DESKTOPS"], check=False)
                   is not None, what="the X server to answer")

    def _start_wm(self):
        self._wm = subprocess.Popen(["openbox", "--sm-disable"], stdin=subprocess.DEVNULL,
                                    stdout=self._log("openbox"), stderr=subprocess.STDOUT,
                                    env=self.environment())

        def managed():
            out = self._x(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
            return out is not None and "window id" in out

        wait_until(managed, what="the window manager")

    def _start_bus(self):
        self._bus = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=self._log("dbus"),
            env=self.environment())
        self.bus_address = _read_line(self._bus.stdout.fileno(), DEFAULT_TIMEOUT,
                                      "the session bus")

    def close(self):
        self.stop_program()
        for process in (self._bus, self._wm, self._xvfb):
            _end_process(process)
        if self._bus is not None and self._bus.stdout is not None:
            self._bus.stdout.close()
        _reap()
        for handle in self._logs:
            handle.close()
        self._logs = []
        if os.environ.get("BORVIK_E2E_KEEP") != "1":
            shutil.rmtree(self.root, ignore_errors=True)

    # --- the program ----------------------------------------------------------------------

    def start(self, *args, scale=1.0, executable=None, cwd=None):
        """Starts borvik with `args` at the scale factor `scale` and waits for its main window."""
        executable = executable or os.environ.get("BORVIK_EXE")
        if not executable or not os.path.exists(executable):
            raise E2EError(f"the borvik executable is missing: {executable!r} (BORVIK_EXE)")
        self.stop_program()
        self.program_log = os.path.join(self.root, "borvik.log")
        self.program = subprocess.Popen(
            [executable, *args], cwd=cwd or self.work, stdin=subprocess.DEVNULL,
            stdout=self._log("borvik"), stderr=subprocess.STDOUT,
            env=self.environment(QT_QPA_PLATFORM="xcb", QT_SCALE_FACTOR=scale,
                                 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, QT_ACCESSIBILITY=1,
                                 NO_AT_BRIDGE=1))
        self._a11y = None
        self.main_window = self.wait_window(r"^Borvik ", what="the main window")
        return self.main_window

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        """Waits for the program to end by itself and returns its exit code."""
        if self.program is None:
            return None
        try:
            return self.program.wait(timeout)
        except subprocess.TimeoutExpired:
            self.screenshot_failure("program did not end")
            raise E2EError(f"the program did not end within {timeout:.0f} s")

    def running(self):
        return self.program is not None and self.program.poll() is None

    def stop_program(self):
        if self.program is not None:
            _end_process(self.program)
            self.program = None
        self._a11y = None

    def program_output(self):
        path = os.path.join(self.root, "borvik.log")
        for handle in self._logs:
            handle.flush()
        try:
            with open(path, errors="replace") as log:
                return log.read()
        except OSError:
            return ""

    # --- X windows ------------------------------------------------------------------------

    def _x(self, command, check=True, timeout=DEFAULT_TIMEOUT):
        result = subprocess.run(command, env=self.environment(), stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=timeout)
        if result.returncode != 0:
            if check:
                raise E2EError(f"{' '.join(command)} failed: {result.stderr.strip()}")
            return None
        return result.stdout

    def windows(self, title=None):
        """The program's visible top-level windows as X window ids (managed clients, in
        stacking order, bottom first), optionally only those whose title matches `title`."""
        out = self._x(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], check=False) or ""
        ids = [int(token, 16) for token in re.findall(r"0x[0-9a-fA-F]+", out)]
        if title is not None:
            ids = [window for window in ids if re.search(title, self.window_title(window) or "")]
        return ids

    def wait_window(self, title, timeout=DEFAULT_TIMEOUT, what=None):
        """Waits for a managed, mapped top-level window whose title matches the regular
        expression `title`; returns its id."""
        def find():
            if self.program is not None and self.program.poll() is not None:
                raise E2EError(f"the program ended (code {self.program.returncode}) while "
                               f"waiting for window {title!r}:\n{self.program_output()[-3000:]}")
            for window in reversed(self.windows(title)):
                if self.window_mapped(window):
                    return window
            return None

        return wait_until(find, timeout, what or f"a window titled {title!r}", self)

    def wait_no_window(self, title, timeout=DEFAULT_TIMEOUT):
        wait_until(lambda: not [w for w in self.windows(title) if self.window_mapped(w)],
                   timeout, f"no window titled {title!r}", self)

    def window_title(self, window):
        out = self._x(["xdotool", "getwindowname", str(window)], check=False)
        return out.rstrip("\n") if out is not None else None

    def window_mapped(self, window):
        out = self._x(["xwininfo", "-id", str(window)], check=False)
        return out is not None and "Map State: IsViewable" in out

    def window_geometry(self, window):
        """The client area of a top-level window in screen pixels (without the frame)."""
        out = self._x(["xwininfo", "-id", str(window)])
        values = {key: int(value) for key, value in re.findall(
            r"(Absolute upper-left X|Absolute upper-left Y|Width|Height):\s+(-?\d+)", out)}
        return Rect(values["Absolute upper-left X"], values["Absolute upper-left Y"],
                    values["Width"], values["Height"])

    def frame_geometry(self, window):
        """A top-level window with the window manager's frame around it."""
        inner = self.window_geometry(window)
        out = self._x(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], check=False) or ""
        numbers = [int(n) for n in re.findall(r"-?\d+", out.split("=", 1)[-1])] if "=" in out \
            else []
        left, right, top, bottom = numbers if len(numbers) == 4 else (0, 0, 0, 0)
        return Rect(inner.x - left, inner.y - top, inner.width + left + right,
                    inner.height + top + bottom)

    def screen_rect(self):
        return Rect(0, 0, *self.screen)

    def active_window(self):
        """The window the window manager calls active (None when none is)."""
        out = self._x(["xdotool", "getactivewindow"], check=False)
        return int(out) if out and out.strip().isdigit() else None

    def focus_window(self):
        """The top-level window that holds the X keyboard focus (None: none does)."""
        out = self._x(["xprop", "-root", "_NET_ACTIVE_WINDOW"], check=False) or ""
        match = re.search(r"0x[0-9a-fA-F]+", out)
        active = int(match.group(0), 16) if match else 0
        focus = self._x(["xdotool", "getwindowfocus", "-f"], check=False)
        focus = int(focus) if focus and focus.strip().isdigit() else 0
        if focus in (0, 1) or focus == self._root_window():
            return None
        return focus if focus in self.windows() else (active or focus)

    def _root_window(self):
        out = self._x(["xwininfo", "-root"], check=False) or ""
        match = re.search(r"Window id: (0x[0-9a-fA-F]+)", out)
        return int(match.group(1), 16) if match else -1

    def stacked_above(self, upper, lower):
        """Whether top-level `upper` lies above `lower` in the stacking order."""
        order = self.windows()
        return order.index(upper) > order.index(lower)

    # --- input ----------------------------------------------------------------------------

    def key(self, *keys, window=None):
        """Presses key combinations as xdotool names them ("ctrl+s", "alt+x", "Return")."""
        command = ["xdotool", "key", "--delay", "40"]
        if window is not None:
            command += ["--window", str(window)]
        self._x(command + list(keys))

    def type(self, text):
        self._x(["xdotool", "type", "--delay", "30", "--", text])

    def move(self, x, y):
        self._x(["xdotool", "mousemove", "--sync", str(int(x)), str(int(y))])

    def click(self, x, y, button=1, repeat=1):
        self.move(x, y)
        self._x(["xdotool", "click", "--repeat", str(repeat), "--delay", "80", str(button)])

    def press(self, button=1):
        self._x(["xdotool", "mousedown", str(button)])

    def release(self, button=1):
        self._x(["xdotool", "mouseup", str(button)])

    def drag(self, start, end, steps=8, button=1):
        self.move(*start)
        self.press(button)
        for step in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * step // steps,
                      start[1] + (end[1] - start[1]) * step // steps)
        self.release(button)

    def click_title_bar(self, window):
        """Clicks the window manager's title bar of a top-level window."""
        frame = self.frame_geometry(window)
        inner = self.window_geometry(window)
        self.click(frame.x + frame.width // 3, frame.y + max(1, (inner.y - frame.y) // 2))

    # --- pictures -------------------------------------------------------------------------

    def screenshot(self, path):
        self._x(["import", "-window", "root", path], check=False)
        return path

    def screenshot_failure(self, what):
        os.makedirs(self.artifacts, exist_ok=True)
        stem = re.sub(r"[^A-Za-z0-9_.-]+", "_", f"{self.name}-{what}")[:120]
        return self.screenshot(os.path.join(self.artifacts, stem + ".png"))

    # --- inside the program: the accessibility tree ---------------------------------------

    def a11y(self):
        """The program's accessibility tree (see `A11y`)."""
        if self._a11y is None:
            self._a11y = A11y(self)
        return self._a11y


class A11y:
    """The program's windows and controls as its accessibility tree presents them: names,
    roles, states and extents on the screen, which is what a screen reader and this suite see
    of the windows inside the main window."""

    def __init__(self, session):
        # The library reads the bus and display once, from this process's environment.
        os.environ["DISPLAY"] = session.display
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = session.bus_address
        import warnings
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", ImportWarning)
            import gi
            gi.require_version("Atspi", "2.0")
            from gi.repository import Atspi
        self.Atspi = Atspi
        self.session = session
        self._app = None
        self._factor = None

    def app(self, timeout=DEFAULT_TIMEOUT):
        def find():
            desktop = self.Atspi.get_desktop(0)
            desktop.clear_cache()
            for i in range(desktop.get_child_count()):
                child = desktop.get_child_at_index(i)
                if child is not None and child.get_process_id() == self.session.program.pid:
                    return child
            return None

        if self._app is None:
            self._app = wait_until(find, timeout, "the program's accessibility tree",
                                   self.session)
        return self._app

    # Node helpers; nodes are Atspi.Accessible objects.
    def name(self, node):
        return node.get_name() or ""

    def role(self, node):
        return node.get_role_name() or ""

    def children(self, node):
        count = node.get_child_count()
        return [c for c in (node.get_child_at_index(i) for i in range(count)) if c is not None]

    def states(self, node):
        states = node.get_state_set()
        return {self.Atspi.StateType(s).value_nick for s in states.get_states()}

    def showing(self, node):
        return node.get_state_set().contains(self.Atspi.StateType.SHOWING)

    def extents(self, node):
        """Where a control lies on the screen, in screen pixels."""
        box = node.get_extents(self.Atspi.CoordType.SCREEN)
        k = self._scale()
        return Rect(round(box.x * k), round(box.y * k), round(box.width * k),
                    round(box.height * k))

    def _scale(self):
        # The tree may speak in the program's own pixels, which differ from the screen's under
        # a scale factor; the main window, seen both ways, gives the ratio.
        if self._factor is None:
            main = self.session.window_geometry(self.session.main_window)
            frame = wait_until(lambda: [n for n in self.children(self.app())
                                        if self.role(n) == "frame" and self.name(n) ==
                                        self.session.window_title(self.session.main_window)],
                               what="the main window in the accessibility tree",
                               session=self.session)[0]
            box = frame.get_extents(self.Atspi.CoordType.SCREEN)
            self._factor = main.width / box.width if box.width > 0 else 1.0
        return self._factor

    def walk(self, node=None, showing_only=True, depth=60):
        """Every node below `node` (the program when None), depth first."""
        node = node or self.app()
        stack = [(node, 0)]
        while stack:
            current, level = stack.pop()
            yield current
            if level >= depth:
                continue
            for child in reversed(self.children(current)):
                # The frames inside the main window are walked whatever they say of their
                # showing state; an empty one is not on screen.
                if showing_only and not self.showing(child) and not self._shown_frame(child):
                    continue
                stack.append((child, level + 1))

    def _shown_frame(self, node):
        if self.role(node) not in ("frame", "internal frame", "dialog", "window"):
            return False
        box = self.extents(node)
        return box.width > 0 and box.height > 0

    def workspace(self):
        """The main window's workspace that holds the child windows."""
        return self.find(role="layered pane")

    def child_windows(self):
        """The child windows inside the main window's workspace, as (caption, node)."""
        return [(self.name(node), node) for node in self.children(self.workspace())
                if self._shown_frame(node)]

    def child_window(self, caption, timeout=DEFAULT_TIMEOUT):
        """Waits for the child window whose caption matches `caption`."""
        def find():
            for name, node in self.child_windows():
                if re.search(caption, name):
                    return node
            return None

        return wait_until(find, timeout, f"a child window titled {caption!r}", self.session)

    def find_all(self, name=None, role=None, within=None, showing_only=True):
        self.app().clear_cache()
        found = []
        for node in self.walk(within, showing_only):
            if name is not None and not re.search(name, self.name(node)):
                continue
            if role is not None and self.role(node) != role:
                continue
            found.append(node)
        return found

    def find(self, name=None, role=None, within=None, timeout=DEFAULT_TIMEOUT):
        """Waits for a showing node whose name matches `name` (a regular expression) and whose
        role is `role`; returns the first."""
        what = f"a control named {name!r}" + (f" ({role})" if role else "")
        return wait_until(lambda: (self.find_all(name, role, within) or [None])[0], timeout,
                          what, self.session)

    def focused(self):
        """The control that has the keyboard inside the program, or None."""
        self.app().clear_cache()
        for node in self.walk():
            if "focused" in self.states(node):
                return node
        return None

    def window_of(self, node):
        """The nearest enclosing window or frame of `node` (an MDI child or a top level)."""
        current = node
        while current is not None:
            if self.role(current) in ("frame", "window", "dialog", "internal frame"):
                return current
            current = current.get_parent()
        return None

    def click(self, node):
        """Clicks the middle of a control as a user does."""
        self.session.click(*self.extents(node).center())

    def describe(self, node=None, depth=4):
        """The tree as text, for a failure message."""
        lines = []

        def visit(current, level):
            lines.append("  " * level + f"{self.role(current)} {self.name(current)!r} "
                         f"{self.extents(current)}")
            if level < depth:
                for child in self.children(current):
                    if self.showing(child):
                        visit(child, level + 1)

        visit(node or self.app(), 0)
        return "\n".join(lines)


class BorvikTestCase(unittest.TestCase):
    """A test with its own `Session` in `self.s`; a failing test leaves a screenshot of the
    screen in the build folder."""

    screen = (1920, 1200)

    def setUp(self):
        self.s = Session(self.id().rsplit(".", 1)[-1], self.screen)
        self.addCleanup(self.s.close)

    def _callTestMethod(self, method):
        try:
            method()
        except BaseException:
            if getattr(self, "s", None) is not None and self.s.display is not None:
                self.s.screenshot_failure("failure")
                output = self.s.program_output()
                if output:
                    print("--- program output ---\n" + output[-4000:])
            raise


def main():
    unittest.main(verbosity=2)
