#include "demo_plan.h"

namespace skarvel::demo {

SiteRecord DemoSite() {
  SiteRecord s = DefaultSiteRecord();
  s.telescope = "0.25-m f/3.7 reflector + CCD (simulated)";
  s.telescopeId = '1';
  return s;
}

CameraRecord DemoCamera() {
  CameraRecord c;
  c.name = "Demo CCD 768x512 (simulated)";
  c.pixelWidthUm = static_cast<float>(kPixelMicrons);
  c.pixelHeightUm = static_cast<float>(kPixelMicrons);
  c.imageWidth = kWidth;
  c.imageHeight = kHeight;
  c.apertureMm = static_cast<float>(kApertureMm);
  c.focalLengthMm = static_cast<float>(kFocalLengthMm);
  c.timingErrorMs = kTimingErrorMs;
  c.inverted = false;
  c.filter = kFilterCode;
  return c;
}

UserRecord DemoUser() {
  UserRecord u;
  u.contactName = "Demo Observer";
  u.institution = "Skarvel Demo Night";
  u.country = "U.S.A.";
  u.observers = "D. Observer";
  u.measurers = "D. Observer";
  return u;
}

}  // namespace skarvel::demo
