#!/usr/bin/env python3
"""Import Land Cover against `gdalwarp -r mode -ovr NONE` of the same mosaic onto the same type grid.

Writes a synthetic land cover mosaic as the real ones come: square tiles in EPSG:4326 of
tiled (512 x 512), DEFLATE-compressed GeoTIFF with a VRT over them, ESA WorldCover class
codes in patches about 1.5 km wide with wavy edges, 0 for no data. The tiles lie in a grid
of COLSxROWS around the theatre centre (46.5 N 8 E). Then, each round, times
`quarnby-batch FOLDER import-land-cover` (the layer, Set Type with it and the undo step)
and `gdalwarp` onto the type grid (512 x 512 cells of 5280 ft, azimuthal equidistant on
the centre), and prints the median and the spread of the times, of their ratio and of
the peak resident memory.

The scale is a parameter because writing the mosaic is slow: the time of both grows with
the source cells under the theatre (a whole theatre of 10 m data is about 6.8 gigapixels).

usage: land_cover_bench.py QUARNBY_BATCH [--metres 10|100] [--tiles COLSxROWS]
                           [--tile-size CELLS] [--runs N] [--keep DIR]
"""
import argparse
import math
import os
import shutil
import subprocess
import tempfile

from bench_runs import side_by_side, spread

CENTRE = (46.5, 8.0)
SAMPLE = 804.672  # metres between two elevation samples; a type cell is two wide
DEGREES_PER_CELL = {10: 1 / 12000, 100: 1 / 1200}
CODES = [10, 10, 10, 20, 30, 30, 40, 40, 50, 60, 70, 80, 90, 95, 100]


def patch_code(cx, cy):
    h = (cx * 374761393 + cy * 668265263) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return CODES[(h ^ (h >> 16)) % len(CODES)]


def write_tile(work, name, size, first_col, first_row, patch, west, north, step):
    """One tile: rows of runs of a patch's code, the runs shifted row by row for wavy edges."""
    raw = os.path.join(work, name + ".bin")
    with open(raw, "wb") as out:
        for y in range(size):
            row = first_row + y
            shift = int(patch / 2 * (1 + math.sin(row * 2 * math.pi / (3.7 * patch))))
            start = first_col + shift
            cx0, cx1 = start // patch, (start + size) // patch + 1
            cy = row // patch
            line = b"".join(bytes([patch_code(cx, cy)]) * patch for cx in range(cx0, cx1))
            lead = start - cx0 * patch
            out.write(line[lead:lead + size])
    with open(os.path.join(work, name + ".hdr"), "w") as hdr:
        hdr.write("ENVI\nsamples = %d\nlines = %d\nbands = 1\nheader offset = 0\nfile type = ENVI Standard\n"
                  "data type = 1\ninterleave = bsq\nbyte order = 0\n" % (size, size))
    tif = os.path.join(work, name + ".tif")
    subprocess.run(["gdal_translate", "-q", "-of", "GTiff", "-co", "TILED=YES", "-co", "BLOCKXSIZE=512",
                    "-co", "BLOCKYSIZE=512", "-co", "COMPRESS=DEFLATE", "-co", "NUM_THREADS=ALL_CPUS",
                    "-a_srs", "EPSG:4326", "-a_nodata", "0",
                    "-a_ullr", repr(west), repr(north), repr(west + size * step), repr(north - size * step),
                    raw, tif], check=True)
    os.remove(raw)
    os.remove(os.path.join(work, name + ".hdr"))
    return tif


def write_mosaic(work, metres, cols, rows, size):
    step = DEGREES_PER_CELL[metres]
    patch = max(2, round(1500 / metres))
    west0 = CENTRE[1] - cols * size * step / 2
    north0 = CENTRE[0] + rows * size * step / 2
    tiles = []
    for j in range(rows):
        for i in range(cols):
            tiles.append(write_tile(work, "tile_%d_%d" % (j, i), size, i * size, j * size, patch,
                                    west0 + i * size * step, north0 - j * size * step, step))
    vrt = os.path.join(work, "mosaic.vrt")
    subprocess.run(["gdalbuildvrt", "-q", vrt] + tiles, check=True)
    return vrt


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("batch")
    parser.add_argument("--metres", type=int, choices=sorted(DEGREES_PER_CELL), default=10)
    parser.add_argument("--tiles", default="2x2", help="COLSxROWS")
    parser.add_argument("--tile-size", type=int, default=6000, help="cells along a tile's side")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--keep", help="write the mosaic here and keep it (reused when there)")
    a = parser.parse_args()
    cols, rows = (int(v) for v in a.tiles.split("x"))
    batch = os.path.abspath(a.batch)
    work = os.path.abspath(a.keep) if a.keep else tempfile.mkdtemp(prefix="quarnby-cover-bench-")
    os.makedirs(work, exist_ok=True)
    try:
        vrt = os.path.join(work, "mosaic.vrt")
        if not os.path.exists(vrt):
            vrt = write_mosaic(work, a.metres, cols, rows, a.tile_size)
        env = dict(os.environ, XDG_STATE_HOME=os.path.join(work, "state"))
        shutil.rmtree(os.path.join(work, "Demo"), ignore_errors=True)
        subprocess.run([batch, "--demo", work], check=True, stdout=subprocess.DEVNULL, env=env)
        folder = os.path.join(work, "Demo")
        subprocess.run([batch, folder, "find-units-terragen", "set-elevation-terragen"], cwd=work, check=True,
                       stdout=subprocess.DEVNULL, env=env)
        ours = ["env", "XDG_STATE_HOME=" + env["XDG_STATE_HOME"], batch, "--config", os.path.join(work, "none.cfg"),
                folder, "import-land-cover", "--source", vrt, "--centre", "%g,%g" % CENTRE, "--table",
                "esa-worldcover"]
        west, north = -512.5 * SAMPLE, 511.5 * SAMPLE
        projection = "+proj=aeqd +lat_0=%g +lon_0=%g +datum=WGS84 +units=m +no_defs" % CENTRE
        gdalwarp = ["gdalwarp", "-q", "-overwrite", "-t_srs", projection,
                    "-te", repr(west), repr(north - 1024 * SAMPLE), repr(west + 1024 * SAMPLE), repr(north),
                    "-ts", "512", "512", "-r", "mode", "-ovr", "NONE", vrt, os.path.join(work, "mode.tif")]
        (q, g) = side_by_side([ours, gdalwarp], a.runs)
        cells = cols * rows * a.tile_size ** 2
        print("%d m mosaic: %d x %d tiles of %d x %d cells (%.0f megapixels), %d runs" %
              (a.metres, cols, rows, a.tile_size, a.tile_size, cells / 1e6, a.runs))
        print("| Run | Time, median (min-max) (s) | Peak memory (MiB) |")
        print("|---|---:|---:|")
        print("| quarnby-batch import-land-cover | %s | %.0f |" % (spread([t for t, _ in q]), max(m for _, m in q)))
        print("| gdalwarp -r mode -ovr NONE | %s | %.0f |" % (spread([t for t, _ in g]), max(m for _, m in g)))
        ratios = [qt / gt for (qt, _), (gt, _) in zip(q, g)]
        print("\nimport / gdalwarp, run by run: %s" % spread(ratios))
    finally:
        if not a.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
