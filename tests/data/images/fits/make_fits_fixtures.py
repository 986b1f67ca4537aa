#!/usr/bin/python3
"""Writes the small FITS fixtures of the FITS reader tests and astropy's
reading of them (astropy_reference.txt).

Run from this folder:  /usr/bin/python3 make_fits_fixtures.py
(Debian python3-astropy 5.2.1, python3-numpy). The test run reads only the
files written here; it does not need Python.

astropy_reference.txt holds one fact per line, "FILE KEY VALUE...":
  pixels   W H v0 v1 ...  the image as astropy reads it (scaled), rows in file order
  mjd      M               the observation time astropy reads (UTC MJD)
  sky      X Y RA DEC      astropy's all_pix2world (SIP included), FITS pixels, degrees
  scale    S               mean scale, arc seconds per pixel (sqrt |det CD|)
"""
import numpy as np
from astropy.io import fits
from astropy.time import Time
from astropy.wcs import WCS

ref = []


def note_pixels(name, hdu_index=None):
    with fits.open(name) as f:
        hdu = f[hdu_index] if hdu_index is not None else next(h for h in f if h.data is not None and h.is_image)
        data = np.asarray(hdu.data, dtype=np.float64)
    h, w = data.shape[-2], data.shape[-1]
    plane = data.reshape(-1, h, w)[0]
    ref.append(f"{name} pixels {w} {h} " + " ".join(repr(float(v)) for v in plane.ravel()))


def descriptive(header):
    header["OBJECT"] = "M 31"
    header["OBSERVER"] = "A. Smith"
    header["DATE-OBS"] = "2021-03-04T05:06:07.5"
    header["EXPTIME"] = 30.0
    header["FILTER"] = "R"


rng = np.random.default_rng(20)

# 1. A binary table after an empty primary: no image.
cols = fits.ColDefs([fits.Column(name="A", format="J", array=np.arange(12, dtype=np.int32)),
                     fits.Column(name="B", format="8A", array=np.array(["x"] * 12))])
fits.HDUList([fits.PrimaryHDU(), fits.BinTableHDU.from_columns(cols)]).writeto("btable.fits", overwrite=True)

# 2. Scaling cards of the empty primary do not reach the extension's pixels;
#    its descriptive cards do reach the observation.
prim = fits.PrimaryHDU()
prim.header["BZERO"] = 32768
prim.header["BSCALE"] = 1
descriptive(prim.header)
ext = fits.ImageHDU(data=(np.arange(20, dtype=np.int16).reshape(4, 5) * 7 + 309))
fits.HDUList([prim, ext]).writeto("primary_scaling.fits", overwrite=True)
note_pixels("primary_scaling.fits", 1)

# 3. Tile-compressed images.
u16 = (rng.integers(0, 65535, size=(30, 44))).astype(np.uint16)
i32 = (rng.integers(-2**31, 2**31 - 1, size=(30, 44))).astype(np.int32)
smooth = (1000 + 200 * np.sin(np.arange(30 * 44).reshape(30, 44) / 37.0)).astype(np.int16)
f32 = (100.0 + 10.0 * rng.standard_normal((30, 44))).astype(np.float32)
cases = [("rice_u16.fits.fz", u16, "RICE_1", {}),
         ("gzip1_i32.fits.fz", i32, "GZIP_1", {}),
         ("gzip2_i16.fits.fz", smooth, "GZIP_2", {}),
         ("hcompress_i16.fits.fz", smooth, "HCOMPRESS_1", {}),
         ("rice_f32.fits.fz", f32, "RICE_1", {"quantize_level": 16.0})]
for name, data, kind, extra in cases:
    hdr = fits.Header()
    descriptive(hdr)
    comp = fits.CompImageHDU(data=data, header=hdr, compression_type=kind, tile_size=(10, 44), **extra)
    fits.HDUList([fits.PrimaryHDU(), comp]).writeto(name, overwrite=True)
    note_pixels(name, 1)

# 4. BITPIX 64 integers, plain and with a zero.
i64 = np.array([[0, 1, -1, 2147483647], [-2147483648, 5, 6, 7], [100, 200, 300, 400]], dtype=np.int64)
fits.PrimaryHDU(data=i64).writeto("int64.fits", overwrite=True)
note_pixels("int64.fits", 0)
over = np.array([[2**40, 0, 1, 2], [3, 4, 5, 6]], dtype=np.int64)
fits.PrimaryHDU(data=over).writeto("int64_overflow.fits", overwrite=True)
note_pixels("int64_overflow.fits", 0)

# 5. WCS headers on a 40 x 30 image.
img = np.zeros((30, 40), dtype=np.int16)


