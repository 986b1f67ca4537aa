// The image window of one slot, its size dialog, the magnifier window and
// its region dialog. Decisions live in images/image_view.h and
// images/image_display.h; this layer draws and routes events.
#pragma once

#include <QDialog>
#include <QMainWindow>
#include <QMap>
#include <QPoint>
#include <QPointF>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "astrometry/image_measurement.h"
#include "astrometry/info_list.h"
#include "astrometry/obs_params.h"
#include "astrometry/solution_report.h"
#include "config/options.h"
#include "images/box_dialog.h"
#include "images/image_adjust.h"
#include "images/image_display.h"
#include "images/image_view.h"

class QAction;
class QLabel;
class QLayout;
class QMenu;
class QPrinter;
class QScrollBar;
class QSpinBox;

namespace skarvel::ui {

class TImageForm1;
class TImageTextWindow;

/// What an image window takes from the main window.
struct ImageWindowHost {
  platform::Platform* ui = nullptr;
  OptionsRecord* options = nullptr;              ///< the options working copy
  std::function<GraphicsFileObj*()> image;       ///< the slot's image (may be null)
  std::function<void()> noteOptionsChanged;      ///< "&Use Settings as Defaults"
  SearchDialogState* search = nullptr;           ///< shared by the text-list windows
  bool* zoomHintPending = nullptr;               ///< the one-time zoom hint
  std::function<std::string()> userName;         ///< for the printout
  std::function<void()> repaintBlink;            ///< after an adjust (may be empty)
  std::function<void(TImageForm1&)> closed;      ///< the window was closed
  // ---- measuring ----
  /// A left click while measuring (client pixels): the selection's step decides.
  std::function<void(TImageForm1&, int x, int y)> measureClick;
  /// The selection dialog's locate counter (which reference markers are drawn).
  std::function<int()> locateCounter;
  /// A box was changed from this window (the options are saved, the reference field redrawn).
  std::function<void(TImageForm1&)> boxesChanged;
  /// The main window's observation parameters.
  std::function<ObsParams()> mainObsParams;
  /// "Observation &Parameters...": the dialog on `params`; true on OK.
  std::function<bool(TImageForm1&, ObsParams& params)> editObservationParameters;
  /// "&Add to Report List...": the observation made from the target and the
  /// parameters; false when nothing was recorded (the person declined).
  std::function<bool(TImageForm1&)> addToReport;
  /// What the solution report takes from the main window.
  std::function<CameraRecord()> reportCamera;
  std::function<std::string(std::uint8_t)> catalogName;
  std::function<std::string()> lastImageDir;
};

/// A dialog of one value on a horizontal scroll bar with its read-out and the
/// buttons "&Default", "&OK" and "&Cancel" (the image size and blink interval dialogs).
struct ScrollValueRange {
  int minimum = 0;
  int maximum = 0;
  int largeStep = 1;
  int value = 0;
  int defaultValue = 0;  ///< what "&Default" sets
};
struct ScrollValueParts {
  QScrollBar* bar = nullptr;
  QLabel* readOut = nullptr;
};
/// Lays out `dialog`; `layout` receives its vertical layout (a caller may insert a text above the bar).
ScrollValueParts BuildScrollValueDialog(QDialog& dialog, const ScrollValueRange& range, const char* barName,
                                        const char* textName, QLayout*& layout);

/// "Adjust Image n Display Size": width scroll bar from 100 to W with a read-out.
class TImgSizeDlg : public QDialog {
  Q_OBJECT
 public:
  TImgSizeDlg(int slot, const ImageSizing& sizing, QWidget* parent = nullptr);
  /// The chosen width when OK, nothing when cancelled.
  std::optional<int> Run();
  QScrollBar* WidthBar() const { return bar_; }

 private:
  QScrollBar* bar_;
  QLabel* readOut_;
};

/// "Set Magnify Region": an even width 2 ... 100.
class TMagnRgnDlg : public QDialog {
  Q_OBJECT
 public:
  TMagnRgnDlg(int width, int defaultWidth, QWidget* parent = nullptr);
  std::optional<int> Run();
  QSpinBox* Width() const { return spin_; }

 private:
  QSpinBox* spin_;
};

/// "Cursor Region": a 151 x 151 tool window magnifying the square of the
/// magnify region around a point of the current image window.
class TCursorWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kClientSide = 151;  ///< client pixels
  static constexpr int kCrossHalf = 20;    ///< half length of the cross, pixels

