// "%f" and "%u" numbers and the ZMF reader's word scanner, checked against the C library.
#include "format/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "format/word_scanner.h"

namespace zmf {
namespace {

std::string Fixed6(float value) {
  char text[format::kMaxFixed6Length];
  return std::string(text, format::FormatFixed6(text, value));
}

std::string Printf(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
  return text;
}

TEST(FixedSixDecimals, MatchesPrintfForSpecialLargeSmallAndTiedValues) {
  const float kInf = std::numeric_limits<float>::infinity();
  const float kNaN = std::numeric_limits<float>::quiet_NaN();
  const float kTiny = std::numeric_limits<float>::denorm_min();
  const float special[] = {0.0f,      -0.0f,     0.1f,     -1e-9f,  1e-7f,   4.9e-7f, 5e-7f,
                           -123.456f, 100000.5f, 8.79e12f, 8.8e12f, 1.7e13f, -1e20f,  FLT_MAX,
                           -FLT_MAX,  FLT_MIN,   kTiny,    kInf,    -kInf,   kNaN,    -kNaN};
  for (float value : special) EXPECT_EQ(Fixed6(value), Printf(value)) << Printf(value);
  EXPECT_EQ(Fixed6(-1e-9f), "-0.000000");  // a negative value that rounds to zero keeps its sign

  // Exact ties at the seventh decimal go to the even digit: 0.0078125 is 2^-7.
  EXPECT_EQ(Fixed6(0.0234375f), "0.023438");
  for (int k = -200000; k <= 200000; ++k) {
    const float tied = static_cast<float>(k) * 0.0078125f;
    ASSERT_EQ(Fixed6(tied), Printf(tied)) << k;
  }
  // Every power of two, where the integer arithmetic switches between its cases.
  for (int e = -149; e <= 127; ++e) {
    const float power = std::ldexp(1.0f, e);
    ASSERT_EQ(Fixed6(power), Printf(power)) << e;
    ASSERT_EQ(Fixed6(std::nextafter(power, 0.0f)), Printf(std::nextafter(power, 0.0f))) << e;
  }
}

TEST(FixedSixDecimals, MatchesPrintfForRandomFloats) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<float> coordinate(-1000.0f, 1000.0f);
  for (int i = 0; i < 200000; ++i) {
    const float any = std::bit_cast<float>(bits(random));
    ASSERT_EQ(Fixed6(any), Printf(any)) << std::bit_cast<std::uint32_t>(any);
    const float typical = coordinate(random);
    ASSERT_EQ(Fixed6(typical), Printf(typical)) << typical;
  }
}

TEST(UnsignedDecimal, MatchesPrintf) {
  for (std::uint32_t value : {0u, 7u, 10u, 4294967295u, 123456789u}) {
    char text[16];
    char* end = format::FormatUnsigned(text, value);
    EXPECT_EQ(std::string(text, end), std::to_string(value));
  }
}

// What sscanf("%f%n") makes of the text: the value and the characters it used.
std::pair<float, int> Scanf(const std::string& text) {
  float value = 0.0f;
  int used = 0;
  if (std::sscanf(text.c_str(), "%f%n", &value, &used) != 1) return {0.0f, 0};
  return {value, used};
}

TEST(FloatReading, TakesWhatScanfTakesAndNothingElse) {
  for (const std::string text :
       {"+1.5", "1.", "-.5", "1E+05", "2.5e-3", "-0", "123.456001", "-INF", "Infinity", "0x1p3",
        "-0X1.8P1", "3.4028234e38", "1e-40", "1e-50", "-1e50", "2.00}", "1.5,2", "7abc"}) {
    float value = -99.0f;
    const std::size_t used = format::ParseFloatPrefix(text, value);
    const auto [expected, expectedUsed] = Scanf(text);
    EXPECT_EQ(used, static_cast<std::size_t>(expectedUsed)) << text;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(value), std::bit_cast<std::uint32_t>(expected))
        << text << " gave " << value << ", scanf " << expected;
  }
  float value = 0.0f;
  EXPECT_EQ(format::ParseFloatPrefix("nan", value), 3u);
  EXPECT_TRUE(std::isnan(value));
  EXPECT_EQ(format::ParseFloatPrefix("-nan", value), 4u);
  EXPECT_TRUE(std::isnan(value) && std::signbit(value));

  // Nothing that is not a number is taken, and the value is left alone.
  for (const std::string text : {"", "abc", ".", "-", "+-1", "--1", "e5", " 1"}) {
    float untouched = 42.0f;
    EXPECT_EQ(format::ParseFloatPrefix(text, untouched), 0u) << text;
    EXPECT_EQ(untouched, 42.0f) << text;
  }
  // "0x" without digits is the number 0 before an 'x'.
  EXPECT_EQ(format::ParseFloatPrefix("0xg", value), 1u);
  EXPECT_EQ(value, 0.0f);
}

