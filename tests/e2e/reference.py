"""What a cleaned output must hold, worked out from the input's bytes alone.

Written from the cleaning rules as the README gives them, independently of the
program's code, over the whole buffer at once:
- bytes are characters one to one; every byte is kept (NUL, 0x1A, lone CR, 0x80-0xFF);
- a line ends at LF, and a CR directly before that LF belongs to the line end;
- the line "%T<TAB>POBS" (ASCII letters in any case) starts a skip, which ends at the next
  line beginning "%T" or "%E" (any case) and keeps that line; a second POBS header inside a
  skip goes on skipping;
- every kept line is written with CR LF after it.
"""

POBS_HEADER = b"%t\tpobs"
SKIP_ENDS = (b"%t", b"%e")


def read_lines(data):
    """The lines of `data` without their line ends."""
    *terminated, last = data.split(b"\n")
    lines = [line[:-1] if line.endswith(b"\r") else line for line in terminated]
    if last:
        lines.append(last)  # a last line without a line end keeps a CR it ends with
    return lines


def clean(data):
    """The bytes of the cleaned copy of an input holding `data`."""
    kept = []
    skipping = False
    for line in read_lines(data):
        header = line.lower() == POBS_HEADER  # bytes.lower() folds A-Z only
        if skipping and not header and line[:2].lower() in SKIP_ENDS:
            skipping = False
        elif header:
            skipping = True
        if not skipping:
            kept.append(line)
    return b"".join(line + b"\r\n" for line in kept)
