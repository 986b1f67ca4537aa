// The observation parameters of an image: when, by whom, and which object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundations/byte_io.h"

namespace skarvel {

/// Note code of an observation.
enum ObsNote : std::uint8_t { kNoteNormal = 0, kNoteDiscovery = 1, kNoteSimulated = 2 };

/// Observation parameters (166 bytes).
struct ObsParams {
  static constexpr std::size_t kBytes = 166;

  std::string objectName;      ///< text[68] "Object Name:"
  std::string designation;     ///< text[9] "Designation:"
  std::string number;          ///< text[7] "Number:"
  std::string observer;        ///< text[68] "Observer:"
  double observationTime = 0;  ///< date-time value (days since 1899-12-30), UT
  std::uint8_t note = kNoteNormal;  ///< 0 normal, 1 discovery, 2 simulated image
  std::uint8_t objectType = 0;      ///< 0 minor planet, 1 comet

  bool operator==(const ObsParams&) const = default;
};

inline void WriteObsParams(ByteWriter& out, const ObsParams& p) {
  out.Text(p.objectName, 68);
  out.Text(p.designation, 9);
  out.Text(p.number, 7);
  out.Text(p.observer, 68);
  out.F64(p.observationTime);
  out.U8(p.note);
  out.U8(p.objectType);
}

/// Reads 166 bytes. Throws IOFailure on a short input.
inline ObsParams ReadObsParams(ByteReader& in) {
  ObsParams p;
  p.objectName = in.Text(68);
  p.designation = in.Text(9);
  p.number = in.Text(7);
  p.observer = in.Text(68);
  p.observationTime = in.F64();
  p.note = in.U8();
  p.objectType = in.U8();
  return p;
}

}  // namespace skarvel
