// The second stage the orbit harnesses share: what the program does with
// elements once they are current (the osculating element lines, a short
// ephemeris in the frame of date and its report).
#pragma once

#include "orbits/ephemeris.h"

namespace skarvel::fuzz {

/// Makes `elements` current (with `source`), lists them and computes and
/// reports a three-point ephemeris from JD 2461000.5 at `stepDays`.
void UseElements(const OrbitElements& elements, const OrbitCodes& codes, ElementSource source, double stepDays = 10);

}  // namespace skarvel::fuzz
