#!/usr/bin/env python3
"""Runs the built rvxedit on scratch raw files and checks its output, exit status and files.

Usage: rvxedit_test.py PROGRAM [RUNNER]
RUNNER runs PROGRAM (the Wine wrapper for the Windows build). Every run happens inside the
scratch folder with relative paths, so both builds see the same names.
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

PROGRAM = None
RUNNER = None

STANDARD = [b"VORTALIX COLLECTED DATA FILE", b"ver 2.0", b"ReceiverID:A1B2C3",
            b"Date:2026-03-27", b"Model:VX-10 GNSS", b"AntHigh:1.500"]
DATA = bytes(range(256)).replace(b"\n", b"") * 8  # no line starts with a key


def block(lines=STANDARD, mm=1500):
    """The 160-byte header a save writes for these lines and millimetres."""
    out = bytearray(b"".join(line + b"\r\n" for line in lines).ljust(160, b"\0"))
    out[130:134] = struct.pack("<i", mm)
    return bytes(out)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Case(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="rvxedit-test-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def write(self, name, data=None):
        data = block() + DATA if data is None else data
        with open(os.path.join(self.dir, name), "wb") as f:
            f.write(data)
        return data

    def files(self):
        names = sorted(n for n in os.listdir(self.dir) if not n.startswith("_"))
        return {n: read(os.path.join(self.dir, n)) for n in names}

    def run_tool(self, *args):
        """Runs the program; output goes through files, never pipes (Wine keeps pipes open)."""
        out_path, err_path = os.path.join(self.dir, "_out"), os.path.join(self.dir, "_err")
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            rc = subprocess.call(([RUNNER] if RUNNER else []) + [PROGRAM] + list(args),
                                 cwd=self.dir, stdout=out, stderr=err,
                                 stdin=subprocess.DEVNULL, timeout=300)
        out = read(out_path).decode("utf-8").splitlines()
        err = read(err_path).decode("utf-8", "replace")
        os.remove(out_path)
        os.remove(err_path)
        return rc, out, err


class Tests(Case):
    def test_show_reports_good_files_and_names_bad_ones(self):
        self.write("BAD0861.RVX", block(STANDARD[:5]))
        odd = bytearray(block(STANDARD[:4] + [b'Model:"X" \\ \xe9', b"AntHigh:2.25"], 1234))
        self.write("测站0861.RVX", bytes(odd))
        files = ["BAD0861.RVX", "NOPE.RVX", "测站0861.RVX"]
        before = self.files()
        rc, out, err = self.run_tool("show", *files)
        self.assertEqual((rc, len(out)), (1, 1))
        self.assertEqual(out[0], '测站0861.RVX: point "测站", tail "0861.RVX", version 2.0, '
                         'serial "A1B2C3", date "2026-03-27", model "Model:\\"X\\" \\\\ \\xe9", '
                         'height 2.250 m, field 1234 mm; warning: the height text and the '
                         'millimetre field disagree')
        self.assertIn("BAD0861.RVX: no antenna height (AntHigh)", err)
        self.assertIn("NOPE.RVX: cannot open", err)
        rc, out, _ = self.run_tool("show", "--json", *files)
        report = json.loads("\n".join(out))
        self.assertEqual([r["path"] for r in report], files)
        self.assertIn("error", report[0])
        self.assertEqual((report[2]["point_name"], report[2]["model"],
                          report[2]["antenna_height_m"], report[2]["heights_disagree"]),
                         ("测站", 'Model:"X" \\ \u00e9', 2.25, True))
        self.assertEqual(self.files(), before)

    def test_set_saves_good_files_and_leaves_bad_ones_untouched(self):
        good = self.write("ABCD0861.RVX")
        bad = self.write("BAD0863.RVX", block(STANDARD[:1] + STANDARD[2:]))
        long_model = self.write("LONG0864.RVX", block(STANDARD[:4] + [b"Model:" + b"M" * 140] + STANDARD[5:]))
        rc, out, err = self.run_tool("set", "--point", "测站", "--height", "-1.6",
                                     "ABCD0861.RVX", "BAD0863.RVX", "LONG0864.RVX")
        self.assertEqual(rc, 1)
        self.assertEqual(out, ["ABCD0861.RVX: saved, name ABCD0861.RVX -> 测站0861.RVX, "
                               "height 1.500 -> -1.600"])
        self.assertIn("BAD0863.RVX: no version number", err)
        self.assertIn("LONG0864.RVX: the header would be too long", err)
        self.assertEqual(self.files(), {
            "测站0861.RVX": block(STANDARD[:5] + [b"AntHigh:-1.600"], -1600) + good[160:],
            "BAD0863.RVX": bad, "LONG0864.RVX": long_model})

    def test_dry_run_and_unchanged_fields_touch_nothing(self):
        self.write("ABCD0861.RVX")
        self.write("EFGH0861.RVX")
        before = self.files()
        rc, out, _ = self.run_tool("set", "--dry-run", "--point", "P", "--height", "2",
                                   "ABCD0861.RVX")
        self.assertEqual((rc, out), (0, ["ABCD0861.RVX: would save, name ABCD0861.RVX -> "
                                         "P0861.RVX, height 1.500 -> 2.000"]))
        rc, out, err = self.run_tool("set", "--dry-run", "--point", "EFGH", "ABCD0861.RVX")
        self.assertEqual((rc, out), (1, []))
        self.assertIn("the target file already exists", err)
        rc, out, _ = self.run_tool("set", "--point", "ABCD", "--height", "1.500", "ABCD0861.RVX")
        self.assertEqual((rc, out), (0, ["ABCD0861.RVX: unchanged"]))
        self.assertEqual(self.files(), before)

    def test_usage_errors_exit_2_and_touch_nothing(self):
        self.write("ABCD0861.RVX")
        before = self.files()
        f = "ABCD0861.RVX"
        for args in [[], ["frob", f], ["show"], ["set", f], ["set", "--height"],
                     ["set", "--height", "1,5", f], ["set", "--height", "1e30", f],
                     ["set", "--point", "a/b", f], ["set", "--point", "A", "--point", "B", f],
                     ["show", "--dry-run", f], ["set", "--bogus", f]]:
            rc, out, err = self.run_tool(*args)
            self.assertEqual((rc, out), (2, []), args)
            self.assertIn("rvxedit: ", err, args)
        self.assertEqual(self.files(), before)

    def test_windows_program_expands_wildcards(self):
        if not RUNNER:
            self.skipTest("the POSIX shell expands patterns itself")
        for name in ["ABCD0861.RVX", "ABCE0861.RVX", "XYZW0861.RVX"]:
            self.write(name)
        rc, out, _ = self.run_tool("show", "AB*.RVX")
        self.assertEqual(sorted(l.split(":")[0] for l in out), ["ABCD0861.RVX", "ABCE0861.RVX"])


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv[1])
    RUNNER = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
    unittest.main(argv=sys.argv[:1], verbosity=2)
