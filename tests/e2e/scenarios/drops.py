"""Drops: the first drop asks for the folder, later ones do not; what is dropped and in
which order decides what is written and what is said."""

import pathlib

from harness import check, check_equal, scenario, win, xer_export
from reference import clean

OUT = "[NO-POBS]"


@scenario
def first_drop_asks_for_the_folder_first_even_when_every_file_fails(s):
    """The first drop shows the picker before any file is looked at; the second does not ask."""
    inputs, out = s.folder("in"), s.folder("out")
    gone, also_gone = inputs / "gone.xer", inputs / "also gone.xer"
    app = s.start()
    check_equal(app.main_window().caption, "Kestrimo", "the main window's title")

    app.drop(gone, also_gone)
    app.picker().choose(win(out))
    app.message("Failed to open file " + win(gone)).ok()
    app.message("Failed to open file " + win(also_gone)).ok()
    app.count_message(0, win(out)).ok()
    s.expect_files(out, {})
    app.expect_idle()
    s.session.screenshot(app.xid, "window")

    names = ["plain.xer", "with spaces 50% & more.xer", "Überbau-Straße.xer"]
    dropped = [s.input(inputs, name, xer_export(name)) for name in names]
    app.drop(*dropped)
    closing = app.count_message(3, win(out))
    closing.screenshot("message")
    closing.ok()
    s.expect_files(out, {OUT + name: clean(xer_export(name)) for name in names})
    app.press_close()
    app.expect_exit()


@scenario
def cancel_in_the_picker_writes_nothing_and_the_next_drop_asks_again(s):
    """Cancel ends the drop at once, quietly; the folder is still unknown."""
    inputs, out = s.folder("in"), s.folder("out")
    name = "cancelled-drop-e2e.xer"
    dropped = s.input(inputs, name, xer_export("cancelled"))
    app = s.start()

    app.drop(dropped)
    app.picker().cancel()
    app.expect_idle()
    s.expect_files(out, {})
    # A drop without a folder would write into the root of the current drive (Z:, here /).
    check(not pathlib.Path("/" + OUT + name).exists(), "the cancelled drop wrote into the drive's root")

    app.drop(dropped)
    app.picker().choose(win(out))
    app.count_message(1, win(out)).ok()
    s.expect_files(out, {OUT + name: clean(xer_export("cancelled"))})
    app.press_close()
    app.expect_exit()


@scenario
def a_dropped_folder_and_a_missing_file_fail_and_the_rest_goes_on(s):
    """Each failure is said in the order of the drop; the other files are converted."""
    inputs, out = s.folder("in"), s.folder("Ausgabe für alle")
    first = s.input(inputs, "first.xer", xer_export("first"))
    folder = s.folder("in/a folder.xer")
    s.input(folder, "inside.xer", xer_export("inside"))
    missing = inputs / "missing.xer"
    last = s.input(inputs, "last.xer", xer_export("last", line_end=b"\n"))
    app = s.start()

    app.drop(first, folder, missing, last)
    app.picker().choose(win(out))
    app.message("Failed to open file " + win(folder)).ok()
    app.message("Failed to open file " + win(missing)).ok()
    app.count_message(2, win(out)).ok()
    s.expect_files(out, {OUT + "first.xer": clean(xer_export("first")),
                         OUT + "last.xer": clean(xer_export("last", line_end=b"\n"))})
    app.press_close()
    app.expect_exit()


@scenario
def one_name_twice_in_one_drop_asks_before_the_second(s):
    """The second file of a name finds the first one's output and asks; the answer decides."""
    out = s.folder("out")
    here, there = s.folder("here"), s.folder("there")
    same = s.input(here, "same.xer", xer_export("same"))
    twin_here = s.input(here, "twin.xer", xer_export("twin here"))
    twin_there = s.input(there, "twin.xer", xer_export("twin there", line_end=b"\n"))
    cases = [
        # what is dropped,        answer, files generated, the output's bytes afterwards
        ([same, same],             "Yes", 2, clean(xer_export("same"))),
        ([same, same],             "No",  1, clean(xer_export("same"))),
        ([twin_here, twin_there],  "No",  1, clean(xer_export("twin here"))),
        ([twin_here, twin_there],  "Yes", 2, clean(xer_export("twin there", line_end=b"\n"))),
    ]
    app = s.start()
    app.drop(s.input(here, "first.xer", b""))
    app.picker().choose(win(out))
    app.count_message(1, win(out)).ok()

    for dropped, answer, generated, expected in cases:
        for old in out.iterdir():
            old.unlink()
        output_name = OUT + dropped[0].name
        app.drop(*dropped)
        app.question(f"File {win(out)}\\{output_name} already exists. Overwrite it?").press(answer)
        app.count_message(generated, win(out)).ok()
        s.expect_files(out, {output_name: expected})
    app.press_close()
    app.expect_exit()


