// The chart of an ephemeris or of the report's observations: what the
// reference-field window draws in chart mode and the field it draws it in,
// and the steps of the "Chart Options" dialog `TChrtCntrlBox`.
//
// Usage:
//   ChartControlLogic box;
//   box.Open(hasEphemeris, hasObservations, /*ephemerisPreselected=*/false);
//   ... the person ticks boxes; box.Ok() says which list to show;
//   ... the person picks a line; box.Ok(record or nothing) says whether the
//   chart can be made (EphemerisChart / ObservationChart) or repeats its message.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "astrometry/astrom_obs.h"
#include "astrometry/chart_content.h"
#include "foundations/record_list.h"
#include "orbits/ephemeris.h"
#include "platform/platform.h"

namespace skarvel {

/// The field a chart is drawn in.
struct ChartFieldParameters {
  long double centreRaHours = 0;  ///< the chosen record's right ascension
  long double centreDecDeg = 0;   ///< and declination
  long double sizeArcMin = 0;     ///< field size (arc minutes)
  double chartTime = 0;           ///< date-time value of the chosen record: the field's time
};

/// A chart: what is drawn and where.
struct ChartField {
  ChartContent content;
  ChartFieldParameters field;
};

/// The object's name on a chart: "(number) name" for a numbered minor planet
/// (origin minor planet, designation all digits), else the name.
std::string ChartDesignation(const OrbitElements& elements);

/// The chart of an ephemeris table centred on its record `central` (0-based,
/// must exist): the central position first (the one drawn with the larger
/// cross), then the other records in table order; the printout lines from the
/// central record and the parameters' step (hours when the unit is hours).
/// The field size is `sizeArcMin`, the current field size.
ChartField EphemerisChart(RecordList<EphemerisRecord>& table, std::size_t central, const OrbitElements& elements,
                          const EphemerisParams& params, long double sizeArcMin);

/// The chart of the report's observations centred on observation `central`
/// (must exist): the measured positions (fitted RA and Dec of each target),
/// the central one first, then the others in report order.
ChartField ObservationChart(const std::vector<ObservationRecord>& observations, std::size_t central,
                            long double sizeArcMin);

inline constexpr std::string_view kChartOptionsCaption = "Chart Options";
inline constexpr std::string_view kChartOptionsPrompt = "Select options for chart.  Press \"OK\" when ready.";
inline constexpr std::string_view kIdentifyCentreCaption = "Identify Chart Center";
inline constexpr std::string_view kEphemerisCentrePrompt =
    "Select an Ephemeris Record for center of chart field.  Press \"OK\" when ready.";
inline constexpr std::string_view kObservationCentrePrompt =
    "Select a Measurement Record for center of chart field.  Press \"OK\" when ready.";

/// The steps of the chart dialog.
class ChartControlLogic {
 public:
  enum class Step {
    kClosed,               ///< not shown
    kOptions,              ///< "Chart Options": the two check boxes
    kIdentifyEphemeris,    ///< waiting for an ephemeris line
    kIdentifyObservation,  ///< waiting for a measurement line
  };
  /// What the owner does after an OK.
  enum class Action {
    kNone,               ///< nothing (the dialog stays as it is, or closes with nothing chosen)
    kShowEphemeris,      ///< show the ephemeris report (build it when hidden)
    kShowObservations,   ///< show the observation report list
    kChartEphemeris,     ///< make the ephemeris chart on the record given to Ok
    kChartObservations,  ///< make the observation chart on the record given to Ok
  };

  /// Shows the options: "Plot Generated Ephemeris" enabled when an ephemeris
  /// table exists (and ticked when `ephemerisPreselected`), "Plot Measured
  /// Positions " enabled when the report holds observations (and ticked when
  /// `observationsPreselected`: the report window's "&Chart").
  void Open(bool hasEphemeris, bool hasObservations, bool ephemerisPreselected, bool observationsPreselected = false);

  /// OK. In the options step: with "Plot Generated Ephemeris" ticked the
  /// ephemeris report is to be shown and the dialog asks for an ephemeris
  /// record; with only "Plot Measured Positions " the observation list and a
  /// measurement record; with neither the dialog closes. In an identify step
  /// `record` is the record under the selected line (nothing when the line is
  /// not a record line): nothing shows "Select an Ephemeris Record and Press
  /// \"OK\"!" captioned "Not an Ephemeris Record!" (or the measurement texts)
  /// and the step stays; a record closes the dialog and asks for the chart.
  Action Ok(platform::Platform& ui, std::optional<std::size_t> record = std::nullopt);

  /// Cancel: the dialog closes. Returns the list it opened (kShowEphemeris or
  /// kShowObservations), which the owner closes, or kNone.
  Action Cancel();

  Step CurrentStep() const { return step_; }
  std::string_view Caption() const;
  std::string_view Prompt() const;

  bool plotEphemeris = false;     ///< "Plot Generated Ephemeris" ticked
  bool plotObservations = false;  ///< "Plot Measured Positions " ticked
  bool ephemerisEnabled = false;
  bool observationsEnabled = false;
  /// Both boxes were ticked: the ephemeris chart is made; the measured positions are not drawn with it.
  bool BothTicked() const { return plotEphemeris && plotObservations; }

 private:
  Step step_ = Step::kClosed;
};

inline constexpr std::string_view kNotEphemerisCaption = "Not an Ephemeris Record!";
inline constexpr std::string_view kNotEphemerisText = "Select an Ephemeris Record and Press \"OK\"!";
inline constexpr std::string_view kNotMeasurementCaption = "Not a Measurement Record!";
inline constexpr std::string_view kNotMeasurementText = "Select a Measurement Record and Press \"OK\"!";

}  // namespace skarvel
