// Writes the zone-file star catalogs from a star list, in the layouts the
// readers take: UCAC2 (U2/u2index.da and U2/zNNN, little-endian 44-byte
// records), UCAC3 (u3index.unf, table_zones, zNNN of 84 bytes on two sides),
// UCAC-BSS (bsindex.da, sNN) and USNO-SA (ZONEnnnn.ACC texts and ZONEnnnn.CAT
// files of big-endian 12-byte records). A test and benchmark tool: zone files
// are written only for zones that hold stars (the SA gets all 24).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skarvel::testing {

/// One star of the list. Fields a layout does not carry are ignored.
struct ZoneStar {
  double raHours = 0;
  double decDeg = 0;
  double mag = 12;        ///< UCAC2/BSS magnitude, UCAC3 model magnitude, SA red
  double blue = 13;       ///< SA blue
  double pmRA = 0;        ///< mas/yr of great circle (pmRA cos Dec)
  double pmDec = 0;       ///< mas/yr
  int observations = 3;
  int posErrCode = -107;  ///< UCAC2 e: PosErr = (e + 127) / 1000 arc seconds
  int sigRA = 15, sigDec = 20;           ///< UCAC3 errors, mas
  int modelErr = 50;                     ///< UCAC3 model magnitude error, millimag
  double j = 11, h = 10.5, k = 10.4;     ///< UCAC3 2MASS magnitudes
  int jErr = 3, hErr = 4, kErr = 5;      ///< 0.01 mag
  double scB = 13, scR2 = 12, scI = 11.5;  ///< UCAC3 SuperCosmos; 0 = none
  int saField = 123;
  bool saFlagged = false;  ///< SA magnitude word written negative
};

/// Running number of each written star in its catalog (1-based), in list order.
using RunningNumbers = std::vector<std::int64_t>;

/// Writes `root`/U2/u2index.da and the zone files. Returns the running numbers.
RunningNumbers WriteUCAC2(const std::string& root, const std::vector<ZoneStar>& stars);
/// Writes u3index.unf and table_zones into `side1` (and the index into
/// `side2`), zones 1..144 into `side1`, the others into `side2`.
RunningNumbers WriteUCAC3(const std::string& side1, const std::string& side2, const std::vector<ZoneStar>& stars);
/// Writes `dir`/`indexName` and s01..s36.
RunningNumbers WriteBSS(const std::string& dir, const std::vector<ZoneStar>& stars,
                        const std::string& indexName = "bsindex.da");
/// Writes the 24 ".ACC" and ".CAT" files of an SA catalog into `dir`. Returns
/// the record number (1-based within its zone file) of each star.
RunningNumbers WriteSA(const std::string& dir, const std::vector<ZoneStar>& stars);

/// Reads a star list CSV (header line; columns ra_hours, dec_deg, mag and
/// optionally pm_ra_mas_per_yr, pm_dec_mas_per_yr).
std::vector<ZoneStar> ReadZoneStarList(const std::string& path);

}  // namespace skarvel::testing
