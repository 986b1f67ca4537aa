#include "astrometry/solution_report.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "foundations/date_time.h"

namespace skarvel {
namespace {

ReferenceStar Star(int number, long double res, bool usePos, bool useMag) {
  ReferenceStar r;
  r.number = number;
  r.id = "N9BX" + std::to_string(number);
  r.catalog = 1;
  r.imageX = 100.0L * number;
  r.imageY = 50.5L;
  r.fitRA = 5.5L;
  r.fitDec = -0.5L;
  r.resRA = res;
  r.resDec = 0.25L;
  r.resTotal = res;
  r.usePos = usePos;
  r.useMag = useMag;
  r.magRes = useMag ? 0.05L : 0;
  r.band = 1;
  return r;
}

TEST(SolutionReport, CrossTermSolutionAboveTheMinimum) {
  SolutionReportInput in;
  in.slot = 1;
  in.fileName = "/nights/n1/eros_0002.fits";
  in.objectName = "(433) EROS";
  in.observationTime = *EncodeDateTime(2026, 12, 9, 21, 30, 15.0L);
  in.targetLocated = true;
  in.target.imageX = 251.12345L;
  in.target.imageY = 310.5L;
  in.target.fitRA = 5.5L;
  in.target.fitDec = 22.25L;
  in.target.catMag = 13.456L;
  in.target.magRes = 0.03L;
  in.target.band = 1;
  in.magnitude.n = 4;
  in.magnitude.filterMatch = false;
  in.solutionType = 1;
  in.pairCount = 5;
  in.errors = {0.5L, 0.25L, 0.125L};
  in.references = {Star(1, 0.2L, true, true), Star(2, 0.9L, true, true), Star(3, 3.5L, false, false),
                   Star(4, 0.4L, true, false), Star(5, 0.1L, true, true), Star(6, 0.3L, true, true)};
  in.centre.imageX = 512;
  in.centre.imageY = 384;
  in.centre.fitRA = 5.5L;
  in.centre.fitDec = 22.0L;
  in.constants = {4.8e-6L, 1e-8L, 0, 0.01L, -1e-8L, 4.8e-6L, 0, -0.02L};
  in.camera.pixelWidthUm = 9.0f;
  in.camera.pixelHeightUm = 9.0f;
  in.camera.apertureMm = 254.0f;
  in.imageWidth = 1024;
  in.imageHeight = 768;
  in.catalogName = [](std::uint8_t) { return std::string("GSC 1.1"); };
  const auto lines = SolutionReportLines(in);
  EXPECT_EQ(SolutionReportTitle(1), "Image 2 - Astrometric Solution");
  const std::vector<std::string> head = {
      "Image File Name: /nights/n1/eros_0002.fits",
      "Object: (433) EROS",
      "Observation Date: 2026 December 09,  UT: 21:30:15",
      "",
      "Target Object:",
      "   x = 251.1235,      RA =    5h 30m 00.00s ",
      "   y = 310.5000,      Dec =   22\xB0 15' 00.0\" ",
      "   m = 13.46 (V Filter)",
      "** Image Filter Does Not Match Color of Reference Stars **",
      "",
      "RMS Residuals (Cross-Term Solution):",
      "   RA: 0.500\",   Dec: 0.250\"",
      "Estimated Solution Error (Sigma): 0.125\"",
      "Estimated Error in Magnitude (Sigma): 0.03(3)",
      "",
      "5 reference stars used in plate solution.",
      "Plate solution unweighted (all stars of equal weight).",
      "4 reference stars used in magnitude solution.",
      "",
      "Reference Stars by Position Residual (Descending):",
      "",
      "Star 2 - Position Residual (RMS) = 0.900\"",
      "   Catalog: GSC 1.1, ID: N9BX2",
      "   x = 200.0000,      RA =    5h 30m 00.00s  (0.900\")",
      "   y = 50.5000,      Dec =   -0\xB0 30' 00.0\"  (0.250\")",
      "   Magnitude Residual = 0.05, Passband: V",
      "",
      "Star 4 - Position Residual (RMS) = 0.400\"",
  };
  ASSERT_GE(lines.size(), head.size());
  for (std::size_t i = 0; i < head.size(); ++i) EXPECT_EQ(lines[i], head[i]) << "line " << i;
  // Star 4 is not used for the magnitude; star 3, not used for the position, comes last under its heading.
  const auto at = [&](const std::string& text) { return std::find(lines.begin(), lines.end(), text); };
  EXPECT_NE(at("   Unable to compute magnitude residual.(2)"), lines.end());
  const auto notUsed = at("Stars With High Position Residuals Not Used in Solution:");
  ASSERT_NE(notUsed, lines.end());
  EXPECT_EQ(*(notUsed + 2), "Star 3 - Position Residual (RMS) = 3.500\"(1)");
  EXPECT_GT(notUsed - lines.begin(), at("Star 5 - Position Residual (RMS) = 0.100\"") - lines.begin());
  // The constants, two per line for the cross-term model.
  const auto x = at("  (X = a*x + b*y + c*x*y + d)");
  ASSERT_NE(x, lines.end());
  EXPECT_EQ((x + 1)->substr(0, 6), "  a = ");
  EXPECT_NE((x + 1)->find(", b = "), std::string::npos);
  EXPECT_EQ((x + 2)->substr(0, 6), "  c = ");
  EXPECT_NE(at("  (Y = e*x + f*y + g*x*y + h)"), lines.end());
  // Equal pixels: one scale; 4.8e-6 rad per pixel is 0.9901"/pixel.
  EXPECT_NE(at("   Scale = 0.9901 \"/pixel,  Field Wd. = 16.90',  Ht. = 12.67'"), lines.end());
  // Focal length 9 um / (2 x 4.8e-6) twice, in mm: 1875.00; f/7.4 with a 254 mm aperture.
  EXPECT_NE(at("   Effective Focal Length = 1875.00mm,  f-Ratio = 7.4"), lines.end());
  EXPECT_EQ(lines.back(), "      magnitudes and passband differences.");
}

TEST(SolutionReport, AWeightedPlateSaysSoAndListsEachStarsCentringUncertainty) {
  SolutionReportInput in;
  in.fileName = "w.fit";
  in.solutionType = 0;
  in.pairCount = 4;
  in.errors = {0.2L, 0.1L, 0.1L};
  in.references = {Star(1, 0.2L, true, true), Star(2, 0.3L, true, true), Star(3, 0.1L, true, true),
                   Star(4, 0.4L, true, true)};
  in.references[0].sigmaX = 0.0314L;
  in.references[0].sigmaY = 0.1275L;
  in.references[2].sigmaY = 0.5L;
  in.plateWeighted = true;
  in.weightedStars = 2;
  in.constants = std::vector<long double>(6, 0);
  in.constants[0] = in.constants[4] = 5e-6L;
  const auto lines = SolutionReportLines(in);
  const auto at = [&](const std::string& text) { return std::find(lines.begin(), lines.end(), text); };
  const auto used = at("4 reference stars used in plate solution.");
  ASSERT_NE(used, lines.end());
  EXPECT_EQ(*(used + 1), "Plate solution weighted by the centring uncertainties (2 of 4 stars measured).");
  EXPECT_EQ(at("Plate solution unweighted (all stars of equal weight)."), lines.end());
  // Star 1 (0.2") follows star 2 (0.3"): its uncertainty is the last line of its entry.
  const auto star1 = at("Star 1 - Position Residual (RMS) = 0.200\"");
  ASSERT_NE(star1, lines.end());
  EXPECT_EQ(*(star1 + 4), "   Centring Uncertainty (Sigma): x = 0.031 px,   y = 0.128 px");
  EXPECT_NE(at("   Centring Uncertainty (Sigma): x = 0.000 px,   y = 0.500 px"), lines.end());
  // Stars without one have no such line.
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("   Centring Uncertainty", 0) == 0; }),
            2);
}

