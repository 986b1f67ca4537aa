// The decisions of the "Convert GSC to VORN Format" dialog: what its fields
// show, the directory chooser of a double click, and the OK step. The Qt
// dialog (catalogs/ui/t_gsc_cnvrt_form1.h) only copies texts in and out.
//
//   GSCConvertForm form(settings);           // fields from the kept settings
//   form.DoubleClicked(kOutputPath, ui, options.dataDir);
//   if (form.Ok(ui, settings)) -> close with OK, `settings` taken over
#pragma once

#include <array>
#include <string>

#include "catalogs/gsc_convert.h"
#include "platform/platform.h"

namespace skarvel {

/// The dialog's caption.
inline constexpr const char* kGSCConvertCaption = "Convert GSC to VORN Format";
/// The hint of the three path fields.
inline constexpr const char* kGSCConvertPathHint = "Double-click to browse.";
/// Longest path a field takes, characters: with its trailing separator it
/// still fits the 255-character catalog folder options.
inline constexpr std::size_t kGSCConvertPathLength = 254;

/// The three path fields, in their order on the dialog.
enum GSCConvertPath : std::size_t { kInputPath1 = 0, kInputPath2 = 1, kOutputPath = 2 };

struct GSCConvertForm {
  /// The labels of the path fields: "Input Path - Volume 1", "Input Path -
  /// Volume 2", "Output Path:" (also the titles of their directory choosers).
  static const std::array<const char*, 3> kPathLabels;

  /// The fields filled from `settings`: the three paths as they are, the
  /// magnitude limit with one decimal ("20.0"), the three switches.
  explicit GSCConvertForm(const GSCConvertSettings& settings);

  /// A double click on a path field: a directory chooser at the field's text,
  /// or at `dataDir` when the field is empty (the output's chooser may create
  /// folders). The chosen folder with a trailing separator replaces the text;
  /// false when the chooser was cancelled.
  bool DoubleClicked(GSCConvertPath field, platform::Platform& ui, const std::string& dataDir);

  /// OK: the three paths get a trailing separator when they lack one (the
  /// fields show it afterwards). An output path equal to an input path shows
  /// "Input Directory Cannot Be Used for Output" ("Same Directory!"); a
  /// magnitude limit that is not a number shows "Invalid Numeric Value -
  /// Check Mag Limit Entry!" ("Input Error!"); both with the error icon, and
  /// the dialog stays open (false, `settings` untouched). Otherwise the paths,
  /// the magnitude limit and the three switches go into `settings` (true).
  bool Ok(platform::Platform& ui, GSCConvertSettings& settings);

  std::array<std::string, 3> paths;
  std::string magText;
  bool restart = false;
  bool finder = false;
  bool marloVersion = false;
};

}  // namespace skarvel
