#!/usr/bin/python3
"""Observations with a known truth for the orbit-determination tests.

    cd tests/data/orbits && /usr/bin/python3 make_orbit_fit_observations.py

Writes, under fit/:
- obscodes.txt: an observatory code list in the MPC's layout (code, east
  longitude, rho cos phi', rho sin phi', name) for the sites below, computed
  from their geodetic longitude, latitude and height on the WGS 84 ellipsoid.
  The positions are rounded values good to about 0.01 degree (a kilometre),
  not the MPC's own figures; C51 (WISE) has blank fields like a spacecraft.
- three_nights_NN.txt (NN = 01..20): MPC 80-column lines of a real MPCORB
  near-Earth object (MPCORB_format_NEA_excerpt.txt) on three nights spread
  over 8-12 days, three positions a night 25 minutes apart, the nights
  alternating between codes 695 (Kitt Peak) and 809 (La Silla).
- one_night_NN.txt: four positions over 1.5 hours of one night at 695 or 809.
- truth.csv: per file the MPCORB line, the catalogue's a, e, i, node, peri,
  the prediction instant (TT Julian date), its site and the true topocentric
  astrometric place there (J2000): for three_nights 30 days after the last
  night, for one_night 24 hours after the last position.
- three_nights_01.psv: the first case again as ADES PSV with rmsRA/rmsDec 0.15.

The places are PyEphem 4.1.4's (Debian python3-ephem) two-body positions of
the catalogue's osculating elements, never the program's own propagation.
PyEphem's a_ra/a_dec are geocentric; the topocentric astrometric place is
a_ra/a_dec plus the parallax shift (PyEphem's apparent place for the
observer minus its apparent geocentric place, both in the J2000 frame).
Times: each observation instant is UTC; the body is computed at TT = UTC +
TT-UTC (leap-second table), handed to PyEphem as TT - its Delta T. Every
position gets Gaussian noise of 0.15" in RA cos Dec and in Dec (seed 46).
The test run never runs this script.
"""
import csv
import math
import random

import ephem

DUBLIN_JD = 2415020.0
NOISE_ARCSEC = 0.15
# code, name, east longitude deg, latitude deg, height m (rounded site positions)
SITES = [
    ("000", "Greenwich", 0.0, 51.4769, 46.0),
    ("049", "Uppsala-Kvistaberg", 17.61, 59.50, 33.0),
    ("120", "Visnjan", 13.72, 45.28, 230.0),
    ("333", "Desert Eagle", 249.24, 31.95, 1400.0),
    ("413", "Siding Spring Observatory", 149.07, -31.28, 1150.0),
    ("500", "Geocentric", None, None, None),
    ("566", "Haleakala-NEAT/GEODSS", 203.74, 20.71, 3050.0),
    ("568", "Mauna Kea", 204.53, 19.83, 4200.0),
    ("608", "Haleakala-AMOS", 203.74, 20.71, 3050.0),
    ("644", "Palomar Mountain/NEAT", 243.14, 33.36, 1712.0),
    ("691", "Steward Observatory, Kitt Peak-Spacewatch", 248.40, 31.96, 2070.0),
    ("695", "Kitt Peak", 248.40, 31.96, 2100.0),
    ("699", "Lowell Observatory-LONEOS", 248.46, 35.10, 2200.0),
    ("703", "Catalina Sky Survey", 249.27, 32.42, 2510.0),
    ("704", "Lincoln Laboratory ETS, New Mexico", 253.34, 33.82, 1505.0),
    ("807", "Cerro Tololo Observatory, La Serena", 289.20, -30.17, 2200.0),
    ("809", "European Southern Observatory, La Silla", 289.27, -29.26, 2400.0),
    ("910", "Caussols-ODAS", 6.92, 43.75, 1270.0),
    ("C51", "WISE", None, None, None),
    ("D29", "Purple Mountain Observatory, XuYi Station", 118.46, 32.74, 180.0),
    ("E12", "Siding Spring Survey", 149.06, -31.27, 1150.0),
    ("F51", "Pan-STARRS 1, Haleakala", 203.74, 20.71, 3050.0),
    ("G96", "Mt. Lemmon Survey", 249.21, 32.44, 2790.0),
    ("I41", "Palomar Mountain--ZTF", 243.14, 33.36, 1712.0),
    ("T05", "ATLAS-HKO, Haleakala", 203.74, 20.71, 3050.0),
    ("T08", "ATLAS-MLO, Mauna Loa", 204.42, 19.54, 3400.0),
]
SITE = {s[0]: s for s in SITES}
WGS84_A = 6378137.0
WGS84_F = 1 / 298.257223563

# TAI - UTC steps (year, month) after the 10 s of 1972 January 1.
LEAPS = [(1972, 7), (1973, 1), (1974, 1), (1975, 1), (1976, 1), (1977, 1), (1978, 1), (1979, 1), (1980, 1),
         (1981, 7), (1982, 7), (1983, 7), (1985, 7), (1988, 1), (1990, 1), (1991, 1), (1992, 7), (1993, 7),
         (1994, 7), (1996, 1), (1997, 7), (1999, 1), (2006, 1), (2009, 1), (2012, 7), (2015, 7), (2017, 1)]


