#include "astrometry/ui/t_moving_form1.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "images/ui/t_image_form1.h"

namespace skarvel::ui {

namespace {

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

TMovingForm1::TMovingForm1(MovingWindowHost host, QWidget* parent)
    : QWidget(parent, Qt::Window),
      host_(std::move(host)),
      list_(new QTreeWidget(this)),
      measure_(new QPushButton("&Measure", this)),
      close_(new QPushButton("&Close", this)),
      status_(new QLabel(this)) {
  setObjectName("MovingForm1");
  setWindowTitle(kMovingCaption);
  list_->setObjectName("CandidateList");
  list_->setRootIsDecorated(false);
  list_->setColumnCount(6);
  list_->setHeaderLabels({"Object", "Rate (\"/min)", QString::fromUtf8("PA (\u00b0)"), "Mag", "Residual (\")",
                          "Pred.-Meas. (\")"});
  list_->header()->setStretchLastSection(false);
  measure_->setObjectName("MeasureButton");
  close_->setObjectName("CloseButton");
  status_->setObjectName("StatusLabel");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(status_, 1);
  buttons->addWidget(measure_);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  resize(560, 240);  // until the list is filled (FitToContents)
  connect(measure_, &QPushButton::clicked, this, [this] { Measure(); });
  connect(close_, &QPushButton::clicked, this, [this] { close(); });
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
    measure_->setEnabled(list_->currentItem() != nullptr);
    ShowTracks();
  });
  measure_->setEnabled(false);
}

TMovingForm1::~TMovingForm1() { ClearTracks(); }

bool TMovingForm1::Search() {
  ClearTracks();
  list_->clear();
  const std::vector<TImageForm1*> windows = host_.imageWindows ? host_.imageWindows() : std::vector<TImageForm1*>{};
  std::vector<MovingFrameInput> frames;
  for (TImageForm1* w : windows) frames.push_back(host_.frame(w->Slot()));
  StarList* stars = host_.fieldStars ? host_.fieldStars() : nullptr;
  if (stars == nullptr) {
    platform::Tell(*host_.ui, "No catalog stars of the field could be read to place the images on the sky.",
                   kMovingCaption, platform::Icon::Warning);
    return false;
  }
  const std::optional<KnownSearch> known = host_.knownSearch ? host_.knownSearch() : std::nullopt;
  if (!model_.Run(*host_.ui, frames, *stars, host_.arcsecPerPixel, known)) return false;
  for (std::size_t i = 0; i < model_.Size(); ++i) {
    QStringList columns;
    for (const std::string& c : model_.Row(i)) columns << Latin1(c);
    auto* item = new QTreeWidgetItem(list_, columns);
    for (int c = 1; c < 6; ++c) item->setTextAlignment(c, Qt::AlignRight);
  }
  status_->setText(model_.Size() == 0 ? "No moving objects found."
                                      : QString("%1 moving object(s) found.").arg(model_.Size()));
  if (model_.Size() > 0) list_->setCurrentItem(list_->topLevelItem(0));
  FitToContents();
  ShowTracks();
  return true;
}

void TMovingForm1::FitToContents() {
  // Every column as wide as its header or its widest entry, and the window
  // as wide as all of them (and as tall as up to ten rows), within the screen.
  for (int c = 0; c < list_->columnCount(); ++c) list_->resizeColumnToContents(c);
  constexpr int kRowsShown = 10;
  const int rows = std::clamp(list_->topLevelItemCount(), 3, kRowsShown);
  const int rowHeight = std::max(list_->fontMetrics().height() + 4,
                                 list_->topLevelItemCount() > 0 ? list_->sizeHintForRow(0) : 0);
  const QMargins margins = layout()->contentsMargins();
  const int listWidth = list_->header()->length() + 2 * list_->frameWidth() +
                        list_->verticalScrollBar()->sizeHint().width();
  const int listHeight = list_->header()->sizeHint().height() + rows * rowHeight + 2 * list_->frameWidth();
  int width = listWidth + margins.left() + margins.right();
  int height = listHeight + layout()->spacing() + measure_->sizeHint().height() + margins.top() + margins.bottom();
  if (const QScreen* screen = this->screen()) {
    const QRect area = screen->availableGeometry();
    width = std::min(width, area.width());
    height = std::min(height, area.height());
  }
  resize(std::max(width, minimumSizeHint().width()), height);
}

void TMovingForm1::Measure() {
  const int row = list_->currentItem() != nullptr ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
  if (row < 0 || static_cast<std::size_t>(row) >= model_.Size()) return;
  const std::vector<TImageForm1*> windows = host_.imageWindows();
  // An object the orbits do not know, which the header names: asked once for every image.
  const std::string header = host_.headerObject && !windows.empty() ? host_.headerObject(windows[0]->Slot()) : "";
  const bool useHeader = model_.OfferHeaderObject(*host_.ui, static_cast<std::size_t>(row), header);
  for (std::size_t k = 0; k < windows.size() && k < model_.Candidates()[static_cast<std::size_t>(row)].positions.size(); ++k)
  {
    model_.TakeAsTarget(static_cast<std::size_t>(row), k, windows[k]->measurement, host_.unknownBox);
    model_.NameTarget(static_cast<std::size_t>(row), windows[k]->obsParams, useHeader ? header : std::string());
  }
  if (host_.repaint) host_.repaint();
}

void TMovingForm1::ShowTracks() {
  if (!host_.imageWindows) return;
  const std::vector<TImageForm1*> windows = host_.imageWindows();
  const int chosen = list_->currentItem() != nullptr ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
  for (std::size_t k = 0; k < windows.size(); ++k) {
    std::vector<TrackOverlay> tracks;
    for (std::size_t i = 0; i < model_.Size(); ++i) {
      TrackOverlay t;
      t.label = model_.ObjectText(i);
      for (std::size_t f = 0; f < model_.Candidates()[i].positions.size(); ++f) {
        const ScreenPoint p = model_.DisplayPosition(i, f);
        t.points.emplace_back(static_cast<double>(p.x), static_cast<double>(p.y));
      }
      t.current = static_cast<int>(k);
      t.selected = static_cast<int>(i) == chosen;
      tracks.push_back(std::move(t));
    }
    windows[k]->tracks = std::move(tracks);
  }
  if (host_.repaint) host_.repaint();
}

void TMovingForm1::ClearTracks() {
  if (!host_.imageWindows) return;
  for (TImageForm1* w : host_.imageWindows()) w->tracks.clear();
  if (host_.repaint) host_.repaint();
}

void TMovingForm1::closeEvent(QCloseEvent* event) {
  ClearTracks();
  QWidget::closeEvent(event);
}

}  // namespace skarvel::ui
