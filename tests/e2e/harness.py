"""Runs the real Kestrimo.exe under Wine and works it as a user would.

A Session owns a private X server (Xvfb), a Wine virtual desktop inside it (so that
windows get frames and focus behaves) and the prompt driver, a small Windows program
that runs beside Kestrimo in the same Wine prefix and reads and works its windows.
Files reach the program by a real X11 drag and drop (xdnd_drop.py).

A Scenario is one short story of user steps: it makes its own input files (whose bytes
are checked unchanged at its end), starts programs, drops files, answers prompts and
checks every text shown and every byte written.
"""

import contextlib
import hashlib
import os
import pathlib
import re
import shutil
import struct
import subprocess
import time

from PIL import Image
from Xlib import X, display as xdisplay, error as xerror

import xdnd_drop

# Upper bounds for waits; a passing run stays far below them.
PROMPT_WAIT = 30.0
EXIT_WAIT = 20.0
ICON_WAIT = 5.0
POLL_INTERVAL = 0.05
# Wide enough for a message box that shows a path of 260 characters on one line.
SCREEN_SIZE = "1920x1080"

# The 32-bit program runs under Debian's wine command; its 64-bit test build,
# for machines that cannot run 32-bit code, under the 64-bit loader, which that
# command does not choose while wine32 is installed.
WINE_ARCH = os.environ.get("KESTRIMO_WINE_ARCH", "win32")
WINE = "/usr/lib/wine/wine64" if WINE_ARCH == "win64" else "wine"

PICKER_CAPTION = "Select Folder"
PICKER_NAME_BOX = 1152
PICKER_ENTRY_TEXT = "please choose output directory"
MESSAGE_TEXT_ID = 0xFFFF
MESSAGE_ICON_ID = 1088


class ScenarioFailure(AssertionError):
    pass


class ScenarioSkipped(Exception):
    pass


class DriverError(Exception):
    pass


def check(condition, message):
    if not condition:
        raise ScenarioFailure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise ScenarioFailure(f"{what}:\n  expected {expected!r}\n  actual   {actual!r}")


def win(path):
    """How Wine shows a Unix path to a Windows program: on drive Z:."""
    return "Z:" + str(pathlib.Path(path).absolute()).replace("/", "\\")


