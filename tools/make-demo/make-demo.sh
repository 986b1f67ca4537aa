#!/usr/bin/env bash
# Rebuilds data/demo/ from its sources in data/demo/source/.
#
#   tools/make-demo/make-demo.sh            rebuild from the committed sources
#   tools/make-demo/make-demo.sh --stars    first extract the Tycho-2 star list again
#                                           (needs astrometry-data-tycho2-07,
#                                           python3-numpy and python3-astropy)
#   tools/make-demo/make-demo.sh --check    rebuild into a scratch folder twice and
#                                           compare both with data/demo byte for byte
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${SKARVEL_BUILD:-$root/build}"
source_dir="$root/data/demo/source"

# Half size of the square of the star list, degrees (kCatalogHalfSizeDeg of
# demo_plan.h); its centre is the middle of the asteroid's track.
STAR_HALF_SIZE_DEG=1.0

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target make-demo
tool="$build/tools/make-demo"

case "${1:-}" in
  --stars)
    # The shared star-list tool beside the repository, or the one $STARLIST_TOOL names.
    starlist="${STARLIST_TOOL:-$root/../shared/tools/starlist/extract_stars.py}"
    read -r ra dec < <("$tool" field-centre "$source_dir")
    /usr/bin/python3 "$starlist" "$ra" "$dec" "$STAR_HALF_SIZE_DEG" 99 -o "$source_dir/tycho2_field.csv"
    ;;
  --check)
    scratch="$(mktemp -d)"
    trap 'rm -rf "$scratch"' EXIT
    "$tool" generate "$source_dir" "$scratch/a"
    "$tool" generate "$source_dir" "$scratch/b"
    diff -r "$scratch/a" "$scratch/b"
    diff -r -x source "$root/data/demo" "$scratch/a" | grep -v '^Only in .*/data/demo: ' || true
    if diff -rq -x source -x README.md "$root/data/demo" "$scratch/a" >/dev/null; then
      echo "make-demo: two runs give identical bytes, and they equal data/demo"
      exit 0
    fi
    echo "make-demo: data/demo differs from a fresh run" >&2
    exit 1
    ;;
esac
"$tool" generate "$source_dir" "$root/data/demo"
du -sh "$root/data/demo"
