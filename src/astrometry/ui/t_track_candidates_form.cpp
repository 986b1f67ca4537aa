#include "astrometry/ui/t_track_candidates_form.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace skarvel::ui {

namespace {
QString ToQt(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }
}  // namespace

TTrackCandidatesForm::TTrackCandidatesForm(TrackSession& session, std::function<bool(const std::string&)> putStack,
                                           QWidget* parent)
    : QDialog(parent), session_(session), putStack_(std::move(putStack)) {
  setObjectName("TTrackCandidatesForm");
  setWindowTitle("Track Search Candidates");
  auto* layout = new QVBoxLayout(this);
  summary_ = new QLabel(this);
  layout->addWidget(summary_);
  table_ = new QTableWidget(this);
  QStringList headings{"Stack"};
  for (const std::string& h : TrackCandidateHeadings()) headings << ToQt(h);
  table_->setColumnCount(static_cast<int>(headings.size()));
  table_->setHorizontalHeaderLabels(headings);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  const int thumb = (2 * kThumbHalf + 1) * kThumbZoom;
  table_->setIconSize(QSize(thumb, thumb));
  table_->verticalHeader()->setDefaultSectionSize(thumb + 6);
  table_->setColumnWidth(0, thumb + 12);
  table_->setMinimumSize(760, 300);
  layout->addWidget(table_);
  auto* buttons = new QHBoxLayout;
  measure_ = new QPushButton("&Measure", this);
  auto* close = new QPushButton("&Close", this);
  buttons->addStretch();
  buttons->addWidget(measure_);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(measure_, &QPushButton::clicked, this, &TTrackCandidatesForm::Measure);
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { Measure(); });
  Fill();
}

void TTrackCandidatesForm::Fill() {
  const TrackSearchResult& r = session_.SearchResult();
  table_->setRowCount(static_cast<int>(r.candidates.size()));
  const int side = 2 * kThumbHalf + 1;
  for (std::size_t i = 0; i < r.candidates.size(); ++i) {
    const TrackCandidate& c = r.candidates[i];
    const int row = static_cast<int>(i);
    const StackResult& stack = session_.CandidateStack(i);
    auto* thumb = new QTableWidgetItem;
    if (stack.made) {
      const std::vector<std::uint8_t> grey = StackThumbnail(stack.image, c.x, c.y, kThumbHalf);
      QImage image(side, side, QImage::Format_Grayscale8);
      for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) image.scanLine(y)[x] = grey[static_cast<std::size_t>(y * side + x)];
      thumb->setData(Qt::DecorationRole, QPixmap::fromImage(image.scaled(side * kThumbZoom, side * kThumbZoom)));
    }
    table_->setItem(row, 0, thumb);
    const std::vector<std::string> cells = TrackCandidateCells(c, session_.Known()[i]);
    for (std::size_t k = 0; k < cells.size(); ++k)
      table_->setItem(row, static_cast<int>(k) + 1, new QTableWidgetItem(ToQt(cells[k])));
  }
  summary_->setText(ToQt(std::to_string(r.candidates.size()) + " candidates over " + std::to_string(r.motions) +
                         " motions; reference time " + IsoTimeText(r.referenceJd) + " UTC."));
  if (!r.candidates.empty()) table_->selectRow(0);
  measure_->setEnabled(!r.candidates.empty());
}

void TTrackCandidatesForm::Measure() {
  const int row = table_->currentRow();
  const auto& candidates = session_.SearchResult().candidates;
  if (row < 0 || static_cast<std::size_t>(row) >= candidates.size()) return;
  const TrackCandidate& c = candidates[static_cast<std::size_t>(row)];
  const auto file = session_.StackToFile(SkyMotion{c.rateArcsecPerMin, c.paDeg}, StackCombine::kMean);
  if (file && putStack_) putStack_(*file);
}

}  // namespace skarvel::ui
