#!/usr/bin/python3
"""kestrimo-cli as its users run it: real files, real exit codes, real streams.

Usage: cli_test.py CLI [--wine WINE_RUN]
With --wine, CLI is the Windows build, started through WINE_RUN, and paths are
handed over as Wine spells them (Z:\\...).
"""
import os
import pty
import select
import subprocess
import sys
import tempfile
import unittest

CLI = None
WINE_RUN = None


def program_path(path):
    """A path as the program under test spells it."""
    if WINE_RUN:
        return "Z:" + path.replace("/", "\\")
    return path


def separator():
    return "\\" if WINE_RUN else "/"


def command(*arguments):
    base = [WINE_RUN, CLI] if WINE_RUN else [CLI]
    return base + list(arguments)


def run(*arguments, stdin=subprocess.DEVNULL):
    done = subprocess.run(command(*arguments), stdin=stdin, capture_output=True, timeout=120)
    out, err = done.stdout.decode("utf-8"), done.stderr.decode("utf-8")
    if WINE_RUN:
        # A Windows program ends its text lines with CR LF.
        out, err = out.replace("\r\n", "\n"), err.replace("\r\n", "\n")
        # Wine's own diagnostics (such as volumes it cannot read a label from) are not the program's.
        err = "".join(line for line in err.splitlines(keepends=True) if not line.startswith("wine: "))
    return done.returncode, out, err


def run_on_terminal(arguments, answers):
    """Runs the program on a real pseudo-terminal and types each answer when a
    prompt that ends with its key appears. Returns (status, everything shown)."""
    pid, fd = pty.fork()
    if pid == 0:
        os.execvp(command()[0], command(*arguments))
    shown = b""
    pending = list(answers)
    while True:
        ready, _, _ = select.select([fd], [], [], 30)
        if not ready:
            os.kill(pid, 9)
            raise AssertionError("the program stopped answering; shown so far: %r" % shown)
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            break
        if not chunk:
            break
        shown += chunk
        if pending and shown.decode("utf-8", "replace").rstrip().endswith(pending[0][0]):
            os.write(fd, pending.pop(0)[1].encode("utf-8") + b"\n")
    _, status = os.waitpid(pid, 0)
    return os.waitstatus_to_exitcode(status), shown.decode("utf-8", "replace").replace("\r\n", "\n")


