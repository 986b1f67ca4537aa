// The "Orbital Elements" dialog logic: filling, the three element sets, the
// date conversions, OK, Verify, Clear and the "&File..." pop-up.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "foundations/angles.h"
#include "foundations/astro_constants.h"
#include "foundations/strings.h"
#include "orbits/element_form.h"
#include "orbits/kepler.h"
#include "orbits/saved_orbits.h"
#include "support/scripted_list_runner.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#define EXPECT_LNEAR(a, b, tol) EXPECT_LE(std::fabs(static_cast<long double>(a) - static_cast<long double>(b)), (tol)) \
  << #a " = " << static_cast<double>(a)

namespace skarvel {
namespace {

using platform::Answer;
using testing::ScriptedListRunner;
using testing::ScriptedPlatform;
using testing::TempDir;

/// (433) Eros as the MPC gives it (epoch 2019 Jul 2.0).
OrbitElements Eros() {
  OrbitElements el;
  el.name = "Eros";
  el.designation = "433";
  el.epoch = 2458666.5L;
  el.a = 1.4581823L * kAstronomicalUnitKm;
  el.e = 0.2227385L;
  el.i = 10.82858L * kRadiansPerDegree;
  el.node = 304.30424L * kRadiansPerDegree;
  el.peri = 178.83549L * kRadiansPerDegree;
  el.M = 84.17190L * kRadiansPerDegree;
  el.H = 11.16L;
  el.G = 0.46L;
  QFromA(el);
  MeanMotion(el);
  TFromM(el);
  return el;
}

struct Fixture {
  ScriptedPlatform ui;
  CurrentElements current;
  ElementDialogLogic logic{current, ui};
  Fixture() { logic.currentYear = 2026; }
};

TEST(ElementDialog, BlankAndFilled) {
  Fixture f;
  f.current.codes = {1, 2, 3, 4, 5, 6};
  f.logic.Fill();  // nothing current: blank
  EXPECT_EQ(f.logic.fields, ElementFields{});
  EXPECT_EQ(f.logic.fields.set, ElementSet::kMinorPlanet);
  EXPECT_EQ(f.logic.fields.equinox, EquinoxChoice::kJ2000);
  EXPECT_EQ(f.current.codes, OrbitCodes{});

  f.current.Set(Eros(), OrbitCodes{0, 0, 0, 0, 3, 0}, ElementSource::kMpc, 43000.0);
  f.logic.startBlank = false;
  f.logic.Fill();
  const ElementFields& x = f.logic.fields;
  EXPECT_EQ(x.name, "Eros");
  EXPECT_EQ(x.designation, "433");
  EXPECT_EQ(x.epochJD, "2458666.5");
  EXPECT_EQ(x.epochDate, "2019/07/02.0");
  EXPECT_EQ(x.a, "1.4581823");
  EXPECT_EQ(x.e, "0.2227385");
  EXPECT_EQ(x.q, "1.133389");  // (1 - e) a
  EXPECT_EQ(x.incl, "10.82858");
  EXPECT_EQ(x.node, "304.30424");
  EXPECT_EQ(x.peri, "178.83549");
  EXPECT_EQ(x.M, "84.1719");
  EXPECT_EQ(x.longPeri, "123.13973");  // node + peri - 360
  EXPECT_EQ(x.L, "207.31163");
  EXPECT_EQ(x.H, "11.16");
  EXPECT_EQ(x.G, "0.46");
  EXPECT_EQ(x.T.size(), 16u);
  EXPECT_EQ(x.JDT, FormatFixed(5, f.current.elements.T));
  // OK without an edit keeps the elements as they came, source and all.
  const OrbitElements before = f.current.elements;
  EXPECT_TRUE(f.logic.Ok());
  EXPECT_EQ(f.current.source, ElementSource::kMpc);
  EXPECT_EQ(f.current.elements.M, before.M);
  EXPECT_EQ(f.current.codes[4], 3);
}

TEST(ElementDialog, EnabledFieldsBySet) {
  ElementFields f;
  using F = ElementField;
  const auto enabled = [&f] {
    std::string s;
    for (F x : {F::kA, F::kE, F::kIncl, F::kNode, F::kPeri, F::kM, F::kQ, F::kLongPeri, F::kL, F::kH, F::kG, F::kT,
                F::kJDT})
      s += f.Enabled(x) ? '1' : '0';
    return s;
  };
  //                       a e i O w M q P L H G T J
  EXPECT_EQ(enabled(), "1111110001100");
  f.set = ElementSet::kComet;
  EXPECT_EQ(enabled(), "0111101001110");
  f.dateFormat = 1;
  EXPECT_EQ(enabled(), "0111101001101");
  f.set = ElementSet::kPlanet;
  EXPECT_EQ(enabled(), "1111000110000");
}

TEST(ElementDialog, DateFieldsKeepInStep) {
  Fixture f;
  f.logic.fields.JDT = "2455400.5";
  f.logic.LeaveJDT();
  EXPECT_EQ(f.logic.fields.T, "2010/07/23.00000");
  f.logic.fields.T = "2010/07/23.25";
  f.logic.LeaveT();
  EXPECT_EQ(f.logic.fields.JDT, "2455400.75000");
  f.logic.fields.T = "2010/07/24";  // no point: fraction 0.0
  f.logic.LeaveT();
  EXPECT_EQ(f.logic.fields.JDT, "2455401.50000");
  f.logic.fields.epochDate = "1997/10/13.0";
  f.logic.LeaveEpochDate();
  EXPECT_EQ(f.logic.fields.epochJD, "2450734.5");
  f.logic.fields.epochJD = "2451545.0";
  f.logic.LeaveEpochJD();
  EXPECT_EQ(f.logic.fields.epochDate, "2000/01/01.0");
  EXPECT_TRUE(f.ui.Messages().empty());

  f.logic.fields.T = "2010/13/40.5";
  f.logic.LeaveT();
  f.logic.fields.T = "2010/07/23.5x";
  f.logic.LeaveT();
  f.logic.fields.JDT = "abc";
  f.logic.LeaveJDT();
  f.logic.fields.epochDate = "1997/02/30.0";
  f.logic.LeaveEpochDate();
  std::vector<std::string> texts;
  for (const auto& m : f.ui.Messages()) texts.push_back(m.caption + " " + m.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Calendar Date Error! \"2010/13/40.5\" is not a valid Calendar Date!",
                                             "Calendar Date Error! \"2010/07/23.5x\" is not a valid Calendar Date!",
                                             "Julian Date Error! \"abc\" is not a valid Julian Date!",
                                             "Calendar Date Error! \"1997/02/30.0\" is not a valid Calendar Date!"}));
  // The other field keeps its value after a failure.
  EXPECT_EQ(f.logic.fields.T, "2010/07/23.5x");
  EXPECT_EQ(f.logic.fields.epochJD, "2451545.0");
}

