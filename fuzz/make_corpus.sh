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
mkdir -p "$corpus"/{fits,orbit_lines,cmo,report_data,options,record_files,gsc}

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
# GSC: a first byte choosing the form (0 regions table rows, 1 CD-ROM records, 2 converted records).
{ printf '\0'; head -c 3000 "$data/catalogs/gsc/vol1/TABLES/REGIONS.TBL"; } > "$corpus/gsc/regions"
{ printf '\1'; tail -c +8641 "$data/catalogs/gsc/vol2/GSC/S0730/5340.GSC" | head -c 900; } > "$corpus/gsc/cdrom"
{ printf '\2'; cat "$data/catalogs/gsc_vorn/GSC/S0000/4812.BIN"; } > "$corpus/gsc/converted"
# Generated seeds.
cmake --build "$build" --target make_fuzz_seeds >/dev/null
"$build/fuzz/make_fuzz_seeds" "$corpus"
ls -R "$corpus" | head -40
