#include "orbits/orbit_elements.h"

#include "foundations/extended_float.h"

namespace skarvel {

namespace {

void WriteFrameHeader(ByteWriter& out, const SkyCoord& frame) {
  out.U8(static_cast<std::uint8_t>(frame.mode));
  out.U8(static_cast<std::uint8_t>(frame.frame));
  out.U8(static_cast<std::uint8_t>(frame.equinoxKind));
  WriteExtended(out, frame.equinoxJD);
}

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

}  // namespace

void WriteCmoHeader(ByteWriter& out, const CmoHeader& header) {
  out.U8(header.objectKind);
  out.Text(header.name, kOrbitNameChars);
  out.Text(header.designation, kOrbitDesignationChars);
}

CmoHeader HeaderOf(const CmoRecord& rec) {
  return CmoHeader{rec.objectKind, rec.name, rec.designation};
}

void WriteCmoRecord(ByteWriter& out, const CmoRecord& rec) {
  WriteCmoHeader(out, HeaderOf(rec));
  WriteExtended(out, rec.epoch);
  WriteVector(out, rec.position);
  WriteVector(out, rec.velocity);
  out.U8(rec.centralBody);
  out.U8(rec.magModel);
  WriteExtended(out, rec.H);
  WriteExtended(out, rec.G);
  WriteFrameHeader(out, rec.frame);
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

}  // namespace skarvel
