#!/usr/bin/env bash
# Builds and runs the centroid accuracy measurement (tests/tools/centroid_accuracy.cpp):
# synthetic Gaussian stars measured by the workbench's centroid and by Source
# Extractor's windowed centroid, RMS errors by peak S/N and FWHM as markdown.
#
# Needs, beyond the build's own packages, Debian's source-extractor (installed
# here when missing and run as root). The test run does not need it.
#
# Usage: tools/centroid_accuracy.sh [OUTDIR] [-- tool options, e.g. --per-side 30 --seed 20261209]
#   OUTDIR (default: $SKARVEL_BUILD/centroid_accuracy) receives the FITS images,
#   the Source Extractor files and the tables in centroid_accuracy.md.
# Environment: SKARVEL_BUILD (default build), JOBS (default 2).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SKARVEL_BUILD:-$ROOT/build}"
OUT="$BUILD/centroid_accuracy"
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
  OUT="$1"
  shift
fi
[ "${1:-}" = "--" ] && shift

if ! command -v source-extractor >/dev/null 2>&1; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "source-extractor is missing: sudo apt-get install source-extractor" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends source-extractor
fi

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$BUILD" -j "${JOBS:-2}" --target centroid_accuracy

mkdir -p "$OUT"
{
  echo "Produced by: tools/centroid_accuracy.sh $*"
  echo "($(source-extractor --version 2>/dev/null | head -n 1))"
  echo
  "$BUILD/tests/centroid_accuracy" "$OUT/work" "$@"
} >"$OUT/centroid_accuracy.md"
cat "$OUT/centroid_accuracy.md"
