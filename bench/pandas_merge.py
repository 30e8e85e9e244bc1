#!/usr/bin/python3
"""The merge an engineer would otherwise script with pandas: read each logger
file with its time stamps parsed, resample onto the grid (label and closed on
the right, mean), join all columns, write one CSV.

    pandas_merge.py OUTPUT.csv RULE FILE...      e.g. RULE = 1min, 5min
"""
import sys

import pandas as pd


def read_logger(path):
    # Explicit formats: the fastest way pandas has to parse these stamps.
    frame = pd.read_csv(path)
    if frame.columns[0] == "Date" and frame.columns[1] == "Time":
        stamps = pd.to_datetime(frame.pop("Date") + " " + frame.pop("Time"), format="%m/%d/%Y %H:%M:%S")
    else:
        text = frame.pop(frame.columns[0]).astype(str)
        fmt = "%Y-%m-%dT%H:%M:%SZ" if "T" in text.iloc[0] else "%Y%m%d-%H:%M:%S"
        stamps = pd.to_datetime(text, format=fmt)
    frame.index = stamps
    return frame


def main():
    output, rule, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    parts = [read_logger(p).resample(rule, label="right", closed="right").mean() for p in files]
    merged = pd.concat(parts, axis=1, join="outer")
    merged.to_csv(output, float_format="%.2f")


if __name__ == "__main__":
    main()
