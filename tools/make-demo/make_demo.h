// The commands of make-demo.
#pragma once

#include <stdexcept>
#include <string>

#include "foundations/record_list.h"
#include "orbits/ephemeris.h"

namespace skarvel::demo {

/// Line `i` of an ephemeris table. Throws std::runtime_error when it is missing.
inline const EphemerisRecord& Line(RecordList<EphemerisRecord>& table, std::int32_t i) {
  const EphemerisRecord* r = table.GetAt(i);
  if (r == nullptr) throw std::runtime_error("ephemeris line missing");
  return *r;
}

/// Prints, for every numbered asteroid of an MPCORB file, the nights from day
/// `firstDay` of the plan's year (0 = January 1) over `days` days in which it
/// stands at least 40 degrees high in darkness at magnitude 11-15.5. Returns
/// the process exit code.
int Survey(const std::string& mpcorbPath, int firstDay, int days);

/// Writes the whole demo under `outDir` from the sources in `sourceDir` (the
/// Tycho-2 extract "tycho2_field.csv" and the MPCORB excerpt). Returns the
/// process exit code; messages go to stderr.
int Generate(const std::string& sourceDir, const std::string& outDir);

/// Prints the centre of the asteroid's track on the demo night ("RA_HOURS
/// DEC_DEG"), the centre of the star list to extract. Returns the exit code.
int FieldCentre(const std::string& sourceDir);

/// Prepares a working directory for a demo session: the demo's options file
/// with every folder made absolute under `demoDir`, the camera and station
/// files, and a copy of the orbit files. Returns the process exit code.
int InstallSession(const std::string& demoDir, const std::string& workDir);

}  // namespace skarvel::demo
