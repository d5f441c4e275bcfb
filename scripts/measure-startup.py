#!/usr/bin/env python3
"""Prints the time from starting orvant-x80-pro to its main window being shown (the window's first
relayout), offscreen, with a private data and runtime folder. Runs it several times and prints each run
and the median. Usage: measure-startup.py [BIN_FOLDER] [RUNS]"""
import os, statistics, subprocess, sys, tempfile, time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
bin_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build", "bin")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
app = os.path.join(bin_dir, "orvant-x80-pro")
if not os.access(app, os.X_OK):
    sys.exit(f"measure-startup: {app} is not built")

times = []
for run in range(runs):
    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", ORVANT_DEBUG="1",
                   XDG_RUNTIME_DIR=os.path.join(work, "rt"), XDG_DATA_HOME=os.path.join(work, "data"),
                   XDG_CONFIG_HOME=os.path.join(work, "config"), ORVANT_VIRTUAL_HID=os.path.join(work, "hid"))
        os.mkdir(env["XDG_RUNTIME_DIR"], 0o700)
        os.mkdir(env["ORVANT_VIRTUAL_HID"])
        start = time.monotonic()
        proc = subprocess.Popen([app], env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL)
        shown = None
        deadline = start + 20
        for line in proc.stderr:
            if line.startswith("main window shown".encode()):
                shown = time.monotonic() - start
                break
            if time.monotonic() > deadline:
                break
        proc.terminate()
        proc.wait(timeout=10)
        if shown is None:
            sys.exit("measure-startup: the main window was never shown")
        times.append(shown * 1000)
        print(f"run {run + 1}: {times[-1]:.0f} ms")
print(f"start-up to main window shown: median {statistics.median(times):.0f} ms over {runs} runs (target < 400 ms)")
