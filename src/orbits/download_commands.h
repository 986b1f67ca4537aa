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
