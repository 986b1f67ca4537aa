#include "orbits/designation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skarvel {
namespace {

TEST(PackNumber, BoundariesOfEachForm) {
  // Packed forms from the MPC's "Packed Minor Planet Numbers" rules (digits,
  // A-Z then a-z for the ten-thousands, "~" and four base-62 digits).
  struct Row {
    std::int64_t number;
    const char* packed;
  };
  const std::vector<Row> rows = {
      {1, "00001"},      {433, "00433"},    {99999, "99999"},  {100000, "A0000"},  {100004, "A0004"},
      {190119, "J0119"}, {359999, "Z9999"}, {360000, "a0000"}, {360191, "a0191"},  {619999, "z9999"},
      {620000, "~0000"}, {620061, "~000z"}, {620062, "~0010"}, {3140113, "~AZaz"}, {15396335, "~zzzz"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(PackNumber(r.number).value_or("?"), r.packed) << r.number;
    EXPECT_EQ(UnpackNumber(r.packed).value_or(-1), r.number) << r.packed;
  }
  EXPECT_FALSE(PackNumber(0));
  EXPECT_FALSE(PackNumber(-5));
  EXPECT_FALSE(PackNumber(15396336));
}

TEST(UnpackNumber, RejectsTextsThatAreNotPackedNumbers) {
  for (const char* bad : {"", "0043", "004333", "~zzz", "~zz-z", "A00x1", "-0001", " 0433", "#0001"}) {
    EXPECT_FALSE(UnpackNumber(bad)) << bad;
  }
  EXPECT_EQ(UnpackNumber("r9940").value_or(-1), 539940);  // from the NEA excerpt
}

TEST(PackDesignation, SevenCharacterMinorPlanets) {
  EXPECT_EQ(PackDesignation("1998 SS162", 0, true), "J98SG2S");
  EXPECT_EQ(PackDesignation("1998 SS", 0, true), "J98S00S");
  EXPECT_EQ(PackDesignation("2010 AB100", 0, true), "K10AA0B");
  EXPECT_EQ(PackDesignation("1995 XA1", 0, true), "J95X01A");
  EXPECT_EQ(PackDesignation("2007 TA42", 0, true), "K07T42A");
  EXPECT_EQ(PackDesignation("1850 KZ359", 0, true), "I50KZ9Z");
  // The blank after the year is put back; "_" stands for a blank.
  EXPECT_EQ(PackDesignation("1998SS162", 0, true), "J98SG2S");
  EXPECT_EQ(PackDesignation("1998_SS162", 0, true), "J98SG2S");
}

TEST(PackDesignation, NineCharacterForm) {
  EXPECT_EQ(PackDesignation("1998 SS162", 0, false), "J98S0162S");
  EXPECT_EQ(PackDesignation("1998 SS", 0, false), "J98S0000S");
  EXPECT_EQ(PackDesignation("2010 AB1234", 0, false), "K10A1234B");
  EXPECT_EQ(PackDesignation("1995 O1", 1, false), "J95O00010");
  EXPECT_EQ(UnpackDesignation("J95O00010", 1).readable, "1995 O1");
  EXPECT_EQ(PackDesignation("2040 P-L", 0, false), "PLS002040");
}

TEST(PackDesignation, SurveysAndComets) {
  EXPECT_EQ(PackDesignation("2040 P-L", 0, true), "PLS2040");
  EXPECT_EQ(PackDesignation("3138 T-1", 0, true), "T1S3138");
  EXPECT_EQ(PackDesignation("1010 T-2", 0, true), "T2S1010");
  EXPECT_EQ(PackDesignation("4101 T-3", 0, true), "T3S4101");
  EXPECT_EQ(PackDesignation("1995 O1", 1, true), "J95O010");
  EXPECT_EQ(PackDesignation("1994 P1-B", 1, true), "J94P01b");
  EXPECT_EQ(PackDesignation("2026 K60", 1, true), "K26K600");
  EXPECT_EQ(PackDesignation("2001 Q123", 1, true), "K01QC30");
}

TEST(PackDesignation, TextsThatCannotBePackedGiveEmpty) {
  for (const char* bad : {"", "433", "Eros", "2117 SS1", "1998 SS1000", "1998 S", "1998 SI12", "1998 IS"}) {
    EXPECT_EQ(PackDesignation(bad, 0, true), "") << bad;
  }
  EXPECT_EQ(PackDesignation("2040 P-L", 1, true), "");  // surveys are minor planets only
  EXPECT_EQ(PackDesignation("1995 O1", 0, true), "");   // a digit cannot be the second letter
  EXPECT_EQ(PackDesignation("12 P-L", 0, true), "");    // too short for the seven-character form
}

TEST(ValidatePacked, FormsAndKinds) {
  EXPECT_EQ(ValidatePacked("J98SG2S", true).kind, 0);
  EXPECT_TRUE(ValidatePacked("J98SG2S  ", true).valid);  // trailing blanks are removed
  EXPECT_FALSE(ValidatePacked("J98SG2S", false).valid);
  EXPECT_TRUE(ValidatePacked("J98S0162S", false).valid);
  EXPECT_EQ(ValidatePacked("J95O010", true).kind, 1);
  EXPECT_EQ(ValidatePacked("J94P01b", true).kind, 1);
  EXPECT_EQ(ValidatePacked("PLS2040", true).kind, 0);
  EXPECT_TRUE(ValidatePacked("T3S004101", false).valid);
  for (const char* bad : {"L98SG2S", "J9xSG2S", "J98ZG2S", "J98IG2S", "J98Sg2S", "J98SGxS", "J98SG2I", "J98SG2-",
                          "PLX2040", "PLS20x0", "J98SG2", "J98SG2SS"}) {
    EXPECT_FALSE(ValidatePacked(bad, true).valid) << bad;
  }
  EXPECT_FALSE(ValidatePacked("J98S01x2S", false).valid);
}

TEST(UnpackDesignation, RoundTripsAndUnchangedTexts) {
  const auto u = UnpackDesignation("J98SG2S", 0);
  EXPECT_EQ(u.readable, "1998 SS162");
  EXPECT_TRUE(u.isSevenChar);
  EXPECT_EQ(UnpackDesignation("J98S00S", 0).readable, "1998 SS");
  EXPECT_EQ(UnpackDesignation("K10AA0B", 0).readable, "2010 AB100");
  EXPECT_EQ(UnpackDesignation("PLS2040", 0).readable, "2040 P-L");
  EXPECT_EQ(UnpackDesignation("T2S001010", 0).readable, "1010 T-2");
  const auto nine = UnpackDesignation("J98S0162S", 0);
  EXPECT_EQ(nine.readable, "1998 SS162");
  EXPECT_FALSE(nine.isSevenChar);
  EXPECT_EQ(UnpackDesignation("J95O010", 1).readable, "1995 O1");
  EXPECT_EQ(UnpackDesignation("J94P01b", 1).readable, "1994 P1-B");
  EXPECT_EQ(UnpackDesignation("K01QC30", 1).readable, "2001 Q123");
  // Not a packed designation (or one of the other kind): returned as it is.
  for (const char* text : {"(433) Eros", "Hale-Bopp", "J98SG2", "00433", ""}) {
    const auto same = UnpackDesignation(text, 0);
    EXPECT_EQ(same.readable, text);
    EXPECT_TRUE(same.isSevenChar);
  }
  EXPECT_EQ(UnpackDesignation("J95O010", 0).readable, "J95O010");
  EXPECT_EQ(UnpackDesignation("J98SG2S", 1).readable, "J98SG2S");

  for (const char* readable : {"2003 UB313", "1999 AN10", "2019 OK", "1932 HA", "6344 P-L", "2004 MN4"}) {
    for (bool seven : {true, false}) {
      const std::string packed = PackDesignation(readable, 0, seven);
      ASSERT_FALSE(packed.empty()) << readable;
      EXPECT_EQ(UnpackDesignation(packed, 0).readable, readable) << packed;
    }
  }
}

TEST(IsNumberText, Modes) {
  EXPECT_TRUE(IsNumberText("  433", 0));
  EXPECT_TRUE(IsNumberText("(433)", 0));
  EXPECT_TRUE(IsNumberText("  (100004)", 0));
  EXPECT_FALSE(IsNumberText("(433)", 1));
  EXPECT_TRUE(IsNumberText("2P", 1));
  EXPECT_TRUE(IsNumberText("18D", 1));
  EXPECT_FALSE(IsNumberText("2P", 0));
  EXPECT_FALSE(IsNumberText("1998 SS", 0));
  EXPECT_FALSE(IsNumberText("", 0));
  EXPECT_FALSE(IsNumberText("()", 0));
}

}  // namespace
}  // namespace skarvel
