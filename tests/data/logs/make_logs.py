#!/usr/bin/env python3
"""Writes the small field logs the tests read, byte for byte as spreadsheets save them.

Run it from this folder; the logs are committed, so that a change to it shows in review.
"""

LOGS = {
    # Chinese Excel's "CSV (comma delimited)": GBK, no byte-order mark, CR LF.
    "gbk.csv": ("gbk", "\r\n", ",", [
        ["文件", "file", "point", "height", "备注"],
        ["一号", "ABCD0861.RVX", " 测站01 ", "1.602", "北风"],
        ["二号", "ABCD0862.RVX", "基准点", "1.475", ""]]),
    # Excel's "Unicode text": UTF-16 LE with a byte-order mark, tabs, CR LF.
    "utf16le.txt": ("utf-16", "\r\n", "\t", [
        ["file", "point", "height"],
        ["ABCD0861.RVX", "测站01", "1.602"]]),
    # European Excel: windows-1252, semicolons, decimal commas; three readings before the
    # observation and three after.
    "semicolon.csv": ("cp1252", "\r\n", ";", [
        ["file", "point", "height before 1", "height before 2", "height before 3",
         "height after 1", "height after 2", "height after 3", "opérateur"],
        ["ABCD0861.RVX", "BM01", "1,602", "1,603", "1,601", "1,602", "1,604", "1,602", "Zoë"]]),
    # Slant readings to the antenna's rim, with its radius and the reference point's offset.
    "slant.csv": ("utf-8", "\n", ",", [
        ["file", "slant1", "slant2", "slant3", "radius", "offset"],
        ["ABCD0861.RVX", "1.652", "1.651", "1.653", "0.0825", "0"]]),
}

for name, (encoding, newline, separator, rows) in LOGS.items():
    text = "".join(separator.join(row) + newline for row in rows)
    with open(name, "wb") as f:
        f.write(text.encode(encoding))
