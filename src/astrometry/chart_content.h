// What the reference-field window draws in chart mode: the positions of an
// ephemeris or of the report's observations around the field centre, and the
// texts of the chart's title and printout.
#pragma once

#include <string>
#include <vector>

namespace skarvel {

/// One charted position (equinox of the chart's field).
struct ChartPosition {
  long double raHours = 0;  ///< 0 <= ra < 24
  long double decDeg = 0;   ///< -90 ... 90
};

/// The content of a chart.
struct ChartContent {
  enum class Source {
    None,          ///< no list shown: stars only
    Ephemeris,     ///< ephemeris positions: yellow circles of radius 8 with a cross (+-12 px first, +-8 others)
    Observations,  ///< observations of the report: cyan diagonal crosses of +-5 px
  };
  Source source = Source::None;
  std::vector<ChartPosition> positions;  ///< the chart's central position first (larger cross), then the others in list order
  std::string designation;  ///< "(number) name" for a numbered minor planet, else the name
  // The printout's ephemeris lines (Source::Ephemeris only).
  double centralTime = 0;        ///< date-time value of the central ephemeris line, TDT
  long double centralRAHours = 0;
  long double centralDecDeg = 0;
  long double step = 0;          ///< time increment
  bool hourlySteps = false;      ///< step in hours (else days)
  long double magnitude = 0;
};

}  // namespace skarvel
