#include "orbits/download_commands.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

void OpenWebPage(platform::Platform& ui, const std::string& address) {
  platform::BusyCursor busy(ui);
  ui.OpenWebPage(address);
}

namespace {

bool Download(platform::Platform& ui, const OptionsRecord& options, std::string_view help, const std::string& url) {
  if (!options.expertMode &&
      platform::Tell(ui,
                     "If you have not read \"" + std::string(help) +
                         "\" you should do so before proceeding.\r\n\r\nContinue with download?",
                     "Read \"Help\" First!", Icon::Question, Buttons::OkCancel) != Answer::Ok)
    return false;
  OpenWebPage(ui, url);
  return true;
}

}  // namespace

bool DownloadLowell(platform::Platform& ui, const OptionsRecord& options) {
  return Download(ui, options, "Help on Lowell Download", options.astorbURL);
}

bool DownloadMPC(platform::Platform& ui, const OptionsRecord& options) {
  return Download(ui, options, "Help on MPC Download", options.mpcOrbURL);
}

bool HelpOnDownload(platform::Platform& ui, std::string_view topic,
                    const std::function<bool(const std::string&)>& showTopic) {
  const std::string title(topic);
  if (showTopic) return showTopic(title);
  platform::Tell(ui,
                 "Cannot find Help topic \"" + title + "\"." + "\r\n\r\n" +
                     "Select \"Help\"->\"Topics\" and search for related items.",
                 "Help Topic Not Found", Icon::Question);
  return false;
}

}  // namespace skarvel
