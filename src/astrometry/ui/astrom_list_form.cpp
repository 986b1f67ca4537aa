#include "astrometry/ui/astrom_list_form.h"

namespace skarvel::ui {

AstromListForm::AstromListForm(ReportList& list, platform::Platform& ui, SearchDialogState& search, QWidget* parent)
    : TInfoListForm1(list, ui, search, parent), report_(list) {
  setObjectName("AstromListForm");
}

}  // namespace skarvel::ui