@scenario
def a_drop_while_a_question_is_open_is_refused(s):
    """Drops during a prompt, on the window or on the prompt itself, convert nothing, then or later."""
    inputs, out = s.folder("in"), s.folder("out")
    first = s.input(inputs, "first.xer", xer_export("first"))
    intruder = s.input(inputs, "intruder.xer", xer_export("intruder"))
    app = s.start()
    app.drop(first)
    app.picker().choose(win(out))
    app.count_message(1, win(out)).ok()

    app.drop(first)
    question = app.question(f"File {win(out)}\\{OUT}first.xer already exists. Overwrite it?")
    app.drop(intruder)
    question.drop(intruder)
    question.yes()
    app.count_message(1, win(out)).ok()
    app.expect_idle()
    s.expect_files(out, {OUT + "first.xer": clean(xer_export("first"))})
    # Handled late, the refused drop would show its count message before the window closes.
    app.press_close()
    app.expect_exit()
    s.expect_files(out, {OUT + "first.xer": clean(xer_export("first"))})


@scenario
def file_paths_given_at_start_are_ignored(s):
    """Started with file paths as arguments, it converts nothing and still asks at the first drop."""
    inputs, out = s.folder("in"), s.folder("out")
    given = s.input(inputs, "given.xer", xer_export("given"))
    other = s.input(inputs, "other.xer", xer_export("other"))
    app = s.start(args=[win(given), win(other)], cwd=inputs)
    app.expect_idle()
    s.expect_files(inputs, {"given.xer": xer_export("given"), "other.xer": xer_export("other")})

    app.drop(other)
    app.picker().choose(win(out))
    app.count_message(1, win(out)).ok()
    s.expect_files(out, {OUT + "other.xer": clean(xer_export("other"))})
    s.expect_files(inputs, {"given.xer": xer_export("given"), "other.xer": xer_export("other")})
    app.press_close()
    app.expect_exit()


# Bytes and lines that the cleaning rules treat specially, each in a file of its own.
BYTE_CASES = {
    "empty.xer": b"",
    "lf-only.xer": b"%T\tA\n%R\t1\n%T\tPOBS\n%R\tx\n%T\tB\n%R\t2",
    "lone-cr.xer": b"a\rb\r\n\r\n%T\tpobs\r\nskipped\r\n%t\tnext\r\nend\r",
    "not-quite-pobs.xer": b"%T\tPOBS \r\nkept\r\n%T POBS\r\nkept too\r\n %T\tPOBS\r\n%T\tPOBSX\r\n",
    "pobs-twice.xer": b"%T\tA\r\n%T\tPOBS\r\n1\r\n%T\tPoBs\r\n2\r\n%\r\n%x\r\n\r\n%T\r\nkept\r\n",
    "pobs-last.xer": b"ERMHDR\r\n%T\tOBS\r\n%R\t1\r\n%T\tPOBS\r\n%R\t2\r\n%e\r\n",
    "ctrl-z-and-nul.txt": b"ab\0cd\r\n\0first\r\nafter\x1a%T\tSTILL HERE\r\n\x1a",
    "high-bytes.txt": b"\xef\xbb\xbf\x80\xa3\xa5 \xe9\xff \x93q\x94 \x7f\x7f\r\r\n",
    "long-lines.txt": b"L" * 129 + b"\r\n" + b"M" * 4095 + b"\r" + b"\n" + b"N" * 10000,
}


@scenario
def special_bytes_reach_the_outputs_as_the_line_rules_say(s):
    """Empty files, lone CRs, NUL and 0x1A, high bytes, long lines, the skip rules; an output dropped again."""
    inputs, out = s.folder("in"), s.folder("out")
    dropped = [s.input(inputs, name, data) for name, data in BYTE_CASES.items()]
    app = s.start()
    app.drop(*dropped)
    app.picker().choose(win(out))
    app.count_message(len(dropped), win(out)).ok()
    expected = {OUT + name: clean(data) for name, data in BYTE_CASES.items()}
    s.expect_files(out, expected)

    # An output dropped again is named after its own name.
    again = out / (OUT + "lone-cr.xer")
    s.watch(again)
    app.drop(again)
    app.count_message(1, win(out)).ok()
    expected[OUT + OUT + "lone-cr.xer"] = clean(clean(BYTE_CASES["lone-cr.xer"]))
    s.expect_files(out, expected)
    app.press_close()
    app.expect_exit()
