#!/usr/bin/env bash
# Builds and runs tests/tools/faint_xwin.cpp: a generated frame of faint stars
# (SNR 5 to 20), measured by Source Extractor's windowed centroid, written as
# the fixture of tests/images/xwin_fixture_test.cpp.
#
# Needs, beyond the build's own packages, Debian's source-extractor (installed
# here when missing and run as root). The test run does not need it.
#
# Usage: tools/faint_xwin.sh [OUTDIR] [-- tool options, e.g. --seed 20261211]
#   OUTDIR defaults to tests/data/images/xwin.
# Environment: SKARVEL_BUILD (default build), JOBS (default 2).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SKARVEL_BUILD:-$ROOT/build}"
OUT="$ROOT/tests/data/images/xwin"
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

cmake --build "$BUILD" -j "${JOBS:-2}" --target faint_xwin
"$BUILD/tests/faint_xwin" "$OUT" "$@"
