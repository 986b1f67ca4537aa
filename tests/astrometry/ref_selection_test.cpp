#include "astrometry/ref_selection.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/scripted_platform.h"
#include "support/synthetic_plate.h"

namespace skarvel {
namespace {

using platform::Answer;
using platform::Icon;
using testing::PlateStar;
using testing::ScriptedPlatform;
using testing::SyntheticImage;
using testing::SyntheticPlate;

// The windows around the selection, as far as the flow sees them.
struct Harness {
  SyntheticPlate plate;
  std::vector<PlateStar> stars;
  PlateStar target;
  SyntheticImage image{320, 240, 1000};
  ImageMeasurement m{0};
  std::vector<ReferenceStar> selection;
  OptionsRecord options;
  bool hintShown = false;
  ScriptedPlatform ui;
  std::vector<std::string> events;
  std::vector<CancelOptions> cancelOffers;
  std::vector<std::optional<CancelChoice>> cancelAnswers;
  bool verifyAnswer = true;
  std::unique_ptr<RefSelection> flow;

  Harness() {
    stars = testing::EightStars(plate);
    target = testing::TargetStar(plate);
    testing::Render(image, stars);
    testing::Render(image, {target});
    image.CountHistogram();
    m.NewImage(image.width, image.height, false, false);
    SelectionHooks h;
    h.measurement = [this]() -> ImageMeasurement& { return m; };
    h.view = [this] {
      MeasureView v;
      v.image = &image;
      v.clientWidth = image.width;
      v.clientHeight = image.height;
      return v;
    };
    h.fieldSelection = [this]() -> std::vector<ReferenceStar>& { return selection; };
    h.setAddRemove = [this](bool on) { events.push_back(on ? "addRemove on" : "addRemove off"); };
    h.clearReselect = [this] {
      events.push_back("clearReselect");
      selection.clear();
      m.references.clear();
      flow->StartSelection(0);
    };
    h.addRemove = [this] {
      events.push_back("addRemove");
      flow->StartSelection(0);
    };
    h.solutionTypeChanged = [this](std::uint8_t t) { events.push_back("model " + std::to_string(t)); };
    h.setMeasuring = [this](bool on) { events.push_back(on ? "measuring" : "not measuring"); };
    h.solutionSettings = [this] {
      SolutionSettings s;
      s.centreRAHours = plate.centreRA;
      s.centreDecDeg = plate.centreDec;
      s.solutionType = options.solutionType;
      s.expertMode = options.expertMode;
      return s;
    };
    h.showSolution = [this] { events.push_back("solution shown"); };
    h.closeSolution = [this] { events.push_back("solution closed"); };
    h.enableAddToReport = [this] { events.push_back("add enabled"); };
    h.addToReport = [this] { events.push_back("added"); };
    h.verifyObservationParameters = [this] {
      events.push_back("verify");
      return verifyAnswer;
    };
    h.adoptObservationParameters = [this] { events.push_back("adopt"); };
    h.releaseSlot = [this] { events.push_back("release"); };
    h.cancelOptions = [this](const CancelOptions& o) {
      cancelOffers.push_back(o);
      std::optional<CancelChoice> answer = CancelChoice::ReturnToStep;
      if (!cancelAnswers.empty()) {
        answer = cancelAnswers.front();
        cancelAnswers.erase(cancelAnswers.begin());
      }
      return answer;
    };
    h.closeMeasurement = [this](bool finished) { events.push_back(finished ? "closed finished" : "abandoned"); };
    // "&Auto-Match" as the matcher answers: the first six stars, found where they are.
    h.autoMatch = [this]() -> std::optional<std::vector<std::array<long double, 2>>> {
      events.push_back("auto-match");
      selection.clear();
      Select(6);
      std::vector<std::array<long double, 2>> at;
      for (std::size_t i = 0; i < 6; ++i) at.push_back({stars[i].imageX, stars[i].imageY});
      return at;
    };
    flow = std::make_unique<RefSelection>(ui, options, hintShown, h);
  }