/// A comet typed in: q 1 AU, e 1, perihelion 2010/07/23.0.
void TypeComet(ElementFields& x) {
  x.name = "C/2010 X1";
  x.set = ElementSet::kComet;
  x.epochDate = "2010/07/01.0";
  x.q = "1.0";
  x.e = "1";
  x.incl = "30";
  x.node = "100";
  x.peri = "200";
  x.T = "2010/07/23.0";
  x.H = "8";
  x.G = "4";
}

TEST(ElementDialog, ParabolicCometLeavesAEmpty) {
  Fixture f;
  TypeComet(f.logic.fields);
  ASSERT_TRUE(f.logic.Verify());
  EXPECT_FALSE(f.current.valid);  // Verify leaves the current elements alone
  EXPECT_EQ(f.logic.fields.a, "");
  EXPECT_EQ(f.logic.fields.q, "1.0");
  EXPECT_EQ(f.logic.fields.JDT, "2455400.50000");
  EXPECT_EQ(f.logic.fields.epochJD, "2455378.5");
  ASSERT_TRUE(f.logic.Ok());
  EXPECT_EQ(f.current.source, ElementSource::kElementDialog);
  const OrbitElements& el = f.current.elements;
  EXPECT_EQ(el.objectKind, 1);
  EXPECT_EQ(el.origin, kOriginComet);
  EXPECT_EQ(el.magModel, kMagModelComet);
  EXPECT_EQ(el.H, 8);
  EXPECT_EQ(el.G, 4);
  EXPECT_EQ(el.T, 2455400.5L);
  EXPECT_LNEAR(el.q, kAstronomicalUnitKm, 1e-6L);
  // 22 days before perihelion: M = -n 22 d (n of the parabola, GM of the Sun).
  const long double n = std::sqrt(2 * 132712440000.0L / 4) / std::pow(kAstronomicalUnitKm, 1.5L);
  EXPECT_LNEAR(el.M, -n * 86400 * 22, 1e-12L);
}

TEST(ElementDialog, MinorPlanetAndPlanetSets) {
  Fixture f;
  ElementFields& x = f.logic.fields;
  x.name = "Test";
  x.designation = "K10AA0B";
  x.epochDate = "2000/01/01.0";
  x.a = "2.5";
  x.e = "0.1";
  x.incl = "5";
  x.node = "80";
  x.peri = "70";
  x.M = "10";
  x.equinox = EquinoxChoice::kB1950;
  ASSERT_TRUE(f.logic.Ok());
  OrbitElements el = f.current.elements;
  EXPECT_EQ(el.frame.equinoxKind, EquinoxKind::kBesselian);
  EXPECT_EQ(el.frame.equinoxJD, 2433282.4235L);
  EXPECT_EQ(el.equinoxIndex, 1);
  EXPECT_EQ(el.epoch, 2451544.5L);
  EXPECT_LNEAR(el.q, 2.25L * kAstronomicalUnitKm, 1e-3L);
  EXPECT_EQ(el.H, 0);  // empty magnitude fields are 0
  EXPECT_EQ(el.magModel, kMagModelAsteroid);

  // The planet set: a, e, Incl, Node, LngP, L; no magnitude.
  x.set = ElementSet::kPlanet;
  x.equinox = EquinoxChoice::kOfDate;
  x.longPeri = "150";
  x.L = "160";
  x.M = "999";  // not of the set
  ASSERT_TRUE(f.logic.Ok());
  el = f.current.elements;
  EXPECT_EQ(el.magModel, 0);
  EXPECT_EQ(el.origin, kOriginPlanet);
  EXPECT_EQ(el.frame.equinoxKind, EquinoxKind::kOfDate);
  EXPECT_EQ(el.frame.equinoxJD, 2451544.5L);
  EXPECT_LNEAR(el.peri * kDegreesPerRadian, 70, 1e-12L);  // 150 - 80
  EXPECT_LNEAR(el.M * kDegreesPerRadian, 10, 1e-12L);     // 160 - 150
  f.logic.Fill();
  EXPECT_EQ(f.logic.fields.H, "");
  EXPECT_EQ(f.logic.fields.G, "");
  EXPECT_EQ(f.logic.fields.set, ElementSet::kPlanet);
  EXPECT_EQ(f.logic.fields.equinox, EquinoxChoice::kOfDate);
}

