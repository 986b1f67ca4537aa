#!/usr/bin/env python3
"""Writes a small Guide Star Catalog in both layouts the workbench reads.

A test tool, not part of the application. From star lists (CSV with the
columns ra_hours,dec_deg,mag,...,source_id, as tools/starlist writes them) and a
few synthetic stars it writes

  OUT/gsc/vol1/TABLES/REGIONS.TBL       the regions table, a FITS ASCII table
                                        (a 1-block primary header and a 4-block
                                        TABLE extension header, 9537 rows of 48)
  OUT/gsc/vol1/GSC/N0000/0042.GSC ...   CD-ROM region files of zones 1-13 and
  OUT/gsc/vol2/GSC/S0730/5300.GSC ...   of zones 14-24: 8640 bytes of FITS header,
                                        then 45-byte ASCII records, blank-padded
  OUT/gsc_vorn/TABLES/REGIONS.BIN       the converted regions table (36-byte records)
  OUT/gsc_vorn/GSC/<zone>/NNNN.BIN      converted region files: merged stars in
                                        27-byte records, sorted by RA then Dec
  OUT/gsc_stars.csv                     every star written: its region, GSC number
                                        and the true position and magnitude

The 9537 regions keep the real count of each of the 24 declination zones, but
their boxes are a synthetic tiling (each zone cut into 2 or 4 declination
bands of equal height, each band into equal RA slices), not the real GSC
boundaries. The last slice of every band ends at 24 h and is written as
"00 00 00.00", as in the real table; south-zone rows give the equatorward
edge as "Dec low", so the reader must put the two in order.

Each listed star becomes 1 to 3 plate entries (a deterministic pseudo-random
scatter of at most 0.3" and 0.04 mag around the true values, position errors
0.2-0.6" with some 0.0, magnitude errors 0.20-0.40 with some 0.00). The
converted files hold the merge of those entries (1/error weights, 10 for an
error of 0, right ascension averaged relative to the first entry across 0 h),
magnitude limit 20. One region file holds a blank record in the middle. Every region within a
degree of a star has its file, empty (a header and no record) when no star
falls in it.

Usage: make_gsc_catalog.py OUT STARLIST.csv [STARLIST.csv ...]
"""
import csv
import math
import os
import random
import struct
import sys

ZONES = [("N0000", 593), ("N0730", 1177), ("N1500", 1728), ("N2230", 2258), ("N3000", 2780),
         ("N3730", 3245), ("N4500", 3651), ("N5230", 4013), ("N6000", 4293), ("N6730", 4491),
         ("N7500", 4614), ("N8230", 4662), ("S0000", 5259), ("S0730", 5837), ("S1500", 6411),
         ("S2230", 6988), ("S3000", 7522), ("S3730", 8021), ("S4500", 8463), ("S5230", 8839),
         ("S6000", 9133), ("S6730", 9345), ("S7500", 9489), ("S8230", 9537)]


def card(text):
    return text.ljust(80)[:80]


def header_bytes(cards, blocks):
    """Cards, COMMENT fill and END, padded to exactly `blocks` FITS blocks."""
    cards = list(cards)
    while len(cards) < (blocks - 1) * 36:  # END stands in the last block
        cards.append(card("COMMENT   test fixture written by tools/gscgen/make_gsc_catalog.py"))
    cards.append(card("END"))
    text = "".join(cards)
    assert len(text) <= blocks * 2880, "header does not fit"
    return text.ljust(blocks * 2880).encode("ascii")


def kw(name, value, comment=""):
    if isinstance(value, str):
        v = ("'" + value.ljust(8) + "'").ljust(20)
    elif isinstance(value, bool):
        v = ("T" if value else "F").rjust(20)
    else:
        v = str(value).rjust(20)
    return card(name.ljust(8) + "= " + v + (" / " + comment if comment else ""))


def table_header(columns, row_length, rows, blocks_primary, blocks_ext):
    primary = header_bytes([kw("SIMPLE", True), kw("BITPIX", 8), kw("NAXIS", 0), kw("EXTEND", True)],
                           blocks_primary)
    cards = [kw("XTENSION", "TABLE"), kw("BITPIX", 8), kw("NAXIS", 2), kw("NAXIS1", row_length),
             kw("NAXIS2", rows), kw("PCOUNT", 0), kw("GCOUNT", 1), kw("TFIELDS", len(columns))]
    for i, (name, form, col) in enumerate(columns, 1):
        cards += [kw("TTYPE%d" % i, name), kw("TBCOL%d" % i, col), kw("TFORM%d" % i, form)]
    return primary + header_bytes(cards, blocks_ext)


