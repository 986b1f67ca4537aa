#!/usr/bin/python3
"""Writes the synthetic plates of the plate-solution accuracy test.

A test tool, not part of the application. Needs Debian's python3-numpy and
python3-astropy (apt-get install python3-numpy python3-astropy); the test
run itself reads only the CSV files written here.

Every plate is a known gnomonic (TAN) projection built with astropy.wcs:
tangent point, scale in arc seconds per pixel, rotation, parity, and an
optional quadratic distortion given as SIP coefficients in pixel space (only
the x*y terms for a "cross-term" plate, all three quadratic terms for a
"quadratic" plate). Reference stars are placed at random pixels; their true
sky positions come from astropy's all_pix2world; the catalog positions are the
true ones plus Gaussian noise of the plate's sigma (arc seconds, on the sky,
independent in both axes). Pixel positions are exact.

For each plate and star count the script fits, with numpy.linalg.lstsq, each
of the three plate models whose unknown count does not exceed the star count,
in the standard coordinates of the solver (X positive toward decreasing right
ascension, Y north, radians, about the field centre given to the solver;
computed with astropy's TAN projection):

    linear      X = a x + b y + c                       (Y likewise)
    cross term  X = a x + b y + c x y + d
    quadratic   X = a x + b y + c x y + d x^2 + e y^2 + f

and applies the fit to three target pixels. For each model and target it
writes the fitted position, the expected 1-sigma error of that position from
the catalog noise (sigma * sqrt(t' (A'A)^-1 t), arc seconds, each axis) and the
model bias (the same fit to noise-free catalog positions, minus the truth,
arc seconds on the sky), and the truth.

File layout (one file per plate and star count; '#' lines are comments):
    plate,<name>,<centre RA h>,<centre Dec deg>,<scale "/px>,<rotation deg>,
          <parity>,<distortion model 0/1/2>,<noise sigma ">,<seed>
    pair,<x>,<y>,<catalog RA h>,<catalog Dec deg>
    target,<index>,<x>,<y>,<true RA h>,<true Dec deg>
    fit,<model>,<target index>,<RA h>,<Dec deg>,<sigma xi ">,<sigma eta ">,
        <bias xi ">,<bias eta ">
    constants,<model>,<the 2m constants a, b, ... in the solver's order>

Usage: /usr/bin/python3 tools/plate_fixtures.py [OUTDIR]
       (default OUTDIR: tests/data/astrometry)
"""
import math
import os
import sys

import astropy
import numpy as np
from astropy.wcs import WCS, Sip

UNKNOWNS = {0: 3, 1: 4, 2: 6}

# name, centre RA h, centre Dec deg, scale "/px, rotation deg, parity (+1: x
# toward west), width, height, distortion model, SIP amplitude (per pixel),
# noise ", seed, offset of the solver's field centre from the tangent point
# (arc seconds in RA and Dec)
PLATES = [
    ("fine", 3.2, 17.0, 0.5, 7.0, 1, 1024, 1024, 0, 0.0, 0.05, 11, (12.0, -8.0)),
    ("crossterm", 14.75, -48.0, 1.2, -35.0, 1, 1536, 1024, 1, 2.0e-6, 0.15, 23, (-20.0, 15.0)),
    ("wide", 23.95, 62.0, 3.0, 120.0, -1, 2048, 2048, 2, 1.5e-6, 0.3, 37, (30.0, 25.0)),
    ("exact", 8.0, 80.0, 2.0, -90.0, 1, 1000, 800, 2, 2.5e-6, 0.0, 41, (0.0, 0.0)),
    ("equator", 0.02, 0.5, 0.8, 179.0, -1, 765, 510, 0, 0.0, 0.1, 53, (5.0, 5.0)),
]

STAR_COUNTS = [3, 4, 6, 8, 12, 30, 100]

ARCSEC_PER_RAD = 180.0 * 3600.0 / math.pi


