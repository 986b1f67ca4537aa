// The demo night that comes with the program (its four images of (433) Eros,
// their catalog, orbits, site and camera) and the working folder a session on
// it runs in, so that nothing the program writes lands among its files.
//
// Usage (what scripts/run does through make-demo, and "Open Demo Night"):
//   PrepareDemoSession(fs::InstallationDataDirectory() + kDemoFolder, DemoWorkDirectory(xdg, home), ui);
//   then the program starts (or goes on) on WORK/ASTROPTS.INI with WORK as its data folder.
#pragma once

#include <string>

#include "platform/platform.h"

namespace skarvel {

/// The demo night's folder inside the program's data folder.
inline constexpr const char* kDemoFolder = "demo/";

/// The working folder of a demo session opened from the Help menu: "skarvel/demo-night/"
/// in the per-user data folder ($XDG_DATA_HOME when it is an absolute path,
/// else $HOME/.local/share). Empty when neither is usable. Either argument may be null.
std::string DemoWorkDirectory(const char* xdgDataHome, const char* home);

/// Prepares `workDir` (created when missing) for a session on the demo night
/// in `demoDir`: the demo's options file, read and written again with its
/// catalog folders made absolute under `demoDir`, its image folder and its
/// orbit folder pointing at copies in `workDir` ("images/" with the ".FIT"
/// files, "orbits/" with "MPCORB.DAT" and "MPCORB.CMO", the converted file
/// keeping the source's time so that it counts as up to date), and copies of
/// the station and camera files. A previous options file there stays as
/// "ASTROPTS.BAK". Nothing is written into `demoDir`.
/// Throws std::runtime_error naming the folder or file that failed, or IOFailure.
void PrepareDemoSession(const std::string& demoDir, const std::string& workDir, platform::Platform& ui);

}  // namespace skarvel
