// The list windows of the record dialogs: "Select a Camera", "Select a Site"
// and "Telescopes at Site <code>".
//
// Each is a text list (InfoList) with its "&Action" menu shown. "&Access
// Selected Record" or a double click takes the selected line and closes the
// window; "&Delete Selected Record" removes a camera or site from its list and
// rewrites the whole file. The window that shows a list is hidden behind
// ListWindowRunner, so the dialogs run the same in the program and in tests.
#pragma once

#include <functional>
#include <string>

#include "astrometry/info_list.h"
#include "config/observer_files.h"

namespace skarvel {

/// A text list that a dialog opens modally to pick one record.
class RecordChoiceList : public InfoList {
 public:
  explicit RecordChoiceList(std::string title);

  /// The line taken by "&Access Selected Record" or a double click; -1 when none.
  int Chosen() const { return chosen_; }
  /// Set by whoever shows the list: closes its window.
  void SetCloser(std::function<void()> closer) { closer_ = std::move(closer); }
  /// A double click accesses the clicked line.
  void DoubleClick(int line, ListCommandContext& context) override;

 protected:
  void RecordChosen(ListCommandContext& context) override;
  /// Deletes record `index` after asking; the base list refuses nothing and does nothing.
  virtual void DeleteChosen(int /*index*/, ListCommandContext&) {}
  void Close() {
    if (closer_) closer_();
  }

 private:
  int chosen_ = -1;
  std::function<void()> closer_;
};

/// "Select a Camera": the names of a camera list. Deleting asks "Delete
/// Camera Record \"<name>\"?" (caption "Are You Sure?", Yes/No); Yes removes
/// the record and rewrites `writePath` (IOFailure propagates to the window's
/// general error report, the list then keeps the record).
class CamListForm : public RecordChoiceList {
 public:
  CamListForm(CameraList& list, std::string writePath);

 protected:
  void DeleteChosen(int index, ListCommandContext& context) override;

 private:
  void Rebuild();
  CameraList& records_;
  std::string writePath_;
};

/// "Select a Site": the names of a station list; deleting asks "Delete Record
/// for Site \"<name>\"?" (caption "Are You Sure?").
class SiteListForm : public RecordChoiceList {
 public:
  SiteListForm(SiteList& list, std::string writePath);

 protected:
  void DeleteChosen(int index, ListCommandContext& context) override;

 private:
  void Rebuild();
  SiteList& records_;
  std::string writePath_;
};

/// "Telescopes at Site " + code: the telescope lines of one site;
/// "&Delete Selected Record" is disabled.
class ScopeListForm : public RecordChoiceList {
 public:
  ScopeListForm(const std::string& code, std::vector<std::string> lines);

 protected:
  void Activated() override;
};

/// Shows a list window modally: returns when the window has closed.
class ListWindowRunner {
 public:
  virtual ~ListWindowRunner() = default;
  virtual void RunModal(RecordChoiceList& list) = 0;
};

}  // namespace skarvel
