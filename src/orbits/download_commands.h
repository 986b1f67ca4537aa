// The download and help items of "Download &Orbit Database": the download
// pages opened in the desktop's browser after the advice to read the help
// first, and the help topics on downloading.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "config/options.h"
#include "platform/platform.h"

namespace skarvel {

/// Opens `address` in the desktop's web browser, with the busy cursor meanwhile.
void OpenWebPage(platform::Platform& ui, const std::string& address);

/// "Download &Lowell (astorb.dat)": unless ExpertMode, "If you have not read
/// \"Help on Lowell Download\" ..." ("Read \"Help\" First!", OK/Cancel);
/// then the AstorbURL page. @return true when the page was asked for.
bool DownloadLowell(platform::Platform& ui, const OptionsRecord& options);
/// "Download &MPC (MPCORB.dat, comet.dat)": the same with the MPC text and MPCOrbURL.
bool DownloadMPC(platform::Platform& ui, const OptionsRecord& options);

/// The file name the observatory code list is saved under in the data
/// folder, the one "Determine Orbit..." looks for first.
inline constexpr std::string_view kObsCodesFileName = "ObsCodes.html";
/// The list's page below the Minor Planet Center's address.
inline constexpr std::string_view kObsCodesPage = "iau/lists/ObsCodes.html";

/// The address of the MPC's observatory code list: `mpcURL` (blanks around
/// it cut) + "iau/lists/ObsCodes.html" with exactly one "/" between them,
/// however many `mpcURL` ends with; empty when `mpcURL` is blank.
std::string ObsCodesURL(std::string_view mpcURL);

/// "Download O&bservatory Codes (ObsCodes.html)": opens ObsCodesURL(MPCURL)
/// and, unless ExpertMode, says where to save the page ("Observatory Codes",
/// information icon). A blank MPCURL opens nothing and says so.
/// @return true when the page was asked for.
bool DownloadObsCodes(platform::Platform& ui, const OptionsRecord& options);

/// The help topics on downloading.
inline constexpr std::string_view kLowellDownloadTopic = "Download the Lowell Database";
inline constexpr std::string_view kMpcDownloadTopic = "Download the MPC Database";
inline constexpr std::string_view kCometDownloadTopic = "Download the MPC Comet File";

/// Shows the help topic titled `topic` through `showTopic`, the help
/// system's ShowTopicByTitle, which tells the person itself when the topic
/// list has no such topic. Without a help system (`showTopic` absent):
/// "Cannot find Help topic \"<topic>\"." ... captioned "Help Topic Not Found"
/// (question icon). @return true when the topic was shown.
bool HelpOnDownload(platform::Platform& ui, std::string_view topic,
                    const std::function<bool(const std::string&)>& showTopic);

}  // namespace skarvel
