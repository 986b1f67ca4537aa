#include "orbits/element_form.h"

#include <cctype>
#include <cmath>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/date_dialog.h"
#include "foundations/date_time.h"
#include "foundations/strings.h"
#include "orbits/kepler.h"
#include "orbits/orbit_records.h"
#include "orbits/saved_orbits.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string NotCalendarDate(std::string_view text) {
  return "\"" + std::string(text) + "\" is not a valid Calendar Date!";
}

/// The date of a Julian date as "YYYY/MM/DD".
std::string DateOfJD(long double jd) {
  return DateFieldText(DaysToDateTime(jd - kJulianDateOffset));
}

std::string Degrees(long double rad) {
  return FormatFixedTrim(5, rad * kDegreesPerRadian);
}

/// The date part of the epoch field: "(.0)" and anything after it ignored.
std::string_view EpochDatePart(std::string_view text) {
  return text.substr(0, text.find('.'));
}

}  // namespace

bool ElementFields::Enabled(ElementField field) const {
  switch (field) {
    case ElementField::kE:
    case ElementField::kIncl:
    case ElementField::kNode: return true;
    case ElementField::kA: return set != ElementSet::kComet;
    case ElementField::kPeri: return set != ElementSet::kPlanet;
    case ElementField::kM: return set == ElementSet::kMinorPlanet;
    case ElementField::kH:
    case ElementField::kG: return set != ElementSet::kPlanet;
    case ElementField::kQ: return set == ElementSet::kComet;
    case ElementField::kT: return set == ElementSet::kComet && dateFormat == 0;
    case ElementField::kJDT: return set == ElementSet::kComet && dateFormat == 1;
    case ElementField::kLongPeri:
    case ElementField::kL: return set == ElementSet::kPlanet;
  }
  return false;
}

std::optional<long double> ParsePerihelionField(std::string_view text, std::int32_t currentYear) {
  text = TrimBlanks(text);
  const std::size_t point = text.find('.');
  const std::string_view digits = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
  for (char c : digits)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  const auto date = ParseDateField(text.substr(0, point), currentYear);
  if (!date) return std::nullopt;
  const auto fraction = ParseDecimal("0." + std::string(digits.empty() ? "0" : digits));
  if (!fraction) return std::nullopt;
  return DateTimeToDays(*date) + kJulianDateOffset + *fraction;
}

ElementDialogLogic::ElementDialogLogic(CurrentElements& current, platform::Platform& ui)
    : current_(current), ui_(ui) {}

void ElementDialogLogic::Fill() {
  if (startBlank || !current_.valid) {
    fields = ElementFields{};
    current_.codes = OrbitCodes{};
  } else {
    FillFrom(current_.elements);
  }
  filled_ = fields;
}

void ElementDialogLogic::FillFrom(const OrbitElements& el) {
  ElementFields f;
  f.dateFormat = fields.dateFormat;
  f.name = el.name;
  f.designation = el.designation;
  f.epochJD = FormatFixed(1, el.epoch);
  f.epochDate = DateOfJD(el.epoch) + ".0";
  f.set = el.origin <= kOriginPlanet ? static_cast<ElementSet>(el.origin) : ElementSet::kMinorPlanet;
  f.equinox = el.equinoxIndex <= 4 ? static_cast<EquinoxChoice>(el.equinoxIndex) : EquinoxChoice::kJ2000;
  if (el.magModel != 0) {
    f.H = FormatFixedTrim(2, el.H);
    f.G = FormatFixedTrim(2, el.G);
  }
  // Parabolic and hyperbolic orbits have no usable semi-major axis.
  if (el.a > el.q) f.a = FormatFixedTrim(7, el.a / kAstronomicalUnitKm);
  f.q = FormatFixedTrim(7, el.q / kAstronomicalUnitKm);
  f.e = FormatFixedTrim(7, el.e);
  f.incl = Degrees(el.i);
  f.node = Degrees(el.node);
  f.peri = Degrees(el.peri);
  f.longPeri = Degrees(LongPerihelion(el));
  f.M = Degrees(el.M);
  f.L = Degrees(MeanLongitude(el));
  f.JDT = FormatFixed(5, el.T);
  f.T = FractionalDateText(el.T);
  fields = f;
}

