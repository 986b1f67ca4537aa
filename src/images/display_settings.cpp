#include "images/display_settings.h"

namespace skarvel {

void WriteDisplaySettings(ByteWriter& out, const DisplaySettings& d) {
  out.I32(d.brightness);
  out.I32(d.contrast);
  out.I32(d.paletteLow);
  out.I32(d.paletteHigh);
  out.F32(d.contrastFactor);
  out.F32(d.backgroundSigmas);
  out.F32(d.rangeSigmas);
  out.Bool(d.mirrorLeftRight);
  out.Bool(d.mirrorUpDown);
  out.Bool(d.invert);
  out.Bool(d.originalMark);
  out.Bool(d.defaultMark);
  out.U8(d.rangeFromHeader);
  out.U8(d.reserved);
}

DisplaySettings ReadDisplaySettings(ByteReader& in) {
  DisplaySettings d;
  d.brightness = in.I32();
  d.contrast = in.I32();
  d.paletteLow = in.I32();
  d.paletteHigh = in.I32();
  d.contrastFactor = in.F32();
  d.backgroundSigmas = in.F32();
  d.rangeSigmas = in.F32();
  d.mirrorLeftRight = in.Bool();
  d.mirrorUpDown = in.Bool();
  d.invert = in.Bool();
  d.originalMark = in.Bool();
  d.defaultMark = in.Bool();
  d.rangeFromHeader = in.U8();
  d.reserved = in.U8();
  return d;
}

}  // namespace skarvel
