#include "orbits/orbit_elements.h"

#include <cmath>

#include "foundations/extended_float.h"

namespace skarvel {

namespace {

SkyCoord ReadFrameHeader(ByteReader& in) {
  SkyCoord frame;
  frame.mode = static_cast<CoordMode>(in.U8());
  frame.frame = static_cast<CoordFrame>(in.U8());
  frame.equinoxKind = static_cast<EquinoxKind>(in.U8());
  frame.equinoxJD = ReadExtended(in);
  frame.angle1 = 0;
  frame.angle2 = 0;
  return frame;
}

void WriteVector(ByteWriter& out, const Vec3& v) {
  WriteExtended(out, v.x);
  WriteExtended(out, v.y);
  WriteExtended(out, v.z);
}

Vec3 ReadVector(ByteReader& in) {
  Vec3 v;
  v.x = ReadExtended(in);
  v.y = ReadExtended(in);
  v.z = ReadExtended(in);
  return v;
}

/// Writes x through the codec, or the remembered bytes when x is the slot's value.
void WriteCached(ByteWriter& out, long double x, CmoWriteCache::Slot* slot) {
  if (slot == nullptr) {
    WriteExtended(out, x);
    return;
  }
  if (!slot->valid || !(slot->value == x) || std::signbit(slot->value) != std::signbit(x)) {
    slot->bytes = EncodeExtended(x);
    slot->value = x;
    slot->valid = true;
  }
  out.Bytes(slot->bytes.data(), slot->bytes.size());
}

}  // namespace

void WriteCmoHeader(ByteWriter& out, const CmoHeader& header) {
  out.U8(header.objectKind);
  out.Text(header.name, kOrbitNameChars);
  out.Text(header.designation, kOrbitDesignationChars);
}

CmoHeader HeaderOf(const CmoRecord& rec) {
  return CmoHeader{rec.objectKind, rec.name, rec.designation};
}

void WriteCmoRecord(ByteWriter& out, const CmoRecord& rec, CmoWriteCache* cache) {
  out.U8(rec.objectKind);
  out.Text(rec.name, kOrbitNameChars);
  out.Text(rec.designation, kOrbitDesignationChars);
  WriteCached(out, rec.epoch, cache != nullptr ? &cache->epoch : nullptr);
  WriteVector(out, rec.position);
  WriteVector(out, rec.velocity);
  out.U8(rec.centralBody);
  out.U8(rec.magModel);
  WriteCached(out, rec.H, cache != nullptr ? &cache->h : nullptr);
  WriteCached(out, rec.G, cache != nullptr ? &cache->g : nullptr);
  out.U8(static_cast<std::uint8_t>(rec.frame.mode));
  out.U8(static_cast<std::uint8_t>(rec.frame.frame));
  out.U8(static_cast<std::uint8_t>(rec.frame.equinoxKind));
  WriteCached(out, rec.frame.equinoxJD, cache != nullptr ? &cache->equinoxJD : nullptr);
  out.Bytes(rec.codes.data(), rec.codes.size());
}

CmoRecord ReadCmoRecord(ByteReader& in) {
  CmoRecord rec;
  rec.objectKind = in.U8();
  rec.name = in.Text(kOrbitNameChars);
  rec.designation = in.Text(kOrbitDesignationChars);
  rec.epoch = ReadExtended(in);
  rec.position = ReadVector(in);
  rec.velocity = ReadVector(in);
  rec.centralBody = in.U8();
  rec.magModel = in.U8();
  rec.H = ReadExtended(in);
  rec.G = ReadExtended(in);
  rec.frame = ReadFrameHeader(in);
  in.Bytes(rec.codes.data(), rec.codes.size());
  return rec;
}

namespace {

/// Latest Julian date of the calendar (9999 December 31, 24h).
constexpr long double kLastCalendarJD = 5373484.5L;
/// Largest heliocentric distance of a plausible state (km; 67 000 AU).
constexpr long double kMaxStateDistanceKm = 1e13L;
/// Largest heliocentric speed of a plausible state (km/s).
constexpr long double kMaxStateSpeedKmS = 1e3L;
/// Largest magnitude parameter accepted (H, G, or the comets' g, k).
constexpr long double kMaxMagnitudeParameter = 100;

bool WithinJD(long double jd) { return jd >= 0 && jd <= kLastCalendarJD; }  // false for NaN

bool Within(const Vec3& v, long double limit) {
  return std::fabs(v.x) <= limit && std::fabs(v.y) <= limit && std::fabs(v.z) <= limit;
}

}  // namespace

bool PlausibleCmoRecord(const CmoRecord& rec) {
  return WithinJD(rec.epoch) && WithinJD(rec.frame.equinoxJD) && Within(rec.position, kMaxStateDistanceKm) &&
         Within(rec.velocity, kMaxStateSpeedKmS) && std::fabs(rec.H) <= kMaxMagnitudeParameter &&
         std::fabs(rec.G) <= kMaxMagnitudeParameter;
}

}  // namespace skarvel
