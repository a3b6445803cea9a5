#!/usr/bin/env python3
"""Import DEM against gdalwarp on the same synthetic tiles and the same theatre grid.

Writes COLSxROWS 1-arc-second SRTM tiles (3601 x 3601 each, around 47 N 8 E, a few no-data
holes), then, each round, times `quarnby-batch FOLDER import-dem` with the automatic
resampling (the average, for sources finer than the theatre), the same with
`--resampling average` (GDAL's warper), and `gdalwarp -r average` onto the theatre grid
(1025 x 1025 samples 804.672 m apart, azimuthal equidistant on the centre) with the same
warp memory and threads. It prints the median and spread of each one's wall time, their
ratios, the peak resident memory, and the RMS and largest difference in metres between the
automatic import's heights and gdalwarp's, of the tiles and of a VRT over them, inside the
area gdalwarp covers. The import of one tile is measured too, to show
that memory does not grow with the sources.

usage: dem_import_bench.py QUARNBY_BATCH [RUNS] [--tiles COLSxROWS]
"""
import argparse
import array
import math
import os
import shutil
import struct
import subprocess
import tempfile

from bench_runs import best, side_by_side, spread

SIZE = 3601
EDGE = 512.5 * 804.672
POINTS = 1025


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


def terragen_metres(path):
    """The heights of a Terragen field written by Import DEM, rows from the south, in metres."""
    with open(path, "rb") as f:
        data = f.read()
    scale_m = struct.unpack_from("<f", data, data.index(b"SCAL") + 12)[0]
    height_scale, base = struct.unpack_from("<hh", data, 76)
    samples = array.array("h", data[80:80 + 2 * POINTS * POINTS])
    return [(base + s * height_scale / 65536.0) * scale_m for s in samples]


def gdal_metres(path):
    """gdalwarp's heights (ENVI raw float32), rows turned to run from the south; None for no data."""
    values = array.array("f")
    with open(path, "rb") as f:
        values.frombytes(f.read())
    rows = [values[r * POINTS:(r + 1) * POINTS] for r in range(POINTS)]
    return [None if v == -32768 else v for row in reversed(rows) for v in row]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("batch")
    parser.add_argument("runs", nargs="?", type=int, default=3)
    parser.add_argument("--tiles", default="2x2", help="COLSxROWS one-degree tiles")
    a = parser.parse_args()
    cols, rows = (int(v) for v in a.tiles.split("x"))
    batch = os.path.abspath(a.batch)
    centre = (47.0 - (rows % 2) * 0.5, 8.0 - (cols % 2) * 0.5)
    work = tempfile.mkdtemp(prefix="quarnby-dem-bench-")
    try:
        tiles = []
        for lat in range(int(centre[0] - rows / 2), int(centre[0] - rows / 2) + rows):
            for lon in range(int(centre[1] - cols / 2), int(centre[1] - cols / 2) + cols):
                path = os.path.join(work, "N%02dE%03d.hgt" % (lat, lon))
                write_tile(path, lat, lon)
                tiles.append(path)
        folder = os.path.join(work, "Alps")
        os.mkdir(folder)
        config = os.path.join(work, "none.cfg")
        projection = "+proj=aeqd +lat_0=%g +lon_0=%g +datum=WGS84 +units=m +no_defs" % centre

        def importing(sources, *options):
            command = [batch, "--config", config, folder, "import-dem", "--centre", "%g,%g" % centre] + list(options)
            for s in sources:
                command += ["--source", s]
            return command

        warped = os.path.join(work, "warped.bin")
        gdalwarp = ["gdalwarp", "-q", "-overwrite", "-of", "ENVI", "-t_srs", projection,
                    "-te", str(-EDGE), str(-EDGE), str(EDGE), str(EDGE), "-ts", str(POINTS), str(POINTS),
                    "-r", "average", "-ot", "Float32", "-dstnodata", "-32768",
                    "-wm", "64", "-multi", "-wo", "NUM_THREADS=ALL_CPUS"] + tiles + [warped]
        commands = [importing(tiles), importing(tiles, "--resampling", "average"), gdalwarp]
        results = side_by_side(commands, a.runs)

        # The automatic import's heights against gdalwarp's average, of the tiles one by one
        # (on a seam it keeps the later tile's part of a sample's footprint) and of a VRT over
        # them (the whole footprint). Samples on the rim of what gdalwarp covers are left out:
        # there it gives a sample whose footprint lies just beyond the tiles the height of
        # their edge, where the import gives none.
        subprocess.run(commands[0], check=True, stdout=subprocess.DEVNULL)
        ours = terragen_metres(os.path.join(folder, "Alps.ter"))
        mosaic = os.path.join(work, "tiles.vrt")
        subprocess.run(["gdalbuildvrt", "-q", mosaic] + tiles, check=True)
        subprocess.run(gdalwarp[:-1 - len(tiles)] + [mosaic, warped + ".vrt.bin"], check=True)
        differences = []
        for reference in (warped, warped + ".vrt.bin"):
            exact = gdal_metres(reference)

            def inside(k):
                c, r = k % POINTS, k // POINTS
                return 0 < c < POINTS - 1 and 0 < r < POINTS - 1 and all(
                    exact[(r + dr) * POINTS + c + dc] is not None for dr in (-1, 0, 1) for dc in (-1, 0, 1))

            diffs = [ours[k] - exact[k] for k in range(len(exact)) if exact[k] is not None and inside(k)]
            differences.append((len(diffs), math.sqrt(sum(d * d for d in diffs) / len(diffs)),
                                max(abs(d) for d in diffs)))

        print("%d x %d tiles of 3601 x 3601, %d runs side by side" % (cols, rows, a.runs))
        print("| Run | Time, median (min-max) (s) | Peak memory (MiB) |")
        print("|---|---:|---:|")
        names = ["quarnby-batch import-dem (automatic: average)", "quarnby-batch import-dem --resampling average",
                 "gdalwarp -r average"]
        for name, runs in zip(names, results):
            print("| %s | %s | %.0f |" % (name, spread([t for t, _ in runs]), max(m for _, m in runs)))
        seconds, mib = best(importing(tiles[:1]), a.runs)
        print("| quarnby-batch import-dem, 1 tile (best) | %.2f | %.0f |" % (seconds, mib))
        for name, runs in zip(names[:2], results[:2]):
            ratios = [q / g for (q, _), (g, _) in zip(runs, results[2])]
            print("\n%s / gdalwarp, run by run: %s" % (name, spread(ratios)), end="")
        print("\n")
        for name, (count, rms, largest) in zip(["the tiles", "a VRT over the tiles"], differences):
            print("automatic import - gdalwarp -r average of %s, over the %d samples inside: RMS %.3f m, largest %.3f m"
                  % (name, count, rms, largest))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
