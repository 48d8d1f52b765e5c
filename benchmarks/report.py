#!/usr/bin/python3
"""Turns the benchmark's JSON output into docs/performance.md and
docs/performance.svg (standard library only).

Usage: report.py RESULTS.json BEFORE.json OUT.md OUT.svg"""
import json
import os
import platform
import statistics
import subprocess
import sys
from datetime import datetime, timezone

BITS_PER_BYTE = 11  # start, 8 data, even parity, stop


def load(path):
    """{benchmark key: {counter: [value per repetition]}}, plus the context."""
    with open(path) as f:
        data = json.load(f)
    runs = {}
    for b in data["benchmarks"]:
        if b.get("run_type") != "iteration" or b.get("error_occurred"):
            continue
        parts = []
        for p in b["run_name"].split("/"):
            if ":" in p or p in ("real_time", "manual_time"):
                break
            parts.append(p)
        key = "/".join(parts)
        entry = runs.setdefault(key, {})
        for k, v in b.items():
            if isinstance(v, (int, float)) and not isinstance(v, bool):
                entry.setdefault(k, []).append(float(v))
    # The receipt's wire time from its bytes (earlier runs left it out).
    for key, entry in runs.items():
        if key.startswith("Receipt/") and "bytes" in entry and "wall_s" in entry:
            speed = float(key.split("/")[1])
            entry["wire_s"] = [n * BITS_PER_BYTE / speed for n in entry["bytes"]]
            entry["ratio"] = [w / t if t else 0 for w, t in zip(entry["wall_s"], entry["wire_s"])]
            if "cpu_time" in entry:  # the benchmark's thread runs the driver; the emulator has its own
                entry["driver_cpu_per_wire"] = [c / 1e9 / t if t else 0
                                                for c, t in zip(entry["cpu_time"], entry["wire_s"])]
    return runs, data.get("context", {})


def stat(runs, key, counter):
    values = runs.get(key, {}).get(counter)
    if not values:
        return None
    return min(values), statistics.median(values), len(values)


def fmt(x, digits=3):
    if x is None:
        return "—"
    if abs(x) >= 100:
        return "%.0f" % x
    if abs(x) >= 10:
        return "%.1f" % x
    return ("%." + str(digits) + "g") % x


def pair(s, digits=3):
    return "— / —" if s is None else "%s / %s" % (fmt(s[0], digits), fmt(s[1], digits))


def verdict(s, limit, below=True):
    if s is None:
        return "not measured"
    ok = (s[1] <= limit) if below else (s[1] >= limit)
    ok_min = (s[0] <= limit) if below else (s[0] >= limit)
    return "met" if ok else ("met by the minimum only" if ok_min else "**not met**")


def machine():
    cpu = "unknown"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    kernel = platform.release()
    cores = os.cpu_count()
    try:
        load = open("/proc/loadavg").read().split()[:3]
    except OSError:
        load = ["?"] * 3
    try:
        compiler = subprocess.run(["c++", "--version"], capture_output=True, text=True).stdout.splitlines()[0]
    except (OSError, IndexError):
        compiler = "unknown"
    return cpu, kernel, cores, load, compiler


def per_byte(s, n):
    return None if s is None else (s[0] / n, s[1] / n, s[2])


def scaled(s, k):
    return None if s is None else (s[0] * k, s[1] * k, s[2])


def ratio_stat(a, b):
    """(min, median) of a / b from two (min, median, n) figures."""
    if a is None or b is None or not b[0] or not b[1]:
        return None
    return a[0] / b[0], a[1] / b[1], 0


