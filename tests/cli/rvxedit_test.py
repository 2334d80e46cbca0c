#!/usr/bin/env python3
"""Runs the built rvxedit on scratch raw files and checks its output, exit status and files.

Usage: rvxedit_test.py PROGRAM [RUNNER]
RUNNER runs PROGRAM (the Wine wrapper for the Windows build). Every run happens inside the
scratch folder with relative paths, so both builds see the same names.
"""
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

PROGRAM = None
RUNNER = None
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
LOGS = os.path.join(SOURCE, "tests", "data", "logs")

STANDARD = [b"VORTALIX COLLECTED DATA FILE", b"ver 2.0", b"ReceiverID:A1B2C3",
            b"Date:2026-03-27", b"Model:VX-10 GNSS", b"AntHigh:1.500"]
DATA = bytes(range(256)).replace(b"\n", b"") * 8  # no line starts with a key
# Standard outputs that cannot be written, set up in the started process.
BAD_STDOUT = {"full": lambda: os.dup2(os.open("/dev/full", os.O_WRONLY), 1),
              "closed": lambda: os.close(1)}


def block(lines=STANDARD, mm=1500):
    """The 160-byte header a save writes for these lines and millimetres."""
    text = b"".join(line + b"\r\n" for line in lines).ljust(160, b"\0")
    return text[:130] + struct.pack("<i", mm) + text[134:]


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Tests(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="rvxedit-test-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def write(self, name, data=None):
        data = block() + DATA if data is None else data
        os.makedirs(os.path.dirname(os.path.join(self.dir, name)), exist_ok=True)
        with open(os.path.join(self.dir, name), "wb") as f:
            f.write(data)
        return data

    def files(self):
        return {os.path.relpath(os.path.join(d, n), self.dir): read(os.path.join(d, n))
                for d, _, names in os.walk(self.dir) for n in names}

    def run_tool(self, *args, lc_all="C.UTF-8", stdout=None):
        """Runs the program; output goes through files, never pipes (Wine keeps pipes open).
        `stdout` "full" or "closed" gives it a standard output that cannot be written."""
        env = dict(os.environ, LC_ALL=lc_all, RVX_WINE_LC_ALL=lc_all)
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            rc = subprocess.call(([RUNNER] if RUNNER else []) + [PROGRAM] + list(args),
                                 cwd=self.dir, stdout=out, stderr=err, env=env,
                                 stdin=subprocess.DEVNULL, timeout=300,
                                 preexec_fn=BAD_STDOUT.get(stdout))
            out.seek(0)
            err.seek(0)
            return rc, out.read().decode("utf-8").splitlines(), err.read().decode("utf-8", "replace")
    def test_show_reports_good_files_and_names_bad_ones(self):
        self.write("BAD0861.RVX", block(STANDARD[:5]))
        self.write("测站0861.RVX", block(STANDARD[:4] + [b'Model:"X" \\ \xe9', b"AntHigh:2.25"], 1234))
        files = ["BAD0861.RVX", "NOPE.RVX", "测站0861.RVX"]
        before = self.files()
        rc, out, err = self.run_tool("show", *files)
        self.assertEqual((rc, out), (1, ['测站0861.RVX: point "测站", tail "0861.RVX", version 2.0, '
                         'serial "A1B2C3", date "2026-03-27", model "Model:\\"X\\" \\\\ \\xe9", '
                         'height 2.250 m, field 1234 mm; warning: the height text and the '
                         'millimetre field disagree']))
        self.assertIn("BAD0861.RVX: no antenna height (AntHigh)", err)
        self.assertIn("NOPE.RVX: cannot open", err)
        report = json.loads("\n".join(self.run_tool("show", "--json", *files)[1]))
        self.assertEqual([(r["path"], "error" in r) for r in report], list(zip(files, [1, 1, 0])))
        self.assertEqual((report[2]["point_name"], report[2]["model"],
                          report[2]["antenna_height_m"], report[2]["heights_disagree"]),
                         ("测站", 'Model:"X" \\ \u00e9', 2.25, True))
        self.assertEqual(self.files(), before)

    def test_set_checks_every_file_before_changing_any(self):
        self.write("ABCD0861.RVX")
        self.write("BAD0863.RVX", block(STANDARD[:1] + STANDARD[2:]))
        self.write("LONG0864.RVX", block(STANDARD[:4] + [b"Model:" + b"M" * 140] + STANDARD[5:]))
        self.write("WXYZ0861.RVX")
        before = self.files()
        for dry in ([], ["--dry-run"]):
            rc, out, err = self.run_tool("set", *dry, "--point", "测站", "--height", "-1.6",
                                         "ABCD0861.RVX", "BAD0863.RVX", "LONG0864.RVX")
            self.assertEqual((rc, out), (1, []))
            self.assertEqual(err.splitlines(), [
                "rvxedit: BAD0863.RVX: no version number (ver) found; check that this is a raw file",
                "rvxedit: LONG0864.RVX: the header would be too long to save",
                "rvxedit: nothing was changed; files with problems: 2"])
            # Two files that would end at one name, and one file named twice.
            rc, out, err = self.run_tool("set", *dry, "--point", "P", "ABCD0861.RVX",
                                         "WXYZ0861.RVX", "./ABCD0861.RVX")
            self.assertEqual((rc, out), (1, []))
            self.assertEqual(err.splitlines(), [
                "rvxedit: WXYZ0861.RVX: ABCD0861.RVX ends at the same name: P0861.RVX",
                "rvxedit: ./ABCD0861.RVX: the same file as ABCD0861.RVX",
                "rvxedit: nothing was changed; files with problems: 2"])
            self.assertEqual(self.files(), before)
        rc, out, _ = self.run_tool("set", "--point", "测站", "--height", "-1.6", "ABCD0861.RVX")
        self.assertEqual((rc, out), (0, ["ABCD0861.RVX: saved, name ABCD0861.RVX -> 测站0861.RVX, "
                                         "height 1.500 -> -1.600"]))
        self.assertIn("测站0861.RVX", self.files())

    def test_dry_run_and_unchanged_fields_touch_nothing(self):
        self.write("ABCD0861.RVX")
        before = self.files()
        for args, line in [(["--dry-run", "--point", "P", "--height", "2"], "would save, name "
                            "ABCD0861.RVX -> P0861.RVX, height 1.500 -> 2.000"),
                           (["--point", "ABCD", "--height", "1.500"], "unchanged")]:
            rc, out, _ = self.run_tool("set", *args, "ABCD0861.RVX")
            self.assertEqual((rc, out), (0, ["ABCD0861.RVX: " + line]))
        self.assertEqual(self.files(), before)

    def test_output_that_cannot_be_written_fails(self):
        self.write("ABCD0861.RVX")
        for stdout, args in [("full", ["show", "--json"]), ("closed", ["show"]),
                             ("full", ["set", "--height", "2"])]:
            rc, _, err = self.run_tool(*args, "ABCD0861.RVX", stdout=stdout)
            self.assertEqual(rc, 1, args)
            self.assertIn("rvxedit: cannot write standard output: ", err, args)

    def test_what_is_not_a_regular_file_is_refused_without_waiting(self):
        os.mkfifo(os.path.join(self.dir, "F0861.RVX"))
        rc, out, err = self.run_tool("show", "F0861.RVX", "/dev/zero")
        self.assertEqual((rc, out), (1, []))
        self.assertEqual(err.count(": cannot open the raw file"), 2, err)
        if not RUNNER:  # a log or a record that is a pipe or a device is refused, not waited on
            for args in (["apply", "F0861.RVX"], ["apply", "/dev/zero"], ["undo", "F0861.RVX"]):
                rc, out, err = self.run_tool(*args)
                self.assertEqual((rc, out), (1, []), args)
                self.assertIn(": cannot read the ", err, args)

    def test_windows_program_expands_wildcards(self):
        if not RUNNER:
            self.skipTest("the POSIX shell expands patterns itself")
        for name in ["ABCD0861.RVX", "ABCE0861.RVX", "XYZW0861.RVX"]:
            self.write(name)
        rc, out, _ = self.run_tool("show", "AB*.RVX")
        self.assertEqual(sorted(l.split(":")[0] for l in out), ["ABCD0861.RVX", "ABCE0861.RVX"])

    def test_apply_saves_the_rows_of_a_log(self):
        for name in ["rx1/ABCD0861.RVX", "rx1/ABCD0862.RVX", "rx2/WXYZ0861.RVX"]:
            self.write(name)
        absolute = os.path.join(self.dir, "rx2", "WXYZ0861.RVX")
        self.write("day1/log.csv", (
            '\ufeffop,File,point,height,remarks\r\nLi,../rx1/ABCD0861.RVX,BM01,1.602,"windy,\r\n'
            f'""gusts"""\r\n,,,,\r\nLi,../rx1/ABCD0862.RVX,BM02,,\r\nWang,{absolute},,1.475,\r\n'
        ).encode())
        before = self.files()
        expected = [
            "day1/../rx1/ABCD0861.RVX: saved, name ABCD0861.RVX -> BM010861.RVX, height 1.500 -> 1.602",
            "day1/../rx1/ABCD0862.RVX: saved, name ABCD0862.RVX -> BM020862.RVX, height 1.500 -> 1.500",
            f"{absolute}: saved, name WXYZ0861.RVX -> WXYZ0861.RVX, height 1.500 -> 1.475"]
        read = ["day1/log.csv: read as UTF-8, from its byte-order mark"]
        rc, out, _ = self.run_tool("apply", "--dry-run", "day1/log.csv")
        self.assertEqual((rc, out), (0, read + [l.replace(" saved", " would save") for l in expected]))
        self.assertEqual(self.files(), before)
        self.assertEqual(self.run_tool("apply", "day1/log.csv")[:2], (0, read + expected))
        self.assertEqual(sorted(k for k in self.files() if k.startswith("rx")),
                         ["rx1/BM010861.RVX", "rx1/BM020862.RVX", "rx2/WXYZ0861.RVX"])

    def test_heights_in_millimetres_are_refused_unless_max_height_allows_them(self):
        self.write("ABCD0861.RVX")
        before = self.files()
        rc, out, err = self.run_tool("set", "--height", "1600", "ABCD0861.RVX")
        self.assertEqual((rc, out), (2, []))
        self.assertIn("rvxedit: 1600 m? Should it be 1.600 m? (if it is metres, allow it with "
                      "--max-height METRES)", err)
        self.write("log.csv", b"file,height1,height2\nABCD0861.RVX,1602,1602\n")
        rc, out, err = self.run_tool("apply", "log.csv")
        self.assertEqual(rc, 1)
        self.assertIn("row 2: ABCD0861.RVX: 1602 m? Should it be 1.602 m?", err)
        self.assertEqual(self.files(), dict(before, **{"log.csv": self.files()["log.csv"]}))
        rc, _, err = self.run_tool("set", "--max-height", "-1", "--height", "2", "ABCD0861.RVX")
        self.assertEqual(rc, 2)
        self.assertIn("--max-height takes a number of metres, 0 or more", err)
        rc, out, _ = self.run_tool("apply", "--max-height", "2000", "log.csv")
        self.assertEqual((rc, out), (0, ["log.csv: read as UTF-8",
                                         "ABCD0861.RVX: saved, name ABCD0861.RVX -> "
                                          "ABCD0861.RVX, height 1.500 -> 1602.000"]))

    def test_apply_changes_nothing_when_any_row_fails(self):
        for name in ["ABCD0861.RVX", "EFGH0861.RVX", "sub/ABCD0861.RVX"]:
            self.write(name)
        before = self.files()
        for log, problems in [
            ("file,point,height\nABCD0861.RVX,Q,1.6\nNOPE.RVX,,\nEFGH0861.RVX,,1,5\n",
             ["row 3: NOPE.RVX: cannot open the raw file", "rows with problems: 2",
              "row 4: EFGH0861.RVX: the row has 4 cells, the first row only 3"]),
            ("file,point\nABCD0861.RVX,P\nEFGH0861.RVX,p\n",
             ["row 3: EFGH0861.RVX: row 2 ends at the same name: p0861.RVX"]),
            ("file,point\nABCD0861.RVX,EFGH\n",
             ["row 2: ABCD0861.RVX: the target file already exists"]),
            ('file\n"ABCD0861.RVX\n', ["log.csv, row 2: a quoted cell is never closed"]),
            ("point\nX\n", ['log.csv, row 1: the first row names no "file" column']),
            ("file\nsub\n", ["row 2: sub: this is a folder; give -r"]),
            # A row refused for its own problem still clashes; CR-only line ends count rows.
            ("file,height\rABCD0861.RVX,x\rABCD0861.RVX,1.6\rNOPE.RVX,\r",
             ['row 2: ABCD0861.RVX: the reading "x" is not a decimal number',
              "row 3: ABCD0861.RVX: the same file as row 2", "rows with problems: 3",
              "row 4: NOPE.RVX: cannot open the raw file: "]),
            ("file,point,height\nABCD0861.RVX,.,\nEFGH0861.RVX,A\x7f,99999999999999999999\n",
             ['row 2: ABCD0861.RVX: the point name cannot be "." or ".."',
              "row 3: EFGH0861.RVX: the point name holds U+007F"]),
            ("file,height 1,height 2\nEFGH0861.RVX,1,99999999999999999999\n",
             ['row 2: EFGH0861.RVX: the reading "99999999999999999999" is out of range']),
            ("file,point\n\n\n", ["log.csv: the log has no rows"])]:
            self.write("log.csv", log.encode())
            rc, out, err = self.run_tool("apply", "log.csv")
            self.assertEqual(rc, 1, log)
            self.assertEqual(out, ["log.csv: read as UTF-8"], log)  # said however it fails
            for problem in problems:
                self.assertIn(problem, err)
            self.assertEqual(self.files(), dict(before, **{"log.csv": log.encode()}))

    def test_the_record_is_refused_unless_it_is_a_record(self):
        self.write("ABCD0861.RVX")
        self.write("log.csv", b"file,point\nABCD0861.RVX,P\n")
        self.write("other.csv", b"a,b\n")
        links = {"link.csv": "not a change record but a raw file",
                 "log.csv": "the change record cannot be the field log or record being read",
                 "other.csv": "not a change record (its first line"}
        if os.name != "nt":
            os.symlink("ABCD0861.RVX", os.path.join(self.dir, "link.csv"))
        else:
            links.pop("link.csv")
        before = self.files()
        for record, problem in links.items():
            for dry in ([], ["--dry-run"]):
                rc, out, err = self.run_tool("apply", *dry, "--record", record, "log.csv")
                self.assertEqual((rc, out), (1, ["log.csv: read as UTF-8"]), (record, dry, err))
                self.assertIn(f"{record}: {problem}", err)
                self.assertEqual(self.files(), before)

    def test_recursive_folders(self):
        for name in ["d/b/Z0861.rvx", "d/.h/Y0861.RVX", "d/A0861.RVX", "d/notes.txt"]:
            self.write(name)
        rc, out, _ = self.run_tool("show", "--json", "-r", "d")
        self.assertEqual([r["path"].replace("\\", "/") for r in json.loads("\n".join(out))],
                         ["d/.h/Y0861.RVX", "d/A0861.RVX", "d/b/Z0861.rvx"])
        self.write("log.csv", b"file,height\nd,2\n")
        rc, out, _ = self.run_tool("apply", "-r", "log.csv")
        self.assertEqual((rc, len(out)), (0, 4))

    def test_messages_follow_the_locale_unless_lang_says(self):
        for lc_all, args, expected in [
            ("zh_CN.UTF-8", ["show", "NOPE.RVX"], "rvxedit: NOPE.RVX: 打开RVX文件失败："),
            ("zh_CN.UTF-8", ["show", "--lang", "en", "NOPE.RVX"], "NOPE.RVX: cannot open the"),
            ("C.UTF-8", ["--lang=zh", "set", "--height", "1,5", "X"],
             "天线高不是有效的数字，请输入以米为单位的天线高\n用“rvxedit --help”查看更多信息。"),
            ("en_US.UTF-8", ["set", "--height", "1,5", "X"], "rvxedit: the antenna height is not a "
             "valid number; give it in metres\nTry 'rvxedit --help' for more information.\n")]:
            self.assertIn(expected, self.run_tool(*args, lc_all=lc_all)[2].replace("\r\n", "\n"))
        self.assertEqual(self.run_tool("--help", lc_all="zh_TW.UTF-8")[1][0], "用法：")
        # JSON's error stays English, for programs; its message follows the language.
        report = json.loads("\n".join(self.run_tool("show", "--json", "NOPE.RVX", lc_all="zh_CN.UTF-8")[1]))
        self.assertEqual((report[0]["error"], report[0]["message"][:10]), ("cannot open the raw file", "打开RVX文件失败："))

    def test_logs_as_spreadsheets_save_them(self):
        for name in ["ABCD0861.RVX", "ABCD0862.RVX", "ABCD0863.RVX"]:
            self.write(name)
        # Read with nothing named, each says what it was read as (GBK by its plausibility
        # against the system's own code page on Windows, and with the detector on Linux).
        for log, read, line in [
                ("gbk.csv", "GB18030", "name ABCD0861.RVX -> 测站010861.RVX, height 1.500 -> 1.602"),
                ("latin1252.csv", "windows-1252",
                 "name ABCD0861.RVX -> Höhe10861.RVX, height 1.500 -> 1.602"),
                ("utf16le.txt", "UTF-16 LE, from its byte-order mark",
                 "name ABCD0861.RVX -> 测站010861.RVX, height 1.500 -> 1.602"),
                ("semicolon.csv", "windows-1252",
                 "name ABCD0861.RVX -> BM010861.RVX, height 1.500 -> 1.602"),
                ("slant.csv", "UTF-8", "name ABCD0861.RVX -> ABCD0861.RVX, height 1.500 -> 1.650")]:
            shutil.copy(os.path.join(LOGS, log), self.dir)
            rc, out, err = self.run_tool("apply", "--dry-run", log)
            if RUNNER and out[:1] == [f"{log}: read as GBK"]:  # Wine has no code page 54936
                read = "GBK"
            self.assertEqual((rc, out[:2]), (0, [f"{log}: read as {read}",
                                                 f"ABCD0861.RVX: would save, {line}"]), err)
        # What the bytes do not show for certain is refused, as is a byte-order mark against
        # --encoding and a file that is no text.
        self.write("cyrillic.csv", "file,point\nABCD0861.RVX,Иванов\n".encode("cp1251"))
        self.write("raw.csv")
        before = self.files()
        for args, problem in [
                (["cyrillic.csv"], "cyrillic.csv: not UTF-8, and its bytes do not show for certain "
                 "which encoding it is in; name it with --encoding: gbk, windows-1252, system, "
                 "utf-8, utf-16 or utf-16be"),
                (["--encoding", "gbk", "utf16le.txt"], "utf16le.txt: its byte-order mark says "
                 "UTF-16 LE, but GB18030 was chosen; leave out --encoding to read it by its mark"),
                (["raw.csv"], "raw.csv, row 7: not text: it holds the control character 0x00")]:
            rc, out, err = self.run_tool("apply", *args)
            err = err.replace("\r\n", "\n").replace("but GBK was", "but GB18030 was")
            self.assertEqual((rc, out, err), (1, [], f"rvxedit: {problem}\n"))
        self.assertEqual(self.files(), before)
        self.assertEqual(self.run_tool("apply", "--dry-run", "--encoding", "windows-1252",
                                       "cyrillic.csv")[1][0], "cyrillic.csv: read as windows-1252")
        self.write("log.csv", b"file;height 1;height 2\nABCD0861.RVX;1,600;1,6031\n")
        self.assertIn("row 2: ABCD0861.RVX: the readings 1,600, 1,6031 disagree by more than 0.003 m",
                      self.run_tool("apply", "log.csv")[2])

    def test_readme_examples_of_logs_and_undo_run_as_shown(self):
        if RUNNER:
            self.skipTest("the README shows the Linux program")
        with open(os.path.join(SOURCE, "README.md"), encoding="utf-8") as f:
            readme = f.read()
        section = readme[readme.index("### Logs from spreadsheets"):readme.index("## Known limits")]
        for name in os.listdir(LOGS):
            shutil.copy(os.path.join(LOGS, name), self.dir)
        for name in ["ABCD0861.RVX", "ABCD0862.RVX", "ABCD0863.RVX"]:
            self.write(name)
        for block in re.findall(r"```console\n(.*?)```", section, re.S):
            for command in re.split(r"^\$ ", block, flags=re.M)[1:]:
                line, *expected = command.rstrip("\n").split("\n")
                _, out, err = self.run_tool(*line.split()[1:])
                self.assertEqual(out + err.splitlines(),
                                 [e.replace("/tmp/survey", self.dir) for e in expected], line)

    def test_undo_lists_what_blocks_it_and_can_put_back_the_rest(self):
        original = self.write("A0861.RVX")
        self.write("B0861.RVX")
        self.assertEqual(self.run_tool("set", "--height", "1.7", "--record", "rec.csv",
                                       "A0861.RVX", "B0861.RVX")[0], 0)
        self.assertEqual(self.run_tool("set", "--height", "1.9", "B0861.RVX")[0], 0)
        changed = self.files()
        rc, out, err = self.run_tool("undo", "rec.csv")
        self.assertEqual((rc, out, self.files()), (1, [], changed))
        self.assertRegex(err, r"rec\.csv, row 3: .*B0861\.RVX: changed since the record was "
                              r"written: its header is not one the record gives it \(it now has "
                              r"height 1\.900, the record 1\.700\)\r?\n")
        self.assertIn("nothing was changed; files with problems: 1 (--skip-changed puts back the "
                      "others)", err)
        self.assertEqual(self.run_tool("undo", "--dry-run", "--skip-changed", "rec.csv")[0], 1)
        self.assertEqual(self.files(), changed)
        rc, out, err = self.run_tool("undo", "--skip-changed", "rec.csv")
        self.assertEqual((rc, len(out)), (1, 1))
        self.assertIn("1 of 2 files were not put back: their problems are listed above", err)
        self.assertEqual(self.files(), dict(changed, **{"A0861.RVX": original}))
        self.write("empty.csv", b"")
        self.assertEqual(self.run_tool("undo", "empty.csv")[:2],
                         (0, ["empty.csv: the change record holds no changes; nothing to undo"]))


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv[1])
    RUNNER = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
    unittest.main(argv=sys.argv[:1], verbosity=2)
