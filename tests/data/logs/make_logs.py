#!/usr/bin/env python3
"""Writes the small field logs the tests read, as a real spreadsheet program saves them.

Each log is a sheet that LibreOffice Calc (headless; Debian's libreoffice-calc-nogui) takes in
and saves as CSV in the encoding, separator and locale of its case. The logs are committed, so
the tests need no spreadsheet program and a change shows in review. Run it from this folder.
"""
import os
import shutil
import subprocess
import tempfile

# Calc's numbers for character sets in its CSV filter options.
MS_936, MS_1252, UTF8, UTF16 = 61, 1, 76, 65535

LOGS = {
    # Chinese Excel's "CSV (comma delimited)": code page 936 (GBK), Chinese names and remarks.
    "gbk.csv": (MS_936, ",", "en-US", None, [
        ["文件", "file", "point", "height", "备注"],
        ["一号", "ABCD0861.RVX", " 测站01 ", "1.602", "北风"],
        ["二号", "ABCD0862.RVX", "基准点", "1.475", ""]]),
    # A Western spreadsheet's CSV in windows-1252, every letter beyond ASCII inside a word.
    "latin1252.csv": (MS_1252, ",", "en-US", None, [
        ["file", "point", "height"],
        ["ABCD0861.RVX", "Höhe1", "1.602"],
        ["ABCD0862.RVX", "Crête", "1.475"],
        ["ABCD0863.RVX", "Müller", "1.5"]]),
    # A German spreadsheet: windows-1252, semicolons, decimal commas; three readings before the
    # observation and three after.
    "semicolon.csv": (MS_1252, ";", "de-DE", None, [
        ["file", "point", "height before 1", "height before 2", "height before 3",
         "height after 1", "height after 2", "height after 3", "opérateur"],
        ["ABCD0861.RVX", "BM01", "1.602", "1.603", "1.601", "1.602", "1.604", "1.602", "Zoë"]]),
    # "Unicode text": UTF-16 LE with a byte-order mark, tabs.
    "utf16le.txt": (UTF16, "\t", "en-US", None, [
        ["file", "point", "height"],
        ["ABCD0861.RVX", "测站01", "1.602"]]),
    # The same as other programs write it: without the byte-order mark.
    "utf16-nomark.txt": (UTF16, "\t", "en-US", "strip", [
        ["file", "point", "height"],
        ["ABCD0862.RVX", "基准点", "1.475"]]),
    # UTF-8 without a mark, and with one (as Excel's "CSV UTF-8" writes it).
    "utf8.csv": (UTF8, ",", "en-US", None, [
        ["file", "point", "height", "remark"],
        ["ABCD0861.RVX", "Höhe1", "1.602", "Crête, Müller"]]),
    "utf8-mark.csv": (UTF8, ",", "en-US", "add", [
        ["file", "point", "height"],
        ["ABCD0861.RVX", "测站01", "1.602"]]),
    # Slant readings to the antenna's rim, with its radius and the reference point's offset.
    "slant.csv": (UTF8, ",", "en-US", None, [
        ["file", "slant1", "slant2", "slant3", "radius", "offset"],
        ["ABCD0861.RVX", "1.652", "1.651", "1.653", "0.0825", "0"]]),
}

PROFILE = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry">
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" oor:op="fuse">
<value>{}</value></prop></item>
</oor:items>
"""


def save_as_csv(work, name, charset, separator, locale, rows):
    """Has Calc, in a profile of `locale`, read the rows and save them as `name`."""
    profile = os.path.join(work, "profile-" + locale)
    os.makedirs(os.path.join(profile, "user"), exist_ok=True)
    with open(os.path.join(profile, "user", "registrymodifications.xcu"), "w") as f:
        f.write(PROFILE.format(locale))
    # The sheet's cells as Calc takes them in: UTF-8, tab-separated, numbers with a point.
    source = os.path.join(work, os.path.splitext(name)[0] + ".tsv")
    with open(source, "w", encoding="utf-8") as f:
        f.write("".join("\t".join(row) + "\n" for row in rows))
    out = os.path.join(work, "out")
    # Options: separator, quote, character set, first line; then language, quote only the
    # cells that need it, and save the cells as shown.
    options = f"{ord(separator)},34,{charset},1,,0,false,true,true"
    subprocess.run(["soffice", f"-env:UserInstallation=file://{profile}", "--headless",
                    "--infilter=CSV:9,34,76,1,,1033", "--convert-to",
                    f"csv:Text - txt - csv (StarCalc):{options}", "--outdir", out, source],
                   check=True, stdout=subprocess.DEVNULL, timeout=600)
    with open(os.path.join(out, os.path.splitext(name)[0] + ".csv"), "rb") as f:
        return f.read()


def main():
    work = tempfile.mkdtemp(prefix="make-logs-")
    try:
        for name, (charset, separator, locale, mark, rows) in LOGS.items():
            data = save_as_csv(work, name, charset, separator, locale, rows)
            if mark == "strip":
                data = data[2:] if data[:2] in (b"\xff\xfe", b"\xfe\xff") else data
            elif mark == "add":
                data = b"\xef\xbb\xbf" + data
            with open(name, "wb") as f:
                f.write(data)
    finally:
        shutil.rmtree(work, True)


if __name__ == "__main__":
    main()
