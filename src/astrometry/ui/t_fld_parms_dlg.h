// "Enter/Verify Field Parameters": the field centre, size, limiting
// magnitude, rotation, mirroring, catalog colour and supplementary catalog.
// Decisions live in astrometry/field_params_logic.h.
#pragma once

#include <QDialog>
#include <QMap>
#include <functional>
#include <optional>
#include <vector>

#include "astrometry/field_params_logic.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QVBoxLayout;

namespace skarvel::ui {

class TGSCForm1;

/// What the dialog works on.
struct FieldParamsSetup {
  platform::Platform* ui = nullptr;
  FieldRequest* request = nullptr;   ///< read at the start, written on OK
  OptionsRecord* options = nullptr;  ///< the options working copy; FieldSize, MagLimit and adopted catalog options
  std::uint8_t imageFilter = 8;      ///< FilterCode of the current image, 8 when none
  bool chartListShown = false;       ///< the main window is in chart state with a list shown
  /// "&Change": the "Set Star Catalog Options" dialog on a copy; the changed copy on OK.
  std::function<std::optional<OptionsRecord>(const OptionsRecord&)> changeCatalogOptions;
  /// The reference-field window whose "&Region Parameters..." and "&Add/Remove..." items
  /// are disabled while the dialog is up (may be null).
  TGSCForm1* referenceWindow = nullptr;
};

class TFldParmsDlg : public QDialog {
  Q_OBJECT
 public:
  TFldParmsDlg(FieldParamsSetup setup, QWidget* parent = nullptr);
  ~TFldParmsDlg() override;

  /// Runs the dialog modally. Nothing when cancelled; on OK whether the
  /// options must be saved (the field request and options are stored).
  std::optional<bool> Run();

  FieldParamsLogic& Logic() { return logic_; }
  QLineEdit* Edit(const char* name) const;
  QGroupBox* ColourGroup() const { return colourGroup_; }
  std::vector<QRadioButton*> ColourButtons() const { return colourButtons_; }
  QCheckBox* UseSABox() const { return useSA_; }
  /// The OK button's work: false while the dialog stays open.
  bool TryAccept();

 private:
  void FillCatalog();
  void ReadBack();
  void Change();

  FieldParamsSetup setup_;
  FieldParamsLogic logic_;
  QMap<QString, QLineEdit*> edits_;
  QCheckBox* revEW_;
  QCheckBox* revNS_;
  QCheckBox* useSA_;
  QLineEdit* catalog_;
  QGroupBox* colourGroup_;
  QVBoxLayout* colourLayout_;
  QButtonGroup* colourButtonsGroup_;
  std::vector<QRadioButton*> colourButtons_;
  QMap<QString, bool> remembered_;  ///< states of the reference window's items before the dialog
  std::optional<bool> result_;
};

}  // namespace skarvel::ui
