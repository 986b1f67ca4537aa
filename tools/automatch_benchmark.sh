#!/usr/bin/env bash
# The statistics run of the automatic matching beside astrometry.net (not a
# test): frames of real Tycho-2 fields made and matched by
# tests/tools/automatch_frames.cpp, then solved by astrometry.net's
# solve-field on the same FITS files with the same hints (the header's centre
# within the pointing error, the expected scale +-20 percent); success rate,
# wrong solutions, wall time and the sky position of two known pixels against
# the truth, side by side, as markdown in OUTDIR/automatch_benchmark.md.
#
# Needs (benchmark only, not the test run): astrometry.net,
# astrometry-data-tycho2-07, astrometry-data-tycho2-08, python3-numpy,
# python3-astropy (for the star lists of ../shared/tools/starlist); installed
# when missing and run as root.
#
# Usage: tools/automatch_benchmark.sh [OUTDIR] [COUNT] [SIZE] [SEED]
#   defaults: $SKARVEL_BUILD/automatch_benchmark, 60 frames, 1024 pixels, seed 11.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SKARVEL_BUILD:-$ROOT/build}"
OUT="${1:-$BUILD/automatch_benchmark}"
COUNT="${2:-60}"
SIZE="${3:-1024}"
SEED="${4:-11}"
STARLIST="${STARLIST_TOOL:-$ROOT/../shared/tools/starlist/extract_stars.py}"

if ! command -v solve-field >/dev/null 2>&1 || [ ! -d /usr/share/astrometry ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "astrometry.net is missing: sudo apt-get install astrometry.net astrometry-data-tycho2-07 astrometry-data-tycho2-08" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y --no-install-recommends astrometry.net astrometry-data-tycho2-07 astrometry-data-tycho2-08 \
    python3-numpy python3-astropy
fi

mkdir -p "$OUT/frames" "$OUT/lists" "$OUT/an"
cmake --build "$BUILD" -j2 --target automatch_frames >/dev/null
TOOL="$(find "$BUILD" -name automatch_frames -type f -perm -u+x | head -1)"

# Five real fields: across 0 h, 2.5 degrees from the pole, the ecliptic, the
# Milky Way in Cygnus, the south; 3.2 degrees around each.
FIELDS=()
for setup in "w0:0.05:2.0" "pole:7.0:87.5" "ecl200:13.23:-7.82" "cyg:20.4:40.0" "south:5.3:-60"; do
  IFS=: read -r name ra dec <<<"$setup"
  list="$OUT/lists/$name.csv"
  [ -s "$list" ] || /usr/bin/python3 "$STARLIST" "$ra" "$dec" 3.2 99 -o "$list"
  FIELDS+=("$list:$ra:$dec:3.2")
done

"$TOOL" "$OUT/frames" "$COUNT" "$SEED" "$SIZE" "${FIELDS[@]}" >"$OUT/ours.csv"

# astrometry.net on each frame: the same hints, 20 s of CPU at most.
echo "frame,solved,seconds,known_err_arcsec" >"$OUT/astrometry.csv"
tail -n +2 "$OUT/ours.csv" | while IFS=, read -r frame file inField hra hdec tscale escale found pairs wrong ms \
    k1x k1y k1ra k1dec k2x k2y k2ra k2dec err reason; do
  lo=$(awk -v s="$escale" 'BEGIN{print s*0.78}')
  hi=$(awk -v s="$escale" 'BEGIN{print s*1.22}')
  radius=$(awk -v s="$escale" -v n="$SIZE" 'BEGIN{print s*n*1.25/3600}')
  rad=$(awk -v r="$hra" 'BEGIN{print r*15}')
  base="${file%.fits}"
  start=$(date +%s.%N)
  solve-field --overwrite --no-plots --cpulimit 20 -D "$OUT/an" --scale-units arcsecperpix --scale-low "$lo" \
    --scale-high "$hi" --ra "$rad" --dec "$hdec" --radius "$radius" "$OUT/frames/$file" >"$OUT/an/$base.log" 2>&1 || true
  end=$(date +%s.%N)
  secs=$(awk -v a="$start" -v b="$end" 'BEGIN{printf "%.2f", b-a}')
  if [ -f "$OUT/an/$base.wcs" ]; then
    # FITS pixels count from 1.
    e=$(for p in "$k1x $k1y $k1ra $k1dec" "$k2x $k2y $k2ra $k2dec"; do
      set -- $p
      wcs-xy2rd -w "$OUT/an/$base.wcs" -x "$(awk -v v="$1" 'BEGIN{print v+1}')" -y "$(awk -v v="$2" 'BEGIN{print v+1}')" |
        sed -e 's/.*RA,Dec (\(.*\), \(.*\))/\1 \2/' |
        awk -v tr="$3" -v td="$4" '{k=atan2(1,1)/45; a=$1/15; c=sin($2*k)*sin(td*k)+cos($2*k)*cos(td*k)*cos((a-tr)*15*k);
             if (c>1) c=1; print atan2(sqrt(1-c*c), c)/k*3600}'
    done | sort -g | tail -1)
    echo "$frame,1,$secs,$e" >>"$OUT/astrometry.csv"
  else
    echo "$frame,0,$secs,-1" >>"$OUT/astrometry.csv"
  fi
done

# The table. A solution is wrong when a known pixel lands more than 3 pixels from its true place.
paste -d, <(tail -n +2 "$OUT/ours.csv" | cut -d, -f1,3,6,8,11,20) <(tail -n +2 "$OUT/astrometry.csv" | cut -d, -f2-4) |
  awk -F, -v size="$SIZE" '
    function median(arr, n,   i, j, t) { for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (arr[j] < arr[i]) { t = arr[i]; arr[i] = arr[j]; arr[j] = t }
                                          return n ? (n % 2 ? arr[(n + 1) / 2] : (arr[n / 2] + arr[n / 2 + 1]) / 2) : 0 }
    { n++; lim = 3 * $3
      if ($4 == 1 && $6 >= 0 && $6 <= lim) { ok++; oe[++noe] = $6 } else if ($4 == 1) bad++
      ot[n] = $5 / 1000
      if ($7 == 1 && $9 >= 0 && $9 <= lim) { aok++; ae[++nae] = $9 } else if ($7 == 1) abad++
      at[n] = $8 }
    END {
      printf "| %d frames of %d x %d pixels, 8 to 300 catalog stars | Skarvel | astrometry.net |\n", n, size, size
      print "|---|---|---|"
      printf "| success (right solution) | %d (%.1f %%) | %d (%.1f %%) |\n", ok, 100 * ok / n, aok, 100 * aok / n
      printf "| wrong solution accepted | %d | %d |\n", bad + 0, abad + 0
      printf "| median wall time per frame | %.3f s | %.2f s |\n", median(ot, n), median(at, n)
      printf "| median error of the known pixels | %.3f\" | %.3f\" |\n", median(oe, noe), median(ae, nae)
    }' >"$OUT/automatch_benchmark.md"
cat "$OUT/automatch_benchmark.md"
