#!/usr/bin/python3
"""Checks the end-to-end tests' own reference of the cleaning against hand-worked cases,
so that a fault in the reference cannot hide a fault of the program."""

import sys

# No bytecode caches in the source tree.
sys.dont_write_bytecode = True
from reference import clean  # noqa: E402

CASES = [
    # what it shows,                       input bytes,                                   cleaned bytes
    ("empty input",                        b"",                                           b""),
    ("CR LF lines stay as they are",       b"abc\r\ndef\r\n",                             b"abc\r\ndef\r\n"),
    ("LF lines and a last line get CR LF", b"abc\ndef",                                   b"abc\r\ndef\r\n"),
    ("empty lines stay",                   b"\r\n\n",                                     b"\r\n\r\n"),
    ("a lone CR is a character",           b"a\rb\r\n",                                   b"a\rb\r\n"),
    ("only one CR belongs to the LF",      b"a\r\r\n",                                    b"a\r\r\n"),
    ("a CR at the very end is kept",       b"a\r",                                        b"a\r\r\n"),
    ("NUL and 0x1A are ordinary",          b"a\0b\x1ac\n\0\n",                            b"a\0b\x1ac\r\n\0\r\n"),
    ("POBS left out up to the next table", b"%T\tA\n1\n%T\tPOBS\nx\n\n%T\tB\n2\n",        b"%T\tA\r\n1\r\n%T\tB\r\n2\r\n"),
    ("the header in any case",             b"%t\tpObS\nx\n%t\tB\n",                       b"%t\tB\r\n"),
    ("near headers are kept",              b"%T\tPOBS \n%T POBS\n %T\tPOBS\n%T\tPOBSX\n",
     b"%T\tPOBS \r\n%T POBS\r\n %T\tPOBS\r\n%T\tPOBSX\r\n"),
    ("a second header keeps skipping",     b"%T\tPOBS\nx\n%T\tPOBS\ny\n%T\tC\n",          b"%T\tC\r\n"),
    ("the end marker ends a skip",         b"%T\tPOBS\nx\n%E\n",                          b"%E\r\n"),
    ("'%T' alone ends a skip",             b"%T\tPOBS\nx\n%T\nk\n",                       b"%T\r\nk\r\n"),
    ("'%' and '%x' do not",                b"%T\tPOBS\n%\n%x\n%e\n",                      b"%e\r\n"),
    ("POBS to the end of the input",       b"a\n%T\tPOBS\nx",                             b"a\r\n"),
    ("high bytes and a BOM pass",          b"\xef\xbb\xbf\x80\xff\n",                     b"\xef\xbb\xbf\x80\xff\r\n"),
]


def main():
    failures = [(what, clean(data), expected) for what, data, expected in CASES if clean(data) != expected]
    for what, actual, expected in failures:
        print(f"FAIL {what}: expected {expected!r}, got {actual!r}")
    print(f"{len(CASES) - len(failures)} of {len(CASES)} reference cases hold")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
