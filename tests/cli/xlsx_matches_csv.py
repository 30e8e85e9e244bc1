#!/usr/bin/python3
"""Saves the example loggers as CSV and as Excel workbooks with tsl, in the
same runs, and reads both back independently: the workbook must hold the
CSV's date-times, numbers, texts and blanks, line for line.

    xlsx_matches_csv.py TSL EXAMPLES_DIR
"""
import datetime
import math
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl

# How each date layout's text reads back, date and time as one text.
LAYOUTS = {
    0: "%d/%m/%Y %H:%M:%S", 1: "%m/%d/%Y %H:%M:%S", 2: "%d/%m/%y %H:%M:%S", 3: "%m/%d/%y %H:%M:%S",
    4: "%Y/%m/%d %H:%M:%S", 5: "%y%m%d-%H:%M:%S", 6: "%Y%m%d-%H:%M:%S", 7: "%Y%m%d-%H%M%S",
    10: "%Y-%m-%dT%H:%M:%S", 11: "%Y%m%dT%H%M%S", 12: "%y%m%d, %H%M%S",
}

READ_ALL = ["--interval", "4", "--read-template", "labels.csv", "--date-format", "1", "--read", "ahu_trend.csv",
            "--date-format", "6", "--read", "vav_logger.csv", "--date-format", "10", "--read", "plant_meter.csv"]

# Each case: the arguments before the saves, the layout saved in, the
# delimiter, whether date and time are two fields.
CASES = [
    ("three loggers, output template",
     ["--output-template", "output_labels.csv"] + READ_ALL + ["--date-format", "1"], 1, ",", True),
    ("text states and blanks, no time delimiter",
     ["--interval", "2", "--date-format", "6", "--read", "vav_logger.csv", "--delimiter", ";",
      "--time-delimiter", "off"], 6, ";", False),
    ("converted numbers, dates from a start date",
     ["--interval", "1", "--date-format", "1", "--read", "ahu_trend.csv", "--conversion", "2", "--convert",
      "--write-date-from", "on", "--start-date", "2030-12-31", "--date-format", "12"], 12, ",", True),
    ("split by day",
     ["--interval", "6", "--date-format", "10", "--read", "plant_meter.csv", "--split", "1"], 10, ",", False),
]


def csv_rows(path, layout, delimiter, two_fields):
    with open(path, newline="") as f:
        lines = f.read().split("\r\n")
    rows = []
    for line in lines[1:]:
        if not line:
            continue
        fields = line.split(delimiter)
        if two_fields and layout <= 4:
            text, cells = fields[0] + " " + fields[1], fields[2:]
        elif layout == 12 and delimiter == ",":  # "yymmdd, HHMMSS" holds the delimiter
            text, cells = fields[0] + "," + fields[1], fields[2:]
        else:
            text, cells = fields[0], fields[1:]
        rows.append((datetime.datetime.strptime(text, LAYOUTS[layout]), cells))
    return rows


def as_number(text):
    try:
        value = float(text.strip())
    except ValueError:
        return None
    return value if math.isfinite(value) else None


def compare(csv_path, xlsx_path, layout, delimiter, two_fields):
    expected = csv_rows(csv_path, layout, delimiter, two_fields)
    book = openpyxl.load_workbook(xlsx_path, read_only=True)
    got = [row for sheet in book.worksheets for row in list(sheet.iter_rows(values_only=True))[1:]]
    assert len(got) == len(expected), f"{xlsx_path}: {len(got)} rows, the CSV has {len(expected)}"
    assert len(got) > 0, f"{xlsx_path}: no rows"
    for number, ((when, cells), row) in enumerate(zip(expected, got), start=2):
        where = f"{os.path.basename(xlsx_path)} row {number}"
        assert row[0] == when, f"{where}: date-time {row[0]!r}, the CSV has {when}"
        values = list(row[1:])
        # A CSV line whose last cell is not written ends with a delimiter.
        assert all(text == "" for text in cells[len(values):]), f"{where}: cells beyond the columns"
        for text, value in zip(cells, values):
            if text == "":
                assert value is None, f"{where}: {value!r} for a blank"
            elif as_number(text) is not None:
                assert value == as_number(text), f"{where}: {value!r} for {text!r}"
            else:
                assert value == text, f"{where}: {value!r} for {text!r}"


def main(tsl, examples):
    checked = 0
    for name, arguments, layout, delimiter, two_fields in CASES:
        with tempfile.TemporaryDirectory() as work:
            for f in os.listdir(examples):
                shutil.copy(os.path.join(examples, f), work)
            run = subprocess.run([tsl] + arguments + ["--save-csv", "merged.csv", "--save-xlsx", "merged.xlsx"],
                                 cwd=work, capture_output=True, text=True)
            assert run.returncode == 0, f"{name}: tsl ended {run.returncode}\n{run.stdout}{run.stderr}"
            csvs = sorted(f for f in os.listdir(work) if f.startswith("merged") and f.endswith(".csv"))
            assert csvs, f"{name}: no CSV written"
            for csv in csvs:
                xlsx = csv[:-4] + ".xlsx"
                assert os.path.exists(os.path.join(work, xlsx)), f"{name}: {xlsx} missing"
                compare(os.path.join(work, csv), os.path.join(work, xlsx), layout, delimiter, two_fields)
                checked += 1
    print(f"{checked} workbooks hold what their CSV files hold")


if __name__ == "__main__":
    main(os.path.abspath(sys.argv[1]), sys.argv[2])
