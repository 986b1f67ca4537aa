#include "astrometry/report_identity.h"

#include <gtest/gtest.h>

#include "astrometry/ades_report.h"
#include "astrometry/astrom_obs.h"
#include "astrometry/report_formats.h"
#include "config/options.h"
#include "orbits/designation.h"

namespace skarvel {
namespace {

ObsParams Named(const std::string& name, const std::string& number = "", const std::string& designation = "",
                std::uint8_t type = kMinorPlanetKind) {
  ObsParams p;
  p.objectName = name;
  p.number = number;
  p.designation = designation;
  p.objectType = type;
  p.observationTime = 47000.5;
  return p;
}

TEST(ReportIdentity, FieldsFirstThenTheName) {
  struct Case {
    ObsParams params;
    std::string number, designation, trkSub;
  };
  const std::vector<Case> cases = {
      {Named("Eros", "433"), "433", "", ""},
      {Named("Eros", " 433 ", "K19A00A"), "433", "K19A00A", ""},          // both fields stay as typed
      {Named("1620 GEOGRAPHOS"), "1620", "", ""},                          // the header's OBJECT
      {Named("(433) Eros"), "433", "", ""},
      {Named("433"), "433", "", ""},
      {Named("15396335 Last"), "15396335", "", ""},                        // the largest packed number
      {Named("15396336 Past"), "", "", "1539633"},                          // beyond it: no number
      {Named("0 Zero"), "", "", "0Zero"},
      {Named("2004 MN4"), "", "K04M04N", ""},                              // a designation, not number 2004
      {Named("1998 SS162"), "", "J98SG2S", ""},
      {Named("P/1995 O1", "", "", kCometKind), "", "J95O010", ""},
      {Named("1995 O1", "", "", kCometKind), "", "J95O010", ""},
      {Named("433 Eros", "", "", kCometKind), "", "", "433Eros"},          // comets take no number from a name
      {Named("SKV0001"), "", "", "SKV0001"},                               // a temporary designation
      {Named("my object #1"), "", "", "myobjec"},                          // 7 of [-A-Za-z0-9_]
      {Named("a_b-c"), "", "", "a_b-c"},
      {Named(""), "", "", ""},
      {Named("  #  "), "", "", ""},
  };
  for (const Case& c : cases) {
    const ReportIdentity id = ReportIdentityOf(c.params);
    EXPECT_EQ(id.number, c.number) << c.params.objectName;
    EXPECT_EQ(id.designation, c.designation) << c.params.objectName;
    EXPECT_EQ(id.trkSub, c.trkSub) << c.params.objectName;
    EXPECT_EQ(id.Identified(), !c.number.empty() || !c.designation.empty()) << c.params.objectName;
    EXPECT_EQ(id.Empty(), c.number.empty() && c.designation.empty() && c.trkSub.empty()) << c.params.objectName;
  }
}

// The 80-column line and ADES name each observation alike.
TEST(ReportIdentity, EightyColumnsAndAdesNameTheObjectAlike) {
  SiteRecord site = DefaultSiteRecord();
  site.code = "695";
  AstromObsObj report(UserRecord{}, CameraRecord{}, site);
  OptionsRecord options;
  ReferenceStar t;
  t.fitRA = 10;
  t.fitDec = 20;
  const std::vector<ObsParams> params = {Named("433 EROS"), Named("2004 MN4"), Named("SKV0001"), Named("")};
  for (std::size_t i = 0; i < params.size(); ++i) {
    ObsParams p = params[i];
    p.observationTime += static_cast<double>(i);
    report.AddObservation(p, t, options);
  }
  const AdesReport ades = MakeAdesReport(report);
  ASSERT_EQ(ades.observations.size(), 4u);
  auto ades_field = [&](std::size_t i, const std::string& name) {
    for (const AdesField& f : ades.observations[i])
      if (f.name == name) return f.value;
    return std::string("(none)");
  };
  const auto line = [&](std::size_t i) { return ObservationLines80(report.Observations()[i], site)[0]; };
  EXPECT_EQ(line(0).substr(0, 12), "00433       ");
  EXPECT_EQ(ades_field(0, "permID"), "433");
  EXPECT_EQ(ades_field(0, "trkSub"), "(none)");
  EXPECT_EQ(line(1).substr(0, 12), "     K04M04N");
  EXPECT_EQ(ades_field(1, "provID"), "2004 MN4");
  EXPECT_EQ(line(2).substr(0, 12), "     SKV0001");
  EXPECT_EQ(ades_field(2, "trkSub"), "SKV0001");
  // Nothing names the last one: the 80-column line is blank there (recording
  // warned of it) and ADES, which must name it, gives its own tracklet name.
  EXPECT_EQ(line(3).substr(0, 12), "            ");
  EXPECT_EQ(ades_field(3, "trkSub"), "NEW0004");
}

TEST(ReportIdentity, AnEditedObjectIsCarriedToTheOtherImagesOfIt) {
  const ObsParams before = Named("SKV0001");
  ObsParams after = before;
  after.objectName = "1620 Geographos";
  after.number = "1620";
  ObsParams same = before;
  same.observationTime = 47000.6;
  same.observer = "B. Other";
  ObsParams other = Named("SKV0002");
  EXPECT_TRUE(CarryIdentification(before, after, same));
  EXPECT_EQ(same.objectName, "1620 Geographos");
  EXPECT_EQ(same.number, "1620");
  EXPECT_EQ(same.observationTime, 47000.6);  // its own time and observer stay
  EXPECT_EQ(same.observer, "B. Other");
  EXPECT_FALSE(CarryIdentification(before, after, other));
  EXPECT_EQ(other.objectName, "SKV0002");
  // No change of the object: nothing carried (the time alone was edited).
  ObsParams timed = before;
  timed.observationTime = 1;
  ObsParams third = before;
  EXPECT_FALSE(CarryIdentification(before, timed, third));
  EXPECT_EQ(third.observationTime, before.observationTime);
}

}  // namespace
}  // namespace skarvel
