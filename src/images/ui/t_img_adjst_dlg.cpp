#include "images/ui/t_img_adjst_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "platform/ui/qt_platform.h"

namespace skarvel::ui {

using platform::ToQt;
using Ending = ImageAdjustModel::Ending;

namespace {

QScrollBar* Bar(const char* name, int min, int max, int step, QWidget* parent) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setObjectName(name);
  bar->setRange(min, max);
  bar->setPageStep(step);
  bar->setSingleStep(1);
  bar->setMinimumWidth(200);
  return bar;
}

QLabel* Lamp(const char* name, QWidget* parent) {
  auto* lamp = new QLabel(parent);
  lamp->setObjectName(name);
  lamp->setFixedSize(14, 14);
  return lamp;
}

void SetLamp(QLabel* lamp, bool on) {
  lamp->setProperty("on", on);
  lamp->setStyleSheet(on ? "background: rgb(255,0,0); border: 1px solid black;"
                         : "background: rgb(128,0,0); border: 1px solid black;");
}

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

TImgAdjstDlg::TImgAdjstDlg(ImageAdjustModel& model, QWidget* parent) : QDialog(parent), model_(model) {
  setObjectName("ImgAdjstDlg");
  setWindowTitle(ToQt(model_.Caption()));
  auto* layout = new QVBoxLayout(this);

  auto* palette = new QGroupBox("Brightness, Contrast", this);
  auto* pg = new QGridLayout(palette);
  brightness_ = Bar("brightnessBar", ImageAdjustModel::kBrightnessMin, ImageAdjustModel::kBrightnessMax,
                    ImageAdjustModel::kBrightnessStep, palette);
  contrast_ = Bar("contrastBar", ImageAdjustModel::kBrightnessMin, ImageAdjustModel::kBrightnessMax,
                  ImageAdjustModel::kBrightnessStep, palette);
  brightnessText_ = new QLabel(palette);
  brightnessText_->setObjectName("brightnessText");
  contrastText_ = new QLabel(palette);
  contrastText_->setObjectName("contrastText");
  pg->addWidget(new QLabel("Brightness", palette), 0, 0);
  pg->addWidget(brightness_, 0, 1);
  pg->addWidget(brightnessText_, 0, 2);
  pg->addWidget(new QLabel("Contrast", palette), 1, 0);
  pg->addWidget(contrast_, 1, 1);
  pg->addWidget(contrastText_, 1, 2);
  layout->addWidget(palette);

  auto* range = new QGroupBox("Adjust Background, Range", this);
  auto* rg = new QGridLayout(range);
  background_ = Bar("backgroundBar", ImageAdjustModel::kBackgroundMin, ImageAdjustModel::kBackgroundMax,
                    ImageAdjustModel::kBackgroundStep, range);
  range_ = Bar("rangeBar", ImageAdjustModel::kRangeMin, ImageAdjustModel::kRangeMax, ImageAdjustModel::kRangeStep,
               range);
  backgroundText_ = new QLabel(range);
  backgroundText_->setObjectName("backgroundText");
  rangeText_ = new QLabel(range);
  rangeText_->setObjectName("rangeText");
  rg->addWidget(new QLabel("Background Level", range), 0, 0);
  rg->addWidget(background_, 0, 1);
  rg->addWidget(backgroundText_, 0, 2);
  rg->addWidget(new QLabel("Image Range", range), 1, 0);
  rg->addWidget(range_, 1, 1);
  rg->addWidget(rangeText_, 1, 2);
  layout->addWidget(range);

  auto* orient = new QGroupBox("Orientation", this);
  auto* og = new QGridLayout(orient);
  reverseLR_ = Button("reverseLeftRight", "Reverse Left-Right", orient);
  restoreLR_ = Button("restoreLeftRight", "Restore Left-Right", orient);
  reverseUD_ = Button("reverseUpDown", "Reverse Up-Down", orient);
  restoreUD_ = Button("restoreUpDown", "Restore Up-Down", orient);
  lampLR_ = Lamp("leftRightLamp", orient);
  lampUD_ = Lamp("upDownLamp", orient);
  og->addWidget(reverseLR_, 0, 0);
  og->addWidget(restoreLR_, 0, 1);
  og->addWidget(lampLR_, 0, 2);
  og->addWidget(reverseUD_, 1, 0);
  og->addWidget(restoreUD_, 1, 1);
  og->addWidget(lampUD_, 1, 2);
  invert_ = new QCheckBox("&Invert Display", orient);
  invert_->setObjectName("invertBox");
  og->addWidget(invert_, 2, 0, 1, 3);
  layout->addWidget(orient);

  auto* source = new QGroupBox("Initial Bkgrnd, Range", this);
  source->setObjectName("rangeSourceGroup");
  auto* sl = new QHBoxLayout(source);
  statistical_ = new QRadioButton("Statistical &Estimate", source);
  statistical_->setObjectName("statisticalRadio");
  header_ = new QRadioButton("&Header Values", source);
  header_->setObjectName("headerRadio");
  sl->addWidget(statistical_);
  sl->addWidget(header_);
  layout->addWidget(source);

  auto* presets = new QHBoxLayout;
  auto* original = Button("originalButton", "Original Display", this);
  auto* defaults = Button("defaultButton", "Default Settings", this);
  lampOriginal_ = Lamp("originalLamp", this);
  lampDefault_ = Lamp("defaultLamp", this);
  presets->addWidget(original);
  presets->addWidget(lampOriginal_);
  presets->addWidget(defaults);
  presets->addWidget(lampDefault_);
  layout->addLayout(presets);

  useAsDefaults_ = new QCheckBox("&Use Settings as Defaults", this);
  useAsDefaults_->setObjectName("useAsDefaultsBox");
  layout->addWidget(useAsDefaults_);

  auto* buttons = new QHBoxLayout;
  apply_ = Button("applyButton", "&Apply Changes", this);
  auto* ok = Button("okButton", "&OK", this);
  auto* cancel = Button("cancelButton", "&Cancel", this);
  ok->setDefault(true);
  buttons->addWidget(apply_);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  auto scroll = [this](QScrollBar* bar, void (ImageAdjustModel::*moveOp)(int)) {
    connect(bar, &QScrollBar::valueChanged, this, [this, moveOp](int v) {
      if (syncing_) return;
      (model_.*moveOp)(v);
      Sync();
    });
  };
  scroll(brightness_, &ImageAdjustModel::MoveBrightness);
  scroll(contrast_, &ImageAdjustModel::MoveContrast);
  scroll(background_, &ImageAdjustModel::MoveBackground);
  scroll(range_, &ImageAdjustModel::MoveRange);
  auto press = [this](QPushButton* b, void (ImageAdjustModel::*op)()) {
    connect(b, &QPushButton::clicked, this, [this, op] {
      (model_.*op)();
      Sync();
    });
  };
  press(reverseLR_, &ImageAdjustModel::ReverseLeftRight);
  press(restoreLR_, &ImageAdjustModel::RestoreLeftRight);
  press(reverseUD_, &ImageAdjustModel::ReverseUpDown);
  press(restoreUD_, &ImageAdjustModel::RestoreUpDown);
  press(original, &ImageAdjustModel::OriginalDisplay);
  press(defaults, &ImageAdjustModel::DefaultSettings);
  connect(invert_, &QCheckBox::toggled, this, [this](bool on) {
    if (syncing_) return;
    model_.SetInvert(on);
    Sync();
  });
  connect(statistical_, &QRadioButton::toggled, this, [this](bool on) {
    if (syncing_) return;
    model_.SetRangeFromHeader(on ? 0 : 1);
    Sync();
  });
  connect(useAsDefaults_, &QCheckBox::toggled, this, [this](bool on) {
    if (!syncing_) model_.useAsDefaults = on;
  });
  connect(apply_, &QPushButton::clicked, this, [this] { Finish(Ending::Apply); });
  connect(ok, &QPushButton::clicked, this, [this] { Finish(Ending::Ok); });
  connect(cancel, &QPushButton::clicked, this, [this] { Finish(Ending::Cancel); });
  Sync();
}

void TImgAdjstDlg::Sync() {
  syncing_ = true;
  brightness_->setValue(model_.brightnessPos);
  contrast_->setValue(model_.contrastPos);
  background_->setValue(model_.backgroundPos);
  range_->setValue(model_.rangePos);
  brightnessText_->setText(ToQt(model_.BrightnessText()));
  contrastText_->setText(ToQt(model_.ContrastText()));
  backgroundText_->setText(ToQt(model_.BackgroundText()));
  rangeText_->setText(ToQt(model_.RangeText()));
  reverseLR_->setEnabled(!model_.leftRightReversed);
  restoreLR_->setEnabled(model_.leftRightReversed);
  reverseUD_->setEnabled(!model_.upDownReversed);
  restoreUD_->setEnabled(model_.upDownReversed);
  SetLamp(lampLR_, model_.leftRightReversed);
  SetLamp(lampUD_, model_.upDownReversed);
  SetLamp(lampOriginal_, model_.originalLamp);
  SetLamp(lampDefault_, model_.defaultLamp);
  invert_->setChecked(model_.invertChecked);
  statistical_->setChecked(model_.rangeFromHeader == 0);
  header_->setChecked(model_.rangeFromHeader != 0);
  statistical_->setEnabled(model_.RangeSourceEnabled());
  header_->setEnabled(model_.RangeSourceEnabled());
  useAsDefaults_->setChecked(model_.useAsDefaults);
  useAsDefaults_->setEnabled(model_.UseAsDefaultsEnabled());
  apply_->setEnabled(model_.applyEnabled);
  syncing_ = false;
}

void TImgAdjstDlg::Finish(Ending ending) {
  ending_ = ending;
  finished_ = true;
  model_.End(ending);
  if (ending == Ending::Cancel)
    reject();
  else
    accept();
}

ImageAdjustModel::Ending TImgAdjstDlg::Run() {
  ending_ = Ending::Cancel;
  finished_ = false;
  exec();
  if (!finished_) model_.End(Ending::Cancel);  // Escape or the close box: as Cancel
  return ending_;
}

}  // namespace skarvel::ui
