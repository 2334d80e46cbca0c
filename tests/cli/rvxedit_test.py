#!/usr/bin/env python3
"""Runs the built rvxedit on scratch raw files and checks its output, exit status and files.

Usage: rvxedit_test.py PROGRAM [RUNNER]
RUNNER is the program that runs PROGRAM (the Wine wrapper for the Windows build). Every run
happens inside the scratch folder with relative paths, so both builds see the same names.
"""
import json
import os
import random
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


def header(lines, pad=True):
    text = b"".join(line + b"\r\n" for line in lines)
    return text.ljust(160, b"\0") if pad else text


def receiver_data(size, seed):
    """Random bytes with line feeds; no line starts with a header key's first letter."""
    rng = random.Random(seed)
    out = bytearray(rng.getrandbits(8) for _ in range(size))
    start = True
    for i, b in enumerate(out):
        if start and b in b"vRDMA":
            out[i] = ord("#")
        start = out[i] == 10
    return bytes(out)


def raw_file(lines=None, height=b"1.500", size=4096, seed=1):
    """A raw file with the height also in the millimetre field when the text leaves room."""
    lines = list(lines or STANDARD)
    lines = [b"AntHigh:" + height if l.startswith(b"AntHigh:") else l for l in lines]
    block = bytearray(header(lines))
    if len(block) == 160:
        block[130:134] = struct.pack("<i", round(float(height) * 1000))
    return bytes(block) + receiver_data(size, seed)


def expected_block(height_text, millimetres, model=b"Model:VX-10 GNSS"):
    """The 160 bytes a save writes for the standard header values."""
    text = header([STANDARD[0], b"ver 2.0", b"ReceiverID:A1B2C3", b"Date:2026-03-27", model,
                   b"AntHigh:" + height_text], pad=False)
    block = bytearray(text.ljust(160, b"\0"))
    block[130:134] = struct.pack("<i", millimetres)
    return bytes(block)


