#!/usr/bin/env python3
"""Writes docs/performance.md from the JSON files that `make bench` leaves in build/bench-results/:
each figure beside its baseline from the same run, their ratio, the target and whether it is met,
with the machine the run was made on.

Rows are keyed by benchmark and counter name, so a benchmark that did not run, skipped itself or
no longer reports a counter shows as such in its row instead of stopping the report.

Usage: tools/performance-report.py [--results DIR] [--out FILE] [--command TEXT]
"""

import argparse
import datetime
import json
import os
import platform
import re
import subprocess
import sys
from dataclasses import dataclass
from pathlib import Path

TIME_UNITS = {"ns": 1e-9, "us": 1e-6, "µs": 1e-6, "ms": 1e-3, "s": 1.0}


@dataclass(frozen=True)
class Source:
    """One figure in the results: a counter of a benchmark, or its time or throughput."""

    bench: str
    field: str  # a counter name, "real_time" or "bytes_per_second"

    def label(self):
        return f"{self.bench} {self.field}"


@dataclass(frozen=True)
class Target:
    applies_to: str  # "value" or "ratio"
    op: str  # "<", "<=" or ">="
    bound: float

    def holds(self, x):
        return {"<": x < self.bound, "<=": x <= self.bound, ">=": x >= self.bound}[self.op]


@dataclass(frozen=True)
class Row:
    group: str
    figure: str
    unit: str
    value: Source
    baseline: Source = None
    ratio: Source = None  # measured by the benchmark itself; else value / baseline
    targets: tuple = ()
    target_text: str = ""
    hint: str = ""  # shown beside "not run"


IDLE_HINT = "with VARNELO_BENCH_IDLE=1"
LESS_IS_MORE = "(lower is better)"


def row(group, figure, unit, value, baseline=None, ratio=None, targets=(), text="", hint=""):
    return Row(group, figure, unit, Source(*value), baseline and Source(*baseline),
               ratio and Source(*ratio), tuple(Target(*t) for t in targets), text, hint)


