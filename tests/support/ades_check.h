// Independent checks of ADES files for the tests: validation against the
// submission schema with xmllint, the standard's conversion of PSV to XML, a
// small PSV reader for round trips, and 80-column MPC observation lines
// turned into report records.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/astrom_obs.h"

namespace skarvel::testing {

/// The schema the tests validate against (tests/data/ades/submit.xsd).
std::string AdesSchemaPath();

/// What xmllint said about a file.
struct AdesValidation {
  bool valid = false;
  std::string output;  ///< xmllint's messages
};

/// Writes `xml` (UTF-8) to `path` and runs `xmllint --noout --schema submit.xsd path`.
AdesValidation ValidateAdesXml(const std::string& xml, const std::string& path);

/// One obsContext child of a PSV file, or one data record: element names and values in file order.
using AdesElements = std::vector<std::pair<std::string, std::string>>;

/// A PSV file read by the standard's rules: "# version=2022" first, "# name"
/// opens an obsContext child, "! name value" fills it, the first line with
/// "|" is the keyword record, each later one a data record; cells are
/// trimmed and a blank cell is an absent element.
struct PsvFile {
  std::string version;
  std::vector<std::pair<std::string, AdesElements>> context;
  std::vector<AdesElements> records;
};
/// Nothing when a line breaks those rules.
std::optional<PsvFile> ReadPsv(const std::vector<std::string>& lines);

/// The XML form of a PSV file (one obsBlock), every text escaped.
std::string PsvToXml(const PsvFile& psv);

/// A report record from an 80-column MPC observation line: packed number
/// (columns 1-5) and designation (6-12), discovery asterisk (13), date and
/// day fraction (16-32), RA and Dec (33-56), magnitude and band (66-71).
/// Bands other than B V R I J H K give filter 8; a blank magnitude none.
ObservationRecord ObservationFromMpc80(const std::string& line);

}  // namespace skarvel::testing