def plate_wcs(p):
    """The true projection of a plate: pixel (0-based) -> RA, Dec degrees."""
    (_name, ra_h, dec, scale, rot, parity, width, height, distortion, amp, _noise, seed, _off) = p
    w = WCS(naxis=2)
    s = scale / 3600.0
    t = math.radians(rot)
    # Intermediate world coordinates xi (east) and eta (north), degrees.
    w.wcs.cd = [[-parity * s * math.cos(t), s * math.sin(t)], [parity * s * math.sin(t), s * math.cos(t)]]
    w.wcs.crval = [ra_h * 15.0, dec]
    w.wcs.crpix = [width / 2.0 + 1.0, height / 2.0 + 1.0]  # FITS pixels count from 1
    if distortion:
        rng = np.random.default_rng(seed + 1000)
        a = np.zeros((3, 3))
        b = np.zeros((3, 3))
        a[1, 1] = amp * rng.uniform(0.5, 1.0)
        b[1, 1] = -amp * rng.uniform(0.5, 1.0)
        if distortion == 2:
            a[2, 0], a[0, 2] = amp * rng.uniform(0.5, 1.0), -amp * rng.uniform(0.5, 1.0)
            b[2, 0], b[0, 2] = -amp * rng.uniform(0.5, 1.0), amp * rng.uniform(0.5, 1.0)
        w.wcs.ctype = ["RA---TAN-SIP", "DEC--TAN-SIP"]
        w.sip = Sip(a, b, None, None, w.wcs.crpix)
    else:
        w.wcs.ctype = ["RA---TAN", "DEC--TAN"]
    return w


def standard_wcs(ra_deg, dec_deg):
    """TAN projection about the field centre with an identity CD matrix."""
    w = WCS(naxis=2)
    w.wcs.ctype = ["RA---TAN", "DEC--TAN"]
    w.wcs.crval = [ra_deg, dec_deg]
    w.wcs.crpix = [1.0, 1.0]
    w.wcs.cd = [[1.0, 0.0], [0.0, 1.0]]
    return w


def to_standard(std, ra_deg, dec_deg):
    p = std.wcs_world2pix(np.column_stack([ra_deg, dec_deg]), 0)
    return -np.radians(p[:, 0]), np.radians(p[:, 1])


def from_standard(std, X, Y):
    w = std.wcs_pix2world(np.column_stack([-np.degrees(X), np.degrees(Y)]), 0)
    return w[:, 0] % 360.0, w[:, 1]


def terms(x, y, model):
    one = np.ones_like(x)
    if model == 0:
        return np.column_stack([x, y, one])
    if model == 1:
        return np.column_stack([x, y, x * y, one])
    return np.column_stack([x, y, x * y, x * x, y * y, one])


def lstsq(A, rhs):
    # Columns scaled to unit size for the conditioning; the solution is the
    # same least-squares solution of the unscaled model.
    scale = np.max(np.abs(A), axis=0)
    sol, _res, rank, _sv = np.linalg.lstsq(A / scale, rhs, rcond=None)
    if rank < A.shape[1]:
        raise ValueError("rank-deficient design")
    return sol / scale


def sky_offsets(ra1, dec1, ra0, dec0):
    """(ra1, dec1) - (ra0, dec0) in arc seconds on the sky, degrees in."""
    dra = (ra1 - ra0 + 180.0) % 360.0 - 180.0
    return dra * 3600.0 * np.cos(np.radians(dec0)), (dec1 - dec0) * 3600.0


