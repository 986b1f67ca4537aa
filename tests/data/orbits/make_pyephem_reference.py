#!/usr/bin/python3
"""Reference positions of the orbit fixtures by an independent two-body code.

Produces pyephem_nea_positions.csv and pyephem_comet_positions.csv with
PyEphem 4.1.4 (Debian python3-ephem, libastro by E. C. Downey), and
pyephem_sun.csv (the Sun seen from the Earth, 2000-2031), and
exact_conic_comet_distances.csv, the heliocentric distances of the comets
with e < 1 from Kepler's equation solved in double precision by Newton's
method (libastro's own solution loses up to 0.03 AU for the long-period
near-parabolic ellipses far from perihelion, e.g. C/1995 O1 at 50 AU):

    cd tests/data/orbits && /usr/bin/python3 make_pyephem_reference.py

For every object of MPCORB_format_NEA_excerpt.txt and CometEls_excerpt.txt
the geocentric astrometric place (light time applied, mean equator and
equinox of J2000) is computed at instants within one year of the element
epoch. PyEphem takes its dates as UT and adds Delta T before it computes;
the instants here are meant as the same time scale as the elements (TT), so
each date is handed over as jd - DeltaT(jd), which makes PyEphem compute at
exactly jd. Magnitudes: H, G for the asteroids, g, k for the comets.
The test run itself never runs this script.
"""
import csv
import math

import ephem

DUBLIN_JD = 2415020.0  # ephem.Date(0) is JD 2415020.0
GAUSS_K = 0.01720209895
OFFSETS_DAYS = [-360, -200, -90, -30, 0, 1.5, 30, 90, 200, 360]


def ephem_date_for(jd):
    """The UT date PyEphem must be given so that it computes at TT = jd."""
    d = jd - DUBLIN_JD
    for _ in range(3):
        d = jd - DUBLIN_JD - ephem.delta_t(ephem.Date(d)) / 86400.0
    return ephem.Date(d)


def packed_epoch_jd(packed):
    codes = "123456789ABCDEFGHIJKLMNOPQRSTUV"
    year = {"I": 1800, "J": 1900, "K": 2000}[packed[0]] + int(packed[1:3])
    month = codes.index(packed[3]) + 1
    day = codes.index(packed[4]) + 1
    return calendar_jd(year, month, day)


def calendar_jd(year, month, day):
    """JD of 0h of a Gregorian date (day may have a fraction)."""
    if month <= 2:
        year -= 1
        month += 12
    a = year // 100
    b = 2 - a + a // 4
    return math.floor(365.25 * (year + 4716)) + math.floor(30.6001 * (month + 1)) + day + b - 1524.5


def write_rows(writer, line_no, body, epoch_jd):
    for off in OFFSETS_DAYS:
        jd = epoch_jd + off
        body.compute(ephem_date_for(jd), epoch=ephem.J2000)
        writer.writerow([line_no, "%.6f" % jd, "%.10f" % math.degrees(body.a_ra), "%.10f" % math.degrees(body.a_dec),
                         "%.12f" % body.earth_distance, "%.2f" % body.mag])


def asteroids():
    with open("MPCORB_format_NEA_excerpt.txt") as f, open("pyephem_nea_positions.csv", "w", newline="") as out:
        w = csv.writer(out, lineterminator="\n")
        w.writerow(["line", "jd", "ra_deg", "dec_deg", "delta_au", "mag"])
        for line_no, line in enumerate(f, 1):
            b = ephem.EllipticalBody()
            h = line[8:13].strip()
            g = line[14:19].strip()
            b._H = float(h) if h else 14.0
            b._G = float(g) if g else 0.15
            epoch = packed_epoch_jd(line[20:25])
            b._epoch_M = ephem.Date(epoch - DUBLIN_JD)
            b._epoch = ephem.Date(ephem.J2000)
            b._M = float(line[26:35])
            b._om = float(line[37:46])
            b._Om = float(line[48:57])
            b._inc = float(line[59:68])
            b._e = float(line[70:79])
            b._a = float(line[92:103])
            write_rows(w, line_no, b, epoch)


def exact_distance(q, e, tp, jd):
    """Heliocentric distance (AU) on the ellipse q, e with perihelion at tp."""
    a = q / (1 - e)
    m = math.fmod(GAUSS_K / a ** 1.5 * (jd - tp), 2 * math.pi)
    ecc = m if e < 0.8 else math.copysign(math.pi, m)
    for _ in range(200):
        ecc -= (ecc - e * math.sin(ecc) - m) / (1 - e * math.cos(ecc))
    return a * (1 - e * math.cos(ecc))


def comets():
    with open("CometEls_excerpt.txt") as f, open("pyephem_comet_positions.csv", "w", newline="") as out, \
            open("exact_conic_comet_distances.csv", "w", newline="") as exact_out:
        w = csv.writer(out, lineterminator="\n")
        w.writerow(["line", "jd", "ra_deg", "dec_deg", "delta_au", "mag"])
        x = csv.writer(exact_out, lineterminator="\n")
        x.writerow(["line", "jd", "r_au"])
        for line_no, line in enumerate(f, 1):
            epoch_text = line[81:89].strip()
            if not epoch_text:
                continue  # no epoch: the converted record holds the state at JD 0
            year, month, day = int(line[14:18]), int(line[19:21]), float(line[22:29])
            tp = calendar_jd(year, month, day)
            q, e = float(line[30:39]), float(line[41:49])
            peri, node, incl = float(line[51:59]), float(line[61:69]), float(line[71:79])
            g, k = float(line[91:95]), float(line[96:100])
            epoch = calendar_jd(int(epoch_text[0:4]), int(epoch_text[4:6]), int(epoch_text[6:8]))
            if e < 1:
                for off in OFFSETS_DAYS:
                    x.writerow([line_no, "%.6f" % (epoch + off), "%.15f" % exact_distance(q, e, tp, epoch + off)])
                b = ephem.EllipticalBody()
                a = q / (1 - e)
                n_deg = math.degrees(GAUSS_K / a ** 1.5)
                b._a, b._e = a, e
                b._M = math.fmod(n_deg * (epoch - tp), 360.0)
                b._epoch_M = ephem.Date(epoch - DUBLIN_JD)
            elif e == 1:
                b = ephem.ParabolicBody()
                b._q = q
                b._epoch_p = ephem.Date(tp - DUBLIN_JD)
            else:
                b = ephem.HyperbolicBody()
                b._q, b._e = q, e
                b._epoch_p = ephem.Date(tp - DUBLIN_JD)
            b._epoch = ephem.Date(ephem.J2000)
            b._om, b._Om, b._inc = peri, node, incl
            b._g, b._k = g, k
            write_rows(w, line_no, b, epoch)


def sun():
    """The geometric direction of the Sun from the Earth (astrometric J2000 RA, Dec) and distance."""
    with open("pyephem_sun.csv", "w", newline="") as out:
        w = csv.writer(out, lineterminator="\n")
        w.writerow(["jd", "ra_deg", "dec_deg", "distance_au"])
        for k in range(40):
            jd = 2451545.0 + k * 365.25 * 0.8 + 17.3
            s = ephem.Sun()
            s.compute(ephem_date_for(jd), epoch=ephem.J2000)
            w.writerow(["%.6f" % jd, "%.10f" % math.degrees(s.a_ra), "%.10f" % math.degrees(s.a_dec),
                        "%.12f" % s.earth_distance])


if __name__ == "__main__":
    asteroids()
    comets()
    sun()
