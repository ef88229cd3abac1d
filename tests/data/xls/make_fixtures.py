#!/usr/bin/python3
"""Writes the .xls fixtures with python3-xlwt, and the texts a spreadsheet
shows for every cell (NAME.expected.tsv: page, cell, text). LibreOffice and
Gnumeric copies are made from these by make_fixtures.sh."""
import datetime
import sys

import xlwt

out = sys.argv[1] if len(sys.argv) > 1 else "."


def ref(r, c):
    s = ""
    c += 1
    while c:
        c, rem = divmod(c - 1, 26)
        s = chr(65 + rem) + s
    return "%s%d" % (s, r + 1)


def esc(t):
    return t.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


class Book:
    def __init__(self, name):
        self.name = name
        self.wb = xlwt.Workbook(encoding="utf-8")
        self.expected = []
        self.page = -1

    def sheet(self, caption):
        self.page += 1
        return self.wb.add_sheet(caption, cell_overwrite_ok=True)

    def put(self, ws, r, c, value, shown, style=None):
        if style is None:
            ws.write(r, c, value)
        else:
            ws.write(r, c, value, style)
        if shown != "":
            self.expected.append((self.page, ref(r, c), shown))

    def save(self):
        self.wb.save("%s/%s.xls" % (out, self.name))
        with open("%s/%s.expected.tsv" % (out, self.name), "w", encoding="utf-8") as f:
            for p, a, t in self.expected:
                f.write("%d\t%s\t%s\n" % (p, a, esc(t)))


def fmt(code):
    return xlwt.easyxf(num_format_str=code)


b = Book("xlwt_types")
ws = b.sheet("Types")
b.put(ws, 0, 0, "Text", "Text", xlwt.easyxf("font: bold on; align: horiz center"))
b.put(ws, 0, 1, "Number", "Number", xlwt.easyxf("font: italic on, colour red"))
b.put(ws, 0, 2, "Format", "Format", xlwt.easyxf("pattern: pattern solid, fore_colour bright_green"))
b.put(ws, 0, 3, "Shown", "Shown", xlwt.easyxf("align: vert center, horiz right"))
texts = ["plain", "Grüße aus Köln", "Ω ≥ 10 kΩ 漢字", "two\nlines", "  padded  ", "=not a formula", "'quoted'", "12"]
for i, t in enumerate(texts):
    b.put(ws, 1 + i, 0, t, t)
# (value, format, shown) in the C locale
numbers = [
    (0, "General", "0"),
    (42, "General", "42"),
    (-7, "General", "-7"),
    (0.1, "General", "0.1"),
    (1.0 / 3, "General", "0.333333333333333"),
    (-2.5, "General", "-2.5"),
    (123456789012, "General", "123456789012"),
    (1e20, "General", "1E+20"),
    (1.5e-7, "General", "1.5E-07"),
    (3.14159, "0", "3"),
    (2.5, "0.00", "2.50"),
    (-1234.567, "0.00", "-1234.57"),
    (1234567, "#,##0", "1,234,567"),
    (1234.5, "#,##0.00", "1,234.50"),
    (0.125, "0%", "13%"),
    (0.12345, "0.00%", "12.35%"),
    (12345.678, "0.00E+00", "1.23E+04"),
    (45306, "YYYY-MM-DD", "2024-01-15"),
    (45306.75, "DD.MM.YYYY HH:MM", "15.01.2024 18:00"),
    (0.5208333333333334, "h:mm:ss", "12:30:00"),
    (45306, "D-MMM-YY", "15-Jan-24"),
    (-3.5, "0.0;(0.0)", "(3.5)"),
    (7, '"Qty "0', "Qty 7"),
]
for i, (v, code, shown) in enumerate(numbers):
    b.put(ws, 1 + i, 1, v, shown, fmt(code))
    b.put(ws, 1 + i, 2, code, code)
b.put(ws, 1, 3, True, "TRUE")
b.put(ws, 2, 3, False, "FALSE")
ws.write_merge(30, 31, 0, 2, "merged block", xlwt.easyxf("align: horiz center, vert center"))
b.expected.append((0, "A31", "merged block"))
ws.col(0).width = 256 * 20
ws.col(2).width = 256 * 5
ws.row(3).height_mismatch = True
ws.row(3).height = 600
ws2 = b.sheet("Ünïcode Σheet")
# Enough text to spill the shared strings over several CONTINUE records,
# with long strings split inside their characters, narrow and wide.
b.put(ws2, 0, 0, "x" * 9000, "x" * 9000)
b.put(ws2, 1, 0, "Ж" * 6000, "Ж" * 6000)
for i in range(150):
    t = ("row %d " % i) + ("абв" if i % 3 == 0 else "abc") * 20
    b.put(ws2, 2 + i, i % 7, t, t)
b.put(ws2, 65535, 255, "last cell", "last cell")
b.wb.active_sheet = 1
ws2.set_selected(True)
ws.set_selected(False)
b.save()

# Formulas whose cached results LibreOffice and Gnumeric write: the sheet
# is made by LibreOffice from this CSV.
with open("%s/formulas.csv" % out, "w") as f:
    f.write("a,b,c,d\n1,2,=A2+B2,=A1&B1\n=1/0,=B2>A2,=A2*0.5,=NA()\n3.25,=B2/3,=TRUE(),=C2&\"\"\n")
with open("%s/formulas.expected.tsv" % out, "w") as f:
    for p, a, t in [(0, "A1", "a"), (0, "B1", "b"), (0, "C1", "c"), (0, "D1", "d"),
                    (0, "A2", "1"), (0, "B2", "2"), (0, "C2", "3"), (0, "D2", "ab"),
                    (0, "A3", "#DIV/0!"), (0, "B3", "TRUE"), (0, "C3", "0.5"), (0, "D3", "#N/A"),
                    (0, "A4", "3.25"), (0, "B4", "0.666666666666667"), (0, "C4", "TRUE"), (0, "D4", "3")]:
        f.write("%d\t%s\t%s\n" % (p, a, t))
