#!/usr/bin/env bash
# Rebuilds the seed corpora in fuzz/corpus/ from the test fixtures and the demo
# night, and the generated seeds (FITS images, report data files) with
# make_fuzz_seeds. Usage: fuzz/make_corpus.sh [BUILD_DIR]   (default build/)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
corpus="$root/fuzz/corpus"
data="$root/tests/data"
demo="$root/data/demo"
rm -rf "$corpus"
mkdir -p "$corpus"/{fits,orbit_lines,cmo,report_data,options,record_files,gsc,sbig,online_answer,find_orb,saved_orbits,zone_catalogs,help,calib_frame}

# Orbit lines: a first byte choosing the parser (0 MPCORB, 1 astorb, 2 COMET.DAT), then lines.
{ printf '\0'; head -n 4 "$data/orbits/MPCORB_format_NEA_excerpt.txt"; } > "$corpus/orbit_lines/mpcorb"
{ printf '\1'; grep -v '^#' "$data/orbits/astorb_lowell_doc_sample_records.txt" | head -n 3; } > "$corpus/orbit_lines/astorb"
{ printf '\2'; head -n 4 "$data/orbits/CometEls_excerpt.txt"; } > "$corpus/orbit_lines/comet"
# Converted orbits: the first three records (162 bytes each) of the demo's file.
head -c 486 "$demo/orbits/MPCORB.CMO" > "$corpus/cmo/demo3"
# Options: the demo's file.
cp "$demo/ASTROPTS.INI" "$corpus/options/demo"
# Record files: a first byte choosing the kind (1 camera, 2 site, 3 telescope codes).
{ printf '\1'; cat "$demo/ASTCAMS.DAT"; } > "$corpus/record_files/cameras"
{ printf '\2'; cat "$demo/ASTSITES.DAT"; } > "$corpus/record_files/sites"
{ printf '\3'; head -n 40 "$data/config/SCPCODES.DAT"; } > "$corpus/record_files/scopecodes"
# GSC: a first byte choosing the form (0 regions table rows, 1 CD-ROM records, 2 converted records,
# 3 the regions table file, 4 a CD-ROM region file, 5 a converted region file).
{ printf '\0'; head -c 3000 "$data/catalogs/gsc/vol1/TABLES/REGIONS.TBL"; } > "$corpus/gsc/regions"
{ printf '\1'; dd if="$data/catalogs/gsc/vol2/GSC/S0730/5340.GSC" bs=1 skip=8640 count=900 status=none; } > "$corpus/gsc/cdrom"
{ printf '\2'; cat "$data/catalogs/gsc_vorn/GSC/S0000/4812.BIN"; } > "$corpus/gsc/converted"
{ printf '\4'; cat "$data/catalogs/gsc/vol2/GSC/S0730/5340.GSC"; } > "$corpus/gsc/cdrom_file"
{ printf '\5'; cat "$data/catalogs/gsc_vorn/GSC/S0000/4812.BIN"; } > "$corpus/gsc/converted_file"
{ printf '\3'; head -c 9000 "$data/catalogs/gsc/vol1/TABLES/REGIONS.TBL"; } > "$corpus/gsc/table"
# On-line answers: a first byte choosing the format (bit 0: VizieR), catalog and colour.
{ printf '\x07'; cat "$data/catalogs/online/gaia_dr3_field.tsv"; } > "$corpus/online_answer/vizier_gaia"
{ printf '\x20'; printf '#USNO-NVO cone search\n#END\n'
  printf '            id|        RA|       DEC|  MuRA| MuDEC|    B|    V|    R|    J|    H|    K|\n'
  printf '#               hh.hhh/dd.ddd\n'
  printf '  0815-0298787|  9.388950| -8.411542|  -6.0|  12.0|14.10|13.60|13.20|12.10|11.80|11.70|\n'
  printf '  0815-0298788|  9.390000| -8.400000|   0.0|   0.0|15.00|14.00| 0.00|13.00|12.00|11.00|\n'; } > "$corpus/online_answer/usno_decimal"
{ printf '\x20'; printf '#END\n            id|        RA|       DEC|    R|\n#     hh mm ss/dd mm ss\n'
  printf '  0815-0298787|09 23 20.22|-08 24 41.5|13.20|\n'; } > "$corpus/online_answer/usno_sexagesimal"
# FIND_ORB element files: each block of the fixtures.
awk -v out="$corpus/find_orb/block" '/^Orbital elements:/{n++} {print > (out n)}' "$data/orbits/findorb/findorb_elements_examples.txt"
awk -v out="$corpus/find_orb/sigma" '/^Orbital elements:/{n++} {print > (out n)}' "$data/orbits/findorb/findorb_elements_sigma_format_examples.txt"
# Saved orbits: the first 156 bytes of the demo's first three converted records.
for i in 0 1 2; do dd if="$demo/orbits/MPCORB.CMO" bs=1 skip=$((i * 162)) count=156 status=none; done > "$corpus/saved_orbits/demo3"
# Help: a first byte choosing the file (even: the topic list, odd: a help text file).
{ printf '\0'; cat "$data/help/TOOLSHLP.LST"; } > "$corpus/help/list"
for f in images single short download; do { printf '\1'; cat "$data/help/$f.hlp"; } > "$corpus/help/$f"; done
# Generated seeds.
cmake --build "$build" --target make_fuzz_seeds >/dev/null
"$build/fuzz/make_fuzz_seeds" "$corpus"
# Calibration frames: the FITS seeds behind a first byte choosing a bias (0), dark (1),
# flat by the mean (6) or a light calibrated by itself as the flat (3).
for f in "$corpus"/fits/*.fit; do
  for b in 0 1 6 3; do { printf "\\x0$b"; cat "$f"; } > "$corpus/calib_frame/$(basename "$f" .fit)_$b"; done
done
printf '\xffSkarvel calibration masters 1\nST-8\t1\t/m/B.FIT\t\t/m/F.FIT\nX\t0\t\t\t\n' > "$corpus/calib_frame/choices"
ls -R "$corpus" | head -40
