"""What the benchmarks against gdalwarp share: timing a process and summing up repeated runs."""
import os
import statistics
import subprocess
import sys
import time


def measure(command, env=None):
    """Wall time in seconds and peak resident memory in MiB of one run."""
    start = time.perf_counter()
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit("failed: " + " ".join(command) + "\n" + proc.stderr.read().decode())
    return elapsed, usage.ru_maxrss / 1024.0


def best(command, runs):
    results = [measure(command) for _ in range(runs)]
    return min(t for t, _ in results), max(m for _, m in results)


def side_by_side(commands, runs):
    """Runs each command once per round, in turn, so that the machine's load falls on all alike.
    Returns, per command, the list of (seconds, MiB) of its runs."""
    results = [[] for _ in commands]
    for _ in range(runs):
        for i, command in enumerate(commands):
            results[i].append(measure(command))
    return results


def spread(values):
    """'median (min-max)' of a list of numbers."""
    return "%.2f (%.2f-%.2f)" % (statistics.median(values), min(values), max(values))
