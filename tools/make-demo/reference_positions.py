#!/usr/bin/python3
"""Independent topocentric positions of the demo asteroid, for the demo tests.

Reads the asteroid's MPCORB line, solves Kepler's equation here (numpy), takes
the Earth from astropy's built-in ERFA ephemeris (epv00) and the site from
astropy's EarthLocation, iterates the light time, and prints astrometric
J2000 right ascension and declination at the mid-exposure times of the demo
images. Nothing of the workbench's own code is used.

The image times are UTC, read from data/demo/truth.csv (column mid_jd), and
astropy turns them into TT with its own leap-second table.

Usage: reference_positions.py MPCORB.DAT DESIGNATION TRUTH.csv LON_EAST_DEG LAT_DEG HEIGHT_M > out.csv
"""
import csv
import sys

import numpy as np
from astropy import units as u
from astropy.coordinates import EarthLocation, get_body_barycentric
from astropy.time import Time
from astropy.utils import iers

iers.conf.auto_download = False

GM_SUN = 1.32712440018e11      # km^3/s^2 (IAU 2009 / DE ephemerides)
AU_KM = 149597870.7
C_KM_S = 299792.458
OBLIQUITY_J2000 = np.radians(84381.448 / 3600.0)


def packed_epoch(p):
    century = {"I": 1800, "J": 1900, "K": 2000}[p[0]]
    code = "123456789ABCDEFGHIJKLMNOPQRSTUV"
    year = century + int(p[1:3])
    return Time("%04d-%02d-%02d" % (year, code.index(p[3]) + 1, code.index(p[4]) + 1), scale="tt").jd


def elements(line):
    return dict(epoch=packed_epoch(line[20:25]), M=np.radians(float(line[26:35])),
                peri=np.radians(float(line[37:46])), node=np.radians(float(line[48:57])),
                inc=np.radians(float(line[59:68])), e=float(line[70:79]), a=float(line[92:103]) * AU_KM)


def helio_equatorial(el, jd):
    """Heliocentric J2000 equatorial position (km) by two-body motion."""
    n = np.sqrt(GM_SUN / el["a"] ** 3)
    M = el["M"] + n * (jd - el["epoch"]) * 86400.0
    E = M
    for _ in range(50):
        E = E - (E - el["e"] * np.sin(E) - M) / (1 - el["e"] * np.cos(E))
    x = el["a"] * (np.cos(E) - el["e"])
    y = el["a"] * np.sqrt(1 - el["e"] ** 2) * np.sin(E)
    cw, sw = np.cos(el["peri"]), np.sin(el["peri"])
    cn, sn = np.cos(el["node"]), np.sin(el["node"])
    ci, si = np.cos(el["inc"]), np.sin(el["inc"])
    ecl = np.array([(cw * cn - sw * sn * ci) * x + (-sw * cn - cw * sn * ci) * y,
                    (cw * sn + sw * cn * ci) * x + (-sw * sn + cw * cn * ci) * y,
                    (sw * si) * x + (cw * si) * y])
    ce, se = np.cos(OBLIQUITY_J2000), np.sin(OBLIQUITY_J2000)
    return np.array([ecl[0], ce * ecl[1] - se * ecl[2], se * ecl[1] + ce * ecl[2]])


def main():
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    mpcorb, designation, truth = sys.argv[1:4]
    lon, lat, height = (float(v) for v in sys.argv[4:7])
    line = next(l for l in open(mpcorb) if l.startswith(designation.ljust(7)))
    el = elements(line)
    site = EarthLocation.from_geodetic(lon * u.deg, lat * u.deg, height * u.m)
    print("image,mid_jd,ra_hours,dec_deg")
    for row in csv.DictReader(open(truth)):
        t = Time(float(row["mid_jd"]), format="jd", scale="utc").tt
        sun = get_body_barycentric("sun", t, ephemeris="builtin").xyz.to(u.km).value
        earth = get_body_barycentric("earth", t, ephemeris="builtin").xyz.to(u.km).value
        obs_gcrs, _ = site.get_gcrs_posvel(t)
        observer = earth - sun + obs_gcrs.xyz.to(u.km).value
        tau = 0.0
        for _ in range(10):
            rho = helio_equatorial(el, t.jd - tau / 86400.0) - observer
            tau = np.linalg.norm(rho) / C_KM_S
        ra = np.degrees(np.arctan2(rho[1], rho[0])) % 360.0 / 15.0
        dec = np.degrees(np.arcsin(rho[2] / np.linalg.norm(rho)))
        print("%s,%.8f,%.9f,%.8f" % (row["image"], float(row["mid_jd"]), ra, dec))


if __name__ == "__main__":
    main()
