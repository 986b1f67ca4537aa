#include "images/ui/t_image_text_window.h"

#include "foundations/file_system.h"

namespace skarvel::ui {

TImageTextWindow::TImageTextWindow(const TextListContent& content, int saveFilterIndex, platform::Platform& ui,
                                   SearchDialogState& search, QWidget* parent)
    : list_(content.caption) {
  list_.SetLines(content.lines);
  list_.SetTextFile(content.saveName, std::string());
  list_.SetSaveFilterIndex(saveFilterIndex);
  form_ = std::make_unique<TInfoListForm1>(list_, ui, search, parent);
}

void TImageTextWindow::Show() {
  form_->showNormal();
  form_->ShowList();
}

std::unique_ptr<TImageTextWindow> MakeHeaderWindow(const GraphicsFileObj& image, const std::string& captionPrefix,
                                                   platform::Platform& ui, SearchDialogState& search,
                                                   QWidget* parent) {
  return std::make_unique<TImageTextWindow>(image.HeaderWindowContent(captionPrefix), 2, ui, search, parent);
}

std::unique_ptr<TImageTextWindow> MakeImageDataWindow(const GraphicsFileObj& image, const std::string& captionPrefix,
                                                      platform::Platform& ui, SearchDialogState& search,
                                                      QWidget* parent) {
  return std::make_unique<TImageTextWindow>(image.ImageDataWindowContent(captionPrefix), 3, ui, search, parent);
}

}  // namespace skarvel::ui
