#include "astrometry/info_list.h"

#include "foundations/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <stdexcept>

#include "foundations/date_time.h"
#include "foundations/file_system.h"
#include "foundations/io_error.h"

namespace skarvel {

using platform::Answer;
using platform::Buttons;
using platform::Icon;

// ---------------------------------------------------------------------------
// Search

std::string LowerLatin1(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) c = static_cast<char>(b + 0x20);
  }
  return out;
}

namespace {

// A line as the search sees it: leading blanks removed, lower case unless case dependent.
std::string SearchForm(const std::string& line, bool caseDependent) {
  const std::size_t first = line.find_first_not_of(' ');
  std::string out = first == std::string::npos ? std::string() : line.substr(first);
  return caseDependent ? out : LowerLatin1(out);
}

}  // namespace

int FindTextLine(const std::vector<std::string>& lines, std::string_view text, bool caseDependent, int start) {
  if (text.empty() || lines.empty()) return -1;
  const std::string wanted = caseDependent ? std::string(text) : LowerLatin1(text);
  const int count = static_cast<int>(lines.size());
  const int last = count - 1;
  const int first = std::max(start, 0);
  for (int i = first; i < count; ++i) {
    if (i == last && i != first) break;  // reached only as the second part of the line before it
    std::string joined = SearchForm(lines[static_cast<std::size_t>(i)], caseDependent);
    const std::size_t ownLength = joined.size();
    if (i < last) joined += " " + SearchForm(lines[static_cast<std::size_t>(i + 1)], caseDependent);
    const std::size_t at = joined.find(wanted);
    if (at != std::string::npos) return at < ownLength ? i : i + 1;
  }
  return -1;
}

std::optional<int> RunTextSearch(const std::vector<std::string>& lines, int selected, const std::string& caption,
                                 SearchDialogState& state, ListDialogs& dialogs, platform::Platform& ui) {
  const SearchStart how = dialogs.AskSearch(caption, state);
  if (how == SearchStart::Cancelled || state.text.empty()) return std::nullopt;
  const int start = how == SearchStart::FromTop ? 0 : std::max(selected, -1) + 1;
  const int found = FindTextLine(lines, state.text, state.caseDependent, start);
  if (found < 0) {
    platform::Tell(ui, "\"" + state.text + "\" Not Found.", "String Not Found", Icon::Information);
    return std::nullopt;
  }
  return found;
}

// ---------------------------------------------------------------------------
// Size and printing

ListWindowGeometry ListWindowSize(int widestLine, std::size_t lineCount, int lineHeight, int screenWidth,
                                  int padding) {
  ListWindowGeometry g;
  g.clientWidth = std::min(std::max(widestLine, 200) + padding, screenWidth - 10);
  const double heights = lineCount > 21 ? 22.3 : static_cast<double>(lineCount) + 1.3;
  g.clientHeight = static_cast<int>(std::nearbyint(heights * lineHeight));  // the default mode: halves to even
  g.scrollWidth = widestLine + 20;
  return g;
}

std::vector<PrintedPage> LayoutListPrint(const std::vector<std::string>& lines, const std::string& dateTime,
                                         const std::string& userLine, const std::string& title, int rowsPerPage) {
  const int rows = std::max(rowsPerPage, 2);
  std::vector<PrintedPage> pages(1);
  pages[0].push_back({0, 0, dateTime});
  pages[0].push_back({2, 0, userLine});
  pages[0].push_back({4, kPrintIndent, title});
  int row = 6;
  for (const std::string& line : lines) {
    if (row >= rows) {
      pages.emplace_back();
      row = 1;
    }
    pages.back().push_back({row, kPrintIndent, line});
    ++row;
  }
  return pages;
}

std::string ListPrintJobTitle(const std::string& userLine) { return "VORN CCD Astrometry - " + userLine; }

int ListPrintMargin(bool landscape) { return landscape ? 50 : 0; }

std::string PrintDateTimeText(double dateTime) { return DateFieldText(dateTime) + " " + TimeFieldText(dateTime); }

std::vector<std::string> ColumnRuler(std::size_t width) {
  std::string tens(width, ' ');
  std::string units(width, ' ');
  for (std::size_t column = 1; column <= width; ++column) {
    units[column - 1] = static_cast<char>('0' + column % 10);
    if (column % 10 == 0) tens[column - 1] = static_cast<char>('0' + (column / 10) % 10);
  }
  return {tens, units};
}

