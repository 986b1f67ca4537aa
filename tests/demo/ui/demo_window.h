// The demo night's main window for the Qt tests of tests/demo/ui: the session
// prepared in a scratch folder, the program started on it with the person's
// answers to the observation and field parameters dialogs, and the catalog
// stars of a loaded field that a person would pick and click in the image.
#pragma once

#include <QTest>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "astrometry/ui/t_gsc_form1.h"
#include "demo/demo_support.h"
#include "foundations/file_system.h"
#include "images/ui/t_image_form1.h"
#include "make_demo.h"
#include "shell/astrm_lab.h"
#include "shell/ui/t_astrm_lab.h"
#include "support/temp_dir.h"

namespace skarvel::testing {

/// The bundled demo folder, absolute, with a trailing separator.
inline std::string DemoFolder() {
  return fs::WithTrailingSeparator(std::filesystem::absolute(SKARVEL_DEMO_DIR).lexically_normal().string());
}

/// Prepares `work` as the demo night's working directory from `demo`, creates
/// `lab` on it (program and per-user folders in `root`, the clock at
/// 2026-12-09 21:00), lets `options` change the options before the main
/// window is made, shows `window` and reads `truth` (four images). The
/// observation parameters dialog answers object "Eros", number 433 and no
/// designation; the field parameters dialog is taken as the header fills it.
/// A failure is a failed check of the running test.
inline void StartDemoWindow(const TempDir& root, const std::string& work, const std::string& demo,
                            platform::Platform& ui, std::unique_ptr<AstrmLab>& lab,
                            std::unique_ptr<ui::TAstrmLab>& window, std::vector<DemoImageTruth>& truth,
                            const std::function<void(OptionsRecord&)>& options = {}) {
  QCOMPARE(demo::InstallSession(demo, work), 0);
  AstrmLabEnvironment env;
  env.storage.programDir = skarvel::testing::MakeProgramDir(root);
  env.storage.currentDir = work;
  env.storage.perUserDir = root.Path() + "peruser/";
  env.storage.changeCurrentDirectory = false;
  env.storage.mountsFile = root.Path() + "no-mounts";
  env.clock = [] { return *EncodeDateTime(2026, 12, 9, 21, 0, 0.0L); };
  lab = std::make_unique<AstrmLab>(ui, env);
  QCOMPARE(lab->Create(), AstrmLab::StartResult::Running);
  if (options) options(lab->Options());
  window = std::make_unique<ui::TAstrmLab>(*lab);
  window->show();
  truth = ReadTruth();
  QCOMPARE(static_cast<int>(truth.size()), 4);
  // The dialogs a person would fill: the observation parameters get the
  // number, the field parameters are taken as the header gives them.
  window->runObsParams = [](ObsParams& p, const std::string&, bool) {
    p.objectName = "Eros";
    p.number = "433";
    p.designation.clear();
    return true;
  };
  window->runFieldParameters = [](FieldRequest& r) {
    DeriveSearchWindow(r.params);  // what the dialog's OK does with the values shown
    return true;
  };
}

/// A catalog star of the loaded field with its pixel in an image.
struct UsableStar {
  CatalogStar star;
  double x = 0, y = 0;
};

/// The catalog stars of `window`'s loaded field that lie well inside image
/// `t` (30 pixels from its edges, 25 from the target, whose trail would
/// disturb a reference) and on the reference-field picture, brightest first.
inline std::vector<UsableStar> UsableStars(ui::TAstrmLab& window, ui::TGSCForm1& field, const DemoImageTruth& t) {
  std::vector<UsableStar> out;
  auto& stars = window.Field().Stars();
  for (std::int32_t i = 0; i <= stars.LastIndex(); ++i) {
    const CatalogStar* star = stars.GetAt(i);
    if (star == nullptr) continue;
    const CatalogStar& s = *star;
    UsableStar u{s, 0, 0};
    if (s.starClass != 0 || !ProjectToPixel(t, static_cast<double>(s.ra), static_cast<double>(s.dec), u.x, u.y))
      continue;
    if (u.x < 30 || u.y < 30 || u.x > 738 || u.y > 482) continue;
    if (std::hypot(u.x - t.targetX, u.y - t.targetY) < 25) continue;
    if (!field.rect().contains(s.screenX, s.screenY)) continue;
    out.push_back(u);
  }
  std::sort(out.begin(), out.end(), [](const UsableStar& a, const UsableStar& b) { return a.star.mag < b.star.mag; });
  return out;
}

/// A click on image pixel (x, y) of the image window, at its display scale.
inline void ClickImage(ui::TImageForm1& form, double x, double y) {
  const double s = static_cast<double>(form.Sizing().scale);
  QTest::mouseClick(form.Canvas(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(static_cast<int>(std::lround(x * s)), static_cast<int>(std::lround(y * s))));
}

}  // namespace skarvel::testing