def tiling():
    """Region n -> (zone index 1..24, ra_low_h, ra_high_h, dec_a, dec_b) with the row texts."""
    regions = [None]
    first = 1
    for z, (name, last) in enumerate(ZONES, 1):
        count = last - first + 1
        bands = 4
        north = name[0] == "N"
        k = int(name[1:3]) + int(name[3:5]) / 60.0  # equatorward edge, degrees
        height = 7.5 / bands
        # slices per band in proportion to the cosine of its middle (largest remainders)
        share = [math.cos(math.radians(k + (b + 0.5) * height)) for b in range(bands)]
        exact = [count * s / sum(share) for s in share]
        per_band = [int(x) for x in exact]
        for b in sorted(range(bands), key=lambda b: exact[b] - per_band[b], reverse=True)[:count - sum(per_band)]:
            per_band[b] += 1
        for b in range(bands):
            slices = per_band[b]
            # equatorward and poleward edges of the band, in minutes of arc (exact tenths)
            e_min = round((k + b * height) * 60 * 10) / 10.0
            p_min = round((k + (b + 1) * height) * 60 * 10) / 10.0
            for s in range(slices):
                lo_cs = round(s * 24 * 360000 / slices)        # centiseconds of time
                hi_cs = round((s + 1) * 24 * 360000 / slices)
                regions.append((z, lo_cs, hi_cs, e_min, p_min, north))
        first = last + 1
    assert len(regions) == 9538
    return regions


def hms(cs):
    cs %= 24 * 360000
    h, rest = divmod(cs, 360000)
    m, rest = divmod(rest, 6000)
    return "%02d %02d %05.2f" % (h, m, rest / 100.0)


def dm(minutes, negative):
    d, m = divmod(round(minutes * 10), 600)
    return ("-" if negative else "+") + "%02d %04.1f" % (d, m / 10.0)


def region_row(n, r):
    z, lo, hi, e, p, north = r
    row = "%5d  %s %s %s %s" % (n, hms(lo), hms(hi), dm(e, not north), dm(p, not north))
    assert len(row) == 48, row
    return row


def parse_row(row):
    """The region box as the reader computes it (RA hours, Dec degrees in order)."""
    ra_lo = int(row[7:9]) + int(row[10:12]) / 60.0 + float(row[13:18]) / 3600.0
    ra_hi = int(row[19:21]) + int(row[22:24]) / 60.0 + float(row[25:30]) / 3600.0
    if ra_hi == 0:
        ra_hi = 24.0
    d_lo = (int(row[32:34]) + float(row[35:39]) / 60.0) * (-1 if row[31] == "-" else 1)
    d_hi = (int(row[41:43]) + float(row[44:48]) / 60.0) * (-1 if row[40] == "-" else 1)
    if d_lo > d_hi:
        d_lo, d_hi = d_hi, d_lo
    return ra_lo, ra_hi, d_lo, d_hi


def region_of(boxes, ra_h, dec):
    for n in range(1, len(boxes)):
        lo, hi, dlo, dhi = boxes[n]
        if lo <= ra_h < hi and dlo <= dec < dhi:
            return n
    if dec >= 90.0:
        return region_of(boxes, ra_h, 89.999999)
    raise ValueError("no region for %r %r" % (ra_h, dec))


def synthetic_stars(rng):
    """Stars around RA 0 h on the equator, at both poles, and the named test stars."""
    stars = []
    for i in range(40):
        ra = (rng.uniform(-0.2, 0.2)) % 24.0
        stars.append((ra, rng.uniform(-1.0, 1.0), round(rng.uniform(9.0, 15.0), 2), 3 if i % 13 == 5 else 0,
                      "SYN-EQ0-%02d" % i))
    for i in range(12):
        stars.append((rng.uniform(0, 24), rng.uniform(89.0, 89.99), round(rng.uniform(9.0, 15.0), 2),
                      3 if i == 7 else 0, "SYN-NP-%02d" % i))
        stars.append((rng.uniform(0, 24), rng.uniform(-89.99, -89.0), round(rng.uniform(9.0, 15.0), 2),
                      3 if i == 8 else 0, "SYN-SP-%02d" % i))
    stars += [(23.98, 0.2, 11.0, 0, "SYN-RA2398"), (0.03, -0.2, 11.5, 0, "SYN-RA0003"),
              (0.10, 0.1, 12.0, 0, "SYN-RA0010")]
    return stars


