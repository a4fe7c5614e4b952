"""Outputs that are already there, outputs that cannot be written, and a drive root as the folder."""

from harness import check, check_equal, scenario, win, wine_drive, xer_export
from reference import clean

OUT = "[NO-POBS]"


@scenario
def an_existing_output_is_kept_on_no_and_replaced_exactly_on_yes(s):
    """No leaves the old file as it was and counts nothing; Yes leaves exactly the new bytes."""
    inputs, out = s.folder("in"), s.folder("out")
    dropped = s.input(inputs, "site.xer", xer_export("site"))
    existing = out / (OUT + "site.xer")
    old = b"an older and much longer output\r\n" * 400
    existing.write_bytes(old)
    question = f"File {win(out)}\\{OUT}site.xer already exists. Overwrite it?"
    app = s.start()

    app.drop(dropped)
    app.picker().choose(win(out))
    app.question(question).no()
    app.count_message(0, win(out)).ok()
    s.expect_files(out, {OUT + "site.xer": old})

    app.drop(dropped)
    app.question(question).yes()
    app.count_message(1, win(out)).ok()
    s.expect_files(out, {OUT + "site.xer": clean(xer_export("site"))})
    app.press_close()
    app.expect_exit()


@scenario
def an_output_path_that_is_a_folder_is_asked_about_and_fails_on_yes(s):
    """A folder in the output's place counts as existing; Yes cannot open it, No skips it."""
    inputs, out = s.folder("in"), s.folder("out")
    dropped = s.input(inputs, "site.xer", xer_export("site"))
    blocker = s.folder(f"out/{OUT}site.xer")
    inside = s.input(blocker, "keep.txt", b"stays\r\n")
    question = f"File {win(out)}\\{OUT}site.xer already exists. Overwrite it?"
    app = s.start()

    app.drop(dropped)
    app.picker().choose(win(out))
    app.question(question).yes()
    app.message(f"Failed to open file {win(out)}\\{OUT}site.xer").ok()
    app.count_message(0, win(out)).ok()

    app.drop(dropped)
    app.question(question).no()
    app.count_message(0, win(out)).ok()
    s.expect_files(out, {OUT + "site.xer": None})
    s.expect_files(blocker, {inside.name: b"stays\r\n"})
    app.press_close()
    app.expect_exit()


@scenario
def a_remembered_folder_that_was_deleted_fails_to_create_and_is_not_asked_again(s):
    """The folder chosen once serves the whole run, also when it has gone."""
    inputs, out = s.folder("in"), s.folder("out")
    first = s.input(inputs, "first.xer", xer_export("first"))
    second = s.input(inputs, "second.xer", xer_export("second"))
    app = s.start()
    app.drop(first)
    app.picker().choose(win(out))
    app.count_message(1, win(out)).ok()

    (out / (OUT + "first.xer")).unlink()
    out.rmdir()
    app.drop(second, first)
    app.message(f"Failed to create file {win(out)}\\{OUT}second.xer").ok()
    app.message(f"Failed to create file {win(out)}\\{OUT}first.xer").ok()
    app.count_message(0, win(out)).ok()
    check(not out.exists(), "the deleted output folder was made again")
    app.press_close()
    app.expect_exit()


@scenario
def a_drive_root_as_the_folder_doubles_the_separator(s):
    """K:\\ keeps its separator: the outputs are K:\\\\[NO-POBS]..., the message shows [K:\\]."""
    inputs, drive = s.folder("in"), s.folder("drive-k")
    dropped = s.input(inputs, "root.xer", xer_export("root"))
    with wine_drive(s.session, "K", drive) as root:
        app = s.start()
        app.drop(dropped)
        app.picker().choose(root)
        app.count_message(1, root).ok()
        s.expect_files(drive, {OUT + "root.xer": clean(xer_export("root"))})

        app.drop(dropped)
        app.question(f"File {root}\\{OUT}root.xer already exists. Overwrite it?").yes()
        app.count_message(1, root).ok()
        s.expect_files(drive, {OUT + "root.xer": clean(xer_export("root"))})
        app.press_close()
        app.expect_exit()


def nested_names(length):
    """A relative path of folders that adds `length` characters to a path (its separators
    included); short names, so that a message showing it can break its lines."""
    full, rest = divmod(length, 31)
    if rest == 1:
        full, rest = full - 1, rest + 31
    names = ["o" * 30] * full + (["o" * (rest - 1)] if rest else [])
    check(names, "the scratch folder's path is too long for this scenario")
    return "/".join(names)


@scenario
def an_output_path_of_260_characters_or_more_fails_to_create(s):
    """An output path of 259 characters is written; one of 260 cannot be created."""
    inputs = s.folder("in")
    out = s.folder(nested_names(240 - len(win(s.root))))
    check_equal(len(win(out)), 240, "the length of the output folder's path")
    fits = s.input(inputs, "fits9.xer", xer_export("fits"))
    over = s.input(inputs, "over10.xer", xer_export("over"))
    check_equal([len(f"{win(out)}\\{OUT}{p.name}") for p in (fits, over)], [259, 260], "the output paths' lengths")

    app = s.start()
    app.drop(fits, over)
    app.picker().choose(win(out))
    app.message(f"Failed to create file {win(out)}\\{OUT}over10.xer").ok()
    app.count_message(1, win(out)).ok()
    s.expect_files(out, {OUT + "fits9.xer": clean(xer_export("fits"))})
    app.press_close()
    app.expect_exit()
