#include "shell/orbit_screen.h"

#include <array>

#include "astrometry/info_list.h"
#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/strings.h"
#include "orbits/kepler.h"

namespace skarvel {

namespace {

std::string Degrees(long double rad) {
  return FormatFixedTrim(5, rad * kDegreesPerRadian) + " deg";
}

std::string Au(long double km) {
  return FormatFixedTrim(7, km / kAstronomicalUnitKm);
}

}  // namespace

std::vector<ScreenLine> ElementsPanelLines(const CurrentElements& current, int textHeight) {
  std::vector<ScreenLine> lines;
  if (!current.valid) return lines;
  const OrbitElements& el = current.elements;
  const auto [c1, c2, c3, c4] = kPanelColumns;
  const int step = textHeight + 5;
  lines.push_back({c1, kPanelTop, "*** Osculating Orbital Elements ***"});
  int y = kPanelTop + 10 + textHeight;

  std::string object = el.name;
  if (el.objectKind == 0 && !el.designation.empty()) object = "(" + el.designation + ") " + el.name;
  lines.push_back({c1, y, object});
  std::string source = "Source: " + std::string(ElementSourceName(current.source));
  const bool database = current.source == ElementSource::kLowell || current.source == ElementSource::kMpc ||
                        current.source == ElementSource::kTarne;
  if ((el.objectKind == 0 && database) || (el.objectKind == 1 && current.source == ElementSource::kCometFile))
    source += " - " + PrintDateTimeText(current.databaseDateTime);
  const int sourceX = el.objectKind == 0 || el.objectKind == 2 ? c2 : (el.objectKind == 1 ? 280 : c1);
  lines.push_back({sourceX, y, source});

  y += step;
  static constexpr std::array<const char*, 5> kReference = {"B1900.0", "B1950.0", "J2000.0", "J2050.0",
                                                            "True of Date"};
  lines.push_back({c1, y, std::string("Reference: ") + (el.equinoxIndex < kReference.size() ? kReference[el.equinoxIndex] : "")});
  std::string epoch = FractionalDateText(el.epoch);
  epoch.resize(epoch.size() - 4);
  lines.push_back({c2, y, "Epoch: " + epoch + " TDT   (" + FormatFixed(1, el.epoch) + ")"});

  // Parabolic and hyperbolic orbits have no usable a and no period.
  const bool closed = el.a > el.q;
  y += step;
  lines.push_back({c1, y, closed ? "a: " + Au(el.a) + " AU" : "a: "});
  lines.push_back({c2, y, "q: " + Au(el.q) + " AU"});
  lines.push_back({c3, y, "e: " + FormatFixedTrim(7, el.e)});

  y += step;
  lines.push_back({c1, y, "Incl: " + Degrees(el.i)});
  lines.push_back({c2, y, "Node: " + Degrees(el.node)});
  lines.push_back({c3, y, "Peri: " + Degrees(el.peri)});
  // A planet's elements carry no magnitude model.
  if (el.magModel != 0) {
    lines.push_back({c4, y, "H: " + FormatFixed(2, el.H)});
    lines.push_back({c4, y + step, "G: " + FormatFixed(2, el.G)});
  }

  y += step;
  lines.push_back({c1, y, "Lng P: " + Degrees(LongPerihelion(el))});
  lines.push_back({c2, y, "L: " + Degrees(MeanLongitude(el))});
  lines.push_back({c3, y, "M: " + Degrees(el.M)});

  y += step;
  lines.push_back({c1, y, closed ? "P: " + FormatFixedTrim(2, PeriodYears(el)) + " years" : "P: "});
  lines.push_back({c2, y, "T: " + FractionalDateText(el.T) + " TDT   (" + FormatFixed(5, el.T) + ")"});
  return lines;
}

std::vector<ScreenLine> OrbitNotesScreenLines(const CurrentElements& current, const std::string& orbitFileArg,
                                              int textHeight) {
  std::vector<ScreenLine> lines;
  if (!current.valid) return lines;
  ElementSource notes = current.source;
  if (current.source == ElementSource::kTarne) {
    if (orbitFileArg.find("MARLO_AST") != std::string::npos)
      notes = ElementSource::kLowell;
    else if (orbitFileArg.find("MARLO_MPC") != std::string::npos)
      notes = ElementSource::kMpc;
  }
  if (notes != ElementSource::kLowell && notes != ElementSource::kMpc) return lines;
  if (OrbitNoteLines(notes, current.codes).empty()) return lines;
  lines.push_back({20, 20, "*** Orbit Notes ***", true});
  int y = 30 + textHeight;
  for (std::string& note : OrbitNotes(notes, current.codes)) {
    lines.push_back({20, y, std::move(note), true});
    y += textHeight + 5;
  }
  return lines;
}

std::vector<ScreenLine> OrbitScreenLines(const CurrentElements& current, bool orbitView,
                                         const std::string& orbitFileArg, int textHeight) {
  std::vector<ScreenLine> lines = ElementsPanelLines(current, textHeight);
  if (orbitView)
    for (ScreenLine& line : OrbitNotesScreenLines(current, orbitFileArg, textHeight)) lines.push_back(std::move(line));
  return lines;
}

}  // namespace skarvel
