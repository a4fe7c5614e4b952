"""The window as a process: its keys, its help, its name, its ending, and two of it at once."""

from harness import check, check_equal, scenario, scratch_copy, wait_until, win, xer_export
from reference import clean

OUT = "[NO-POBS]"
# Wine's help viewer, started without a help program of its own, is turned off this way.
NO_HELP_VIEWER = {"WINEDLLOVERRIDES": "mscoree,mshtml=;winhlp32.exe=d"}


@scenario
def f1_asks_wines_help_viewer_for_the_hlp_file_beside_the_program(s):
    """F1 opens the help file named after the program; Wine's viewer says it cannot find it."""
    app = s.start()
    known = s.session.window_handles()
    app.key("F1")
    viewer = s.session.new_window(known, "a window of the help viewer")
    help_file = win(s.exe.with_suffix(".HLP"))
    check_equal(viewer.caption, "ERROR", "the help viewer's caption")
    check_equal(viewer.text, f"Cannot find '{help_file}'. Do you want to find this file yourself?",
                "the help viewer's message")
    check(viewer.window.pid != app.pid, "the help message comes from the program itself")
    # The viewer started, so for the program help was launched: it says nothing itself.
    app.expect_idle()
    viewer.press("No")
    wait_until(lambda: viewer.window.pid not in {w.pid for w in s.session.driver.windows()},
               "the help viewer to end", describe=s.session.describe_windows)
    check(not s.exe.with_suffix(".HLP").exists(), "a help file was created")
    app.press_close()
    app.expect_exit()


@scenario
def f1_without_a_help_viewer_says_failed_to_launch_help_and_ctrl_f1_does_nothing(s):
    """When the help viewer cannot start: "Failed to launch help."; with Ctrl held, F1 is nothing."""
    app = s.start(extra_env=NO_HELP_VIEWER)
    app.key("F1")
    app.message("Failed to launch help.").ok()
    app.expect_idle()
    # Keys are handled in order: had Ctrl+F1 opened a message, the Escape would close that
    # message instead of the window, and the program would not end.
    app.key("F1", "Ctrl")
    app.key("Escape")
    app.expect_exit()


ENDINGS = [
    ("the Close button", lambda app: app.press_close()),
    ("Esc", lambda app: app.key("Escape")),
    ("Enter", lambda app: app.key("Return")),
]


@scenario
def close_esc_and_enter_each_end_the_program_and_its_folder_is_forgotten(s):
    """Each way out ends the process; the next run asks for the folder again."""
    inputs = s.folder("in")
    dropped = s.input(inputs, "run.xer", xer_export("run"))
    for index, (how, end) in enumerate(ENDINGS):
        out = s.folder(f"out {index}")
        app = s.start()
        app.drop(dropped)
        app.picker().choose(win(out))
        app.count_message(1, win(out)).ok()
        app.expect_idle()
        end(app)
        try:
            app.expect_exit()
        except AssertionError as failure:
            raise type(failure)(f"{how}: {failure}") from None
        s.expect_files(out, {OUT + "run.xer": clean(xer_export("run"))})


@scenario
def a_renamed_copy_names_its_messages_after_itself_but_keeps_its_title(s):
    """Other.exe shows Other on every message box, a.b.exe shows a.b; the window stays "Kestrimo"."""
    bin_folder, out = s.folder("bin"), s.folder("out")
    missing = s.root / "missing.xer"
    for file_name, caption in [("Other.exe", "Other"), ("a.b.exe", "a.b")]:
        copy = scratch_copy(s.exe, bin_folder, file_name)
        app = s.start(exe=copy, box_caption=caption)
        check_equal(app.main_window().caption, "Kestrimo", f"the title of {file_name}'s window")
        app.drop(missing)
        app.picker().choose(win(out))
        app.message("Failed to open file " + win(missing)).ok()
        app.count_message(0, win(out)).ok()
        app.press_close()
        app.expect_exit()


@scenario
def two_instances_each_ask_for_their_own_folder(s):
    """Two programs at once: each asks at its first drop and keeps its own folder."""
    inputs, out_a, out_b = s.folder("in"), s.folder("out a"), s.folder("out b")
    one = s.input(inputs, "one.xer", xer_export("one"))
    two = s.input(inputs, "two.xer", xer_export("two"))
    three = s.input(inputs, "three.xer", xer_export("three"))
    first, second = s.start(), s.start()

    first.drop(one)
    first.picker().choose(win(out_a))
    first.count_message(1, win(out_a)).ok()
    second.drop(two)
    second.picker().choose(win(out_b))
    second.count_message(1, win(out_b)).ok()
    first.drop(three)
    first.count_message(1, win(out_a)).ok()

    s.expect_files(out_a, {OUT + "one.xer": clean(xer_export("one")), OUT + "three.xer": clean(xer_export("three"))})
    s.expect_files(out_b, {OUT + "two.xer": clean(xer_export("two"))})
    second.press_close()
    second.expect_exit()
    first.press_close()
    first.expect_exit()
