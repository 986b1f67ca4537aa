#include "foundations/strings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace skarvel {
namespace {

TEST(FormatFixed, DecimalsAndRounding) {
  EXPECT_EQ(FormatFixed(1, 120), "120.0");
  EXPECT_EQ(FormatFixed(0, 2.5L), "3");  // halves away from zero on the decimal digits
  EXPECT_EQ(FormatFixed(0, -2.5L), "-3");
  EXPECT_EQ(FormatFixed(2, 0.125L), "0.13");
  EXPECT_EQ(FormatFixed(3, -0.0004L), "0.000");  // no "-0.000"
  EXPECT_EQ(FormatFixed(2, 9.999L), "10.00");
  EXPECT_EQ(FormatFixed(5, 2451545.123456789L), "2451545.12346");
  EXPECT_EQ(FormatFixed(4, 1e-9L), "0.0000");
  EXPECT_EQ(FormatFixed(2, 0.005L), "0.01");  // 0.005 is 0.00500000000000000010 in binary
  EXPECT_EQ(FormatFixed(-3, 7.6L), "8");
}

TEST(FormatFixed, EighteenSignificantDigits) {
  // A long double carries more than 18 digits; the text stops at 18.
  EXPECT_EQ(FormatFixed(10, 123456789.0123456789L), "123456789.0123456790");
  EXPECT_EQ(FormatFixed(12, 123456789.0123456789L), "123456789.012345679000");
  EXPECT_EQ(FormatFixed(0, 1e17L), "100000000000000000");
  EXPECT_EQ(FormatFixed(2, 1e18L), "1.00000000000000000E+18");
}

TEST(FormatFixed, NonFiniteValues) {
  EXPECT_EQ(FormatFixed(2, std::numeric_limits<long double>::quiet_NaN()), "NAN");
  EXPECT_EQ(FormatFixed(2, std::numeric_limits<long double>::infinity()), "INF");
  EXPECT_EQ(FormatFixed(2, -std::numeric_limits<long double>::infinity()), "-INF");
}

TEST(FormatFixedTrim, KeepsOneDecimal) {
  EXPECT_EQ(FormatFixedTrim(5, 1.25L), "1.25");
  EXPECT_EQ(FormatFixedTrim(2, 3), "3.0");
  EXPECT_EQ(FormatFixedTrim(3, 12.5L), "12.5");
  EXPECT_EQ(FormatFixedTrim(3, 12), "12.0");
  EXPECT_EQ(FormatFixedTrim(7, 100.0000001L), "100.0000001");
  EXPECT_EQ(FormatFixedTrim(2, 1000), "1000.0");  // the zeros before the point stay
  EXPECT_EQ(FormatFixedTrim(0, 1000), "1000");
}

TEST(FormatExp, SignificantDigitsAndTwoDigitExponent) {
  EXPECT_EQ(FormatExp(4, 1234.5L), "1.235E+03");
  EXPECT_EQ(FormatExp(3, -0.000123456L), "-1.23E-04");
  EXPECT_EQ(FormatExp(3, 9.996L), "1.00E+01");
  EXPECT_EQ(FormatExp(5, 0), "0.0000E+00");
  EXPECT_EQ(FormatExp(2, 6.02214076e23L), "6.0E+23");
  EXPECT_EQ(FormatExp(3, 1.5e-300L), "1.50E-300");
  EXPECT_EQ(FormatExp(1, 7), "7E+00");
}

TEST(NumericChecks, IntegerTexts) {
  EXPECT_TRUE(IsIntegerText("42"));
  EXPECT_TRUE(IsIntegerText("-2147483648"));
  EXPECT_TRUE(IsIntegerText(" +17 "));
  EXPECT_FALSE(IsIntegerText("2147483648"));
  EXPECT_FALSE(IsIntegerText(""));
  EXPECT_FALSE(IsIntegerText("1.0"));
  EXPECT_FALSE(IsIntegerText("12a"));
  EXPECT_FALSE(IsIntegerText("+-1"));
  EXPECT_FALSE(IsIntegerText("0x10"));
  EXPECT_EQ(ParseInteger("-0012"), -12);
}

TEST(NumericChecks, FloatTexts) {
  EXPECT_TRUE(IsFloatText("3.25"));
  EXPECT_TRUE(IsFloatText("-.5"));
  EXPECT_TRUE(IsFloatText("5."));
  EXPECT_TRUE(IsFloatText(" 1e-3 "));
  EXPECT_TRUE(IsFloatText("+2.5E+10"));
  EXPECT_FALSE(IsFloatText("."));
  EXPECT_FALSE(IsFloatText("1e"));
  EXPECT_FALSE(IsFloatText("1,5"));
  EXPECT_FALSE(IsFloatText("inf"));
  EXPECT_FALSE(IsFloatText("nan"));
  EXPECT_FALSE(IsFloatText("1e99999"));
  EXPECT_FALSE(IsFloatText(""));
  EXPECT_FALSE(IsFloatText("1.2.3"));
  // Read to the full precision of long double, with no locale in the way.
  EXPECT_EQ(*ParseDecimal("2451545.123456789"), 2451545.123456789L);
  EXPECT_EQ(*ParseDecimal("-0.1"), -0.1L);
}

TEST(ParseDecimal, EveryShortDecimalAsTheCLibraryReadsIt) {
  // Random decimals of up to 20 digits with and without a point, against
  // strtold (correctly rounded to long double in the "C" locale).
  std::mt19937_64 rng(45);
  for (int trial = 0; trial < 20000; ++trial) {
    const int digits = 1 + static_cast<int>(rng() % 20);
    const int point = static_cast<int>(rng() % static_cast<std::uint64_t>(digits + 2)) - 1;  // -1: none
    std::string text = rng() % 3 == 0 ? "-" : "";
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += '.';
      text += static_cast<char>('0' + rng() % 10);
    }
    if (point == digits) text += '.';
    const auto parsed = ParseDecimal(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    const long double expected = std::strtold(text.c_str(), nullptr);
    ASSERT_EQ(std::memcmp(&*parsed, &expected, 10), 0) << text;  // the same bits, -0 included
  }
  EXPECT_EQ(*ParseDecimal("359.99990"), 359.9999L);
  EXPECT_EQ(*ParseDecimal("18446744073709551615"), 18446744073709551615.0L);  // 20 digits
}

TEST(PadLeft, PutsBlanksInFront) {
  EXPECT_EQ(PadLeft("ab", 5), "   ab");
  EXPECT_EQ(PadLeft("abcdef", 3), "abcdef");
  EXPECT_EQ(PadLeft("", 2), "  ");
}

// The column writers of the fixed-width reports.
TEST(PadLeft, ZerosAndColumns) {
  EXPECT_EQ(PadWith("7", 3, '0'), "007");
  EXPECT_EQ(PadWith("1234", 2, '0'), "1234");
  EXPECT_EQ(ZeroFilled(5, 2), "05");
  EXPECT_EQ(ZeroFilled(2019, 4), "2019");
  EXPECT_EQ(ZeroFilled(-5, 3), "-05");  // the zeros after the sign, unlike PadWith
  EXPECT_EQ(ZeroFilled(123456789, 2), "123456789");
  EXPECT_EQ(ZeroFilled(0, 0), "0");
  std::string line = "abc";
  PutAt(line, 5, "xy");
  EXPECT_EQ(line, "abc xy");
  PutAt(line, 2, "Z");  // over what stands there, the length kept
  EXPECT_EQ(line, "aZc xy");
  PutAt(line, 6, "123");
  EXPECT_EQ(line, "aZc x123");
}

TEST(NextField, CutsAtTheDelimiter) {
  std::string s = "a,b";
  EXPECT_EQ(NextField(s, ','), "a");
  EXPECT_EQ(s, "b");
  EXPECT_EQ(NextField(s, ','), "b");
  EXPECT_EQ(s, "");
  s = "abc";
  EXPECT_EQ(NextField(s, ','), "abc");
  EXPECT_EQ(s, "");
  EXPECT_EQ(NextField(s, ','), "");
  s = ",x";
  EXPECT_EQ(NextField(s, ','), "");
  EXPECT_EQ(s, "x");
}

TEST(NextQuotedField, TakesTheQuotedText) {
  std::string s = "  \"x y\",z";
  EXPECT_EQ(NextQuotedField(s, ','), "x y");
  EXPECT_EQ(s, "z");
  s = ",, 'a,b','c'";
  EXPECT_EQ(NextQuotedField(s, ','), "a,b");
  EXPECT_EQ(NextQuotedField(s, ','), "c");
  EXPECT_EQ(s, "");
  s = "\"open";
  EXPECT_EQ(NextQuotedField(s, ','), "open");
  EXPECT_EQ(s, "");
  s = " , ";
  EXPECT_EQ(NextQuotedField(s, ','), "");
}

TEST(NextIntField, ConvertsOrRaises) {
  std::string s = " ,12, -7,x,";
  EXPECT_EQ(NextIntField(s, ','), 12);
  EXPECT_EQ(NextIntField(s, ','), -7);
  try {
    NextIntField(s, ',');
    FAIL() << "no conversion failure";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'x' is not a valid integer value");
  }
  EXPECT_EQ(s, "");
  EXPECT_THROW(NextIntField(s, ','), ConversionError);
}

std::vector<std::string> Split(const std::string& text, std::uint16_t width) {
  LineSplitter splitter;
  splitter.Start(text, width);
  std::vector<std::string> lines;
  while (!splitter.Finished()) lines.push_back(splitter.NextLine());
  splitter.Done();
  return lines;
}

TEST(LineSplitter, BreaksAfterTheLastBlankWithinTheWidth) {
  EXPECT_EQ(Split("the quick brown fox", 10), (std::vector<std::string>{"the quick ", "brown fox"}));
  // A blank exactly at the width takes the blanks after it along.
  EXPECT_EQ(Split("abcd    efgh", 5), (std::vector<std::string>{"abcd ", "efgh"}));
  // A blank before the width keeps the ones after it for the next line.
  EXPECT_EQ(Split("ab  cdefgh", 5), (std::vector<std::string>{"ab  ", "cdefg", "h"}));
  EXPECT_EQ(Split("short", 10), (std::vector<std::string>{"short"}));
  EXPECT_EQ(Split("exactly10!", 10), (std::vector<std::string>{"exactly10!"}));
  // No blank within the width: broken at the width.
  EXPECT_EQ(Split("abcdefghij kl", 4), (std::vector<std::string>{"abcd", "efgh", "ij ", "kl"}));
  EXPECT_EQ(Split("", 8), (std::vector<std::string>{""}));
}

TEST(LineSplitter, FinishedAndDone) {
  LineSplitter splitter;
  EXPECT_TRUE(splitter.Finished());
  EXPECT_EQ(splitter.NextLine(), "");
  splitter.Start("one two", 4);
  EXPECT_FALSE(splitter.Finished());
  EXPECT_EQ(splitter.NextLine(), "one ");
  splitter.Done();
  EXPECT_TRUE(splitter.Finished());
  EXPECT_EQ(splitter.NextLine(), "");
}

}  // namespace
}  // namespace skarvel
