#!/usr/bin/python3
"""TT - UTC from ERFA's dat (pyerfa, Debian python3-erfa) for the time-scale
tests. Run from the repository root:

    /usr/bin/python3 tests/data/foundations/make_time_scales.py > tests/data/foundations/time_scales.csv

Rows: 00:00 UTC of the day of every leap-second step and 23:59:59 UTC of the
day before it, then the 1st of every month from 1972-01 to 2026-12 at 12:00
UTC. tt_minus_utc_s = 32.184 + eraDat (TAI - UTC).
"""
import warnings

import erfa


def row(y, m, d, fd):
    with warnings.catch_warnings():
        # ERFA warns ("dubious year") for dates past its release year + 5.
        warnings.simplefilter("ignore")
        tai_utc = float(erfa.dat(y, m, d, fd))
    jd1, jd2 = erfa.cal2jd(y, m, d)
    return (float(jd1) + float(jd2) + fd, 32.184 + tai_utc)


steps = [(1972, 1), (1972, 7)] + [(y, 1) for y in range(1973, 1981)] + \
    [(1981, 7), (1982, 7), (1983, 7), (1985, 7), (1988, 1), (1990, 1), (1991, 1), (1992, 7), (1993, 7),
     (1994, 7), (1996, 1), (1997, 7), (1999, 1), (2006, 1), (2009, 1), (2012, 7), (2015, 7), (2017, 1)]
rows = []
for y, m in steps:
    rows.append(row(y, m, 1, 0.0))
    if (y, m) != (1972, 1):
        py, pm = (y, m - 1) if m > 1 else (y - 1, 12)
        last = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31][pm - 1]
        rows.append(row(py, pm, last, 86399.0 / 86400.0))
for y in range(1972, 2027):
    for m in range(1, 13):
        rows.append(row(y, m, 1, 0.5))
print("# TT - UTC = 32.184 s + TAI - UTC from ERFA eraDat (pyerfa %s)" % erfa.__version__)
print("# made by: /usr/bin/python3 tests/data/foundations/make_time_scales.py > tests/data/foundations/time_scales.csv")
print("jd_utc,tt_minus_utc_s")
for jd, dt in rows:
    print("%.9f,%.3f" % (jd, dt))