def calendar_jd(year, month, day):
    if month <= 2:
        year -= 1
        month += 12
    a = year // 100
    b = 2 - a + a // 4
    return math.floor(365.25 * (year + 4716)) + math.floor(30.6001 * (month + 1)) + day + b - 1524.5


def tt_minus_utc(jd_utc):
    return 42.184 + sum(1 for y, m in LEAPS if jd_utc >= calendar_jd(y, m, 1))


def parallax_constants(lat_deg, height_m):
    phi = math.radians(lat_deg)
    ba = 1 - WGS84_F
    u = math.atan(ba * math.tan(phi))
    h = height_m / WGS84_A
    return math.cos(u) + h * math.cos(phi), ba * math.sin(u) + h * math.sin(phi)


def geodetic(lon, lat, height):
    """PyEphem's observer of a site (its own ellipsoid; the difference is metres)."""
    o = ephem.Observer()
    o.lon, o.lat, o.elevation = str(lon), str(lat), height
    o.pressure = 0
    o.epoch = ephem.J2000
    return o


def ephem_date_for(jd_tt):
    d = jd_tt - DUBLIN_JD
    for _ in range(3):
        d = jd_tt - DUBLIN_JD - ephem.delta_t(ephem.Date(d)) / 86400.0
    return ephem.Date(d)


def packed_epoch_jd(packed):
    codes = "123456789ABCDEFGHIJKLMNOPQRSTUV"
    year = {"I": 1800, "J": 1900, "K": 2000}[packed[0]] + int(packed[1:3])
    return calendar_jd(year, codes.index(packed[3]) + 1, codes.index(packed[4]) + 1)


def body_of(line):
    b = ephem.EllipticalBody()
    h, g = line[8:13].strip(), line[14:19].strip()
    b._H = float(h) if h else 14.0
    b._G = float(g) if g else 0.15
    b._epoch_M = ephem.Date(packed_epoch_jd(line[20:25]) - DUBLIN_JD)
    b._epoch = ephem.Date(ephem.J2000)
    b._M, b._om, b._Om = float(line[26:35]), float(line[37:46]), float(line[48:57])
    b._inc, b._e, b._a = float(line[59:68]), float(line[70:79]), float(line[92:103])
    return b


def topocentric(b, code, jd_utc):
    """(ra rad, dec rad, alt deg, sun alt deg) at a UTC instant, the body at TT."""
    _, _, lon, lat, height = SITE[code]
    o = geodetic(lon, lat, height)
    jd_tt = jd_utc + tt_minus_utc(jd_utc) / 86400.0
    o.date = ephem_date_for(jd_tt)
    b.compute(o)
    topo_ra, topo_dec, alt = float(b.ra), float(b.dec), math.degrees(float(b.alt))
    b.compute(o.date, epoch=ephem.J2000)
    geo_ra, geo_dec = float(b.ra), float(b.dec)
    ra = float(b.a_ra) + (topo_ra - geo_ra)
    dec = float(b.a_dec) + (topo_dec - geo_dec)
    s = ephem.Sun()
    s.compute(o)
    return ra % (2 * math.pi), dec, alt, math.degrees(float(s.alt))


def visible_start(b, code, jd_day, span_h):
    """The first UTC instant of the day from which the body stays above 25 deg in a
    dark sky (sun below -12 deg) for span_h hours, in 10-minute steps; or None."""
    for k in range(144):
        t = jd_day + k / 144.0
        ok = True
        for m in range(0, int(span_h * 6) + 1):
            _, _, alt, sun = topocentric(b, code, t + m / 144.0)
            if alt < 25 or sun > -12:
                ok = False
                break
        if ok:
            return t
    return None


def sexagesimal(x, decimals, width):
    sign = "-" if x < 0 else "+"
    x = abs(x)
    d = int(x)
    m = int((x - d) * 60)
    s = ((x - d) * 60 - m) * 60
    s = round(s, decimals)
    if s >= 60:
        s -= 60
        m += 1
    if m >= 60:
        m -= 60
        d += 1
    return sign, "%02d %02d %0*.*f" % (d, m, decimals + 3, decimals, s)


def mpc80(desig, jd_utc, ra, dec, code):
    jd = jd_utc + 0.5
    z = math.floor(jd)
    f = jd - z
    alpha = math.floor((z - 1867216.25) / 36524.25)
    a = z + 1 + alpha - alpha // 4
    b = a + 1524
    c = math.floor((b - 122.1) / 365.25)
    d = math.floor(365.25 * c)
    e = math.floor((b - d) / 30.6001)
    day = b - d - math.floor(30.6001 * e) + f
    month = e - 1 if e < 14 else e - 13
    year = c - 4716 if month > 2 else c - 4715
    _, ra_text = sexagesimal(math.degrees(ra) / 15, 3, 12)
    sign, dec_text = sexagesimal(math.degrees(dec), 2, 12)
    number, prov = (desig, "       ") if desig[0].isdigit() else ("     ", desig)
    line = "%5s%7s  C%04d %02d %09.6f%s%s%s" % (number, prov, year, month, day, ra_text, sign, dec_text)
    line = line.ljust(65) + "18.5 V".ljust(12) + code
    assert len(line) == 80, line
    return line


