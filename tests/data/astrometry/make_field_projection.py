#!/usr/bin/env python3
"""Reference picture positions of catalog stars, computed independently.

The tangent plane is built from unit vectors (centre c, east e, north n):
standard coordinates are (p.e)/(p.c) and (p.n)/(p.c); the picture's x axis
runs west (east to the left) and y runs south (north up). Scales come from
the field size: the RA span of the field (S/1800 hours each side) across the
picture width, and the same scale on the picture's height (the picture is
scaled like a CCD image, one scale on both axes).

    python3 tests/data/astrometry/make_field_projection.py \
        tests/data/catalogs/tycho2/field_ecl090.csv > tests/data/astrometry/field_projection.csv
"""
import csv
import math
import sys

CASES = [
    # name, ra0 h, dec0 deg, size arcmin, W, H, rotation deg
    ("plain", 5.9999999, 23.4392813, 60.0, 640.0, 480.0, 0.0),
    ("rotated", 5.9999999, 23.4392813, 75.0, 640.0, 512.0, 25.0),
    ("north", 6.0, 80.0, 90.0, 640.0, 640.0, -40.0),
]


def unit(ra_h, dec_d):
    a = math.radians(ra_h * 15.0)
    d = math.radians(dec_d)
    return (math.cos(d) * math.cos(a), math.cos(d) * math.sin(a), math.sin(d))


def dot(u, v):
    return sum(x * y for x, y in zip(u, v))


def plane(ra0, dec0):
    a0 = math.radians(ra0 * 15.0)
    d0 = math.radians(dec0)
    c = unit(ra0, dec0)
    e = (-math.sin(a0), math.cos(a0), 0.0)
    n = (-math.sin(d0) * math.cos(a0), -math.sin(d0) * math.sin(a0), math.cos(d0))
    return c, e, n


def picture(ra0, dec0, size, w, h, rot, ra, dec):
    c, e, n = plane(ra0, dec0)

    def std(r, d):
        p = unit(r, d)
        return dot(p, e) / dot(p, c), dot(p, n) / dot(p, c)

    east, _ = std(ra0 + size / 1800.0, dec0)
    west, _ = std(ra0 - size / 1800.0, dec0)
    kx = w / (east - west)  # picture units per unit of the eastward coordinate
    ky = kx  # and of the northward one
    xe, yn = std(ra, dec)
    u, v = xe * kx, yn * ky  # east and north in picture units
    t = math.radians(rot)
    x = w / 2 - (u * math.cos(t) + v * math.sin(t))
    y = h / 2 - (v * math.cos(t) - u * math.sin(t))
    return x, y


def main():
    stars = list(csv.DictReader(open(sys.argv[1])))[:40]
    out = csv.writer(sys.stdout, lineterminator="\n")
    out.writerow(["case", "ra0_h", "dec0_deg", "size_arcmin", "width", "height", "rotation_deg",
                  "ra_h", "dec_deg", "x", "y"])
    for name, ra0, dec0, size, w, h, rot in CASES:
        for s in stars:
            ra = float(s["ra_hours"])
            dec = float(s["dec_deg"])
            if name == "north":
                ra = (ra - 5.9999999) * 3.0 + 6.0
                dec = dec - 23.4392813 + 80.0
            x, y = picture(ra0, dec0, size, w, h, rot, ra, dec)
            out.writerow([name, repr(ra0), repr(dec0), repr(size), repr(w), repr(h), repr(rot),
                          "%.9f" % ra, "%.9f" % dec, "%.9f" % x, "%.9f" % y])


if __name__ == "__main__":
    main()
