#!/usr/bin/python3
"""Writes the demo import workbooks with the program's own xlstool:
a parameter sheet (element type fields in columns 0-4, annotated parameter
headers from column 5 on), a pin sheet and a case sheet.
Usage: make_demo.py PATH/TO/xlstool"""
import json
import os
import subprocess
import sys
import tempfile

xlstool = sys.argv[1]
here = os.path.dirname(os.path.abspath(__file__))

HEAD = {"bold": True, "hAlign": "center", "vAlign": "center", "fillColor": "#00ff00"}
FIXED = ["Name", "Marking", "Description", "Case", "Maker"]


def page(caption, header, rows, widths, header_style=HEAD):
    cells = []
    for c, t in enumerate(header):
        cells.append({"col": c, "row": 0, "text": t, "style": header_style})
    for r, row in enumerate(rows, start=1):
        for c, t in enumerate(row):
            if t != "":
                cells.append({"col": c, "row": r, "text": t})
    return {"caption": caption, "activeCell": [0, 1], "cells": cells,
            "columnWidths": {str(i): w for i, w in enumerate(widths)}, "rowHeights": {"0": 30}}


def annotated(upid, name, unit="", desc="", selval="", valtype="", cond="", flags=("", "", "", "")):
    return "|".join([upid, name, unit, desc, str(selval), valtype, cond] + list(flags))


resistors = page(
    "Resistors",
    FIXED + [annotated("R", "Resistance", "Ohm", "Nominal resistance", 2, "F"),
             annotated("TOL", "Tolerance", "%", "Resistance tolerance", 14, "F"),
             annotated("P", "Power", "W", "Rated power", 3, "F", "Ta=70C"),
             annotated("VMAX", "Max voltage", "V", "Maximum working voltage", 3, "F"),
             annotated("TCR", "Temperature coefficient", "", "ppm per kelvin", 9, "", "", ("", "", "", "SKIP"))],
    [["CRCW0805-10K", "10K", "Thick film chip resistor", "0805", "Vishay", "10000", "1", "0.125", "150", "-100...100"],
     ["CRCW0805-4K7", "4K7", "Thick film chip resistor", "0805", "Vishay", "4700", "1", "0.125|Ta=70C|W", "150", ""],
     ["RC1206FR-07100R", "101", "General purpose chip resistor", "1206", "Yageo", "100", "1", "0.25", "200", "+/-100"],
     ["RC1206JR-071M", "105", "General purpose chip resistor", "1206", "Yageo", "1000000", "5", "0.25", "200", ""],
     ["", "", "row without a name is skipped", "", "", "", "", "", "", ""],
     ["CRCW0805-UNKNOWNCASE", "", "Case not in the catalogue", "0603", "Vishay", "220", "1", "0.1", "75", ""]],
    [140, 70, 200, 60, 90, 180, 160, 150, 170, 200])

pins = page(
    "Pins SOIC-8",
    ["Number", "Name", "Description", "Assignment"],
    [["1", "OUT1", "Output 1", "2"], ["2", "IN1-", "Inverting input 1", "1"], ["3", "IN1+", "Non-inverting input 1", "1"],
     ["4", "GND", "Ground", "5"], ["5", "IN2+", "Non-inverting input 2", "1"], ["6", "IN2-", "Inverting input 2", "1"],
     ["7", "OUT2", "Output 2", "2"], ["8", "VCC", "Supply", "6"]],
    [70, 80, 200, 90])

cases = page(
    "Cases",
    ["DBID", "ID", "Type name", "Description", "Pin count", "Mount type", "PTT type", "PTT parameter"],
    [["1", "9", "SOT-223", "Small outline transistor, tab", "4", "1", "", ""],
     ["1", "10", "TO-220", "Through-hole power package", "3", "2", "", ""],
     ["1", "5", "SOIC-8", "Small outline, 8 leads, 1.27 mm pitch", "8", "1", "", ""]],
    [50, 50, 110, 240, 80, 90, 80, 110])

capacitors = page(
    "Capacitors",
    FIXED + [annotated("C", "Capacitance", "F", "Nominal capacitance", 2, "F"),
             annotated("U", "Rated voltage", "V", "DC working voltage", 3, "F"),
             annotated("DIEL", "Dielectric", "", "Dielectric material", 4, "S"),
             annotated("POL", "Polarized", "", "Polarity matters", 5, "B")],
    [["GRM21BR71H104KA01", "", "MLCC 100 nF 50 V X7R", "0805", "", "0.0000001", "50", "X7R", "no"],
     ["GRM31CR61A106KA01", "", "MLCC 10 uF 10 V X5R", "1206", "", "0.00001", "10", "X5R", "no"],
     ["EEE-1HA100SP", "", "Aluminium electrolytic 10 uF 50 V", "", "", "0.00001", "50", "Aluminium", "yes"]],
    [150, 70, 220, 60, 90, 160, 150, 140, 120])

books = {
    "demo_import.xls": {"activePage": 0, "pages": [resistors, pins, cases]},
    "demo_capacitors.xls": {"activePage": 0, "pages": [capacitors]},
}
with tempfile.TemporaryDirectory() as tmp:
    for name, book in books.items():
        src = os.path.join(tmp, name + ".json")
        with open(src, "w", encoding="utf-8") as f:
            json.dump(book, f, ensure_ascii=False)
        subprocess.run([xlstool, "build", src, os.path.join(here, name)], check=True)
        print("wrote", name)
