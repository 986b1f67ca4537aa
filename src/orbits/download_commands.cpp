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

std::string ObsCodesURL(std::string_view mpcURL) {
  const std::string_view blanks = " \t\r\n";
  const std::size_t first = mpcURL.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  std::string_view base = mpcURL.substr(first, mpcURL.find_last_not_of(blanks) - first + 1);
  while (!base.empty() && base.back() == '/') base.remove_suffix(1);
  if (base.empty()) return {};
  return std::string(base) + "/" + std::string(kObsCodesPage);
}

bool DownloadObsCodes(platform::Platform& ui, const OptionsRecord& options) {
  const std::string url = ObsCodesURL(options.mpcURL);
  if (url.empty()) {
    platform::Tell(ui, "The Minor Planet Center's address (MPCURL) in the options is empty.", "Observatory Codes",
                   Icon::Exclamation);
    return false;
  }
  OpenWebPage(ui, url);
  if (!options.expertMode)
    platform::Tell(ui,
                   "Save the page as \"" + std::string(kObsCodesFileName) + "\" in the data folder\r\n" +
                       options.dataDir + "\r\n\r\n\"Determine Orbit...\" reads it from there (or choose the file in its window).",
                   "Observatory Codes", Icon::Information);
  return true;
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
