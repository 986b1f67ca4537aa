// One measurement of an image: the selection flow and its dialog, wired to
// the image window, the reference-field window and the main window.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "astrometry/ref_selection.h"
#include "astrometry/ui/t_slct_ref_form1.h"
#include "shell/astrm_lab.h"

namespace skarvel {
class ReferenceFieldModel;
}

namespace skarvel::ui {

class TImageForm1;

/// What a measurement needs of the reference-field window.
struct ReferenceFieldLink {
  std::function<std::vector<ReferenceStar>&()> selection;
  std::function<void(bool)> setAddRemove;
  /// Empties the window's selection.
  std::function<void()> clearSelection;
  std::function<void(std::uint8_t)> solutionTypeChanged;
  std::function<void()> repaint;
  /// Marks the window closable and closes it.
  std::function<void()> close;
  /// The window's model (for the automatic matching); may be unset.
  std::function<ReferenceFieldModel*()> model;
};

class TMeasurement : public QObject {
  Q_OBJECT
 public:
  TMeasurement(AstrmLab& lab, TImageForm1& image, ReferenceFieldLink field, QWidget* dialogParent = nullptr);
  ~TMeasurement() override;

  /// Step 0 of the selection on the image's slot; the dialog is shown.
  void Start();
  RefSelection& Selection() { return *selection_; }
  TSlctRefForm1& Dialog() { return *dialog_; }
  TImageForm1& Image() { return image_; }
  bool Active() const { return active_; }

  /// The reference-field window's "&Add/Remove..." and "&Clear/Reselect" restart the selection.
  void AddRemove();
  void ClearReselect();
  /// A click in the image window while measuring.
  void ImageClicked(int x, int y);

  // Replaceable dialogs (tests answer them without showing a window).
  std::function<std::optional<CancelChoice>(const CancelOptions&)> runCancelOptions;
  /// The "Observation Parameters" dialog in its "Verify/Complete" mode on the image's copy.
  std::function<bool(ObsParams&)> runObservationParameters;
  /// The measurement has closed its windows.
  std::function<void()> finished;
  /// The selection dialog changed (its size follows its prompt): the windows
  /// around it are placed again so that none covers another.
  std::function<void()> placeWindows;

 private:
  SelectionHooks Hooks();
  void Close(bool completed);

  AstrmLab& lab_;
  TImageForm1& image_;
  ReferenceFieldLink field_;
  std::unique_ptr<RefSelection> selection_;
  std::unique_ptr<TSlctRefForm1> dialog_;
  bool active_ = false;
};

}  // namespace skarvel::ui
