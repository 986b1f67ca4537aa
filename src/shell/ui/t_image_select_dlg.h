// "Select Image(s)": the image selection dialog of "&View/Adjust...".
#pragma once

#include <QDialog>
#include <array>
#include <optional>

class QCheckBox;

namespace skarvel::ui {

class TImageSelectDlg : public QDialog {
  Q_OBJECT
 public:
  /// Boxes "Image 1" .. "Image 4", each enabled and ticked exactly when `valid`.
  explicit TImageSelectDlg(const std::array<bool, 4>& valid, QWidget* parent = nullptr);
  /// The ticked boxes on OK, nothing on Cancel.
  std::optional<std::array<bool, 4>> Run();
  QCheckBox* Box(int slot) const { return boxes_[static_cast<std::size_t>(slot)]; }

 private:
  std::array<QCheckBox*, 4> boxes_{};
};

}  // namespace skarvel::ui
