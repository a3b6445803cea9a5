#!/usr/bin/env python3
"""Prints each operation's time next to the time of copying the bytes it reads and writes,
and the peak memory of the operation run alone by quarnby-batch on the demo terrain.

usage: scripts/bench_report.py BUILD_DIR
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

# operation, its benchmark, its copy floor (bytes read, bytes written), its batch command
OPERATIONS = [
    ("Start-up, no settings file", "BM_StartUpWithoutSettingsFile", None, None),
    ("Start-up, settings file", "BM_StartUpWithSettingsFile", (600, 0), None),
    ("Set (intervals)", "BM_SetIntervals", None, ["set-intervals"]),
    ("Set Type", "BM_SetType", (2097152, 262144), ["set-type"]),
    ("Set Sub-Types", "BM_SetSubTypes", (262144, 262144), ["set-sub-types"]),
    ("Modify Terrain (500 objects)", "BM_ModifyTerrain", (2621440 + 40000, 2621440),
     ["--set", "Check1=1", "--set", "Check3=1", "modify-terrain"]),
    ("Make Tracks (257 objects)", "BM_MakeTracks", (2359296 + 20000, 70000), ["make-tracks"]),
    ("Find Units, Terragen", "BM_FindUnitsTerragen", (2101334, 0), ["find-units-terragen"]),
    ("Set Elevation, Terragen", "BM_SetElevationTerragen", (2101334, 2097152),
     ["find-units-terragen", "set-elevation-terragen"]),
    ("Find Units, greyscale", "BM_FindUnitsGreyscale", (1049656, 0), ["find-units-greyscale"]),
    ("Set Elevation, greyscale", "BM_SetElevationGreyscale", (1049656, 2097152),
     ["find-units-greyscale", "set-elevation-greyscale"]),
    ("Export", "BM_ExportGreyscale", (2097152, 1049656), ["--yes", "export-greyscale"]),
    ("Make Map, colour map", "BM_ColourMap", (2359296, 1048676), ["make-map"]),
    ("Make Map, road map", "BM_RoadMap", (2359296 + 70000, 1048676), ["--set", "MapOp2=true", "make-map"]),
    ("Make Map, object dots", "BM_ObjectDots", (2359296 + 70000, 1048676), ["--set", "MapOp3=true", "make-map"]),
]


def run_benchmarks(build):
    out = subprocess.run([os.path.join(build, "quarnby_bench"), "--benchmark_format=json",
                          "--benchmark_min_time=0.2"], check=True, capture_output=True, text=True).stdout
    times = {}
    for b in json.loads(out)["benchmarks"]:
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        times[b["name"]] = b["real_time"] * scale
    return times


def batch_args(args):
    """--set NAME=VALUE pairs and --yes go before the folder, commands after it."""
    options, commands, i = [], [], 0
    while i < len(args):
        if args[i] == "--set":
            options += args[i:i + 2]
            i += 2
        elif args[i].startswith("--"):
            options.append(args[i])
            i += 1
        else:
            commands.append(args[i])
            i += 1
    return options, commands


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    batch = os.path.abspath(os.path.join(build, "quarnby-batch"))
    times = run_benchmarks(build)

    work = tempfile.mkdtemp(prefix="quarnby-report-")
    try:
        subprocess.run([batch, "--demo", work], check=True, stdout=subprocess.DEVNULL)
        folder = os.path.join(work, "Demo")
        subprocess.run([batch, folder, "find-units-terragen", "set-elevation-terragen", "set-type", "set-sub-types",
                        "make-tracks"], cwd=work, check=True, stdout=subprocess.DEVNULL)
        print("| Operation | Time (ms) | Copy floor (ms) | Ratio | Peak memory (MiB) |")
        print("|---|---:|---:|---:|---:|")
        for name, bench, floor, command in OPERATIONS:
            t = times.get(bench)
            floor_ms = times.get(f"BM_CopyFloor/{floor[0]}/{floor[1]}") if floor else None
            memory = "-"
            if command:
                options, commands = batch_args(command)
                proc = subprocess.Popen([batch] + options + [folder] + commands, cwd=work,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                _, _, usage = os.wait4(proc.pid, 0)
                memory = f"{usage.ru_maxrss / 1024.0:.1f}"
            cells = [name,
                     f"{t:.3f}" if t is not None else "not built",
                     f"{floor_ms:.3f}" if floor_ms else "-",
                     f"{t / floor_ms:.1f}x" if t is not None and floor_ms else "-",
                     memory]
            print("| " + " | ".join(cells) + " |")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
