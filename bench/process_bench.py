#!/usr/bin/env python3
"""Whole-process times, as a user's shell loop pays them: quarnby-batch started afresh for
every run, next to the cheapest process that moves the same bytes (quarnby-copy-floor).

usage: bench/process_bench.py RUNS LABEL=BATCH [LABEL=BATCH]... [--floor COPY_FLOOR]

Each LABEL=BATCH is a quarnby-batch program (another build, or the same one with
QUARNBY_GEO_MODULE=... before it to point its module elsewhere). Every program runs every
case RUNS times on the same demo terrain; the table shows the median of each in ms, and
the ratio of the first program's time to the floor.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

# case, the arguments before the folder, the commands, the files (by suffix) it reads,
# the files it writes
CASES = [
    ("--version", ["--version"], None, [], []),
    ("show-params", [], ["show-params"], [".cfg"], []),
    ("Set Type", [], ["set-type"], [".elv"], [".typ"]),
    ("Set Sub-Types", [], ["set-sub-types"], [".typ"], [".SYP"]),
    ("Modify Terrain", ["--set", "Check1=1", "--set", "Check3=1"], ["modify-terrain"],
     [".elv", ".typ", ".SYP", ".oba"], [".elv", ".typ", ".SYP"]),
    ("Make Tracks", [], ["make-tracks"], [".elv", ".oba"], [".tra"]),
    ("Find Units, Terragen", [], ["find-units-terragen"], [".ter"], []),
    ("Set Elevation, Terragen", [], ["find-units-terragen", "set-elevation-terragen"], [".ter"], [".elv"]),
    ("Set Elevation, greyscale", [], ["find-units-greyscale", "set-elevation-greyscale"], ["_elv.bmp"], [".elv"]),
    ("Export", ["--yes"], ["export-greyscale"], [".elv"], ["_elv.bmp"]),
    ("Make Map, colour map", [], ["make-map"], [".elv", ".typ"], ["_colormap.bmp"]),
]


def program(given):
    """LABEL=[NAME=VALUE ]BATCH: the label, the environment and the program."""
    label, _, rest = given.partition("=")
    env = dict(os.environ)
    words = rest.split()
    while "=" in words[0]:
        name, _, value = words.pop(0).partition("=")
        env[name] = value
    return label, os.path.abspath(words[0]), env


def timed(command, cwd, env, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, cwd=cwd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append((time.perf_counter() - start) * 1000.0)
    return statistics.median(times)


def main():
    args = sys.argv[1:]
    floor = None
    if "--floor" in args:
        i = args.index("--floor")
        floor = os.path.abspath(args[i + 1])
        del args[i:i + 2]
    runs = int(args[0])
    programs = [program(a) for a in args[1:]]
    work = tempfile.mkdtemp(prefix="quarnby-process-")
    # Every program keeps its undo history in a state folder of its own under the run's
    # folder, so that the histories a user's state folder holds do not weigh in.
    for i, (label, batch, env) in enumerate(programs):
        env.setdefault("XDG_STATE_HOME", os.path.join(work, f"state-{i}"))
    try:
        first = programs[0]
        subprocess.run([first[1], "--demo", work], check=True, stdout=subprocess.DEVNULL, env=first[2])
        folder = os.path.join(work, "Demo")
        subprocess.run([first[1], folder, "find-units-terragen", "set-elevation-terragen", "set-type",
                        "set-sub-types", "make-tracks"], cwd=work, check=True, stdout=subprocess.DEVNULL,
                       env=first[2])
        subprocess.run([first[1], "--yes", folder, "export-greyscale"], cwd=work, check=True,
                       stdout=subprocess.DEVNULL, env=first[2])
        header = ["Run"] + [p[0] + " (ms)" for p in programs] + (["Copy floor (ms)", "Ratio"] if floor else [])
        print("| " + " | ".join(header) + " |")
        print("|---|" + "---:|" * (len(header) - 1))
        for name, options, commands, reads, writes in CASES:
            cells = [name]
            firstTime = None
            for label, batch, env in programs:
                command = [batch] + options + ([folder] + commands if commands is not None else [])
                t = timed(command, work, env, runs)
                firstTime = t if firstTime is None else firstTime
                cells.append(f"{t:.1f}")
            if floor:
                def path(suffix):
                    return os.path.join(work, "quarnby.cfg") if suffix == ".cfg" else os.path.join(folder, "Demo" + suffix)
                f = timed([floor] + [path(s) for s in reads] + (["--write"] + [path(s) for s in writes] if writes else []),
                          work, os.environ, runs)
                cells += [f"{f:.1f}", f"{firstTime / f:.1f}x"]
            print("| " + " | ".join(cells) + " |")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
