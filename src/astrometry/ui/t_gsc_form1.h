// The reference-field window "Catalog Stars", its "Adjust Reference Display"
// dialog and the "Reference Star" dialog. Decisions live in
// astrometry/reference_field.h; this layer draws and routes events.
//
// The window derives from the image window and reuses its marker drawing,
// print page and size dialog; it has menus of its own and draws the star
// picture instead of an image.
#pragma once

#include <QDialog>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "astrometry/chart_content.h"
#include "astrometry/info_list.h"
#include "astrometry/reference_field.h"
#include "images/ui/t_image_form1.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace skarvel::ui {

class TImageTextWindow;

/// What the reference-field window takes from the main window and the
/// selection dialog. Hooks may be left empty.
struct ReferenceFieldHost {
  platform::Platform* ui = nullptr;
  OptionsRecord* options = nullptr;  ///< the options working copy
  GSCFieldObj* field = nullptr;      ///< the field star list
  FieldRequest* request = nullptr;   ///< the field parameters and colour choice
  SearchDialogState* search = nullptr;
  std::function<std::string()> userName;  ///< for the printout
  /// Client size of the current image window; an empty size when there is none.
  std::function<QSize()> imageClientSize;
  /// `DisplayName` of the current image ("" when none).
  std::function<std::string()> imageName;
  /// The chart content shown in chart mode (may return null).
  std::function<const ChartContent*()> chart;
  /// The selection dialog restarts at its first step.
  std::function<void()> restartSelection;
  /// The current image's reference list is emptied.
  std::function<void()> clearImageReferences;
  /// The current image's reference list is marked invalid (a new field was loaded).
  std::function<void()> markImageReferencesInvalid;
  /// `SolutionType` was changed by the window's menu.
  std::function<void()> solutionTypeChanged;
  /// Runs the field parameters dialog and the load sequence with the current
  /// image's observation time (the chart's time in chart mode); true when a field was loaded.
  std::function<bool()> regionParameters;
  /// The options working copy changed and is to be saved.
  std::function<void()> noteOptionsChanged;
  /// A measuring box changed: the image windows redraw and forget their target mark.
  std::function<void()> boxChanged;
  /// The window was closed.
  std::function<void()> closed;
};

/// What the "Reference Star" dialog answered.
struct RefInfoAnswer {
  bool ok = false;
  bool usePos = false;
  bool useMag = false;
};

/// "Reference Star" / "Non-Stellar Object": the catalog data of a picked star
/// and its use for position and magnitude.
class TRefInfoForm1 : public QDialog {
  Q_OBJECT
 public:
  TRefInfoForm1(const RefInfoView& view, platform::Platform& ui, QWidget* parent = nullptr);
  /// Runs the dialog modally.
  RefInfoAnswer Run();
  QCheckBox* UsePosBox() const { return usePos_; }
  QCheckBox* UseMagBox() const { return useMag_; }

 private:
  void Colour(QCheckBox* box);

  platform::Platform& ui_;
  bool chartMode_;
  QCheckBox* usePos_;
  QCheckBox* useMag_;
  RefInfoAnswer answer_;
};

/// "Adjust Reference Display": the zero point of the star images and the inversion.
class TGSCAdjstForm1 : public QDialog {
  Q_OBJECT
 public:
  TGSCAdjstForm1(std::int32_t zeroPoint, bool inverted, QWidget* parent = nullptr);
  struct Values {
    std::int32_t zeroPoint = 0;
    bool inverted = false;
  };
  /// The values on OK, nothing on Cancel.
  std::optional<Values> Run();

 private:
  QSpinBox* zero_;
  QCheckBox* invert_;
};

class TGSCForm1 : public TImageForm1 {
  Q_OBJECT
 public:
  static inline const QColor kFrameRed{255, 0, 0};
  static inline const QColor kCentreGrey{128, 128, 128};
  static inline const QColor kPickMagenta{255, 0, 255};
  static constexpr int kFrameInset = 4;    ///< the red frame lies this many pixels inside the client area
  static constexpr int kCentreCross = 17;  ///< half length of the centre cross, pixels

  explicit TGSCForm1(ReferenceFieldHost host, QWidget* parent = nullptr);
  ~TGSCForm1() override;

  /// After a field load: zero point 0, inversion, menus by chart mode, the
  /// picture rendered, AddRemove off, the Selection emptied, the solution items checked.
  void InitFieldWindow();
  /// Rebuilds the picture for the current window size.
  void RenderField();
  /// A left click at window pixel (x, y) while AddRemove is on.
  void PickStar(int x, int y);

  /// The Selection and the rest of the window's state.
  ReferenceFieldModel& Model() { return model_; }
  /// AddRemove on (both "&Add/Remove..." items disabled) or off (enabled).
  void SetAddRemove(bool on);
  bool AddRemove() const { return model_.addRemove; }
  void SetChartMode(bool on) { model_.SetChartMode(on); }
  /// The "&Linear", "Add &Cross-term", "Full &Quadratic" check marks from `SolutionType`.
  void CheckSolutionItems();
  /// Redraws the client area (after the Selection was changed from outside).
  void Repaint();

  // ---- commands ----
  void ShowImageData();
  void AddRemoveCommand();
  void ClearReselect();
  void RestoreCommand();
  void RegionParameters();
  void DisplayParameters();
  void ResizeReference();
  void BoxSize(bool unknown);
  void SetSolutionType(int type);

  /// The "Reference Star" dialog; tests replace it. By default the modal TRefInfoForm1.
  std::function<RefInfoAnswer(const RefInfoView&, const PickCandidate&)> runRefInfo;
  /// The "Adjust Reference Display" dialog; by default the modal TGSCAdjstForm1.
  std::function<std::optional<TGSCAdjstForm1::Values>(std::int32_t, bool)> runAdjust;

  TImageTextWindow* DataWindow() const { return dataWindow_.get(); }
  QMenu* Popup() const { return popup_; }
  std::vector<std::string> PrintLines() const;

  // ---- image window operations ----
  int PrintInfo(QPainter& p, int margin, int lineHeight, int row) override;
  void PrintPicture(QPainter& p, int row, int lineHeight) override;

 protected:
  void Paint(QPainter& p) override;
  void Press(QMouseEvent* e) override;
  void Move(QMouseEvent* e) override;
  void Release(QMouseEvent* e) override;
  void DoubleClick(QMouseEvent* e) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void ApplyGeometry(const FieldGeometry& g);
  void UpdateTitle();
  FieldGeometry CurrentGeometry() const;

  ReferenceFieldHost host_;
  ReferenceFieldModel model_;
  QMenu* popup_ = nullptr;
  std::optional<WindowPixel> highlight_;
  std::unique_ptr<TImageTextWindow> dataWindow_;
};

}  // namespace skarvel::ui