  void Select(int count) {
    for (int i = 0; i < count; ++i)
      selection.push_back(SyntheticPlate::Reference(stars[static_cast<std::size_t>(i)], i + 1));
  }
  void Click(const PlateStar& s, long double dx = 2, long double dy = -1) { flow->ImageClicked(s.imageX + dx, s.imageY + dy); }
  bool HasEvent(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
  const platform::MessageRequest& LastMessage() const { return ui.Messages().back(); }
};

TEST(RefSelection, WholeMeasurementFromSelectionToReport) {
  Harness t;
  t.flow->StartSelection(0);
  EXPECT_EQ(t.flow->Title(), "Select Reference Stars");
  EXPECT_EQ(t.flow->Label(),
            "\r\n\r\nSelect at least 3 (more, if possible) Reference Stars on the Reference (left-hand) Display.  "
            "Press \"OK\" when finished.");
  EXPECT_EQ(t.flow->MinStars(), 3);
  EXPECT_FALSE(t.flow->AcceptVisible());
  EXPECT_FALSE(t.flow->ImproveVisible());
  t.Select(6);
  t.flow->Ok();
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kLocate);
  EXPECT_EQ(t.flow->Title(), "Locate Reference Stars");
  EXPECT_EQ(t.flow->Label(),
            "\r\n\r\nLocate Reference Star #1 on the Image 1 (right-hand) Display and press \"OK\".");
  ASSERT_EQ(t.m.references.size(), 6u);
  EXPECT_TRUE(t.HasEvent("addRemove off"));
  EXPECT_TRUE(t.HasEvent("measuring"));
  // OK without a click: refused.
  t.flow->Ok();
  EXPECT_EQ(t.LastMessage().text, "Please locate reference star #1 on the image 1 (right-hand) display!");
  EXPECT_EQ(t.LastMessage().caption, "No Selection Made!");
  EXPECT_EQ(t.LastMessage().icon, Icon::Warning);
  for (int k = 0; k < 3; ++k) {
    t.Click(t.stars[static_cast<std::size_t>(k)]);
    t.flow->Ok();
  }
  EXPECT_EQ(t.flow->LocateIndex(), 4);
  EXPECT_TRUE(t.flow->AcceptVisible());
  EXPECT_EQ(t.flow->Label(),
            "Press \"Accept\" if all projected identifications are acceptable (all images should lie within the "
            "inner (solid) Boxes).  Otherwise,...\r\n\r\nIf Reference Star #4 identification is acceptable, press "
            "\"OK\".  If not, locate Reference Star #4 on the Image 1 (right-hand) Display before pressing \"OK\".");
  // The predictions lie within a pixel; Accept takes them all.
  for (std::size_t i = 3; i < 6; ++i)
    EXPECT_NEAR(static_cast<double>(t.m.references[i].imageX), static_cast<double>(t.stars[i].imageX), 1.0);
  t.flow->Accept();
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kUnknown);
  EXPECT_EQ(t.flow->Title(), "Locate Unknown");
  EXPECT_EQ(t.flow->LocateIndex(), RefSelection::kAllLocated);
  EXPECT_FALSE(t.flow->AcceptVisible());
  for (const ReferenceStar& r : t.m.references) {
    EXPECT_TRUE(r.measured);
    EXPECT_GT(r.flux, 0);
  }
  // OK before the target is located.
  t.flow->Ok();
  EXPECT_EQ(t.LastMessage().text, "Please locate the target object on the image 1 (right-hand) display!");
  t.Click(t.target);
  ASSERT_TRUE(t.m.targetLocated);
  t.ui.AnswerNext(Answer::Yes);  // the sky is clean
  t.flow->Ok();
  EXPECT_EQ(t.LastMessage().caption, "Target Sky OK?");
  EXPECT_EQ(t.LastMessage().text,
            "Is the sky border (between the dotted and solid lines) surrounding\r\nthe target object free of stars "
            "and other objects?");
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kSolved);
  EXPECT_EQ(t.flow->Title(), "Solution OK?");
  EXPECT_TRUE(t.flow->ImproveVisible());
  EXPECT_EQ(t.flow->ImproveCaption(), "&Improve");
  EXPECT_TRUE(t.HasEvent("solution shown"));
  EXPECT_TRUE(t.m.plate.Solved());
  const long double dDec = (t.m.target.fitDec - t.target.decDeg) * 3600;
  EXPECT_LT(std::fabs(static_cast<double>(dDec)), 0.05);
  // Remove the highest residual: a new solution with five stars.
  const std::size_t messages = t.ui.Messages().size();
  t.flow->RemoveHighestResidual();
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kSolved);
  int used = 0;
  for (const ReferenceStar& r : t.m.references) used += r.usePos ? 1 : 0;
  EXPECT_EQ(used, 5);
  EXPECT_EQ(t.m.plate.PairCount(), 5);
  int selectedUsed = 0;
  for (const ReferenceStar& e : t.selection) selectedUsed += e.usePos ? 1 : 0;
  EXPECT_EQ(selectedUsed, 5);
  // Full quadratic with five stars passes the count of three but not the solution.
  t.flow->ChangeModel(2);
  EXPECT_EQ(t.options.solutionType, 2);
  EXPECT_TRUE(t.HasEvent("model 2"));
  ASSERT_GT(t.ui.Messages().size(), messages);
  EXPECT_EQ(t.LastMessage().text, "Not Enough Reference Stars for Selected Solution Type!");
  EXPECT_EQ(t.LastMessage().caption, "Insufficient References");
  EXPECT_EQ(t.LastMessage().icon, Icon::Error);
  t.flow->ChangeModel(1);
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kSolved);
  EXPECT_EQ(t.m.Constants().size(), 8u);
  // Accept the solution and record it.
  t.ui.AnswerNext(Answer::Yes);
  t.flow->Ok();
  EXPECT_EQ(t.LastMessage().text, "Record measurement on report list now?");
  EXPECT_EQ(t.LastMessage().caption, "Add to Report?");
  EXPECT_TRUE(t.HasEvent("add enabled"));
  EXPECT_TRUE(t.HasEvent("added"));
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kCompleted);
  EXPECT_EQ(t.flow->ImproveCaption(), "&New");
  EXPECT_EQ(t.flow->Title(), "Measurement Completed");
  t.flow->Ok();
  EXPECT_TRUE(t.HasEvent("closed finished"));
  EXPECT_EQ(t.ui.Unanswered(), 0);
}

