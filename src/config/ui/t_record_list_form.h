// The modal showing of the record list windows ("Select a Camera", "Select a
// Site", "Telescopes at Site ...") as text-list windows.
#pragma once

#include <functional>

#include "astrometry/ui/t_info_list_form1.h"
#include "config/record_list_forms.h"

namespace skarvel::ui {

/// A text-list window that tells when it closes.
class TRecordListForm : public TInfoListForm1 {
 public:
  TRecordListForm(RecordChoiceList& list, platform::Platform& ui, SearchDialogState& search, QWidget* parent = nullptr);
  /// Called once the window has closed.
  void SetOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<void()> onClosed_;
};

/// Shows each list as an application-modal TRecordListForm and returns when it closes.
class QtListWindowRunner : public ListWindowRunner {
 public:
  QtListWindowRunner(platform::Platform& ui, SearchDialogState& search, QWidget* parent)
      : ui_(ui), search_(search), parent_(parent) {}
  void RunModal(RecordChoiceList& list) override;
  /// Called with each window right after it is shown (tests drive it from here).
  void SetOnShown(std::function<void(TRecordListForm&)> onShown) { onShown_ = std::move(onShown); }

 private:
  platform::Platform& ui_;
  SearchDialogState& search_;
  QWidget* parent_;
  std::function<void(TRecordListForm&)> onShown_;
};

}  // namespace skarvel::ui