// Plain decimals take a short path; it must give the C library's float for every digit string,
// the halfway cases between two floats included.
TEST(FloatReading, PlainDecimalsMatchTheCLibraryBitForBit) {
  std::mt19937_64 random(11);
  auto check = [](const std::string& text) {
    float ours = 0.0f;
    const std::size_t used = format::ParseFloatPrefix(text, ours);
    char* stop = nullptr;
    const float theirs = std::strtof(text.c_str(), &stop);
    ASSERT_EQ(used, static_cast<std::size_t>(stop - text.c_str())) << text;
    ASSERT_EQ(std::bit_cast<std::uint32_t>(ours), std::bit_cast<std::uint32_t>(theirs)) << text;
  };
  for (int i = 0; i < 200000; ++i) {
    // What files hold: "%f" of random floats of every magnitude up to 2^40.
    const float f = std::ldexp(static_cast<float>(random() % (1u << 24)) / (1u << 24),
                               static_cast<int>(random() % 64) - 23);
    check((random() % 2 ? "-" : "") + Fixed6(f));
    // Random digit strings of up to 19 digits with the point anywhere.
    std::string digits = std::to_string(random() % 10000000000000000000ull);
    digits.insert(random() % (digits.size() + 1), ".");
    check(digits);
  }
  // Exact halfway points between neighbouring floats, written out in full, and their neighbours.
  for (float f : {1.0f, 3.0f, 1000.25f, 16777216.0f, 0.1f, 123456.7f}) {
    const double half = (static_cast<double>(f) + std::nextafter(f, 2 * f + 1)) / 2;
    char text[64];
    std::snprintf(text, sizeof text, "%.20f", half);
    check(text);
    for (const char* form : {"%.6f", "%.9f", "%.12f"}) {
      std::snprintf(text, sizeof text, form, half);
      check(text);
    }
  }
  for (const char* text : {"1.", ".5", "0.000000", "-0.000000", "00012.50}", "1e5", "1.5e-3",
                           "0x1p3", "7.25.5", "18014398509481985", "9007199254740993.5"}) {
    check(text);
  }
}

TEST(UnsignedReading, WrapsNegativesAndSaturatesHugeNumbers) {
  struct Case {
    const char* text;
    std::uint32_t value;
    std::size_t used;
  };
  for (const Case& c :
       {Case{"+12", 12, 3}, Case{"-5", 4294967291u, 2}, Case{"-0", 0, 2},
        Case{"4294967295", 4294967295u, 10}, Case{"4294967296", 4294967295u, 10},
        Case{"99999999999999999999999", 4294967295u, 23}, Case{"1.5", 1, 1}, Case{"0x10", 0, 1}}) {
    std::uint32_t value = 99;
    EXPECT_EQ(format::ParseUnsignedPrefix(c.text, value), c.used) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  for (const char* text : {"", "x", "-", "- 1", "+-1", ".5"}) {
    std::uint32_t value = 99;
    EXPECT_EQ(format::ParseUnsignedPrefix(text, value), 0u) << text;
    EXPECT_EQ(value, 99u) << text;
  }
}

// The same reader in its other forms: doubles (the paste's whole numbers) take exactly the texts
// floats take, with strtod's value; "%d" (the MD5 importer) holds values at the 32-bit ends.
TEST(NumberReading, DoublesTakeWhatFloatsTakeAndIntsHoldAtTheirEnds) {
  for (const std::string text : {"16777217", "-0x1p60", "1e300", "-1e-400", "0x+1", "0x-1", "-0xg",
                                 "2.5}", "-INF", "+-1", "abc", ""}) {
    float f = 0.0f;
    double ours = 0.0;
    const std::size_t used = format::ParseDoublePrefix(text, ours);
    EXPECT_EQ(used, format::ParseFloatPrefix(text, f)) << text;
    char* stop = nullptr;
    const double theirs = std::strtod(text.c_str(), &stop);
    EXPECT_EQ(used, static_cast<std::size_t>(stop - text.c_str())) << text;
    if (used != 0) {
      EXPECT_EQ(std::bit_cast<std::uint64_t>(ours), std::bit_cast<std::uint64_t>(theirs)) << text;
    }
  }
  struct Case {
    const char* text;
    std::int32_t value;
    std::size_t used;
  };
  for (const Case& c :
       {Case{"+12", 12, 3}, Case{"-2147483648", INT32_MIN, 11}, Case{"2147483648", INT32_MAX, 10},
        Case{"-99999999999999999999", INT32_MIN, 21}, Case{"7.5", 7, 1}}) {
    std::int32_t value = 99;
    EXPECT_EQ(format::ParseIntPrefix(c.text, value), c.used) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  for (const char* text : {"", "-", "+-1", " 1", "x1"}) {
    std::int32_t value = 99;
    EXPECT_EQ(format::ParseIntPrefix(text, value), 0u) << text;
    EXPECT_EQ(value, 99) << text;
  }
}

TEST(WordScanner, ReadsWordsNumbersAndBracesAsFormattedInputDoes) {
  format::WordScanner in("ZMF\r\nVERSION {2.00} \v\f COMMENT\t{ a } 12x -3 abc");
  EXPECT_EQ(in.Word(), "ZMF");
  EXPECT_EQ(in.Word(), "VERSION");
  EXPECT_TRUE(in.Literal('{'));  // a brace right before a number is still the brace
  float version = 0.0f;
  EXPECT_TRUE(in.Float(version));
  EXPECT_EQ(version, 2.0f);
  EXPECT_TRUE(in.Literal('}'));  // the number left the brace for the next read
  EXPECT_FALSE(in.Literal('{'));
  EXPECT_EQ(in.Word(), "COMMENT");
  in.SkipPast("}");
  std::uint32_t count = 0;
  EXPECT_TRUE(in.Unsigned(count));
  EXPECT_EQ(count, 12u);
  EXPECT_EQ(in.Word(), "x");
  float value = 0.0f;
  EXPECT_TRUE(in.Float(value));
  EXPECT_EQ(value, -3.0f);
  EXPECT_FALSE(in.Float(value));  // "abc" is not a number and stays to be read
  EXPECT_EQ(value, -3.0f);
  EXPECT_FALSE(in.AtEnd());
  EXPECT_EQ(in.Word(), "abc");
  EXPECT_TRUE(in.AtEnd());
  EXPECT_EQ(in.Word(), "");
  EXPECT_FALSE(in.Unsigned(count));
  in.SkipPast("}");  // at the end: returns at once
}

}  // namespace
}  // namespace zmf
