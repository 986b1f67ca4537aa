#!/usr/bin/python3
"""Reference tables for the foundations tests, computed with ERFA (pyerfa 2.0,
Debian python3-erfa). Run from the repository root:

    /usr/bin/python3 tests/data/foundations/make_references.py

It rewrites the .csv files beside this script. Julian dates are used as TT and
UT1 alike, as the system makes no time-scale conversion.
"""
import math
import os

import erfa
import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
ARCSEC = math.pi / (180 * 3600)

# Julian dates from 1000 to 3000 in irregular steps (about every 41 years),
# and a dense stretch around 2000.
JDS = [2451545.0 + k * 14974.3 for k in range(-24, 25)] + [2451545.0 + k * 97.13 for k in range(-40, 41)]


def write(name, header, rows, comment):
    with open(os.path.join(HERE, name), "w") as f:
        f.write("# " + comment + "\n")
        f.write("# made by: /usr/bin/python3 tests/data/foundations/make_references.py (pyerfa %s)\n" % erfa.__version__)
        f.write(",".join(header) + "\n")
        for r in rows:
            f.write(",".join(repr(float(x)) for x in r) + "\n")


def sidereal():
    rows = []
    for jd in JDS:
        gmst = erfa.gmst82(jd, 0.0)
        gst = erfa.gst94(jd, 0.0)
        rows.append((jd, gmst, gst))
    write("sidereal.csv", ["jd", "gmst82_rad", "gst94_rad"], rows,
          "Greenwich mean (eraGmst82, IAU 1982) and apparent (eraGst94, IAU 1994 equation of the equinoxes) sidereal angle")


def obliquity_nutation():
    rows = []
    for jd in JDS:
        eps80 = erfa.obl80(jd, 0.0)
        dpsi, deps = erfa.nut80(jd, 0.0)
        rows.append((jd, eps80, dpsi, deps))
    write("obliquity_nutation.csv", ["jd", "obl80_rad", "nut80_dpsi_rad", "nut80_deps_rad"], rows,
          "IAU 1980 mean obliquity (eraObl80) and IAU 1980 nutation (eraNut80)")


def ecliptic_of_date_matrix(jd):
    """Mean ecliptic and equinox of date from J2000 mean equator: IAU 1976
    precession (eraPmat76, Lieske et al. 1977) then the IAU 1980 obliquity."""
    p = erfa.pmat76(jd, 0.0)
    r = erfa.rx(erfa.obl80(jd, 0.0), np.identity(3))
    return r @ p


def precession():
    rows = []
    cases = [
        (2451545.0, 2469807.5), (2451545.0, 2415020.3135), (2433282.4235, 2451545.0),
        (2415020.3135, 2469807.5), (2460000.5, 2305447.5), (2396758.5, 2488069.5),
    ]
    lon_lat = [(0.0, 0.0), (100.0, 10.0), (200.0, -45.0), (359.5, 60.0), (45.0, 89.7), (300.0, -89.6), (91.0, 0.3)]
    for jd0, jd1 in cases:
        m = ecliptic_of_date_matrix(jd1) @ ecliptic_of_date_matrix(jd0).T
        for lam, bet in lon_lat:
            v = erfa.s2c(math.radians(lam), math.radians(bet))
            lam1, bet1 = erfa.c2s(m @ v)
            rows.append((jd0, jd1, lam, bet, math.degrees(erfa.anp(lam1)), math.degrees(bet1)))
    write("precession.csv", ["jd0", "jd1", "lambda0_deg", "beta0_deg", "lambda1_deg", "beta1_deg"], rows,
          "ecliptic coordinates precessed by the IAU 1976 precession matrix (eraPmat76) between mean ecliptics of date (eraObl80)")


def sun():
    rows = []
    # eraEpv00 is meant for 1900-2100: every 1461.37 days over it, and a dense stretch.
    sun_jds = [2415020.5 + k * 1461.37 for k in range(0, 50)] + [2451545.0 + k * 23.7 for k in range(-30, 31)]
    for jd in sun_jds:
        pvh, _ = erfa.epv00(jd, 0.0)
        # Geometric geocentric Sun = minus the heliocentric Earth (BCRS, ICRS axes).
        s = -pvh[0]
        e = erfa.ecm06(jd, 0.0) @ s  # mean ecliptic and equinox of date (IAU 2006)
        lam, bet = erfa.c2s(e)
        rows.append((jd, math.degrees(erfa.anp(lam)), math.degrees(bet), float(np.linalg.norm(s))))
    write("sun.csv", ["jd", "lambda_deg", "beta_deg", "distance_au"], rows,
          "geometric Sun from eraEpv00 (VSOP2000 fit, a few mas), mean ecliptic and equinox of date by eraEcm06")


def sun_series():
    """The 50-term series summed straight from the published table as shipped
    in ../shared/data/sun/bretagnon_simon_50.tsv (double precision throughout),
    to catch a term copied wrong into the code."""
    # The shared folder beside the repository, or the one $SKARVEL_SHARED_DIR names.
    shared = os.environ.get("SKARVEL_SHARED_DIR", os.path.join(HERE, "..", "..", "..", "..", "shared"))
    path = os.path.join(shared, "data", "sun", "bretagnon_simon_50.tsv")
    terms = [tuple(float(x) for x in line.split("\t")) for line in open(path).read().strip().split("\n")[1:]]
    assert len(terms) == 50
    rows = []
    for jd in [2451545.0, 2415020.5, 2488069.5, 2299160.5, 1721425.5, 2816787.5, 2455197.75, 2433282.4235]:
        u = (jd - 2451545.0) / 3652500.0
        lam = 4.9353929 + 62833.196168 * u + 1e-7 * sum(l * math.sin(a + n * u) for l, r, a, n in terms)
        dist = 1.0001026 + 1e-7 * sum(r * math.cos(a + n * u) for l, r, a, n in terms)
        rows.append((jd, lam % (2 * math.pi), dist))
    write("sun_series.csv", ["jd", "lambda_rad", "distance_au"], rows,
          "the 50-term Bretagnon-Simon series summed from bretagnon_simon_50.tsv")


if __name__ == "__main__":
    sun_series()
    sidereal()
    obliquity_nutation()
    precession()
    sun()