def svg_plot(runs, path):
    """Receipt time against its number of lines, ours and the wire's own."""
    width, height = 760, 440
    left, right, top, bottom = 70, 190, 40, 60
    series = []
    colours = {9600: "#1f5fbf", 28800: "#c0392b"}
    for speed in (9600, 28800):
        ours, wire = [], []
        for key, entry in runs.items():
            parts = key.split("/")
            if parts[0] != "Receipt" or int(parts[1]) != speed:
                continue
            lines = int(parts[2])
            ours.append((lines, statistics.median(entry["wall_s"])))
            wire.append((lines, statistics.median(entry["wire_s"])))
        ours.sort()
        wire.sort()
        if ours:
            series.append(("ours, %d b/s" % speed, ours, colours[speed], False))
            series.append(("wire, %d b/s" % speed, wire, colours[speed], True))
    xs = [x for _, pts, _, _ in series for x, _ in pts] or [1]
    ys = [y for _, pts, _, _ in series for _, y in pts] or [1]
    xmax, ymax = max(xs), max(ys) * 1.08

    def X(v):
        return left + (width - left - right) * v / xmax

    def Y(v):
        return height - bottom - (height - top - bottom) * v / ymax

    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" font-family="sans-serif" '
           'font-size="12">' % (width, height),
           '<rect width="100%" height="100%" fill="white"/>',
           '<text x="%d" y="22" font-size="15">Receipt time against its number of lines</text>' % left]
    # Axes, ticks and grid.
    out.append('<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="black"/>' % (left, Y(0), width - right, Y(0)))
    out.append('<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="black"/>' % (left, Y(0), left, top))
    for i in range(6):
        v = xmax * i / 5
        out.append('<text x="%.1f" y="%.1f" text-anchor="middle">%.0f</text>' % (X(v), Y(0) + 18, v))
        w = ymax * i / 5
        out.append('<line x1="%d" y1="%.1f" x2="%d" y2="%.1f" stroke="#ddd"/>' % (left, Y(w), width - right, Y(w)))
        out.append('<text x="%d" y="%.1f" text-anchor="end">%.1f</text>' % (left - 6, Y(w) + 4, w))
    out.append('<text x="%.1f" y="%d" text-anchor="middle">sale lines in the receipt</text>'
               % ((left + width - right) / 2, height - 18))
    out.append('<text transform="translate(18,%.1f) rotate(-90)" text-anchor="middle">seconds</text>'
               % ((top + height - bottom) / 2))
    for n, (name, pts, colour, dashed) in enumerate(series):
        d = " ".join("%.1f,%.1f" % (X(x), Y(y)) for x, y in pts)
        dash = ' stroke-dasharray="6,4"' if dashed else ""
        out.append('<polyline points="%s" fill="none" stroke="%s" stroke-width="2"%s/>' % (d, colour, dash))
        if not dashed:
            for x, y in pts:
                out.append('<circle cx="%.1f" cy="%.1f" r="3" fill="%s"/>' % (X(x), Y(y), colour))
        ly = top + 20 + n * 20
        out.append('<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="%s" stroke-width="2"%s/>'
                   % (width - right + 15, ly, width - right + 45, ly, colour, dash))
        out.append('<text x="%d" y="%d">%s</text>' % (width - right + 50, ly + 4, name))
    out.append("</svg>")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