// ---------------------------------------------------------------------------
// Menus

namespace {

ListMenuItem Item(std::string name, std::string caption) {
  ListMenuItem item;
  item.name = std::move(name);
  item.caption = std::move(caption);
  return item;
}

ListMenuItem Separator(std::string name) {
  ListMenuItem item;
  item.name = std::move(name);
  item.separator = true;
  return item;
}

ListMenuItem Hidden(ListMenuItem item) {
  item.visible = false;
  return item;
}

ListMenuItem* FindIn(std::vector<ListMenuItem>& items, const std::string& name,
                     std::vector<ListMenuItem*>* path = nullptr) {
  for (ListMenuItem& item : items) {
    if (item.name == name) return &item;
    if (ListMenuItem* found = FindIn(item.children, name, path)) {
      if (path) path->push_back(&item);
      return found;
    }
  }
  return nullptr;
}

}  // namespace

ListMenu ListMenu::Designed() {
  ListMenu m;
  ListMenuItem list = Item("List1", "&List");
  list.children.push_back(Item("Search1", "&Search..."));
  ListMenuItem sort = Hidden(Item("SortList1", "S&ort List"));
  for (int i = 1; i <= InfoList::kSortItems; ++i) {
    ListMenuItem s = Hidden(Item("Sort" + std::to_string(i), "Sort " + std::to_string(i)));
    s.checkable = true;
    sort.children.push_back(std::move(s));
  }
  list.children.push_back(std::move(sort));
  list.children.push_back(Separator("N1"));
  ListMenuItem print = Item("Print1", "&Print...");
  print.checkable = true;
  list.children.push_back(std::move(print));
  ListMenuItem saveText = Item("SaveText1", "Save &Text");
  saveText.checkable = true;
  saveText.children.push_back(Item("AsDisplayed1", "As &Displayed..."));
  ListMenuItem comma = Item("CommaDelimit", "&Comma Delimit (for Spreadsheet)...");
  comma.enabled = false;  // the report window enables it
  saveText.children.push_back(std::move(comma));
  list.children.push_back(std::move(saveText));
  list.children.push_back(Separator("N2"));
  list.children.push_back(Item("Close1", "&Close"));
  m.bar_.push_back(std::move(list));

  ListMenuItem edit = Hidden(Item("Edit1", "&Edit"));
  ListMenuItem undo = Item("UndoEdit", "&Undo Text Edit/Delete");
  undo.enabled = false;
  edit.children.push_back(std::move(undo));
  edit.children.push_back(Separator("N3"));
  edit.children.push_back(Item("EditasText1", "Edit as &Text..."));
  edit.children.push_back(Hidden(Item("EditObservationParameters1", "Edit Observation Parameters...")));
  edit.children.push_back(Item("DeleteSelectedItem1", "&Delete Selected Text Line..."));
  edit.children.push_back(Hidden(Separator("N4")));
  ListMenuItem header = Hidden(Item("EditHeaderInformation1", "Edit Header &Information"));
  header.children.push_back(Item("UserParameters1", "&User Information..."));
  header.children.push_back(Item("CameraParameters1", "&Camera Parameters..."));
  header.children.push_back(Item("SiteParameters1", "&Site Information..."));
  edit.children.push_back(std::move(header));
  m.bar_.push_back(std::move(edit));

  ListMenuItem action = Hidden(Item("Action1", "&Action"));
  action.children.push_back(Item("AccessSelectedRecord1", "&Access Selected Record"));
  action.children.push_back(Item("DeleteSelectedRecord1", "&Delete Selected Record"));
  m.bar_.push_back(std::move(action));

  m.bar_.push_back(Hidden(Item("Plot1", "&Chart")));
  return m;
}

ListMenuItem* ListMenu::Find(const std::string& name) { return FindIn(bar_, name); }

const ListMenuItem* ListMenu::Find(const std::string& name) const {
  return FindIn(const_cast<std::vector<ListMenuItem>&>(bar_), name);
}

ListMenuItem& ListMenu::At(const std::string& name) {
  ListMenuItem* item = Find(name);
  if (item == nullptr) throw std::logic_error("no list menu item " + name);
  return *item;
}

void ListMenu::Add(const std::string& parent, ListMenuItem item, const std::string& before) {
  if (Find(item.name) != nullptr) throw std::logic_error("list menu item " + item.name + " exists");
  std::vector<ListMenuItem>& items = parent.empty() ? bar_ : At(parent).children;
  auto at = items.end();
  if (!before.empty()) {
    at = std::find_if(items.begin(), items.end(), [&](const ListMenuItem& i) { return i.name == before; });
    if (at == items.end()) throw std::logic_error("no list menu item " + before + " in " + parent);
  }
  items.insert(at, std::move(item));
}