// Measuring again an image solved before, with the target the moving-object
// search took (located, no flux yet): Auto-Match locates every reference,
// "Target Sky OK?" is answered Yes, and the solution follows; the pairs just
// located are not thrown away for another round of locating.
TEST(RefSelection, AutoMatchOnAnImageSolvedBeforeGoesOnToTheSolution) {
  Harness t;
  t.flow->StartSelection(0);
  t.flow->AutoMatch();
  t.Click(t.target);
  t.ui.AnswerNext(Answer::Yes);
  t.flow->Ok();
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kSolved);
  ASSERT_TRUE(t.m.plate.Solved());
  // The second measurement of the same image.
  t.flow->StartSelection(0);
  EXPECT_TRUE(t.flow->WasSolved());
  t.m.targetLocated = false;
  t.m.ResetTarget(false, false);
  MeasureView view;
  view.image = &t.image;
  view.clientWidth = t.image.width;
  view.clientHeight = t.image.height;
  ASSERT_TRUE(t.m.LocateTarget(view, t.options.unknownBox, t.target.imageX, t.target.imageY));
  t.m.target.flux = 0;
  t.ui.ClearRecords();
  t.ui.AnswerNext(Answer::Yes);  // "Target Sky OK?"
  t.flow->AutoMatch();
  ASSERT_FALSE(t.ui.Messages().empty());
  EXPECT_EQ(t.ui.Messages()[0].caption, "Target Sky OK?");
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kSolved);
  EXPECT_EQ(t.flow->Title(), "Solution OK?");
  EXPECT_TRUE(t.m.plate.Solved());
  EXPECT_EQ(t.m.plate.PairCount(), 6);
  EXPECT_FALSE(t.flow->WasSolved());
  for (const ReferenceStar& r : t.m.references) EXPECT_TRUE(r.measured);
  EXPECT_EQ(t.ui.Unanswered(), 0);
}

