// The header window and the image data window of an image: text-list
// windows made from the image's text contents.
#pragma once

#include <memory>

#include "astrometry/info_list.h"
#include "astrometry/ui/t_info_list_form1.h"
#include "images/graphics_file.h"

namespace skarvel::ui {

/// A text-list window that owns its list, filled once from `content` when it is made.
class TImageTextWindow {
 public:
  /// `saveFilterIndex` is the save dialog's first filter (2 header text, 3 image display info).
  TImageTextWindow(const TextListContent& content, int saveFilterIndex, platform::Platform& ui,
                   SearchDialogState& search, QWidget* parent = nullptr);

  /// Shown in normal size and brought to the front.
  void Show();
  TInfoListForm1& Window() { return *form_; }
  InfoList& List() { return list_; }

 private:
  InfoList list_;
  std::unique_ptr<TInfoListForm1> form_;
};

/// The header window of an image, with caption prefix "Image 1 - " etc.
std::unique_ptr<TImageTextWindow> MakeHeaderWindow(const GraphicsFileObj& image, const std::string& captionPrefix,
                                                   platform::Platform& ui, SearchDialogState& search,
                                                   QWidget* parent = nullptr);
/// The image data window of an image.
std::unique_ptr<TImageTextWindow> MakeImageDataWindow(const GraphicsFileObj& image, const std::string& captionPrefix,
                                                      platform::Platform& ui, SearchDialogState& search,
                                                      QWidget* parent = nullptr);

}  // namespace skarvel::ui