def wcs_file(name, cards):
    hdu = fits.PrimaryHDU(data=img)
    for k, v in cards:
        hdu.header[k] = v
    hdu.writeto(name, overwrite=True)
    with fits.open(name) as f:
        w = WCS(f[0].header)
    for x, y in [(20.5, 15.5), (1.0, 1.0), (40.0, 30.0), (1.0, 30.0)]:
        ra, dec = w.all_pix2world([[x, y]], 1)[0]
        ref.append(f"{name} sky {x!r} {y!r} {float(ra)!r} {float(dec)!r}")
    cd = w.pixel_scale_matrix
    ref.append(f"{name} scale {float(np.sqrt(abs(np.linalg.det(cd)))) * 3600.0!r}")


tan = [("CTYPE1", "RA---TAN"), ("CTYPE2", "DEC--TAN"), ("CRVAL1", 150.25), ("CRVAL2", 32.5),
       ("CRPIX1", 18.0), ("CRPIX2", 14.0)]
s = 2.0 / 3600.0
r = np.radians(12.0)
wcs_file("wcs_cd.fits", tan + [("CD1_1", -s * np.cos(r)), ("CD1_2", s * np.sin(r)),
                               ("CD2_1", s * np.sin(r)), ("CD2_2", s * np.cos(r))])
wcs_file("wcs_crota.fits", tan + [("CDELT1", -s), ("CDELT2", s), ("CROTA2", -30.0)])
wcs_file("wcs_pc.fits", tan + [("CDELT1", s), ("CDELT2", s), ("PC1_1", np.cos(r)), ("PC1_2", -np.sin(r)),
                               ("PC2_1", np.sin(r)), ("PC2_2", np.cos(r))])
wcs_file("wcs_south.fits", [("CTYPE1", "RA---TAN"), ("CTYPE2", "DEC--TAN"), ("CRVAL1", 2.0), ("CRVAL2", -60.0),
                            ("CRPIX1", 30.0), ("CRPIX2", 5.0), ("CD1_1", s), ("CD1_2", 0.0),
                            ("CD2_1", 0.0), ("CD2_2", -s)])
wcs_file("wcs_sip.fits", [("CTYPE1", "RA---TAN-SIP"), ("CTYPE2", "DEC--TAN-SIP")] + tan[2:] +
         [("CD1_1", -s), ("CD1_2", 0.0), ("CD2_1", 0.0), ("CD2_2", s),
          ("A_ORDER", 2), ("A_2_0", 2.0e-4), ("A_1_1", -1.5e-4), ("A_0_2", 3.0e-5),
          ("B_ORDER", 2), ("B_2_0", -1.0e-4), ("B_1_1", 2.5e-4), ("B_0_2", 5.0e-5)])

# The real plate-solved frame beside these fixtures (SIP distortion of its own).
real = "../ccdproc_sip-wcs_MSUM_cutout.fit"
with fits.open(real) as f:
    w = WCS(f[0].header)
for x, y in [(50.5, 25.5), (1.0, 1.0), (100.0, 50.0), (1.0, 50.0)]:
    ra, dec = w.all_pix2world([[x, y]], 1)[0]
    ref.append(f"{real} sky {x!r} {y!r} {float(ra)!r} {float(dec)!r}")
ref.append(f"{real} scale {float(np.sqrt(abs(np.linalg.det(w.pixel_scale_matrix)))) * 3600.0!r}")

# 6. Observation times.
def time_file(name, cards, astropy_time):
    hdu = fits.PrimaryHDU(data=np.zeros((2, 3), dtype=np.int16))
    for k, v in cards:
        hdu.header[k] = v
    hdu.writeto(name, overwrite=True)
    ref.append(f"{name} mjd {float(astropy_time.utc.mjd)!r}")


time_file("time_iso.fits", [("DATE-OBS", "2019-05-01T03:45:12.345")],
          Time("2019-05-01T03:45:12.345", format="isot", scale="utc"))
time_file("time_timeobs.fits", [("DATE-OBS", "2019-05-01"), ("TIME-OBS", "23:59:59.5")],
          Time("2019-05-01T23:59:59.5", format="isot", scale="utc"))
time_file("time_ut.fits", [("DATE-OBS", "2000-02-29"), ("UT", "12:00:30.25")],
          Time("2000-02-29T12:00:30.25", format="isot", scale="utc"))
time_file("time_mjd.fits", [("MJD-OBS", 58604.15625)], Time(58604.15625, format="mjd", scale="utc"))
time_file("time_jd.fits", [("JD", 2458604.65625)], Time(2458604.65625, format="jd", scale="utc"))

with open("astropy_reference.txt", "w") as out:
    out.write("# Written by make_fits_fixtures.py with astropy; see its docstring.\n")
    out.write("\n".join(ref) + "\n")
