"""Real exports from ../shared/xer-samples/, converted in one drop and checked byte for byte."""

from harness import check, scenario, scratch_copy, sha256, win
from reference import clean

OUT = "[NO-POBS]"
POBS_HEADER = b"\n%T\tPOBS\r\n"
# name: whether it has a POBS table, its line end (README of the samples folder)
SAMPLES = {
    "terminal-building.xer": (True, b"\r\n"),
    "hotel-project.xer": (True, b"\r\n"),
    "harbour-pointe.xer": (False, b"\r\n"),
    "tower-lf.xer": (False, b"\n"),
}
# An upper bound; the largest export takes a few seconds under Wine.
CONVERSION_WAIT = 120.0


def check_reference(name, data, cleaned):
    """Holds the reference to what is known of each sample, so that it cannot be wrong unseen."""
    has_pobs, line_end = SAMPLES[name]
    if has_pobs:
        check(POBS_HEADER in data and POBS_HEADER not in cleaned and len(cleaned) < len(data),
              f"the reference did not take the POBS table out of {name}")
    elif line_end == b"\r\n":
        check(cleaned == data, f"the reference changed {name}, which has nothing to clean")
    else:
        check(cleaned == data.replace(b"\n", b"\r\n"), f"the reference did more than end {name}'s lines with CR LF")


@scenario
def real_exports_are_cleaned_byte_for_byte(s):
    """Four real exports in one drop; each output equals the independent reference."""
    originals = {name: s.sample(name) for name in SAMPLES}
    original_hashes = {name: sha256(path) for name, path in originals.items()}
    inputs, out = s.folder("in"), s.folder("out")
    dropped = []
    for name, original in originals.items():
        dropped.append(scratch_copy(original, inputs))
        s.watch(dropped[-1])

    expected = {}
    for name, path in originals.items():
        data = path.read_bytes()
        expected[OUT + name] = clean(data)
        check_reference(name, data, expected[OUT + name])

    app = s.start()
    app.drop(*dropped)
    app.picker().choose(win(out))
    app.count_message(len(dropped), win(out), timeout=CONVERSION_WAIT).ok()
    s.expect_files(out, expected)
    app.press_close()
    app.expect_exit()
    for name, path in originals.items():
        check(sha256(path) == original_hashes[name], f"the sample {path} was changed")