TEST(RefSelection, CountChecksAndTheOneTimeHint) {
  Harness t;
  t.flow->StartSelection(0);
  t.Select(2);
  t.flow->Ok();
  EXPECT_EQ(t.LastMessage().text, "You must select at least 3 reference stars for a linear solution!");
  EXPECT_EQ(t.LastMessage().caption, "Insufficient Reference Stars!");
  EXPECT_EQ(t.LastMessage().icon, Icon::Warning);
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kSelect);
  t.Select(3);
  t.selection.resize(3);
  t.ui.AnswerNext(Answer::Yes);  // continue selecting
  t.flow->Ok();
  EXPECT_EQ(t.LastMessage().caption, "Select More Reference Stars?");
  EXPECT_EQ(t.LastMessage().text,
            "The accuracy of your solution will improve if you select more than the minimum number of reference "
            "stars.\r\n\r\nContinue Reference Star Selection?");
  EXPECT_TRUE(t.LastMessage().beep);
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kSelect);
  // Given once per set of images: the next OK goes on.
  const std::size_t before = t.ui.Messages().size();
  t.flow->Ok();
  EXPECT_EQ(t.ui.Messages().size(), before);
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kLocate);
  EXPECT_TRUE(t.hintShown);
}

TEST(RefSelection, ModelMessagesAndExpertMode) {
  for (std::uint8_t type : {std::uint8_t{1}, std::uint8_t{2}}) {
    Harness t;
    t.options.solutionType = type;
    t.options.expertMode = true;
    t.flow->StartSelection(0);
    EXPECT_EQ(t.flow->MinStars(), type == 1 ? 4 : 6);
    t.Select(3);
    t.flow->Ok();
    EXPECT_EQ(t.LastMessage().text, std::string("You must select at least ") + (type == 1 ? "4" : "6") +
                                        " reference stars for a " +
                                        (type == 1 ? "cross-term solution!" : "quadratic solution!"));
    t.selection.clear();
    t.Select(type == 1 ? 4 : 6);
    const std::size_t before = t.ui.Messages().size();
    t.flow->Ok();  // exactly the minimum, but no hint in expert mode
    EXPECT_EQ(t.ui.Messages().size(), before);
    EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kLocate);
  }
}

TEST(RefSelection, CorruptedSkyBorderLeadsToTheBackgroundStep) {
  Harness t;
  // A smooth glow over the target's sky frame (the square +-12 around it
  // outside the square +-8): the frame's mean exceeds the target's box.
  const auto cx = static_cast<std::int32_t>(std::lround(static_cast<double>(t.target.imageX)));
  const auto cy = static_cast<std::int32_t>(std::lround(static_cast<double>(t.target.imageY)));
  for (std::int32_t y = cy - 12; y <= cy + 12; ++y)
    for (std::int32_t x = cx - 12; x <= cx + 12; ++x)
      if (std::abs(x - cx) > 8 || std::abs(y - cy) > 8) t.image.pixels.SetPixel(x, y, t.image.pixels.PixelAt(x, y) + 300);
  t.flow->StartSelection(0);
  t.Select(4);
  t.flow->Ok();
  for (int k = 0; k < 3; ++k) {
    t.Click(t.stars[static_cast<std::size_t>(k)]);
    t.flow->Ok();
  }
  t.flow->Ok();  // the fourth at its prediction
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kUnknown);
  t.Click(t.target, 0, 0);
  ASSERT_TRUE(t.m.targetLocated);
  t.ui.AnswerNext(Answer::Yes);
  t.flow->Ok();
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kSky);
  EXPECT_EQ(t.flow->Title(), "Sky Border is Corrupted! - Read Sky Background");
  EXPECT_EQ(t.flow->Label(),
            "\r\n\r\nLocate an Area near the Target Object that is Free of Stars on the Image  1 (right-hand) Display!");
  // OK before a spot is read.
  t.flow->Ok();
  EXPECT_EQ(t.LastMessage().text, "Please locate an area that is free of stars on the image  1 (right-hand) display!");
  EXPECT_EQ(t.LastMessage().caption, "Re-Select Background!");
  // A clean spot in the corner.
  t.flow->ImageClicked(300, 220);
  EXPECT_TRUE(t.m.skySpotRead);
  t.flow->Ok();
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kSolved);
  EXPECT_GT(t.m.target.flux, 0);
}

