// The blink comparator: the blink window (derived from the image window),
// its alignment dialog, the blink options and the blink interval dialog.
// The decisions live in images/blink.h and images/blink_init.h.
#pragma once

#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "images/blink.h"
#include "images/blink_init.h"
#include "images/ui/t_image_form1.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace skarvel::ui {

class TBlinkForm1;

/// "Blink Options": an image number or None for each of the four frames.
class TBlinkOptions : public QDialog {
  Q_OBJECT
 public:
  TBlinkOptions(const BlinkOptions& options, int last, platform::Platform& ui, QWidget* parent = nullptr);
  /// The choice on OK; nothing on Cancel (also Cancel of the "Need 2 Images" box).
  std::optional<BlinkOptions> Run();
  QComboBox* Frame(int k) const { return frames_[static_cast<std::size_t>(k)]; }
  void done(int result) override;

 private:
  BlinkOptions options_;
  int last_;
  platform::Platform& ui_;
  std::array<QComboBox*, 4> frames_{};
};

/// "Set Blink Interval": milliseconds 10 ... 1000 on a scroll bar, "&Default" 500.
class TBlnkTmrDlg : public QDialog {
  Q_OBJECT
 public:
  TBlnkTmrDlg(int interval, QWidget* parent = nullptr);
  std::optional<int> Run();
  QScrollBar* Bar() const { return bar_; }

 private:
  QScrollBar* bar_;
  QLabel* readOut_;
};

/// "Select Star for Image Positioning": the message of the step, "C&ontinue..." and "&Cancel".
class TBlinkInitForm1 : public QWidget {
  Q_OBJECT
 public:
  TBlinkInitForm1(BlinkInitLogic*& logic, QWidget* parent = nullptr);
  /// Caption, message and buttons from the logic.
  void Sync();
  QPushButton* ContinueButton() const { return continue_; }
  QPushButton* CancelButton() const { return cancel_; }
  QLabel* MessageLabel() const { return label_; }
  std::function<void()> changed;  ///< after a button (the blink window repaints)

 private:
  BlinkInitLogic*& logic_;
  QLabel* label_;
  QPushButton* continue_;
  QPushButton* cancel_;
};

/// What the blink window takes from the main window.
struct BlinkHost {
  std::function<TImageForm1*(int slot)> imageWindow;
  BlinkAlignments* alignments = nullptr;
  bool* blinkHintPending = nullptr;  ///< the one-time region hint
  bool* firstStarAsked = nullptr;    ///< the first alignment message, once per run
  /// The timer started or stopped (the main window locks its slots).
  std::function<void()> timerChanged;
  /// The blink window closed.
  std::function<void()> closed;
};

class TBlinkForm1 : public TImageForm1 {
  Q_OBJECT
 public:
  static inline const QColor kGrey{128, 128, 128};  ///< a factor below 1

  TBlinkForm1(ImageWindowHost host, BlinkHost blink, QWidget* parent = nullptr);
  ~TBlinkForm1() override;

  /// Takes the image windows of slots 0 .. last and starts (the window is shown).
  void StartBlink(int last);
  /// Shows frame `frame` of the frame list.
  void ShowFrame(int frame);
  /// One tick of the blink timer: the next frame, the first after the last.
  void Tick() { ShowFrame(NextBlinkFrame(current_, static_cast<int>(frames_.size()))); }

  // ---- commands ----
  void FieldAlignment();
  void Options();
  void Rate();
  void SetRegion();
  void FullImage();
  void ImageDisplay(int slot);
  void Blink();
  void Stop();
  void IdentifyTarget();

  bool Blinking() const { return timer_.isActive(); }
  int Interval() const { return interval_; }
  int CurrentFrame() const { return current_; }
  /// The slot whose image is shown now.
  int ShownSlot() const { return shown_; }
  const std::vector<int>& Frames() const { return frames_; }
  const BlinkSize& Size() const { return size_; }
  const BlinkOptions& Choices() const { return options_; }
  BlinkInitLogic* Alignment() const { return logic_; }
  TBlinkInitForm1* AlignmentDialog() const { return dialog_; }
  QTimer& Timer() { return timer_; }
  bool regionMode = false;
  bool blinkZoomed = false;
  ScreenRect region;
  /// Replaceable dialogs (tests answer them).
  std::function<std::optional<BlinkOptions>(const BlinkOptions&, int last)> runOptions;
  std::function<std::optional<int>(int interval)> runRate;
  /// How often the options opened by themselves or from the menu.
  int optionsShown = 0;

 protected:
  void Paint(QPainter& p) override;
  void Press(QMouseEvent* e) override;
  void Move(QMouseEvent* e) override;
  void Release(QMouseEvent* e) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void EnableMenus(bool enabled);
  void Begin();
  void ApplyShifts();
  void SetClient(int width, int height);
  TImageForm1* Window(int slot) const;
  std::optional<BlinkPoint> CentroidAt(int slot, BlinkPoint at, bool unknownBox);

  BlinkHost blink_;
  int last_ = 0;
  BlinkOptions options_;
  std::optional<BlinkOptions> userOptions_;  ///< the user's frames, kept over a new alignment
  std::vector<int> frames_;
  int current_ = 0;
  int shown_ = 0;
  int interval_ = kBlinkDefaultInterval;
  BlinkSize size_;
  int heightBeforeBlink_ = 0;
  bool tracking_ = false;
  bool dragging_ = false;
  ScreenRect previousRegion_;
  std::optional<QPoint> cross_;
  QTimer timer_;
  std::unique_ptr<BlinkInitLogic> ownedLogic_;
  BlinkInitLogic* logic_ = nullptr;
  TBlinkInitForm1* dialog_ = nullptr;
  QMap<QString, QAction*> own_;
};

}  // namespace skarvel::ui