  TCursorWindow(const BoxRecord& refBox, QWidget* parent = nullptr);
  /// Shows the region of `form` around (x, y) (client pixels of its picture).
  void MoveTo(TImageForm1* form, int x, int y, const QString& caption = QString());
  int Region() const { return region_; }
  void SetRegion(int width) { region_ = ClampMagnifyRegion(width); update(); }
  /// "Set Region &Size...".
  void SetRegionSize();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  TImageForm1* form_ = nullptr;
  QPoint point_;
  int region_;
  int defaultRegion_;
};

/// The client area of an image window.
class TImageCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit TImageCanvas(TImageForm1& form);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  TImageForm1& form_;
};

/// A marker to draw over the picture (reference stars, target, sky spot).
struct ImageMarker {
  std::string label;
  QColor colour;
  bool showInMagnifier = false;
  bool withSkyBorder = true;
  long double imageX = 0;  ///< image pixels
  long double imageY = 0;
};

/// The track of a moving-object candidate over the frames of a set: its
/// place in every frame (display image coordinates of this window's image),
/// the line through them, and a ring with the label at this window's frame.
struct TrackOverlay {
  std::string label;
  std::vector<QPointF> points;
  int current = -1;       ///< the frame of this window (-1: none marked)
  bool selected = false;  ///< the candidate chosen in the list
};

/// Colours of the tracks: cyan, the chosen one orange.
inline const QColor kTrackColour{0, 255, 255};
inline const QColor kSelectedTrackColour{255, 128, 0};
/// Radius of the ring at a track's place, pixels.
inline constexpr int kTrackRing = 7;

/// Draws `tracks` scaled by `scale` (client pixels per image pixel) and moved by `offset`.
void DrawTracks(QPainter& p, const std::vector<TrackOverlay>& tracks, double scale, QPointF offset);

class TImageForm1 : public QMainWindow {
  Q_OBJECT
 public:
  /// Colours of the window (red, green, blue).
  static inline const QColor kCurrentReference{255, 255, 0};
  static inline const QColor kCross{255, 0, 255};
  static inline const QColor kMarkGreen{0, 255, 0};
  static inline const QColor kMarkBlue{0, 0, 255};
  static inline const QColor kScale{255, 255, 0};
  static constexpr int kCrossHalf = 15;  ///< half length of the click cross, pixels

  TImageForm1(int slot, ImageWindowHost host, QWidget* parent = nullptr);
  ~TImageForm1() override;

  /// After a load: caption, display build with new settings, palette, size.
  /// True when the window holds a valid image.
  bool ShowImage(int slot);
  bool HasValidImage() const { return valid_; }
  int Slot() const { return slot_; }
  std::string CaptionPrefix() const { return ImageCaptionPrefix(slot_); }

  // ---- the display ----
  ImageDisplayObj& Display() { return display_; }
  const ImageSizing& Sizing() const { return sizing_; }
  /// Rebuilds the display (orientation or range changed).
  void BuildDisplay(bool takeNewSettings);
  /// Palette from the settings into the bitmap and the screen.
  void RewritePalette();
  /// Window size from the image size and the screen.
  void FitWindow();
  TImageCanvas* Canvas() const { return canvas_; }
  /// The picture as drawn now (markers included).
  QImage Picture();
  /// The display bitmap with the palette in force (the blink window draws it).
  QImage DisplayImage() const { return IndexImage(); }
  QColor MarkColour() const { return display_.settings.invert ? kMarkBlue : kMarkGreen; }

  // ---- commands ----
  /// "&Adjust Image...": the adjust dialog loop. `dialog` runs one showing
  /// (tests replace it); by default the modal TImgAdjstDlg.
  void AdjustImage();
  std::function<ImageAdjustModel::Ending(ImageAdjustModel&)> runAdjustDialog;
  void ResizeImage();
  void ZoomImage();
  void ClearZoom();
  /// Zoom commands shown (viewing) or hidden with the zoom cleared (measuring, blink).
  void SetZoomCommandsVisible(bool visible);
  void ShowHeaderWindow();
  void ShowImageDataWindow();
  /// "&Print Image...": the printer dialog, then PrintAll.
  void PrintImage();
  std::function<bool(QPrinter&)> printDialog;
  QAction* Action(const QString& name) const { return actions_.value(name, nullptr); }
  QMenu* ContextMenu() const { return context_; }
  /// The box dialog for the unknown or the references (the runner is replaceable for tests).
  void BoxCommand(BoxKind kind);
  std::function<std::optional<BoxRecord>(BoxKind, const BoxRecord&)> runBoxDialog;
  /// "Observation &Parameters...".
  void ObservationParameters();
  /// "&View/Print...": the "Astrometric Solution" report window.
  void ShowSolutionReport();
  TImageTextWindow* SolutionWindow() const { return solutionWindow_.get(); }
  void CloseSolutionReport();
  /// "&Add to Report List...".
  void AddToReportList();
  /// The solution is computed: "&Solution Results..." enabled.
  void SolutionReady();
  /// The report lines of the current solution.
  std::vector<std::string> SolutionLines() const;

