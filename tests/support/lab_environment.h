// The environment of a main window session in the tests: program, work and
// per-user folders in a temporary directory, no optical drive, a fixed clock.
#pragma once

#include "foundations/date_time.h"
#include "shell/astrm_lab.h"
#include "support/temp_dir.h"

namespace skarvel::testing {

/// Folders "program/" and "work/" of `root` (created), the per-user folder
/// "peruser/" (not created), the evening of 2026-12-09 22:00 as the clock.
inline AstrmLabEnvironment LabEnvironment(TempDir& root) {
  AstrmLabEnvironment env;
  env.storage.programDir = skarvel::testing::MakeProgramDir(root);
  env.storage.currentDir = root.MakeDir("work");
  env.storage.perUserDir = root.Path() + "peruser/";
  env.storage.changeCurrentDirectory = false;
  env.storage.mountsFile = root.Path() + "none";
  env.clock = [] { return *EncodeDateTime(2026, 12, 9, 22, 0, 0.0L); };
  return env;
}

}  // namespace skarvel::testing