def noisy(rng, ra, dec):
    s = math.radians(NOISE_ARCSEC / 3600)
    return ra + rng.gauss(0, s) / math.cos(dec), dec + rng.gauss(0, s)


def write_obscodes():
    with open("fit/obscodes.txt", "w") as f:
        f.write("Code  Long.   cos      sin    Name\n")
        for code, name, lon, lat, height in SITES:
            if lon is None and code == "500":
                f.write("%s   0.0000 0.00000 +0.00000 %s\n" % (code, name))
            elif lon is None:
                f.write("%s%s%s\n" % (code, " " * 27, name))
            else:
                rc, rs = parallax_constants(lat, height)
                f.write("%s%9.4f%8.5f%+9.5f %s\n" % (code, lon, rc, rs, name))


def main():
    rng = random.Random(46)
    write_obscodes()
    with open("MPCORB_format_NEA_excerpt.txt") as f:
        lines = [l.rstrip("\n") for l in f if len(l) > 103]
    order = list(range(len(lines)))
    rng.shuffle(order)
    truth = []
    cases = {"three_nights": 0, "one_night": 0}
    pick = iter(order)
    while cases["three_nights"] < 20 or cases["one_night"] < 20:
        kind = "three_nights" if cases["three_nights"] < 20 else "one_night"
        idx = next(pick)
        line = lines[idx]
        b = body_of(line)
        epoch = packed_epoch_jd(line[20:25])
        start = math.floor(epoch + rng.uniform(-60, 60)) + 0.5
        desig = line[0:7].strip()
        obs = []
        if kind == "three_nights":
            offsets = [0, rng.randint(3, 6), rng.randint(8, 12)]
            codes = ["695", "809", "695"] if rng.random() < 0.5 else ["809", "695", "809"]
            for off, code in zip(offsets, codes):
                t0 = visible_start(b, code, start + off, 1.0)
                if t0 is None:
                    other = "809" if code == "695" else "695"
                    t0, code = visible_start(b, other, start + off, 1.0), other
                if t0 is None:
                    break
                for k in range(3):
                    obs.append((t0 + k * 25 / 1440.0, code))
            if len(obs) < 9:
                continue
            predict_utc = obs[-1][0] + 30
            pcode = obs[-1][1]
        else:
            code = "695" if cases["one_night"] % 2 == 0 else "809"
            t0 = visible_start(b, code, start, 1.5)
            if t0 is None:
                continue
            for k in range(4):
                obs.append((t0 + k * 30 / 1440.0, code))
            predict_utc = obs[-1][0] + 1
            pcode = code
        cases[kind] += 1
        name = "%s_%02d" % (kind, cases[kind])
        out = []
        psv = []
        for t, code in obs:
            ra, dec, _, _ = topocentric(b, code, t)
            ra, dec = noisy(rng, ra, dec)
            out.append(mpc80(desig, t, ra, dec, code))
            psv.append((t, ra, dec, code))
        with open("fit/%s.txt" % name, "w") as f:
            f.write("\n".join(out) + "\n")
        if name == "three_nights_01":
            with open("fit/%s.psv" % name, "w") as f:
                f.write("# version=2022\n# observatory\n! mpcCode 695\n")
                f.write("provID|mode|stn|obsTime|ra|dec|rmsRA|rmsDec|astCat\n")
                for t, ra, dec, code in psv:
                    secs = round((t - math.floor(t - 0.5) - 0.5) * 86400.0, 3)
                    base = ephem.Date(math.floor(t - 0.5) + 0.5 - DUBLIN_JD).tuple()
                    iso = "%04d-%02d-%02dT%02d:%02d:%06.3fZ" % (base[0], base[1], base[2], int(secs // 3600),
                                                                int(secs % 3600 // 60), secs % 60)
                    f.write("%s|CCD|%s|%s|%.7f|%+.7f|0.15|0.15|Gaia2\n" % (desig, code, iso, math.degrees(ra),
                                                                       math.degrees(dec)))
        predict_tt = predict_utc + tt_minus_utc(predict_utc) / 86400.0
        pra, pdec, _, _ = topocentric(b, pcode, predict_utc)
        truth.append([name, idx + 1, desig, line[92:103].strip(), line[70:79].strip(), line[59:68].strip(),
                      line[48:57].strip(), line[37:46].strip(), "%.6f" % predict_tt, pcode,
                      "%.9f" % (math.degrees(pra) / 15), "%.8f" % math.degrees(pdec)])
    with open("fit/truth.csv", "w", newline="") as f:
        w = csv.writer(f, lineterminator="\n")
        w.writerow(["file", "mpcorb_line", "designation", "a_au", "e", "i_deg", "node_deg", "peri_deg",
                    "predict_jd_tt", "site", "ra_hours", "dec_deg"])
        w.writerows(truth)


if __name__ == "__main__":
    main()
