// The report window: the text list of the report (ReportList) with its
// "&Edit" and "&Chart" menus. Everything it decides lives in ReportList; the
// window draws the lines and runs the dialogs.
#pragma once

#include "astrometry/report_list.h"
#include "astrometry/ui/t_info_list_form1.h"

namespace skarvel::ui {

class AstromListForm : public TInfoListForm1 {
  Q_OBJECT
 public:
  AstromListForm(ReportList& list, platform::Platform& ui, SearchDialogState& search, QWidget* parent = nullptr);

  ReportList& Report() { return report_; }

 private:
  ReportList& report_;
};

}  // namespace skarvel::ui