ROWS = [
    row("Text codec", "ZE3 decode of 4 MiB text-like input: fast vs reference decoder", "MB/s",
        ("BM_FastDecode/text", "bytes_per_second"),
        ("BM_ReferenceDecode/text", "bytes_per_second"),
        targets=[("ratio", ">=", 8), ("value", ">=", 300)], text="≥ 8× and ≥ 300 MB/s"),
    row("Text codec", "ZE3 decode of 4 MiB random bytes: fast vs reference decoder", "MB/s",
        ("BM_FastDecode/random", "bytes_per_second"),
        ("BM_ReferenceDecode/random", "bytes_per_second")),
    row("Text codec", "`DecodeString` of 40 bytes: one kept codec vs a fresh codec per call", "µs",
        ("BM_DecodeShortStringKeptCodec", "real_time"),
        ("BM_DecodeShortStringFreshCodec", "real_time"),
        targets=[("ratio", "<=", 0.2)], text="≤ 0.2 (5× faster)"),
    row("Audio engine", "Decode + 10-band equalizer + volume, % of one core per second of audio; "
        "baseline: decoding alone", "%",
        ("BM_DecodeEqualizerVolume", "core_pct"), ("BM_DecodeOnly", "core_pct"),
        targets=[("value", "<", 1)], text="< 1 %"),
    row("Audio engine", "Play from the middle of a 60-minute file until the first samples "
        "(index built)", "ms", ("BM_PlayFromTheMiddle60Minutes", "real_time"),
        targets=[("value", "<", 20)], text="< 20 ms"),
    row("Audio engine", "Frame index of a 60-minute file, built in the background", "ms",
        ("BM_IndexBuild60Minutes", "real_time")),
    row("Audio engine", "Open a 2-hour file, time on the calling thread; baseline: the old "
        "synchronous open and scan", "ms", ("BM_OpenTwoHours", "open_ms"),
        ("BM_OpenTwoHours", "old_open_ms"), targets=[("value", "<", 5)], text="< 5 ms"),
    row("Audio engine", "Open a 2-hour file until the first exact samples of a seek to 01:30:00; "
        "baseline: the old synchronous open and scan", "ms",
        ("BM_OpenTwoHours", "seek_first_samples_ms"), ("BM_OpenTwoHours", "old_open_ms"),
        targets=[("value", "<", 50)], text="< 50 ms"),
    row("Audio engine", "Export of a 10-minute range of a 128 kbit/s file vs a plain copy of "
        "the same bytes (ratio from both in turn)", "ms", ("BM_ExportRange10Min/0", "real_time"),
        ("BM_CopySameBytes/0", "real_time"), ("BM_ExportOverCopy/0", "export_over_copy"),
        targets=[("ratio", "<=", 2)], text="bounded by a copy (≤ 2×)"),
    row("Audio engine", "The same from a low-rate VBR file", "ms",
        ("BM_ExportRange10Min/1", "real_time"), ("BM_CopySameBytes/1", "real_time"),
        ("BM_ExportOverCopy/1", "export_over_copy")),
    row("Window", "Select sura 2 until page, texts and sliders are painted (median)", "ms",
        ("BM_SelectSura2", "median_ms"), ("BM_SelectSura2", "baseline_ms"),
        ("BM_SelectSura2", "ratio"), targets=[("value", "<", 30)], text="< 30 ms"),
    row("Window", "Verse step inside a part until the frame is painted (median)", "ms",
        ("BM_VerseStep", "median_ms"), ("BM_VerseStep", "baseline_ms"),
        ("BM_VerseStep", "ratio"), targets=[("value", "<", 5)], text="< 5 ms"),
    row("Window", "Step into the next part until its image is painted (median)", "ms",
        ("BM_PartStep", "median_ms"), ("BM_PartStep", "baseline_ms"),
        ("BM_PartStep", "ratio"), targets=[("value", "<", 30)], text="< 30 ms"),
    row("Window", "Start-up to a shown window vs a bare Qt program (median)", "ms",
        ("BM_StartUp", "median_ms"), ("BM_StartUp", "baseline_ms"), ("BM_StartUp", "ratio"),
        targets=[("ratio", "<=", 1.3)], text="≤ 1.3×"),
    row("Window", "Resident memory with sura 2 shown vs the bare program (offscreen)", "MB",
        ("BM_ResidentMemory", "rss_mb"), ("BM_ResidentMemory", "baseline_rss_mb"),
        ("BM_ResidentMemory", "rss_ratio"), targets=[("ratio", "<=", 1.5)], text="≤ 1.5×"),
    row("Window", "Resident memory with sura 2 shown vs the bare program (Xvfb, xcb)", "MB",
        ("BM_ResidentMemoryXcb", "program_mb"), ("BM_ResidentMemoryXcb", "bare_mb"),
        ("BM_ResidentMemoryXcb", "ratio"), targets=[("ratio", "<=", 1.5)], text="≤ 1.5×"),
    row("Window", "CPU over 10 s idle with sura 2 loaded vs a plain text browser (offscreen)",
        "ms", ("BM_IdleCpu10s", "cpu_ms"), ("BM_IdleCpu10s", "baseline_cpu_ms"),
        targets=[("value", "<", 10)], text="nothing measurable (< 10 ms)", hint=IDLE_HINT),
    row("Recitation", "CPU while reciting a range, % of one core, vs a plain player", "%",
        ("BM_RecitingCpu", "cpu_pct"), ("BM_RecitingCpu", "baseline_cpu_pct"),
        ("BM_RecitingCpu", "ratio"), targets=[("value", "<", 2)], text="< 2 %"),
    row("Recitation", "CPU while reciting with the equalizer on and a band moving, % of one "
        "core; baseline: equalizer off", "%", ("BM_RecitingCpuEqualizerMoving", "cpu_pct"),
        ("BM_RecitingCpuEqualizerMoving", "baseline_cpu_pct"),
        targets=[("value", "<", 2)], text="< 2 %"),
    row("Recitation", "The same vs the floor: a plain player reciting while a bare window of a "
        "band and a curve follows the same drag at the same frame rate", "%",
        ("BM_RecitingCpuEqualizerMoving", "cpu_pct"),
        ("BM_RecitingCpuEqualizerMoving", "floor_cpu_pct"),
        ("BM_RecitingCpuEqualizerMoving", "ratio_to_floor")),
    row("Recitation", "CPU over 10 s idle with sura 78 loaded vs a plain player", "ms",
        ("BM_IdleAndPausedCpu", "idle_cpu_ms"), ("BM_IdleAndPausedCpu", "baseline_idle_cpu_ms"),
        targets=[("value", "<", 10)], text="nothing measurable (< 10 ms)", hint=IDLE_HINT),
    row("Recitation", "CPU over 10 s paused mid-range vs a plain player idle", "ms",
        ("BM_IdleAndPausedCpu", "paused_cpu_ms"),
        ("BM_IdleAndPausedCpu", "baseline_idle_cpu_ms"),
        targets=[("value", "<", 10)], text="nothing measurable (< 10 ms)", hint=IDLE_HINT),
    row("Recitation", "Verse end as played to the next verse painted, 99th percentile over "
        "sura 78, vs a precise timer updating a label", "ms",
        ("BM_VerseStepAsPlayed", "p99_ms"), ("BM_VerseStepAsPlayed", "baseline_p99_ms"),
        targets=[("value", "<", 20)], text="< 20 ms"),
    row("Recitation", "The same, median", "ms", ("BM_VerseStepAsPlayed", "median_ms"),
        ("BM_VerseStepAsPlayed", "baseline_median_ms")),
    row("Recitation", "The same from the verse end by the output's played count: the program's "
        "own part of the step, 99th percentile", "ms",
        ("BM_VerseStepAsPlayed", "after_count_p99_ms"),
        ("BM_VerseStepAsPlayed", "baseline_after_count_p99_ms")),
    row("Recitation", "How far the output's played count (Qt's) ran behind the sound while "
        "measuring the steps, median (negative: ahead)", "ms",
        ("BM_VerseStepAsPlayed", "count_lag_median_ms")),
    row("Recitation", "Bound of the reference clock's error (the sink's recorded monitor) "
        "while measuring the steps", "ms", ("BM_VerseStepAsPlayed", "clock_error_bound_ms")),
]

