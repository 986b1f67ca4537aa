// Who observed, with which telescope and camera, and where.
//
// Three fixed-size records; the options file holds one of each as the defaults
// and the report holds the ones that go into its header. Layouts are
// little-endian, text[N] being a length byte and N characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "foundations/byte_io.h"

namespace skarvel {

/// The observer and the report's contact (758 bytes).
struct UserRecord {
  static constexpr std::size_t kBytes = 758;
  static constexpr std::size_t kNameCapacity = 40;   ///< the six name and address texts
  static constexpr std::size_t kListCapacity = 255;  ///< observers, measurers

  std::string contactName;   ///< text[40] "Contact Name:"
  std::string institution;   ///< text[40] "Institution:"
  std::string street;        ///< text[40] "Street:"
  std::string cityStateZip;  ///< text[40] "City-State-Zip:"
  std::string country;       ///< text[40] "Country:"
  std::string email;         ///< text[40] "E-Mail:"
  std::string observers;     ///< text[255] "Observer(s):"
  std::string measurers;     ///< text[255] "Measurer(s):"

  bool operator==(const UserRecord&) const = default;
};

/// Camera and telescope optics (69 bytes).
struct CameraRecord {
  static constexpr std::size_t kBytes = 69;
  static constexpr std::size_t kNameCapacity = 40;

  std::string name;               ///< text[40] "Camera Name/ID"
  float pixelWidthUm = 0.0f;      ///< pixel width, micrometres
  float pixelHeightUm = 0.0f;     ///< pixel height, micrometres
  std::int32_t imageWidth = 0;    ///< image width, pixels
  std::int32_t imageHeight = 0;   ///< image height, pixels
  float apertureMm = 0.0f;        ///< telescope aperture, millimetres
  float focalLengthMm = 0.0f;     ///< telescope focal length, millimetres
  std::int16_t timingErrorMs = 0; ///< estimated timing error, milliseconds
  bool inverted = false;          ///< the image is upside-down
  std::uint8_t filter = 0;        ///< FilterCode: 0 B, 1 V, 2 R, 3 I, 4 J, 5 H, 6 K, 7 none, 8 unknown

  bool operator==(const CameraRecord&) const = default;
};

/// An observing site (172 bytes).
struct SiteRecord {
  static constexpr std::size_t kBytes = 172;
  static constexpr std::size_t kNameCapacity = 40;
  static constexpr std::size_t kCodeCapacity = 4;
  static constexpr std::size_t kAngleTextCapacity = 10;

  std::string name;           ///< text[40] observatory name
  std::string code;           ///< text[4] MPC observatory code, 3 or 4 characters
  std::string telescope;      ///< text[40] telescope description
  std::string lonDegrees;     ///< text[10] longitude degrees, as typed
  std::string lonMinutes;     ///< text[10]
  std::string lonSeconds;     ///< text[10]
  std::string latDegrees;     ///< text[10] latitude degrees, as typed
  std::string latMinutes;     ///< text[10]
  std::string latSeconds;     ///< text[10]
  bool north = true;          ///< the latitude is north
  bool west = false;          ///< the longitude is west
  float longitudeDeg = 0.0f;  ///< degrees, west negative
  float latitudeDeg = 0.0f;   ///< degrees, south negative
  float altitudeM = 0.0f;     ///< metres above sea level
  float timeZoneHours = 0.0f; ///< UT minus local (zone) time, hours
  char telescopeId = ' ';     ///< "1" to "9"; a space or 0 means none

  bool operator==(const SiteRecord&) const = default;
};

void WriteUserRecord(ByteWriter& out, const UserRecord& r);
/// Reads 758 bytes. Throws IOFailure on a short input.
UserRecord ReadUserRecord(ByteReader& in);
void WriteCameraRecord(ByteWriter& out, const CameraRecord& r);
/// Reads 69 bytes. Throws IOFailure on a short input.
CameraRecord ReadCameraRecord(ByteReader& in);
void WriteSiteRecord(ByteWriter& out, const SiteRecord& r);
/// Reads 172 bytes. Throws IOFailure on a short input.
SiteRecord ReadSiteRecord(ByteReader& in);

/// The built-in default site: Kitt Peak, MPC code 695, Arizona.
/// Longitude 248.40053 degrees east from the MPC list of observatory codes
/// (111 deg 35' 58.1" W); latitude 31 deg 57' 30" N and altitude 2096 m from
/// the Kitt Peak National Observatory site description; zone time MST (UT - 7 h).
SiteRecord DefaultSiteRecord();

}  // namespace skarvel