class Files(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory(prefix="kestrimo-cli-")
        self.root = self.scratch.name
        self.out = os.path.join(self.root, "out")
        os.mkdir(self.out)

    def tearDown(self):
        self.scratch.cleanup()

    def input(self, name, data):
        path = os.path.join(self.root, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def output(self, name):
        with open(os.path.join(self.out, "[NO-POBS]" + name), "rb") as f:
            return f.read()

    def output_path(self, name):
        return program_path(self.out) + separator() + "[NO-POBS]" + name


class Conversion(Files):
    def test_converts_in_order_and_reports_the_count_on_standard_output(self):
        a = self.input("a.xer", b"%T\tOBS\r\n1\r\n%T\tPOBS\r\n2\r\n%T\tTASK\r\n3\n%E")
        b = self.input("b.xer", b"")
        status, out, err = run("-o", program_path(self.out), program_path(a), program_path(b))
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(out, "2 files generated in the specified folder[%s]\n" % program_path(self.out))
        self.assertEqual(self.output("a.xer"), b"%T\tOBS\r\n1\r\n%T\tTASK\r\n3\r\n%E\r\n")
        self.assertEqual(self.output("b.xer"), b"")

    def test_failures_go_to_standard_error_and_the_rest_goes_on(self):
        missing = program_path(os.path.join(self.root, "missing.xer"))
        a = self.input("a.xer", b"a\r\n")
        status, out, err = run("-o", program_path(self.out), missing, program_path(self.root), program_path(a))
        self.assertEqual(status, 1)
        self.assertEqual(err, "Failed to open file %s\nFailed to open file %s\n" % (missing, program_path(self.root)))
        self.assertEqual(out, "1 files generated in the specified folder[%s]\n" % program_path(self.out))

    def test_a_missing_output_folder_fails_every_creation(self):
        a = self.input("a.xer", b"a\r\n")
        gone = program_path(os.path.join(self.root, "gone"))
        status, out, err = run("-o", gone, program_path(a))
        self.assertEqual(status, 1)
        self.assertEqual(err, "Failed to create file %s%s[NO-POBS]a.xer\n" % (gone, separator()))

    def test_existing_outputs_without_a_terminal(self):
        cases = [
            ("no option keeps it", [], b"old\r\n", 0),
            ("--no-overwrite keeps it", ["--no-overwrite"], b"old\r\n", 0),
            ("--overwrite replaces it", ["--overwrite"], b"new\r\n", 1),
        ]
        for name, options, expected, generated in cases:
            with self.subTest(name):
                a = self.input("a.xer", b"new\n")
                with open(os.path.join(self.out, "[NO-POBS]a.xer"), "wb") as f:
                    f.write(b"old\r\n")
                status, out, err = run(*options, "-o", program_path(self.out), program_path(a))
                self.assertEqual((status, err), (0, ""))
                self.assertEqual(self.output("a.xer"), expected)
                self.assertTrue(out.startswith("%d files generated" % generated), out)

    def test_inputs_are_never_changed(self):
        data = b"%T\tPOBS\r\nx\r\n\x00\x1a\xff\r"
        a = self.input("a.xer", data)
        run("-o", program_path(self.out), program_path(a))
        run("--overwrite", "-o", program_path(self.out), program_path(a))
        with open(a, "rb") as f:
            self.assertEqual(f.read(), data)


class Usage(Files):
    def test_bad_usage_exits_2_with_a_hint(self):
        a = program_path(self.input("a.xer", b"a"))
        cases = [
            ("no files", ["-o", program_path(self.out)], "no files given"),
            ("unknown option", ["--frobnicate", a], "unknown option --frobnicate"),
            ("-o without a folder", [a, "-o"], "-o needs a folder"),
            ("no folder and no terminal", [a], "no output folder"),
        ]
        for name, arguments, problem in cases:
            with self.subTest(name):
                status, out, err = run(*arguments)
                self.assertEqual(status, 2)
                self.assertEqual(out, "")
                self.assertIn(problem, err)
                self.assertIn("--help", err)
        self.assertEqual(os.listdir(self.out), [])

    def test_help_explains_every_option_and_the_exit_status(self):
        status, out, err = run("--help")
        self.assertEqual((status, err), (0, ""))
        for word in ("-o DIR", "--overwrite", "--no-overwrite", "[NO-POBS]", "Exit status"):
            self.assertIn(word, out)

    def test_a_double_dash_ends_the_options(self):
        name = "-o"
        path = self.input(name, b"dash\n")
        status, out, err = run("-o", program_path(self.out), "--", program_path(path))
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(self.output(name), b"dash\r\n")


@unittest.skipIf(WINE_RUN is not None or "--wine" in sys.argv, "Wine gives a Windows program no console here")
class Terminal(Files):
    def test_asks_for_the_folder_and_the_overwrite(self):
        a = self.input("a.xer", b"new\n")
        with open(os.path.join(self.out, "[NO-POBS]a.xer"), "wb") as f:
            f.write(b"old\r\n")
        question = "File %s already exists. Overwrite it? [y/N]" % self.output_path("a.xer")
        status, shown = run_on_terminal([a], [("please choose output directory:", self.out), (question, "y")])
        self.assertEqual(status, 0, shown)
        self.assertIn("1 files generated in the specified folder[%s]" % self.out, shown)
        self.assertEqual(self.output("a.xer"), b"new\r\n")

    def test_an_empty_folder_answer_cancels(self):
        a = self.input("a.xer", b"a\n")
        status, shown = run_on_terminal([a], [("please choose output directory:", "")])
        self.assertEqual(status, 1)
        self.assertNotIn("files generated", shown)
        self.assertEqual(os.listdir(self.out), [])


if __name__ == "__main__":
    CLI = sys.argv[1]
    rest = sys.argv[2:]
    if rest[:1] == ["--wine"]:
        WINE_RUN = rest[1]
        rest = rest[2:]
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
