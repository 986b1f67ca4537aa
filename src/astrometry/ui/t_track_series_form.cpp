#include "astrometry/ui/t_track_series_form.h"

#include "astrometry/ui/t_track_candidates_form.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "foundations/strings.h"

namespace skarvel::ui {

namespace {
QString ToQt(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }
std::string FromQt(const QString& text) { return text.trimmed().toLatin1().toStdString(); }
}  // namespace

TTrackSeriesForm::TTrackSeriesForm(TrackSeriesHost host, QWidget* parent)
    : QDialog(parent),
      host_(std::move(host)),
      session_(std::make_unique<TrackSession>(*host_.ui, host_.scratchDir, host_.headerTimeType, host_.calibrate)) {
  setObjectName("TTrackSeriesForm");
  setWindowTitle(kTrackSeriesCaption);
  auto* layout = new QVBoxLayout(this);
  auto* buttons = new QHBoxLayout;
  choose_ = new QPushButton("Choose &Frames...", this);
  solve_ = new QPushButton("&Solve", this);
  buttons->addWidget(choose_);
  buttons->addWidget(solve_);
  buttons->addStretch();
  layout->addLayout(buttons);
  frames_ = new QListWidget(this);
  frames_->setObjectName("Frames");
  frames_->setMinimumSize(420, 200);
  layout->addWidget(frames_);
  status_ = new QLabel(this);
  status_->setObjectName("Status");
  layout->addWidget(status_);
  auto* form = new QFormLayout;
  rate_ = new QLineEdit(this);
  rate_->setObjectName("Rate");
  pa_ = new QLineEdit(this);
  pa_->setObjectName("PA");
  combine_ = new QComboBox(this);
  combine_->addItems({"Clipped mean", "Median"});
  form->addRow("&Rate (\"/min):", rate_);
  form->addRow("&Position angle (deg):", pa_);
  form->addRow("&Combine:", combine_);
  layout->addLayout(form);
  stack_ = new QPushButton("S&tack into Image Slot", this);
  layout->addWidget(stack_);
  auto* searchRow = new QFormLayout;
  rateMax_ = new QLineEdit("10", this);
  rateMax_->setObjectName("RateMax");
  searchRow->addRow("&Fastest rate searched (\"/min):", rateMax_);
  layout->addLayout(searchRow);
  search_ = new QPushButton("Track Se&arch", this);
  layout->addWidget(search_);
  connect(search_, &QPushButton::clicked, this, &TTrackSeriesForm::Search);
  connect(choose_, &QPushButton::clicked, this, &TTrackSeriesForm::Choose);
  connect(solve_, &QPushButton::clicked, this, &TTrackSeriesForm::Solve);
  connect(stack_, &QPushButton::clicked, this, &TTrackSeriesForm::Stack);
  Refresh();
}

TTrackSeriesForm::~TTrackSeriesForm() = default;

void TTrackSeriesForm::Refresh() {
  frames_->clear();
  for (const std::string& line : session_->FrameLines()) frames_->addItem(ToQt(line));
  const TrackSession& s = *session_;
  std::string text;
  if (s.FrameCount() == 0) {
    text = "No frames chosen.";
  } else if (!s.Solved()) {
    text = std::to_string(s.FrameCount()) + " frames, not solved.";
  } else {
    const auto left = s.Series().LeftOut();
    text = std::to_string(s.FrameCount() - left.size()) + " of " + std::to_string(s.FrameCount()) + " frames solved";
    if (!left.empty()) {
      text += "; left out:";
      for (const std::string& n : left) text += " " + n;
    }
    text += ".";
  }
  status_->setText(ToQt(text));
  solve_->setEnabled(s.FrameCount() > 0);
  stack_->setEnabled(s.Solved());
  search_->setEnabled(s.Solved());
}

void TTrackSeriesForm::Choose() {
  if (session_->ChooseFiles(host_.imageDir)) Refresh();
}

void TTrackSeriesForm::Solve() {
  const SeriesFrameInput* first = session_->First();
  if (first == nullptr || !host_.fieldStars) return;
  StarList* stars = host_.fieldStars(*first);
  if (stars == nullptr) return;
  session_->Solve(*stars, host_.arcsecPerPixel);
  Refresh();
}

void TTrackSeriesForm::Stack() {
  const auto motion = session_->ParseMotion(FromQt(rate_->text()), FromQt(pa_->text()));
  if (!motion) return;
  const StackCombine combine = combine_->currentIndex() == 1 ? StackCombine::kMedian : StackCombine::kMean;
  const auto file = session_->StackToFile(*motion, combine);
  if (!file) return;
  const StackResult& s = session_->Last();
  const bool put = host_.putStack && host_.putStack(*file);
  status_->setText(ToQt(std::to_string(s.frames) + " frames stacked, reference time " + IsoTimeText(s.referenceJd) +
                        " UTC" + (put ? ", in an image slot." : ".")));
}

void TTrackSeriesForm::Search() {
  const auto max = ParseDecimal(FromQt(rateMax_->text()));
  if (!max || *max < 0.01L || *max > 1000) {
    platform::Tell(*host_.ui, "The fastest rate is a number of arc seconds a minute from 0.01 to 1000.",
                   kTrackSeriesCaption, platform::Icon::Exclamation);
    return;
  }
  TrackSearchSettings settings;
  settings.rateMaxArcsecPerMin = static_cast<double>(*max);
  std::optional<KnownSearch> known;
  if (host_.knownSearch) known = host_.knownSearch();
  if (!session_->Search(settings, known)) return;
  if (candidates_ == nullptr) candidates_ = std::make_unique<TTrackCandidatesForm>(*session_, host_.putStack, this);
  else candidates_->Fill();
  candidates_->show();
  candidates_->raise();
}

}  // namespace skarvel::ui