TEST(ElementDialog, BadFieldsKeepTheDialogOpen) {
  Fixture f;
  f.current.Set(Eros(), OrbitCodes{}, ElementSource::kLowell, 1.0);
  f.logic.startBlank = false;
  f.logic.Fill();
  const auto rejects = [&f](std::string ElementFields::*field, const std::string& text, const std::string& message) {
    ElementFields keep = f.logic.fields;
    f.logic.fields.*field = text;
    f.ui.ClearRecords();
    EXPECT_FALSE(f.logic.Ok()) << text;
    ASSERT_EQ(f.ui.Messages().size(), 1u) << text;
    EXPECT_EQ(f.ui.Messages()[0].text, message);
    EXPECT_EQ(f.current.source, ElementSource::kLowell);
    f.logic.fields = keep;
  };
  rejects(&ElementFields::a, "2,5", "\"2,5\" is not a valid value for a:");
  rejects(&ElementFields::a, "-1", "\"-1\" is not a valid value for a:");
  rejects(&ElementFields::e, "1.2", "\"1.2\" is not a valid value for e:");
  rejects(&ElementFields::e, "-0.1", "\"-0.1\" is not a valid value for e:");
  rejects(&ElementFields::incl, "", "\"\" is not a valid value for Incl:");
  rejects(&ElementFields::H, "bright", "\"bright\" is not a valid value for H:");
  rejects(&ElementFields::epochDate, "2019/7", "\"2019/7\" is not a valid Calendar Date!");
  EXPECT_EQ(f.ui.Messages()[0].caption, "Calendar Date Error!");
}

TEST(ElementDialog, ClearAndTheFilePopup) {
  TempDir dir;
  Fixture f;
  f.logic.savedOrbitsPath = dir / "SAVORBS.DAT";
  f.current.Set(Eros(), OrbitCodes{}, ElementSource::kMpc, 1.0);
  f.logic.startBlank = false;
  f.logic.Fill();
  // No to the question: nothing is written.
  f.ui.AnswerNext(Answer::No);
  EXPECT_FALSE(f.logic.SaveCurrent());
  EXPECT_EQ(f.ui.Messages()[0].text, "Write Current Orbit Data to File?");
  EXPECT_EQ(f.ui.Messages()[0].caption, "Confirm");
  EXPECT_FALSE(testing::Exists(dir / "SAVORBS.DAT"));
  f.ui.AnswerNext(Answer::Yes);
  EXPECT_TRUE(f.logic.SaveCurrent());
  SavedOrbitList saved = ReadSavedOrbits(dir / "SAVORBS.DAT");
  ASSERT_EQ(saved.Size(), 1u);
  EXPECT_EQ(saved.GetAt(0)->name, "Eros");

  f.logic.Clear();
  EXPECT_TRUE(f.logic.startBlank);
  EXPECT_EQ(f.logic.fields, ElementFields{});

  // Find the saved elements: they become current, from the user's file.
  ScriptedListRunner runner(f.ui);
  runner.Next({{0, "AccessSelectedRecord1"}});
  f.logic.listRunner = &runner;
  int taken = 0;
  f.logic.onElementsTaken = [&taken] { ++taken; };
  ASSERT_TRUE(f.logic.FindSaved());
  EXPECT_EQ(taken, 1);
  EXPECT_EQ(runner.Showings()[0].lines, std::vector<std::string>{"Eros"});
  EXPECT_EQ(f.current.source, ElementSource::kUserSaved);
  EXPECT_EQ(f.current.databaseDateTime, 0);
  EXPECT_FALSE(f.logic.startBlank);
  EXPECT_EQ(f.logic.fields.name, "Eros");
  EXPECT_EQ(f.logic.fields.a, "1.4581823");  // through the state vector and back
  EXPECT_EQ(f.logic.fields.M, "84.1719");
  // Closing the list without a choice takes nothing.
  runner.Next({});
  EXPECT_FALSE(f.logic.FindSaved());
  EXPECT_EQ(taken, 1);
}

}  // namespace
}  // namespace skarvel
