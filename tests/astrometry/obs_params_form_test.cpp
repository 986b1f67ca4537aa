#include "astrometry/obs_params_form.h"

#include <gtest/gtest.h>

#include <map>

#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testing::ScriptedPlatform;

/// Look-ups from two small tables, counting the calls.
class TableLookup : public ObjectLookup {
 public:
  std::map<std::string, std::string> names = {{"433", "Eros"}, {"1", "Ceres"}, {"2040", "Chant"}};
  std::map<std::string, std::string> designations = {{"Eros", "00433"}, {"Ceres", "00001"}, {"Chant", "02040"}};
  int byNumber = 0;
  int byName = 0;
  std::string FindNameByNumber(const std::string& n) override {
    ++byNumber;
    const auto it = names.find(n);
    return it == names.end() ? "" : it->second;
  }
  std::string FindDesignationByName(const std::string& name) override {
    ++byName;
    for (const auto& [key, value] : designations)
      if (key.size() == name.size() && std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
          }))
        return value;
    return "";
  }
};

struct Fixture {
  ScriptedPlatform ui;
  TableLookup lookup;
  VerifiedIds verified;
  ObsParams record;
  Fixture() {
    record.observer = "A. Smith";
    record.observationTime = 40000.5;  // 2009/07/06 12:00:00
  }
  ObsParamsLogic Dialog(bool checkOnOk = true, ObsParamsSettings settings = {}) {
    return ObsParamsLogic(record, "Verify/Complete", checkOnOk, settings, verified, lookup, ui);
  }
};

const std::string kTail =
    "\r\n\r\nSelect \"OK\" to Continue with Current Entries, \"Cancel\" to Return to Dialog.  (You can edit the "
    "report later.)";

TEST(ObsParamsDialog, OpensOnTheRecord) {
  Fixture f;
  f.record.note = kNoteDiscovery;
  f.record.objectName = "Eros";
  ObsParamsLogic dlg = f.Dialog();
  EXPECT_EQ(dlg.Caption(), "Observation Parameters - Verify/Complete");
  EXPECT_EQ(dlg.fields.date, "2009/07/06");
  EXPECT_EQ(dlg.fields.time, "12:00:00");
  EXPECT_TRUE(dlg.fields.discovery);
  dlg.Opened();  // AutoVerifyID off: no look-up
  EXPECT_EQ(f.lookup.byName + f.lookup.byNumber, 0);
  ObsParamsLogic autoDlg(f.record, "m1.fit", false, {true, true, true, 2026}, f.verified, f.lookup, f.ui);
  EXPECT_EQ(autoDlg.Caption(), "Observation Parameters - m1.fit");
  autoDlg.Opened();
  EXPECT_EQ(autoDlg.fields.number, "433");
  EXPECT_EQ(f.ui.BusyDepth(), 0);
  EXPECT_GT(f.ui.BusyCalls(), 0);
}

TEST(ObsParamsDialog, NumbersArePaddedAndCometNumbersNeedNoLookup) {
  Fixture f;
  ObsParamsLogic dlg = f.Dialog();
  dlg.fields.number = "1";
  dlg.VerifyObjectID(IdField::Number);
  EXPECT_EQ(dlg.fields.name, "Ceres");
  EXPECT_FALSE(dlg.fields.discoveryEnabled);
  ASSERT_TRUE(dlg.Ok());
  EXPECT_EQ(f.record.number, "00001");
  EXPECT_EQ(f.record.objectName, "Ceres");
  EXPECT_TRUE(f.ui.Messages().empty());

  Fixture g;
  ObsParamsLogic comet = g.Dialog();
  comet.fields.number = "12p";
  comet.VerifyObjectID(IdField::Number);
  EXPECT_EQ(comet.fields.number, "12P");
  EXPECT_EQ(comet.fields.objectType, 1);
  EXPECT_EQ(g.lookup.byNumber, 0);
  ASSERT_TRUE(comet.Ok());
  EXPECT_EQ(g.record.number, "0012P");
  EXPECT_EQ(g.record.objectType, 1);
}

