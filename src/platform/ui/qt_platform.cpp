#include "platform/ui/qt_platform.h"

#include <QApplication>
#include <algorithm>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QScreen>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <limits>

#include "platform/net/http_get.h"

namespace skarvel::platform {

QString ToQt(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

std::string FromQt(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString PathToQt(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string PathFromQt(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

namespace {

// True when `text` is well-formed UTF-8 holding at least one multi-byte character.
bool IsUtf8BeyondAscii(const std::string& text) {
  bool multi = false;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > text.size() || (n == 2 && c < 0xC2)) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    multi = multi || n > 1;
    i += n;
  }
  return multi;
}

}  // namespace

QString DisplayText(const std::string& text) {
  if (IsUtf8BeyondAscii(text)) return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return ToQt(text);
}

QString QtFilter(const std::string& filter) {
  const QStringList parts = ToQt(filter).split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    QStringList both;
    for (QString p : patterns) {
      p = p.trimmed();
      if (!p.contains('*')) p = "*" + p;
      // File names on Linux keep their case: "*.FIT" also shows "m31.fit".
      both << p;
      if (p.toLower() != p && p != "*.*") both << p.toLower();
    }
    patterns = both;
    QString description = parts[i];
    if (!description.contains('(')) description += " (" + patterns.join(' ') + ")";
    else {
      // Qt takes the patterns from the parentheses: put the real ones there.
      description = description.left(description.indexOf('(')).trimmed() + " (" + patterns.join(' ') + ")";
    }
    out << description;
  }
  return out.join(";;");
}

namespace {

class QtProgress : public ProgressWindow {
 public:
  QtProgress(QWidget* parent, const QString& caption, const QString& text, std::int64_t maximum, bool canStop)
      : dialog_(new QProgressDialog(text, canStop ? QObject::tr("Stop") : QString(), 0,
                                    static_cast<int>(std::min<std::int64_t>(maximum, 1 << 30)), parent)) {
    dialog_->setWindowTitle(caption);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    // The stop button only notes the request: the window stays until its
    // owner closes it, so that a declined stop question leaves it in view.
    QObject::disconnect(dialog_, &QProgressDialog::canceled, dialog_, &QProgressDialog::cancel);
    QObject::connect(dialog_, &QProgressDialog::canceled, dialog_, [this] {
      stopRequested_ = true;
      if (!dialog_->isVisible()) dialog_->show();
    });
    dialog_->show();
    QCoreApplication::processEvents();
  }
  ~QtProgress() override { delete dialog_; }
  void SetPosition(std::int64_t position) override {
    dialog_->setValue(static_cast<int>(std::min<std::int64_t>(position, dialog_->maximum())));
    QCoreApplication::processEvents();
  }
  void SetText(const std::string& text) override { dialog_->setLabelText(DisplayText(text).replace("\r\n", "\n")); }
  bool StopRequested() override {
    QCoreApplication::processEvents();
    return stopRequested_;
  }
  void ResumeAfterStop() override { stopRequested_ = false; }

 private:
  QProgressDialog* dialog_;
  bool stopRequested_ = false;
};

}  // namespace

QtPlatform::QtPlatform(QWidget* parent) : parent_(parent) {}

QtPlatform::~QtPlatform() {
  for (auto& [id, process] : processes_) {
    process->setParent(nullptr);
    process->deleteLater();
  }
}

QPoint QtPlatform::BesideAnchor(const QRect& anchor, const QSize& size, const QRect& screen,
                                const QList<QRect>& avoid) {
  constexpr int kGap = 8;  ///< pixels between the window and the box
  auto inside = [&](int x, int y) {
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    y = std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    return QPoint(x, y);
  };
  QList<QPoint> places;
  const int below = anchor.bottom() + 1 + kGap;
  const int above = anchor.top() - kGap - size.height();
  // Below when it fits there, else above (the order of old).
  if (below + size.height() <= screen.bottom() + 1) places << inside(anchor.left(), below);
  places << inside(anchor.left(), above);
  if (below + size.height() > screen.bottom() + 1) places << inside(anchor.left(), below);
  places << inside(anchor.right() + 1 + kGap, anchor.top()) << inside(anchor.left() - kGap - size.width(), anchor.top());
  // Where the places beside the anchor are all taken: beside each window to
  // keep clear, then the corners of the screen.
  for (const QRect& r : avoid)
    places << inside(r.left(), r.bottom() + 1 + kGap) << inside(r.left(), r.top() - kGap - size.height())
           << inside(r.right() + 1 + kGap, r.top()) << inside(r.left() - kGap - size.width(), r.top());
  places << inside(screen.left(), screen.top()) << inside(screen.right(), screen.top())
         << inside(screen.left(), screen.bottom()) << inside(screen.right(), screen.bottom());
  // The anchor itself is never to be covered either, though covering it
  // weighs less than covering a window the question asks about.
  constexpr long long kAvoidWeight = 4;
  QPoint best = places.front();
  long long bestCover = -1;
  for (const QPoint& p : places) {
    const QRect box(p, size);
    long long cover = 0;
    auto add = [&](const QRect& r, long long weight) {
      const QRect common = box.intersected(r);
      if (!common.isEmpty()) cover += weight * common.width() * common.height();
    };
    for (const QRect& r : avoid) add(r, kAvoidWeight);
    add(anchor, 1);
    if (cover == 0) return p;
    if (bestCover < 0 || cover < bestCover) {
      bestCover = cover;
      best = p;
    }
  }
  return best;
}

Answer QtPlatform::Message(const MessageRequest& request) {
  if (request.beep) QApplication::beep();
  QMessageBox box(parent_);
  box.setWindowTitle(DisplayText(request.caption));
  box.setText(DisplayText(request.text).replace("\r\n", "\n"));
  switch (request.icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Error:
    case Icon::Stop: box.setIcon(QMessageBox::Critical); break;
    case Icon::Exclamation:
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
  }
  switch (request.buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  if (QWidget* anchor = anchor_.data(); anchor != nullptr && anchor->isVisible()) {
    box.adjustSize();
    const QScreen* screen = anchor->screen() != nullptr ? anchor->screen() : QGuiApplication::primaryScreen();
    QList<QRect> avoid;
    for (const QPointer<QWidget>& kept : keepClear_)
      if (const QWidget* w = kept.data(); w != nullptr && w->isVisible()) avoid << w->frameGeometry();
    if (screen != nullptr)
      box.move(BesideAnchor(anchor->frameGeometry(), box.size(), screen->availableGeometry(), avoid));
  }
  const int result = box.exec();
  switch (result) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return request.buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
  }
}

void QtPlatform::Beep() { QApplication::beep(); }

namespace {

void SelectFilter(QFileDialog& dialog, const FileDialogRequest& request) {
  const QStringList filters = QtFilter(request.filter).split(";;");
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
    dialog.selectNameFilter(filters[request.filterIndex - 1]);
}

}  // namespace

std::optional<std::vector<std::string>> QtPlatform::OpenFiles(const FileDialogRequest& request) {
  QFileDialog dialog(parent_, ToQt(request.title), PathToQt(request.directory), QtFilter(request.filter));
  SelectFilter(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
  if (!request.fileName.empty() && request.fileName.find('*') == std::string::npos)
    dialog.selectFile(PathToQt(request.fileName));
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(ToQt(request.defaultExtension).remove(0, 1));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  std::vector<std::string> files;
  for (const QString& f : dialog.selectedFiles()) files.push_back(PathFromQt(f));
  if (files.empty()) return std::nullopt;
  return files;
}

std::optional<std::string> QtPlatform::SaveFile(const FileDialogRequest& request) {
  QFileDialog dialog(parent_, ToQt(request.title), PathToQt(request.directory), QtFilter(request.filter));
  SelectFilter(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!request.fileName.empty()) dialog.selectFile(PathToQt(request.fileName));
  if (!request.defaultExtension.empty()) {
    QString ext = ToQt(request.defaultExtension);
    if (ext.startsWith('.')) ext.remove(0, 1);
    dialog.setDefaultSuffix(ext);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return PathFromQt(dialog.selectedFiles().front());
}

std::optional<std::string> QtPlatform::ChooseDirectory(const DirectoryRequest& request) {
  QFileDialog::Options options = QFileDialog::ShowDirsOnly;
  if (!request.mayCreate) options |= QFileDialog::ReadOnly;
  const QString dir =
      QFileDialog::getExistingDirectory(parent_, ToQt(request.title), PathToQt(request.directory), options);
  if (dir.isEmpty()) return std::nullopt;
  return PathFromQt(dir);
}

std::optional<std::string> QtPlatform::PromptText(const TextPromptRequest& request) {
  if (!request.extraButton.empty()) {
    QDialog dialog(parent_);
    dialog.setWindowTitle(ToQt(request.caption));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(ToQt(request.prompt).replace("\r\n", "\n"), &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* edit = new QLineEdit(ToQt(request.initial), &dialog);
    edit->setObjectName("promptText");
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton* extra = buttons->addButton("&" + ToQt(request.extraButton), QDialogButtonBox::ActionRole);
    extra->setObjectName("extraButton");
    layout->addWidget(buttons);
    bool extraPressed = false;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(extra, &QPushButton::clicked, &dialog, [&] {
      extraPressed = true;
      dialog.accept();
    });
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    if (extraPressed) return request.extraButton;
    return FromQt(edit->text());
  }
  bool ok = false;
  const QString text = QInputDialog::getText(parent_, ToQt(request.caption), ToQt(request.prompt),
                                             QLineEdit::Normal, ToQt(request.initial), &ok);
  if (!ok) return std::nullopt;
  return FromQt(text);
}

void QtPlatform::ProgressNote(const std::string& text) {
  if (text.empty()) {
    delete note_;
    return;
  }
  if (note_ == nullptr) {
    auto* window = new QDialog(parent_, Qt::Tool | Qt::FramelessWindowHint);
    auto* layout = new QVBoxLayout(window);
    auto* label = new QLabel(window);
    label->setObjectName("noteText");
    layout->addWidget(label);
    note_ = window;
  }
  note_->findChild<QLabel*>("noteText")->setText(DisplayText(text));
  note_->adjustSize();
  note_->show();
  QCoreApplication::processEvents();
}

std::unique_ptr<ProgressWindow> QtPlatform::OpenProgress(const std::string& caption, const std::string& text,
                                                         std::int64_t maximum, bool canStop) {
  return std::make_unique<QtProgress>(parent_, DisplayText(caption), DisplayText(text), maximum, canStop);
}

void QtPlatform::SetBusy(bool busy) {
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  else QApplication::restoreOverrideCursor();
}

bool QtPlatform::OpenWebPage(const std::string& url) { return QDesktopServices::openUrl(QUrl(ToQt(url))); }

ProcessHandle QtPlatform::StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                                       const std::string& workingDirectory) {
  QStringList args;
  for (const auto& a : arguments) args << PathToQt(a);  // file names, as the file system has them
  QString exe = PathToQt(program);
  if (exe.isEmpty()) exe = "xdg-open";  // the desktop's associated program of the file
  // The system's codes of a failed start: 2 no such program, 5 not
  // executable, 267 no such working directory.
  constexpr int kNotFound = 2, kAccessDenied = 5, kBadDirectory = 267;
  if (!workingDirectory.empty() && !QFileInfo(PathToQt(workingDirectory)).isDir()) return ProcessHandle{0, kBadDirectory};
  auto* process = new QProcess();
  process->setWorkingDirectory(PathToQt(workingDirectory));
  process->start(exe, args);  // an argument list: no shell interprets the names
  if (!process->waitForStarted(5000)) {
    delete process;
    const QString found = exe.contains('/') ? exe : QStandardPaths::findExecutable(exe);
    const QFileInfo info(found);
    return ProcessHandle{0, found.isEmpty() || !info.exists() ? kNotFound : kAccessDenied};
  }
  const std::int64_t id = nextProcess_++;
  processes_[id] = process;
  return ProcessHandle{id};
}

bool QtPlatform::ProcessRunning(ProcessHandle handle) {
  auto it = processes_.find(handle.id);
  return it != processes_.end() && it->second->state() != QProcess::NotRunning;
}

HttpResponse QtPlatform::HttpGet(const std::string& url) {
  // The progress note of the caller becomes the text of a window with a stop
  // button for as long as the transfer runs.
  QString what = QUrl(ToQt(url)).host();
  if (note_ != nullptr) {
    what = note_->findChild<QLabel*>("noteText")->text();
    note_->hide();
  }
  QProgressDialog dialog(what, "&Stop", 0, 0, parent_);
  dialog.setObjectName("httpProgress");
  dialog.setWindowTitle("Web Request");
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(0);
  dialog.setAutoReset(false);
  dialog.setAutoClose(false);
  dialog.show();
  HttpResponse response = QtHttpGet(url, httpLimits_, [&](std::int64_t received, std::int64_t total) {
    dialog.setLabelText(what + "\n" + ToQt(ByteCountText(received)) + " received");
    if (total > 0 && total <= std::numeric_limits<int>::max()) {
      dialog.setMaximum(static_cast<int>(total));
      dialog.setValue(static_cast<int>(std::min(received, total)));
    }
    return !dialog.wasCanceled();
  });
  dialog.hide();
  if (note_ != nullptr) note_->show();
  return response;
}

Platform::ScreenSize QtPlatform::Screen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {0, 0};
  const QSize size = screen->size();
  return {size.width(), size.height()};
}

}  // namespace skarvel::platform