void ElementDialogLogic::LeaveEpochDate() {
  const std::string_view date = EpochDatePart(fields.epochDate);
  if (TrimBlanks(date).empty()) return;
  const auto value = ParseDateField(date, currentYear);
  if (!value) {
    platform::Tell(ui_, NotCalendarDate(fields.epochDate), std::string(kCalendarDateErrorCaption), Icon::Error);
    return;
  }
  fields.epochJD = FormatFixed(1, DateTimeToDays(*value) + kJulianDateOffset);
}

void ElementDialogLogic::LeaveEpochJD() {
  const JulianToCalendar j = ConvertJulianDateField(fields.epochJD);
  if (j.status == FieldConversion::kConverted)
    fields.epochDate = j.dateText + ".0";
  else if (j.status == FieldConversion::kError)
    platform::Tell(ui_, j.error.text, j.error.caption, Icon::Error);
}

void ElementDialogLogic::LeaveT() {
  if (TrimBlanks(fields.T).empty()) return;
  const auto jd = ParsePerihelionField(fields.T, currentYear);
  if (!jd) {
    platform::Tell(ui_, NotCalendarDate(fields.T), std::string(kCalendarDateErrorCaption), Icon::Error);
    return;
  }
  fields.JDT = FormatFixed(5, *jd);
}

void ElementDialogLogic::LeaveJDT() {
  const JulianToCalendar j = ConvertJulianDateField(fields.JDT);
  if (j.status == FieldConversion::kConverted)
    fields.T = FractionalDateText(j.jd);
  else if (j.status == FieldConversion::kError)
    platform::Tell(ui_, j.error.text, j.error.caption, Icon::Error);
}

bool ElementDialogLogic::ReadNumber(const std::string& text, std::string_view label, long double& out,
                                    bool emptyIsZero) {
  if (emptyIsZero && TrimBlanks(text).empty()) {
    out = 0;
    return true;
  }
  const auto v = ParseDecimal(text);
  if (!v || !std::isfinite(*v)) {
    platform::Tell(ui_, "\"" + text + "\" is not a valid value for " + std::string(label),
                   std::string(kElementInputErrorCaption), Icon::Error);
    return false;
  }
  out = *v;
  return true;
}

std::optional<long double> ElementDialogLogic::EpochJD() {
  if (fields.dateFormat == 0) {
    const auto value = ParseDateField(EpochDatePart(fields.epochDate), currentYear);
    if (!value) {
      platform::Tell(ui_, NotCalendarDate(fields.epochDate), std::string(kCalendarDateErrorCaption), Icon::Error);
      return std::nullopt;
    }
    return DateTimeToDays(*value) + kJulianDateOffset;
  }
  const JulianToCalendar j = ConvertJulianDateField(fields.epochJD);
  if (j.status == FieldConversion::kConverted) return j.jd;
  const std::string text = j.status == FieldConversion::kError
                               ? j.error.text
                               : "\"" + fields.epochJD + "\" is not a valid Julian Date!";
  platform::Tell(ui_, text, std::string(kJulianDateErrorCaption), Icon::Error);
  return std::nullopt;
}

std::optional<long double> ElementDialogLogic::PerihelionJD() {
  // The field the date format enables holds the time of perihelion.
  if (fields.dateFormat == 0) {
    const auto jd = ParsePerihelionField(fields.T, currentYear);
    if (!jd) platform::Tell(ui_, NotCalendarDate(fields.T), std::string(kCalendarDateErrorCaption), Icon::Error);
    return jd;
  }
  const JulianToCalendar j = ConvertJulianDateField(fields.JDT);
  if (j.status == FieldConversion::kConverted) return j.jd;
  platform::Tell(ui_, "\"" + fields.JDT + "\" is not a valid Julian Date!", std::string(kJulianDateErrorCaption),
                 Icon::Error);
  return std::nullopt;
}