def write_case(out_dir, p, n, command):
    (name, ra_h, dec, scale, rot, parity, width, height, distortion, _amp, noise, seed, off) = p
    truth = plate_wcs(p)
    rng = np.random.default_rng(seed * 1000 + n)
    margin = 10.0
    x = rng.uniform(margin, width - 1 - margin, n)
    y = rng.uniform(margin, height - 1 - margin, n)
    true_sky = truth.all_pix2world(np.column_stack([x, y]), 0)
    tra, tdec = true_sky[:, 0], true_sky[:, 1]
    nxi = rng.normal(0.0, 1.0, n) * noise
    neta = rng.normal(0.0, 1.0, n) * noise
    cat_dec = tdec + neta / 3600.0
    cat_ra = (tra + nxi / 3600.0 / np.cos(np.radians(tdec))) % 360.0

    targets_x = np.array([width / 2.0 + 3.25, rng.uniform(0, width - 1), width - 1 - 5.5])
    targets_y = np.array([height / 2.0 - 1.75, rng.uniform(0, height - 1), 4.5])
    target_sky = truth.all_pix2world(np.column_stack([targets_x, targets_y]), 0)

    centre_ra = (ra_h * 15.0 + off[0] / 3600.0 / math.cos(math.radians(dec))) % 360.0
    centre_dec = dec + off[1] / 3600.0
    std = standard_wcs(centre_ra, centre_dec)
    X, Y = to_standard(std, cat_ra, cat_dec)
    X0, Y0 = to_standard(std, tra % 360.0, tdec)  # noise-free catalog

    lines = [
        "# Synthetic plate '%s' with %d reference stars (projection by astropy %s, fit by numpy %s lstsq)."
        % (name, n, astropy.__version__, np.__version__),
        "# Produced by: %s" % command,
        "# plate,name,centre_ra_h,centre_dec_deg,scale_arcsec_per_px,rotation_deg,parity,distortion,noise_arcsec,seed",
        "# pair,x,y,cat_ra_h,cat_dec_deg",
        "# target,index,x,y,true_ra_h,true_dec_deg",
        "# fit,model,target,ra_h,dec_deg,sigma_xi_arcsec,sigma_eta_arcsec,bias_xi_arcsec,bias_eta_arcsec",
        "# constants,model,a,b,...",
        "plate,%s,%r,%r,%r,%r,%d,%d,%r,%d"
        % (name, centre_ra / 15.0, centre_dec, scale, rot, parity, distortion, noise, seed),
    ]
    for i in range(n):
        lines.append("pair,%r,%r,%r,%r" % (x[i], y[i], cat_ra[i] / 15.0, cat_dec[i]))
    for k in range(3):
        lines.append("target,%d,%r,%r,%r,%r"
                     % (k, targets_x[k], targets_y[k], (target_sky[k, 0] % 360.0) / 15.0, target_sky[k, 1]))
    for model in (0, 1, 2):
        m = UNKNOWNS[model]
        if n < m:
            continue
        A = terms(x, y, model)
        cx, cy = lstsq(A, X), lstsq(A, Y)
        bx, by = lstsq(A, X0), lstsq(A, Y0)
        T = terms(targets_x, targets_y, model)
        fra, fdec = from_standard(std, T @ cx, T @ cy)
        bra, bdec = from_standard(std, T @ bx, T @ by)
        bias_xi, bias_eta = sky_offsets(bra, bdec, target_sky[:, 0], target_sky[:, 1])
        cov = np.linalg.inv(A.T @ A)
        h = np.einsum("ij,jk,ik->i", T, cov, T)
        sigma = noise * np.sqrt(np.maximum(h, 0.0))
        for k in range(3):
            lines.append("fit,%d,%d,%r,%r,%r,%r,%r,%r"
                         % (model, k, fra[k] / 15.0, fdec[k], sigma[k], sigma[k], bias_xi[k], bias_eta[k]))
        lines.append("constants,%d,%s" % (model, ",".join(repr(v) for v in np.concatenate([cx, cy]))))
    path = os.path.join(out_dir, "plate_%s_%03d.csv" % (name, n))
    with open(path, "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join("tests", "data", "astrometry")
    os.makedirs(out_dir, exist_ok=True)
    command = "/usr/bin/python3 tools/plate_fixtures.py" + (" " + sys.argv[1] if len(sys.argv) > 1 else "")
    for p in PLATES:
        for n in STAR_COUNTS:
            write_case(out_dir, p, n, command)


if __name__ == "__main__":
    main()