class Case(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="rvxedit-test-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def write(self, name, data):
        with open(os.path.join(os.fsencode(self.dir) if isinstance(name, bytes) else self.dir,
                               name), "wb") as f:
            f.write(data)
        return data

    def read(self, name):
        with open(os.path.join(self.dir, name), "rb") as f:
            return f.read()

    def snapshot(self):
        return {n: self.read(n) for n in sorted(os.listdir(self.dir)) if not n.startswith("_")}

    def run_tool(self, *args):
        """Runs the program; output goes through files, never pipes (Wine keeps pipes open)."""
        out_path = os.path.join(self.dir, "_stdout")
        err_path = os.path.join(self.dir, "_stderr")
        command = ([RUNNER] if RUNNER else []) + [PROGRAM] + list(args)
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            rc = subprocess.call(command, cwd=self.dir, stdout=out, stderr=err,
                                 stdin=subprocess.DEVNULL, timeout=300)
        with open(out_path, "rb") as out, open(err_path, "rb") as err:
            stdout, stderr = out.read().decode("utf-8"), err.read().decode("utf-8", "replace")
        os.remove(out_path)
        os.remove(err_path)
        return rc, stdout.splitlines(), stderr


class ShowTests(Case):
    def make_batch(self):
        self.write("BAD0861.RVX", header(STANDARD[:5]))  # no AntHigh line
        self.write("ABCD0861.RVX", raw_file())
        mismatch = bytearray(raw_file())
        mismatch[130:134] = struct.pack("<i", 1234)
        self.write("MISM0861.RVX", bytes(mismatch))
        self.write("SHRT0861.RVX", header(STANDARD, pad=False))  # 97 bytes: no field
        odd_model = b'Model:VX "10" \\ \xe9'
        lines = STANDARD[:4] + [odd_model, b"AntHigh:2.25"]
        self.write("测站0861.RVX", raw_file(lines, height=b"2.25"))
        return ["BAD0861.RVX", "NOPE.RVX", "ABCD0861.RVX", "MISM0861.RVX", "SHRT0861.RVX",
                "测站0861.RVX"]

    def test_text_report_shows_good_files_and_names_bad_ones(self):
        files = self.make_batch()
        before = self.snapshot()
        rc, out, err = self.run_tool("show", *files)
        self.assertEqual(rc, 1)
        self.assertEqual([l.split(":")[0] for l in out], files[2:])
        self.assertIn('point "ABCD", tail "0861.RVX", version 2.0, serial "A1B2C3", '
                      'date "2026-03-27", model "Model:VX-10 GNSS", height 1.500 m, '
                      'field 1500 mm', out[0])
        self.assertNotIn("warning", out[0])
        self.assertIn("field 1234 mm; warning", out[1])
        self.assertIn("field none", out[2])
        self.assertIn('point "测站"', out[3])
        self.assertIn(r'model "Model:VX \"10\" \\ \xe9", height 2.250 m', out[3])
        self.assertIn("BAD0861.RVX: no antenna height (AntHigh)", err)
        self.assertIn("NOPE.RVX: cannot open", err)
        self.assertEqual(self.snapshot(), before)

    def test_json_report_parses_with_every_file_in_order(self):
        files = self.make_batch()
        rc, out, _ = self.run_tool("show", "--json", *files)
        self.assertEqual(rc, 1)
        report = json.loads("\n".join(out))
        self.assertEqual([r["path"] for r in report], files)
        self.assertIn("error", report[0])
        self.assertIn("error", report[1])
        good = report[2]
        self.assertEqual((good["point_name"], good["tail"], good["version"]),
                         ("ABCD", "0861.RVX", 2.0))
        self.assertEqual((good["receiver_serial"], good["date"], good["model"]),
                         ("A1B2C3", "2026-03-27", "Model:VX-10 GNSS"))
        self.assertEqual((good["antenna_height_m"], good["millimetre_field"],
                          good["heights_disagree"]), (1.5, 1500, False))
        self.assertEqual((report[3]["millimetre_field"], report[3]["heights_disagree"]),
                         (1234, True))
        self.assertEqual((report[4]["millimetre_field"], report[4]["heights_disagree"]),
                         (None, False))
        self.assertEqual(report[5]["point_name"], "测站")
        self.assertEqual(report[5]["model"], 'Model:VX "10" \\ \u00e9')

    def test_windows_program_expands_wildcards(self):
        if not RUNNER:
            self.skipTest("the POSIX shell expands patterns itself")
        self.write("ABCD0861.RVX", raw_file())
        self.write("ABCE0861.RVX", raw_file())
        self.write("XYZW0861.RVX", raw_file())
        rc, out, _ = self.run_tool("show", "AB*.RVX")
        self.assertEqual(rc, 0)
        self.assertEqual(sorted(l.split(":")[0] for l in out), ["ABCD0861.RVX", "ABCE0861.RVX"])


class SetTests(Case):
    def test_batch_corrects_good_files_and_leaves_bad_ones_untouched(self):
        first = self.write("ABCD0861.RVX", raw_file(size=5000, seed=2))
        second = self.write("WXYZ0862.RVX", raw_file(size=300000, seed=3))
        no_version = self.write("BAD0863.RVX", raw_file([l for l in STANDARD if l != b"ver 2.0"]))
        long_model = [b"Model:" + b"M" * 140 if l.startswith(b"Model:") else l for l in STANDARD]
        too_long = self.write("LONG0864.RVX", raw_file(long_model))
        rc, out, err = self.run_tool("set", "--point", "测站", "--height", "-1.6",
                                     "ABCD0861.RVX", "BAD0863.RVX", "LONG0864.RVX",
                                     "WXYZ0862.RVX")
        self.assertEqual(rc, 1)
        self.assertEqual(out, [
            "ABCD0861.RVX: saved, name ABCD0861.RVX -> 测站0861.RVX, height 1.500 -> -1.600",
            "WXYZ0862.RVX: saved, name WXYZ0862.RVX -> 测站0862.RVX, height 1.500 -> -1.600"])
        self.assertIn("BAD0863.RVX: no version number", err)
        self.assertIn("LONG0864.RVX: the header would be too long", err)
        self.assertEqual(sorted(self.snapshot()),
                         sorted(["测站0861.RVX", "测站0862.RVX", "BAD0863.RVX", "LONG0864.RVX"]))
        block = expected_block(b"-1.600", -1600)
        self.assertEqual(self.read("测站0861.RVX"), block + first[160:])
        self.assertEqual(self.read("测站0862.RVX"), block + second[160:])
        self.assertEqual(self.read("BAD0863.RVX"), no_version)
        self.assertEqual(self.read("LONG0864.RVX"), too_long)

    def test_dry_run_reports_the_change_and_touches_nothing(self):
        self.write("ABCD0861.RVX", raw_file())
        self.write("WXYZ0862.RVX", raw_file(height=b"0.2"))
        self.write("EFGH0863.RVX", raw_file())
        before = self.snapshot()
        rc, out, _ = self.run_tool("set", "--dry-run", "--point", "P", "--height", "2",
                                   "ABCD0861.RVX", "WXYZ0862.RVX")
        self.assertEqual(rc, 0)
        self.assertEqual(out, [
            "ABCD0861.RVX: would save, name ABCD0861.RVX -> P0861.RVX, height 1.500 -> 2.000",
            "WXYZ0862.RVX: would save, name WXYZ0862.RVX -> P0862.RVX, height 0.200 -> 2.000"])
        # A rename that would be refused is reported by the dry run too.
        self.write("EFGH0861.RVX", raw_file())
        before = self.snapshot()
        rc, out, err = self.run_tool("set", "--dry-run", "--point", "EFGH", "ABCD0861.RVX")
        self.assertEqual((rc, out), (1, []))
        self.assertIn("already exists", err)
        self.assertEqual(self.snapshot(), before)

    def test_rename_onto_an_existing_file_is_refused_with_both_intact(self):
        source = self.write("ABCD0861.RVX", raw_file(seed=4))
        target = self.write("EFGH0861.RVX", raw_file(height=b"9.999", seed=5))
        rc, out, err = self.run_tool("set", "--point", "EFGH", "--height", "1.7",
                                     "ABCD0861.RVX")
        self.assertEqual((rc, out), (1, []))
        self.assertIn("ABCD0861.RVX: the target file already exists", err)
        self.assertIn("EFGH0861.RVX", err)
        self.assertEqual(self.snapshot(), {"ABCD0861.RVX": source, "EFGH0861.RVX": target})

    def test_unchanged_fields_write_nothing_but_any_difference_saves(self):
        # No title line and no zero fill: any rewrite would show.
        untitled = self.write("ABCD0861.RVX", header(STANDARD[1:], pad=False) + b"data\n")
        rc, out, _ = self.run_tool("set", "--point", "ABCD", "--height", "1.500",
                                   "ABCD0861.RVX")
        self.assertEqual((rc, out), (0, ["ABCD0861.RVX: unchanged"]))
        self.assertEqual(self.read("ABCD0861.RVX"), untitled)
        # "1.5" differs from the shown "1.500", so the dialog saves, under the same name.
        rc, out, _ = self.run_tool("set", "--height", "1.5", "ABCD0861.RVX")
        self.assertEqual(rc, 0)
        self.assertEqual(self.read("ABCD0861.RVX"), expected_block(b"1.500", 1500))

    def test_names_follow_the_dialog_rules(self):
        for name in ["ABCD0861.RVX", "A.RV", "WXYZ0862.RVX", "-X0863.RVX"]:
            self.write(name, raw_file())
        rc, _, _ = self.run_tool("set", "--point", "LONGNAME12", "ABCD0861.RVX")
        self.assertEqual(rc, 0)
        rc, _, _ = self.run_tool("set", "--point", "P", "A.RV")
        self.assertEqual(rc, 0)
        rc, _, _ = self.run_tool("set", "--point", "", "WXYZ0862.RVX")
        self.assertEqual(rc, 0)
        rc, _, _ = self.run_tool("set", "--height", "3", "--", "-X0863.RVX")
        self.assertEqual(rc, 0)
        self.assertEqual(sorted(self.snapshot()),
                         sorted(["LONGNAME0861.RVX", "P.RVX", "0862.RVX", "-X0863.RVX"]))
        self.assertEqual(self.read("-X0863.RVX")[:160], expected_block(b"3.000", 3000))
        if RUNNER:
            # Wine starts the program in the scratch folder on drive Z:.
            rc, out, _ = self.run_tool("set", "--point", "DRV", "Z:P.RVX")
            self.assertEqual((rc, out), (0, ["Z:P.RVX: saved, name P.RVX -> DRV.RVX, "
                                             "height 1.500 -> 1.500"]))


class UsageTests(Case):
    def test_usage_errors_exit_2_and_touch_nothing(self):
        self.write("ABCD0861.RVX", raw_file())
        before = self.snapshot()
        f = "ABCD0861.RVX"
        for args in [[], ["frob", f], ["show"], ["set", f], ["set", "--height"],
                     ["set", "--height", "abc", f], ["set", "--height", "1,5", f],
                     ["set", "--height", "1e30", f], ["set", "--point", "a/b", f],
                     ["set", "--point", "A", "--point", "B", f], ["show", "--dry-run", f],
                     ["set", "--json", "--height", "1", f], ["set", "--bogus", f]]:
            rc, out, err = self.run_tool(*args)
            self.assertEqual((rc, out), (2, []), args)
            self.assertIn("rvxedit: ", err, args)
        self.assertEqual(self.snapshot(), before)

    def test_names_that_are_not_utf8_are_refused_by_name(self):
        if RUNNER:
            self.skipTest("Windows passes arguments as UTF-16")
        self.write(b"\xff0861.RVX", raw_file())
        before = self.snapshot()
        rc, out, err = self.run_tool("set", "--height", "2", b"\xff0861.RVX")
        self.assertEqual((rc, out), (1, []))
        self.assertIn("not valid UTF-8", err)
        rc, _, _ = self.run_tool("set", "--point", b"\xff", b"\xff0861.RVX")
        self.assertEqual(rc, 2)
        self.assertEqual(self.snapshot(), before)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv[1])
    RUNNER = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
    unittest.main(argv=sys.argv[:1], verbosity=2)