bool ListMenu::Available(const std::string& name) const {
  std::vector<ListMenuItem*> path;
  const ListMenuItem* item = FindIn(const_cast<std::vector<ListMenuItem>&>(bar_), name, &path);
  if (item == nullptr || item->separator || !item->visible || !item->enabled) return false;
  return std::all_of(path.begin(), path.end(), [](const ListMenuItem* p) { return p->visible && p->enabled; });
}

// ---------------------------------------------------------------------------
// The list

InfoList::InfoList(std::string title) : title_(std::move(title)), menu_(ListMenu::Designed()) {}

void InfoList::SetLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  selected_ = -1;
  ++linesVersion_;
}

void InfoList::AddLine(std::string line) {
  lines_.push_back(std::move(line));
  ++linesVersion_;
}

void InfoList::Clear() { SetLines({}); }

void InfoList::Select(int index) { selected_ = index >= 0 && index < static_cast<int>(lines_.size()) ? index : -1; }

void InfoList::SetTextFile(std::string fileName, std::string dir) {
  textFileName_ = std::move(fileName);
  textDir_ = std::move(dir);
}

void InfoList::SetSortCaption(int index, std::string caption, bool checked) {
  if (index < 1 || index > kSortItems) throw std::out_of_range("sort item " + std::to_string(index));
  ListMenuItem& item = menu_.At("Sort" + std::to_string(index));
  item.caption = std::move(caption);
  item.visible = true;
  menu_.SetVisible("SortList1", true);
  if (checked) {
    for (int i = 1; i <= kSortItems; ++i) menu_.SetChecked("Sort" + std::to_string(i), i == index);
  }
}

int InfoList::CheckedSort() const {
  for (int i = 1; i <= kSortItems; ++i)
    if (menu_.Find("Sort" + std::to_string(i))->checked) return i;
  return 0;
}

void InfoList::Activate(SearchDialogState& search) {
  search.Reset();
  EnableUndo(false);
  menu_.SetEnabled("CommaDelimit", false);
  Activated();
}

bool InfoList::Run(const std::string& name, ListCommandContext& context) {
  if (!menu_.Available(name)) return false;
  if (name == "Search1") {
    Search(context);
  } else if (name == "AsDisplayed1") {
    SaveAsText(context);
  } else if (name == "CommaDelimit") {
    CommaDelimit(context);
  } else if (name == "UndoEdit") {
    Undo(context);
  } else if (name == "EditasText1") {
    EditLine(context);
  } else if (name == "DeleteSelectedItem1") {
    DeleteLine(context);
  } else if (name == "AccessSelectedRecord1" || name == "DeleteSelectedRecord1") {
    ChooseRecord(name == "DeleteSelectedRecord1", context);
  } else if (name.size() == 5 && name.rfind("Sort", 0) == 0 && name[4] >= '1' && name[4] <= '7') {
    ChooseSort(name[4] - '0');
  } else {
    return OwnerCommand(name, context);
  }
  return true;
}

void InfoList::DoubleClick(int /*line*/, ListCommandContext& /*context*/) {}

void InfoList::Search(ListCommandContext& context) {
  const auto found = RunTextSearch(lines_, selected_, "Find Text String", context.search, context.dialogs, context.ui);
  if (found) Select(*found);
}

