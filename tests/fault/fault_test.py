#!/usr/bin/env python3
"""Fails, then kills, each file-system call of a save and of a three-row field log in turn, and
checks what is left: the exit status and the messages agree with the disk, every file is whole
(its header entirely old or entirely new, the data after byte 159 unchanged) under its old or
its new name, running the same command again finishes the job, and undo on the change record
then puts every file back as it was.

Usage: fault_test.py RVXEDIT FAULT_SHIM
"""
import concurrent.futures
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile

PROGRAM, SHIM = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
LINES = [b"VORTALIX COLLECTED DATA FILE", b"ver 2.0", b"ReceiverID:A1B2C3", b"Date:2026-03-27",
         b"Model:VX-10 GNSS"]
DATA = bytes(range(256)).replace(b"\n", b"") * 4


def block(height):
    text = b"".join(l + b"\r\n" for l in LINES + [b"AntHigh:%.3f" % height]).ljust(160, b"\0")
    return text[:130] + struct.pack("<i", round(height * 1000)) + text[134:]


# Each file: old name, new name, old height, new height.
SAVE = [("ABCD0861.RVX", "EFGH0861.RVX", 1.5, 1.6)]
LOG = [("ABCD0861.RVX", "EFGH0861.RVX", 1.5, 1.602), ("WXYZ0862.RVX", "WXYZ0862.RVX", 1.5, 1.475),
       ("KLMN0863.RVX", "BM030863.RVX", 1.3, 1.3)]
COMMANDS = {
    "set": (SAVE, ["set", "--record", "rec.csv", "--point", "EFGH", "--height", "1.6",
                   "ABCD0861.RVX"]),
    "apply": (LOG, ["apply", "--record", "rec.csv", "log.csv"]),
}
LOG_TEXT = b"file,point,height\nABCD0861.RVX,EFGH,1.602\nWXYZ0862.RVX,,1.475\nKLMN0863.RVX,BM03,\n"


def prepare(folder, files):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for i, (old, _, height, _) in enumerate(files):
        pathlib.Path(folder, old).write_bytes(block(height) + DATA[i:])
    pathlib.Path(folder, "log.csv").write_bytes(LOG_TEXT)


def run(folder, args, at=0, kill=False, count_file=""):
    env = dict(os.environ, LD_PRELOAD=SHIM, RVX_FAULT_DIR=folder, RVX_FAULT_AT=str(at),
               RVX_FAULT_KILL=str(int(kill)), RVX_FAULT_COUNT=count_file, LC_ALL="C.UTF-8",
               ASAN_OPTIONS="verify_asan_link_order=0:detect_leaks=0")
    r = subprocess.run([PROGRAM, "--lang", "en"] + args, cwd=folder, capture_output=True, env=env,
                       timeout=60)
    return r.returncode, r.stdout.decode(), r.stderr.decode()


def states(folder, files):
    """Each file's state: "old", "new", "written" (new header, old name); fails if it is lost,
    doubled, or holds anything else."""
    names = sorted(n for n in os.listdir(folder) if n.endswith(".RVX"))
    expected_names = set()
    result = []
    for i, (old, new, h0, h1) in enumerate(files):
        here = [n for n in dict.fromkeys((old, new)) if n in names]
        assert len(here) == 1, f"{old}: found as {here} among {names}"
        data = pathlib.Path(folder, here[0]).read_bytes()
        assert data[160:] == DATA[i:], f"{here[0]}: receiver data changed"
        head = data[:160]
        assert head in (block(h0), block(h1)), f"{here[0]}: header neither old nor new"
        expected_names.add(here[0])
        if head == block(h1) and here[0] == new:
            result.append("new")
        elif head == block(h1) and h0 != h1:
            result.append("written")
        else:
            assert here[0] == old or old == new, f"{here[0]}: renamed with the old header"
            result.append("old")
    assert set(names) == expected_names, f"unexpected files: {names}"
    return result


def check_messages(rc, out, err, files, st):
    for (old, _, h0, h1), s in zip(files, st):
        if f"{old}: saved" in out or f"{old}: not found; " in out:
            assert s == "new", f"{old}: reported saved but is {s}"
        if f"{old}: cannot open the file for writing" in err or \
                f"{old}: cannot read the file before writing" in err:
            assert s == "old", f"{old}: reported unchanged but is {s}"
        if f"{old}: the new header is saved, but the rename" in err:
            assert s == "written" or (s == "old" and h0 == h1), f"{old}: reported written but is {s}"
    if "\nrvxedit: nothing was changed" in "\n" + err:
        assert all(s == "old" for s in st), f"reported nothing changed: {st}"
    if rc == 0:
        assert all(s == "new" for s in st), f"exit 0 but {st}"


def one_case(scratch, name, files, args, at, kill):
    """Runs one faulted run and its rerun in a folder of its own; the failure text, or None."""
    folder = os.path.join(scratch, f"{name}-{at}-{int(kill)}") + "/"
    prepare(folder, files)
    rc, out, err = run(folder, args, at, kill)
    try:
        assert rc in (0, 1, -9), f"exit status {rc}: {err}"
        st = states(folder, files)
        if not kill:
            check_messages(rc, out, err, files, st)
        rc, out, err = run(folder, args)
        assert rc == 0, f"the rerun failed: {err}"
        assert states(folder, files) == ["new"] * len(files)
        rc, out, err = run(folder, ["undo", "rec.csv"])
        assert rc == 0, f"undo after the rerun failed: {err}"
        assert states(folder, files) == ["old"] * len(files), "undo left files changed"
    except AssertionError as e:
        return f"{name}, {'kill' if kill else 'fail'} at call {at}: {e}\nstdout: {out}\nstderr: {err}"
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return None


def main():
    scratch = tempfile.mkdtemp(prefix="rvx-fault-")
    try:
        cases = []
        for name, (files, args) in COMMANDS.items():
            folder = os.path.join(scratch, "count-run") + "/"
            prepare(folder, files)
            count_file = os.path.join(scratch, "count")
            rc, _, err = run(folder, args, count_file=count_file)
            assert rc == 0, err
            calls = int(pathlib.Path(count_file).read_text())
            assert calls > 10, f"{name}: only {calls} calls counted"
            print(f"{name}: {calls} calls, each failed and then killed in turn")
            cases += [(name, files, args, at, kill) for kill in (False, True)
                      for at in range(1, calls + 1)]
        with concurrent.futures.ThreadPoolExecutor(4) as pool:
            failures = [f for f in pool.map(lambda c: one_case(scratch, *c), cases) if f]
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    for f in failures[:5]:
        print("FAIL", f)
    print(f"{len(cases)} runs, {len(failures)} failed")
    sys.exit(1 if failures else 0)


main()
