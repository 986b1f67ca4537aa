// What the main window's client area shows of the current orbital elements:
// the elements panel below the image labels and, in orbit view, the orbit
// notes of a database record.
#pragma once

#include <string>
#include <vector>

#include "orbits/ephemeris.h"
#include "shell/astrm_lab.h"

namespace skarvel {

/// Left edge of the three element columns and of the magnitude column (pixels).
inline constexpr int kPanelColumns[4] = {20, 200, 380, 550};
/// Top of the panel's heading (pixels).
inline constexpr int kPanelTop = 270;

/// The elements panel of `current` for a font `textHeight` pixels high:
/// "*** Osculating Orbital Elements ***" at (20, 270), then from y 280 + the
/// text height in steps of the text height + 5 the object and its source,
/// reference and epoch, a q e, Incl Node Peri with H (G one line lower),
/// Lng P L M, and P T. Nothing when no elements are current.
std::vector<ScreenLine> ElementsPanelLines(const CurrentElements& current, int textHeight);

/// The orbit notes (white): "*** Orbit Notes ***" at (20, 20), the notes from
/// y 30 + the text height in steps of the text height + 5. Lowell notes for a
/// Lowell orbit, MPC notes for an MPC orbit, and for a TARNE orbit the Lowell
/// notes when `orbitFileArg` names "MARLO_AST" and the MPC notes when it names
/// "MARLO_MPC"; nothing when the record's codes carry no note.
std::vector<ScreenLine> OrbitNotesScreenLines(const CurrentElements& current, const std::string& orbitFileArg,
                                              int textHeight);

/// Both, as the work screen draws them: the panel when elements are current,
/// and in orbit view the notes.
std::vector<ScreenLine> OrbitScreenLines(const CurrentElements& current, bool orbitView,
                                         const std::string& orbitFileArg, int textHeight);

}  // namespace skarvel