TEST(ObsParamsDialog, NumberFieldTakesOnlyWholePositiveNumbers) {
  for (const char* bad : {"abc", "0", "000", "4.5", "-3", "12 3", "P", "xP", "A00", "A0001x"}) {
    Fixture f;
    f.record.number = "00433";
    ObsParamsLogic dlg = f.Dialog(false);
    dlg.fields.number = bad;
    EXPECT_FALSE(dlg.Ok()) << bad;
    EXPECT_EQ(f.record.number, "00433") << bad;  // the record is left as it was
    ASSERT_EQ(f.ui.Messages().size(), 1u) << bad;
    EXPECT_EQ(f.ui.Messages()[0].text, std::string("\"") + bad +
                                           "\" is not a valid Object Number!\r\n\r\nEnter a whole positive number "
                                           "(such as 433, or 12P for a periodic comet), or leave the Number field empty.");
    EXPECT_EQ(f.ui.Messages()[0].caption, "Invalid Object Number!");
    EXPECT_EQ(f.ui.Messages()[0].icon, Icon::Error);
  }
  // Packed numbers stand for their numbers; blanks around a number are dropped.
  const std::pair<const char*, const char*> good[] = {
      {"A0001", "100001"}, {"a0191", "360191"}, {"00433", "00433"}, {" 433 ", "00433"}, {"", ""}, {"3d", "0003D"}};
  for (const auto& [typed, stored] : good) {
    Fixture f;
    ObsParamsLogic dlg = f.Dialog(false);
    dlg.fields.number = typed;
    EXPECT_TRUE(dlg.Ok()) << typed;
    EXPECT_EQ(f.record.number, stored) << typed;
    EXPECT_TRUE(f.ui.Messages().empty()) << typed;
  }
  // "~0000" is 620000: seven digits still fit the field; the largest packed number does not.
  EXPECT_EQ(ObjectNumberText("~0000"), std::optional<std::string>("620000"));
  EXPECT_EQ(ObjectNumberText("~zzzz"), std::nullopt);
}

TEST(ObsParamsDialog, DesignationField) {
  Fixture f;
  ObsParamsLogic dlg = f.Dialog();
  dlg.fields.designation = "J98SG2";  // six characters: nothing happens
  dlg.fields.name = "kept";
  dlg.VerifyObjectID(IdField::Designation);
  EXPECT_EQ(dlg.fields.name, "kept");
  EXPECT_EQ(f.lookup.byName, 0);
  EXPECT_EQ(f.ui.BusyDepth(), 0);
  EXPECT_EQ(f.verified.designation, "");

  dlg.fields.designation = "J98SG2S";
  dlg.fields.number = "77";
  dlg.VerifyObjectID(IdField::Designation);
  EXPECT_EQ(dlg.fields.name, "1998 SS162");
  EXPECT_EQ(dlg.fields.number, "");  // the look-up gave no number
  EXPECT_EQ(dlg.fields.designation, "J98SG2S");
  EXPECT_FALSE(dlg.fields.discoveryEnabled);
  EXPECT_EQ(f.lookup.byName, 1);

  // A packed designation that is a number in the database.
  f.lookup.designations["2010 AB100"] = "000433";
  dlg.fields.designation = "K10AA0B";
  dlg.VerifyObjectID(IdField::Designation);
  EXPECT_EQ(dlg.fields.number, "433");
  EXPECT_EQ(dlg.fields.designation, "");
}

