// The chart: what an ephemeris or the report's observations give the
// reference-field window, and the steps and messages of the chart dialog.
#include "orbits/chart_form.h"

#include <gtest/gtest.h>

#include "support/scripted_platform.h"

namespace skarvel {
namespace {

using Action = ChartControlLogic::Action;
using Step = ChartControlLogic::Step;
using platform::Icon;
using testing::ScriptedPlatform;

RecordList<EphemerisRecord> Table(int n) {
  RecordList<EphemerisRecord> table;
  for (int k = 0; k < n; ++k) {
    EphemerisRecord r;
    r.dateTime = 46000.0 + k / 24.0;
    r.raHours = 22.5L + 0.05L * k;
    r.decDeg = -10 - 0.1L * k;
    r.magnitude = 15 + 0.01L * k;
    table.Append(r);
  }
  return table;
}

OrbitElements Elements(std::string name, std::string designation, std::uint8_t origin) {
  OrbitElements el;
  el.name = std::move(name);
  el.designation = std::move(designation);
  el.origin = origin;
  return el;
}

TEST(ChartDesignation, NumberInParenthesesOnlyForNumberedMinorPlanets) {
  EXPECT_EQ(ChartDesignation(Elements("Eros", "433", kOriginMinorPlanet)), "(433) Eros");
  EXPECT_EQ(ChartDesignation(Elements("1998 SS162", "J98SG2S", kOriginMinorPlanet)), "1998 SS162");
  EXPECT_EQ(ChartDesignation(Elements("Nameless", "", kOriginMinorPlanet)), "Nameless");
  EXPECT_EQ(ChartDesignation(Elements("Halley", "1", 1)), "Halley");
}

TEST(EphemerisChart, CentralRecordFirstThenTheOthersInTableOrder) {
  RecordList<EphemerisRecord> table = Table(5);
  EphemerisParams params;
  params.unitsPerDay = 24;
  params.stepDays = 1.0L / 24;
  const ChartField chart = EphemerisChart(table, 2, Elements("Eros", "433", kOriginMinorPlanet), params, 30);
  const ChartContent& c = chart.content;
  EXPECT_EQ(c.source, ChartContent::Source::Ephemeris);
  EXPECT_EQ(c.designation, "(433) Eros");
  ASSERT_EQ(c.positions.size(), 5U);
  const int order[] = {2, 0, 1, 3, 4};
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_EQ(c.positions[k].raHours, table.GetAt(order[k])->raHours) << k;
    EXPECT_EQ(c.positions[k].decDeg, table.GetAt(order[k])->decDeg) << k;
  }
  const EphemerisRecord& centre = *table.GetAt(2);
  EXPECT_EQ(c.centralTime, 46000.0 + 2 / 24.0);
  EXPECT_EQ(c.centralRAHours, centre.raHours);
  EXPECT_EQ(c.centralDecDeg, centre.decDeg);
  EXPECT_TRUE(c.hourlySteps);
  EXPECT_NEAR(static_cast<double>(c.step), 1.0, 1e-15);
  EXPECT_EQ(c.magnitude, centre.magnitude);
  EXPECT_EQ(chart.field.centreRaHours, centre.raHours);
  EXPECT_EQ(chart.field.centreDecDeg, centre.decDeg);
  EXPECT_EQ(chart.field.sizeArcMin, 30);
  EXPECT_EQ(chart.field.chartTime, c.centralTime);
}

TEST(EphemerisChart, DailyStepsAndTheFirstRecordAsCentre) {
  RecordList<EphemerisRecord> table = Table(3);
  EphemerisParams params;
  params.unitsPerDay = 1;
  params.stepDays = 2;
  const ChartField chart = EphemerisChart(table, 0, Elements("Comet", "", 1), params, 15);
  EXPECT_FALSE(chart.content.hourlySteps);
  EXPECT_EQ(chart.content.step, 2);
  EXPECT_EQ(chart.content.positions[0].raHours, table.GetAt(0)->raHours);
  EXPECT_EQ(chart.content.positions[1].raHours, table.GetAt(1)->raHours);
  EXPECT_THROW(EphemerisChart(table, 3, Elements("x", "", 0), params, 15), std::out_of_range);
}

TEST(ObservationChart, MeasuredPositionsCentralFirst) {
  std::vector<ObservationRecord> obs(3);
  for (std::size_t k = 0; k < 3; ++k) {
    obs[k].params.objectName = "(433) Eros";
    obs[k].params.observationTime = 46000.5 + static_cast<double>(k);
    obs[k].target.fitRA = 3 + 0.01L * static_cast<long double>(k);
    obs[k].target.fitDec = 20 + 0.02L * static_cast<long double>(k);
    obs[k].target.catRA = 99;  // the catalog columns are not the measured place
  }
  const ChartField chart = ObservationChart(obs, 1, 20);
  EXPECT_EQ(chart.content.source, ChartContent::Source::Observations);
  ASSERT_EQ(chart.content.positions.size(), 3U);
  EXPECT_EQ(chart.content.positions[0].raHours, obs[1].target.fitRA);
  EXPECT_EQ(chart.content.positions[0].decDeg, obs[1].target.fitDec);
  EXPECT_EQ(chart.content.positions[1].raHours, obs[0].target.fitRA);
  EXPECT_EQ(chart.content.positions[2].raHours, obs[2].target.fitRA);
  EXPECT_EQ(chart.content.designation, "(433) Eros");
  EXPECT_EQ(chart.field.centreRaHours, obs[1].target.fitRA);
  EXPECT_EQ(chart.field.chartTime, 46001.5);
  EXPECT_EQ(chart.field.sizeArcMin, 20);
  EXPECT_THROW(ObservationChart(obs, 3, 20), std::out_of_range);
}

TEST(ChartDialog, OptionsEnabledByWhatExists) {
  ChartControlLogic box;
  box.Open(false, true, true);
  EXPECT_EQ(box.CurrentStep(), Step::kOptions);
  EXPECT_FALSE(box.ephemerisEnabled);
  EXPECT_FALSE(box.plotEphemeris);  // nothing to preselect without a table
  EXPECT_TRUE(box.observationsEnabled);
  EXPECT_EQ(box.Caption(), "Chart Options");
  EXPECT_EQ(box.Prompt(), "Select options for chart.  Press \"OK\" when ready.");
  box.Open(true, false, true);
  EXPECT_TRUE(box.plotEphemeris);
  EXPECT_FALSE(box.observationsEnabled);
}

TEST(ChartDialog, EphemerisCentreAskedUntilATableLineIsChosen) {
  ScriptedPlatform ui;
  ChartControlLogic box;
  box.Open(true, true, false);
  box.plotEphemeris = true;
  box.plotObservations = true;  // the ephemeris wins
  EXPECT_EQ(box.Ok(ui), Action::kShowEphemeris);
  EXPECT_EQ(box.CurrentStep(), Step::kIdentifyEphemeris);
  EXPECT_EQ(box.Caption(), "Identify Chart Center");
  EXPECT_EQ(box.Prompt(), "Select an Ephemeris Record for center of chart field.  Press \"OK\" when ready.");
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_EQ(box.Ok(ui, std::nullopt), Action::kNone);
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].text, "Select an Ephemeris Record and Press \"OK\"!");
  EXPECT_EQ(ui.Messages()[0].caption, "Not an Ephemeris Record!");
  EXPECT_EQ(ui.Messages()[0].icon, Icon::Exclamation);
  EXPECT_EQ(box.CurrentStep(), Step::kIdentifyEphemeris);
  EXPECT_EQ(box.Ok(ui, 4), Action::kChartEphemeris);
  EXPECT_EQ(box.CurrentStep(), Step::kClosed);
  EXPECT_EQ(ui.Messages().size(), 1U);
}