  // ---- measuring ----
  ImageMeasurement measurement;
  ObsParams obsParams;  ///< this image's copy of the observation parameters
  /// How the image is shown now, for the star measurement.
  MeasureView View() const;
  /// Right ascension and declination under a client point when solved.
  void ShowCursorCoordinates(int x, int y);
  const std::vector<std::string>& CursorCoordinates() const { return cursorText_; }

  // ---- operations of the derived windows ----
  virtual bool RecordCrsr(int x, int y);
  virtual void ClearMark();
  /// Prints header, info lines and picture; false when the printer could not start.
  virtual bool PrintAll(QPrinter& printer);
  virtual int PrintHeader(QPainter& p, int margin, int lineHeight);
  virtual int PrintInfo(QPainter& p, int margin, int lineHeight, int row);
  virtual void PrintPicture(QPainter& p, int row, int lineHeight);
  /// The text lines PrintInfo writes.
  std::vector<PrintLine> InfoLines() const;
  virtual void DrawMarker(QPainter& p, const ImageMarker& marker, int y, int x);

  std::vector<ImageMarker> markers;  ///< drawn when not zoomed
  std::vector<TrackOverlay> tracks;  ///< moving-object candidates, drawn when not zoomed
  bool canClose = true;
  bool measuring = false;
  bool zoomMode = false;
  bool zoomed = false;
  ScreenRect zoomSquare;
  ScreenRect previousZoomSquare;
  long double registrationX = 0, registrationY = 0;
  const CursorMark& Mark() const { return mark_; }
  bool CrossShown() const { return crossShown_; }
  TCursorWindow* CursorWindow() const { return cursorWindow_; }
  TImageTextWindow* HeaderWindow() const { return headerWindow_.get(); }
  TImageTextWindow* ImageDataWindow() const { return dataWindow_.get(); }

 protected:
  /// For a derived window with menus of its own: the image menus and the
  /// context menu are not built.
  enum class OwnMenus { Yes };
  TImageForm1(int slot, ImageWindowHost host, OwnMenus, QWidget* parent);
  void closeEvent(QCloseEvent* event) override;
  // Drawing and mouse handling of the client area; a derived window replaces them.
  virtual void Paint(QPainter& p);
  virtual void Press(QMouseEvent* e);
  virtual void Move(QMouseEvent* e);
  virtual void Release(QMouseEvent* e);
  virtual void DoubleClick(QMouseEvent* e);
  /// Adds a command to `menu` (a menu or the menu bar) under the component
  /// name `name` (Action(name) finds it).
  QAction* AddAction(QWidget* menu, const char* name, const QString& caption, std::function<void()> run);
  const ImageWindowHost& Host() const { return host_; }

 private:
  friend class TImageCanvas;
  void BuildMenus();
  void ApplySize();
  /// The window moved back onto the screen when its frame passes an edge.
  void KeepOnScreen();
  void LeaveZoomedView();
  GraphicsFileObj* Image() const { return host_.image ? host_.image() : nullptr; }
  QImage IndexImage() const;

  int slot_;
  ImageWindowHost host_;
  ImageDisplayObj display_;
  ImageSizing sizing_;
  TImageCanvas* canvas_;
  TCursorWindow* cursorWindow_;
  QMenu* context_ = nullptr;
  QMap<QString, QAction*> actions_;
  CursorMark mark_;
  bool crossShown_ = false;
  bool tracking_ = false;
  bool rightDrag_ = false;
  bool zoomDrawing_ = false;
  int heightBeforeZoom_ = 0;
  bool valid_ = false;
  bool cursorUpdates_ = true;  ///< cleared while the picture is grabbed
  // The index image resampled to the client size once per build or resize, so
  // that a palette change recolours only client-sized pixels.
  QImage scaledIndex_;
  int scaledBuild_ = -1;
  QSize scaledSize_;
  int buildCount_ = 0;
  std::unique_ptr<TImageTextWindow> headerWindow_;
  std::unique_ptr<TImageTextWindow> dataWindow_;
  std::unique_ptr<TImageTextWindow> solutionWindow_;
  std::vector<std::string> cursorText_;
};

}  // namespace skarvel::ui
