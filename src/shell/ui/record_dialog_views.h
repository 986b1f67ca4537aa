// The Qt dialogs behind the main window's "Set &Information Parameters" items.
#pragma once

#include <QWidget>

#include "shell/astrm_lab.h"

namespace skarvel::ui {

/// Sets the user, camera and site dialog hooks of `views`: each runs its Qt
/// dialog modally over `parent` with the settings of the session's options
/// working copy at that moment. The list windows share one search state held
/// by the hooks.
void InstallRecordDialogs(AstrmLabViews& views, AstrmLab& lab, QWidget* parent);

}  // namespace skarvel::ui