def main():
    results, before_path, md_path, svg_path = sys.argv[1:5]
    runs, context = load(results)
    before, _ = load(before_path) if os.path.exists(before_path) else ({}, {})
    cpu, kernel, cores, loadavg, compiler = machine()
    now = datetime.now(timezone.utc).strftime("%Y-%m-%d %H:%M UTC")

    ex149 = stat(runs, "Exchange/149/1", "us_per_byte")
    ex218 = stat(runs, "Exchange/218/36", "us_per_byte")
    py149 = stat(runs, "Pyserial/149/1/3000", "exchange_us")
    py218 = stat(runs, "Pyserial/218/36/2000", "exchange_us")
    our149 = stat(runs, "Exchange/149/1", "exchange_us")
    our218 = stat(runs, "Exchange/218/36", "exchange_us")
    r9600 = stat(runs, "Receipt/9600/100", "ratio")
    r28800 = stat(runs, "Receipt/28800/100", "ratio")
    pc9600 = stat(runs, "PrintControlCpu/9600", "cpu_per_wall")
    pc28800 = stat(runs, "PrintControlCpu/28800", "cpu_per_wall")
    idle = stat(runs, "IdlePortCpu", "cpu_per_wall")
    start = stat(runs, "ProgramStart", "start_s")
    probes = stat(runs, "ProgramStart", "probes_s")
    share = stat(runs, "ProgramStart", "probes_share")
    erase_pause = stat(runs, "EventLoopPause/Erase", "longest_pause_ms")
    report_pause = stat(runs, "EventLoopPause/Report", "longest_pause_ms")
    svc9600 = scaled(stat(runs, "ServiceReceipt/9600/10", "added_share"), 100)
    svc28800 = scaled(stat(runs, "ServiceReceipt/28800/10", "added_share"), 100)
    status_median = stat(runs, "ServiceStatus/50", "median_ms")
    status_p99 = stat(runs, "ServiceStatus/50", "p99_ms")

    rows = [
        ("Exchange overhead, status read (149, 3 bytes): driver µs per byte", ex149, "≤ 19", verdict(ex149, 19)),
        ("Exchange overhead, totals read (218, 38 bytes): driver µs per byte", ex218, "≤ 19", verdict(ex218, 19)),
        ("Exchange, status read: driver CPU µs per byte", per_byte(stat(runs, "Exchange/149/1", "driver_cpu_us"), 3),
         "—", ""),
        ("Exchange, totals read: driver CPU µs per byte", per_byte(stat(runs, "Exchange/218/36", "driver_cpu_us"), 38),
         "—", ""),
        ("Ours / pyserial, status read", ratio_stat(our149, py149), "< 1", verdict(ratio_stat(our149, py149), 1)),
        ("Ours / pyserial, totals read", ratio_stat(our218, py218), "< 1", verdict(ratio_stat(our218, py218), 1)),
        ("100-line receipt at 9600 b/s: wall / wire time", r9600, "≤ 1.03", verdict(r9600, 1.03)),
        ("100-line receipt at 28800 b/s: wall / wire time", r28800, "≤ 1.03", verdict(r28800, 1.03)),
        ("PrintControl during a 10 s printout, 9600 b/s: CPU s per wall s", pc9600, "≤ 0.05", verdict(pc9600, 0.05)),
        ("PrintControl during a 10 s printout, 28800 b/s: CPU s per wall s", pc28800, "≤ 0.05",
         verdict(pc28800, 0.05)),
        ("Idle open port: CPU s per wall s", idle, "≈ 0", verdict(idle, 0.005)),
        ("User program start to the status bar showing the printer, s", start, "≤ 1", verdict(start, 1)),
        ("… of which the 255 port probes, s", probes, "—", ""),
        ("User program's event loop, longest pause during a slow PEXA erase, ms", erase_pause, "≤ 100",
         verdict(erase_pause, 100)),
        ("User program's event loop, longest pause during a period report's 90 s wait, ms", report_pause,
         "≤ 100", verdict(report_pause, 100)),
        ("darvo-service: added time per 10-line receipt at 9600 b/s, % of its wire time", svc9600, "< 2",
         verdict(svc9600, 2)),
        ("darvo-service: added time per 10-line receipt at 28800 b/s, % of its wire time", svc28800, "< 2",
         verdict(svc28800, 2)),
        ("darvo-service: added time per 10-line receipt at 9600 b/s, ms",
         stat(runs, "ServiceReceipt/9600/10", "added_ms"), "—", ""),
        ("darvo-service: added time per 10-line receipt at 28800 b/s, ms",
         stat(runs, "ServiceReceipt/28800/10", "added_ms"), "—", ""),
        ("darvo-service: status with 50 concurrent clients, median latency, ms", status_median, "—", ""),
        ("darvo-service: status with 50 concurrent clients, 99th percentile, ms", status_p99, "—", ""),
    ]

    md = []
    md.append("# Performance")
    md.append("")
    md.append("Written by `./scripts/bench.sh` on %s. Plot: [performance.svg](performance.svg)." % now)
    md.append("")
    md.append("## Machine")
    md.append("")
    md.append("- CPU: %s, %s logical cores; Linux %s" % (cpu, cores, kernel))
    md.append("- Load average when the report was written: %s (the machine is shared: other builds run "
              "at the same time)" % " ".join(loadavg))
    md.append("- Compiler: %s; release build (`-O3 -DNDEBUG`); Google Benchmark %s"
              % (compiler, context.get("library_version", "1.7")))
    md.append("")
    md.append("## Method")
    md.append("")
    md.append("All figures come from one run of `benchmarks/darvo_bench`; each is given as minimum / median "
              "over its repetitions (single runs: the same value twice). Wall times on a shared 2-core "
              "machine are noisy; the minimum is the figure least disturbed by other work, the median the "
              "typical one. Wire time: 11 bits a byte (start, 8 data, even parity, stop) at the line speed.")
    md.append("")
    md.append("- **Exchange overhead**: `RSSequence` through the exported interface at 28800 b/s against a "
              "C++ peer thread on the master side of a pseudo-terminal that answers at once (command 149: "
              "one status byte; command 218: ACK and 35 bytes). The peer times its own share (from the "
              "command byte's arrival to the end of its answer's write); driver time per byte = (exchange "
              "time − peer share) / bytes exchanged (ESC, command and answer). It still contains the "
              "kernel's hand-over of the bytes through the pseudo-terminal in both directions and the "
              "peer's wake-up, which any program pays.")
    md.append("- **Against pyserial**: `benchmarks/pyserial_exchange.py` with Debian's python3-serial, the "
              "same line settings (8E1, RTS/CTS), one byte per write with `flush()` (tcdrain) after each, "
              "the input queue reset before each exchange, the answer read with one `read(n)`; same peer, "
              "same run. Figure: our exchange time / pyserial's.")
    md.append("- **Receipt**: `ReceiptBegin`, N × `pReceiptItem`, `pFillPayment`, `ReceiptEnd` against the "
              "emulator with `--pace` (every byte, in both directions, held for its time on the line; "
              "printouts end after two status polls). Wire time = every byte in the emulator's wire log × "
              "11 bits / speed.")
    md.append("- **CPU while waiting**: `darvo-sim --pace --print-time 10000`; command 37 starts a printout, "
              "then `PrintControl(0, 7)` is timed with `getrusage` (the emulator is another process, so "
              "only the driver's CPU is counted). Idle: an open port for 3 s with nothing to do.")
    md.append("- **Start**: `nivrasw COM1 9600` (offscreen) against `darvo-sim`, from `fork`/`exec` to the "
              "program's one-line report on stderr when the status bar is first filled "
              "(`DARVO_REPORT_STATUS_BAR=1`). The probes' share is the same 255 `ProbePort` calls timed "
              "in the benchmark process.")
    md.append("- **Event loop during long waits**: the program's windows built in the benchmark process "
              "(offscreen) as `nivrasw` builds them, the in-process emulator on a pseudo-terminal; a 10 ms "
              "timer of the event loop notes its ticks while the driver call runs, and the figure is the "
              "longest time between two ticks (or between the call's start or end and the nearest tick). "
              "Erase: `InitClock` on a PEXA whose 16 progress bytes come 250 ms apart (`--progress-time 250`). "
              "Report: `PeriodReportCommand` by numbers, whose result byte the printer sends after a 5 s "
              "search (`--search-time 5000`) while the driver waits with its 90 s read time-out.")
    md.append("- **darvo-service**: 10-line receipts (a payment, paced emulator, PEXA) through the receipt layer "
              "in the benchmark process (`ReadReceiptCounter` and `Print`, as `darvo receipt`), then the same "
              "receipts posted to `darvo-service` (HTTP on localhost, the journal in SQLite on the machine's "
              "disk with its synchronous write before each receipt's first byte, the printer's worker "
              "process); median of 7 each, the first through the service (which starts the worker's "
              "session) left out. Added time = the service's median − the receipt layer's; its share of the "
              "receipt's wire time. Status: 50 clients, each asking `GET /v1/printers/NAME/status` 10 times "
              "one after the other on a new connection, at 9600 b/s; requests that come while a status "
              "read waits share it.")
    md.append("")
    md.append("## Figures")
    md.append("")
    md.append("| Figure | min / median | target | |")
    md.append("|---|---|---|---|")
    for name, s, target, v in rows:
        md.append("| %s | %s | %s | %s |" % (name, pair(s), target, v))
    md.append("")
    md.append("Details per exchange (min / median):")
    md.append("")
    md.append("| Exchange | ours µs | peer share µs | driver CPU µs | pyserial µs | pyserial's peer share µs |")
    md.append("|---|---|---|---|---|---|")
    for label, ours, py in (("status 149", "Exchange/149/1", "Pyserial/149/1/3000"),
                            ("totals 218", "Exchange/218/36", "Pyserial/218/36/2000")):
        md.append("| %s | %s | %s | %s | %s | %s |" % (
            label, pair(stat(runs, ours, "exchange_us")), pair(stat(runs, ours, "peer_us")),
            pair(stat(runs, ours, "driver_cpu_us")), pair(stat(runs, py, "exchange_us")),
            pair(stat(runs, py, "peer_us"))))
    md.append("")
    md.append("Receipts (medians; the plot shows them). Driver CPU / wire: the CPU time of the thread that "
              "ran the driver over the wire time; the rest of the time beyond the wire was spent waiting "
              "for the other side's bytes to be handed over and for the driver's thread to be woken.")
    md.append("")
    md.append("| speed | lines | bytes | wire s | ours s | ratio | driver CPU / wire |")
    md.append("|---|---|---|---|---|---|---|")
    keys = sorted((k for k in runs if k.startswith("Receipt/")),
                  key=lambda k: (int(k.split("/")[1]), int(k.split("/")[2])))
    for k in keys:
        e = runs[k]
        def med(name):
            return fmt(statistics.median(e[name])) if name in e else "—"
        md.append("| %s | %s | %d | %s | %s | %s | %s |" % (
            k.split("/")[1], k.split("/")[2], statistics.median(e["bytes"]), med("wire_s"), med("wall_s"),
            med("ratio"), med("driver_cpu_per_wire")))
    md.append("")
    if share:
        md.append("Start: the 255 probes take %s of the start (median); %d of the probed ports could be "
                  "opened." % ("%.1f %%" % (share[1] * 100), int(stat(runs, "ProgramStart", "ports_found")[1])))
        md.append("")
    md.append("![Receipt time against its number of lines](performance.svg)")
    md.append("")

    if before:
        md.append("## Before and after the port-layer change")
        md.append("")
        md.append("Before: `benchmarks/before.json`, the same benchmark run on the port layer as it was "
                  "(the worker thread, the same machine, a similar load). Min / median.")
        md.append("")
        md.append("| Figure | before | after |")
        md.append("|---|---|---|")
        for label, key, counter in (
                ("status read 149, µs per exchange", "Exchange/149/1", "exchange_us"),
                ("status read 149, driver µs per byte", "Exchange/149/1", "us_per_byte"),
                ("status read 149, driver CPU µs per exchange", "Exchange/149/1", "driver_cpu_us"),
                ("totals read 218, µs per exchange", "Exchange/218/36", "exchange_us"),
                ("totals read 218, driver µs per byte", "Exchange/218/36", "us_per_byte"),
                ("totals read 218, driver CPU µs per exchange", "Exchange/218/36", "driver_cpu_us"),
                ("100-line receipt, 9600 b/s, wall / wire", "Receipt/9600/100", "ratio"),
                ("100-line receipt, 28800 b/s, wall / wire", "Receipt/28800/100", "ratio"),
                ("PrintControl CPU s per s, 9600 b/s", "PrintControlCpu/9600", "cpu_per_wall"),
                ("PrintControl CPU s per s, 28800 b/s", "PrintControlCpu/28800", "cpu_per_wall"),
                ("idle port CPU s per s", "IdlePortCpu", "cpu_per_wall"),
                ("start to status bar, s", "ProgramStart", "start_s")):
            md.append("| %s | %s | %s |" % (label, pair(stat(before, key, counter)), pair(stat(runs, key, counter))))
        md.append("")

    notes = os.path.join(os.path.dirname(os.path.abspath(__file__)), "notes.md")
    if os.path.exists(notes):
        with open(notes) as f:
            md.append(f.read().rstrip())
            md.append("")

    with open(md_path, "w") as f:
        f.write("\n".join(md))
    svg_plot(runs, svg_path)


if __name__ == "__main__":
    main()
