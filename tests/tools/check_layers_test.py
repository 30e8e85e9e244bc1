#!/usr/bin/env python3
"""Runs tools/check-layers over small source trees made here, one per rule.

    check_layers_test.py PATH-OF-CHECK-LAYERS
"""

import contextlib
import importlib.machinery
import importlib.util
import io
import os
import sys
import tempfile
import unittest

check = None

# Sources that keep every rule; each case below adds or replaces files.
CLEAN = {
    "src/app/command_context.h": '#include "app/message_log.h"\n',
    "src/app/message_log.h": "#include <string>\n",
    "src/app/headless_context.h": '#include "app/command_context.h"\n#include "tree/data_tree.h"\n',
    "src/tree/data_tree.h": "#include <cstdio>\n",
    "src/tree/xml_reader.cpp": '#include "tree/data_tree.h"\n',
    "src/input/csv_reader.cpp": '#include "app/command_context.h"\n#include "output/csv_writer.h"\n',
    "src/output/csv_writer.h": '#include "tree/data_tree.h"\n',
    "src/ops/preview.cpp": '#include "input/date_formats.h"\n#include <queue>\n',
    "src/input/date_formats.h": "",
    "src/db/fill_database.cpp": '#include "app/command_context.h"\n#include <sql.h>\n',
    "src/app/window/corvane_dlg.cpp": '#include <QDialog>\n#include "app/chart/plot_dlg.h"\n'
                                      '#include "db/fill_database.h"\n#include "ops/preview.h"\n',
    "src/app/chart/plot_dlg.h": "#include <QtCharts/QChartView>\n",
    "src/db/fill_database.h": "",
    "src/ops/preview.h": "",
    "src/cli/main.cpp": '#include "app/headless_context.h"\n#include "ops/preview.h"\n',
}

# (what is added, whether the check passes, a text its output must hold)
CASES = [
    ({}, True, "0 outside their layers"),
    ({"src/output/xlsx_writer.cpp": '#include "ops/preview.h"\n#include "input/date_formats.h"\n'}, True, ""),
    ({"src/input/csv_reader.cpp": "#include <QString>\n"}, False,
     "src/input/csv_reader.cpp:1: a core source (readers, writers, operations) includes a Qt header"),
    ({"src/app/message_log.h": "  #  include <qtcore/qglobal.h>\n"}, False, "includes a Qt header"),
    ({"src/db/fill_database.cpp": "#include <QList>\n"}, False, "a core source (database)"),
    ({"src/app/command_context.h": '#include "tree/data_tree.h"\n'}, False,
     "src/app/command_context.h:1: context, settings, message log includes tree/data_tree.h of a higher layer"),
    ({"src/app/command_context.h": '#include "app/headless_context.h"\n'}, False, "of a higher layer (headless"),
    ({"src/tree/xml_save.cpp": '#include "tree/data_tree.h"\n#include "app/command_context.h"\n'}, False,
     "src/tree/xml_save.cpp:2: tree stands alone but includes app/command_context.h"),
    ({"src/tree/xml_save.cpp": '#include "output/csv_writer.h"\n'}, False, "of a higher layer (readers"),
    ({"src/input/csv_reader.cpp": '#include "app/headless_context.h"\n'}, True, ""),
    ({"src/ops/preview.cpp": '#include "db/fill_database.h"\n'}, False, "of a higher layer (database)"),
    ({"src/db/fill_database.cpp": '#include "cli/main.h"\n'}, False, "of a higher layer (front ends)"),
    ({"src/cli/main.cpp": '#include "app/window/corvane_dlg.h"\n'}, False, "of another part of its layer"),
    ({"src/app/chart/plot_dlg.h": '#include "cli/cli_session.h"\n'}, False, "of another part of its layer"),
    ({"src/plugins/extra.cpp": ""}, False, "src/plugins/extra.cpp: lies in no layer"),
    ({"src/ops/preview.cpp": '#include "plugins/extra.h"\n'}, False, "which lies in no layer"),
]


def load_check(path):
    loader = importlib.machinery.SourceFileLoader("check_layers", path)
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    loader.exec_module(module)
    return module


def run_check(root, files):
    """The check's exit status and output over the files written under root."""
    for path, text in files.items():
        os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
        with open(os.path.join(root, path), "w", encoding="utf-8") as out:
            out.write(text)
    output = io.StringIO()
    with contextlib.redirect_stdout(output):
        status = check.main(["check-layers", root])
    return status, output.getvalue()


class CheckLayers(unittest.TestCase):
    def test_each_rule(self):
        for files, passes, expected in CASES:
            with self.subTest(files=files):
                with tempfile.TemporaryDirectory() as root:
                    status, output = run_check(root, {**CLEAN, **files})
                self.assertEqual(status == 0, passes, output)
                self.assertIn(expected, output)

    def test_a_tree_without_sources_fails(self):
        with tempfile.TemporaryDirectory() as root:
            status, output = run_check(root, {"src/README": "text"})
        self.assertEqual(status, 1)
        self.assertIn("no sources", output)


if __name__ == "__main__":
    check = load_check(sys.argv.pop(1))
    unittest.main()
