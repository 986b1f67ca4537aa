// The menu commands that convert the asteroid orbit databases.
#pragma once

#include <functional>
#include <string>

#include "config/options.h"
#include "platform/platform.h"

namespace skarvel {

/// The two asteroid databases.
enum class OrbitDatabase { kLowell, kMpc };

/// Stores a chosen database folder in its option (AstorbPath or MPCOrbPath)
/// and saves the options file.
using SaveFolderFn = std::function<void(OrbitDatabase database, const std::string& folder)>;

/// "Convert L&owell (astorb.dat->astorb.cmo)": locates the files (asking for
/// the source when neither it nor the converted file is found), reports "No
/// Conversion Necessary" when the converted file is valid, converts when it is
/// not, and explains how to unpack the source when it is absent ("ASTORB.DAT
/// Not Found!"). A conversion cancelled at a bad record ends the command with
/// ConversionCancelled and no converted file.
void ConvertLowell(platform::Platform& ui, const OptionsRecord& options, SaveFolderFn saveFolder);

/// "Convert M&PC (MPCORB.dat->MPCORB.cmo)", the same for the MPC database.
void ConvertMPC(platform::Platform& ui, const OptionsRecord& options, SaveFolderFn saveFolder);

}  // namespace skarvel
