"""What a run leaves behind: no registry key, no file, besides the outputs asked for."""

import os
import re

from harness import check, scenario, scratch_copy, win, xer_export
from reference import clean

OUT = "[NO-POBS]"
REGISTRY_FILES = ("system.reg", "user.reg", "userdef.reg")
# Wine's display driver stamps the display adapter's driver date each time it starts.
VOLATILE_VALUES = ('"DriverDate"=', '"DriverDateData"=')


def registry(prefix):
    """Every key of the prefix's registry files with its value lines; the times that Wine
    stamps on keys it merely touched, and the values it rewrites at every start, are left out."""
    keys = {}
    for file_name in REGISTRY_FILES:
        lines = (prefix / file_name).read_text(encoding="utf-8", errors="surrogateescape").splitlines()
        values = None
        for line in lines:
            header = re.fullmatch(r"(\[.*\])( \d+)?", line)
            if header:
                values = keys.setdefault(f"{file_name} {header.group(1)}", [])
            elif values is not None and line and not line.startswith(("#time=",) + VOLATILE_VALUES):
                values.append(line)
    return keys


def files(folder):
    """Every file and folder under `folder` (links not followed) with its size and time."""
    found = {}
    for root, dirs, names in os.walk(folder):
        for name in dirs + names:
            path = os.path.join(root, name)
            status = os.lstat(path)
            found[os.path.relpath(path, folder)] = (status.st_size, status.st_mtime_ns)
    return found


def differences(before, after):
    added = sorted(set(after) - set(before))
    removed = sorted(set(before) - set(after))
    changed = sorted(k for k in set(before) & set(after) if before[k] != after[k])
    return [f"added {k}" for k in added] + [f"removed {k}" for k in removed] + [f"changed {k}" for k in changed]


@scenario
def a_run_creates_no_registry_key_and_no_file(s):
    """A run with a drop, and a run closed at once, leave the registry and the disk as they were."""
    prefix = s.session.prefix
    inputs, out, bin_folder, cwd = s.folder("in"), s.folder("out"), s.folder("bin"), s.folder("cwd")
    dropped = s.input(inputs, "kept.xer", xer_export("kept"))
    program = scratch_copy(s.exe, bin_folder)
    s.watch(program)

    s.session.stop_wine()
    registry_before, prefix_before = registry(prefix), files(prefix)
    s.session.start_wine()

    app = s.start(exe=program, cwd=cwd)
    app.drop(dropped)
    app.picker().choose(win(out))
    app.count_message(1, win(out)).ok()
    app.press_close()
    app.expect_exit()
    app = s.start(exe=program, cwd=cwd)
    app.key("Escape")
    app.expect_exit()

    s.session.stop_wine()
    registry_after, prefix_after = registry(prefix), files(prefix)
    s.session.start_wine()
    registry_changes = differences(registry_before, registry_after)
    check(not registry_changes, "the registry changed:\n  " + "\n  ".join(registry_changes))
    # Wine's mount manager remakes the device links in dosdevices at every start.
    prefix_changes = [c for c in differences(prefix_before, prefix_after)
                      if not c.endswith(REGISTRY_FILES) and not c.split(" ", 1)[1].startswith("dosdevices")]
    check(not prefix_changes, "the Wine prefix changed:\n  " + "\n  ".join(prefix_changes))
    s.expect_files(bin_folder, {program.name: s.exe.read_bytes()})
    s.expect_files(cwd, {})
    s.expect_files(out, {OUT + "kept.xer": clean(xer_export("kept"))})
    s.expect_files(s.root, {"in": None, "out": None, "bin": None, "cwd": None})
