#include "catalogs/catalog_location.h"

#include <cctype>

#include "foundations/file_system.h"

namespace skarvel {

namespace {

constexpr const char* kBreak2 = "\r\n\r\n";

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool EndsWithPath(const std::string& dir, const std::string& suffix) {
  if (suffix.empty() || dir.size() < suffix.size()) return false;
  return Upper(fs::NativePath(dir.substr(dir.size() - suffix.size()))) == Upper(fs::NativePath(suffix));
}

}  // namespace

std::string CatalogPromptText(const std::string& name, const std::string& location, bool error) {
  if (!error)
    return "Please insert " + name + " in CDROM drive shown.  " +
           "(Change drive letter if incorrect, or Press \"Browse\" to locate on Fixed Disk.)" + kBreak2 +
           "*** Allow CD Drive to Finish Loading Before Pressing \"OK\". ***";
  return "Unable to access " + name + " at location \"" + location + "\"." + kBreak2 +
         "Change drive letter if incorrect, or Press \"Browse\" to locate on Fixed Disk.";
}

std::string WithTrailingBackslash(std::string location) {
  if (!location.empty() && location.back() != '\\' && location.back() != '/') location.push_back('\\');
  return location;
}

std::optional<CatalogLocationAnswer> AskCatalogLocation(platform::Platform& ui, const std::string& name,
                                              const std::string& caption, const std::string& location, bool error,
                                              const std::string& programDir, const std::string& opticalDrive) {
  const bool driveForm = location.size() >= 2 && location[1] == ':';
  const std::string drive = driveForm               ? location.substr(0, 3)
                            : !opticalDrive.empty() ? opticalDrive
                                                    : std::string(kDefaultCatalogDrive);
  ui.Beep();  // information beep, or the warning beep of the error form
  const auto answer = ui.PromptText({caption, CatalogPromptText(name, location, error), drive, kCatalogBrowseAnswer});
  if (!answer) return std::nullopt;
  if (Upper(*answer) == Upper(kCatalogBrowseAnswer)) {
    const std::string start = fs::DirectoryExists(location) ? location : programDir;
    const auto chosen = ui.ChooseDirectory({caption, start, false});
    if (!chosen || chosen->empty()) return std::nullopt;
    return CatalogLocationAnswer{WithTrailingBackslash(*chosen), true};
  }
  if (answer->empty()) return std::nullopt;
  // A folder (a mount point such as "/media/cdrom/"): taken as it stands.
  if (answer->find('/') != std::string::npos) return CatalogLocationAnswer{WithTrailingBackslash(*answer), false};
  return CatalogLocationAnswer{
      std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>((*answer)[0])))) + ":\\", false};
}

std::optional<std::string> LocateCatalogFile(platform::Platform& ui, std::string location,
                                             const std::string& relative, const CatalogPromptTexts& texts,
                                             const std::string& programDir, const std::string& opticalDrive) {
  while (!fs::FileExists(location + relative)) {
    const bool root = IsBareDriveRoot(location, opticalDrive);
    auto next = AskCatalogLocation(ui, root ? texts.rootName : texts.errorName,
                                   root ? texts.rootCaption : texts.errorCaption, location, !root, programDir,
                                   opticalDrive);
    if (!next) return std::nullopt;
    if (next->browsed && EndsWithPath(next->location, texts.browsedSuffix))
      next->location.erase(next->location.size() - texts.browsedSuffix.size());
    location = next->location;
  }
  return location;
}

}  // namespace skarvel
