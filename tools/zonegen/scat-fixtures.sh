#!/bin/sh
# Writes the zone-file catalogs of two star lists with the test tool
# make_zone_catalogs and lists fields of them with wcstools' scat, an
# independent reader of the UCAC2, UCAC3 and USNO-SA layouts. scat's answers
# are kept in tests/data/catalogs/zones/scat/ (first line: the command) and
# tests/catalogs/zone_scat_test.cpp compares the readers with them. The test
# run does not need scat; this script installs wcstools when the package
# lists hold it and the script runs as root.
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD:-$here/build}
out=$here/tests/data/catalogs/zones/scat
if ! command -v scat >/dev/null 2>&1; then
  if [ "$(id -u)" = 0 ] && apt-cache show wcstools >/dev/null 2>&1; then
    apt-get install -y --no-install-recommends wcstools
  else
    echo "scat (wcstools) is not available" >&2; exit 1
  fi
fi
cmake --build "$build" --target make_zone_catalogs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
# scat asks for lower-case file names: links beside the generated ones.
links() {
  ln -s U2 "$1/ucac2/u2"
  for f in "$1"/sa/*; do ln -s "$(basename "$f")" "$1/sa/$(basename "$f" | tr A-Z a-z)"; done
}
run() {  # name catalog dir epoch list ra dec
  name=$1; cat=$2; dir=$3; epoch=$4; list=$5
  cmd="scat -c $cat -n -1 -y $epoch -r -1800 $6 $7 J2000"
  case $cat in ucac2) export UCAC2_PATH=$dir/ucac2;; ucac3) export UCAC3_PATH=$dir/ucac3;; usa2) export USA2_PATH=$dir/sa;; esac
  { echo "# $cmd  (wcstools $(dpkg-query -W -f='${Version}' wcstools), catalog written by make_zone_catalogs from $list)"
    $cmd 2>/dev/null | grep -E '^[0-9]'; } > "$out/$name.txt"
}
"$build/tests/make_zone_catalogs" "$work/ecl200" "$here/tests/data/catalogs/tycho2/field_ecl200.csv"
"$build/tests/make_zone_catalogs" "$work/pm" "$here/tests/data/catalogs/zones/pm_field.csv"
links "$work/ecl200"; links "$work/pm"
run ucac2_ecl200 ucac2 "$work/ecl200" 2000.0 field_ecl200.csv 13:13:51.846 -07:49:09.17
run ucac3_ecl200 ucac3 "$work/ecl200" 2000.0 field_ecl200.csv 13:13:51.846 -07:49:09.17
run usa2_ecl200 usa2 "$work/ecl200" 2000.0 field_ecl200.csv 13:13:51.846 -07:49:09.17
run ucac2_pm2020 ucac2 "$work/pm" 2020.0 pm_field.csv 13:30:00.000 +45:00:00.00
run ucac3_pm2020 ucac3 "$work/pm" 2020.0 pm_field.csv 13:30:00.000 +45:00:00.00
wc -l "$out"/*.txt
