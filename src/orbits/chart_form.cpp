#include "orbits/chart_form.h"

#include <stdexcept>

#include "foundations/strings.h"
#include "orbits/orbit_elements.h"

namespace skarvel {

using platform::Icon;

std::string ChartDesignation(const OrbitElements& elements) {
  const bool numbered = elements.origin == kOriginMinorPlanet && !elements.designation.empty() &&
                        elements.designation.find_first_not_of("0123456789") == std::string::npos;
  return numbered ? "(" + elements.designation + ") " + elements.name : elements.name;
}

ChartField EphemerisChart(RecordList<EphemerisRecord>& table, std::size_t central, const OrbitElements& elements,
                          const EphemerisParams& params, long double sizeArcMin) {
  if (central >= table.Size()) throw std::out_of_range("no ephemeris record " + std::to_string(central + 1));
  ChartField chart;
  ChartContent& c = chart.content;
  c.source = ChartContent::Source::Ephemeris;
  c.designation = ChartDesignation(elements);
  const EphemerisRecord centre = *table.GetAt(static_cast<std::int32_t>(central));
  c.positions.push_back({centre.raHours, centre.decDeg});
  for (std::int32_t k = 0; k <= table.LastIndex(); ++k) {
    if (static_cast<std::size_t>(k) == central) continue;
    const EphemerisRecord& r = *table.GetAt(k);
    c.positions.push_back({r.raHours, r.decDeg});
  }
  table.Reset();
  c.centralTime = centre.dateTime;
  c.centralRAHours = centre.raHours;
  c.centralDecDeg = centre.decDeg;
  c.hourlySteps = params.unitsPerDay == 24;
  c.step = params.stepDays * params.unitsPerDay;
  c.magnitude = centre.magnitude;
  chart.field = ChartFieldParameters{centre.raHours, centre.decDeg, sizeArcMin, centre.dateTime};
  return chart;
}

ChartField ObservationChart(const std::vector<ObservationRecord>& observations, std::size_t central,
                            long double sizeArcMin) {
  if (central >= observations.size()) throw std::out_of_range("no observation " + std::to_string(central + 1));
  ChartField chart;
  ChartContent& c = chart.content;
  c.source = ChartContent::Source::Observations;
  const ObservationRecord& centre = observations[central];
  c.designation = centre.params.objectName;
  c.positions.push_back({centre.target.fitRA, centre.target.fitDec});
  for (std::size_t k = 0; k < observations.size(); ++k)
    if (k != central) c.positions.push_back({observations[k].target.fitRA, observations[k].target.fitDec});
  c.centralTime = centre.params.observationTime;
  c.centralRAHours = centre.target.fitRA;
  c.centralDecDeg = centre.target.fitDec;
  chart.field =
      ChartFieldParameters{centre.target.fitRA, centre.target.fitDec, sizeArcMin, centre.params.observationTime};
  return chart;
}

void ChartControlLogic::Open(bool hasEphemeris, bool hasObservations, bool ephemerisPreselected,
                             bool observationsPreselected) {
  ephemerisEnabled = hasEphemeris;
  observationsEnabled = hasObservations;
  plotEphemeris = hasEphemeris && ephemerisPreselected && !observationsPreselected;
  plotObservations = hasObservations && observationsPreselected;
  step_ = Step::kOptions;
}

ChartControlLogic::Action ChartControlLogic::Ok(platform::Platform& ui, std::optional<std::size_t> record) {
  switch (step_) {
    case Step::kClosed: return Action::kNone;
    case Step::kOptions:
      if (plotEphemeris && ephemerisEnabled) {
        step_ = Step::kIdentifyEphemeris;
        return Action::kShowEphemeris;
      }
      if (plotObservations && observationsEnabled) {
        step_ = Step::kIdentifyObservation;
        return Action::kShowObservations;
      }
      step_ = Step::kClosed;
      return Action::kNone;
    case Step::kIdentifyEphemeris:
      if (!record) {
        platform::Tell(ui, std::string(kNotEphemerisText), std::string(kNotEphemerisCaption), Icon::Exclamation);
        return Action::kNone;
      }
      step_ = Step::kClosed;
      return Action::kChartEphemeris;
    case Step::kIdentifyObservation:
      if (!record) {
        platform::Tell(ui, std::string(kNotMeasurementText), std::string(kNotMeasurementCaption), Icon::Exclamation);
        return Action::kNone;
      }
      step_ = Step::kClosed;
      return Action::kChartObservations;
  }
  return Action::kNone;
}

ChartControlLogic::Action ChartControlLogic::Cancel() {
  const Step was = step_;
  step_ = Step::kClosed;
  if (was == Step::kIdentifyEphemeris) return Action::kShowEphemeris;
  if (was == Step::kIdentifyObservation) return Action::kShowObservations;
  return Action::kNone;
}

std::string_view ChartControlLogic::Caption() const {
  return step_ == Step::kIdentifyEphemeris || step_ == Step::kIdentifyObservation ? kIdentifyCentreCaption
                                                                                  : kChartOptionsCaption;
}

std::string_view ChartControlLogic::Prompt() const {
  if (step_ == Step::kIdentifyEphemeris) return kEphemerisCentrePrompt;
  if (step_ == Step::kIdentifyObservation) return kObservationCentrePrompt;
  return kChartOptionsPrompt;
}

}  // namespace skarvel
