#!/usr/bin/env python3
"""Import DEM against gdalwarp on the same synthetic tiles and the same theatre grid.

Writes four 1-arc-second SRTM tiles (3601 x 3601, N46E007 to N47E008, a few no-data
holes), then times `quarnby-batch FOLDER import-dem` and `gdalwarp` onto the theatre
grid (1025 x 1025 samples 804.672 m apart, azimuthal equidistant on the centre) with the
same resampling, warp memory and threads, each several times, and prints the best wall
time and the peak resident memory of each. The import of one tile is measured too, to
show that memory does not grow with the sources.

Usage: dem_import_bench.py QUARNBY_BATCH [RUNS]
"""
import array
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time

SIZE = 3601
TILES = [(46, 7), (46, 8), (47, 7), (47, 8)]
CENTRE = (47.0, 8.0)
EDGE = 512.5 * 804.672
RESAMPLING = "average"


def write_tile(path, lat, lon):
    """Big-endian 16-bit heights, rows from the north, as SRTM tiles are."""
    cols = [600.0 * math.cos(2 * math.pi * (lon + c / (SIZE - 1)) * 1.7) for c in range(SIZE)]
    texture = [(c * 13) % 50 for c in range(SIZE)]
    with open(path, "wb") as out:
        for r in range(SIZE):
            la = lat + 1 - r / (SIZE - 1)
            base = 1200.0 + 900.0 * math.sin(2 * math.pi * la * 1.3)
            row = array.array("h", [int(base + cols[c]) + (texture[c] + r * 7) % 50 for c in range(SIZE)])
            if 1000 <= r < 1100:  # a no-data strip
                row[1000:1100] = array.array("h", [-32768] * 100)
            row.byteswap()
            out.write(row.tobytes())


def measure(command):
    """Wall time in seconds and peak resident memory in MiB of one run."""
    start = time.perf_counter()
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit("failed: " + " ".join(command) + "\n" + proc.stderr.read().decode())
    return elapsed, usage.ru_maxrss / 1024.0


def best(command, runs):
    results = [measure(command) for _ in range(runs)]
    return min(t for t, _ in results), max(m for _, m in results)


def main():
    batch = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    work = tempfile.mkdtemp(prefix="quarnby-dem-bench-")
    try:
        tiles = []
        for lat, lon in TILES:
            path = os.path.join(work, "N%02dE%03d.hgt" % (lat, lon))
            write_tile(path, lat, lon)
            tiles.append(path)
        folder = os.path.join(work, "Alps")
        os.mkdir(folder)
        config = os.path.join(work, "none.cfg")
        centre = "%g,%g" % CENTRE
        projection = "+proj=aeqd +lat_0=%g +lon_0=%g +datum=WGS84 +units=m +no_defs" % CENTRE

        def importing(sources):
            command = [batch, "--config", config, folder, "import-dem", "--centre", centre, "--resampling", RESAMPLING]
            for s in sources:
                command += ["--source", s]
            return command

        gdalwarp = ["gdalwarp", "-q", "-overwrite", "-t_srs", projection,
                    "-te", str(-EDGE), str(-EDGE), str(EDGE), str(EDGE), "-ts", "1025", "1025",
                    "-r", RESAMPLING, "-ot", "Float32", "-dstnodata", "-32768",
                    "-wm", "64", "-multi", "-wo", "NUM_THREADS=ALL_CPUS"] + tiles + [os.path.join(work, "warped.tif")]

        rows = [
            ("quarnby-batch import-dem, 4 tiles", best(importing(tiles), runs)),
            ("gdalwarp, 4 tiles", best(gdalwarp, runs)),
            ("quarnby-batch import-dem, 1 tile", best(importing(tiles[:1]), runs)),
        ]
        print("| Run | Best of %d (s) | Peak memory (MiB) |" % runs)
        print("|---|---:|---:|")
        for name, (seconds, mib) in rows:
            print("| %s | %.2f | %.0f |" % (name, seconds, mib))
        print("\nimport / gdalwarp: %.2f" % (rows[0][1][0] / rows[1][1][0]))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
