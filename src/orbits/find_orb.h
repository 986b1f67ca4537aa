// The element files written by the orbit-determination program FIND_ORB
// (Project Pluto): a text block that starts "Orbital elements:", read into
// the current orbital elements.
//
// The block as FIND_ORB writes it:
//   Orbital elements:
//   (433) Eros                      <- object line (or on the first line, after the colon)
//      Perihelion 1998 Mar 8.969329 TT = 23:15:50 (JD 2450881.469329)
//   Epoch 1997 Oct 13.0 TT = JDT 2450734.5   Earth MOID: 0.0615
//   M 322.34260              (2000.0)            P               Q
//   n   0.25622619     Peri.   72.47318     -0.50277681     -0.86441429
//   a   2.45501241     Node    47.71084      0.79213697     -0.46159019
//   e   0.5741560      Incl.    0.14296      0.34602670     -0.19930484
//   P   3.85           H   15.8     U  8.4     q 1.04545221  Q 3.86457261
// Angles are degrees in the J2000 ecliptic. Each value is the number after
// its keyword; "+/- sigma" columns are ignored. An open orbit gives "q"
// (AU, or km when "km" follows) in place of M and a, and its time of
// periapsis comes from the third line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "orbits/ephemeris.h"
#include "orbits/orbit_elements.h"
#include "platform/platform.h"

namespace skarvel {

/// Caption of every FIND_ORB file message.
inline constexpr std::string_view kFindOrbErrorCaption = "FIND_ORB File Error!";
/// The part of an element file that is read (bytes); a block is a dozen short lines.
inline constexpr std::size_t kFindOrbReadLimit = 64 * 1024;

/// The elements of a FIND_ORB block: header (mean, ecliptic, Julian,
/// 2451545.0), kind 0, origin 0, magnitude model 1 (G 0.15 when the block
/// gives none), central body 0 for a heliocentric orbit (3 for "Perigee",
/// 10 for "Perilune"), q, n and T (or a, n and M for an open orbit) derived.
/// @return nothing when the text is not a FIND_ORB block or a value is
///         missing, unreadable or absurd: an epoch or time of periapsis
///         outside the calendar (JD 0 to 9999 December 31), an angle beyond
///         +-360 degrees, a magnitude parameter beyond +-100, a non-finite
///         eccentricity, an axis or periapsis distance not above 0 or beyond
///         1e13 km.
std::optional<OrbitElements> ParseFindOrbText(std::string_view text);

/// Reads the FIND_ORB file `path` into `current` (source "FIND_ORB
/// Generated", codes zero). A file that cannot be opened shows "Unable to
/// Open FIND_ORB File!" with the name and I/O result; one that is not a
/// FIND_ORB block "File Is NOT a FIND_ORB File!" (error icon, caption
/// "FIND_ORB File Error!"); `current` then stays as it was.
/// @return true when the elements were loaded.
bool LoadFindOrb(platform::Platform& ui, const std::string& path, CurrentElements& current);

}  // namespace skarvel