TEST(SolutionReport, WithoutTargetAndWithUnequalPixels) {
  SolutionReportInput in;
  in.fileName = "a.fit";
  in.solutionType = 2;
  in.pairCount = 6;
  in.constants = std::vector<long double>(12, 0);
  in.constants[0] = 5e-6L;
  in.constants[7] = 4e-6L;  // h: the y term of the Y equation
  in.camera.pixelWidthUm = 9.0f;
  in.camera.pixelHeightUm = 7.0f;
  in.imageWidth = 600;
  in.imageHeight = 400;
  const auto lines = SolutionReportLines(in);
  EXPECT_EQ(lines[1], "Object: (Unknown)");
  EXPECT_EQ(lines[4], "Estimated errors cannot be calculated!");
  EXPECT_EQ(lines[5], "N(=6) is minimum for selected solution type.");
  const auto at = [&](const std::string& text) { return std::find(lines.begin(), lines.end(), text) != lines.end(); };
  EXPECT_TRUE(at("Plate Constants for Quadratic Solution:"));
  EXPECT_TRUE(at("  (Y = g*x + h*y + i*x*y + j*x*x + k*y*y + l)"));
  EXPECT_TRUE(at(" x-Scale = 1.0313 \"/pixel,  Field Wd. = 10.31'"));
  EXPECT_TRUE(at(" y-Scale = 0.8251 \"/pixel,  Field Ht. = 5.50'"));
  EXPECT_FALSE(at("   m not computed!"));
}

}  // namespace
}  // namespace skarvel