def sha256(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


def wait_until(probe, what, timeout=PROMPT_WAIT, describe=None):
    """Polls `probe` until it returns something true, and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            state = f"\n  {describe()}" if describe else ""
            raise ScenarioFailure(f"gave up waiting for {what}{state}")
        time.sleep(POLL_INTERVAL)


def _unescape(field):
    return re.sub(r"\\(.)", lambda m: {"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}[m.group(1)], field)


class Window:
    def __init__(self, fields):
        self.hwnd, pid, self.owner, enabled, self.cls, self.caption = fields
        self.pid = int(pid)
        self.enabled = enabled == "1"

    def __repr__(self):
        state = "" if self.enabled else ", disabled"
        return f"<{self.cls} {self.caption!r} pid {self.pid}{state}>"


class Control:
    def __init__(self, fields):
        self.hwnd, ident, self.cls, visible, left, top, right, bottom, self.text = fields
        self.id = int(ident)
        self.visible = visible == "1"
        self.rect = (int(left), int(top), int(right), int(bottom))


class Driver:
    """The prompt driver process: one command a line in, item lines and ok/error out."""

    def __init__(self, exe, env):
        self.process = subprocess.Popen([WINE, str(exe)], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, env=env)

    def ask(self, *fields):
        self.process.stdin.write(("\t".join(fields) + "\n").encode("utf-8"))
        self.process.stdin.flush()
        items = []
        while True:
            raw = self.process.stdout.readline()
            if not raw:
                raise DriverError("the prompt driver ended")
            parts = [_unescape(part) for part in raw.decode("utf-8").rstrip("\r\n").split("\t")]
            if parts[0] == "ok":
                return items, parts[1:]
            if parts[0] == "error":
                raise DriverError(f"{fields[0]}: {parts[1]}")
            items.append(parts[1:])

    def windows(self):
        return [Window(item) for item in self.ask("windows")[0]]

    def controls(self, hwnd):
        return [Control(item) for item in self.ask("controls", hwnd)[0]]

    def x11_window(self, hwnd):
        return int(self.ask("x11", hwnd)[1][0], 16)

    def exists(self, hwnd):
        return self.ask("exists", hwnd)[1][0] == "1"

    def close(self):
        self.process.stdin.close()
        self.process.wait(timeout=EXIT_WAIT)


def xwd_image(dump):
    """A PIL image from an X window dump of a TrueColor window (24 or 32 bits a pixel)."""
    fields = struct.unpack(">25I", dump[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line, colour_count = fields[7], fields[11], fields[12], fields[19]
    if bits_per_pixel not in (24, 32):
        raise ScenarioFailure(f"window dump with {bits_per_pixel} bits a pixel")
    pixels = dump[header_size + colour_count * 12:]
    if byte_order == 0:  # least significant byte first
        raw = "BGRX" if bits_per_pixel == 32 else "BGR"
    else:
        raw = "XRGB" if bits_per_pixel == 32 else "RGB"
    return Image.frombuffer("RGB", (width, height), pixels, "raw", raw, bytes_per_line, 1)


def icon_kind(image):
    """Tells the message-box icons apart by their colour: the stop sign is red, the
    exclamation sign yellow, the question mark blue; "none" when nothing is drawn."""
    votes = {"stop": 0, "exclamation": 0, "question": 0}
    for hue, saturation, value in image.convert("HSV").getdata():
        if saturation < 128 or value < 80:
            continue
        degrees = hue * 360 // 255
        if degrees < 20 or degrees >= 330:
            votes["stop"] += 1
        elif 25 <= degrees < 70:
            votes["exclamation"] += 1
        elif 180 <= degrees < 260:
            votes["question"] += 1
    kind, count = max(votes.items(), key=lambda vote: vote[1])
    return kind if count >= 30 else "none"


class Session:
    """A private X server, the Wine prefix's virtual desktop in it, and the prompt driver."""

    def __init__(self, prefix, driver_exe, screenshots, display_number=None):
        self.prefix = pathlib.Path(prefix)
        self.driver_exe = driver_exe
        self.screenshots = pathlib.Path(screenshots)
        self.display_number = display_number
        self.xvfb = None
        self.driver = None
        self.x = None
        self.env = None

    # --- start and end

    def __enter__(self):
        self._start_x_server()
        self.env = dict(os.environ, DISPLAY=self.display, WINEPREFIX=str(self.prefix), WINEARCH=WINE_ARCH,
                        WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        if WINE_ARCH == "win64":
            self.env["WINELOADER"] = WINE  # for the processes that Wine starts itself
        self._prepare_prefix()
        self.start_wine()
        return self

    def __exit__(self, *exc):
        with contextlib.suppress(Exception):
            self.stop_wine()
        if self.x:
            self.drag_source.close()
            self.x.close()
        self.xvfb.terminate()
        self.xvfb.wait()

    def _start_x_server(self):
        read_end, write_end = os.pipe()
        command = ["Xvfb", "-screen", "0", f"{SCREEN_SIZE}x24", "-nolisten", "tcp", "-displayfd", str(write_end)]
        if self.display_number is not None:
            command.insert(1, f":{self.display_number}")
        self.xvfb = subprocess.Popen(command, pass_fds=[write_end], stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(write_end)
        # Xvfb writes its display number there once it accepts clients.
        with os.fdopen(read_end) as ready:
            number = ready.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = f":{number}"
        self.x = xdisplay.Display(self.display)
        self.drag_source = xdnd_drop.DragSource(self.display)

    def _wine(self, *args):
        subprocess.run([WINE, *args], env=self.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def _prepare_prefix(self):
        if (self.prefix / "system.reg").exists():
            # Processes left by an earlier run would still show on that run's display.
            self.wineserver("-k")
            self.wineserver("-w")
        else:
            self.prefix.mkdir(parents=True, exist_ok=True)
            subprocess.run([WINE, "wineboot", "-i"], env=self.env, check=True, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            self.wineserver("-w")
        # Every program joins one virtual desktop, which draws frames and keeps focus sane.
        self._wine("reg", "add", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/d", "e2e", "/f")
        self._wine("reg", "add", r"HKCU\Software\Wine\Explorer\Desktops", "/v", "e2e", "/d", SCREEN_SIZE, "/f")
        self.wineserver("-k")
        self.wineserver("-w")

    def wineserver(self, *args):
        subprocess.run(["wineserver", *args], env=self.env, check=False)

    def start_wine(self):
        self.driver = Driver(self.driver_exe, self.env)
        self.driver.windows()

    def stop_wine(self):
        """Ends every Wine process of the prefix; the registry is written to disk."""
        if self.driver:
            with contextlib.suppress(Exception):
                self.driver.close()
            self.driver = None
        self.wineserver("-k")
        self.wineserver("-w")

    # --- looking at windows

    def screenshot(self, xid, name):
        """Saves the image of one X window as NAME.png in the screenshots folder; returns it."""
        dump = subprocess.run(["xwd", "-silent", "-id", str(xid)], env=self.env, check=True,
                              stdout=subprocess.PIPE).stdout
        image = xwd_image(dump)
        if name:
            self.screenshots.mkdir(parents=True, exist_ok=True)
            image.save(self.screenshots / f"{name}.png", optimize=True)
        return image

    def on_screen(self, xid, area):
        """Whether the rectangle `area` of the X window lies wholly on the screen, where an
        image of it can be taken."""
        root = self.x.screen().root
        origin = root.translate_coords(self.x.create_resource_object("window", xid), 0, 0)
        left, top, right, bottom = area
        screen = root.get_geometry()
        return (origin.x + left >= 0 and origin.y + top >= 0 and origin.x + right <= screen.width
                and origin.y + bottom <= screen.height)

    def x_pid(self, xid):
        """The process that shows the X window, as Wine records it; None if the window is gone."""
        window = self.x.create_resource_object("window", xid)
        try:
            value = window.get_full_property(self.x.intern_atom("_NET_WM_PID"), X.AnyPropertyType)
        except xerror.BadWindow:
            return None
        return value.value[0] if value else None

    def new_window(self, known, what):
        """A window, not among the handles `known`, that shows up; returned as a Prompt."""
        def appeared():
            fresh = [w for w in self.driver.windows() if w.hwnd not in known]
            return fresh[0] if len(fresh) == 1 else None
        return MessageBox(self, wait_until(appeared, what, describe=self.describe_windows))

    def window_handles(self):
        return {w.hwnd for w in self.driver.windows()}

    def describe_windows(self):
        try:
            return "windows: " + ", ".join(repr(w) for w in self.driver.windows())
        except DriverError as failure:
            return f"windows unknown ({failure})"


class Prompt:
    """One open prompt of a program: a message box or the folder picker."""

    def __init__(self, session, window):
        self.session = session
        self.driver = session.driver
        self.window = window
        self.caption = window.caption
        self.controls = self.driver.controls(window.hwnd)
        self.buttons = [c.text.replace("&", "") for c in self.controls if c.cls == "Button" and c.visible]

    def control(self, ident):
        for control in self.controls:
            if control.id == ident and control.visible:
                return control
        raise ScenarioFailure(f"{self!r} has no control {ident}")

    @property
    def text(self):
        return self.control(MESSAGE_TEXT_ID).text

    def icon(self):
        """The kind of icon drawn, once it is drawn; "none" if none shows up."""
        xid = self.driver.x11_window(self.window.hwnd)
        area = self.control(MESSAGE_ICON_ID).rect
        check(self.session.on_screen(xid, area), f"the icon of {self!r} lies outside the screen")
        def drawn():
            kind = icon_kind(self.session.screenshot(xid, None).crop(area))
            return None if kind == "none" else kind
        try:
            return wait_until(drawn, "the icon to be drawn", ICON_WAIT)
        except ScenarioFailure:
            return "none"

    def screenshot(self, name):
        self.session.screenshot(self.driver.x11_window(self.window.hwnd), name)

    def drop(self, *paths):
        """Drags the files onto this prompt and drops them there."""
        accepted = self.session.drag_source.drop(self.driver.x11_window(self.window.hwnd), [str(p) for p in paths])
        check(accepted, f"{self!r} refused the drop at the X11 level")

    def press(self, button):
        check(button in self.buttons, f"{self!r} has no button {button}; it has {self.buttons}")
        self.driver.ask("press", self.window.hwnd, button)
        wait_until(lambda: not self.driver.exists(self.window.hwnd), f"{self!r} to close after {button}",
                   describe=self.session.describe_windows)

    def __repr__(self):
        return f"<prompt {self.caption!r} {self.window.hwnd}>"


class Picker(Prompt):
    def choose(self, folder):
        """Types the folder's full path into the name box and presses Open."""
        self.driver.ask("set-text", self.window.hwnd, str(PICKER_NAME_BOX), folder)
        self.press("Open")

    def cancel(self):
        self.press("Cancel")


class MessageBox(Prompt):
    def ok(self):
        self.press("OK")

    def yes(self):
        self.press("Yes")

    def no(self):
        self.press("No")


class Program:
    """One running Kestrimo process and its main window."""

    def __init__(self, session, exe, args, cwd, env, box_caption=None):
        self.session = session
        self.driver = session.driver
        self.exe = pathlib.Path(exe)
        # The caption of the program's message boxes: its file name without the extension.
        self.name = box_caption or self.exe.stem
        self.process = subprocess.Popen([WINE, str(exe), *args], cwd=cwd, env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.main = wait_until(self._own_main_window, f"the main window of {self.exe.name}",
                               describe=session.describe_windows)
        self.pid = self.main.pid
        self.xid = self.driver.x11_window(self.main.hwnd)

    def _own_main_window(self):
        check(self.process.poll() is None, f"{self.exe.name} ended at start with code {self.process.returncode}")
        for window in self.driver.windows():
            if window.cls != "#32770" or window.owner != "0x0":
                continue
            try:
                xid = self.driver.x11_window(window.hwnd)
            except DriverError:
                continue
            if self.session.x_pid(xid) == self.process.pid:
                return window
        return None

    def _windows(self):
        return [w for w in self.driver.windows() if w.pid == self.pid]

    def _prompts(self):
        return [w for w in self._windows() if w.hwnd != self.main.hwnd]

    def describe(self):
        return "windows of the program: " + ", ".join(repr(w) for w in self._windows())

    def main_window(self):
        windows = [w for w in self._windows() if w.hwnd == self.main.hwnd]
        check(windows, "the main window is gone")
        return windows[0]

    # --- what the user does

    def drop(self, *paths):
        """Drags the files (Unix paths, in this order) onto the main window and drops them."""
        accepted = self.session.drag_source.drop(self.xid, [str(p) for p in paths])
        check(accepted, "the main window refused the drop at the X11 level")

    def key(self, key, *modifiers):
        self.driver.ask("key", self.main.hwnd, key, *modifiers)

    def press_close(self):
        self.expect_idle()
        self.driver.ask("press", self.main.hwnd, "Close")

    # --- what the user sees

    def prompt(self, what, timeout=PROMPT_WAIT):
        def active_prompt():
            active = [w for w in self._prompts() if w.enabled]
            return active[0] if len(active) == 1 else None
        return wait_until(active_prompt, what, timeout, self.describe)

    def picker(self):
        """The folder picker, checked as the user first sees it."""
        picker = Picker(self.session, self.prompt("the folder picker"))
        check_equal(picker.caption, PICKER_CAPTION, "the picker's caption")
        check_equal(picker.control(PICKER_NAME_BOX).text, PICKER_ENTRY_TEXT, "the picker's name box")
        check("Open" in picker.buttons, f"the picker has no Open button: {picker.buttons}")
        return picker

    def message(self, text, buttons=("OK",), icon="exclamation", timeout=PROMPT_WAIT):
        """The next message box; its caption, text, buttons and icon are checked."""
        box = MessageBox(self.session, self.prompt(f"the message {text!r}", timeout))
        check(box.window.cls == "#32770" and MESSAGE_TEXT_ID in [c.id for c in box.controls],
              f"expected the message {text!r}, found {box!r} ({box.buttons})")
        check_equal(box.text, text, "the message")
        check_equal(box.caption, self.name, f"the caption of the message {text!r}")
        check_equal(box.buttons, list(buttons), f"the buttons of the message {text!r}")
        check_equal(box.icon(), icon, f"the icon of the message {text!r}")
        return box

    def question(self, text):
        return self.message(text, buttons=("Yes", "No"), icon="question")

    def count_message(self, count, folder, timeout=PROMPT_WAIT):
        return self.message(f"{count} files generated in the specified folder[{folder}]", timeout=timeout)

    def expect_idle(self):
        """No prompt is open and the main window takes input again."""
        wait_until(lambda: not self._prompts() and self.main_window().enabled,
                   "the main window to be idle", describe=self.describe)

    def expect_exit(self):
        """The process ends, and no prompt shows up on its way out."""
        def ended():
            if self.process.poll() is not None:
                return True
            prompts = self._prompts()
            check(not prompts, f"expected {self.exe.name} to end; it shows {prompts}")
            return False
        wait_until(ended, f"{self.exe.name} to end", EXIT_WAIT, self.describe)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class Scenario:
    """The context of one scenario: its scratch folders, its inputs and its programs."""

    def __init__(self, session, name, scratch, exe, samples):
        self.session = session
        self.name = name
        self.root = pathlib.Path(scratch) / name
        if self.root.exists():
            shutil.rmtree(self.root)
        self.root.mkdir(parents=True)
        self.exe = pathlib.Path(exe)
        self.samples = pathlib.Path(samples) if samples else None
        self.inputs = {}
        self.programs = []

    def folder(self, name):
        path = self.root / name
        path.mkdir(parents=True, exist_ok=True)
        return path

    def input(self, folder, name, data):
        """Writes an input file; its bytes are checked unchanged when the scenario ends."""
        path = pathlib.Path(folder) / name
        path.write_bytes(data)
        self.inputs[path] = sha256(path)
        return path

    def watch(self, path):
        """Checks at the end that an existing file was left exactly as it is now."""
        self.inputs[pathlib.Path(path)] = sha256(path)

    def start(self, exe=None, args=(), cwd=None, extra_env=None, box_caption=None):
        env = dict(self.session.env, **(extra_env or {}))
        program = Program(self.session, exe or self.exe, list(args), cwd or self.root, env, box_caption)
        self.programs.append(program)
        return program

    def sample(self, name):
        if not self.samples or not (self.samples / name).is_file():
            raise ScenarioSkipped(f"the real XER exports are not here ({self.samples}/{name})")
        return self.samples / name

    def expect_files(self, folder, expected):
        """The folder holds exactly these files (name: bytes, or None for a folder)."""
        folder = pathlib.Path(folder)
        actual = sorted(p.name for p in folder.iterdir())
        check_equal(actual, sorted(expected), f"the contents of {folder}")
        for name, data in expected.items():
            path = folder / name
            if data is None:
                check(path.is_dir(), f"{path} is no longer a folder")
            else:
                check(path.is_file(), f"{path} is not a file")
                actual_bytes = path.read_bytes()
                if actual_bytes != data:
                    raise ScenarioFailure(f"{path}: {len(actual_bytes)} bytes differ from the {len(data)} expected"
                                          f" (first difference at byte {_first_difference(actual_bytes, data)})")

    def finish(self):
        """The scenario's closing checks: every program ended, every input unchanged."""
        running = [p for p in self.programs if p.process.poll() is None]
        for program in running:
            program.kill()
        check(not running, f"still running at the end: {[p.exe.name for p in running]}")
        for path, digest in self.inputs.items():
            check(path.is_file(), f"the input {path} is gone")
            check(sha256(path) == digest, f"the input {path} was changed")

    def abandon(self):
        for program in self.programs:
            program.kill()


def _first_difference(a, b):
    for index, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return index
    return min(len(a), len(b))


SCENARIOS = []


def scenario(function):
    """Marks a function taking a Scenario as one scenario of its file."""
    SCENARIOS.append(function)
    return function


@contextlib.contextmanager
def wine_drive(session, letter, target):
    """Maps a drive letter of the prefix to a folder for as long as the block runs."""
    link = session.prefix / "dosdevices" / f"{letter.lower()}:"
    check(not link.exists() and not link.is_symlink(), f"drive {letter}: is already mapped")
    link.symlink_to(target)
    try:
        yield f"{letter.upper()}:\\"
    finally:
        link.unlink()


@contextlib.contextmanager
def small_disk(mount_point, size="64k"):
    """A tmpfs of `size` at `mount_point`: a real disk that fills up. Needs root."""
    if os.geteuid() != 0:
        raise ScenarioSkipped("not root: a small file system cannot be mounted for the full-disk scenario")
    mount_point.mkdir(parents=True, exist_ok=True)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size},mode=0777", "kestrimo-e2e-full",
                              str(mount_point)], stderr=subprocess.PIPE, text=True)
    if mounted.returncode != 0:
        raise ScenarioSkipped(f"mounting a tmpfs failed: {mounted.stderr.strip()}")
    try:
        yield mount_point
    finally:
        subprocess.run(["umount", str(mount_point)], check=True)


def scratch_copy(source, folder, name=None):
    target = pathlib.Path(folder) / (name or pathlib.Path(source).name)
    shutil.copyfile(source, target)
    return target


def xer_export(label, line_end=b"\r\n"):
    """A small export with a POBS table between two others; `label` makes its bytes its own."""
    tag = label.encode("utf-8")
    lines = [b"ERMHDR\t8.0\t" + tag, b"%T\tPROJECT", b"%F\tproj_id\tproj_short_name", b"%R\t1\t" + tag,
             b"%T\tPOBS", b"%F\tpobs_id\tname", b"%R\t7\tPOBS_Root", b"%T\tTASK", b"%F\ttask_id\ttask_name",
             b"%R\t11\tPour " + tag, b"%E"]
    return b"".join(line + line_end for line in lines)
