#!/usr/bin/python3
"""Generated nights for the naming of known objects: topocentric astrometric
J2000 places of the demo's near-Earth asteroids at UTC frame times, seen from
Kitt Peak, computed without the workbench's code. Run from the repository root:

    /usr/bin/python3 tests/data/astrometry/make_known_erfa.py data/demo/orbits/MPCORB.DAT \
        > tests/data/astrometry/known_erfa.csv

Kepler's equation is solved here (numpy) from the MPCORB elements (epoch TT),
the Earth comes from ERFA's epv00 (astropy's built-in ephemeris) and the site
from astropy's EarthLocation (ERFA), the light time is iterated. The UTC
times are turned into TT by astropy (ERFA's leap-second table). For each
asteroid the script scans 2018-2021 in steps of 7.3 days for the first two
nights on which it moves at least 1"/min; each night has four frames 20
minutes apart from 04:00 UTC. Debian 12: python3-astropy, python3-numpy.
"""
import sys

import numpy as np
from astropy import units as u
from astropy.coordinates import EarthLocation, get_body_barycentric
from astropy.time import Time
from astropy.utils import iers

iers.conf.auto_download = False

GM_SUN = 1.32712440018e11      # km^3/s^2 (IAU 2009)
AU_KM = 149597870.7
C_KM_S = 299792.458
OBLIQUITY_J2000 = np.radians(84381.448 / 3600.0)
PACKED = "123456789ABCDEFGHIJKLMNOPQRSTUV"
SITE = EarthLocation.from_geodetic(-111.59947 * u.deg, 31.958333 * u.deg, 2096 * u.m)


def elements(line):
    p = line[20:25]
    year = {"I": 1800, "J": 1900, "K": 2000}[p[0]] + int(p[1:3])
    epoch = Time("%04d-%02d-%02d" % (year, PACKED.index(p[3]) + 1, PACKED.index(p[4]) + 1), scale="tt").jd
    return dict(epoch=epoch, M=np.radians(float(line[26:35])), peri=np.radians(float(line[37:46])),
                node=np.radians(float(line[48:57])), inc=np.radians(float(line[59:68])), e=float(line[70:79]),
                a=float(line[92:103]) * AU_KM)


def helio(el, jd_tt):
    """Heliocentric J2000 equatorial position (km) by two-body motion."""
    M = el["M"] + np.sqrt(GM_SUN / el["a"] ** 3) * (jd_tt - el["epoch"]) * 86400.0
    E = M
    for _ in range(50):
        E = E - (E - el["e"] * np.sin(E) - M) / (1 - el["e"] * np.cos(E))
    x, y = el["a"] * (np.cos(E) - el["e"]), el["a"] * np.sqrt(1 - el["e"] ** 2) * np.sin(E)
    cw, sw, cn, sn = np.cos(el["peri"]), np.sin(el["peri"]), np.cos(el["node"]), np.sin(el["node"])
    ci, si = np.cos(el["inc"]), np.sin(el["inc"])
    ecl = np.array([(cw * cn - sw * sn * ci) * x + (-sw * cn - cw * sn * ci) * y,
                    (cw * sn + sw * cn * ci) * x + (-sw * sn + cw * cn * ci) * y, sw * si * x + cw * si * y])
    ce, se = np.cos(OBLIQUITY_J2000), np.sin(OBLIQUITY_J2000)
    return np.array([ecl[0], ce * ecl[1] - se * ecl[2], se * ecl[1] + ce * ecl[2]])


def place(el, jd_utc):
    t = Time(jd_utc, format="jd", scale="utc").tt
    sun = get_body_barycentric("sun", t, ephemeris="builtin").xyz.to(u.km).value
    earth = get_body_barycentric("earth", t, ephemeris="builtin").xyz.to(u.km).value
    observer = earth - sun + SITE.get_gcrs_posvel(t)[0].xyz.to(u.km).value
    tau = 0.0
    for _ in range(10):
        rho = helio(el, t.jd - tau / 86400.0) - observer
        tau = np.linalg.norm(rho) / C_KM_S
    ra = np.degrees(np.arctan2(rho[1], rho[0])) % 360.0 / 15.0
    return ra, np.degrees(np.arcsin(rho[2] / np.linalg.norm(rho))), np.linalg.norm(rho) / AU_KM


def main():
    lines = [l for l in open(sys.argv[1]) if len(l) > 103 and l[:5].strip().isdigit()]
    print("# made by: /usr/bin/python3 tests/data/astrometry/make_known_erfa.py data/demo/orbits/MPCORB.DAT "
          "> tests/data/astrometry/known_erfa.csv")
    print("night,designation,frame,jd_utc,ra_hours,dec_deg,delta_au,rate_arcsec_per_min")
    night = 0
    start = Time("2018-01-01T04:00:00", scale="utc").jd
    for line in lines:
        el = elements(line)
        found, day = 0, start
        while found < 2 and day < start + 4 * 365:
            ra0, dec0, _ = place(el, day)
            ra1, dec1, _ = place(el, day + 1 / 24)
            rate = np.hypot((ra1 - ra0) * 54000 * np.cos(np.radians(dec0)), (dec1 - dec0) * 3600) / 60
            if rate >= 1.0:
                night += 1
                found += 1
                for k in range(4):
                    jd = day + k * 20 / 1440
                    ra, dec, delta = place(el, jd)
                    print("%d,%s,%d,%.9f,%.10f,%.9f,%.6f,%.3f" % (night, line[:5].strip(), k + 1, jd, ra, dec, delta,
                                                                 rate))
                day += 40
            day += 7.3


if __name__ == "__main__":
    main()
