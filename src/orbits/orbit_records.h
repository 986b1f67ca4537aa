// The text records of the orbit databases (Lowell "ASTORB.DAT", the Minor
// Planet Center's "MPCORB.DAT" and comet file "COMET.DAT") read into
// OrbitElements, and the conversion between elements and converted records.
//
// Every parser takes the raw record as it came from the file, whatever its
// length or content: a short line, garbage in a numeric column or binary data
// raise OrbitRecordError and never read beyond the text.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "orbits/kepler.h"
#include "orbits/orbit_elements.h"

namespace skarvel {

/// A record that cannot be read as orbital elements; what() names the field.
class OrbitRecordError : public std::runtime_error {
 public:
  explicit OrbitRecordError(const std::string& what) : std::runtime_error(what) {}
};

/// Bytes of one Lowell record: 267 characters and a line feed.
inline constexpr std::size_t kLowellRecordBytes = 268;

/// H and G of an MPCORB record whose columns are blank.
inline constexpr long double kMpcDefaultH = 14.0L;
inline constexpr long double kMpcDefaultG = 0.15L;
/// Flags of code 2 of an MPCORB record.
inline constexpr std::uint8_t kCodeEccentricityAssumed = 2;  ///< "E" in column 106
inline constexpr std::uint8_t kCodeNoMagnitude = 64;         ///< H was blank

/// The mode byte of the frame header the orbit databases' converted records
/// carry: (2, 0, 1, 2451545.0). Computed as mean (no nutation), like mode 0,
/// which files written by earlier versions hold; readers take both.
inline constexpr CoordMode kDatabaseFrameMode = static_cast<CoordMode>(2);

/// Sets the fixed fields of the working elements of an asteroid conversion:
/// frame (mode 2, ecliptic, Julian, 2451545.0), central body 0, object kind 0,
/// origin 0, equinox index 2, magnitude model 1.
void SetAsteroidDefaults(OrbitElements& el);

/// The same for a comet: object kind 1, origin 1, magnitude model 2.
void SetCometDefaults(OrbitElements& el);

/// Reads one Lowell record (1-based columns): number 1-6 (designation := the
/// number), name 8-25; an unnumbered record's designation is the packed form of
/// its name (`sevenChar` as the OldReportFormat option). H 43-47, G 49-53, the
/// six codes 71-94 (four columns each, the last three digits kept as a byte),
/// epoch 107-114 (YYYYMMDD, 0h), M 116-125, peri 127-136, node 138-147,
/// i 148-157 (degrees), e 159-168, a 170-181 (AU). Then q, n and T.
/// Fields the record does not define stay as they are (set the defaults first).
/// @throws OrbitRecordError for a missing or malformed field, e outside [0, 1)
///         or a not above 0.
void ParseLowellRecord(std::string_view record, bool sevenChar, OrbitElements& el, OrbitCodes& codes);

/// The number, name and designation of a Lowell record (as ParseLowellRecord).
/// @throws OrbitRecordError for a number that is not digits.
void ParseLowellNames(std::string_view record, bool sevenChar, OrbitElements& el);

/// The name and designation of an MPCORB line (as ParseMpcorbLine).
/// @throws OrbitRecordError for a short line or a bad packed number.
void ParseMpcorbNames(std::string_view line, OrbitElements& el);

/// Reads one MPCORB line (1-based columns): designation 1-7 (a packed number
/// when column 6 is blank, else the packed provisional designation), H 9-13
/// (blank: 14.0, no magnitude), G 15-19 (blank: 0.15), packed epoch 21-25,
/// M 27-35, peri 38-46, node 49-57, i 60-68 (degrees), e 71-79, a 93-103 (AU),
/// name 167-194 (a numbered record loses everything up to ")"). Codes 2, 3, 5
/// and 6 are written (column 106 and the hexadecimal flags 162-165); codes 1
/// and 4 keep what they hold. Then q, n and T.
/// @return true when H was given.
/// @throws OrbitRecordError as ParseLowellRecord.
bool ParseMpcorbLine(std::string_view line, OrbitElements& el, OrbitCodes& codes);

/// Reads one comet-file line as whitespace-separated fields: designation (the
/// first field, with the one or two fragment letters that stand alone after it appended),
/// perihelion year, month and day with its fraction, q (AU), e, peri, node, i
/// (degrees), the epoch YYYYMMDD when the next "." of the rest of the line lies
/// beyond its tenth character (else epoch 0), g, k and the name (the next 40
/// characters). Then a, n and M from q, e and T.
/// @throws OrbitRecordError for a missing or malformed field or q not above 0.
void ParseCometLine(std::string_view line, OrbitElements& el);

/// The packed epoch of MPCORB ("K1972": century letter I, J or K, two year
/// digits, month and day coded 1-9, A-V) as the Julian date of 0h.
/// @throws OrbitRecordError when it is not one.
long double PackedEpochJD(std::string_view packed);

/// The converted record of elements: the heliocentric state at the epoch
/// (zeros when it cannot be computed), the names, magnitude fields and frame.
/// The codes are left zero. A Kepler failure is reported through `reporter`
/// when given.
CmoRecord ElementsToCmo(const OrbitElements& el, const KeplerErrorReporter* reporter = nullptr);

/// The elements of a converted record (StateToElements at its epoch with the
/// record's names, magnitude fields and frame; origin by object kind; the
/// equinox index of the frame, 2 when it is none of the list). A record whose
/// state vector is zero gives elements with e = NaN, which every propagation
/// refuses.
OrbitElements CmoToElements(const CmoRecord& rec);

}  // namespace skarvel
