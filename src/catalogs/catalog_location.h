// The catalog location prompt (TCatlgPathDlg) that every file-based reader
// shows while an expected catalog file is missing.
//
// The prompt reaches the person through Platform::PromptText: the caption, the
// prompt's text, the drive field as the initial text and a "Browse" button.
// The answer is read as the dialog's buttons: nothing (Cancel) gives up; the
// text "Browse" (the Browse button) opens a directory chooser; any other text
// is OK with that drive field.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace skarvel {

/// The answer text that stands for the Browse button.
inline constexpr const char* kCatalogBrowseAnswer = "Browse";
/// The drive field shown when the location is not a drive root.
inline constexpr const char* kDefaultCatalogDrive = "D:\\";

/// The prompt text. Without `error`: "Please insert " + name + " in CDROM drive
/// shown.  (Change drive letter if incorrect, or Press "Browse" to locate on
/// Fixed Disk.)" + two line breaks + "*** Allow CD Drive to Finish Loading
/// Before Pressing "OK". ***". With `error`: "Unable to access " + name + " at
/// location "location"." + two line breaks + "Change drive letter if
/// incorrect, or Press "Browse" to locate on Fixed Disk.".
std::string CatalogPromptText(const std::string& name, const std::string& location, bool error);

/// True when a location is a bare drive root (three characters, "D:\"), or
/// the mount point of the optical drive (`opticalDrive`, when not empty).
inline bool IsBareDriveRoot(const std::string& location, const std::string& opticalDrive = "") {
  return location.size() == 3 || (!opticalDrive.empty() && location == opticalDrive);
}

/// A location the person gave: typed (OK) or browsed.
struct CatalogLocationAnswer {
  std::string location;
  bool browsed = false;
};

/// Shows the prompt once. Beeps (information or warning), then asks. The
/// drive field shows the location's drive ("D:\" form), else the mount point
/// of the mounted optical drive `opticalDrive` (where a drive letter means
/// nothing), else "D:\". OK: a folder typed in the field (it holds a "/")
/// with a trailing separator, else the first character of the field,
/// upper-cased, + ":\"; Browse: a directory chooser at `location` (at
/// `programDir` when that does not exist), the chosen directory with a
/// trailing separator; nullopt when the person cancelled the prompt or the
/// chooser (or gave an empty drive field).
std::optional<CatalogLocationAnswer> AskCatalogLocation(platform::Platform& ui, const std::string& name,
                                              const std::string& caption, const std::string& location, bool error,
                                              const std::string& programDir, const std::string& opticalDrive = "");

/// The names and captions of one file's prompt.
struct CatalogPromptTexts {
  std::string rootName;      ///< catalog name when the location is a bare drive root
  std::string rootCaption;
  std::string errorName;     ///< catalog name otherwise (the error form)
  std::string errorCaption;
  std::string browsedSuffix; ///< removed from a browsed directory ending in it (e.g. "TABLES\"), any case
};

/// `location` with a trailing "\" (or "/") when it is not empty and lacks one.
std::string WithTrailingBackslash(std::string location);

/// The loop of a reader: while location + relative does not exist, the prompt
/// (bare-root form for a three-character location or the optical drive's
/// mount point, else the error form); a browsed directory loses
/// `browsedSuffix`. Returns the location under which the file exists, or
/// nullopt when the person gave up.
std::optional<std::string> LocateCatalogFile(platform::Platform& ui, std::string location,
                                             const std::string& relative, const CatalogPromptTexts& texts,
                                             const std::string& programDir, const std::string& opticalDrive = "");

}  // namespace skarvel
