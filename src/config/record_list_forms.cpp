#include "config/record_list_forms.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

RecordChoiceList::RecordChoiceList(std::string title) : InfoList(std::move(title)) {
  Menu().SetVisible("Action1", true);
}

void RecordChoiceList::DoubleClick(int line, ListCommandContext& context) {
  Select(line);
  ChooseRecord(false, context);
}

void RecordChoiceList::RecordChosen(ListCommandContext& context) {
  const int index = SelectedRecord();
  if (!DeleteRecord()) {
    if (index < 0) {
      platform::Tell(context.ui, "Select a Record to Access!", "No Selection!", Icon::Exclamation);
      return;
    }
    chosen_ = index;
    Close();
    return;
  }
  if (index < 0) {
    platform::Tell(context.ui, "Select a Record to Delete!", "No Selection!", Icon::Exclamation);
    return;
  }
  DeleteChosen(index, context);
}

namespace {

template <typename List>
std::vector<std::string> NamesOf(List& list) {
  std::vector<std::string> names;
  for (std::int32_t i = 0; i <= list.LastIndex(); ++i) names.push_back(list.GetAt(i)->name);
  return names;
}

template <typename List, typename WriteFn>
void DeleteAndRewrite(List& list, int index, const std::string& question, const std::string& path,
                      ListCommandContext& context, WriteFn write) {
  auto* record = list.GetAt(index);
  if (record == nullptr) return;
  if (platform::Tell(context.ui, question + "\"" + record->name + "\"?", "Are You Sure?", Icon::Question,
                     Buttons::YesNo) != Answer::Yes)
    return;
  List shorter = list;
  shorter.GetAt(index);
  shorter.DeleteCurrent();
  write(path, shorter);  // throws before the list changes
  list = std::move(shorter);
}

}  // namespace

CamListForm::CamListForm(CameraList& list, std::string writePath)
    : RecordChoiceList("Select a Camera"), records_(list), writePath_(std::move(writePath)) {
  Rebuild();
}

void CamListForm::Rebuild() {
  SetLines(NamesOf(records_));
}

void CamListForm::DeleteChosen(int index, ListCommandContext& context) {
  DeleteAndRewrite(records_, index, "Delete Camera Record ", writePath_, context, WriteCameraFile);
  Rebuild();
}

SiteListForm::SiteListForm(SiteList& list, std::string writePath)
    : RecordChoiceList("Select a Site"), records_(list), writePath_(std::move(writePath)) {
  Rebuild();
}

void SiteListForm::Rebuild() {
  SetLines(NamesOf(records_));
}

void SiteListForm::DeleteChosen(int index, ListCommandContext& context) {
  DeleteAndRewrite(records_, index, "Delete Record for Site ", writePath_, context, WriteSiteFile);
  Rebuild();
}

ScopeListForm::ScopeListForm(const std::string& code, std::vector<std::string> lines)
    : RecordChoiceList("Telescopes at Site " + code) {
  SetLines(std::move(lines));
  Menu().SetEnabled("DeleteSelectedRecord1", false);
}

void ScopeListForm::Activated() {
  Menu().SetEnabled("DeleteSelectedRecord1", false);
}

}  // namespace skarvel