def merge(entries):
    """The merge of the reader: runs of equal id in (RA degrees, Dec) order."""
    entries = sorted(entries, key=lambda e: (e["ra"], e["dec"]))
    out = []
    i = 0
    while i < len(entries):
        j = i
        while j + 1 < len(entries) and entries[j + 1]["id"] == entries[i]["id"]:
            j += 1
        run = entries[i:j + 1]
        first = run[0]["ra"]
        sw = sra = sdec = sv = smag = 0.0
        for e in run:
            d = e["ra"] - first
            if d > 180:
                d -= 360
            elif d < -180:
                d += 360
            w = 1.0 / e["pos_err"] if e["pos_err"] > 0 else 10.0
            v = 1.0 / e["mag_err"] if e["mag_err"] > 0 else 10.0
            sw += w; sra += w * d; sdec += w * e["dec"]; sv += v; smag += v * e["mag"]
        ra_h = ((first + sra / sw) / 15.0) % 24.0
        out.append({"id": run[-1]["id"], "ra_h": ra_h, "dec": sdec / sw, "mag": smag / sv,
                    "pos_err": math.sqrt(len(run)) / sw, "mag_err": math.sqrt(len(run)) / sv,
                    "cls": max(e["cls"] for e in run), "n": len(run)})
        i = j + 1
    return sorted(out, key=lambda s: (s["ra_h"], s["dec"]))


