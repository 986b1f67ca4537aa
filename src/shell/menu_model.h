// The main window's menus as data: component name, caption, hint and the
// visible, enabled and checked states. The window draws its menu bar from
// this model and the session logic changes the states, so both can be
// tested without a screen.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace skarvel {

struct MenuItem {
  std::string name;     ///< component name, e.g. "LoadImg1"; separators too have one
  std::string caption;  ///< "Image &1"; empty for a separator
  std::string hint;
  bool separator = false;
  bool visible = true;
  bool enabled = true;
  bool checked = false;
  std::vector<MenuItem> children;  ///< a submenu when not empty

  bool IsSubmenu() const { return !children.empty(); }
};

class MenuModel {
 public:
  /// The menus as the window is designed, before the session is entered.
  static MenuModel Designed();

  /// The top-level menus of the menu bar, in order.
  std::vector<MenuItem>& Bar() { return bar_; }
  const std::vector<MenuItem>& Bar() const { return bar_; }
  /// The client area's pop-up menu.
  MenuItem& Popup() { return popup_; }
  const MenuItem& Popup() const { return popup_; }

  /// The item of that component name anywhere in the bar or the pop-up, or
  /// null when there is none.
  MenuItem* Find(const std::string& name);
  const MenuItem* Find(const std::string& name) const;
  /// Like Find, but an unknown name is a programming error (throws std::logic_error).
  MenuItem& At(const std::string& name);

  void SetVisible(const std::string& name, bool visible) { At(name).visible = visible; }
  void SetEnabled(const std::string& name, bool enabled) { At(name).enabled = enabled; }
  void SetChecked(const std::string& name, bool checked) { At(name).checked = checked; }

  /// Calls `f` for every item, depth first, in menu order.
  void ForEach(const std::function<void(const MenuItem&)>& f) const;

 private:
  std::vector<MenuItem> bar_;
  MenuItem popup_;
};

/// The captions of a menu's children, separators as "-", for tests and listings.
std::vector<std::string> Captions(const MenuItem& menu);

}  // namespace skarvel