TEST(ChartDialog, MeasuredPositionsAndCancel) {
  ScriptedPlatform ui;
  ChartControlLogic box;
  box.Open(true, true, false);
  box.plotObservations = true;
  EXPECT_EQ(box.Ok(ui), Action::kShowObservations);
  EXPECT_EQ(box.Prompt(), "Select a Measurement Record for center of chart field.  Press \"OK\" when ready.");
  EXPECT_EQ(box.Ok(ui, std::nullopt), Action::kNone);
  ASSERT_EQ(ui.Messages().size(), 1U);
  EXPECT_EQ(ui.Messages()[0].text, "Select a Measurement Record and Press \"OK\"!");
  EXPECT_EQ(box.Cancel(), Action::kShowObservations);  // the list it opened is closed
  EXPECT_EQ(box.CurrentStep(), Step::kClosed);
  EXPECT_EQ(box.Cancel(), Action::kNone);
  // Nothing ticked: OK closes with nothing to do.
  box.Open(true, true, false);
  EXPECT_EQ(box.Ok(ui), Action::kNone);
  EXPECT_EQ(box.CurrentStep(), Step::kClosed);
  // A ticked box that is disabled does not count.
  box.Open(false, false, false);
  box.plotEphemeris = true;
  EXPECT_EQ(box.Ok(ui), Action::kNone);
}

}  // namespace
}  // namespace skarvel
