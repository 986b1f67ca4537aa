#!/usr/bin/python3
"""What the orbit benchmarks are compared with, measured on the same machine.

    /usr/bin/python3 bench/orbits/pyephem_rate.py [/tmp/skarvel_bench_MPCORB.DAT]

The file is the synthetic MPCORB file bench_orbits writes (1.5 million lines).
Prints (1) how many lines per second a plain Python parser of the MPCORB columns
reads, and (2) how many objects per second PyEphem 4.1.4 (Debian python3-ephem)
computes at one instant (geocentric astrometric place and magnitude, the work of
one full evaluation), for the first 20000 objects of the file.
"""
import sys
import time

import ephem

PATH = sys.argv[1] if len(sys.argv) > 1 else "/tmp/skarvel_bench_MPCORB.DAT"


def parse(line):
    return (line[0:7], line[8:13], line[14:19], line[20:25], float(line[26:35]), float(line[37:46]),
            float(line[48:57]), float(line[59:68]), float(line[70:79]), float(line[92:103]), line[166:194])


def main():
    with open(PATH) as f:
        for line in f:
            if line.startswith("-"):
                break
        records = []
        start = time.perf_counter()
        for line in f:
            records.append(parse(line))
        seconds = time.perf_counter() - start
    print("Python parser: %d lines in %.2f s, %.0f lines/s" % (len(records), seconds, len(records) / seconds))

    bodies = []
    for r in records[:20000]:
        b = ephem.EllipticalBody()
        b._H = float(r[1]) if r[1].strip() else 14.0
        b._G = float(r[2]) if r[2].strip() else 0.15
        b._epoch_M = ephem.Date("2025/5/5")
        b._epoch = ephem.J2000
        b._M, b._om, b._Om, b._inc, b._e, b._a = r[4], r[5], r[6], r[7], r[8], r[9]
        bodies.append(b)
    when = ephem.Date("2026/5/31")
    start = time.perf_counter()
    rounds = 5
    for _ in range(rounds):
        for b in bodies:
            b.compute(when, epoch=ephem.J2000)
            _ = b.a_ra, b.a_dec, b.mag
    seconds = time.perf_counter() - start
    print("PyEphem: %.0f objects/s (compute at one instant, astrometric place and magnitude)"
          % (rounds * len(bodies) / seconds))


if __name__ == "__main__":
    main()
