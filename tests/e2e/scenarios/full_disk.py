"""A disk that fills up while an output is written: a real 64 KiB tmpfs (needs root)."""

from harness import scenario, small_disk, win, xer_export
from reference import clean

OUT = "[NO-POBS]"


def big_export():
    """About 300 KB, far more than the small disk holds, with a POBS table inside."""
    rows = b"".join(b"%%R\t%d\tPour slab section %d\tlevel 3\r\n" % (n, n) for n in range(8000))
    return xer_export("big").replace(b"%T\tTASK\r\n", b"%T\tTASK\r\n" + rows)


@scenario
def a_full_disk_ends_the_drop_leaves_no_output_and_the_folder_is_kept(s):
    """"Disk full while accessing" + the output, a stop sign, nothing left; the next drop goes on."""
    inputs = s.folder("in")
    big = s.input(inputs, "big.xer", big_export())
    after_big = s.input(inputs, "after big.xer", xer_export("after big"))
    small = s.input(inputs, "small.xer", xer_export("small"))
    with small_disk(s.root / "small-disk") as disk:
        app = s.start()
        app.drop(big, after_big)
        app.picker().choose(win(disk))
        app.message(f"Disk full while accessing {win(disk)}\\{OUT}big.xer.", icon="stop").ok()
        # The failure ends the whole drop: no closing message, the next file not touched.
        app.expect_idle()
        s.expect_files(disk, {})

        app.drop(small)
        app.count_message(1, win(disk)).ok()
        s.expect_files(disk, {OUT + "small.xer": clean(xer_export("small"))})
        app.press_close()
        app.expect_exit()
