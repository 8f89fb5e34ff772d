#!/usr/bin/env python3
"""tools/performance-report.py run on the fixture results in fixtures/bench-results/: figures beside
their baselines, and rows that say why a figure is missing instead of dropping it."""

import re
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
SCRIPT = HERE.parent.parent / "tools" / "performance-report.py"
FIXTURES = HERE / "fixtures" / "bench-results"


def write_report(results):
    """The report written from a results folder, and the script's exit status."""
    with tempfile.TemporaryDirectory() as out:
        path = Path(out) / "performance.md"
        run = subprocess.run([sys.executable, str(SCRIPT), "--results", str(results), "--out",
                              str(path), "--command", "make bench"],
                             capture_output=True, text=True, timeout=60)
        return run.returncode, path.read_text(encoding="utf-8") if path.exists() else run.stderr


def rows(report):
    """Table rows as lists of cells, the figure cell first."""
    table = [line for line in report.splitlines() if line.startswith("| ")]
    return [[c.strip() for c in re.split(r"(?<!\\)\|", line)[1:-1]] for line in table[1:]]


def row(report, figure):
    """The one row whose figure cell holds figure: program, baseline, ratio, target, met."""
    found = [r[1:] for r in rows(report) if figure in r[0]]
    if len(found) != 1:
        raise AssertionError(f"{len(found)} rows for {figure!r} in:\n{report}")
    return found[0]


class FixtureReport(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.status, cls.report = write_report(FIXTURES)

    def test_writes_the_report_despite_a_cut_short_file(self):
        self.assertEqual(self.status, 0, self.report)
        self.assertIn("## Machine", self.report)
        self.assertRegex(self.report, r"- CPU: .+, \d+ cores")
        self.assertRegex(self.report, r"- Commit: \S+")
        self.assertIn("`make bench`", self.report)
        self.assertIn("bench_codec 1.80", self.report)
        # The run's date is when its first program started, not when the report was written.
        self.assertIn("- Date: 2026-12-01 10:00 UTC", self.report)

    def test_figures_stand_beside_their_baselines(self):
        self.assertEqual(row(self.report, "text-like input"),
                         ["956 MB/s", "94.2 MB/s", "10.1×", "≥ 8× and ≥ 300 MB/s", "met"])
        self.assertEqual(row(self.report, "random bytes")[:3], ["393 MB/s", "22.9 MB/s", "17.2×"])
        # Nanoseconds in the results, microseconds in the table; the ratio's target is 5× faster.
        self.assertEqual(row(self.report, "`DecodeString`")[:3] + row(self.report,
                                                                      "`DecodeString`")[4:],
                         ["0.26 µs", "10.8 µs", "0.024×", "met"])
        self.assertEqual(row(self.report, "Select sura 2"),
                         ["22.0 ms", "2.50 ms", "8.80×", "< 30 ms", "met"])
        self.assertEqual(row(self.report, "Verse step inside a part")[4], "**not met**")

    def test_a_baseline_at_or_below_zero_gives_no_ratio(self):
        self.assertEqual(row(self.report, "99th percentile over sura 78"),
                         ["18.5 ms", "4.20 ms", "4.40×", "< 20 ms", "met"])
        self.assertEqual(row(self.report, "The same, median")[:3], ["9.75 ms", "-0.21 ms", "—"])

    def test_times_are_converted_to_the_rows_unit(self):
        self.assertEqual(row(self.report, "middle of a 60-minute file")[:2], ["0.24 ms", "—"])
        self.assertEqual(row(self.report, "middle of a 60-minute file")[4], "met")
        self.assertEqual(row(self.report, "time on the calling thread")[:3],
                         ["0.47 ms", "832 ms", "0.00056×"])

    def test_repetitions_are_read_as_their_median(self):
        self.assertEqual(row(self.report, "Decode + 10-band equalizer"),
                         ["0.46 %", "0.09 %", "5.11×", "< 1 %", "met"])

    def test_missing_figures_say_why(self):
        # Not in the results at all.
        self.assertEqual(row(self.report, "Export of a 10-minute range")[:3],
                         ["not run", "—", "—"])
        # Skipped by the benchmark: the message is given below the table.
        self.assertEqual(row(self.report, "Start-up to a shown window")[0], "skipped")
        self.assertEqual(row(self.report, "Start-up to a shown window")[4], "—")
        self.assertIn("`BM_StartUp` skipped itself: no demo data in /nowhere", self.report)
        # A counter renamed in the benchmark shows up in its row and leaves the target open.
        self.assertEqual(row(self.report, "(offscreen) (`BM_ResidentMemory`)"),
                         ["52.0 MB", "36.5 MB", "no `rss_ratio`", "≤ 1.5×", "—"])
        # Opt-in benchmarks tell how to run them.
        self.assertIn("VARNELO_BENCH_IDLE=1", row(self.report, "sura 2 loaded")[0])

    def test_an_unreadable_file_leaves_its_figures_not_run(self):
        self.assertEqual(row(self.report, "CPU while reciting a range")[0], "not run")
        self.assertIn("`bench_recitation.json` could not be read", self.report)
        self.assertNotIn("`bench_recitation`", self.report.split("Results read:")[1].split("\n")[0])


class EmptyReport(unittest.TestCase):
    def test_no_results_give_every_row_not_run(self):
        with tempfile.TemporaryDirectory() as empty:
            for results in (Path(empty), Path(empty) / "missing"):
                status, report = write_report(results)
                self.assertEqual(status, 0, report)
                table = rows(report)
                self.assertGreater(len(table), 20)
                self.assertTrue(all(r[1].startswith("not run") for r in table), report)
                self.assertTrue(all(r[5] == "—" for r in table), report)
                self.assertIn("Results read: none.", report)


if __name__ == "__main__":
    unittest.main(verbosity=2)
