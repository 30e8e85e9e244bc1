#!/usr/bin/python3
"""Prints what an Excel workbook holds, read with openpyxl (a reader that
shares nothing with the writer under test), one line per row:

    sheet NAME frozen=A2 filter=A1:C3 widths=20,9,9
    'Date Time' | 'T1' | 'T2'
    2019-01-15 13:05:00{mm\\/dd\\/yyyy hh:mm:ss} | 71.2{0.00} | 'OFF' | _

A date-time or number is followed by its number format (unless General),
text is quoted, an empty cell is _.
"""
import datetime
import sys

import openpyxl
from openpyxl.utils import get_column_letter


def cell_text(cell):
    value = cell.value
    if value is None:
        return "_"
    if isinstance(value, str):
        return repr(value)
    shown = value.isoformat(sep=" ") if isinstance(value, datetime.datetime) else repr(value)
    if cell.number_format != "General":
        shown += "{" + cell.number_format + "}"
    return shown


def main(path):
    book = openpyxl.load_workbook(path)
    for sheet in book.worksheets:
        widths = [sheet.column_dimensions[get_column_letter(i)].width for i in range(1, sheet.max_column + 1)]
        print(f"sheet {sheet.title} frozen={sheet.freeze_panes} filter={sheet.auto_filter.ref} "
              f"widths={','.join('%d' % w for w in widths)}")
        for row in sheet.iter_rows():
            print(" | ".join(cell_text(cell) for cell in row))


if __name__ == "__main__":
    main(sys.argv[1])