def gsc_record(e):
    rec = "%5d%9.5f%9.5f%5.1f%5.2f%4.2f%2d%1d%4s%1s" % (
        e["number"], e["ra"], e["dec"], e["pos_err"], e["mag"], e["mag_err"], 1, e["cls"], e["plate"], "F")
    assert len(rec) == 45, rec
    return rec


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out = sys.argv[1]
    rng = random.Random(20261209)
    regions = tiling()
    rows = [None] + [region_row(n, regions[n]) for n in range(1, 9538)]
    boxes = [(0.0, 0.0, 0.0, 0.0)] + [parse_row(rows[n]) for n in range(1, 9538)]

    stars = []
    for path in sys.argv[2:]:
        with open(path) as f:
            for r in csv.DictReader(f):
                stars.append((float(r["ra_hours"]), float(r["dec_deg"]), float(r["mag"]), 0, r["source_id"]))
    stars += synthetic_stars(rng)

    by_region = {}
    listing = []
    for k, (ra_h, dec, mag, cls, source) in enumerate(stars):
        n = region_of(boxes, ra_h, dec)
        entries = by_region.setdefault(n, [])
        number = len({e["number"] for e in entries}) + 1
        count = 1 + k % 3
        for p in range(count):
            dra = rng.uniform(-0.3, 0.3) / 3600.0 / max(math.cos(math.radians(dec)), 1e-3)
            ddec = rng.uniform(-0.3, 0.3) / 3600.0
            entries.append({"number": number, "ra": round((ra_h * 15.0 + dra) % 360.0, 5),
                            "dec": round(dec + ddec, 5),
                            "pos_err": 0.0 if (k + p) % 7 == 3 else round(rng.uniform(0.2, 0.6), 1),
                            "mag": round(mag + rng.uniform(-0.04, 0.04), 2),
                            "mag_err": 0.0 if (k + p) % 11 == 4 else round(rng.uniform(0.2, 0.4), 2),
                            "cls": cls, "plate": "%04d" % (100 + p)})
        listing.append((n, number, ra_h, dec, mag, cls, count, source))

    # The star of a small field whose two plate entries lie on either side of 0 h.
    n = region_of(boxes, 23.9999, 3.0)
    entries = by_region.setdefault(n, [])
    number = len({e["number"] for e in entries}) + 1
    for ra, plate in ((359.9999, "0201"), (0.0001, "0202")):
        entries.append({"number": number, "ra": ra, "dec": 3.0, "pos_err": 0.3, "mag": 10.5, "mag_err": 0.3,
                        "cls": 0, "plate": plate})
    listing.append((n, number, 0.0, 3.0, 10.5, 0, 2, "SYN-WRAP"))

    # Entries of one star must stand together in RA order, or the merge keeps them apart.
    for n, entries in by_region.items():
        order = sorted(entries, key=lambda e: (e["ra"], e["dec"]))
        for number in {e["number"] for e in entries}:
            idx = [i for i, e in enumerate(order) if e["number"] == number]
            if idx[-1] - idx[0] != len(idx) - 1 and not (order[idx[0]]["ra"] < 1 and order[idx[-1]]["ra"] > 359):
                keep = order[idx[0]]
                entries[:] = [e for e in entries if e["number"] != number or e is keep]

    # Every region within a degree of a star gets its file (empty when it holds
    # no star), so that the fields around the stars find all their regions.
    margin = 1.0
    for ra_h, dec, *_ in stars + [(0.0, 3.0)]:
        dra = 24.0 if abs(dec) + margin >= 90 else margin / 15.0 / math.cos(math.radians(abs(dec) + margin))
        for n in range(1, 9538):
            lo, hi, dlo, dhi = boxes[n]
            if dlo > dec + margin or dhi < dec - margin:
                continue
            if dra >= 12 or any(lo < ra_h + dra + s and hi > ra_h - dra + s for s in (-24.0, 0.0, 24.0)):
                by_region.setdefault(n, [])

    def write(path, data):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    # Regions table, CD-ROM form.
    columns = [("REG_NO", "I5", 1), ("RA_H_LOW", "I2", 8), ("RA_M_LOW", "I2", 11), ("RA_S_LOW", "F5.2", 14),
               ("RA_H_HI", "I2", 20), ("RA_M_HI", "I2", 23), ("RA_S_HI", "F5.2", 26), ("DECSI_LO", "A1", 32),
               ("DEC_D_LO", "I2", 33), ("DEC_M_LO", "F4.1", 36), ("DECSI_HI", "A1", 41), ("DEC_D_HI", "I2", 42),
               ("DEC_M_HI", "F4.1", 45)]
    data = "".join(rows[1:]).encode("ascii")
    data += b" " * (-len(data) % 2880)
    write(os.path.join(out, "gsc/vol1/TABLES/REGIONS.TBL"), table_header(columns, 48, 9537, 1, 4) + data)

    # Regions table, converted form.
    binary = struct.pack("<4df", 0, 0, 0, 0, 0)
    for n in range(1, 9538):
        binary += struct.pack("<4df", *boxes[n], 0.0)
    write(os.path.join(out, "gsc_vorn/TABLES/REGIONS.BIN"), binary)

    gsc_columns = [("GSC_ID", "I5", 1), ("RA_DEG", "F9.5", 6), ("DEC_DEG", "F9.5", 15), ("POS_ERR", "F5.1", 24),
                   ("MAG", "F5.2", 29), ("MAG_ERR", "F4.2", 34), ("MAG_BAND", "I2", 38), ("CLASS", "I1", 40),
                   ("PLATE_ID", "A4", 41), ("MULTIPLE", "A1", 45)]
    blank_done = False
    for n in sorted(by_region):
        entries = sorted(by_region[n], key=lambda e: (e["number"], e["plate"]))
        zone = regions[n][0]
        zdir = "GSC/%s/" % ZONES[zone - 1][0]
        records = [gsc_record(e) for e in entries]
        if not blank_done and len(records) > 4 and n > 1000:
            records.insert(len(records) // 2, " " * 45)  # a record to skip
            blank_done = True
        data = "".join(records).encode("ascii")
        data += b" " * (-len(data) % 2880)
        vol = "vol1" if zone <= 13 else "vol2"
        write(os.path.join(out, "gsc", vol, zdir + "%04d.GSC" % n),
              table_header(gsc_columns, 45, len(records), 1, 2) + data)
        binary = b""
        for s in merge([dict(e, id=e["number"]) for e in entries if e["mag"] <= 20.0]):
            binary += struct.pack("<ii4xhhhhB", round(s["ra_h"] * 1e7), round(s["dec"] * 1e5),
                                  round(s["mag"] * 1000), round(s["pos_err"] * 10), round(s["mag_err"] * 100),
                                  s["n"], s["cls"])
            binary += bytes([5]) + ("%05d" % s["id"]).encode("ascii")
        write(os.path.join(out, "gsc_vorn", zdir + "%04d.BIN" % n), binary)

    with open(os.path.join(out, "gsc_stars.csv"), "w") as f:
        f.write("region,gsc_number,ra_hours,dec_deg,mag,class,entries,source_id\n")
        for n, number, ra_h, dec, mag, cls, count, source in sorted(listing):
            f.write("%d,%d,%.8f,%.7f,%.3f,%d,%d,%s\n" % (n, number, ra_h, dec, mag, cls, count, source))


if __name__ == "__main__":
    main()
