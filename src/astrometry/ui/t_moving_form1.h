// "Moving Objects": the candidates of the loaded images in a list (object,
// rate, direction, magnitude, fit residual, predicted minus measured), each
// drawn as a track on the image windows and the blink display, and
// "&Measure" taking the chosen one as the target of every image. The search
// and the texts live in astrometry/moving_search.h.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "astrometry/moving_search.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace skarvel::ui {

class TImageForm1;

/// What the window takes from the main window.
struct MovingWindowHost {
  platform::Platform* ui = nullptr;
  /// The image windows of the set, slot order (= time order).
  std::function<std::vector<TImageForm1*>()> imageWindows;
  /// The Julian date (mid-exposure) and the pointing of a slot's image.
  std::function<MovingFrameInput(int slot)> frame;
  /// The catalog stars of the field, read when none is loaded; null when there are none.
  std::function<StarList*()> fieldStars;
  /// The orbit database and site that name the known objects; nothing when there is none.
  std::function<std::optional<KnownSearch>()> knownSearch;
  long double arcsecPerPixel = 0;  ///< the camera's scale, 0 when unknown
  BoxRecord unknownBox;
  /// The object the image header of a slot names ("" when none).
  std::function<std::string(int slot)> headerObject;
  /// The image windows and the blink display are to be drawn again.
  std::function<void()> repaint;
};

class TMovingForm1 : public QWidget {
  Q_OBJECT
 public:
  explicit TMovingForm1(MovingWindowHost host, QWidget* parent = nullptr);
  ~TMovingForm1() override;

  /// Searches the images, fills the list and draws the tracks. False when the
  /// search could not run (what was wrong has been told).
  bool Search();
  /// "&Measure": the chosen candidate becomes the target of every image and
  /// the object of its observation parameters.
  void Measure();

  const MovingObjectsSearch& Model() const { return model_; }
  QTreeWidget* List() const { return list_; }
  QPushButton* MeasureButton() const { return measure_; }
  QLabel* Status() const { return status_; }

 protected:
  void closeEvent(class QCloseEvent* event) override;

 private:
  /// The columns and the window sized to the list's texts.
  void FitToContents();
  void ShowTracks();
  void ClearTracks();

  MovingWindowHost host_;
  MovingObjectsSearch model_;
  QTreeWidget* list_;
  QPushButton* measure_;
  QPushButton* close_;
  QLabel* status_;
};

}  // namespace skarvel::ui
