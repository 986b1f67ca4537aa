#include "config/observer_records.h"

namespace skarvel {

void WriteUserRecord(ByteWriter& out, const UserRecord& r) {
  out.Text(r.contactName, UserRecord::kNameCapacity);
  out.Text(r.institution, UserRecord::kNameCapacity);
  out.Text(r.street, UserRecord::kNameCapacity);
  out.Text(r.cityStateZip, UserRecord::kNameCapacity);
  out.Text(r.country, UserRecord::kNameCapacity);
  out.Text(r.email, UserRecord::kNameCapacity);
  out.Text(r.observers, UserRecord::kListCapacity);
  out.Text(r.measurers, UserRecord::kListCapacity);
}

UserRecord ReadUserRecord(ByteReader& in) {
  UserRecord r;
  r.contactName = in.Text(UserRecord::kNameCapacity);
  r.institution = in.Text(UserRecord::kNameCapacity);
  r.street = in.Text(UserRecord::kNameCapacity);
  r.cityStateZip = in.Text(UserRecord::kNameCapacity);
  r.country = in.Text(UserRecord::kNameCapacity);
  r.email = in.Text(UserRecord::kNameCapacity);
  r.observers = in.Text(UserRecord::kListCapacity);
  r.measurers = in.Text(UserRecord::kListCapacity);
  return r;
}

void WriteCameraRecord(ByteWriter& out, const CameraRecord& r) {
  out.Text(r.name, CameraRecord::kNameCapacity);
  out.F32(r.pixelWidthUm);
  out.F32(r.pixelHeightUm);
  out.I32(r.imageWidth);
  out.I32(r.imageHeight);
  out.F32(r.apertureMm);
  out.F32(r.focalLengthMm);
  out.I16(r.timingErrorMs);
  out.Bool(r.inverted);
  out.U8(r.filter);
}

CameraRecord ReadCameraRecord(ByteReader& in) {
  CameraRecord r;
  r.name = in.Text(CameraRecord::kNameCapacity);
  r.pixelWidthUm = in.F32();
  r.pixelHeightUm = in.F32();
  r.imageWidth = in.I32();
  r.imageHeight = in.I32();
  r.apertureMm = in.F32();
  r.focalLengthMm = in.F32();
  r.timingErrorMs = in.I16();
  r.inverted = in.Bool();
  r.filter = in.U8();
  return r;
}

void WriteSiteRecord(ByteWriter& out, const SiteRecord& r) {
  out.Text(r.name, SiteRecord::kNameCapacity);
  out.Text(r.code, SiteRecord::kCodeCapacity);
  out.Text(r.telescope, SiteRecord::kNameCapacity);
  out.Text(r.lonDegrees, SiteRecord::kAngleTextCapacity);
  out.Text(r.lonMinutes, SiteRecord::kAngleTextCapacity);
  out.Text(r.lonSeconds, SiteRecord::kAngleTextCapacity);
  out.Text(r.latDegrees, SiteRecord::kAngleTextCapacity);
  out.Text(r.latMinutes, SiteRecord::kAngleTextCapacity);
  out.Text(r.latSeconds, SiteRecord::kAngleTextCapacity);
  out.Bool(r.north);
  out.Bool(r.west);
  out.F32(r.longitudeDeg);
  out.F32(r.latitudeDeg);
  out.F32(r.altitudeM);
  out.F32(r.timeZoneHours);
  out.U8(static_cast<std::uint8_t>(r.telescopeId));
}

SiteRecord ReadSiteRecord(ByteReader& in) {
  SiteRecord r;
  r.name = in.Text(SiteRecord::kNameCapacity);
  r.code = in.Text(SiteRecord::kCodeCapacity);
  r.telescope = in.Text(SiteRecord::kNameCapacity);
  r.lonDegrees = in.Text(SiteRecord::kAngleTextCapacity);
  r.lonMinutes = in.Text(SiteRecord::kAngleTextCapacity);
  r.lonSeconds = in.Text(SiteRecord::kAngleTextCapacity);
  r.latDegrees = in.Text(SiteRecord::kAngleTextCapacity);
  r.latMinutes = in.Text(SiteRecord::kAngleTextCapacity);
  r.latSeconds = in.Text(SiteRecord::kAngleTextCapacity);
  r.north = in.Bool();
  r.west = in.Bool();
  r.longitudeDeg = in.F32();
  r.latitudeDeg = in.F32();
  r.altitudeM = in.F32();
  r.timeZoneHours = in.F32();
  r.telescopeId = static_cast<char>(in.U8());
  return r;
}

SiteRecord DefaultSiteRecord() {
  SiteRecord s;
  s.name = "Kitt Peak";
  s.code = "695";
  s.telescope = "0.9-m f/3 reflector + CCD";
  s.lonDegrees = "111";
  s.lonMinutes = "35";
  s.lonSeconds = "58.1";
  s.latDegrees = "31";
  s.latMinutes = "57";
  s.latSeconds = "30";
  s.north = true;
  s.west = true;
  s.longitudeDeg = -(111.0f + 35.0f / 60.0f + 58.1f / 3600.0f);
  s.latitudeDeg = 31.0f + 57.0f / 60.0f + 30.0f / 3600.0f;
  s.altitudeM = 2096.0f;
  s.timeZoneHours = 7.0f;
  s.telescopeId = '1';
  return s;
}

}  // namespace skarvel