void InfoList::SaveAsText(ListCommandContext& context) {
  if (!ConfirmSaveText(context)) return;
  platform::FileDialogRequest request;
  request.title = "Save Report in Text File";
  request.filter =
      "Text Files (*.TXT) | *.TXT|Image Header Text (*.HDR)|*.HDR|Image Display Info (*.IMG)|*.IMG|"
      "Astrometric Solution Text (*.SLN)|*.SLN|Reference Field Info (*.RFL)|*.RFL|All Files (*.*)|*.*";
  request.defaultExtension = ".TXT";
  request.filterIndex = saveFilterIndex_;
  request.directory = textDir_.empty() ? context.reportDir : textDir_;
  request.fileName = textFileName_;
  std::string path;
  for (;;) {
    const auto chosen = context.ui.SaveFile(request);
    if (!chosen || chosen->empty()) return;
    path = *chosen;
    if (!fs::FileExists(path)) break;
    std::string upper = path;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (platform::Tell(context.ui, upper + " Already Exists!" + "\r\n\r\n" + "Do You Want to Overwrite It?",
                       "Replace Existing File?", Icon::Question, Buttons::YesNo) == Answer::Yes)
      break;
    request.directory = fs::DirectoryOf(path);
    request.fileName = fs::FileNameOf(path);
  }
  try {
    std::vector<std::uint8_t> bytes;
    for (const std::string& line : lines_) {
      const std::string text = saveUtf8_ ? Latin1ToUtf8(line) : line;
      bytes.insert(bytes.end(), text.begin(), text.end());
      bytes.push_back('\n');
    }
    fs::AtomicWriteFile(path, bytes);
  } catch (const IOFailure& failure) {
    platform::Tell(context.ui,
                   std::string(failure.what()) + "\r\n\r\n" + "File Name: " + path + "\r\n" + "IOResult = " +
                       std::to_string(failure.Code()),
                   context.errorCaption, Icon::Error);
    return;
  }
  textFileName_ = fs::FileNameOf(path);
  textDir_ = fs::DirectoryOf(path);
  platform::Tell(context.ui, "Report Text Written to " + path + ".", "Text File Written", Icon::Information);
  savedAsText_ = true;
  menu_.SetChecked("SaveText1", true);
  EnableUndo(false);
}

void InfoList::CommaDelimit(ListCommandContext& context) {
  platform::Tell(context.ui, "Comma-Delimited Output not Available for Displayed Material.", "Not Available",
                 Icon::Information);
}

void InfoList::EditLine(ListCommandContext& context) {
  if (selected_ < 0) {
    platform::Tell(context.ui, "Select Text Line for Edit!", "No Selection!", Icon::Exclamation);
    return;
  }
  const int line = selected_;
  if (!ConfirmEditLine(line, context)) return;
  const auto edited = context.dialogs.AskEditLine(lines_[static_cast<std::size_t>(line)]);
  if (!edited) return;
  ReplaceLineWithUndo(line, *edited);
  LineEdited(line, context);
}

void InfoList::DeleteLine(ListCommandContext& context) {
  if (selected_ < 0) {
    platform::Tell(context.ui, "Select Item for Deletion!", "No Selection!", Icon::Exclamation);
    return;
  }
  if (platform::Tell(context.ui, "Are You Sure You Want to Delete this Item?", "Verify Deletion", Icon::Question,
                     Buttons::YesNo) != Answer::Yes)
    return;
  RemoveLineWithUndo(selected_);
}

void InfoList::Undo(ListCommandContext& /*context*/) {
  if (!UndoAvailable()) return;
  EnableUndo(false);
  if (undoIsInsertion_) {
    const int at = std::clamp(undoLine_, 0, static_cast<int>(lines_.size()));
    lines_.insert(lines_.begin() + at, undoText_);
    ++linesVersion_;
    Select(at);
  } else if (undoLine_ >= 0 && undoLine_ < static_cast<int>(lines_.size())) {
    SetLine(undoLine_, undoText_);
    Select(undoLine_);
  }
}

void InfoList::ChooseSort(int index) {
  for (int i = 1; i <= kSortItems; ++i) menu_.SetChecked("Sort" + std::to_string(i), i == index);
  SortBy(index);
}

void InfoList::ChooseRecord(bool deleteRecord, ListCommandContext& context) {
  selectedRecord_ = selected_;
  deleteRecord_ = deleteRecord;
  RecordChosen(context);
}

void InfoList::NotePrinted() {
  printed_ = true;
  menu_.SetChecked("Print1", true);
  EnableUndo(false);
}

void InfoList::ReplaceLineWithUndo(int index, std::string text) {
  undoText_ = lines_.at(static_cast<std::size_t>(index));
  undoLine_ = index;
  undoIsInsertion_ = false;
  SetLine(index, std::move(text));
  EnableUndo(true);
}

void InfoList::RemoveLineWithUndo(int index) {
  undoText_ = lines_.at(static_cast<std::size_t>(index));
  undoLine_ = index;
  undoIsInsertion_ = true;
  lines_.erase(lines_.begin() + index);
  ++linesVersion_;
  selected_ = -1;
  EnableUndo(true);
}

void InfoList::SetLine(int index, std::string text) {
  lines_.at(static_cast<std::size_t>(index)) = std::move(text);
  ++linesVersion_;
}

}  // namespace skarvel
