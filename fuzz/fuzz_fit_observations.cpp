// The readers of orbit determination's outside data (the first byte chooses):
// the observatory code list, or measured positions (MPC 80-column, ADES PSV
// or XML, by content); then what the fit does with what was read: the
// observers and directions, Gauss's method on three of the positions and the
// predicted place of its first candidate.
#include <cstdint>
#include <string>
#include <string_view>

#include "orbits/fit_observations.h"
#include "orbits/orbit_fit.h"
#include "support/fuzz_input.h"

using namespace skarvel;

namespace {

constexpr std::string_view kCodes =
    "Code  Long.   cos      sin    Name\n"
    "500   0.0000 0.00000 +0.00000 Geocentric\n"
    "695 248.4000 0.84597 +0.53217 Kitt Peak\n"
    "809 289.2700 0.87449 -0.48554 La Silla\n"
    "C51                           WISE\n";

void UseObservations(const ObservationReading& reading, const ObservatoryCodeList& codes) {
  if (fuzz::kReaderOnly) return;
  std::vector<std::string> messages;
  const auto prepared = PrepareObservations(reading.observations, codes, FitSettings{}, messages);
  if (prepared.size() < 3) return;
  const std::size_t n = prepared.size();
  const auto candidates = GaussCandidates(prepared[0], prepared[n / 2], prepared[n - 1]);
  for (const StateAtEpoch& c : candidates) {
    const OrbitElements el = ElementsFromState(c.position, c.velocity, c.epochTT);
    (void)PlaceFromElements(el, prepared[0].observer, prepared[0].jdTT + 30);
    const std::vector<long double> p = {c.position.x / kFitAuKm, c.position.y / kFitAuKm, c.position.z / kFitAuKm,
                                        c.velocity.x * 86400 / kFitAuKm, c.velocity.y * 86400 / kFitAuKm,
                                        c.velocity.z * 86400 / kFitAuKm};
    std::vector<std::vector<long double>> cov(6, std::vector<long double>(6, 0));
    for (std::size_t k = 0; k < 6; ++k) cov[k][k] = 1e-12L;
    (void)PredictFromParameters(FitParameters::kState, p, 0, c.epochTT, cov, prepared[0].observer,
                                prepared[0].jdTT + 1);
    break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  static const ObservatoryCodeList codes = ParseObservatoryCodes(kCodes);
  switch (data[0] % 5) {
    case 0: {
      const ObservatoryCodeList list = ParseObservatoryCodes(text);
      if (!fuzz::kReaderOnly) {
        for (const auto& [code, c] : list.codes) (void)ObserverPosition(c, 2451545.0L);
      }
      break;
    }
    case 1:
      UseObservations(ReadObservations(text), codes);
      break;
    case 2:
      UseObservations(ReadMpc80(text), codes);
      break;
    case 3:
      UseObservations(ReadAdesPsv(text), codes);
      break;
    default:
      UseObservations(ReadAdesXml(text), codes);
      break;
  }
  return 0;
}
