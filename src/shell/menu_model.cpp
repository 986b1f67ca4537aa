#include "shell/menu_model.h"

#include <stdexcept>

namespace skarvel {

namespace {

MenuItem Item(std::string name, std::string caption, std::string hint = {}) {
  MenuItem m;
  m.name = std::move(name);
  m.caption = std::move(caption);
  m.hint = std::move(hint);
  return m;
}

MenuItem Separator(std::string name) {
  MenuItem m;
  m.name = std::move(name);
  m.separator = true;
  return m;
}

MenuItem Sub(std::string name, std::string caption, std::vector<MenuItem> children) {
  MenuItem m = Item(std::move(name), std::move(caption));
  m.children = std::move(children);
  return m;
}

MenuItem* FindIn(std::vector<MenuItem>& items, const std::string& name) {
  for (auto& item : items) {
    if (item.name == name) return &item;
    if (MenuItem* found = FindIn(item.children, name)) return found;
  }
  return nullptr;
}

void Walk(const MenuItem& item, const std::function<void(const MenuItem&)>& f) {
  f(item);
  for (const auto& child : item.children) Walk(child, f);
}

}  // namespace

MenuModel MenuModel::Designed() {
  MenuModel m;
  m.bar_ = {
      Sub("File1", "&File",
          {Item("ImageFileType1", "Set Image &File Type..."),
           Sub("ClearImages1", "&Clear Images/Ref. Fields",
               {Item("Object1", "&Images and Reference Fields"), Item("FieldObservationSet1", "&Reference Fields Only")}),
           Sub("LoadImages1", "L&oad Image Files",
               {Item("MultipleLoad1", "&Multiple Load"), Separator("N11"), Item("LoadImg1", "Image &1"),
                Item("LoadImg2", "Image &2"), Item("LoadImg3", "Image &3"), Item("LoadImg4", "Image &4"),
                Separator("N11A"),
                Item("TrackStack1", "Track and &Stack...",
                     "Solve a series of up to 200 frames of one field and stack it along a motion into an image slot.")}),
           Separator("PrefSeparator"),
           Sub("DownloadOrbitDatabase1", "Download &Orbit Database",
               {Item("HelponLowelldownload1", "Help on Lowell Download"),
                Item("Lowell1", "Download &Lowell (astorb.dat)"),
                Item("ConvertLowell", "Convert L&owell (astorb.dat->astorb.cmo)"), Separator("N12"),
                Item("HelponMPCdownload1", "Help on MPC Download"),
                Item("HelponCometFileDownload1", "Help  on &Comet File Download"),
                Item("MPC1", "Download &MPC (MPCORB.dat, comet.dat)"),
                Item("ConvertMPC", "Convert M&PC (MPCORB.dat->MPCORB.cmo)"), Separator("N12A"),
                Item("ObsCodes1", "Download O&bservatory Codes (ObsCodes.html)",
                     "The Minor Planet Center's observatory code list, for \"Determine Orbit...\".")}),
           Sub("OtherURLs1", "Other &URLs",
               {Item("MinorPlanetCenter1", "&Minor Planet Center"), Item("VORNWebsite1", "&VORN Website"),
                Item("ProjectPluto1", "Project &Pluto"), Item("USNOOnlineStatusInfo1", "&USNO On-line Status Info")}),
           Separator("N1"),
           Sub("Preferences1", "&Preferences...",
               {Item("Options1", "&Options and Parameters..."), Separator("N13"), Item("SaveUpdates1", "&Save Updates"),
                Separator("N14"), Item("ConvertGSC1", "Convert &GSC...")}),
           Separator("N2"), Item("Exit1", "&Exit")}),
      Sub("Images1", "&Images",
          {Item("ViewAdjust1", "&View/Adjust..."),
           Sub("Measure1", "&Measure",
               {Item("MeasImg1", "Image &1"), Item("MeasImg2", "Image &2"), Item("MeasImg3", "Image &3"),
                Item("MeasImg4", "Image &4")}),
           Separator("N3"), Item("Blink1", "&Blink..."),
           Item("MovingObjects1", "Find Moving &Objects...",
                "Find what moves in three or four images of one field and name the known minor planets."),
           Separator("N3C"),
           Item("Calibration1", "Calibration...",
                "Build master bias, dark and flat frames and calibrate the images with them.")}),
      Sub("Report1", "&Report",
          {Sub("SetInformationParameters1", "Set &Information Parameters",
               {Item("UserInformation1", "&User Information..."), Item("CameraParameters1", "&Camera Parameters..."),
                Item("SiteInformation1", "&Site Information...")}),
           Sub("ViewEdit1", "&View/Print/Save Text",
               {Item("ShortFormat1", "&Short (Electronic) Format..."), Item("LongFormat1", "&Long (Text) Format..."),
                Separator("N15"), Item("ExerciseFrmt1", "&Exercise Format..."), Separator("N16"),
                Item("SpreadsheetFormat1", "S&preadsheet Format (.CSV)..."), Separator("N16A"),
                Item("AdesPsvFormat1", "ADES PSV Format..."), Item("AdesXmlFormat1", "ADES XML Format...")}),
           Separator("N4"), Item("SaveData1", "&Save Report Data..."),
           Item("LoadData1", "&Load Report Data...", "Load data saved from this version."),
           Sub("LoadOldReportData1", "Load &Old Report Data",
               {Item("Version101", "Version < 1.0..."), Item("N10Version111", "Version = 1.0, 1.001...")}),
           Separator("N5"), Item("ClearData1", "&Clear Report Data..."), Separator("N6"), Item("Baseline1", "Compute &Baseline..."),
           Separator("N7"), Item("SpreadSheet1", "Access &Spreadsheet")}),
      Sub("OrbitSearch1", "Orbit &Search",
          {Item("SearchDatabase1", "Search &Lowell Database..."), Item("SearchMPCDatabase1", "Search &MPC Database..."),
           Item("SearchMPCCometFile1", "Search MPC &Comet File..."),
           Item("SearchTARNEOrbitFile1", "Search &TARNE Orbit File..."), Separator("N8"),
           Item("ShowSearchResults1", "&View/Print/Select Results..."), Separator("N9"),
           Item("OrbitStatistics1", "Orbit &Statistics (MPC)")}),
      Sub("Ephemeris1", "&Ephemeris",
          {Sub("OrbitalElements1", "Orbital &Elements",
               {Item("ElemDatabase1", "&Lowell Database..."), Item("MPCDatabase1", "&MPC Database..."),
                Item("MPCCometFile1", "MPC &Comet File..."), Item("TARNEOrbitFile1", "&TARNE Orbit File..."),
                Separator("N17"), Item("FINDORBFile1", "FIND_ORB &File..."), Separator("N18"),
                Item("ElemEdit1", "&Edit/Save/Retrieve...")}),
           Separator("N19"), Item("GenEphem1", "&Generate Ephemeris..."), Item("ViewEphText1", "&View/Print/Save Text..."),
           Separator("N20"), Item("MeanMotion1", "Use &Mean Motion..."), Separator("N21"), Item("CreateChart1", "Create &Chart..."),
           Separator("N21A"), Item("DetermineOrbit1", "Determine Orbit...")}),
      Sub("Help1", "&Help",
          {Item("OnHelp1", "On &Help"), Separator("N22"), Item("Topics1", "&Topics..."), Separator("N23"), Item("User1", "&User"),
           Separator("N24A"), Item("OpenDemoNight1", "Open Demo Night"), Separator("N24"),
           Item("AboutThisExercise1", "&About...")}),
  };
  m.popup_ = Sub("PopupMenu1", "", {Item("Preferences2", "&Preferences...")});

  // Hidden as designed.
  for (const char* name : {"Preferences1", "PrefSeparator", "ShortFormat1", "LongFormat1", "N15",
                           "SearchTARNEOrbitFile1", "TARNEOrbitFile1", "OrbitSearch1", "Ephemeris1"})
    m.SetVisible(name, false);
  // Disabled as designed.
  for (const char* name :
       {"ImageFileType1", "ClearImages1", "LoadImages1", "LoadImg2", "LoadImg3", "LoadImg4", "DownloadOrbitDatabase1",
        "OtherURLs1", "SaveUpdates1", "Images1", "MeasImg1", "MeasImg2", "MeasImg3", "MeasImg4", "Blink1", "MovingObjects1", "Report1",
        "ViewEdit1", "SaveData1", "SpreadSheet1", "ShowSearchResults1", "GenEphem1", "ViewEphText1"})
    m.SetEnabled(name, false);
  return m;
}

MenuItem* MenuModel::Find(const std::string& name) {
  if (MenuItem* found = FindIn(bar_, name)) return found;
  if (popup_.name == name) return &popup_;
  return FindIn(popup_.children, name);
}

const MenuItem* MenuModel::Find(const std::string& name) const { return const_cast<MenuModel*>(this)->Find(name); }

MenuItem& MenuModel::At(const std::string& name) {
  MenuItem* item = Find(name);
  if (item == nullptr) throw std::logic_error("no menu item " + name);
  return *item;
}

void MenuModel::ForEach(const std::function<void(const MenuItem&)>& f) const {
  for (const auto& item : bar_) Walk(item, f);
  Walk(popup_, f);
}

std::vector<std::string> Captions(const MenuItem& menu) {
  std::vector<std::string> out;
  for (const auto& child : menu.children) out.push_back(child.separator ? "-" : child.caption);
  return out;
}

}  // namespace skarvel