# Name parts Google Benchmark appends to a benchmark's own name.
_SUFFIX = re.compile(r"^(iterations|repeats|threads|min_time|min_warmup_time):|"
                     r"^(manual_time|real_time|process_time)$")


def base_name(name):
    return "/".join(p for p in name.split("/") if not _SUFFIX.match(p))


class Results:
    """The benchmarks of every JSON file in a folder, by name."""

    def __init__(self, folder):
        self.entries = {}
        self.contexts = {}  # file stem -> context
        self.unreadable = []  # (file name, reason)
        paths = sorted(Path(folder).glob("*.json")) if Path(folder).is_dir() else []
        for path in paths:
            try:
                with open(path, encoding="utf-8") as f:
                    data = json.load(f)
                benchmarks = data.get("benchmarks", [])
                if not isinstance(benchmarks, list):
                    raise ValueError("no list of benchmarks")
            except (OSError, ValueError, AttributeError) as e:
                self.unreadable.append((path.name, str(e).splitlines()[0] if str(e) else "?"))
                continue
            self.contexts[path.stem] = data.get("context", {})
            for entry in benchmarks:
                if isinstance(entry, dict) and isinstance(entry.get("name"), str):
                    self._add(entry)

    def _add(self, entry):
        # With repetitions, the median of them; otherwise the one run.
        if entry.get("run_type") == "aggregate":
            if entry.get("aggregate_name") != "median":
                return
            self.entries[base_name(entry.get("run_name", entry["name"]))] = entry
            return
        self.entries.setdefault(base_name(entry.get("run_name", entry["name"])), entry)


def skipped_message(entry):
    if entry.get("error_occurred") or entry.get("skipped"):
        return entry.get("error_message") or entry.get("skip_message") or "skipped"
    return None


class Missing(Exception):
    """Why a figure has no value: not run, skipped or no such counter."""


def read(results, source, unit):
    entry = results.entries.get(source.bench)
    if entry is None:
        raise Missing("not run")
    if skipped_message(entry) is not None:
        raise Missing("skipped")
    if source.field not in entry:
        raise Missing(f"no `{source.field}`")
    try:
        x = float(entry[source.field])
    except (TypeError, ValueError):
        raise Missing(f"`{source.field}` is no number")
    if source.field in ("real_time", "cpu_time"):
        scale = TIME_UNITS.get(entry.get("time_unit", "ns"))
        if scale is None or unit not in TIME_UNITS:
            raise Missing(f"`{source.field}` in unknown units")
        return x * scale / TIME_UNITS[unit]
    if source.field == "bytes_per_second":
        return x / 1e6
    return x


def number(x):
    if x != x or x in (float("inf"), float("-inf")):
        return str(x)
    a = abs(x)
    if a >= 100 or a == 0:
        return f"{x:.0f}"
    if a >= 10:
        return f"{x:.1f}"
    if a >= 1:
        return f"{x:.2f}"
    return f"{x:.2g}"


def cells(results, r):
    """Program, baseline, ratio and met cells of one row."""
    shown = {}
    values = {}
    for key, source in (("value", r.value), ("baseline", r.baseline), ("ratio", r.ratio)):
        if source is None:
            continue
        try:
            values[key] = read(results, source, r.unit)
            shown[key] = number(values[key]) + ("×" if key == "ratio" else " " + r.unit)
        except Missing as why:
            text = str(why)
            if text == "not run" and r.hint:
                text += f" ({r.hint})"
            shown[key] = text
    if "ratio" not in values and r.ratio is None and "value" in values and "baseline" in values:
        # A delay can come out below zero (a timer early); a ratio to it would mean nothing.
        if values["baseline"] > 0 and values["value"] >= 0:
            values["ratio"] = values["value"] / values["baseline"]
            shown["ratio"] = number(values["ratio"]) + "×"
    # One reason is enough: a benchmark that did not run says so in the program's cell alone.
    for key in ("baseline", "ratio"):
        if key in shown and key not in values and shown[key] == shown.get("value"):
            shown[key] = "—"
    met = "—"
    if r.targets and all(t.applies_to in values for t in r.targets):
        met = "met" if all(t.holds(values[t.applies_to]) for t in r.targets) else "**not met**"
    return (shown.get("value", "—"), shown.get("baseline", "—"), shown.get("ratio", "—"), met)