TEST(RefSelection, RefusedSkyWithoutASpotAsksForOne) {
  Harness t;
  t.flow->StartSelection(0);
  t.Select(3);
  t.ui.AnswerNext(Answer::No);  // the hint: do not continue selecting
  t.flow->Ok();
  for (int k = 0; k < 3; ++k) {
    t.Click(t.stars[static_cast<std::size_t>(k)]);
    t.flow->Ok();
  }
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kUnknown);
  t.Click(t.target);
  t.ui.AnswerNext(Answer::No);
  t.flow->Ok();
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kSky);
  EXPECT_EQ(t.flow->Title(), "Read Sky Background");
}

TEST(RefSelection, CancelOptionsByStep) {
  Harness t;
  auto enabled = [](const CancelOptions& o) {
    std::string s;
    for (bool b : o.enabled) s += b ? '1' : '0';
    return s;
  };
  t.flow->StartSelection(0);
  t.flow->Cancel();
  ASSERT_EQ(t.cancelOffers.size(), 1u);
  EXPECT_EQ(enabled(t.cancelOffers[0]), "100001");
  EXPECT_EQ(t.cancelOffers[0].preselected, CancelChoice::SelectReferences);
  EXPECT_GE(t.ui.Beeps(), 2);
  t.Select(4);
  t.flow->Ok();
  t.flow->Cancel();
  EXPECT_EQ(enabled(t.cancelOffers[1]), "111001");
  EXPECT_EQ(t.cancelOffers[1].preselected, CancelChoice::LocateReferences);
  for (int k = 0; k < 4; ++k) {
    t.Click(t.stars[static_cast<std::size_t>(k)]);
    t.flow->Ok();
  }
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kUnknown);
  t.flow->Cancel();
  EXPECT_EQ(enabled(t.cancelOffers[2]), "111101");
  EXPECT_EQ(t.cancelOffers[2].preselected, CancelChoice::LocateUnknown);
  // Identify sky background: step 4 keeps the last buttons.
  t.cancelAnswers.push_back(CancelChoice::SkyBackground);
  t.flow->Cancel();
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kSky);
  EXPECT_EQ(t.flow->Title(), "Read Sky Background");
  t.flow->Cancel();
  EXPECT_EQ(enabled(t.cancelOffers[4]), "111101");
  // Back to locating the unknown, then solve and cancel at "Solution OK?".
  t.cancelAnswers.push_back(CancelChoice::LocateUnknown);
  t.flow->Cancel();
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kUnknown);
  t.Click(t.target);
  t.ui.AnswerNext(Answer::Yes);
  t.flow->Ok();
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kSolved);
  t.flow->Cancel();
  EXPECT_TRUE(t.HasEvent("solution closed"));
  EXPECT_EQ(enabled(t.cancelOffers.back()), "111111");
  EXPECT_EQ(t.cancelOffers.back().preselected, CancelChoice::AddDeleteReferences);
  // Cancel in the options dialog abandons the measurement.
  t.cancelAnswers.push_back(std::nullopt);
  t.flow->Cancel();
  EXPECT_TRUE(t.HasEvent("abandoned"));
}