TEST(ObsParamsDialog, NamesAreVerifiedOnceAndPackedNamesUnpacked) {
  Fixture f;
  ObsParamsLogic dlg = f.Dialog();
  dlg.fields.name = "Eros  ";
  dlg.VerifyObjectID(IdField::Name);
  EXPECT_EQ(dlg.fields.name, "Eros");
  EXPECT_EQ(dlg.fields.number, "433");
  EXPECT_EQ(dlg.fields.designation, "");
  EXPECT_EQ(f.lookup.byName, 1);
  dlg.fields.number = "changed";
  dlg.fields.name = "Eros";
  dlg.VerifyObjectID(IdField::Name);
  EXPECT_EQ(dlg.fields.number, "433");  // remembered texts put back
  EXPECT_EQ(f.lookup.byName, 1);        // no second look-up

  // An unknown readable designation is packed and shown unpacked.
  dlg.fields.name = "1999 XY12";
  dlg.VerifyObjectID(IdField::Name);
  EXPECT_EQ(dlg.fields.designation, "J99X12Y");
  EXPECT_EQ(dlg.fields.name, "1999 XY12");
  EXPECT_FALSE(dlg.fields.discoveryEnabled);
  // The same in the nine-character form of the new report format.
  Fixture n;
  ObsParamsLogic nine = n.Dialog(true, {false, true, false, 2026});
  nine.fields.name = "1999 XY12";
  nine.VerifyObjectID(IdField::Name);
  EXPECT_EQ(nine.fields.designation, "J99X0012Y");

  // A packed name becomes the designation, the name its readable form.
  Fixture p;
  ObsParamsLogic packed = p.Dialog();
  packed.fields.name = "J98SG2S";
  packed.VerifyObjectID(IdField::Name);
  EXPECT_EQ(packed.fields.name, "1998 SS162");
  EXPECT_EQ(packed.fields.designation, "J98SG2S");
  EXPECT_EQ(packed.fields.objectType, 0);

  // A number typed as the name, a name unknown everywhere, a periodic comet.
  Fixture q;
  ObsParamsLogic other = q.Dialog();
  other.fields.name = "2040";
  other.VerifyObjectID(IdField::Name);
  EXPECT_EQ(other.fields.number, "2040");
  EXPECT_EQ(other.fields.name, "Chant");
  other.fields.name = "(433)";
  other.VerifyObjectID(IdField::Name);
  EXPECT_EQ(other.fields.number, "433");
  EXPECT_EQ(other.fields.name, "Eros");
  other.fields.name = "Nowhere Rock";
  other.VerifyObjectID(IdField::Name);
  EXPECT_EQ(other.fields.number, "");
  EXPECT_EQ(other.fields.designation, "");
  EXPECT_TRUE(other.fields.discoveryEnabled);
  other.fields.name = "P/Halley";
  other.VerifyObjectID(IdField::Name);
  EXPECT_EQ(other.fields.objectType, 1);
}

TEST(ObsParamsDialog, NameNumberCheck) {
  Fixture f;
  ObsParamsLogic dlg = f.Dialog();
  dlg.fields.name = "  (433)_eros ";
  dlg.VerifyObjectID(IdField::Name);
  EXPECT_EQ(dlg.fields.name, "eros");
  EXPECT_EQ(dlg.fields.number, "433");
  EXPECT_TRUE(f.ui.Messages().empty());

  dlg.fields.name = "(433) Ceres";
  dlg.VerifyObjectID(IdField::Name);
  ASSERT_EQ(f.ui.Messages().size(), 1u);
  EXPECT_EQ(f.ui.Messages()[0].text,
            "Minor Planet Name & Number do not agree!\r\n\r\n(433) is Eros\r\nCeres is (00001)");
  EXPECT_EQ(f.ui.Messages()[0].caption, "Name/Number Missmatch!");
  dlg.fields.name = "(1) Nobody";
  dlg.VerifyObjectID(IdField::Name);
  EXPECT_EQ(f.ui.Messages().at(1).text,
            "Minor Planet Name & Number do not agree!\r\n\r\n(1) is Ceres\r\nNobody does not exist!");
  EXPECT_EQ(dlg.fields.name, "(1) Nobody");  // left as typed
}