def escape(text):
    return str(text).replace("|", "\\|").replace("\n", " ")


def table(results):
    lines = ["| Figure | Program | Baseline | Ratio | Target | Met |",
             "|---|---|---|---|---|---|"]
    group = None
    for r in ROWS:
        figure = r.figure if r.group == group else f"**{r.group}:** {r.figure}"
        group = r.group
        program, baseline, ratio, met = cells(results, r)
        lines.append("| " + " | ".join(escape(c) for c in (
            f"{figure} (`{r.value.bench}`)", program, baseline, ratio, r.target_text or "—",
            met)) + " |")
    return lines


def skipped_notes(results):
    names = sorted({s.bench for r in ROWS for s in (r.value, r.baseline, r.ratio) if s})
    notes = []
    for name in names:
        entry = results.entries.get(name)
        message = entry is not None and skipped_message(entry)
        if message:
            notes.append(f"- `{name}` skipped itself: {escape(message)}")
    for file_name, reason in results.unreadable:
        notes.append(f"- `{file_name}` could not be read ({escape(reason)}): its figures show "
                     "as not run.")
    return notes


def first_line(path, key):
    try:
        with open(path, encoding="utf-8") as f:
            for line in f:
                if line.startswith(key):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return None


def git(*args):
    try:
        out = subprocess.run(["git", *args], capture_output=True, text=True, timeout=10,
                             cwd=Path(__file__).resolve().parent)
        return out.stdout.strip() if out.returncode == 0 else None
    except (OSError, subprocess.SubprocessError):
        return None


def run_date(results):
    """When the first benchmark program started; now when no results tell."""
    dates = []
    for context in results.contexts.values():
        try:
            dates.append(datetime.datetime.fromisoformat(context["date"]))
        except (TypeError, KeyError, ValueError):
            pass
    aware = [d for d in dates if d.tzinfo is not None]
    return min(aware) if aware else datetime.datetime.now().astimezone()


def machine(results):
    cpu = first_line("/proc/cpuinfo", "model name") or platform.processor() or "unknown"
    memory = first_line("/proc/meminfo", "MemTotal")
    if memory and memory.split()[0].isdigit():
        memory = f"{int(memory.split()[0]) / 1024 / 1024:.1f} GiB"
    commit = git("rev-parse", "--short", "HEAD") or "unknown"
    # The report itself is left out: it changes with every run.
    if git("status", "--porcelain", "--untracked-files=no", "--", ".",
           ":(exclude)docs/performance.md"):
        commit += " with uncommitted changes"
    date = run_date(results).strftime("%Y-%m-%d %H:%M %Z")
    lines = [
        f"- CPU: {cpu}, {os.cpu_count()} cores",
        f"- Memory: {memory or 'unknown'}",
        f"- System: {platform.system()} {platform.release()}",
        f"- Date: {date}",
        f"- Commit: {commit}",
    ]
    loads = []
    for stem, context in sorted(results.contexts.items()):
        load = context.get("load_avg") if isinstance(context, dict) else None
        if isinstance(load, list) and load:
            loads.append(f"{stem} {float(load[0]):.2f}")
    if loads:
        lines.append("- Load average (1 min) as each program started: " + ", ".join(loads))
    return lines


def report(results, command):
    ran = sorted(results.contexts)
    notes = skipped_notes(results)
    return "\n".join([
        "# Performance",
        "",
        f"Written by `tools/performance-report.py` after `{command}`; do not edit by hand. Each "
        "figure stands beside its baseline measured in the same run. Ratio is program ÷ "
        "baseline: lower is better for times, CPU and memory, higher for throughput. "
        "A figure without a baseline in its benchmark shows —.",
        "",
        "## Machine",
        "",
        *machine(results),
        "",
        "## Figures",
        "",
        *table(results),
        "",
        "Results read: " + (", ".join(f"`{s}`" for s in ran) if ran else "none") + ".",
        *([""] + notes if notes else []),
        "",
    ])


def main(argv):
    root = Path(__file__).resolve().parent.parent
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--results", default=root / "build" / "bench-results")
    parser.add_argument("--out", default=root / "docs" / "performance.md")
    parser.add_argument("--command", default="make bench")
    args = parser.parse_args(argv)
    text = report(Results(args.results), args.command)
    out = Path(args.out)
    out.parent.mkdir(parents=True, exist_ok=True)
    # Replaced whole, so an interrupted run never leaves half a report.
    part = out.with_name(out.name + ".part")
    part.write_text(text, encoding="utf-8")
    part.replace(out)
    print(f"[bench] wrote {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