TEST(RefSelection, AcceptStopsAtAStarNotFoundWherePredicted) {
  Harness t;
  // Star 5 is missing from the image: its place in the picture is moved.
  t.flow->StartSelection(0);
  t.Select(6);
  t.selection[4].fieldX += 40;
  t.flow->Ok();
  for (int k = 0; k < 3; ++k) {
    t.Click(t.stars[static_cast<std::size_t>(k)]);
    t.flow->Ok();
  }
  t.flow->Accept();
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kLocate);
  EXPECT_EQ(t.flow->LocateIndex(), 5);
  EXPECT_EQ(t.flow->CurrentNumber(), 5);
  EXPECT_TRUE(t.m.references[3].measured);
  EXPECT_EQ(t.m.references[4].kind, kRefNeither);
  // It is now off: OK passes it, and the last star is searched at its prediction.
  t.flow->Ok();
  EXPECT_EQ(t.flow->LocateIndex(), 6);
  t.flow->Ok();
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kUnknown);
}

TEST(RefSelection, NewTargetOnTheSameImage) {
  Harness t;
  t.flow->StartSelection(0);
  t.Select(4);
  t.flow->Ok();
  for (int k = 0; k < 4; ++k) {
    t.Click(t.stars[static_cast<std::size_t>(k)]);
    t.flow->Ok();
  }
  t.Click(t.target);
  t.ui.AnswerNext(Answer::Yes);
  t.flow->Ok();
  t.ui.AnswerNext(Answer::No);
  t.flow->Ok();
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kCompleted);
  EXPECT_FALSE(t.HasEvent("added"));
  t.verifyAnswer = false;
  EXPECT_FALSE(t.flow->Improve());
  EXPECT_TRUE(t.HasEvent("release"));
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kCompleted);
  t.verifyAnswer = true;
  EXPECT_FALSE(t.flow->Improve());
  EXPECT_TRUE(t.HasEvent("adopt"));
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kUnknown);
  EXPECT_FALSE(t.m.targetLocated);
  EXPECT_FALSE(t.flow->ImproveVisible());
  EXPECT_EQ(t.flow->ImproveCaption(), "&Improve");
  // The "Improve" caption asks for the pop-up.
  t.Click(t.stars[5], 0, 0);  // another object as the new target
  t.ui.AnswerNext(Answer::Yes);
  t.flow->Ok();
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kSolved);
  EXPECT_TRUE(t.flow->Improve());
  EXPECT_NEAR(static_cast<double>((t.m.target.fitDec - t.stars[5].decDeg) * 3600), 0, 0.05);
}

TEST(RefSelection, RemovingBelowTheMinimumIsRefused) {
  Harness t;
  t.options.expertMode = true;
  t.options.defaultRefMags = false;
  t.flow->StartSelection(0);
  t.Select(3);
  t.flow->Ok();
  for (int k = 0; k < 3; ++k) {
    t.Click(t.stars[static_cast<std::size_t>(k)]);
    t.flow->Ok();
  }
  t.Click(t.target);
  t.ui.AnswerNext(Answer::Yes);
  t.flow->Ok();
  ASSERT_EQ(t.flow->CurrentStep(), RefSelection::kSolved);
  // Three stars fit exactly; star 2 is given the largest residual.
  for (ReferenceStar& r : t.m.references) r.resTotal = 0;
  t.flow->RemoveHighestResidual();  // nothing above 0: nothing happens
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kSolved);
  t.m.references[1].resTotal = 0.5L;
  t.m.references[2].resTotal = 0.5L;  // equal maxima: the first is taken
  t.flow->RemoveHighestResidual();
  EXPECT_FALSE(t.m.references[1].usePos);
  EXPECT_TRUE(t.m.references[2].usePos);
  EXPECT_EQ(t.m.references[1].kind, kRefMagOnly);  // DefaultRefMags is off
  EXPECT_EQ(t.selection[1].kind, kRefMagOnly);
  EXPECT_EQ(t.LastMessage().caption, "Insufficient Reference Stars!");
  EXPECT_EQ(t.flow->CurrentStep(), RefSelection::kSelect);
  EXPECT_EQ(t.m.plate.PairCount(), 3);  // no new solution
}

}  // namespace
}  // namespace skarvel
