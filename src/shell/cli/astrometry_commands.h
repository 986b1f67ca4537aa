// The subcommands of the astrometric reduction.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "astrometry/reference_star.h"

#include "shell/cli/cli.h"

namespace skarvel::cli {

/// `solve`: the plate solution from reference pairs.
Subcommand SolveCommand();
/// `solve --auto IMAGE.FIT ...`: the plate of an image matched to the catalog without a pairs file.
int RunSolveAuto(const Arguments& args, std::ostream& out, std::ostream& err);
/// The plate of `stars` about (raHours, decDeg) as `solve` prints it: the
/// fitted stars, the centre record's place and the target's with its errors;
/// nothing, with the message on `err`, when the pairs do not fix the model.
/// `weighted`: the pairs weighted by their measured uncertainties (sigmaX, sigmaY).
std::optional<nlohmann::ordered_json> SolveJson(std::vector<ReferenceStar>& stars, long double raHours,
                                                long double decDeg, std::uint8_t type, const std::string& model,
                                                ReferenceStar centreRecord,
                                                const std::optional<std::vector<long double>>& target,
                                                std::ostream& err, bool weighted = false);
/// `moving`: what moves in three or four frames of a field, the known objects named.
Subcommand MovingCommand();
/// `measure`: the image window's measurement of a target, run without windows.
Subcommand MeasureCommand();
/// `stack`: a frame series stacked along a motion.
Subcommand StackCommand();
/// `track-search`: faint movers of a frame series by stacks over a grid of motions.
Subcommand TrackSearchCommand();
/// `report`: the report text of a report data file.
Subcommand ReportCommand();

}  // namespace skarvel::cli