TEST(ObsParamsDialog, ReportWarningsOnOk) {
  struct Case {
    std::string name, designation, number;
    bool discovery;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"", "", "", false,
       "Observations reported to the Minor Planet Center must include either an Object Number or a "
       "Provisional/Temporary Designation."},
      {"x", "J99X12Y", "00433", false,
       "Observations should not include BOTH an Object Number and a Provisional/Temporary Designation."},
      {"x", "", "00433", true, "Numbered Objects should not be reported as Discoveries."},
      {"Nowhere Rock", "", "", true,
       "Observations reported to the Minor Planet Center must include either an "
       "Object Number or a Provisional/Temporary Designation."},
  };
  for (const Case& c : cases) {
    Fixture f;
    ObsParamsLogic dlg = f.Dialog();
    dlg.fields.name = c.name;
    dlg.fields.designation = c.designation;
    dlg.fields.number = c.number;
    dlg.fields.discovery = c.discovery;
    f.ui.AnswerNext(Answer::Cancel);
    EXPECT_FALSE(dlg.Ok()) << c.message;
    ASSERT_EQ(f.ui.Messages().size(), 1u) << c.message;
    const platform::MessageRequest& m = f.ui.Messages()[0];
    EXPECT_EQ(m.text, c.message + kTail);
    EXPECT_EQ(m.caption, "** See \"Guide to Minor-Body Astrometry\" **");
    EXPECT_EQ(m.icon, Icon::Stop);
    EXPECT_EQ(m.buttons, Buttons::OkCancel);
    EXPECT_TRUE(m.beep);
    EXPECT_EQ(f.record.objectName, "") << "Cancel keeps the record";
    f.ui.AnswerNext(Answer::Ok);
    EXPECT_TRUE(dlg.Ok());
  }
  // A discovery with a readable designation only.
  Fixture d;
  ObsParamsLogic dlg = d.Dialog();
  dlg.fields.designation = "1999 XY12";
  dlg.fields.discovery = true;
  EXPECT_TRUE(dlg.Ok());
  EXPECT_TRUE(d.ui.Messages().empty());
  EXPECT_EQ(d.record.note, kNoteDiscovery);
  // Without the check on OK nothing is asked.
  Fixture w;
  ObsParamsLogic quiet = w.Dialog(false);
  EXPECT_TRUE(quiet.Ok());
  EXPECT_TRUE(w.ui.Messages().empty());
}

TEST(ObsParamsDialog, SimulatedImagesNeverWarnNorAllowDiscovery) {
  Fixture f;
  f.record.note = kNoteSimulated;
  ObsParamsLogic dlg = f.Dialog();
  dlg.fields.name = "Nowhere Rock";
  dlg.VerifyObjectID(IdField::Name);
  EXPECT_FALSE(dlg.fields.discoveryEnabled);
  EXPECT_FALSE(dlg.fields.discovery);
  EXPECT_TRUE(dlg.Ok());
  EXPECT_TRUE(f.ui.Messages().empty());
  EXPECT_EQ(f.record.note, kNoteSimulated);
}

TEST(ObsParamsDialog, DateTimeDiscoveryAndClearing) {
  Fixture f;
  f.record.note = kNoteDiscovery;
  ObsParamsLogic dlg = f.Dialog(false);
  dlg.fields.date = "2009/13/01";
  EXPECT_FALSE(dlg.Ok());
  EXPECT_EQ(f.ui.Messages().at(0).caption, "Calendar Date Error!");
  EXPECT_DOUBLE_EQ(f.record.observationTime, 40000.5);
  dlg.fields.date = "2009/07/07";
  dlg.fields.time = "06:00:00";
  dlg.fields.discovery = false;  // unticking clears a discovery
  ASSERT_TRUE(dlg.Ok());
  EXPECT_NEAR(f.record.observationTime, 40001.25, 1e-9);
  EXPECT_EQ(f.record.note, kNoteNormal);

  f.verified = {"a", "b", "c"};
  f.record.objectName = "x";
  f.record.note = 2;
  f.record.objectType = 1;
  ClearObsParams(f.record, f.verified);
  EXPECT_EQ(f.record, ObsParams{});
  EXPECT_EQ(f.verified.name + f.verified.number + f.verified.designation, "");
}

}  // namespace
}  // namespace skarvel
