#include "config/ui/t_record_list_form.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>

namespace skarvel::ui {

TRecordListForm::TRecordListForm(RecordChoiceList& list, platform::Platform& ui, SearchDialogState& search,
                                 QWidget* parent)
    : TInfoListForm1(list, ui, search, parent) {}

void TRecordListForm::closeEvent(QCloseEvent* event) {
  TInfoListForm1::closeEvent(event);
  if (event->isAccepted() && onClosed_) onClosed_();
}

void QtListWindowRunner::RunModal(RecordChoiceList& list) {
  TRecordListForm form(list, ui_, search_, parent_);
  form.setWindowFlag(Qt::Window, true);
  form.setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  bool closed = false;
  form.SetOnClosed([&] {
    closed = true;
    loop.quit();
  });
  // The list closes its window after "&Access Selected Record" or a double
  // click; the close is queued so that the command finishes first.
  QPointer<TRecordListForm> guard(&form);
  list.SetCloser([guard] {
    if (guard) QMetaObject::invokeMethod(guard, "close", Qt::QueuedConnection);
  });
  form.ShowList();
  if (onShown_) onShown_(form);
  if (!closed) loop.exec();
  list.SetCloser({});
}

}  // namespace skarvel::ui
