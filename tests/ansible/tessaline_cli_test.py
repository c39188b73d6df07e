"""The collection's shared module code: judging the CLI's objects, the argv, the password file."""

import os
import stat
import sys
import tempfile
import unittest

# Nothing compiled is left in the collection's source.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "packaging", "ansible",
                                "plugins", "module_utils"))
import tessaline_cli as tc  # noqa: E402


def job(printer, stage, written=10, size=10, state=None, message=None, job_id=None):
    return dict(printer=printer, stage=stage, written=written, size=size, state=state,
                message=message, job=job_id)


def answer(printer, *components, message=None):
    return dict(printer=printer, message=message,
                components=[dict(name=n, version=v) for n, v in components] or None)


class Failed(Exception):
    pass


class FakeModule:
    """Records run_command's argv and the password file as the CLI would see it."""

    def __init__(self, cli, raises=None, **params):
        self.params = dict(cli=cli, password=None, printers=["laser1"], printers_file=None)
        self.params.update(params)
        self.raises = raises
        self.argv = None
        self.seen = None

    def run_command(self, argv):
        self.argv = argv
        path = argv[argv.index("--password-file") + 1] if "--password-file" in argv else None
        if path:
            with open(path) as f:
                self.seen = (stat.S_IMODE(os.stat(path).st_mode), f.read(), path)
        if self.raises:
            raise self.raises
        return 0, "", ""

    def fail_json(self, **result):
        raise Failed(result["msg"])


class JudgingTest(unittest.TestCase):
    def test_printer_failed(self):
        cases = [
            ("verified", job("a", "Verified", written=0), False),
            ("already current", job("a", "AlreadyCurrent", written=0), False),
            ("completed, not followed", job("a", "Completed"), False),
            ("completed and printed", job("a", "Completed", state="Completed"), False),
            ("completed, short write", job("a", "Completed", written=9), True),
            ("completed, job aborted", job("a", "Completed", state="Aborted"), True),
            ("completed, time ran out", job("a", "Completed", state="Printing"), True),
            ("not verified", job("a", "NotVerified"), True),
            ("not started", job("a", "NotStarted", written=0), True),
        ]
        for name, obj, want in cases:
            with self.subTest(name):
                self.assertEqual(tc.printer_failed(obj), want)

    def test_failed_msg(self):
        objects = [job("laser1", "Verified"),
                   job("ipp://h:631/ipp/print", "NotVerified", message="the printer reports 2.0"),
                   job("laser2", "EndDocFailed")]
        named = ("2 of 5 printers failed: ipp://h:631/ipp/print (NotVerified: the printer reports "
                 "2.0); laser2 (EndDocFailed)")
        five = ["laser1", "ipp://h:631/ipp/print", "laser2", "l4", "l5"]
        file_error = "tessaline-cli: File Error: /fw.kmf: cannot be opened\n"
        cases = [
            ("each failed printer named", objects, five, "", named),
            ("a reason only on stderr follows", objects, five, file_error + "laser2: gone\n",
             named + ". tessaline-cli: File Error: /fw.kmf: cannot be opened; laser2: gone"),
            ("stderr left out when every failed printer says why", objects[:2], five, file_error,
             "1 of 5 printers failed: ipp://h:631/ipp/print (NotVerified: the printer reports "
             "2.0)"),
            ("printers file unreadable: counted from the objects", objects[2:], None, "",
             "1 of 1 printers failed: laser2 (EndDocFailed)"),
            ("no printer failed: stderr alone", objects[:1], five, file_error,
             "tessaline-cli: File Error: /fw.kmf: cannot be opened"),
        ]
        for name, objs, asked, err, want in cases:
            with self.subTest(name):
                self.assertEqual(tc.failed_msg(objs, asked, err), want)

    def test_sent_any(self):
        cases = [
            ("job id, nothing written yet", [job("a", "EndDocFailed", written=0, job_id=7)], True),
            ("bytes written, no job id", [job("a", "WriteFailed", written=3)], True),
            ("nothing sent", [job("a", "AlreadyCurrent", written=0), job("b", "OpenFailed",
                                                                         written=0)], False),
        ]
        for name, objects, want in cases:
            with self.subTest(name):
                self.assertEqual(tc.sent_any(objects), want)

    def test_classify(self):
        objects = [answer("cur", ("Main", "2.1")), answer("old", ("Main", "2.0")),
                   answer("prefix", ("Main", "2.1.0")),
                   answer("two", ("Main", "2.1"), ("Net", "1")),
                   answer("mute", message="the printer could not be reached"),
                   answer("empty")]
        everyone = ["cur", "old", "prefix", "two", "mute", "empty"]
        cases = [
            ("the only component", None, "2.1",
             dict(would_upgrade=["old", "prefix"], current=["cur"],
                  cannot_ask=["two", "mute", "empty"])),
            ("named, any case", "MAIN", "2.1",
             dict(would_upgrade=["old", "prefix"], current=["cur", "two"],
                  cannot_ask=["mute", "empty"])),
            ("named, missing", "Engine", "2.1",
             dict(would_upgrade=[], current=[], cannot_ask=everyone)),
            ("no expected version", None, None,
             dict(would_upgrade=["cur", "old", "prefix", "two"], current=[],
                  cannot_ask=["mute", "empty"])),
        ]
        for name, component, version, want in cases:
            with self.subTest(name):
                got = tc.classify(objects, component, version)
                self.assertEqual({k: got[k] for k in want}, want)
        self.assertEqual(tc.classify(objects, None, "2.1")["versions"]["old"], "2.0")

    def test_summary_names_the_printers_not_reported(self):
        with tempfile.NamedTemporaryFile("w", suffix=".txt") as f:
            f.write("# site A\r\n  laser2 \r\n\r\nlaser3\n#laser4\n")
            f.flush()
            asked = tc.asked_printers(dict(printers=["laser1"], printers_file=f.name))
        self.assertEqual(asked, ["laser1", "laser2", "laser3"])
        got = tc.upgrade_summary([job("laser2", "Verified"), job("laser1", "Verified")], asked)
        self.assertEqual(got, dict(printers=3, reported=2, stages={"Verified": 2},
                                   unknown=["laser3"]))
        self.assertEqual(tc.cut_short_msg(-9, [job("laser1", "Verified")], asked),
                         "tessaline-cli was cut short by signal 9: 1 printers reported, the rest "
                         "are unknown: laser2, laser3")
        self.assertIsNone(tc.asked_printers(dict(printers_file="/nonexistent/site.txt")))

    def test_parse_lines_drops_a_half_line(self):
        out = '{"printer":"a","stage":"Verified"}\nnot json\n{"printer":"b","sta'
        self.assertEqual(tc.parse_lines(out), [{"printer": "a", "stage": "Verified"}])


class RunTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.cli = os.path.join(self.dir.name, "tessaline-cli")
        with open(self.cli, "w") as f:
            f.write("#!/bin/sh\n")
        os.chmod(self.cli, 0o755)

    def tearDown(self):
        self.dir.cleanup()

    def test_upgrade_argv(self):
        module = FakeModule(self.cli, password="s3cret pass", file="/fw/m.kmf", sha256="ab" * 32,
                            expect_version="2.1", component="Main", max_failures=2, wait=60,
                            verify_timeout=90, parallel=3, printers=["-odd", "laser2"],
                            printers_file="/site.txt", server="h:631", encrypt=True, user="op")
        tc.run_cli(module, tc.upgrade_argv)
        path = module.seen[2]
        self.assertEqual(module.argv, [
            self.cli, "upgrade", "/fw/m.kmf", "--printer", "-odd", "--printer", "laser2",
            "--printers-file", "/site.txt", "--parallel", "3", "--json", "--yes",
            "--sha256", "ab" * 32, "--expect-version", "2.1", "--component", "Main",
            "--max-failures", "2", "--verify-timeout", "90", "--wait=60", "--server", "h:631",
            "--encrypt", "--user", "op", "--password-file", path])
        self.assertEqual(module.seen[:2], (0o600, "s3cret pass\n"))
        self.assertFalse(os.path.exists(path))

    def test_password_file_removed_when_the_run_fails(self):
        module = FakeModule(self.cli, raises=OSError("cannot run"), password="pw")
        with self.assertRaises(OSError):
            tc.run_cli(module, tc.inventory_argv)
        self.assertEqual(module.argv[:2], [self.cli, "inventory"])
        self.assertNotIn("pw", module.argv)
        self.assertFalse(os.path.exists(module.seen[2]))

    def test_refused_before_running(self):
        missing = os.path.join(self.dir.name, "nope")
        cases = [
            ("missing cli", missing, None, "tessaline-cli not found: searched " + missing),
            ("password of two lines", self.cli, "a\nb",
             "the password must be one line: tessaline-cli reads the first"),
        ]
        for name, cli, password, msg in cases:
            with self.subTest(name):
                module = FakeModule(cli, password=password)
                with self.assertRaisesRegex(Failed, "^%s$" % msg):
                    tc.run_cli(module, tc.inventory_argv)
                self.assertIsNone(module.argv)

    def test_find_cli_on_path(self):
        self.assertEqual(tc.find_cli("tessaline-cli", "/nonexistent:" + self.dir.name),
                         (self.cli, None))
        self.assertEqual(tc.find_cli("tessaline-cli", "/a:/b"),
                         (None, "tessaline-cli not found: searched /a:/b"))


if __name__ == "__main__":
    unittest.main()