std::optional<OrbitElements> ElementDialogLogic::Compute() {
  OrbitElements el;
  el.name = fields.name.substr(0, kOrbitNameChars);
  el.designation = fields.designation.substr(0, kOrbitDesignationChars);
  const auto epoch = EpochJD();
  if (!epoch) return std::nullopt;
  el.epoch = *epoch;
  const EquinoxHeader header = EquinoxOf(fields.equinox, el.epoch);
  el.frame.equinoxKind = header.kind;
  el.frame.equinoxJD = header.jd;
  el.equinoxIndex = static_cast<std::uint8_t>(fields.equinox);
  el.objectKind = el.origin = static_cast<std::uint8_t>(fields.set);
  el.centralBody = 0;
  long double incl = 0, node = 0;
  if (!ReadNumber(fields.e, "e:", el.e) || !ReadNumber(fields.incl, "Incl:", incl) ||
      !ReadNumber(fields.node, "Node:", node))
    return std::nullopt;
  el.i = incl * kRadiansPerDegree;
  el.node = node * kRadiansPerDegree;
  const auto outOfRange = [this](const std::string& text, std::string_view label) {
    platform::Tell(ui_, "\"" + text + "\" is not a valid value for " + std::string(label),
                   std::string(kElementInputErrorCaption), Icon::Error);
    return std::nullopt;
  };
  if (el.e < 0) return outOfRange(fields.e, "e:");
  long double a = 0, q = 0, peri = 0, M = 0, longPeri = 0, L = 0;
  switch (fields.set) {
    case ElementSet::kMinorPlanet:
      if (!ReadNumber(fields.a, "a:", a) || !ReadNumber(fields.peri, "Peri:", peri) || !ReadNumber(fields.M, "M:", M) ||
          !ReadNumber(fields.H, "H:", el.H, true) || !ReadNumber(fields.G, "G:", el.G, true))
        return std::nullopt;
      // A closed orbit: a positive axis below the parabola.
      if (a <= 0) return outOfRange(fields.a, "a:");
      if (el.e >= 1) return outOfRange(fields.e, "e:");
      el.a = a * kAstronomicalUnitKm;
      el.peri = peri * kRadiansPerDegree;
      el.M = M * kRadiansPerDegree;
      QFromA(el);
      MeanMotion(el);
      TFromM(el);
      el.magModel = kMagModelAsteroid;
      break;
    case ElementSet::kComet: {
      if (!ReadNumber(fields.q, "q:", q) || !ReadNumber(fields.peri, "Peri:", peri) ||
          !ReadNumber(fields.H, "H:", el.H, true) || !ReadNumber(fields.G, "G:", el.G, true))
        return std::nullopt;
      if (q <= 0) return outOfRange(fields.q, "q:");
      const auto T = PerihelionJD();
      if (!T) return std::nullopt;
      el.q = q * kAstronomicalUnitKm;
      el.peri = peri * kRadiansPerDegree;
      el.T = *T;
      AFromQ(el);
      MeanMotion(el);
      MFromT(el);
      el.magModel = kMagModelComet;
      break;
    }
    case ElementSet::kPlanet:
      if (!ReadNumber(fields.a, "a:", a) || !ReadNumber(fields.longPeri, "LngP:", longPeri) ||
          !ReadNumber(fields.L, "L:", L))
        return std::nullopt;
      if (a <= 0) return outOfRange(fields.a, "a:");
      if (el.e >= 1) return outOfRange(fields.e, "e:");
      el.a = a * kAstronomicalUnitKm;
      SetFromLongitudes(el, L * kRadiansPerDegree, longPeri * kRadiansPerDegree);
      QFromA(el);
      MeanMotion(el);
      TFromM(el);
      el.magModel = 0;
      el.H = el.G = 0;
      break;
  }
  return el;
}

bool ElementDialogLogic::Ok() {
  const bool edited = fields != filled_;
  // Untouched fields keep the elements as they came, to the last digit.
  if (!edited && current_.valid && !startBlank) return true;
  const auto el = Compute();
  if (!el) return false;
  current_.Set(*el, current_.codes, ElementSource::kElementDialog, 0);
  startBlank = false;
  filled_ = fields;
  return true;
}

bool ElementDialogLogic::Verify() {
  const auto el = Compute();
  if (!el) return false;
  FillFrom(*el);
  return true;
}

void ElementDialogLogic::Clear() {
  startBlank = true;
  Fill();
}

bool ElementDialogLogic::SaveCurrent() {
  if (platform::Tell(ui_, "Write Current Orbit Data to File?", "Confirm", Icon::Question, Buttons::YesNo) !=
      Answer::Yes)
    return false;
  if (!Ok()) return false;
  return SaveOrbitRecord(ui_, savedOrbitsPath, ElementsToCmo(current_.elements));
}

bool ElementDialogLogic::FindSaved() {
  if (listRunner == nullptr) return false;
  OrbitListForm list(ui_, savedOrbitsPath);
  if (!list.Loaded()) return false;
  listRunner->RunModal(list);
  const CmoRecord* record = list.ChosenRecord();
  if (record == nullptr) return false;
  current_.Set(SavedOrbitElements(*record), OrbitCodes{}, ElementSource::kUserSaved, 0);
  startBlank = false;
  Fill();
  if (onElementsTaken) onElementsTaken();
  return true;
}

}  // namespace skarvel
