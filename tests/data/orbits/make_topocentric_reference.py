#!/usr/bin/python3
"""Topocentric reference places and horizontal coordinates for the ephemeris tests.

    cd tests/data/orbits && /usr/bin/python3 make_topocentric_reference.py

Writes pyephem_topocentric.csv: for the first 20 objects of
MPCORB_format_NEA_excerpt.txt, at six instants near the element epoch and for
two sites, the topocentric astrometric place (mean equator and equinox of
J2000) by PyEphem 4.1.4 (Debian python3-ephem), and the altitude and azimuth
of that same place by astropy 5.2 (Debian python3-astropy): the place is
precessed to the mean equator and equinox of date (FK5, no aberration), taken
as a place of date (TETE) and transformed to the AltAz frame without
refraction (pressure 0).

PyEphem's a_ra/a_dec are geocentric even for an Observer; the topocentric
astrometric place is a_ra/a_dec plus the parallax shift, the difference
between the apparent place for the Observer and the apparent geocentric place
(both in the J2000 epoch). PyEphem takes UT and adds Delta T; each instant is
handed over as jd - DeltaT so that it computes the orbit at jd (the element
time scale). astropy is given the instant as UT1 = jd, the way the system
uses a Julian date for the sidereal time. The test run never runs this script.
"""
import csv
import math

import ephem
from astropy import units as u
from astropy.coordinates import FK5, TETE, AltAz, EarthLocation, SkyCoord
from astropy.time import Time
from astropy.utils import iers

iers.conf.auto_download = False
iers.conf.auto_max_age = None

DUBLIN_JD = 2415020.0
SITES = [  # name, east longitude deg, latitude deg, height m
    ("kitt_peak", -111.5997, 31.9583, 2096.0),
    ("sutherland", 20.8108, -32.3794, 1798.0),
]
OFFSETS = [0.0, 0.31, 15.6, 30.45, 90.2, 180.77]


def ephem_date_for(jd):
    d = jd - DUBLIN_JD
    for _ in range(3):
        d = jd - DUBLIN_JD - ephem.delta_t(ephem.Date(d)) / 86400.0
    return ephem.Date(d)


def calendar_jd(year, month, day):
    if month <= 2:
        year -= 1
        month += 12
    a = year // 100
    b = 2 - a + a // 4
    return math.floor(365.25 * (year + 4716)) + math.floor(30.6001 * (month + 1)) + day + b - 1524.5


def packed_epoch_jd(packed):
    codes = "123456789ABCDEFGHIJKLMNOPQRSTUV"
    year = {"I": 1800, "J": 1900, "K": 2000}[packed[0]] + int(packed[1:3])
    return calendar_jd(year, codes.index(packed[3]) + 1, codes.index(packed[4]) + 1)


def main():
    with open("MPCORB_format_NEA_excerpt.txt") as f:
        lines = [next(f) for _ in range(20)]
    with open("pyephem_topocentric.csv", "w", newline="") as out:
        w = csv.writer(out, lineterminator="\n")
        w.writerow(["line", "site", "jd", "ra_deg", "dec_deg", "alt_deg", "az_deg"])
        for line_no, line in enumerate(lines, 1):
            b = ephem.EllipticalBody()
            h, g = line[8:13].strip(), line[14:19].strip()
            b._H = float(h) if h else 14.0
            b._G = float(g) if g else 0.15
            epoch = packed_epoch_jd(line[20:25])
            b._epoch_M = ephem.Date(epoch - DUBLIN_JD)
            b._epoch = ephem.Date(ephem.J2000)
            b._M, b._om, b._Om = float(line[26:35]), float(line[37:46]), float(line[48:57])
            b._inc, b._e, b._a = float(line[59:68]), float(line[70:79]), float(line[92:103])
            for k, (name, lon, lat, height) in enumerate(SITES):
                o = ephem.Observer()
                o.lon, o.lat, o.elevation = str(lon), str(lat), height
                o.pressure = 0
                o.epoch = ephem.J2000
                loc = EarthLocation(lon=lon * u.deg, lat=lat * u.deg, height=height * u.m)
                for off in OFFSETS:
                    jd = epoch + off
                    o.date = ephem_date_for(jd)
                    b.compute(o)
                    topo_ra, topo_dec = float(b.ra), float(b.dec)
                    b.compute(o.date, epoch=ephem.J2000)
                    geo_ra, geo_dec = float(b.ra), float(b.dec)
                    ra = float(b.a_ra) + (topo_ra - geo_ra)
                    dec = float(b.a_dec) + (topo_dec - geo_dec)
                    t = Time(jd, format="jd", scale="ut1")
                    # The place precessed to the mean equator and equinox of date (no
                    # aberration), then taken as a place of date and turned to the horizon.
                    j2000 = SkyCoord(ra=math.degrees(ra) * u.deg, dec=math.degrees(dec) * u.deg,
                                     frame=FK5(equinox=Time(2451545.0, format="jd", scale="tt")))
                    of_date = j2000.transform_to(FK5(equinox=Time(jd, format="jd", scale="tt")))
                    c = SkyCoord(ra=of_date.ra, dec=of_date.dec, frame=TETE(obstime=t, location=loc))
                    aa = c.transform_to(AltAz(obstime=t, location=loc, pressure=0 * u.hPa))
                    az = aa.az.deg
                    if az > 180:
                        az -= 360
                    w.writerow([line_no, k, "%.6f" % jd, "%.10f" % (math.degrees(ra) % 360), "%.10f" % math.degrees(dec),
                                "%.8f" % aa.alt.deg, "%.8f" % az])


if __name__ == "__main__":
    main()
